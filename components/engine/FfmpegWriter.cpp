// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/engine/FfmpegWriter.h"

#include "components/engine/AsfTags.h"
#include "components/engine/FfmpegReader.h"
#include "components/engine/WavFile.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libavutil/opt.h>
}

#include <algorithm>
#include <cstring>
#include <vector>

namespace engine {

namespace {

// Block size for encoders that take any number of samples per frame.
constexpr int kFreeFrameSize = 4096;
// ASF packet layout: bytes each payload and each packet add around the codec blocks.
constexpr int kAsfPayloadOverhead = 17;
constexpr int kAsfPacketOverhead = 32;

class FfmpegWriter final : public AudioWriter {
public:
    FfmpegWriter(const FfmpegEncoding& encoding, const QString& path) : m_encoding(encoding), m_path(path) {}
    ~FfmpegWriter() override
    {
        av_frame_free(&m_frame);
        av_packet_free(&m_pkt);
        avcodec_free_context(&m_enc);
        if (m_out) {
            if (m_out->pb)
                avio_closep(&m_out->pb);
            avformat_free_context(m_out);
        }
    }

    bool open(const AudioTags& tags, QString* error)
    {
        const PcmFormat& in = m_encoding.input;
        const AVCodec* codec = avcodec_find_encoder_by_name(m_encoding.encoder);
        if (!codec)
            return failure(error, QStringLiteral("the encoder %1 is not available.").arg(QLatin1String(m_encoding.encoder)));
        if (avformat_alloc_output_context2(&m_out, nullptr, m_encoding.muxer, nullptr) < 0 || !m_out)
            return failure(error, QStringLiteral("the container %1 is not available.").arg(QLatin1String(m_encoding.muxer)));
        m_out->flags |= AVFMT_FLAG_BITEXACT;
        AVStream* st = avformat_new_stream(m_out, nullptr);
        m_enc = avcodec_alloc_context3(codec);
        if (!st || !m_enc)
            return failure(error, QStringLiteral("out of memory."));
        m_enc->sample_rate = in.sampleRate;
        av_channel_layout_default(&m_enc->ch_layout, in.channels);
        m_enc->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
        m_enc->bit_rate = m_encoding.bitRate;
        m_enc->time_base = AVRational{1, in.sampleRate};
        m_enc->flags |= AV_CODEC_FLAG_BITEXACT;
        if (m_out->oformat->flags & AVFMT_GLOBALHEADER)
            m_enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        int rc = avcodec_open2(m_enc, codec, nullptr);
        if (rc < 0)
            return failure(error, QStringLiteral("the encoder refused this format (%1).").arg(avErrorText(rc)));
        // Block codecs leave their byte rate unset; the WAV header's average-bytes field needs it.
        if (m_enc->bit_rate <= 0 && m_enc->block_align > 0 && m_enc->frame_size > 0)
            m_enc->bit_rate = int64_t(m_enc->block_align) * 8 * m_enc->sample_rate / m_enc->frame_size;
        if (avcodec_parameters_from_context(st->codecpar, m_enc) < 0)
            return failure(error, QStringLiteral("out of memory."));
        st->time_base = m_enc->time_base;
        m_frameSize = m_enc->frame_size > 0 ? m_enc->frame_size : kFreeFrameSize;
        if (qstrcmp(m_encoding.muxer, "asf") == 0) {
            // The decoders of these codecs give nothing for the first block (it only primes
            // the transform overlap), and ASF has no field to say so: a block of silence in
            // front keeps the first samples of the source, at their own positions.
            const int leadIn = m_enc->initial_padding > 0 ? m_enc->initial_padding : m_frameSize;
            const uint8_t silence = in.bitsPerSample == 8 ? 0x80 : 0;
            m_fifo.assign(size_t(leadIn) * size_t(in.bytesPerFrame()), silence);
            m_realFrames = leadIn;
        }
        m_smallLastFrame = (codec->capabilities & (AV_CODEC_CAP_SMALL_LAST_FRAME | AV_CODEC_CAP_VARIABLE_FRAME_SIZE)) ||
                           m_enc->frame_size == 0;

        auto setTag = [&](const char* key, const QString& value) {
            if (!value.isEmpty())
                av_dict_set(&m_out->metadata, key, value.toUtf8().constData(), 0);
        };
        setTag("title", tags.title);
        setTag("artist", tags.artist);
        setTag("album", tags.album);
        // ASF has its own name for the year; the muxer passes unknown names through as they are.
        setTag(qstrcmp(m_encoding.muxer, "asf") == 0 ? "WM/Year" : "date", tags.year);
        setTag("comment", tags.comment);
        setTag("genre", tags.genre);
        setTag("track", tags.track);

        const QByteArray file = m_path.toUtf8();
        rc = avio_open(&m_out->pb, file.constData(), AVIO_FLAG_WRITE);
        if (rc < 0)
            return failure(error, avErrorText(rc));
        AVDictionary* options = nullptr;
        if (qstrcmp(m_encoding.muxer, "wav") == 0)
            av_dict_set(&options, "rf64", "auto", 0);
        if (qstrcmp(m_encoding.muxer, "asf") == 0 && m_enc->block_align > 0) {
            // ASF packets have a fixed size and do not split codec blocks: a packet that holds
            // whole blocks with little room left keeps the file at the bitrate it was asked for.
            const int perBlock = m_enc->block_align + kAsfPayloadOverhead;
            const int target = int(std::clamp<int64_t>(m_encoding.bitRate / 16, 3200, 16000));  // ~half a second
            const int blocks = std::max(1, target / perBlock);
            av_dict_set_int(&options, "packet_size", int64_t(blocks) * perBlock + kAsfPacketOverhead, 0);
        }
        rc = avformat_write_header(m_out, &options);
        av_dict_free(&options);
        if (rc < 0)
            return failure(error, avErrorText(rc));
        m_pkt = av_packet_alloc();
        m_frame = av_frame_alloc();
        return m_pkt && m_frame ? true : failure(error, QStringLiteral("out of memory."));
    }

