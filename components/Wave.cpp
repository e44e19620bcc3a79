// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/cWave.h"

#include "components/FilePlayback.h"
#include "components/OutputTarget.h"
#include "components/PcmWavFile.h"
#include "components/engine/PositionedFile.h"
#include "components/engine/WavFile.h"
#include "components/sound/InputList.h"
#include "components/sound/PulseInput.h"
#include "components/sound/SoundOutput.h"
#include "components/sound/TakeRecovery.h"
#include "foundation/mdlFunctions.h"

#include <QAudioDevice>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMediaDevices>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstring>

int MeterLevelOf(double peak)
{
    if (peak <= 0.0)
        return 0;
    const double level = 120.0 + 2.0 * 20.0 * std::log10(std::min(1.0, peak));
    return static_cast<int>(std::lround(std::clamp(level, 0.0, 120.0)));
}

namespace {

// Recorded buffers on their way to the pre-screen output; GUI thread on both ends.
class QueueSource final : public sound::PcmSource {
public:
    void push(const char* data, qint64 bytes)
    {
        // A stalled output must not make the queue grow without end.
        if (m_buffer.size() > (1 << 20))
            m_buffer.clear();
        m_buffer.append(data, static_cast<int>(bytes));
    }
    qint64 readPcm(char* data, qint64 maxBytes) override
    {
        const qint64 n = std::min<qint64>(maxBytes / m_block * m_block, m_buffer.size() / m_block * m_block);
        std::memcpy(data, m_buffer.constData(), static_cast<size_t>(n));
        m_buffer.remove(0, static_cast<int>(n));
        return n;
    }
    qint64 bytesReady() const override { return m_buffer.size() / m_block * m_block; }
    bool atEnd() const override { return false; }
    void clear() { m_buffer.clear(); }
    int m_block = 1;

private:
    QByteArray m_buffer;
};

engine::PcmFormat pcmOf(const cWave::WaveFormatEx& f)
{
    engine::PcmFormat p;
    p.sampleRate = static_cast<int>(f.nSamplesPerSec);
    p.channels = f.nChannels;
    p.bitsPerSample = f.wBitsPerSample;
    return p;
}

// One sample as a fraction of full scale.
inline double sampleAt(const char* p, int bits)
{
    if (bits == 8)
        return (static_cast<int>(static_cast<unsigned char>(*p)) - 128) / 128.0;
    int16_t v;
    std::memcpy(&v, p, 2);
    return v / 32768.0;
}

// The most the server holds before handing samples over, and how often the header is brought up
// to date: a kill loses no more than the first, a power loss leaves a file whose header is that
// recent.
constexpr int kLongestHeldMs = 100;
constexpr qint64 kHeaderUpdateMs = 500;
// The meter stands this long on its last level before it falls, by this much every 100 ms
// (12 dB: from full scale to nothing in half a second).
constexpr qint64 kMeterHoldMs = 150;
constexpr int kMeterFallPerTick = 24;

class Wave final : public cWave {
public:
    Wave()
    {
        connect(&m_player, &FilePlayback::Ended, this, [this] {
            // Heard to its end: the position stays there for the window's next poll.
            m_lastPercent = 100;
            m_lastSeconds = m_playSeconds;
            emit DonePlay();
        });
        // Inputs come and go (a device plugged in, a module loaded): the server announces them,
        // and the list follows.
        connect(&m_inputs, &sound::InputList::changed, this, [this] { emit DevicesChanged(); });
        m_inputWatch.setInterval(100);
        connect(&m_inputWatch, &QTimer::timeout, this, [this] {
            // Pulled here too, so that the file never lags behind what the server has handed over.
            pull();
            QString error;
            if (recording() && !m_writeFailed && !keepHeaderCurrent(&error)) {
                m_writeFailed = true;
                recordFailed(ErrFile, error);
                QTimer::singleShot(0, this, [this] { finishRecording(); });
            }
            meterFall();
        });
    }
    ~Wave() override { Release(); }

    long GetDeviceCount(long kind) override
    {
        if (kind == KindOutput)
            return QMediaDevices::audioOutputs().size();
        m_inputs.reconnectIfAway();
        return m_inputs.inputs().size();
    }

