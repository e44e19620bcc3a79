// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QString>

namespace engine {

// The ASF muxer writes every tag into the extended content description, also those it has
// already put into the content description object (title, author, ...), so readers see them
// twice. Drops those repeats from a finished file, in place. Files that are not ASF, or not
// laid out as expected, are left alone. Private to the engine.
bool RemoveRepeatedAsfTags(const QString& path, QString* error);

}  // namespace engine
