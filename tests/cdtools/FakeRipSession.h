// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "components/cAudioCDRipper.h"

#include <QList>
#include <QPointer>
#include <QStringList>
#include <QTimer>

// A ripper over scripted drives that records what the window asks of it: the calls in order
// and every rip with the settings in force when it was started. Each rip ends as its script
// entry says (Done after a progress of 50, Error, or Hold until released or aborted); an empty
// script ends every rip Done. Like the real one it answers only later, on the event loop.
class FakeRipSession final : public cAudioCDRipper {
public:
    struct Drive {
        QString name;
        bool selectable = true;
        bool audio = true;
        long tracks = 12;
    };
    struct End {
        enum Kind { Done, Error, Hold } kind = Done;
        long code = 0;
        QString text;
    };
    struct Job {
        long device = -1;
        long track = 0;
        long rangeStart = -1;
        long rangeLength = -1;
        QString output;
        long format = 0;
        QString tagTrack, tagTitle, tagAlbum;
    };

    QList<Drive> drives{Drive{QStringLiteral("D: fake")}};
    QList<End> script;
    QList<Job> rips;
    QStringList calls;

    static End done() { return {}; }
    static End error(long code, const QString& text) { return {End::Error, code, text}; }
    static End hold() { return {End::Hold, 0, {}}; }

    // Ends the held rip.
    void release(const End& end)
    {
        m_held = false;
        finish(end);
    }
    void progress(int percent) { emit Progress(percent); }

    long DeviceCount() const override { return drives.size(); }
    QString DeviceName(long i) const override { return drives.value(int(i)).name; }
    bool SelectDevice(long i) override
    {
        calls << QStringLiteral("SelectDevice %1").arg(i);
        m_current = i;
        return i >= 0 && i < drives.size() && drives.at(int(i)).selectable;
    }
    bool IsAudioCD() const override { return current() && current()->audio; }
    long TrackCount() const override { return current() ? current()->tracks : 0; }
    long TrackSeconds(long) const override { return 1; }
    long TrackType(long) const override { return 1; }
    bool OpenTray() override
    {
        calls << QStringLiteral("OpenTray %1").arg(m_current);
        return true;
    }
    bool CloseTray() override { return true; }

    long DeviceIndex() const override { return m_job.device; }
    void DeviceIndex(long i) override { m_job.device = i; }
    long TrackNumber() const override { return m_job.track; }
    void TrackNumber(long t) override
    {
        m_job.track = t;
        m_job.rangeStart = -1;
        m_job.rangeLength = -1;
    }
    long RangeStart() const override { return m_job.rangeStart; }
    void RangeStart(long s) override { m_job.rangeStart = s; }
    long RangeLength() const override { return m_job.rangeLength; }
    void RangeLength(long s) override { m_job.rangeLength = s; }
    QString OutputFile() const override { return m_job.output; }
    void OutputFile(const QString& p) override { m_job.output = p; }

    long DestinationFormat() const override { return m_job.format; }
    void DestinationFormat(long f) override
    {
        calls << QStringLiteral("DestinationFormat %1").arg(f);
        m_job.format = f;
    }
    void SetWavFormat(const engine::WavFormatRecord&) override { calls << QStringLiteral("SetWavFormat"); }
    void SetAcmFormat(const QString&, const QString&) override { calls << QStringLiteral("SetAcmFormat"); }
    void SetMp3Format(const engine::Mp3FormatRecord&) override { calls << QStringLiteral("SetMp3Format"); }
    void SetWmaFormat(const engine::WmaFormatRecord&) override { calls << QStringLiteral("SetWmaFormat"); }
    void SetOggFormat(const engine::OggFormatRecord&) override { calls << QStringLiteral("SetOggFormat"); }
    void SetApeLevel(long) override { calls << QStringLiteral("SetApeLevel"); }

    QString TagTrack() const override { return m_job.tagTrack; }
    void TagTrack(const QString& t) override { m_job.tagTrack = t; }
    QString TagComment() const override { return {}; }
    void TagComment(const QString&) override {}
    QString TagGenre() const override { return {}; }
    void TagGenre(const QString&) override {}
    QString TagYear() const override { return {}; }
    void TagYear(const QString&) override {}
    QString TagArtist() const override { return {}; }
    void TagArtist(const QString&) override {}
    QString TagAlbum() const override { return m_job.tagAlbum; }
    void TagAlbum(const QString& t) override { m_job.tagAlbum = t; }
    QString TagTitle() const override { return m_job.tagTitle; }
    void TagTitle(const QString& t) override { m_job.tagTitle = t; }

    void Rip() override
    {
        calls << QStringLiteral("Rip %1").arg(m_job.track);
        rips << m_job;
        // A range holds for one rip only.
        m_job.rangeStart = -1;
        m_job.rangeLength = -1;
        const End end = script.isEmpty() ? End{} : script.takeFirst();
        if (end.kind == End::Hold) {
            m_held = true;
            return;
        }
        finish(end);
    }
    void Abort() override
    {
        calls << QStringLiteral("Abort");
        if (!m_held)
            return;
        m_held = false;
        QTimer::singleShot(0, this, [this] { emit Aborted(); });
    }
    void Shutdown() override { calls << QStringLiteral("Shutdown"); }

private:
    const Drive* current() const
    {
        return m_current >= 0 && m_current < drives.size() ? &drives.at(int(m_current)) : nullptr;
    }
    void finish(const End& end)
    {
        QTimer::singleShot(0, this, [this, end] {
            if (end.kind == End::Error) {
                emit Error(end.code, end.text);
                return;
            }
            emit Progress(50);
            emit Done();
        });
    }

    long m_current = -1;
    bool m_held = false;
    Job m_job;
};