    long GetDeviceCaps(long& index, WaveDeviceCaps& caps, long kind) override
    {
        if (kind != KindOutput) {
            const QList<sound::InputDevice> inputs = m_inputs.inputs();
            if (index < 0 || index >= inputs.size())
                return fail(ErrNoDevice, QStringLiteral("There is no sound device number %1.").arg(index));
            const sound::InputDevice& d = inputs.at(static_cast<int>(index));
            caps.szPname = d.description;
            caps.szId = QString::fromUtf8(d.id);
            caps.dwFormats = 0;
            caps.wChannels = d.channels;
            return 0;
        }
        const QList<QAudioDevice> list = QMediaDevices::audioOutputs();
        if (index < 0 || index >= list.size())
            return fail(ErrNoDevice, QStringLiteral("There is no sound device number %1.").arg(index));
        const QAudioDevice& d = list.at(static_cast<int>(index));
        caps.szPname = d.description();
        caps.szId = QString::fromUtf8(d.id());
        caps.dwFormats = 0;
        // The device's own channel count: the sound server's back end gives every device the
        // same upper limit as its maximum.
        const int channels = d.preferredFormat().channelCount();
        caps.wChannels = channels > 0 ? channels : d.maximumChannelCount();
        return 0;
    }

    bool MeterIn() const override { return m_meter; }
    void MeterIn(bool on) override { m_meter = on; }
    bool CutSilence() const override { return m_cutSilence; }
    void CutSilence(bool on) override { m_cutSilence = on; }
    long CutSilenceValue() const override { return m_cutLevel; }
    void CutSilenceValue(long level) override { m_cutLevel = level; }

    void PreScreenOpen(WaveFormatEx& format, long device) override
    {
        PreScreenClose();
        m_preFormat = pcmOf(format);
        m_preDevice = device;
        m_preScreen = true;
    }
    void PreScreenClose() override
    {
        m_preScreen = false;
        stopPreScreen();
    }
    bool IsPreScreenOpen() const override { return m_preScreen; }

    long RecordStart(long& device, const QString& path, WaveFormatEx& format, int16_t bufferMs) override
    {
        if (recording())
            return fail(ErrBusy, QStringLiteral("A recording into '%1' runs already.").arg(m_target->file()));
        m_inputs.reconnectIfAway();
        const QList<sound::InputDevice> inputs = m_inputs.inputs();
        if (device < 0 || device >= inputs.size()) {
            QString why;
            if (inputs.isEmpty() && !sound::PulseInput::ServerReachable(&why))
                return fail(ErrNoDevice, QStringLiteral("There is no sound input to record from. ") + why);
            return fail(ErrNoDevice, inputs.isEmpty() ? QStringLiteral("There is no sound input to record from.")
                                                      : QStringLiteral("There is no sound input number %1.").arg(device));
        }
        const sound::InputDevice input = inputs.at(static_cast<int>(device));
        const engine::PcmFormat pcm = pcmOf(format);
        if (format.wFormatTag != 1 || (pcm.bitsPerSample != 8 && pcm.bitsPerSample != 16) || pcm.channels < 1 ||
            pcm.channels > 2 || pcm.sampleRate < 1000 || pcm.sampleRate > 192000)
            return fail(ErrFormat, QStringLiteral("The sound input '%1' cannot record %2 Hz, %3 bits, %4 channels.")
                                       .arg(input.description)
                                       .arg(pcm.sampleRate)
                                       .arg(pcm.bitsPerSample)
                                       .arg(pcm.channels));
        QString error;
        m_target = std::make_unique<components::OutputTarget>();
        if (!m_target->resolve(path, &error) || !m_target->createRecordingPartFile(&error) ||
            !m_file.open(m_target->partFile(), m_target->file(), pcm, &error)) {
            m_target.reset();
            return fail(ErrFile, components::WriteError(path, error));
        }
        // A log-out (SIGTERM) or Ctrl+C finishes the take instead of removing it.
        m_target->keepWavOnSignal(PcmWavFile::header(pcm, 0), pcm.bytesPerFrame());
        m_note = std::make_unique<sound::TakeNote>(m_target->partFile(), m_target->file());
        m_format = pcm;
        m_block = pcm.bytesPerFrame();
        m_meterPeak = 0;
        m_meterFrames = 0;
        m_loudBytes = 0;
        m_cutAmplitude = std::pow(10.0, (static_cast<double>(m_cutLevel) - 120.0) / 40.0);
        // The server hands the samples over a buffer at a time, and what it has not handed over
        // is lost to a kill: the buffer is short, whatever the caller asks for.
        const int heldMs = bufferMs > 0 ? std::min<int>(bufferMs, kLongestHeldMs) : kLongestHeldMs;
        // The input is read over a connection of our own, on a stream the server may not move:
        // Qt's back end lets the server move a stream whose source went away to another source,
        // and then records an input the user did not choose under the name of the one chosen.
        QString why;
        bool reachable = false;
        m_pulse = sound::PulseInput::open(input.id, pcm, heldMs, &why, &reachable);
        if (!m_pulse) {
            m_file.close();
            m_target.reset();
            m_note.reset();
            return fail(ErrNoDevice,
                        reachable ? QStringLiteral("The sound input '%1' cannot be opened: %2").arg(input.description, why)
                                  : why + QStringLiteral(" The sound input '%1' cannot be opened.").arg(input.description));
        }
        m_io = m_pulse.get();
        m_inputName = input.description;
        m_recordCode = 0;
        m_writeFailed = false;
        connect(m_io, &QIODevice::readyRead, this, [this] { pull(); });
        connect(m_pulse.get(), &sound::PulseInput::lost, this, [this](bool serverGone) {
            inputLost(serverGone ? QStringLiteral("The sound input '%1' stopped working (the sound server is gone); "
                                                  "the recording ended there.")
                                       .arg(m_inputName)
                                 : QStringLiteral("The sound input '%1' is gone; the recording ended there.").arg(m_inputName));
        });
        m_inputWatch.start();
        m_preQueue.clear();
        m_sinceHeader.start();
        m_headerBytes = 0;
        m_sinceSound.start();
        m_shownLevel = 0;
        // A log-out or Ctrl+C first writes what the server has handed over and not yet been
        // written, then puts the take in place.
        m_target->drainOnSignal([this] { finishRecording(); });
        return 0;
    }

