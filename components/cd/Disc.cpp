// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/cd/Disc.h"

#include <QFile>
#include <QFileInfo>

#include <cdio/cdio.h>
#include <cdio/logging.h>

#include <cerrno>
#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace cd {

namespace {

QString quoted(const Drive& drive) { return QLatin1Char('\'') + drive.name + QLatin1Char('\''); }

// The kernel's own answer on the drive: asked on a non-blocking descriptor, so a tray that is
// open or a disc still spinning up reports "not ready" at once instead of stalling the caller.
bool deviceReady(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    const int status = ::ioctl(fd, CDROM_DRIVE_STATUS, CDSL_CURRENT);
    ::close(fd);
    // Drives that cannot tell their status are asked through libcdio afterwards.
    return status == CDS_DISC_OK || status == CDS_NO_INFO || (status < 0 && errno == ENOSYS);
}

// libcdio reports through its own logger to stderr by default; the components tell their
// callers instead.
void quietLibcdio()
{
    static const bool once = [] {
        cdio_loglevel_default = CDIO_LOG_ERROR;
        cdio_log_set_handler([](cdio_log_level_t, const char*) {});
        return true;
    }();
    Q_UNUSED(once);
}

}  // namespace

Disc::~Disc()
{
    if (m_cdio)
        cdio_destroy(m_cdio);
}

CdIo_t* Disc::takeHandle()
{
    CdIo_t* h = m_cdio;
    m_cdio = nullptr;
    return h;
}

bool Disc::isAudio() const
{
    for (const TrackInfo& t : m_tracks)
        if (t.audio)
            return true;
    return false;
}

std::unique_ptr<Disc> Disc::open(const Drive& drive, QString* error)
{
    quietLibcdio();
    auto fail = [&](const QString& text) -> std::unique_ptr<Disc> {
        if (error)
            *error = text;
        return nullptr;
    };
    std::unique_ptr<Disc> disc(new Disc(drive));
    const QByteArray path = QFile::encodeName(drive.path);

    {
        QString why;
        switch (ImageSlotOf(drive, &why)) {
        case ImageSlot::Empty: return fail(QStringLiteral("There is no disc in the drive ") + quoted(drive) + QLatin1Char('.'));
        case ImageSlot::Blocked: return fail(why);
        case ImageSlot::Disc: break;
        }
    }
    if (drive.kind == Drive::DataImage) {
        const QFileInfo fi(drive.path);
        TrackInfo t;
        t.number = 1;
        t.sectors = int32_t(fi.size() / 2048);
        disc->m_tracks << t;
        disc->m_leadOut = t.sectors;
        return disc;
    }
    if (drive.kind == Drive::AudioImage) {
        CueSheet sheet;
        QString why;
        if (!ReadCueSheet(drive.path, &sheet, &why))
            return fail(QStringLiteral("The disc in the drive ") + quoted(drive) + QStringLiteral(" cannot be read from the cue sheet '") +
                        drive.path + QStringLiteral("': ") + why);
        for (const CueTrack& c : sheet.tracks) {
            TrackInfo t;
            t.number = int(disc->m_tracks.size()) + 1;
            t.audio = c.audio;
            t.firstSector = c.firstSector;
            t.sectors = c.sectors;
            disc->m_tracks << t;
        }
        disc->m_leadOut = sheet.leadOut;
        disc->m_image = std::move(sheet);
        return disc;
    } else {
        if (!deviceReady(drive.path))
            return fail(QStringLiteral("There is no disc in the drive ") + quoted(drive) + QStringLiteral(", or it is not ready."));
        disc->m_cdio = cdio_open(path.constData(), DRIVER_DEVICE);
    }
    if (!disc->m_cdio)
        return fail(QStringLiteral("The disc in the drive ") + quoted(drive) + QStringLiteral(" cannot be read."));

    const track_t first = cdio_get_first_track_num(disc->m_cdio);
    const track_t count = cdio_get_num_tracks(disc->m_cdio);
    if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0)
        return fail(QStringLiteral("There is no disc in the drive ") + quoted(drive) + QLatin1Char('.'));
    for (track_t i = first; i < first + count; ++i) {
        TrackInfo t;
        t.number = int(i - first) + 1;
        t.audio = cdio_get_track_format(disc->m_cdio, i) == TRACK_FORMAT_AUDIO;
        t.firstSector = cdio_get_track_lsn(disc->m_cdio, i);
        const unsigned int sectors = cdio_get_track_sec_count(disc->m_cdio, i);
        t.sectors = int32_t(sectors);
        disc->m_tracks << t;
    }
    disc->m_leadOut = cdio_get_track_lsn(disc->m_cdio, CDIO_CDROM_LEADOUT_TRACK);
    return disc;
}

bool DiscPresent(const Drive& drive)
{
    switch (drive.kind) {
    case Drive::AudioImage:
    case Drive::DataImage: return ImageSlotOf(drive) == ImageSlot::Disc;
    case Drive::Device: break;
    }
    return deviceReady(drive.path);
}

bool OpenTray(const Drive& drive)
{
    if (drive.kind != Drive::Device)
        return true;
    quietLibcdio();
    return cdio_eject_media_drive(QFile::encodeName(drive.path).constData()) == DRIVER_OP_SUCCESS;
}

bool CloseTray(const Drive& drive)
{
    if (drive.kind != Drive::Device)
        return true;
    quietLibcdio();
    return cdio_close_tray(QFile::encodeName(drive.path).constData(), nullptr) == DRIVER_OP_SUCCESS;
}

}  // namespace cd
