// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/engine/EncoderWriters.h"

#include "components/engine/FormatRecords.h"
#include "components/engine/Id3Writer.h"
#include "components/engine/WavFile.h"

#include <lame/lame.h>

#include <QFile>

#include <algorithm>
#include <mutex>
#include <vector>

namespace engine {

namespace {

constexpr int kMp3Rates[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};

int bitrateAt(int position) { return kMp3Bitrates[std::clamp(position, 0, 18)]; }

// ID3v2 first, then the audio (whose first frame LAME later rewrites as the info frame when
// asked to), then ID3v1.
class Mp3Writer final : public AudioWriter {
public:
    Mp3Writer(const QString& path, const Mp3FormatRecord& record) : m_file(path), m_record(record) {}
    ~Mp3Writer() override
    {
        if (m_lame)
            lame_close(m_lame);
    }

    bool open(const AudioTags& tags, QString* error)
    {
        const Mp3FormatRecord& r = m_record;
        if (std::find(std::begin(kMp3Rates), std::end(kMp3Rates), r.SampleRate) == std::end(kMp3Rates))
            return failure(error, QStringLiteral("MP3 cannot be written at %1 Hz.").arg(r.SampleRate));
        const bool mono = r.Mode == mp3Mono;
        m_format = PcmFormat{r.SampleRate, mono ? 1 : 2, 16};

        // LAME fills shared tables the first time it is set up; two jobs starting together
        // must not race on them.
        static std::mutex setUp;
        std::lock_guard lock(setUp);
        m_lame = lame_init();
        if (!m_lame)
            return failure(error, QStringLiteral("the MP3 encoder could not be started."));
        lame_set_num_channels(m_lame, m_format.channels);
        lame_set_in_samplerate(m_lame, r.SampleRate);
        lame_set_out_samplerate(m_lame, r.SampleRate);
        switch (r.Mode) {
        case mp3Stereo: lame_set_mode(m_lame, STEREO); break;
        case mp3JointStereo: lame_set_mode(m_lame, JOINT_STEREO); break;
        case mp3DualChannel: lame_set_mode(m_lame, DUAL_CHANNEL); break;
        case mp3Mono: lame_set_mode(m_lame, MONO); break;
        case mp3ForceJointStereo:
            lame_set_mode(m_lame, JOINT_STEREO);
            lame_set_force_ms(m_lame, 1);
            break;
        default: break;  // not set: the encoder chooses
        }
        lame_set_quality(m_lame, std::clamp(r.Quality, 0, 9));
        switch (r.VBRMethod) {
        case mp3Abr:
            lame_set_VBR(m_lame, vbr_abr);
            lame_set_VBR_mean_bitrate_kbps(m_lame, std::clamp(r.ABRBitrate, 8, 320));
            break;
        case mp3Vbr:
            lame_set_VBR(m_lame, vbr_mtrh);
            lame_set_VBR_quality(m_lame, float(std::clamp(r.VBRQuality, 0, 9)));
            break;
        default:
            lame_set_VBR(m_lame, vbr_off);
            lame_set_brate(m_lame, std::clamp(r.Bitrate, 8, 320));
            break;
        }
        if (r.VBRMethod == mp3Abr || r.VBRMethod == mp3Vbr) {
            const int lo = bitrateAt(r.VBRMinBitrate), hi = bitrateAt(r.VBRMaxBitrate);
            lame_set_VBR_min_bitrate_kbps(m_lame, std::min(lo, hi));
            lame_set_VBR_max_bitrate_kbps(m_lame, std::max(lo, hi));
            lame_set_VBR_hard_min(m_lame, r.VBRForceMin ? 1 : 0);
        }
        lame_set_bWriteVbrTag(m_lame, r.WriteVBRTag ? 1 : 0);
        lame_set_copyright(m_lame, r.Copyright ? 1 : 0);
        lame_set_original(m_lame, r.Original ? 1 : 0);
        lame_set_error_protection(m_lame, r.ErrorProtection ? 1 : 0);
        lame_set_strict_ISO(m_lame, r.StrictISO ? 1 : 0);
        lame_set_write_id3tag_automatic(m_lame, 0);
        if (lame_init_params(m_lame) < 0)
            return failure(error, QStringLiteral("the MP3 encoder refused these settings."));

        if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return failure(error, m_file.errorString());
        m_id3v1 = buildId3v1Tag(tags);
        const QByteArray id3v2 = buildId3v2Tag(tags);
        if (m_file.write(id3v2) != id3v2.size())
            return failure(error, m_file.errorString());
        m_audioStart = id3v2.size();
        return true;
    }

