// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// The tag blocks an MP3 output carries: an ID3v2.3 tag before the audio and an ID3v1.1 tag
// after it. Private to the engine.

#include "components/engine/AudioEngine.h"

namespace engine {

// Empty when every tag text is blank.
QByteArray buildId3v2Tag(const AudioTags& tags);
QByteArray buildId3v1Tag(const AudioTags& tags);

}  // namespace engine
