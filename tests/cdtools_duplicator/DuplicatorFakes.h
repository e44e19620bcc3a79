// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// Components for the duplicator tests that answer from a script: a ripper whose rips write a
// small file (or fail) and report later, as the real one does, and a writer whose burn call runs
// what the test gives it while the call is on the stack.

#include "components/cAudioBurner.h"
#include "components/cAudioCDRipper.h"

#include <QFile>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QTimer>

#include <functional>

class ScriptRipper final : public cAudioCDRipper {
public:
    QStringList names{QStringLiteral("D: fake")};
    long tracks = 0;
    bool audio = true;
    // Track queries after which the disc is gone (-1: never).
    int vanishAfter = -1;
    QSet<long> failing;  // tracks whose rip ends in Error
    // Rips wait for release() instead of ending by themselves.
    bool hold = false;
    QStringList calls;

    long DeviceCount() const override { return names.size(); }
    QString DeviceName(long i) const override { return names.value(int(i)); }
    bool SelectDevice(long i) override { return i >= 0 && i < names.size(); }
    bool IsAudioCD() const override { return audio && tracks > 0; }
    long TrackCount() const override
    {
        ++m_queries;
        return vanishAfter >= 0 && m_queries > vanishAfter ? 0 : tracks;
    }
    long TrackSeconds(long) const override { return 1; }
    long TrackType(long) const override { return 1; }
    bool OpenTray() override
    {
        calls << QStringLiteral("OpenTray");
        return true;
    }
    bool CloseTray() override
    {
        calls << QStringLiteral("CloseTray");
        return true;
    }
    long DeviceIndex() const override { return m_device; }
    void DeviceIndex(long i) override { m_device = i; }
    long TrackNumber() const override { return m_track; }
    void TrackNumber(long t) override { m_track = t; }
    long RangeStart() const override { return -1; }
    void RangeStart(long) override {}
    long RangeLength() const override { return -1; }
    void RangeLength(long) override {}
    QString OutputFile() const override { return m_output; }
    void OutputFile(const QString& p) override { m_output = p; }
    long DestinationFormat() const override { return m_format; }
    void DestinationFormat(long f) override { m_format = f; }
    void SetWavFormat(const engine::WavFormatRecord& r) override { wav = r; }
    void SetAcmFormat(const QString&, const QString&) override {}
    void SetMp3Format(const engine::Mp3FormatRecord&) override {}
    void SetWmaFormat(const engine::WmaFormatRecord&) override {}
    void SetOggFormat(const engine::OggFormatRecord&) override {}
    void SetApeLevel(long) override {}
    QString TagTrack() const override { return {}; }
    void TagTrack(const QString&) override {}
    QString TagComment() const override { return {}; }
    void TagComment(const QString&) override {}
    QString TagGenre() const override { return {}; }
    void TagGenre(const QString&) override {}
    QString TagYear() const override { return {}; }
    void TagYear(const QString&) override {}
    QString TagArtist() const override { return {}; }
    void TagArtist(const QString&) override {}
    QString TagAlbum() const override { return {}; }
    void TagAlbum(const QString&) override {}
    QString TagTitle() const override { return {}; }
    void TagTitle(const QString&) override {}

    void Rip() override
    {
        calls << QStringLiteral("Rip %1 %2").arg(m_track).arg(m_output);
        m_pending = true;
        if (!hold)
            release();
    }
    // Ends the rip in progress as the script says, later on the event loop.
    void release()
    {
        const long track = m_track;
        const QString out = m_output;
        QTimer::singleShot(0, this, [this, track, out] {
            if (!m_pending)
                return;
            m_pending = false;
            if (failing.contains(track)) {
                Q_EMIT Error(2, QStringLiteral("Track %1 cannot be read.").arg(track));
                return;
            }
            QFile f(out);
            if (f.open(QIODevice::WriteOnly))
                f.write(QByteArray(2352, char(track)));
            f.close();
            Q_EMIT Progress(100);
            Q_EMIT Done();
        });
    }
    bool ripping() const { return m_pending; }
    // The disc goes after `n` more track counts.
    void vanishIn(int n)
    {
        m_queries = 0;
        vanishAfter = n;
    }
    void Abort() override
    {
        calls << QStringLiteral("Abort");
        if (!m_pending)
            return;
        m_pending = false;
        QTimer::singleShot(0, this, [this] { Q_EMIT Aborted(); });
    }
    void Shutdown() override
    {
        calls << QStringLiteral("Shutdown");
        m_pending = false;
    }

    engine::WavFormatRecord wav;

private:
    mutable int m_queries = 0;
    long m_device = -1, m_track = 1, m_format = 0;
    QString m_output;
    bool m_pending = false;
};

class ScriptBurner final : public cAudioBurner {
public:
    QStringList drives{QStringLiteral("E: Writer")};
    QString state;  // what DiscState answers
    QSet<QString> refused;
    QStringList tracks, burned;
    mutable QStringList calls;
    // Runs inside Burn, the call still on the stack; its result is Burn's.
    std::function<long()> onBurn = [] { return 0L; };

    long DriveCount() const override { return drives.size(); }
    QString DriveName(long i) const override { return drives.value(int(i - 1)); }
    long SpeedCount(const QString&) override { return 0; }
    long WriteSpeed(long) const override { return 0; }
    long DiscSize(const QString&) const override { return 703; }
    long DiscCapacity(const QString&) const override { return 80L * 60 * 153535; }
    QString DiscState(const QString& letter) const override
    {
        calls << QStringLiteral("DiscState ") + letter;
        return state;
    }
    void OpenTray(const QString& letter) override { calls << QStringLiteral("OpenTray ") + letter; }
    void CloseTray(const QString& letter) override { calls << QStringLiteral("CloseTray ") + letter; }
    QString DriveRootFolder(const QString&) const override { return {}; }
    bool AddTrack(const QString& path) override
    {
        if (refused.contains(path))
            return false;
        tracks << path;
        return true;
    }
    long TrackCount() const override { return tracks.size(); }
    void ClearTracks() override
    {
        calls << QStringLiteral("ClearTracks");
        tracks.clear();
    }
    bool BurnMode() const override { return m_atOnce; }
    void BurnMode(bool atOnce) override { m_atOnce = atOnce; }
    long Burn(QString& letter, long speed) override
    {
        calls << QStringLiteral("Burn %1 %2 %3").arg(letter).arg(speed).arg(m_atOnce ? QStringLiteral("at once") : QStringLiteral("waiting"));
        burned = tracks;
        const QPointer<ScriptBurner> self(this);
        const long r = onBurn();
        return self ? r : -1;
    }
    void Abort() override { calls << QStringLiteral("Abort"); }
    void Shutdown() override { calls << QStringLiteral("Shutdown"); }

private:
    bool m_atOnce = true;
};
