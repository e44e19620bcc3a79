// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QString>

// The operating system's own folder and its system-library folder. A Linux desktop has neither
// in the sense the callers mean (a folder holding the system's own programs and drivers), so
// both answer as a failed query does: the empty text.
QString GetWindowsDir();
QString GetSystemDir();
