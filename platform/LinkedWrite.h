// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// One rule for every writer of a whole file over a name that a symbolic link may hold. A link
// that leads to an existing regular file is written through: that file gets the data (a new file
// beside it, renamed over it) and the link stays. A link that leads nowhere, or to a folder,
// device, pipe or socket, never gets a file made or written where it points: the writer asks and
// replaces the link itself, or refuses with LinkRefusal. QSaveFile alone would follow any link.

#include <QString>

namespace platform {

enum class LinkAt {
    None,       // no symbolic link at the name
    ToFile,     // a link to an existing regular file: written through
    Elsewhere,  // a link that leads nowhere or to something that is not a regular file
};
LinkAt LinkAtPath(const QString& path);

// "The file '<path>' is a symbolic link that leads nowhere: ..." and the like.
QString LinkRefusal(const QString& path);

// For a write with QSaveFile that replaces whatever stands at `path`: the name to give QSaveFile.
// `path` itself, except where a link that leads elsewhere stands: then a free hidden name beside
// it, which FinishLinkedWrite renames over the link itself once QSaveFile committed it.
QString SaveFileNameFor(const QString& path);
// Puts what QSaveFile committed at `saved` in place at `path` when the names differ. False (the
// saved file removed, errno set) when the rename fails.
bool FinishLinkedWrite(const QString& saved, const QString& path);
// Removes what a failed write left at `saved` when it is not `path` itself.
void DiscardLinkedWrite(const QString& saved, const QString& path);

}  // namespace platform
