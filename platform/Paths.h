// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QString>

namespace platform {

// The program folder: where every file kept "beside the program" lives (lists, path history,
// notes, sounds, pictures). $XDG_DATA_HOME/Quillmere, by default ~/.local/share/Quillmere.
// No trailing "/".
QString programFolder();

}  // namespace platform
