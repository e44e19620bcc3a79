// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "components/engine/AudioEngine.h"

namespace engine {

// Decodes any file libavformat opens; MP3 gapless through the LAME tag. Private to the engine.
std::unique_ptr<AudioReader> openFfmpegReader(const QString& path, QString* error);
// What openFfmpegReader's reader would report, for looking at a file only: an MP3 whose length
// its frame headers give is answered from them (and the demuxer's reading of its tags, when it
// has any), with no stream analysis and no decoder. Its bitrate is an estimate.
bool probeFfmpegSource(const QString& path, SourceInfo* info, QString* error);

QString avErrorText(int code);
// Keeps the libraries' own log lines off standard error, from the module's loading on.
void silenceLibraryLog();

}  // namespace engine
