// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// Encodes interleaved 8/16-bit PCM with one libavcodec encoder into one libavformat container
// (compressed WAV, ASF). Private to the engine.

#include "components/engine/AudioEngine.h"

namespace engine {

struct FfmpegEncoding {
    const char* muxer;    // "wav", "asf"
    const char* encoder;  // libavcodec encoder name
    PcmFormat input;      // what write() takes: rate, channels, 8 or 16 bits
    int64_t bitRate = 0;  // bits per second; 0 for codecs with a fixed rate
};

std::unique_ptr<AudioWriter> createFfmpegWriter(const FfmpegEncoding& encoding, const QString& path,
                                                const AudioTags& tags, QString* error);

}  // namespace engine