    PcmFormat inputFormat() const override { return m_encoding.input; }

    bool write(const uint8_t* buffer, int64_t frames, QString* error) override
    {
        const int bpf = m_encoding.input.bytesPerFrame();
        m_realFrames += frames;
        m_fifo.insert(m_fifo.end(), buffer, buffer + frames * bpf);
        size_t pos = 0;
        while ((m_fifo.size() - pos) / bpf >= size_t(m_frameSize)) {
            if (!encode(m_fifo.data() + pos, m_frameSize, error))
                return false;
            pos += size_t(m_frameSize) * bpf;
        }
        m_fifo.erase(m_fifo.begin(), m_fifo.begin() + pos);
        return true;
    }

    bool finish(QString* error) override
    {
        const int bpf = m_encoding.input.bytesPerFrame();
        int left = int(m_fifo.size() / bpf);
        if (left > 0) {
            if (!m_smallLastFrame) {
                // The encoder takes whole blocks only: fill the last one with silence.
                const uint8_t silence = m_encoding.input.bitsPerSample == 8 ? 0x80 : 0;
                m_fifo.resize(size_t(m_frameSize) * bpf, silence);
                left = m_frameSize;
            }
            if (!encode(m_fifo.data(), left, error))
                return false;
        }
        m_fifo.clear();
        int rc = avcodec_send_frame(m_enc, nullptr);
        if (rc < 0 || !drain(error))
            return rc < 0 ? failure(error, avErrorText(rc)) : false;
        rc = av_write_trailer(m_out);
        if (rc < 0)
            return failure(error, avErrorText(rc));
        rc = avio_closep(&m_out->pb);
        if (rc < 0)
            return failure(error, avErrorText(rc));
        QString detail;
        if (qstrcmp(m_encoding.muxer, "asf") == 0 && !RemoveRepeatedAsfTags(m_path, &detail))
            return failure(error, detail);
        return true;
    }

private:
    bool encode(const uint8_t* data, int frames, QString* error)
    {
        av_frame_unref(m_frame);
        m_frame->nb_samples = frames;
        m_frame->format = m_enc->sample_fmt;
        m_frame->sample_rate = m_enc->sample_rate;
        av_channel_layout_copy(&m_frame->ch_layout, &m_enc->ch_layout);
        int rc = av_frame_get_buffer(m_frame, 0);
        if (rc < 0)
            return failure(error, avErrorText(rc));
        const int channels = m_encoding.input.channels;
        const int bits = m_encoding.input.bitsPerSample;
        const auto fmt = AVSampleFormat(m_enc->sample_fmt);
        if (!av_sample_fmt_is_planar(fmt)) {
            // Same packed layout as ours (u8 or s16).
            memcpy(m_frame->data[0], data, size_t(frames) * m_encoding.input.bytesPerFrame());
        } else {
            const auto* s = reinterpret_cast<const int16_t*>(data);
            for (int c = 0; c < channels; ++c) {
                if (fmt == AV_SAMPLE_FMT_FLTP) {
                    auto* out = reinterpret_cast<float*>(m_frame->extended_data[c]);
                    for (int i = 0; i < frames; ++i)
                        out[i] = bits == 8 ? float(data[i * channels + c] - 128) / 128.0f
                                           : float(s[i * channels + c]) / 32768.0f;
                } else {
                    auto* out = reinterpret_cast<int16_t*>(m_frame->extended_data[c]);
                    for (int i = 0; i < frames; ++i)
                        out[i] = s[i * channels + c];
                }
            }
        }
        m_frame->pts = m_pts;
        m_pts += frames;
        rc = avcodec_send_frame(m_enc, m_frame);
        if (rc < 0)
            return failure(error, avErrorText(rc));
        return drain(error);
    }

