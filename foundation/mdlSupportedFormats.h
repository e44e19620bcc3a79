// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QString>

// The file-type filter of the dialogs that add audio files: five pairs of description and
// pattern, each part followed by "\0" (the form g_FileDialog.lpstrFilter takes).
QString GetSupportedFilesFilter();