    void RecordStop() override { finishRecording(); }
    void RecordPause() override
    {
        if (recording() && !m_paused) {
            pull();
            m_pulse->suspend();
            m_paused = true;
        }
    }
    void RecordUnPause() override
    {
        if (recording() && m_paused) {
            m_pulse->resume();
            m_paused = false;
        }
    }
    bool IsRecording() const override { return recording(); }
    long RecordError() const override { return m_recordCode; }
    bool IsRecordPaused() const override { return recording() && m_paused; }

    QString GetErrorText(long& code) override
    {
        if (code == m_lastCode && !m_lastText.isEmpty())
            return m_lastText;
        switch (code) {
        case 0: return QStringLiteral("No error.");
        case ErrNoDevice: return QStringLiteral("There is no such sound device.");
        case ErrFormat: return QStringLiteral("The sound device cannot use this format.");
        case ErrFile: return QStringLiteral("The file cannot be used.");
        case ErrBusy: return QStringLiteral("A recording runs already.");
        default: return QStringLiteral("Unknown error %1.").arg(code);
        }
    }

    bool IsPlaying() const override { return m_player.IsPlaying(); }

    long GetFileInfo(const QString& path, WaveFileInfo& info) override
    {
        QString error;
        std::unique_ptr<engine::AudioReader> reader = engine::AudioReader::open(path, &error);
        if (!reader)
            return fail(ErrFile, error);
        const engine::SourceInfo& s = reader->info();
        info = WaveFileInfo();
        info.wFormatTag = s.isPlainPcmWav ? 1 : 0;
        engine::PositionedFile f;
        engine::WavLayout layout;
        if (f.open(path) && engine::parseWav(f, &layout) == engine::WavParse::Ok) {
            info.wFormatTag = static_cast<uint16_t>(layout.formatTag);
            info.nBlockAlign = static_cast<uint16_t>(layout.blockAlign);
        }
        info.nChannels = static_cast<uint16_t>(s.format.channels);
        info.nSamplesPerSec = static_cast<uint32_t>(s.format.sampleRate);
        info.wBitsPerSample = static_cast<uint16_t>(s.format.bitsPerSample);
        if (info.nBlockAlign == 0)
            info.nBlockAlign = static_cast<uint16_t>(s.format.bytesPerFrame());
        info.nAvgBytesPerSec = s.isPlainPcmWav ? info.nBlockAlign * info.nSamplesPerSec
                                               : static_cast<uint32_t>(std::max(0, s.bitrate) / 8);
        const QFileInfo fi(path);
        info.FileName = fi.fileName();
        info.FilePath = fi.absolutePath();
        info.SecondsLength = static_cast<long>(s.durationMs / 1000);
        return 0;
    }

