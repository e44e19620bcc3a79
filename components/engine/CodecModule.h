// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// The codec module: the readers, writers and resampler that need FFmpeg, LAME or Vorbis live in
// a shared module of their own (quillmere-codecs.so), opened the first time a job needs one of
// them. Start-up, WAV probing, probing untagged MP3s whose info frame gives their length,
// same-format WAV copies and the codec lists never load it, so they never pay for the ~150
// libraries behind it (about 100 ms, during which the process's other threads slow down). The module is looked for beside the executable,
// then in ../bin (test executables) and ../lib/quillmere; nothing in the environment is read.
// Thread-safe: the first caller loads it, every later one shares the result.

#include "components/engine/AudioEngine.h"
#include "components/engine/FormatRecords.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace engine {

struct FfmpegEncoding;

// A configured sample conversion (resampling, channel and width changes) for one stream.
class PcmConversion {
public:
    virtual ~PcmConversion() = default;
    virtual bool convert(const uint8_t* const* planes, int frames, std::vector<uint8_t>& out, QString* error) = 0;
    virtual bool flush(std::vector<uint8_t>& out, QString* error) = 0;
    virtual void reset() = 0;
};

// What the module hands out. Built from the same sources as the program: a module from another
// build is refused by its version and size.
struct CodecModuleApi {
    int version;
    int size;
    std::unique_ptr<AudioReader> (*openFfmpegReader)(const QString& path, QString* error);
    std::unique_ptr<AudioWriter> (*createMp3Writer)(const Mp3FormatRecord& record, const QString& path,
                                                    const AudioTags& tags, QString* error);
    std::unique_ptr<AudioWriter> (*createOggWriter)(const OggFormatRecord& record, const PcmFormat& source,
                                                    const QString& path, const AudioTags& tags, QString* error);
    std::unique_ptr<AudioWriter> (*createFfmpegWriter)(const FfmpegEncoding& encoding, const QString& path,
                                                       const AudioTags& tags, QString* error);
    std::unique_ptr<PcmConversion> (*createPcmConversion)(const PcmFormat& in, const PcmFormat& out, QString* error);
    bool (*probeFfmpegSource)(const QString& path, SourceInfo* info, QString* error);
};

constexpr int kCodecModuleVersion = 3;
// The one symbol the module exports.
#define QM_CODEC_MODULE_ENTRY "quillmere_codec_module"

// The module's table, loading it on first use; nullptr with a sentence naming the module and
// why it could not be loaded.
const CodecModuleApi* codecModule(QString* error);

// The module's file name, as error texts give it.
QString codecModuleName();

// Tests point the loader at another file (an empty path: back to the normal search). Once a
// module is loaded it stays loaded; a test path is tried on every call.
void setCodecModulePathForTesting(const QString& path);

}  // namespace engine
