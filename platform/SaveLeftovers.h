// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// The program's own files (settings, items lists) are saved to a temporary file beside them
// that is renamed over them; a save killed before its rename leaves that file behind. It is
// named as Qt names it: the file's name, a dot and six random letters.

#include <QString>

namespace platform {

// True when `name` is such a leftover of a save of `fileName`. Six letters that read as a
// word a user might give a copy (".backup", ".BACKUP", ".Backup") are never taken for one:
// a user's copy is worth more than the few leftovers of that shape left in place.
bool IsSaveLeftoverName(const QString& name, const QString& fileName);

}  // namespace platform
