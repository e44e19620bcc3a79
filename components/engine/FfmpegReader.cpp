// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/engine/FfmpegReader.h"

#include "components/engine/Mp3Info.h"
#include "components/engine/PendingFrames.h"
#include "components/engine/SampleConverter.h"
#include "components/engine/SourceFile.h"
#include "components/engine/VorbisReader.h"
#include "components/engine/WavFile.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
}

#include <QFile>

#include <algorithm>
#include <mutex>
#include <cstring>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace engine {

void silenceLibraryLog()
{
    // Problems reach the user as our own error texts, which name the file; the libraries' log
    // lines (the resampler's among them) would only come before them on standard error.
    static std::once_flag quiet;
    std::call_once(quiet, [] {
        av_log_set_level(AV_LOG_QUIET);
        av_log_set_callback([](void*, int, const char*, va_list) {});
    });
}

QString avErrorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}

namespace {

// How far a complete decode may fall short of a length the library estimated, in percent of the
// estimate (SourceInfo::estimateSlackPercent), beside the decoder's own padding:
// - a compressed WAV without a sample count whose codec varies its rate: its data divided by the
//   fmt chunk's byte rate, which is only the writer's average. More than an eighth short is
//   damage: a stream cut off, zeroed, or holding no frame at all. (Block codecs are counted from
//   their blocks, and constant-rate MP3 from its size, to within kConstantRateSlackFrames.)
// - other containers: a header's duration, or for raw streams one taken from the first frames'
//   bitrate, which a variable-rate stream can miss widely. Only a decode that ends short of half
//   of it is taken for damage.
constexpr int kWavEstimateSlackPercent = 12;
// A constant-rate MP3 stream without a sample count fills its bytes at its bitrate: the frames a
// decode yields come within one frame of its size over that rate. A few frames more are damage.
constexpr int kConstantRateSlackFrames = 3;
constexpr int kContainerEstimateSlackPercent = 50;
// Consecutive undecodable packets tolerated before the file counts as damaged.
constexpr int kMaxBadPackets = 64;
// Seeks further ahead than this are done by frame offset, not by decoding the way there.
constexpr int64_t kFarSeekSeconds = 5;
// Frames decoded ahead of a seek target: enough for the largest bit reservoir at the lowest
// bitrate plus the filter-bank overlap.
constexpr int64_t kPrerollFrames = 12;

QString metadata(AVDictionary* a, AVDictionary* b, std::initializer_list<const char*> keys)
{
    for (const char* key : keys)
        for (AVDictionary* d : {a, b})
            if (const AVDictionaryEntry* e = av_dict_get(d, key, nullptr, 0))
                return QString::fromUtf8(e->value).trimmed();
    return {};
}

// The demuxer reads through a descriptor opened here rather than opening the path itself: its
// own open would wait forever on a FIFO put in the file's place after the file was looked at.
// The path still goes to the demuxer, whose format guess weighs the file's extension.
class DescriptorInput {
public:
    DescriptorInput() = default;
    DescriptorInput(const DescriptorInput&) = delete;
    DescriptorInput& operator=(const DescriptorInput&) = delete;
    ~DescriptorInput() { close(); }

