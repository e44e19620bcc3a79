// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/engine/EncoderWriters.h"

#include "components/engine/OutputFile.h"
#include "components/engine/WavFile.h"

#include <vorbis/vorbisenc.h>

#include <QDebug>
#include <QFile>

#include <algorithm>

namespace engine {

namespace {

class OggWriter final : public AudioWriter {
public:
    OggWriter(const QString& path, const PcmFormat& format) : m_file(path), m_format(format) {}
    ~OggWriter() override
    {
        if (m_started) {
            ogg_stream_clear(&m_os);
            vorbis_block_clear(&m_vb);
            vorbis_dsp_clear(&m_vd);
        }
        vorbis_comment_clear(&m_vc);
        vorbis_info_clear(&m_vi);
    }

    bool open(const OggFormatRecord& record, const AudioTags& tags, QString* error)
    {
        vorbis_info_init(&m_vi);
        vorbis_comment_init(&m_vc);
        int rc;
        if (record.Mode == 2) {
            const int asked = std::max(record.NominalBitrate, 1);
            const int kbps = nearestBitrate(asked);
            if (kbps > 0 && kbps != asked)
                qInfo().noquote() << QStringLiteral("Ogg Vorbis: %1 kbit/s is not possible at %2 Hz with %3 channel(s); "
                                                    "writing %4 kbit/s.")
                                         .arg(asked)
                                         .arg(m_format.sampleRate)
                                         .arg(m_format.channels)
                                         .arg(kbps);
            rc = kbps > 0 ? vorbis_encode_init(&m_vi, m_format.channels, m_format.sampleRate, -1, long(kbps) * 1000, -1)
                          : -1;
            if (rc != 0)
                return failure(error, QStringLiteral("Ogg Vorbis cannot be written at %1 kbit/s for %2 Hz and %3 "
                                                     "channels.")
                                          .arg(record.NominalBitrate)
                                          .arg(m_format.sampleRate)
                                          .arg(m_format.channels));
        } else {
            const float quality = float(std::clamp(record.Quality, 0, 100)) / 100.0f;
            rc = vorbis_encode_init_vbr(&m_vi, m_format.channels, m_format.sampleRate, quality);
            if (rc != 0)
                return failure(error, QStringLiteral("Ogg Vorbis cannot be written for %1 Hz and %2 channels.")
                                          .arg(m_format.sampleRate)
                                          .arg(m_format.channels));
        }
        addComment("TITLE", tags.title);
        addComment("ARTIST", tags.artist);
        addComment("ALBUM", tags.album);
        addComment("DATE", tags.year);
        addComment("COMMENT", tags.comment);
        addComment("GENRE", tags.genre);
        addComment("TRACKNUMBER", tags.track);

        if (!m_file.open())
            return failure(error, m_file.errorString());
        vorbis_analysis_init(&m_vd, &m_vi);
        vorbis_block_init(&m_vd, &m_vb);
        // A fixed serial keeps outputs reproducible; each file holds one stream only.
        ogg_stream_init(&m_os, 0x51554c4d);
        m_started = true;
        ogg_packet header, comments, codebooks;
        vorbis_analysis_headerout(&m_vd, &m_vc, &header, &comments, &codebooks);
        ogg_stream_packetin(&m_os, &header);
        ogg_stream_packetin(&m_os, &comments);
        ogg_stream_packetin(&m_os, &codebooks);
        ogg_page page;
        while (ogg_stream_flush(&m_os, &page) != 0)
            if (!writePage(page, error))
                return false;
        return writeBuffer(error);
    }

    PcmFormat inputFormat() const override { return m_format; }

    bool write(const uint8_t* buffer, int64_t frames, QString* error) override
    {
        const auto* pcm = reinterpret_cast<const int16_t*>(buffer);
        constexpr int64_t kPiece = 8192;
        const int channels = m_format.channels;
        for (int64_t done = 0; done < frames;) {
            const int n = int(std::min(kPiece, frames - done));
            float** in = vorbis_analysis_buffer(&m_vd, n);
            const int16_t* p = pcm + done * channels;
            for (int i = 0; i < n; ++i)
                for (int c = 0; c < channels; ++c)
                    in[c][i] = float(*p++) / 32768.0f;
            vorbis_analysis_wrote(&m_vd, n);
            if (!drain(error))
                return false;
            done += n;
        }
        return true;
    }

