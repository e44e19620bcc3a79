// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/engine/PcmConverter.h"

namespace engine {

bool PcmConverter::configure(const PcmFormat& in, const PcmFormat& out, QString* error)
{
    m_conversion.reset();
    m_bytesPerFrame = out.bytesPerFrame();
    if (in == out)
        return true;
    const CodecModuleApi* api = codecModule(error);
    if (!api)
        return false;
    m_conversion = api->createPcmConversion(in, out, error);
    return m_conversion != nullptr;
}

bool PcmConverter::convert(const uint8_t* const* planes, int frames, std::vector<uint8_t>& out, QString* error)
{
    if (m_conversion)
        return m_conversion->convert(planes, frames, out, error);
    if (frames > 0)
        out.insert(out.end(), planes[0], planes[0] + size_t(frames) * m_bytesPerFrame);
    return true;
}

bool PcmConverter::flush(std::vector<uint8_t>& out, QString* error)
{
    return m_conversion ? m_conversion->flush(out, error) : true;
}

void PcmConverter::reset()
{
    if (m_conversion)
        m_conversion->reset();
}

}  // namespace engine
