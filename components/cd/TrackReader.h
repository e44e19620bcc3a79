// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// Reads one audio track of a disc as 44100 Hz stereo 16-bit PCM through libcdio-paranoia, the
// same path for image files and real drives, on a libcdio handle of its own.

#include "components/engine/AudioEngine.h"

namespace cd {

// Opens "D:/Track03.cda" (track 3 of drive D: of the drive map). nullptr with a reason naming
// the track or drive: no such drive, no disc, no such track, a data track.
std::unique_ptr<engine::AudioReader> OpenTrackReader(const QString& path, QString* error);
std::unique_ptr<engine::AudioReader> OpenTrackReader(const QString& letter, int track, QString* error);

// Lets the engine's AudioReader::open read such paths. Idempotent.
void InstallTrackReader();

}  // namespace cd
