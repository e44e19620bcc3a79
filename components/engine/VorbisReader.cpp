// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/engine/VorbisReader.h"

#include "components/engine/PendingFrames.h"
#include "components/engine/SampleConverter.h"
#include "components/engine/SourceFile.h"
#include "components/engine/WavFile.h"

#include <ogg/ogg.h>
#include <vorbis/vorbisfile.h>

#include <QFile>

extern "C" {
#include <libavutil/samplefmt.h>
}

#include <algorithm>
#include <cstdio>
#include <cstring>

#include <unistd.h>

namespace engine {

namespace {

// Decoded blocks come in Vorbis channel order; the outputs use the WAV order. Entry j names
// the Vorbis channel that becomes channel j.
constexpr int kVorbisToWav[8][8] = {
    {0},
    {0, 1},
    {0, 2, 1},
    {0, 1, 2, 3},
    {0, 2, 1, 3, 4},
    {0, 2, 1, 5, 3, 4},
    {0, 2, 1, 6, 5, 3, 4},
    {0, 2, 1, 7, 5, 6, 3, 4},
};

// Consecutive holes (lost pages) tolerated before the file counts as damaged.
constexpr int kMaxHoles = 64;
constexpr int kBlockFrames = 4096;

// Whether pages of the file's first stream were lost before its first audio page: a page that
// fails its checksum, bytes that are no page, or a gap in the page numbers. The library then
// takes the first page it can read for the stream's start and counts the length from there, so
// a file that lost its beginning would read as a shorter, whole one.
bool audioStartLost(const QString& path)
{
    const SourceOpen opened = openSourceFile(path);
    if (opened.fd < 0)
        return false;
    ogg_sync_state sync;
    ogg_sync_init(&sync);
    // Header pages hold the codebooks and the comments, pictures included: a few megabytes at most.
    constexpr int64_t kHeaderLimit = 64 << 20;
    constexpr long kChunk = 65536;
    bool lost = false;
    bool first = true;
    int serial = 0;
    long expected = 0;
    for (int64_t offset = 0; offset < kHeaderLimit;) {
        ogg_page page;
        const long got = ogg_sync_pageseek(&sync, &page);
        if (got < 0) {
            lost = true;
            break;
        }
        if (got == 0) {
            char* buffer = ogg_sync_buffer(&sync, kChunk);
            const ssize_t n = buffer ? ::pread(opened.fd, buffer, size_t(kChunk), off_t(offset)) : -1;
            if (n <= 0)
                break;
            ogg_sync_wrote(&sync, long(n));
            offset += n;
            continue;
        }
        if (first) {
            serial = ogg_page_serialno(&page);
            first = false;
        } else if (ogg_page_serialno(&page) != serial) {
            continue;
        }
        if (ogg_page_pageno(&page) != expected) {
            lost = true;
            break;
        }
        ++expected;
        if (ogg_page_granulepos(&page) != 0)
            break;  // the first audio page, where it belongs
    }
    ogg_sync_clear(&sync);
    ::close(opened.fd);
    return lost;
}

// Ogg Vorbis through the reference decoder library, which cuts the first and the last block
// at the granule positions of the stream: exactly the samples that were encoded come out, and
// seeks are sample-exact.
class VorbisReader final : public AudioReader {
public:
    explicit VorbisReader(const QString& path) : m_path(path) {}
    ~VorbisReader() override
    {
        if (m_open)
            ov_clear(&m_vf);
    }