    // A context for avformat_open_input with this input in place; nullptr with *error set.
    AVFormatContext* open(const QString& path, QString* error)
    {
        close();
        const SourceOpen opened = openSourceFile(path);
        if (opened.fd < 0) {
            if (error)
                *error = sourceOpenErrorText(path, opened);
            return nullptr;
        }
        m_fd = opened.fd;
        constexpr int kBufferBytes = 32768;  // what the library's own file reading uses
        auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferBytes));
        m_io = buffer ? avio_alloc_context(buffer, kBufferBytes, 0, this, &DescriptorInput::read, nullptr,
                                           &DescriptorInput::seek)
                      : nullptr;
        AVFormatContext* fmt = m_io ? avformat_alloc_context() : nullptr;
        if (!buffer || !m_io || !fmt) {
            if (!m_io)
                av_free(buffer);
            close();
            if (error)
                *error = QStringLiteral("Cannot read the file '%1': out of memory.").arg(fileText(path));
            return nullptr;
        }
        fmt->pb = m_io;
        return fmt;
    }

    // After the context that used it is closed.
    void close()
    {
        if (m_io) {
            av_freep(&m_io->buffer);
            avio_context_free(&m_io);
        }
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    static int read(void* opaque, uint8_t* buffer, int size)
    {
        const int fd = static_cast<DescriptorInput*>(opaque)->m_fd;
        for (;;) {
            const ssize_t got = ::read(fd, buffer, size_t(size));
            if (got > 0)
                return int(got);
            if (got == 0)
                return AVERROR_EOF;
            if (errno != EINTR)
                return AVERROR(errno);
        }
    }

    static int64_t seek(void* opaque, int64_t offset, int whence)
    {
        const int fd = static_cast<DescriptorInput*>(opaque)->m_fd;
        if (whence & AVSEEK_SIZE) {
            struct stat st {};
            return ::fstat(fd, &st) == 0 ? int64_t(st.st_size) : AVERROR(errno);
        }
        const off_t at = ::lseek(fd, off_t(offset), whence & ~AVSEEK_FORCE);
        return at < 0 ? AVERROR(errno) : int64_t(at);
    }

    int m_fd = -1;
    AVIOContext* m_io = nullptr;
};

class FfmpegReader final : public AudioReader {
public:
    explicit FfmpegReader(const QString& path) : m_path(path) {}
    ~FfmpegReader() override { close(); }

    bool open(QString* error)
    {
        if (!openDemuxer(error))
            return false;
        describe();
        m_srcPos = -m_startSkip;
        m_skip = m_startSkip;
        m_out = m_info.format;
        QString detail;
        if (!configureConverter(m_dec->sample_fmt, m_dec->ch_layout.nb_channels, m_dec->sample_rate, &detail)) {
            if (error)
                *error = QStringLiteral("Cannot convert the file '%1': %2").arg(fileText(m_path), detail);
            return false;
        }
        return true;
    }

    const SourceInfo& info() const override { return m_info; }

    bool setOutputFormat(const PcmFormat& format, QString* error) override
    {
        if (!isDeliverable(format)) {
            if (error)
                *error = QStringLiteral("Cannot convert the file '%1': %2 Hz, %3 channels, %4 bits is not a PCM format.")
                             .arg(fileText(m_path))
                             .arg(format.sampleRate)
                             .arg(format.channels)
                             .arg(format.bitsPerSample);
            return false;
        }
        m_out = format;
        QString detail;
        if (!configureConverter(m_convFormat, m_convChannels, m_convRate, &detail)) {
            if (error)
                *error = QStringLiteral("Cannot convert the file '%1': %2").arg(fileText(m_path), detail);
            return false;
        }
        return seekToFrame(0, error);
    }

    bool seekToFrame(int64_t frame, QString* error) override
    {
        if (!positionAt(frame, error))
            return false;
        m_outPos = frame;
        return true;
    }

