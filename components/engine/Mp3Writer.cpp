// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/engine/EncoderWriters.h"

#include "components/engine/FormatRecords.h"
#include "components/engine/Id3Writer.h"
#include "components/engine/OutputFile.h"
#include "components/engine/WavFile.h"

#include <lame/lame.h>

#include <QFile>

#include <algorithm>
#include <climits>
#include <cstring>
#include <mutex>
#include <vector>

namespace engine {

namespace {

constexpr int kMp3Rates[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};

int bitrateAt(int position) { return kMp3Bitrates[std::clamp(position, 0, 18)]; }

// MPEG-1 (32 kHz and up) starts at 32 kbit/s; the lower rates of MPEG-2 and 2.5 go down to 8.
int lowestBitrateAt(int rate) { return rate >= 32000 ? 32 : 8; }

constexpr int kBitratesMpeg1[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
constexpr int kBitratesMpeg2[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
// Xing/Info part (tag, flags, frames, bytes, table of contents, quality) and LAME extension.
constexpr int kInfoTagBytes = 120;
constexpr int kLameExtensionBytes = 36;

// CRC-16 as the LAME extension uses it (polynomial 0x8005, reflected, start 0).
uint16_t crc16(uint16_t crc, const unsigned char* data, size_t size)
{
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? uint16_t((crc >> 1) ^ 0xA001) : uint16_t(crc >> 1);
    }
    return crc;
}

void putBe32(unsigned char* p, uint32_t v)
{
    p[0] = uchar(v >> 24);
    p[1] = uchar(v >> 16);
    p[2] = uchar(v >> 8);
    p[3] = uchar(v);
}

// The encoder leaves out its info frame when a frame at the stream's bitrate is too small to
// hold it (constant bitrates below about 64 kbit/s). The frame header is then written here at a
// bitrate large enough for it: decoders skip the info frame and take the stream's own frames
// as they come.
struct OwnInfoFrame {
    int length = 0;
    unsigned char header[4] = {};
    int sideInfo = 0;

    static OwnInfoFrame forStream(int rate, bool mono)
    {
        OwnInfoFrame f;
        const bool mpeg1 = rate >= 32000;
        const int base = mpeg1 ? rate : rate >= 16000 ? rate * 2 : rate * 4;
        const int versionBits = mpeg1 ? 3 : rate >= 16000 ? 2 : 0;
        const int rateIndex = base == 44100 ? 0 : base == 48000 ? 1 : 2;
        f.sideInfo = mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
        const int needed = 4 + f.sideInfo + kInfoTagBytes + kLameExtensionBytes;
        const int* table = mpeg1 ? kBitratesMpeg1 : kBitratesMpeg2;
        for (int index = 1; index < 15; ++index) {
            const int length = (mpeg1 ? 144 : 72) * table[index] * 1000 / rate;
            if (length >= needed) {
                f.length = length;
                f.header[0] = 0xff;
                f.header[1] = uchar(0xe0 | versionBits << 3 | 1 << 1 | 1);  // layer III, no CRC
                f.header[2] = uchar(index << 4 | rateIndex << 2);
                f.header[3] = uchar((mono ? 3 : 1) << 6);  // mono or joint stereo
                break;
            }
        }
        return f;
    }
};

// Whether the encoder writes its own info frame with these settings: it does when the frame
// that carries it, at the stream's bitrate for constant bitrates, holds the tag.
bool encoderWritesInfoFrame(lame_global_flags* lame, bool errorProtection)
{
    const int rate = lame_get_out_samplerate(lame);
    if (rate <= 0)
        return false;
    const bool mpeg1 = rate >= 32000;
    const bool mono = lame_get_mode(lame) == MONO;
    int kbps = mpeg1 ? 128 : rate < 16000 ? 32 : 64;
    if (lame_get_VBR(lame) == vbr_off)
        kbps = lame_get_brate(lame);
    const int frame = (mpeg1 ? 144000 : 72000) * kbps / rate;
    const int sideInfo = 4 + (mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17)) + (errorProtection ? 2 : 0);
    return frame >= sideInfo + kInfoTagBytes + kLameExtensionBytes && frame <= 2880;
}

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
        // A bitrate below what the rate allows is reached at the lower rate the encoder picks
        // for it (and resamples to), as its command line does; otherwise the rate is kept.
        const int asked = r.VBRMethod == mp3Abr ? r.ABRBitrate : r.VBRMethod == mp3Vbr ? 0 : r.Bitrate;
        if (asked <= 0 || asked >= lowestBitrateAt(r.SampleRate))
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
        // Every output carries the info frame: without its delay and padding no decoder can
        // give back the length that was encoded.
        lame_set_bWriteVbrTag(m_lame, 1);
        lame_set_copyright(m_lame, r.Copyright ? 1 : 0);
        lame_set_original(m_lame, r.Original ? 1 : 0);
        lame_set_error_protection(m_lame, r.ErrorProtection ? 1 : 0);
        lame_set_strict_ISO(m_lame, r.StrictISO ? 1 : 0);
        lame_set_write_id3tag_automatic(m_lame, 0);
        if (lame_init_params(m_lame) < 0)
            return failure(error, QStringLiteral("the MP3 encoder refused these settings."));
        if (!encoderWritesInfoFrame(m_lame, r.ErrorProtection != 0)) {
            m_ownInfo = OwnInfoFrame::forStream(lame_get_out_samplerate(m_lame), lame_get_mode(m_lame) == MONO);
            if (m_ownInfo.length <= 0)
                return failure(error, QStringLiteral("the MP3 encoder refused these settings."));
        }