    long PlayStart(const QString& path, int16_t, int16_t) override
    {
        QString error;
        const long r = m_player.Start(path, 0, -1, -1, &error);
        if (r != FilePlayback::Ok)
            return fail(r == FilePlayback::ErrFile ? ErrFile : r == FilePlayback::ErrFormat ? ErrFormat : ErrNoDevice,
                        error);
        m_lastPercent = 0;
        m_lastSeconds = 0;
        m_playSeconds = m_player.SampleRate() > 0 ? static_cast<long>(m_player.Frames() / m_player.SampleRate()) : 0;
        return 0;
    }
    long PlayStop() override
    {
        if (m_player.IsPlaying()) {
            m_player.Stop();
            QTimer::singleShot(0, this, [this] { emit DonePlay(); });
        }
        return 0;
    }
    void PlayPause() override { m_player.Pause(); }
    void PlayUnPause() override { m_player.Resume(); }
    long GetPlayPosition() override
    {
        if (m_player.IsPlaying() && m_player.Frames() > 0)
            m_lastPercent = static_cast<long>(std::min<qint64>(100, m_player.FramesHeard() * 100 / m_player.Frames()));
        return m_lastPercent;
    }
    long GetPlayPositionSeconds() override
    {
        if (m_player.IsPlaying() && m_player.SampleRate() > 0)
            m_lastSeconds = static_cast<long>(m_player.FramesHeard() / m_player.SampleRate());
        return m_lastSeconds;
    }
    QString FormatTime(long seconds) override { return FormatSecondsHMS(static_cast<int32_t>(seconds)); }

    void Release() override
    {
        m_player.Stop();
        finishRecording();
        PreScreenClose();
    }

private:

    long fail(long code, const QString& text)
    {
        m_lastCode = code;
        m_lastText = text;
        return code;
    }

    // Ends the recording with what the input handed over before it went; it is not read again.
    void inputLost(const QString& why)
    {
        if (!m_io)
            return;
        pull();
        m_io = nullptr;
        recordFailed(ErrNoDevice, why);
        QTimer::singleShot(0, this, [this] { finishRecording(); });
    }

    void recordFailed(long code, const QString& text)
    {
        if (m_recordCode == 0) {
            m_recordCode = code;
            m_lastCode = code;
            m_lastText = text;
        }
    }

    void pull()
    {
        if (!m_io || m_writeFailed)
            return;
        const QByteArray data = m_io->readAll();
        const qint64 bytes = std::min<qint64>(data.size() / m_block * m_block, m_file.room());
        if (bytes <= 0) {
            if (m_file.room() <= 0)
                QTimer::singleShot(0, this, [this] { finishRecording(); });
            return;
        }
        measure(data.constData(), bytes);
        if (m_preScreen) {
            m_preQueue.push(data.constData(), bytes);
            // The output starts once it has a tenth of a second to play: a sink that finds
            // nothing at its first read stops asking.
            if (!m_pre && m_preQueue.bytesReady() >= m_format.sampleRate / 10 * m_block)
                startPreScreen();
        }
        QString error;
        if (!m_target->beginWrite())
            return;  // the process is ending: the signal finishes the file
        bool written = m_file.write(data.constData(), bytes, &error);
        m_target->endWrite();
        if (written)
            written = keepHeaderCurrent(&error);
        if (!written) {
            m_writeFailed = true;
            recordFailed(ErrFile, error);
            // What reached the disk is kept; the recording ends here.
            QTimer::singleShot(0, this, [this] { finishRecording(); });
        }
    }

    // Level blocks of 50 ms and the end of the last sound loud enough to keep.
    void measure(const char* data, qint64 bytes)
    {
        const int bits = m_format.bitsPerSample;
        const int step = bits / 8;
        const qint64 frames = bytes / m_block;
        const qint64 blockFrames = std::max(1, m_format.sampleRate / 20);
        const qint64 base = m_file.dataBytes();
        if (frames > 0)
            m_sinceSound.restart();
        for (qint64 i = 0; i < frames; ++i) {
            double peak = 0;
            for (int c = 0; c < m_format.channels; ++c)
                peak = std::max(peak, std::fabs(sampleAt(data + i * m_block + c * step, bits)));
            if (peak >= m_cutAmplitude)
                m_loudBytes = base + (i + 1) * m_block;
            m_meterPeak = std::max(m_meterPeak, peak);
            if (++m_meterFrames >= blockFrames) {
                m_shownLevel = MeterLevelOf(m_meterPeak);
                if (m_meter)
                    emit MeterLevel(m_shownLevel);
                m_meterPeak = 0;
                m_meterFrames = 0;
            }
        }
    }