    bool finish(QString* error) override
    {
        vorbis_analysis_wrote(&m_vd, 0);
        if (!drain(error) || !writeBuffer(error))
            return false;
        if (!m_file.flush())
            return failure(error, m_file.errorString());
        m_file.close();
        if (m_file.failed())
            return failure(error, m_file.errorString());
        return true;
    }

private:
    bool acceptsBitrate(int kbps) const
    {
        vorbis_info vi;
        vorbis_info_init(&vi);
        const bool ok =
            vorbis_encode_setup_managed(&vi, m_format.channels, m_format.sampleRate, -1, long(kbps) * 1000, -1) == 0;
        vorbis_info_clear(&vi);
        return ok;
    }

    // The encoder takes average bitrates within a range that depends on the rate and channel
    // count (at 44.1 kHz stereo from about 45 kbit/s): the nearest one it takes, 0 for none.
    int nearestBitrate(int asked) const
    {
        if (acceptsBitrate(asked))
            return asked;
        for (int kbps : {64, 96, 128, 48, 32, 192, 256, 16, 320, 500, 8, 1000})
            if (acceptsBitrate(kbps))
                return nearestFrom(kbps, asked);
        return 0;
    }

    // From an accepted value, the accepted one nearest to the asked one.
    int nearestFrom(int accepted, int asked) const
    {
        int lo = std::min(accepted, asked), hi = std::max(accepted, asked);
        // accepted is at one end; the boundary lies between the two.
        const bool acceptedLow = accepted < asked;
        while (hi - lo > 1) {
            const int mid = lo + (hi - lo) / 2;
            if (acceptsBitrate(mid) == acceptedLow)
                lo = mid;
            else
                hi = mid;
        }
        return acceptedLow ? lo : hi;
    }

    void addComment(const char* name, const QString& value)
    {
        if (!value.isEmpty())
            vorbis_comment_add_tag(&m_vc, name, value.toUtf8().constData());
    }

    bool drain(QString* error)
    {
        while (vorbis_analysis_blockout(&m_vd, &m_vb) == 1) {
            vorbis_analysis(&m_vb, nullptr);
            vorbis_bitrate_addblock(&m_vb);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&m_vd, &packet)) {
                ogg_stream_packetin(&m_os, &packet);
                ogg_page page;
                while (ogg_stream_pageout(&m_os, &page) != 0)
                    if (!writePage(page, error))
                        return false;
            }
        }
        // After the last packet the stream's final page is still held back.
        ogg_page page;
        if (ogg_stream_eos(&m_os) == 0)
            return true;
        while (ogg_stream_flush(&m_os, &page) != 0)
            if (!writePage(page, error))
                return false;
        return true;
    }

    // Pages are gathered and written in large pieces: the file is unbuffered so that a failed
    // write reports the system's reason.
    bool writePage(const ogg_page& page, QString* error)
    {
        m_buffer.append(reinterpret_cast<const char*>(page.header), page.header_len);
        m_buffer.append(reinterpret_cast<const char*>(page.body), page.body_len);
        return m_buffer.size() < (1 << 16) || writeBuffer(error);
    }

    bool writeBuffer(QString* error)
    {
        if (!m_buffer.isEmpty() && m_file.write(m_buffer) != m_buffer.size())
            return failure(error, m_file.errorString());
        m_buffer.clear();
        return true;
    }

    bool failure(QString* error, const QString& why)
    {
        if (error)
            *error = QStringLiteral("Cannot write the file '%1': %2").arg(fileText(m_file.fileName()), why);
        return false;
    }

    OutputFile m_file;
    QByteArray m_buffer;
    PcmFormat m_format;
    vorbis_info m_vi{};
    vorbis_comment m_vc{};
    vorbis_dsp_state m_vd{};
    vorbis_block m_vb{};
    ogg_stream_state m_os{};
    bool m_started = false;
};

}  // namespace

std::unique_ptr<AudioWriter> createOggWriter(const OggFormatRecord& record, const PcmFormat& source,
                                             const QString& path, const AudioTags& tags, QString* error)
{
    const PcmFormat format{source.sampleRate > 0 ? source.sampleRate : 44100,
                           std::clamp(source.channels, 1, 8), 16};
    auto writer = std::make_unique<OggWriter>(path, format);
    if (!writer->open(record, tags, error))
        return nullptr;
    return writer;
}

}  // namespace engine
