// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "components/engine/AudioEngine.h"

namespace engine {

// Ogg Vorbis files, decoded to exactly their granule length. nullptr with *isVorbis false when
// the file is no Ogg Vorbis stream this reader opens (another decoder may try); with *isVorbis
// true, *error says why it cannot be read. Private to the engine.
std::unique_ptr<AudioReader> openVorbisReader(const QString& path, QString* error, bool* isVorbis);

// Granule position of the last Ogg page: for a Vorbis stream that starts at 0, its length in
// samples; 0 when none is found.
int64_t lastOggGranule(const QString& path);

}  // namespace engine