    // 1 opened, 0 not an Ogg Vorbis stream the library opens, -1 one that cannot be used.
    int open(QString* error)
    {
        // Anything the library does not open is left to the general decoder, which may still
        // make something of a damaged stream (or says why the file cannot be opened).
        const SourceOpen opened = openSourceFile(m_path);
        if (opened.fd < 0)
            return 0;
        FILE* file = ::fdopen(opened.fd, "rb");
        if (!file) {
            ::close(opened.fd);
            return 0;
        }
        // The library owns the file once it opened it, not before.
        if (ov_open_callbacks(file, &m_vf, nullptr, 0, OV_CALLBACKS_DEFAULT) != 0) {
            std::fclose(file);
            return 0;
        }
        m_open = true;
        const vorbis_info* vi = ov_info(&m_vf, -1);
        if (!vi || vi->channels < 1 || vi->rate <= 0)
            return failure(error, QStringLiteral("The file '%1' holds no audio."));
        if (vi->rate < kMinSampleRate || vi->rate > kMaxSampleRate) {
            if (error)
                *error = unsupportedRateText(m_path, vi->rate);
            return -1;
        }
        if (!isReadableChannelCount(vi->channels)) {
            if (error)
                *error = unsupportedChannelsText(m_path, vi->channels);
            return -1;
        }
        // Chained streams must keep one layout: the outputs take one rate and channel count.
        for (int link = 0; link < ov_streams(&m_vf); ++link) {
            const vorbis_info* li = ov_info(&m_vf, link);
            if (!li || li->channels != vi->channels || li->rate != vi->rate)
                return failure(error, QStringLiteral("The file '%1' changes its sample rate or channels midway."));
        }
        m_channels = vi->channels;
        m_info.format = PcmFormat{int(vi->rate), vi->channels, 16};
        m_info.codecName = QStringLiteral("vorbis");
        const long bitrate = ov_bitrate(&m_vf, -1);
        m_info.bitrate = bitrate > 0 ? int(std::min<long>(bitrate, INT32_MAX)) : int(std::max<long>(vi->bitrate_nominal, 0));
        ogg_int64_t total = ov_pcm_total(&m_vf, -1);
        // A stream that lost its first audio pages still says how long it is: its last page's
        // position counts from its first sample. What the pages left hold then falls short of it.
        if (ov_streams(&m_vf) == 1 && audioStartLost(m_path))
            total = std::max<ogg_int64_t>(total, lastOggGranule(m_path));
        m_info.totalFrames = total > 0 ? total : 0;
        m_info.lengthExact = total > 0;  // the last page's position
        m_info.durationMs = m_info.totalFrames * 1000 / vi->rate;
        readTags();
        m_out = m_info.format;
        QString detail;
        if (!m_converter.configure(AV_SAMPLE_FMT_FLTP, m_channels, int(vi->rate), m_out, &detail))
            return failure(error, QStringLiteral("Cannot convert the file '%1': ") + detail);
        return 1;
    }

    const SourceInfo& info() const override { return m_info; }

    bool setOutputFormat(const PcmFormat& format, QString* error) override
    {
        QString detail;
        if (!isDeliverable(format) ||
            !m_converter.configure(AV_SAMPLE_FMT_FLTP, m_channels, m_info.format.sampleRate, format, &detail)) {
            if (error)
                *error = QStringLiteral("Cannot convert the file '%1': %2 Hz, %3 channels, %4 bits is not a PCM format.")
                             .arg(fileText(m_path))
                             .arg(format.sampleRate)
                             .arg(format.channels)
                             .arg(format.bitsPerSample);
            return false;
        }
        m_out = format;
        return seekToFrame(0, error);
    }

    bool seekToFrame(int64_t frame, QString* error) override
    {
        const int srcRate = m_info.format.sampleRate;
        int64_t target = srcRate == m_out.sampleRate ? frame : int64_t((__int128)frame * srcRate / m_out.sampleRate);
        target = std::clamp<int64_t>(target, 0, m_info.totalFrames);
        m_pending.clear();
        m_pendingPos = 0;
        m_flushed = false;
        m_ended = false;
        m_converter.reset();
        int rc = target >= m_info.totalFrames ? 0 : ov_pcm_seek(&m_vf, target);
        // A stream whose only audio page is lost has no sample position the library can seek
        // to; its start still is one, and the decode then shows what the file holds.
        if (rc != 0 && target == 0)
            rc = ov_raw_seek(&m_vf, 0);
        if (target >= m_info.totalFrames)
            m_ended = true;  // nothing after the end; the converter has nothing to give either
        if (rc != 0) {
            if (error)
                *error = QStringLiteral("Cannot read the file '%1': it cannot be positioned (%2).")
                             .arg(fileText(m_path))
                             .arg(rc);
            return false;
        }
        return true;
    }