        if (!m_file.open())
            return failure(error, m_file.errorString());
        m_id3v1 = buildId3v1Tag(tags);
        const QByteArray id3v2 = buildId3v2Tag(tags);
        if (m_file.write(id3v2) != id3v2.size())
            return failure(error, m_file.errorString());
        m_audioStart = id3v2.size();
        if (m_ownInfo.length > 0) {
            // Room for the info frame, filled in when the stream's length is known.
            const QByteArray placeholder(m_ownInfo.length, '\0');
            if (m_file.write(placeholder) != placeholder.size())
                return failure(error, m_file.errorString());
        }
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
        std::vector<unsigned char> frame(2880);
        size_t size = 0;
        if (m_ownInfo.length > 0) {
            size = size_t(m_ownInfo.length);
            fillOwnInfoFrame(frame.data());
        } else {
            size = lame_get_lametag_frame(m_lame, frame.data(), frame.size());
        }
        if (size > 0 && size <= frame.size()) {
            if (!m_file.seek(m_audioStart) ||
                m_file.write(reinterpret_cast<const char*>(frame.data()), int64_t(size)) != int64_t(size))
                return failure(error, m_file.errorString());
        }
        if (!m_file.flush())
            return failure(error, m_file.errorString());
        m_file.close();
        if (m_file.failed())
            return failure(error, m_file.errorString());
        return true;
    }

private:
    bool put(const unsigned char* data, int bytes, QString* error)
    {
        if (bytes > 0 && m_file.write(reinterpret_cast<const char*>(data), bytes) != bytes)
            return failure(error, m_file.errorString());
        if (bytes > 0) {
            m_musicCrc = crc16(m_musicCrc, data, size_t(bytes));
            m_audioBytes += bytes;
        }
        return true;
    }

    // Xing "Info" part and LAME extension, laid out as the encoder writes them for a constant
    // bitrate; the delay and padding are what gapless decoders cut.
    void fillOwnInfoFrame(unsigned char* f) const
    {
        const int length = m_ownInfo.length;
        std::fill(f, f + length, 0);
        std::copy(std::begin(m_ownInfo.header), std::end(m_ownInfo.header), f);
        unsigned char* p = f + 4 + m_ownInfo.sideInfo;
        const int64_t streamBytes = m_audioBytes + length;
        memcpy(p, "Info", 4);
        putBe32(p + 4, 0x0f);  // frames, bytes, table of contents, quality
        putBe32(p + 8, uint32_t(lame_get_frameNum(m_lame)));
        putBe32(p + 12, uint32_t(std::min<int64_t>(streamBytes, UINT32_MAX)));
        for (int i = 0; i < 100; ++i)  // constant bitrate: position grows with time
            p[16 + i] = uchar(i * 256 / 100);
        putBe32(p + 116, uint32_t(std::max(0, 100 - 10 * std::clamp(m_record.Quality, 0, 9))));
        unsigned char* e = p + kInfoTagBytes;
        QByteArray encoder = QByteArrayLiteral("LAME") + QByteArray(get_lame_short_version());
        encoder = encoder.left(9).leftJustified(9, ' ');
        memcpy(e, encoder.constData(), 9);
        e[9] = 0x01;  // tag revision 0, constant bitrate
        e[10] = uchar(std::clamp(lame_get_lowpassfreq(m_lame) / 100, 0, 255));
        e[20] = uchar(std::clamp(lame_get_brate(m_lame), 0, 255));
        const int delay = std::clamp(lame_get_encoder_delay(m_lame), 0, 4095);
        const int padding = std::clamp(lame_get_encoder_padding(m_lame), 0, 4095);
        e[21] = uchar(delay >> 4);
        e[22] = uchar((delay & 0x0f) << 4 | padding >> 8);
        e[23] = uchar(padding);
        putBe32(e + 28, uint32_t(std::min<int64_t>(streamBytes, UINT32_MAX)));
        e[32] = uchar(m_musicCrc >> 8);
        e[33] = uchar(m_musicCrc);
        const uint16_t tagCrc = crc16(0, f, size_t(e + 34 - f));
        e[34] = uchar(tagCrc >> 8);
        e[35] = uchar(tagCrc);
    }
    bool failure(QString* error, const QString& why)
    {
        if (error)
            *error = QStringLiteral("Cannot write the file '%1': %2").arg(fileText(m_file.fileName()), why);
        return false;
    }

    OutputFile m_file;
    Mp3FormatRecord m_record;
    PcmFormat m_format;
    lame_global_flags* m_lame = nullptr;
    int64_t m_audioStart = 0;
    OwnInfoFrame m_ownInfo;
    int64_t m_audioBytes = 0;  // encoded frames written so far (the info frame left out)
    uint16_t m_musicCrc = 0;
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
