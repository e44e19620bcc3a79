// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// The encoders behind AudioWriter::create. Private to the engine.

#include "components/engine/AudioEngine.h"
#include "components/engine/FormatRecords.h"

namespace engine {

std::unique_ptr<AudioWriter> createMp3Writer(const Mp3FormatRecord& record, const QString& path,
                                             const AudioTags& tags, QString* error);
// Keeps the source's rate and channels (Vorbis takes any).
std::unique_ptr<AudioWriter> createOggWriter(const OggFormatRecord& record, const PcmFormat& source,
                                             const QString& path, const AudioTags& tags, QString* error);
std::unique_ptr<AudioWriter> createAcmWriter(const QString& tagName, const QString& formatName, const QString& path,
                                             const AudioTags& tags, QString* error);
std::unique_ptr<AudioWriter> createWmaWriter(const WmaFormatRecord& record, const QString& path,
                                             const AudioTags& tags, QString* error);

}  // namespace engine