    int64_t read(uint8_t* buffer, int64_t maxFrames, QString* error) override
    {
        // An exact length is a promise about the output too: frames of another rate inside the
        // stream, resampled to the stream's own, must not carry a decode past it.
        if (m_exactLength) {
            const int64_t end = ((__int128)m_info.totalFrames * m_out.sampleRate + m_info.format.sampleRate - 1) /
                                m_info.format.sampleRate;
            maxFrames = std::min(maxFrames, std::max<int64_t>(0, end - m_outPos));
            if (maxFrames == 0)
                return 0;
        }
        const int64_t n = readPendingFrames(m_pending, m_pendingPos, buffer, maxFrames, m_out.bytesPerFrame(),
                                            [&] { return decodeMore(error); });
        if (n > 0)
            m_outPos += n;
        return n;
    }

private:
    // Makes the next decoded frame the one at `frame` of the output format.
    bool positionAt(int64_t frame, QString* error)
    {
        const int srcRate = m_info.format.sampleRate;
        const int64_t target = std::max<int64_t>(
            0, srcRate == m_out.sampleRate ? frame : int64_t((__int128)frame * srcRate / m_out.sampleRate));
        if (srcRate == m_out.sampleRate && !m_flushed) {
            // Still inside what was decoded already: drop up to the target.
            const int bpf = m_out.bytesPerFrame();
            const int64_t pendingFrames = int64_t(m_pending.size() - m_pendingPos) / bpf;
            const int64_t deliveredPos = m_srcPos - pendingFrames;
            if (target >= deliveredPos && target <= m_srcPos) {
                m_pendingPos += size_t((target - deliveredPos) * bpf);
                return true;
            }
        }
        m_pending.clear();
        m_pendingPos = 0;
        m_flushed = false;
        m_converter.reset();
        if (m_isMp3 && (target < m_srcPos || target - m_srcPos > kFarSeekSeconds * srcRate) && seekMp3Frame(target))
            return true;
        // Decoding forward from a known point is what keeps positions exact (timestamps after
        // a demuxer seek are estimates for several formats); going back starts over.
        if (target < m_srcPos) {
            close();
            if (!openDemuxer(error))
                return false;
            m_srcPos = -m_startSkip;
            QString detail;
            if (!configureConverter(m_dec->sample_fmt, m_dec->ch_layout.nb_channels, m_dec->sample_rate, &detail)) {
                if (error)
                    *error = QStringLiteral("Cannot convert the file '%1': %2").arg(fileText(m_path), detail);
                return false;
            }
        }
        m_skip = target - m_srcPos;
        return true;
    }

    // MP3 frames are found from their headers, so a far seek can start decoding a few frames
    // before the target frame's own byte offset and still count every sample exactly. The
    // frames before the target refill the bit reservoir and the filter banks.
    bool seekMp3Frame(int64_t target)
    {
        if (!m_indexed) {
            m_frameIndex = indexMp3Frames(m_path);
            m_indexed = true;
        }
        const int64_t first = (target + m_startSkip) / m_samplesPerFrame - kPrerollFrames;
        if (first < 1 || first >= int64_t(m_frameIndex.size()))
            return false;
        if (av_seek_frame(m_fmt, m_stream, m_frameIndex[size_t(first)], AVSEEK_FLAG_BYTE) < 0)
            return false;
        avcodec_flush_buffers(m_dec);
        m_eofSent = false;
        m_decoderDrained = false;
        m_badPackets = 0;
        m_srcPos = first * m_samplesPerFrame - m_startSkip;
        m_skip = target - m_srcPos;
        return true;
    }

