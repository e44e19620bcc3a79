// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The codec module's one exported symbol: the table of what it offers the program.

#include "components/engine/CodecModule.h"
#include "components/engine/EncoderWriters.h"
#include "components/engine/FfmpegReader.h"
#include "components/engine/FfmpegWriter.h"
#include "components/engine/SampleConverter.h"

namespace engine {
namespace {

class SwrConversion final : public PcmConversion {
public:
    bool configure(const PcmFormat& in, const PcmFormat& out, QString* error)
    {
        return m_converter.configure(in, out, error);
    }
    bool convert(const uint8_t* const* planes, int frames, std::vector<uint8_t>& out, QString* error) override
    {
        return m_converter.convert(planes, frames, out, error);
    }
    bool flush(std::vector<uint8_t>& out, QString* error) override { return m_converter.flush(out, error); }
    void reset() override { m_converter.reset(); }

private:
    SampleConverter m_converter;
};

std::unique_ptr<PcmConversion> createPcmConversion(const PcmFormat& in, const PcmFormat& out, QString* error)
{
    auto conversion = std::make_unique<SwrConversion>();
    if (!conversion->configure(in, out, error))
        return nullptr;
    return conversion;
}

const CodecModuleApi kApi = {
    kCodecModuleVersion, int(sizeof(CodecModuleApi)), &openFfmpegReader, &createMp3Writer, &createOggWriter,
    &createFfmpegWriter, &createPcmConversion, &probeFfmpegSource,
};

}  // namespace
}  // namespace engine

extern "C" __attribute__((visibility("default"))) const engine::CodecModuleApi* quillmere_codec_module()
{
    engine::silenceLibraryLog();
    return &engine::kApi;
}
