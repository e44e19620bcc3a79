// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// Converts decoded sample blocks (any FFmpeg sample format, planar or packed) into the
// interleaved PCM of a PcmFormat: resampling, channel mapping and sample width, with packed
// 24-bit handled here since FFmpeg has no such sample format. Mono/stereo changes duplicate
// or average the channels exactly instead of applying surround mix levels. Private to the
// engine; one instance per stream, used from one thread.

#include "components/engine/AudioEngine.h"

#include <cstdint>
#include <vector>

struct SwrContext;

namespace engine {

class SampleConverter {
public:
    SampleConverter() = default;
    ~SampleConverter();
    SampleConverter(const SampleConverter&) = delete;
    SampleConverter& operator=(const SampleConverter&) = delete;

    // inFormat is an AVSampleFormat value.
    bool configure(int inFormat, int inChannels, int inRate, const PcmFormat& out, QString* error);
    // Same, with an interleaved PCM input (8-bit unsigned, 16/24/32-bit signed).
    bool configure(const PcmFormat& in, const PcmFormat& out, QString* error);

    // True when input and output are the same interleaved PCM: callers may copy bytes.
    bool isIdentity() const { return m_identity; }

    // Appends the converted frames of `frames` input frames to out. planes: one pointer per
    // channel for planar input, a single pointer otherwise.
    bool convert(const uint8_t* const* planes, int frames, std::vector<uint8_t>& out, QString* error);
    // Appends what the resampler still holds (at the end of the input).
    bool flush(std::vector<uint8_t>& out, QString* error);
    // Forgets buffered resampler state (after a seek).
    void reset();

    const PcmFormat& outFormat() const { return m_out; }

private:
    bool setUp(QString* error);
    bool runSwr(const uint8_t* const* planes, int frames, std::vector<uint8_t>& out, QString* error);

    SwrContext* m_swr = nullptr;
    int m_inAvFormat = -1;
    int m_inChannels = 0;
    int m_inRate = 0;
    bool m_in24 = false;     // input is packed 24-bit, widened to 32-bit before the resampler
    bool m_identity = false;
    PcmFormat m_out;
    std::vector<uint8_t> m_widened;
    std::vector<uint8_t> m_swrOut;
};

// Whether a reader can deliver this format: 8/16/24/32 bits, 1 to 32 channels, a sane rate.
// Inline: readers outside the codec module ask it too.
inline bool isDeliverable(const PcmFormat& f)
{
    const bool bits = f.bitsPerSample == 8 || f.bitsPerSample == 16 || f.bitsPerSample == 24 || f.bitsPerSample == 32;
    return bits && f.channels >= 1 && f.channels <= 32 && f.sampleRate >= 1000 && f.sampleRate <= 768000;
}

// Packs 32-bit samples to their top three bytes, and the reverse.
void pack32To24(const uint8_t* in, uint8_t* out, int64_t samples);
void unpack24To32(const uint8_t* in, uint8_t* out, int64_t samples);

}  // namespace engine
