// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/cd/TrackReader.h"

#include "components/cd/Disc.h"
#include "components/engine/DiscTrackHook.h"
#include "components/engine/PcmConverter.h"
#include "components/engine/SampleConverter.h"  // isDeliverable
#include "components/engine/SourceFile.h"

#include <QFile>

#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include <unistd.h>

namespace cd {

namespace {

constexpr engine::PcmFormat kCdFormat{44100, 2, 16};
constexpr int kRetries = 20;          // re-reads of a sector before the rip fails
constexpr int kSectorsPerChunk = 8;   // converted at a time when the output is not CD format

// Devices are read through libcdio-paranoia; images straight from their data file, sector by
// sector, so every read() returns after a bounded amount of work and an abort is seen at once.
class DiscTrackReader final : public engine::AudioReader {
public:
    ~DiscTrackReader() override
    {
        if (m_paranoia)
            cdio_paranoia_free(m_paranoia);
        if (m_drive)
            cdio_cddap_close(m_drive);  // frees the libcdio handle with it
    }

    bool init(std::unique_ptr<Disc> disc, const TrackInfo& track, QString* error)
    {
        m_label = QStringLiteral("track %1 of the drive '%2'").arg(track.number).arg(disc->drive().name);
        m_first = track.firstSector;
        m_sectors = track.sectors;
        if (const CueSheet* image = disc->image()) {
            m_image = *image;
            // Never waits on a FIFO put in the data file's place since the sheet was read.
            const engine::SourceOpen opened = engine::openSourceFile(image->dataPath);
            if (opened.fd < 0)
                return fail(error, QStringLiteral("Cannot read the data file of the drive '%1': %2")
                                       .arg(disc->drive().name, engine::sourceOpenErrorText(image->dataPath, opened)));
            if (!m_file.open(opened.fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
                ::close(opened.fd);
                return fail(error, QStringLiteral("Cannot read the data file '%1' of the drive '%2': %3.")
                                       .arg(image->dataPath, disc->drive().name, m_file.errorString()));
            }
            return setUp(error);
        }
        CdIo_t* handle = disc->takeHandle();
        m_drive = cdio_cddap_identify_cdio(handle, CDDA_MESSAGE_FORGETIT, nullptr);
        if (!m_drive) {
            cdio_destroy(handle);
            return fail(error, QStringLiteral("Cannot read audio from the drive '%1'.").arg(disc->drive().name));
        }
        cdio_cddap_verbose_set(m_drive, CDDA_MESSAGE_FORGETIT, CDDA_MESSAGE_FORGETIT);
        // Images and MMC drives deliver little-endian samples; guessing from the audio can
        // mistake unusual material for swapped bytes.
        m_drive->bigendianp = 0;
        if (cdio_cddap_open(m_drive) != 0)
            return fail(error, QStringLiteral("Cannot read audio from the drive '%1'.").arg(disc->drive().name));
        m_drive->bigendianp = 0;
        m_paranoia = cdio_paranoia_init(m_drive);
        if (!m_paranoia)
            return fail(error, QStringLiteral("Cannot read audio from the drive '%1'.").arg(disc->drive().name));
        cdio_paranoia_modeset(m_paranoia, PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP);
        return setUp(error);
    }

    bool setUp(QString* error)
    {
        m_info.format = kCdFormat;
        m_info.totalFrames = int64_t(m_sectors) * kFramesPerSector;
        m_info.durationMs = int64_t(m_sectors) * 1000 / kSectorsPerSecond;
        m_info.codecName = QStringLiteral("cdda");
        m_info.bitrate = 1411200;
        m_out = kCdFormat;
        QString detail;
        m_converter.configure(kCdFormat, kCdFormat, &detail);
        return seekToFrame(0, error);
    }

    const engine::SourceInfo& info() const override { return m_info; }

    bool setOutputFormat(const engine::PcmFormat& format, QString* error) override
    {
        QString detail;
        if (!engine::isDeliverable(format) || !m_converter.configure(kCdFormat, format, &detail))
            return fail(error, QStringLiteral("Cannot convert %1 to %2 Hz, %3 channels, %4 bits. %5")
                                   .arg(m_label).arg(format.sampleRate).arg(format.channels)
                                   .arg(format.bitsPerSample).arg(detail));
        m_out = format;
        return seekToFrame(0, error);
    }

    bool seekToFrame(int64_t frame, QString* error) override
    {
        int64_t src = m_out.sampleRate == kCdFormat.sampleRate
                          ? frame
                          : int64_t((__int128)frame * kCdFormat.sampleRate / m_out.sampleRate);
        src = std::clamp<int64_t>(src, 0, m_info.totalFrames);
        m_pos = src;
        m_pending.clear();
        m_pendingPos = 0;
        m_flushed = false;
        m_converter.reset();
        m_bufferedSector = -1;
        Q_UNUSED(error);
        return true;
    }

    int64_t read(uint8_t* buffer, int64_t maxFrames, QString* error) override
    {
        const int outBpf = m_out.bytesPerFrame();
        int64_t delivered = 0;
        while (delivered < maxFrames) {
            if (m_pendingPos < m_pending.size()) {
                const int64_t n = std::min<int64_t>(int64_t(m_pending.size() - m_pendingPos) / outBpf, maxFrames - delivered);
                memcpy(buffer + delivered * outBpf, m_pending.data() + m_pendingPos, size_t(n * outBpf));
                m_pendingPos += size_t(n * outBpf);
                delivered += n;
                continue;
            }
            m_pending.clear();
            m_pendingPos = 0;
            if (m_converter.isIdentity()) {
                // Straight from the sector buffer, one sector at a time, so an abort is seen
                // between sectors.
                if (m_pos >= m_info.totalFrames)
                    break;
                if (!readSectorAt(m_pos, error))
                    return -1;
                const int64_t offset = m_pos % kFramesPerSector;
                const int64_t n = std::min<int64_t>(kFramesPerSector - offset, maxFrames - delivered);
                memcpy(buffer + delivered * outBpf, m_sector + offset * 4, size_t(n * 4));
                m_pos += n;
                delivered += n;
                if (delivered >= 16 * kFramesPerSector)
                    break;
                continue;
            }
            if (m_pos < m_info.totalFrames) {
                m_raw.clear();
                for (int i = 0; i < kSectorsPerChunk && m_pos < m_info.totalFrames; ++i) {
                    if (!readSectorAt(m_pos, error))
                        return -1;
                    const int64_t offset = m_pos % kFramesPerSector;
                    const int64_t n = std::min<int64_t>(kFramesPerSector - offset, m_info.totalFrames - m_pos);
                    m_raw.insert(m_raw.end(), m_sector + offset * 4, m_sector + (offset + n) * 4);
                    m_pos += n;
                }
                const uint8_t* planes[1] = {m_raw.data()};
                QString detail;
                if (!m_converter.convert(planes, int(m_raw.size() / 4), m_pending, &detail))
                    return fail(error, detail), -1;
            } else if (!m_flushed) {
                m_flushed = true;
                QString detail;
                if (!m_converter.flush(m_pending, &detail))
                    return fail(error, detail), -1;
                if (m_pending.empty())
                    break;
            } else {
                break;
            }
        }
        return delivered;
    }

private:
    bool fail(QString* error, const QString& text)
    {
        if (error)
            *error = text;
        return false;
    }

    // Makes m_sector hold the sector of this frame of the track.
    bool readSectorAt(int64_t frame, QString* error)
    {
        const int32_t sector = m_first + int32_t(frame / kFramesPerSector);
        if (sector == m_bufferedSector)
            return true;
        if (m_file.isOpen())
            return readImageSector(sector, error);
        if (sector != m_nextSector)
            cdio_paranoia_seek(m_paranoia, sector, SEEK_SET);
        const int16_t* data = cdio_paranoia_read_limited(m_paranoia, nullptr, kRetries);
        if (!data || !m_drive->opened) {
            char* text = cdio_cddap_errors(m_drive);
            const QString detail = text ? QString::fromLocal8Bit(text).trimmed() : QString();
            cdio_cddap_free_messages(text);
            return fail(error, QStringLiteral("Cannot read sector %1 of %2.%3")
                                   .arg(sector - m_first).arg(m_label)
                                   .arg(detail.isEmpty() ? QString() : QLatin1Char(' ') + detail));
        }
        memcpy(m_sector, data, kBytesPerSector);
        m_bufferedSector = sector;
        m_nextSector = sector + 1;
        return true;
    }

    // A disc sector of an image: the data file's sector where a segment covers it, silence in
    // the gaps; the missing end of a last sector cut short is silence too.
    bool readImageSector(int32_t sector, QString* error)
    {
        memset(m_sector, 0, sizeof m_sector);
        for (const CueSegment& seg : m_image.segments) {
            if (sector < seg.discSector || sector >= seg.discSector + seg.count)
                continue;
            const int64_t offset = int64_t(seg.fileSector + (sector - seg.discSector)) * kBytesPerSector;
            const int64_t want = std::min<int64_t>(kBytesPerSector, m_image.dataBytes - offset);
            int64_t got = 0;
            if (want > 0 && m_file.seek(offset))
                got = m_file.read(reinterpret_cast<char*>(m_sector), want);
            if (want <= 0 || got != want)
                return fail(error, QStringLiteral("Cannot read sector %1 of %2: the data file '%3' ends before it.")
                                       .arg(sector - m_first).arg(m_label, m_image.dataPath));
            break;
        }
        m_bufferedSector = sector;
        return true;
    }

    CueSheet m_image;
    QFile m_file;
    cdrom_drive_t* m_drive = nullptr;
    cdrom_paranoia_t* m_paranoia = nullptr;
    QString m_label;
    int32_t m_first = 0;
    int32_t m_sectors = 0;
    engine::SourceInfo m_info;
    engine::PcmFormat m_out;
    engine::PcmConverter m_converter;  // the codec module is loaded only for other formats
    int64_t m_pos = 0;  // next frame of the track to read
    int32_t m_bufferedSector = -1;
    int32_t m_nextSector = -1;
    uint8_t m_sector[kBytesPerSector] = {};
    std::vector<uint8_t> m_raw;
    std::vector<uint8_t> m_pending;
    size_t m_pendingPos = 0;
    bool m_flushed = false;
};

std::unique_ptr<engine::AudioReader> openForEngine(const QString& path, QString* error)
{
    return OpenTrackReader(path, error);
}

}  // namespace

std::unique_ptr<engine::AudioReader> OpenTrackReader(const QString& letter, int track, QString* error)
{
    auto fail = [&](const QString& text) -> std::unique_ptr<engine::AudioReader> {
        if (error)
            *error = text;
        return nullptr;
    };
    Drive drive;
    if (!FindDrive(letter, &drive))
        return fail(QStringLiteral("There is no CD drive %1.").arg(letter.toUpper()));
    std::unique_ptr<Disc> disc = Disc::open(drive, error);
    if (!disc)
        return nullptr;
    if (track < 1 || track > disc->tracks().size())
        return fail(QStringLiteral("The disc in the drive '%1' has no track %2.").arg(drive.name).arg(track));
    const TrackInfo info = disc->tracks().at(track - 1);
    if (!info.audio || (!disc->handle() && !disc->image()))
        return fail(QStringLiteral("Track %1 of the disc in the drive '%2' is a data track, not audio.").arg(track).arg(drive.name));
    auto reader = std::make_unique<DiscTrackReader>();
    if (!reader->init(std::move(disc), info, error))
        return nullptr;
    return reader;
}

std::unique_ptr<engine::AudioReader> OpenTrackReader(const QString& path, QString* error)
{
    if (!engine::IsDiscTrackPath(path)) {
        if (error)
            *error = QStringLiteral("'%1' does not name a CD track.").arg(path);
        return nullptr;
    }
    const QString letter = path.left(2);
    const int track = path.mid(8, path.size() - 8 - 4).toInt();
    return OpenTrackReader(letter, track, error);
}

namespace {
QList<engine::DiscImageFile> listedImageFiles()
{
    QList<engine::DiscImageFile> files;
    for (const ImageFile& f : ListedImageFiles())
        files << engine::DiscImageFile{f.path, f.driveName};
    return files;
}
}  // namespace

void InstallTrackReader()
{
    engine::SetDiscTrackOpener(&openForEngine);
    engine::SetDiscImageFilesLister(&listedImageFiles);
}

}  // namespace cd