    bool openDemuxer(QString* error)
    {
        m_fmt = m_input.open(m_path, error);
        if (!m_fmt) {
            close();
            return false;
        }
        int rc = avformat_open_input(&m_fmt, QFile::encodeName(m_path).constData(), nullptr, nullptr);
        if (rc < 0)
            return fail(error, QStringLiteral("The file '%1' is not an audio file that can be read."));
        rc = avformat_find_stream_info(m_fmt, nullptr);
        if (rc < 0)
            return fail(error, QStringLiteral("The file '%1' is not an audio file that can be read."));
        const AVCodec* codec = nullptr;
        m_stream = av_find_best_stream(m_fmt, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
        if (m_stream < 0 || !codec)
            return fail(error, m_stream == AVERROR_DECODER_NOT_FOUND
                                   ? QStringLiteral("The file '%1' uses an audio codec that cannot be decoded.")
                                   : QStringLiteral("The file '%1' holds no audio."));
        for (unsigned i = 0; i < m_fmt->nb_streams; ++i)
            if (int(i) != m_stream)
                m_fmt->streams[i]->discard = AVDISCARD_ALL;
        AVStream* st = m_fmt->streams[m_stream];
        m_dec = avcodec_alloc_context3(codec);
        if (!m_dec || avcodec_parameters_to_context(m_dec, st->codecpar) < 0)
            return fail(error, QStringLiteral("The file '%1' cannot be decoded."));
        m_dec->pkt_timebase = st->time_base;
        // MP3 delay and padding are cut here, by sample count, rather than by the library from
        // packet timestamps, which are only estimates after a seek by byte offset.
        if (codec->id == AV_CODEC_ID_MP3 && qstrcmp(m_fmt->iformat->name, "mp3") == 0)
            m_dec->flags2 |= AV_CODEC_FLAG2_SKIP_MANUAL;
        if (avcodec_open2(m_dec, codec, nullptr) < 0)
            return fail(error, QStringLiteral("The file '%1' cannot be decoded."));
        if (m_dec->sample_rate <= 0 || m_dec->ch_layout.nb_channels <= 0)
            return fail(error, QStringLiteral("The file '%1' holds no audio."));
        if (!isReadableChannelCount(m_dec->ch_layout.nb_channels)) {
            const QString text = unsupportedChannelsText(m_path, m_dec->ch_layout.nb_channels);
            close();
            if (error)
                *error = text;
            return false;
        }
        if (m_dec->sample_rate < kMinSampleRate || m_dec->sample_rate > kMaxSampleRate) {
            const QString text = unsupportedRateText(m_path, m_dec->sample_rate);
            close();
            if (error)
                *error = text;
            return false;
        }
        m_pkt = av_packet_alloc();
        m_frame = av_frame_alloc();
        m_eofSent = false;
        m_decoderDrained = false;
        m_badPackets = 0;
        return true;
    }

    bool fail(QString* error, const QString& text)
    {
        if (error)
            *error = text.arg(fileText(m_path));
        close();
        return false;
    }

    void close()
    {
        av_frame_free(&m_frame);
        av_packet_free(&m_pkt);
        avcodec_free_context(&m_dec);
        avformat_close_input(&m_fmt);
        m_input.close();
    }

    void describe()
    {
        AVStream* st = m_fmt->streams[m_stream];
        const AVCodecDescriptor* desc = avcodec_descriptor_get(m_dec->codec_id);
        const bool lossy = !desc || (desc->props & AV_CODEC_PROP_LOSSY);
        int bits = 16;
        if (!lossy) {
            for (int candidate : {st->codecpar->bits_per_raw_sample, st->codecpar->bits_per_coded_sample,
                                  av_get_bytes_per_sample(m_dec->sample_fmt) * 8})
                if (candidate == 8 || candidate == 16 || candidate == 24 || candidate == 32) {
                    bits = candidate;
                    break;
                }
        }
        m_info.format = PcmFormat{m_dec->sample_rate, m_dec->ch_layout.nb_channels, bits};
        m_info.codecName = QString::fromUtf8(avcodec_get_name(m_dec->codec_id));
        m_info.bitrate = int(std::clamp<int64_t>(st->codecpar->bit_rate ? st->codecpar->bit_rate : m_fmt->bit_rate, 0,
                                                 INT32_MAX));
        const int rate = m_dec->sample_rate;
        int64_t frames = 0;
        m_exactLength = false;
        m_isMp3 = m_dec->codec_id == AV_CODEC_ID_MP3 && qstrcmp(m_fmt->iformat->name, "mp3") == 0;
        Mp3Stream mp3;
        if (m_isMp3) {
            PositionedFile file;
            if (file.open(m_path))
                readMp3Stream(file, &mp3);
        }
        // The headers' count is in frames of the first frame's rate; a stream the decoder
        // reads at another (frames of several rates) has only the library's estimate.
        if (m_isMp3 && mp3.lengthKnown && mp3.sampleRate == rate) {
            m_samplesPerFrame = mp3.samplesPerFrame;
            m_startSkip = mp3.startSkip;
            frames = mp3.samples;
            m_exactLength = true;
        } else if (m_dec->codec_id == AV_CODEC_ID_VORBIS && qstrcmp(m_fmt->iformat->name, "ogg") == 0 &&
                   (frames = lastOggGranule(m_path)) > 0) {
            // The last page's position is the stream's exact length; the decoder does not
            // cut the padding of the last block by itself.
            m_exactLength = true;
        } else if (const int64_t fromSize = qstrcmp(m_fmt->iformat->name, "wav") == 0 ? uncountedWavLength() : 0;
                   fromSize > 0) {
            frames = fromSize;
        } else if (st->duration != AV_NOPTS_VALUE && st->duration > 0) {
            frames = av_rescale_q(st->duration, st->time_base, AVRational{1, rate});
            if (qstrcmp(m_fmt->iformat->name, "wav") == 0)
                m_exactLength = compressedWavLengthIsCounted();
            m_info.estimateSlackPercent = m_exactLength ? 0
                                          : qstrcmp(m_fmt->iformat->name, "wav") == 0 ? kWavEstimateSlackPercent
                                                                                      : kContainerEstimateSlackPercent;
        } else if (m_fmt->duration != AV_NOPTS_VALUE && m_fmt->duration > 0) {
            frames = av_rescale_q(m_fmt->duration, AV_TIME_BASE_Q, AVRational{1, rate});
            m_info.estimateSlackPercent = kContainerEstimateSlackPercent;
        }
        m_info.totalFrames = frames;
        m_info.lengthExact = m_exactLength;
        m_info.durationMs = frames * 1000 / rate;

        AVDictionary* a = m_fmt->metadata;
        AVDictionary* b = st->metadata;
        AudioTags& t = m_info.tags;
        t.title = metadata(a, b, {"title"});
        t.artist = metadata(a, b, {"artist", "author", "album_artist"});
        t.album = metadata(a, b, {"album"});
        t.year = metadata(a, b, {"date", "year", "WM/Year"});
        t.comment = metadata(a, b, {"comment", "description"});
        t.genre = metadata(a, b, {"genre"});
        t.track = metadata(a, b, {"track", "tracknumber"});
    }

    // Whether a compressed WAV's length is a count rather than an estimate: its "fact" chunk
    // states its frames (they end before the padding of the last block), or its codec spends a
    // fixed number of bits on every sample, so the data chunk's size counts them. Otherwise the
    // library has divided the data by a rate of bytes or bits, which a decode can fall short of.
    bool compressedWavLengthIsCounted() const
    {
        if (m_fmt->duration_estimation_method == AVFMT_DURATION_FROM_BITRATE)
            return false;
        PositionedFile file;
        WavLayout layout;
        const bool counted = file.open(m_path) && parseWav(file, &layout) == WavParse::Ok && layout.sampleCount > 0;
        return counted || av_get_exact_bits_per_sample(m_dec->codec_id) > 0;
    }

    // The length of a compressed WAV without a sample count ("fact"), where its codec makes it
    // follow from the data: a block codec delivers the same number of samples from every whole
    // block (exact), a constant-rate MP3 stream one frame's samples from every frame's bytes
    // (within a few frames). Sets m_exactLength and the allowance; 0 for every other file,
    // whose figure is the library's.
    int64_t uncountedWavLength()
    {
        PositionedFile file;
        WavLayout layout;
        if (!file.open(m_path) || parseWav(file, &layout) != WavParse::Ok || layout.sampleCount > 0 ||
            av_get_exact_bits_per_sample(m_dec->codec_id) > 0)
            return 0;
        const int64_t channels = layout.fmtChannels;
        const int64_t block = layout.blockAlign;
        int64_t samplesPerBlock = 0;
        // The samples the decoder takes from one block: its header's samples and 4 bits each.
        switch (m_dec->codec_id) {
        case AV_CODEC_ID_ADPCM_IMA_WAV:
            if (layout.pcm.bitsPerSample == 4 && block >= 8 * channels)
                samplesPerBlock = 1 + (block - 4 * channels) / (4 * channels) * 8;
            break;
        case AV_CODEC_ID_ADPCM_MS:
            if (block >= 7 * channels)
                samplesPerBlock = (block - 6 * channels) * 2 / channels;
            break;
        case AV_CODEC_ID_GSM_MS:
            if (block == 65)
                samplesPerBlock = 320;
            break;
        case AV_CODEC_ID_MP3: {
            const Mp3ConstantRate cbr = mp3ConstantRate(file, layout.dataOffset, layout.dataOffset + layout.dataBytes);
            if (cbr.kbps <= 0 || cbr.sampleRate != m_dec->sample_rate)
                return 0;
            m_exactLength = false;
            m_info.estimateSlackPercent = 0;
            m_info.estimateSlackFrames = int64_t(kConstantRateSlackFrames) * cbr.samplesPerFrame;
            return int64_t((__int128)layout.dataBytes * 8 * cbr.sampleRate / (int64_t(cbr.kbps) * 1000));
        }
        default:
            break;
        }
        if (samplesPerBlock <= 0)
            return 0;
        m_exactLength = true;
        m_info.estimateSlackPercent = 0;
        return layout.dataBytes / block * samplesPerBlock;
    }

    bool configureConverter(int format, int channels, int rate, QString* detail)
    {
        m_convFormat = format;
        m_convChannels = channels;
        m_convRate = rate;
        return m_converter.configure(format, channels, rate, m_out, detail);
    }

    // 1 when something was produced or more may come, 0 at the end, -1 on error.
    int decodeMore(QString* error)
    {
        QString detail;
        for (;;) {
            if (m_decoderDrained) {
                if (m_flushed)
                    return 0;
                m_flushed = true;
                if (!m_converter.flush(m_pending, &detail))
                    return decodeFailure(error, detail);
                return m_pending.empty() ? 0 : 1;
            }
            int rc = avcodec_receive_frame(m_dec, m_frame);
            if (rc == 0) {
                const bool ok = takeFrame(&detail);
                av_frame_unref(m_frame);
                if (!ok)
                    return decodeFailure(error, detail);
                if (!m_pending.empty())
                    return 1;
                continue;
            }
            if (rc == AVERROR_EOF) {
                m_decoderDrained = true;
                continue;
            }
            if (rc != AVERROR(EAGAIN))
                return decodeFailure(error, avErrorText(rc));
            if (m_eofSent)
                return decodeFailure(error, avErrorText(rc));
            rc = av_read_frame(m_fmt, m_pkt);
            if (rc < 0) {
                if (rc != AVERROR_EOF && m_fmt->pb && m_fmt->pb->error)
                    return decodeFailure(error, avErrorText(rc));
                avcodec_send_packet(m_dec, nullptr);
                m_eofSent = true;
                continue;
            }
            if (m_pkt->stream_index != m_stream) {
                av_packet_unref(m_pkt);
                continue;
            }
            rc = avcodec_send_packet(m_dec, m_pkt);
            av_packet_unref(m_pkt);
            // A damaged packet costs its samples, not the file, unless damage is all there is.
            if (rc < 0 && rc != AVERROR(EAGAIN)) {
                if (++m_badPackets > kMaxBadPackets)
                    return decodeFailure(error, avErrorText(rc));
            } else {
                m_badPackets = 0;
            }
        }
    }

    bool takeFrame(QString* detail)
    {
        const int channels = m_frame->ch_layout.nb_channels;
        if (m_frame->format != m_convFormat || channels != m_convChannels || m_frame->sample_rate != m_convRate) {
            if (!m_converter.flush(m_pending, detail) ||
                !configureConverter(m_frame->format, channels, m_frame->sample_rate, detail))
                return false;
        }
        int64_t frames = m_frame->nb_samples;
        if (m_exactLength)
            frames = std::clamp<int64_t>(m_info.totalFrames - m_srcPos, 0, frames);
        int64_t offset = 0;
        m_srcPos += frames;
        if (m_skip > 0) {
            offset = std::min(m_skip, frames);
            m_skip -= offset;
            frames -= offset;
        }
        if (frames <= 0)
            return true;
        const AVSampleFormat fmt = AVSampleFormat(m_frame->format);
        const bool planar = av_sample_fmt_is_planar(fmt);
        const int step = av_get_bytes_per_sample(fmt) * (planar ? 1 : channels);
        const int planes = planar ? channels : 1;
        std::vector<const uint8_t*> data(static_cast<size_t>(planes));
        for (int i = 0; i < planes; ++i)
            data[size_t(i)] = m_frame->extended_data[i] + offset * step;
        return m_converter.convert(data.data(), int(frames), m_pending, detail);
    }

    int decodeFailure(QString* error, const QString& detail)
    {
        if (error)
            *error = QStringLiteral("Cannot decode the file '%1': %2").arg(fileText(m_path), detail);
        return -1;
    }

    QString m_path;
    DescriptorInput m_input;  // before m_fmt, which reads through it
    AVFormatContext* m_fmt = nullptr;
    AVCodecContext* m_dec = nullptr;
    AVPacket* m_pkt = nullptr;
    AVFrame* m_frame = nullptr;
    int m_stream = -1;
    SourceInfo m_info;
    PcmFormat m_out;
    SampleConverter m_converter;
    int m_convFormat = -1, m_convChannels = 0, m_convRate = 0;
    int64_t m_srcPos = 0;  // position of the next decoded frame (negative inside an MP3's delay)
    int64_t m_outPos = 0;  // position of the next delivered frame, at the output's rate
    int64_t m_skip = 0;    // source frames still to drop to reach a seek target
    bool m_eofSent = false;
    bool m_decoderDrained = false;
    bool m_flushed = false;
    int m_badPackets = 0;
    bool m_exactLength = false;  // totalFrames is exact: nothing past it is delivered
    bool m_isMp3 = false;
    int m_samplesPerFrame = 1152;
    int m_startSkip = 0;
    bool m_indexed = false;
    std::vector<int64_t> m_frameIndex;
    std::vector<uint8_t> m_pending;
    size_t m_pendingPos = 0;
};

}  // namespace

