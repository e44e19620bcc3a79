// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// A recorder component that records every call in order ("RecordStart 0 /p/x.wav", "RecordStop")
// with the format each record start was given, and answers as the test sets it up. A started
// recording writes its file only when it ends (a second of silence in the format it was given), then raises
// DoneRecord queued, as the real one puts its file in place before the event.

#include "components/cWave.h"

#include <QFile>
#include <QStringList>
#include <QTimer>
#include <QtEndian>

class FakeWave : public cWave {
public:
    long GetDeviceCount(long kind) override { return kind == KindInput ? static_cast<long>(inputs.size()) : 0; }
    long GetDeviceCaps(long& index, WaveDeviceCaps& caps, long kind) override
    {
        if (kind != KindInput || index < 0 || index >= inputs.size())
            return ErrNoDevice;
        caps.szPname = inputs.at(static_cast<int>(index));
        caps.wChannels = 2;
        return 0;
    }
    bool MeterIn() const override { return m_meter; }
    void MeterIn(bool on) override
    {
        m_meter = on;
        calls << (on ? QStringLiteral("MeterIn 1") : QStringLiteral("MeterIn 0"));
    }
    bool CutSilence() const override { return false; }
    void CutSilence(bool) override { calls << QStringLiteral("CutSilence"); }
    long CutSilenceValue() const override { return 0; }
    void CutSilenceValue(long) override {}
    void PreScreenOpen(WaveFormatEx&, long) override { calls << QStringLiteral("PreScreenOpen"); }
    void PreScreenClose() override { calls << QStringLiteral("PreScreenClose"); }
    bool IsPreScreenOpen() const override { return false; }

    long RecordStart(long& device, const QString& path, WaveFormatEx& format, int16_t bufferMs) override
    {
        calls << QStringLiteral("RecordStart %1 ").arg(device) + path;
        recordError = 0;
        formats.append(format);
        this->bufferMs = bufferMs;
        if (startResult != 0)
            return startResult;
        m_recording = true;
        m_path = path;
        m_format = format;
        return 0;
    }
    void RecordStop() override
    {
        calls << QStringLiteral("RecordStop");
        endRecording();
    }
    void RecordPause() override { calls << QStringLiteral("RecordPause"); }
    void RecordUnPause() override { calls << QStringLiteral("RecordUnPause"); }
    bool IsRecording() const override { return m_recording; }
    bool IsRecordPaused() const override { return false; }
    QString GetErrorText(long& code) override { return QStringLiteral("error %1 on the test input").arg(code); }

    bool IsPlaying() const override { return false; }
    long GetFileInfo(const QString&, WaveFileInfo&) override { return 0; }
    long PlayStart(const QString& path, int16_t, int16_t) override
    {
        calls << QStringLiteral("PlayStart ") + path;
        return playResult;
    }
    long PlayStop() override
    {
        calls << QStringLiteral("PlayStop");
        return ErrNotPlaying;
    }
    void PlayPause() override {}
    void PlayUnPause() override {}
    long GetPlayPosition() override { return 0; }
    long GetPlayPositionSeconds() override { return 0; }
    QString FormatTime(long seconds) override { return QStringLiteral("0:00:%1").arg(seconds, 2, 10, QLatin1Char('0')); }
    void Release() override
    {
        calls << QStringLiteral("Release");
        endRecording();
    }

    long RecordError() const override { return recordError; }
    // The input or the disk fails: the recording ends with what it had, and says why.
    void failRecording(long code)
    {
        recordError = code;
        endRecording();
    }

    QStringList inputs{QStringLiteral("Test input")};
    long recordError = 0;
    long startResult = 0;
    long playResult = 0;
    QStringList calls;
    QList<WaveFormatEx> formats;
    int16_t bufferMs = 0;

private:
    void endRecording()
    {
        if (!m_recording)
            return;
        m_recording = false;
        QFile f(m_path);
        if (f.open(QIODevice::WriteOnly)) {
            const quint32 data = m_format.nAvgBytesPerSec;
            QByteArray h("RIFF");
            const auto u32 = [&h](quint32 v) { char b[4]; qToLittleEndian<quint32>(v, b); h.append(b, 4); };
            const auto u16 = [&h](quint16 v) { char b[2]; qToLittleEndian<quint16>(v, b); h.append(b, 2); };
            u32(36 + data);
            h.append("WAVEfmt ");
            u32(16); u16(1); u16(m_format.nChannels); u32(m_format.nSamplesPerSec); u32(m_format.nAvgBytesPerSec);
            u16(m_format.nBlockAlign); u16(m_format.wBitsPerSample);
            h.append("data");
            u32(data);
            f.write(h + QByteArray(static_cast<qsizetype>(data), m_format.wBitsPerSample == 8 ? '\x80' : '\0'));
        }
        QTimer::singleShot(0, this, [this] { emit DoneRecord(); });
    }
    bool m_meter = false;
    bool m_recording = false;
    QString m_path;
    WaveFormatEx m_format;
};
