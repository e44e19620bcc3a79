// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "platform/Paths.h"

#include <QStandardPaths>

namespace platform {

QString programFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Quillmere");
}

}  // namespace platform
