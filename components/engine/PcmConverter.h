// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// Sample conversion for readers that live outside the codec module (PCM WAV): delivering the
// file's own format is a plain copy and needs nothing; any other format is converted by the
// module's resampler, loaded only then. One instance per stream, used from one thread.

#include "components/engine/CodecModule.h"

#include <memory>
#include <vector>

namespace engine {

class PcmConverter {
public:
    // Fails (with the module's sentence) only when a real conversion is needed and the module
    // cannot be loaded or refuses the formats.
    bool configure(const PcmFormat& in, const PcmFormat& out, QString* error);
    bool isIdentity() const { return !m_conversion; }
    bool convert(const uint8_t* const* planes, int frames, std::vector<uint8_t>& out, QString* error);
    bool flush(std::vector<uint8_t>& out, QString* error);
    void reset();

private:
    std::unique_ptr<PcmConversion> m_conversion;
    int m_bytesPerFrame = 0;
};

}  // namespace engine
