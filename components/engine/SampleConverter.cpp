// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/engine/SampleConverter.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/opt.h>
#include <libavutil/samplefmt.h>
#include <libswresample/swresample.h>
}

#include <cstring>

namespace engine {

namespace {

AVSampleFormat avFormatFor(int bits)
{
    switch (bits) {
    case 8: return AV_SAMPLE_FMT_U8;
    case 16: return AV_SAMPLE_FMT_S16;
    default: return AV_SAMPLE_FMT_S32;  // 24-bit travels as 32-bit and is packed afterwards
    }
}

QString avError(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}

}  // namespace

void pack32To24(const uint8_t* in, uint8_t* out, int64_t samples)
{
    for (int64_t i = 0; i < samples; ++i) {
        out[0] = in[1];
        out[1] = in[2];
        out[2] = in[3];
        in += 4;
        out += 3;
    }
}

void unpack24To32(const uint8_t* in, uint8_t* out, int64_t samples)
{
    for (int64_t i = 0; i < samples; ++i) {
        out[0] = 0;
        out[1] = in[0];
        out[2] = in[1];
        out[3] = in[2];
        in += 3;
        out += 4;
    }
}

SampleConverter::~SampleConverter() { swr_free(&m_swr); }

bool SampleConverter::configure(int inFormat, int inChannels, int inRate, const PcmFormat& out, QString* error)
{
    m_inAvFormat = inFormat;
    m_inChannels = inChannels;
    m_inRate = inRate;
    m_in24 = false;
    m_out = out;
    m_identity = false;
    return setUp(error);
}

bool SampleConverter::configure(const PcmFormat& in, const PcmFormat& out, QString* error)
{
    m_inAvFormat = avFormatFor(in.bitsPerSample);
    m_inChannels = in.channels;
    m_inRate = in.sampleRate;
    m_in24 = in.bitsPerSample == 24;
    m_out = out;
    m_identity = in == out;
    if (m_identity) {
        swr_free(&m_swr);
        return true;
    }
    return setUp(error);
}

bool SampleConverter::setUp(QString* error)
{
    swr_free(&m_swr);
    if (m_inChannels < 1 || m_out.channels < 1 || m_inRate < 1 || m_out.sampleRate < 1) {
        if (error)
            *error = QStringLiteral("unsupported sample layout");
        return false;
    }
    AVChannelLayout inLayout, outLayout;
    av_channel_layout_default(&inLayout, m_inChannels);
    av_channel_layout_default(&outLayout, m_out.channels);
    int rc = swr_alloc_set_opts2(&m_swr, &outLayout, avFormatFor(m_out.bitsPerSample), m_out.sampleRate, &inLayout,
                                 AVSampleFormat(m_inAvFormat), m_inRate, 0, nullptr);
    av_channel_layout_uninit(&inLayout);
    av_channel_layout_uninit(&outLayout);
    if (rc < 0 || !m_swr) {
        if (error)
            *error = avError(rc);
        return false;
    }
    // A mono source joined into a stereo file must sound the same on both sides, and a stereo
    // source folded to mono must not clip: plain duplication and plain averaging.
    if (m_inChannels == 1 && m_out.channels == 2) {
        const double matrix[2] = {1.0, 1.0};
        swr_set_matrix(m_swr, matrix, 1);
    } else if (m_inChannels == 2 && m_out.channels == 1) {
        const double matrix[2] = {0.5, 0.5};
        swr_set_matrix(m_swr, matrix, 2);
    }
    rc = swr_init(m_swr);
    if (rc < 0) {
        if (error)
            *error = avError(rc);
        swr_free(&m_swr);
        return false;
    }
    return true;
}

void SampleConverter::reset()
{
    if (m_swr)
        setUp(nullptr);
}

bool SampleConverter::convert(const uint8_t* const* planes, int frames, std::vector<uint8_t>& out, QString* error)
{
    if (frames <= 0)
        return true;
    if (m_identity) {
        const size_t bytes = size_t(frames) * m_out.bytesPerFrame();
        out.insert(out.end(), planes[0], planes[0] + bytes);
        return true;
    }
    if (m_in24) {
        const int64_t samples = int64_t(frames) * m_inChannels;
        m_widened.resize(size_t(samples) * 4);
        unpack24To32(planes[0], m_widened.data(), samples);
        const uint8_t* widened[1] = {m_widened.data()};
        return runSwr(widened, frames, out, error);
    }
    return runSwr(planes, frames, out, error);
}

bool SampleConverter::flush(std::vector<uint8_t>& out, QString* error)
{
    if (m_identity || !m_swr)
        return true;
    return runSwr(nullptr, 0, out, error);
}

bool SampleConverter::runSwr(const uint8_t* const* planes, int frames, std::vector<uint8_t>& out, QString* error)
{
    const int capacity = swr_get_out_samples(m_swr, frames) + 16;
    const bool pack24 = m_out.bitsPerSample == 24;
    const int swrBytesPerFrame = m_out.channels * av_get_bytes_per_sample(avFormatFor(m_out.bitsPerSample));
    uint8_t* target;
    size_t oldSize = out.size();
    if (pack24) {
        m_swrOut.resize(size_t(capacity) * swrBytesPerFrame);
        target = m_swrOut.data();
    } else {
        out.resize(oldSize + size_t(capacity) * swrBytesPerFrame);
        target = out.data() + oldSize;
    }
    uint8_t* outPlanes[1] = {target};
    const int got = swr_convert(m_swr, outPlanes, capacity, const_cast<const uint8_t**>(planes), frames);
    if (got < 0) {
        if (!pack24)
            out.resize(oldSize);
        if (error)
            *error = avError(got);
        return false;
    }
    if (pack24) {
        out.resize(oldSize + size_t(got) * m_out.bytesPerFrame());
        pack32To24(m_swrOut.data(), out.data() + oldSize, int64_t(got) * m_out.channels);
    } else {
        out.resize(oldSize + size_t(got) * swrBytesPerFrame);
    }
    return true;
}

}  // namespace engine