std::unique_ptr<AudioReader> openFfmpegReader(const QString& path, QString* error)
{
    silenceLibraryLog();
    bool isVorbis = false;
    if (auto vorbis = openVorbisReader(path, error, &isVorbis))
        return vorbis;
    if (isVorbis)
        return nullptr;
    auto reader = std::make_unique<FfmpegReader>(path);
    if (!reader->open(error))
        return nullptr;
    return reader;
}

namespace {

// The tags of an MP3 file as the full open reads them: the demuxer's reading of its ID3 and
// APE tags, without the stream analysis or a decoder. False when the demuxer refuses the file.
bool readMp3Tags(const QString& path, AudioTags* tags)
{
    DescriptorInput input;
    AVFormatContext* fmt = input.open(path, nullptr);
    if (!fmt || avformat_open_input(&fmt, QFile::encodeName(path).constData(), av_find_input_format("mp3"), nullptr) < 0)
        return false;
    AVDictionary* streamTags = nullptr;
    for (unsigned i = 0; i < fmt->nb_streams; ++i)
        if (fmt->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) {
            streamTags = fmt->streams[i]->metadata;
            break;
        }
    AVDictionary* a = fmt->metadata;
    AVDictionary* b = streamTags;
    AudioTags& t = *tags;
    t.title = metadata(a, b, {"title"});
    t.artist = metadata(a, b, {"artist", "author", "album_artist"});
    t.album = metadata(a, b, {"album"});
    t.year = metadata(a, b, {"date", "year", "WM/Year"});
    t.comment = metadata(a, b, {"comment", "description"});
    t.genre = metadata(a, b, {"genre"});
    t.track = metadata(a, b, {"track", "tracknumber"});
    avformat_close_input(&fmt);
    return true;
}

// An MP3 looked at from its frame headers alone: true with *info when they give the length.
bool probeMp3(const QString& path, SourceInfo* info)
{
    PositionedFile file;
    if (!file.open(path) || file.isFolder())
        return false;
    Mp3Stream mp3;
    SourceInfo result;
    if (!readMp3Stream(file, &mp3) || !mp3SourceInfo(file, mp3, &result))
        return false;
    file.close();
    if (mp3.hasTags && !readMp3Tags(path, &result.tags))
        return false;
    *info = result;
    return true;
}

}  // namespace

bool probeFfmpegSource(const QString& path, SourceInfo* info, QString* error)
{
    silenceLibraryLog();
    if (probeMp3(path, info))
        return true;
    auto reader = openFfmpegReader(path, error);
    if (!reader)
        return false;
    *info = reader->info();
    return true;
}

}  // namespace engine