    PcmFormat inputFormat() const override { return m_format; }

    bool write(const uint8_t* buffer, int64_t frames, QString* error) override
    {
        const auto* pcm = reinterpret_cast<const short*>(buffer);
        // LAME takes an int count; feed it in bounded pieces.
        constexpr int64_t kPiece = 1 << 16;
        for (int64_t done = 0; done < frames;) {
            const int n = int(std::min(kPiece, frames - done));
            m_out.resize(size_t(n) * 5 / 4 + 7200);
            const short* p = pcm + done * m_format.channels;
            const int got = m_format.channels == 1
                                ? lame_encode_buffer(m_lame, p, p, n, m_out.data(), int(m_out.size()))
                                : lame_encode_buffer_interleaved(m_lame, const_cast<short*>(p), n, m_out.data(),
                                                                 int(m_out.size()));
            if (got < 0)
                return failure(error, QStringLiteral("the MP3 encoder failed (%1).").arg(got));
            if (!put(m_out.data(), got, error))
                return false;
            done += n;
        }
        return true;
    }

    bool finish(QString* error) override
    {
        m_out.resize(7200 * 2);
        const int got = lame_encode_flush(m_lame, m_out.data(), int(m_out.size()));
        if (got < 0)
            return failure(error, QStringLiteral("the MP3 encoder failed (%1).").arg(got));
        if (!put(m_out.data(), got, error))
            return false;
        if (m_file.write(m_id3v1) != m_id3v1.size())
            return failure(error, m_file.errorString());
        if (m_record.WriteVBRTag) {
            std::vector<unsigned char> frame(2880);
            const size_t size = lame_get_lametag_frame(m_lame, frame.data(), frame.size());
            if (size > 0 && size <= frame.size()) {
                if (!m_file.seek(m_audioStart) || m_file.write(reinterpret_cast<const char*>(frame.data()),
                                                               int64_t(size)) != int64_t(size))
                    return failure(error, m_file.errorString());
            }
        }
        if (!m_file.flush())
            return failure(error, m_file.errorString());
        m_file.close();
        if (m_file.error() != QFileDevice::NoError)
            return failure(error, m_file.errorString());
        return true;
    }

private:
    bool put(const unsigned char* data, int bytes, QString* error)
    {
        if (bytes > 0 && m_file.write(reinterpret_cast<const char*>(data), bytes) != bytes)
            return failure(error, m_file.errorString());
        return true;
    }
    bool failure(QString* error, const QString& why)
    {
        if (error)
            *error = QStringLiteral("Cannot write the file '%1': %2").arg(fileText(m_file.fileName()), why);
        return false;
    }

    QFile m_file;
    Mp3FormatRecord m_record;
    PcmFormat m_format;
    lame_global_flags* m_lame = nullptr;
    int64_t m_audioStart = 0;
    QByteArray m_id3v1;
    std::vector<unsigned char> m_out;
};

}  // namespace

std::unique_ptr<AudioWriter> createMp3Writer(const Mp3FormatRecord& record, const QString& path,
                                             const AudioTags& tags, QString* error)
{
    auto writer = std::make_unique<Mp3Writer>(path, record);
    if (!writer->open(tags, error))
        return nullptr;
    return writer;
}

}  // namespace engine