    bool drain(QString* error)
    {
        for (;;) {
            const int rc = avcodec_receive_packet(m_enc, m_pkt);
            if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
                return true;
            if (rc < 0)
                return failure(error, avErrorText(rc));
            // The silence that fills the last block is no part of the sound: the container's
            // sample count (the WAV "fact" chunk) must end where the input ended.
            if (m_pkt->pts != AV_NOPTS_VALUE && m_pkt->duration > 0 && m_pkt->pts + m_pkt->duration > m_realFrames)
                m_pkt->duration = std::max<int64_t>(0, m_realFrames - m_pkt->pts);
            av_packet_rescale_ts(m_pkt, m_enc->time_base, m_out->streams[0]->time_base);
            m_pkt->stream_index = 0;
            const int wr = av_interleaved_write_frame(m_out, m_pkt);
            if (wr < 0)
                return failure(error, avErrorText(wr));
        }
    }

    bool failure(QString* error, const QString& why)
    {
        if (error)
            *error = QStringLiteral("Cannot write the file '%1': %2").arg(fileText(m_path), why);
        return false;
    }

    FfmpegEncoding m_encoding;
    QString m_path;
    AVFormatContext* m_out = nullptr;
    AVCodecContext* m_enc = nullptr;
    AVPacket* m_pkt = nullptr;
    AVFrame* m_frame = nullptr;
    int m_frameSize = kFreeFrameSize;
    bool m_smallLastFrame = true;
    int64_t m_pts = 0;
    int64_t m_realFrames = 0;  // input frames, without the padding of the last block
    std::vector<uint8_t> m_fifo;
};

}  // namespace

std::unique_ptr<AudioWriter> createFfmpegWriter(const FfmpegEncoding& encoding, const QString& path,
                                                const AudioTags& tags, QString* error)
{
    auto writer = std::make_unique<FfmpegWriter>(encoding, path);
    if (!writer->open(tags, error))
        return nullptr;
    return writer;
}

}  // namespace engine
