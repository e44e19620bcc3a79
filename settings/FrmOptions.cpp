// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "settings/FrmOptions.h"

FrmOptions::FrmOptions() { Form_Load(); }

void FrmOptions::Form_Load() {}