    // The header follows the samples within half a second, so that a kill or a power loss
    // leaves a valid file of what was written.
    bool keepHeaderCurrent(QString* error)
    {
        if (m_file.dataBytes() == m_headerBytes || m_sinceHeader.elapsed() < kHeaderUpdateMs)
            return true;
        if (!m_target->beginWrite())
            return true;  // the process is ending: the signal finishes the file
        const bool ok = m_file.updateHeader(error);
        m_target->endWrite();
        m_headerBytes = m_file.dataBytes();
        m_sinceHeader.restart();
        return ok;
    }

    // An input that delivers nothing (paused, or a source gone quiet) is heard as silence: the
    // meter falls from its last level instead of standing there.
    void meterFall()
    {
        if (!recording() || m_shownLevel <= 0 || m_sinceSound.elapsed() < kMeterHoldMs)
            return;
        m_shownLevel = std::max(0, m_shownLevel - kMeterFallPerTick);
        if (m_meter)
            emit MeterLevel(m_shownLevel);
    }

    void finishRecording()
    {
        if (!recording())
            return;
        m_inputWatch.stop();
        pull();
        m_io = nullptr;
        if (m_pulse) {
            m_pulse->disconnect(this);
            m_pulse->stop();
            m_pulse.reset();
        }
        m_paused = false;
        stopPreScreen();
        QString error;
        const bool kept = m_file.finish(m_cutSilence ? m_loudBytes : -1, &error) && m_target->commit(&error);
        if (!kept) {
            error = components::WriteError(m_target->file(), error);
            m_recordCode = 0;
            recordFailed(ErrFile, error);
        }
        m_target.reset();  // removes the part file when it was not put in place
        m_note.reset();
        QTimer::singleShot(0, this, [this] { emit DoneRecord(); });
    }

    void startPreScreen()
    {
        const QAudioDevice out = sound::SoundOutput::OutputDevice(m_preDevice);
        engine::PcmFormat chosen;
        if (out.isNull() || !sound::SoundOutput::ChooseFormat(out, m_preFormat, &chosen) || !(chosen == m_format))
            return;
        m_preQueue.m_block = m_block;
        m_pre = std::make_unique<sound::SoundOutput>();
        // A lost output ends the pre-screen only; the recording goes on.
        connect(m_pre.get(), &sound::SoundOutput::ended, this, [this] { m_preScreen = false; }, Qt::QueuedConnection);
        QString error;
        if (!m_pre->start(out, chosen, &m_preQueue, &error))
            m_pre.reset();
    }
    void stopPreScreen()
    {
        if (m_pre)
            m_pre->stop();
        m_pre.reset();
    }

    FilePlayback m_player;
    bool recording() const { return m_pulse != nullptr; }

    std::unique_ptr<sound::PulseInput> m_pulse;  // the input being recorded
    QIODevice* m_io = nullptr;
    sound::InputList m_inputs;
    QTimer m_inputWatch;
    QString m_inputName;
    long m_recordCode = 0;
    bool m_writeFailed = false;
    std::unique_ptr<components::OutputTarget> m_target;
    std::unique_ptr<sound::TakeNote> m_note;
    PcmWavFile m_file;
    QElapsedTimer m_sinceHeader;
    qint64 m_headerBytes = 0;
    engine::PcmFormat m_format;
    int m_block = 1;
    bool m_paused = false;

    bool m_meter = false;
    double m_meterPeak = 0;
    qint64 m_meterFrames = 0;
    int m_shownLevel = 0;
    QElapsedTimer m_sinceSound;

    bool m_cutSilence = false;
    long m_cutLevel = 20;
    double m_cutAmplitude = 0;
    qint64 m_loudBytes = 0;

    bool m_preScreen = false;
    engine::PcmFormat m_preFormat;
    long m_preDevice = 0;
    std::unique_ptr<sound::SoundOutput> m_pre;
    QueueSource m_preQueue;

    long m_lastCode = 0;
    QString m_lastText;
    long m_lastPercent = 0;
    long m_lastSeconds = 0;
    long m_playSeconds = 0;
};

}  // namespace

std::unique_ptr<cWave> CreateWave() { return std::make_unique<Wave>(); }
