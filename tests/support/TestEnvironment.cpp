// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tests/support/TestEnvironment.h"

#include <QDir>

namespace testenv {

namespace {
QTemporaryDir& dir()
{
    static QTemporaryDir d;
    return d;
}
}  // namespace

QString root() { return dir().path(); }

void wipeUserFolders()
{
    for (const char* sub : {"config", "data", "cache"}) {
        QDir d(root() + QLatin1Char('/') + QLatin1String(sub));
        d.removeRecursively();
        QDir().mkpath(d.path());
    }
}

}  // namespace testenv
