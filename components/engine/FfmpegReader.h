// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "components/engine/AudioEngine.h"

namespace engine {

// Decodes any file libavformat opens; MP3 gapless through the LAME tag. Private to the engine.
std::unique_ptr<AudioReader> openFfmpegReader(const QString& path, QString* error);
// The same reader for looking at a file only (format, length, tags): an MP3 whose length the
// frame headers give exactly skips the library's stream analysis. Its bitrate may differ from a
// full open's; reading from it works as from openFfmpegReader's.
std::unique_ptr<AudioReader> probeFfmpegReader(const QString& path, QString* error);
// AudioReader::open for a probe: WAV from its chunk list, others through probeFfmpegReader.
std::unique_ptr<AudioReader> probeAudioSource(const QString& path, QString* error);

QString avErrorText(int code);

}  // namespace engine