    int64_t read(uint8_t* buffer, int64_t maxFrames, QString* error) override
    {
        return readPendingFrames(m_pending, m_pendingPos, buffer, maxFrames, m_out.bytesPerFrame(),
                                 [&] { return decodeMore(error); });
    }

private:
    // 1 when something was produced or more may come, 0 at the end, -1 on error.
    int decodeMore(QString* error)
    {
        QString detail;
        for (int holes = 0;;) {
            if (m_ended) {
                if (m_flushed)
                    return 0;
                m_flushed = true;
                if (!m_converter.flush(m_pending, &detail))
                    return failure(error, QStringLiteral("Cannot convert the file '%1': ") + detail);
                return m_pending.empty() ? 0 : 1;
            }
            float** pcm = nullptr;
            int link = 0;
            const long n = ov_read_float(&m_vf, &pcm, kBlockFrames, &link);
            if (n == 0) {
                m_ended = true;
                continue;
            }
            if (n == OV_HOLE) {
                // A lost or damaged page costs its samples, not the file.
                if (++holes > kMaxHoles)
                    return failure(error, QStringLiteral("Cannot decode the file '%1': it is damaged."));
                continue;
            }
            if (n < 0)
                return failure(error, QStringLiteral("Cannot decode the file '%1': it is damaged."));
            const int* order = m_channels <= 8 ? kVorbisToWav[m_channels - 1] : nullptr;
            const uint8_t* planes[255];
            for (int c = 0; c < m_channels; ++c)
                planes[c] = reinterpret_cast<const uint8_t*>(pcm[order ? order[c] : c]);
            if (!m_converter.convert(planes, int(n), m_pending, &detail))
                return failure(error, QStringLiteral("Cannot convert the file '%1': ") + detail);
            if (!m_pending.empty())
                return 1;
        }
    }

    void readTags()
    {
        vorbis_comment* vc = ov_comment(&m_vf, -1);
        if (!vc)
            return;
        auto tag = [&](std::initializer_list<const char*> names) {
            for (const char* name : names)
                if (const char* value = vorbis_comment_query(vc, name, 0))
                    return QString::fromUtf8(value).trimmed();
            return QString();
        };
        AudioTags& t = m_info.tags;
        t.title = tag({"TITLE"});
        t.artist = tag({"ARTIST", "AUTHOR", "ALBUMARTIST"});
        t.album = tag({"ALBUM"});
        t.year = tag({"DATE", "YEAR"});
        t.comment = tag({"COMMENT", "DESCRIPTION"});
        t.genre = tag({"GENRE"});
        t.track = tag({"TRACKNUMBER", "TRACK"});
    }

    int failure(QString* error, const QString& text)
    {
        if (error)
            *error = text.arg(fileText(m_path));
        return -1;
    }

    QString m_path;
    OggVorbis_File m_vf{};
    bool m_open = false;
    int m_channels = 0;
    SourceInfo m_info;
    PcmFormat m_out;
    SampleConverter m_converter;
    bool m_ended = false;
    bool m_flushed = false;
    std::vector<uint8_t> m_pending;
    size_t m_pendingPos = 0;
};

}  // namespace

int64_t lastOggGranule(const QString& path)
{
    const SourceOpen opened = openSourceFile(path);
    if (opened.fd < 0)
        return 0;
    QFile file;
    if (!file.open(opened.fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(opened.fd);
        return 0;
    }
    const int64_t tail = std::min<int64_t>(file.size(), 65536);
    if (!file.seek(file.size() - tail))
        return 0;
    const QByteArray data = file.read(tail);
    for (int pos = data.lastIndexOf("OggS"); pos >= 0; pos = data.lastIndexOf("OggS", pos - 1)) {
        if (pos + 27 > data.size())
            continue;
        int64_t granule = 0;
        for (int i = 7; i >= 0; --i)
            granule = (granule << 8) | uint8_t(data[pos + 6 + i]);
        if (granule > 0)
            return granule;
        if (pos == 0)
            break;
    }
    return 0;
}

std::unique_ptr<AudioReader> openVorbisReader(const QString& path, QString* error, bool* isVorbis)
{
    *isVorbis = false;
    {
        const SourceOpen opened = openSourceFile(path);
        if (opened.fd < 0)
            return nullptr;
        char magic[4] = {};
        const bool ogg = ::pread(opened.fd, magic, 4, 0) == 4 && std::memcmp(magic, "OggS", 4) == 0;
        ::close(opened.fd);
        if (!ogg)
            return nullptr;
    }
    auto reader = std::make_unique<VorbisReader>(path);
    const int rc = reader->open(error);
    if (rc == 0)
        return nullptr;
    *isVorbis = true;
    return rc > 0 ? std::move(reader) : nullptr;
}

}  // namespace engine
