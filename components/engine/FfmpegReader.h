// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "components/engine/AudioEngine.h"

namespace engine {

// Decodes any file libavformat opens; MP3 gapless through the LAME tag. Private to the engine.
std::unique_ptr<AudioReader> openFfmpegReader(const QString& path, QString* error);

QString avErrorText(int code);

}  // namespace engine
