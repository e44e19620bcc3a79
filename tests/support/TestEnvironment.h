// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QString>
#include <QTemporaryDir>

#include <memory>

// Each test process runs with its own settings, data and cache folders (XDG_* pointed into a
// temporary folder), offscreen, and with the real power-off forbidden. After every test all
// windows are unloaded, the settings roots are dropped and every platform seam is real again.
namespace testenv {
QString root();  // the temporary folder holding the XDG folders
// Empties the settings and data folders, as on a machine where nothing was installed.
void wipeUserFolders();
}  // namespace testenv
