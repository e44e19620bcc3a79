// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/JobComponent.h"
#include "components/cAudioCDRipper.h"
#include "components/cd/Disc.h"
#include "components/cd/TrackReader.h"

namespace {

using components::AudioJob;
using components::JobInput;

// The ripper over the drive map, libcdio and the engine. A rip is a one-input job of the
// converter's kind whose input is the track's path ("D:/Track03.cda"), which the engine reads
// through the CD track reader: so a rip writes, names and cleans up its output exactly as a
// conversion does.
class AudioCDRipper final : public components::JobComponent<cAudioCDRipper> {
public:
    AudioCDRipper()
    {
        cd::InstallTrackReader();
        connect(&m_runner, &WorkerRunner::progress, this, [this](int, int percent) { emit Progress(percent); });
    }

    long DeviceCount() const override { return long(cd::ListDrives().size()); }
    QString DeviceName(long index) const override
    {
        const QList<cd::Drive> drives = cd::ListDrives();
        return index >= 0 && index < drives.size() ? drives.at(int(index)).name : QString();
    }

    bool SelectDevice(long index) override
    {
        m_disc.reset();
        const QList<cd::Drive> drives = cd::ListDrives();
        if (index < 0 || index >= drives.size()) {
            m_hasCurrent = false;
            return false;
        }
        m_current = drives.at(int(index));
        m_hasCurrent = true;
        m_disc = cd::Disc::open(m_current, nullptr);
        return true;
    }

    bool IsAudioCD() const override { return m_disc && m_disc->isAudio(); }
    long TrackCount() const override { return m_disc ? long(m_disc->tracks().size()) : 0; }
    long TrackSeconds(long track) const override
    {
        const cd::TrackInfo* t = trackInfo(track);
        return t ? t->seconds() : 0;
    }
    long TrackType(long track) const override
    {
        const cd::TrackInfo* t = trackInfo(track);
        return t && t->audio ? 1 : 0;
    }

    bool OpenTray() override
    {
        if (!m_hasCurrent)
            return false;
        m_disc.reset();  // the handle would keep the tray locked on some drives
        return cd::OpenTray(m_current);
    }
    bool CloseTray() override { return m_hasCurrent && cd::CloseTray(m_current); }

    long DeviceIndex() const override { return m_deviceIndex; }
    void DeviceIndex(long index) override { m_deviceIndex = index; }
    long TrackNumber() const override { return m_track; }
    void TrackNumber(long track) override
    {
        m_track = track;
        m_rangeStart = -1;
        m_rangeLength = -1;
    }
    long RangeStart() const override { return m_rangeStart; }
    void RangeStart(long seconds) override { m_rangeStart = seconds; }
    long RangeLength() const override { return m_rangeLength; }
    void RangeLength(long seconds) override { m_rangeLength = seconds; }
    QString OutputFile() const override { return m_output; }
    void OutputFile(const QString& path) override { m_output = path; }

    long DestinationFormat() const override { return m_settings.destinationFormat; }
    void DestinationFormat(long code) override { m_settings.destinationFormat = code; }

    void Rip() override
    {
        const long start = m_rangeStart;
        const long length = m_rangeLength;
        m_rangeStart = -1;
        m_rangeLength = -1;
        if (m_runner.isBusy()) {
            refuse(components::errBusy, QStringLiteral("A rip is already running: track %1 was not ripped.").arg(m_track));
            return;
        }
        const QList<cd::Drive> drives = cd::ListDrives();
        if (m_deviceIndex < 0 || m_deviceIndex >= drives.size()) {
            refuse(components::errCannotRead,
                   m_deviceIndex < 0 ? QStringLiteral("No CD drive is selected: track %1 was not ripped.").arg(m_track)
                                     : QStringLiteral("There is no CD drive number %1: track %2 was not ripped.")
                                           .arg(m_deviceIndex)
                                           .arg(m_track));
            return;
        }
        if (m_output.isEmpty()) {
            refuse(components::errCannotWrite, QStringLiteral("No output file is set for track %1.").arg(m_track));
            return;
        }
        AudioJob job;
        const QString path = drives.at(int(m_deviceIndex)).letter +
                             QStringLiteral("/Track%1.cda").arg(std::max(0L, m_track), 2, 10, QLatin1Char('0'));
        job.inputs.append(JobInput{path, start, length});
        job.output = m_output;
        job.settings = m_settings;
        job.tags = m_tags;
        startJob(job, QStringLiteral("A rip is already running."));
    }

    void Abort() override { m_runner.requestStop(); }

    void Shutdown() override
    {
        silence();
        m_disc.reset();
    }

private:
    const cd::TrackInfo* trackInfo(long track) const
    {
        if (!m_disc || track < 1 || track > m_disc->tracks().size())
            return nullptr;
        return &m_disc->tracks().at(int(track - 1));
    }

    cd::Drive m_current;
    bool m_hasCurrent = false;
    std::unique_ptr<cd::Disc> m_disc;  // the query handle of the current drive
    long m_deviceIndex = -1;
    long m_track = 1;
    long m_rangeStart = -1;
    long m_rangeLength = -1;
    QString m_output;
};

}  // namespace

std::unique_ptr<cAudioCDRipper> CreateAudioCDRipper() { return std::make_unique<AudioCDRipper>(); }
