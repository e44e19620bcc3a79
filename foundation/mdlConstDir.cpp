// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/mdlConstDir.h"

QString GetWindowsDir() { return {}; }

QString GetSystemDir() { return {}; }
