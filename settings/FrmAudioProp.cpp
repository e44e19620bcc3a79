// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "settings/FrmAudioProp.h"

FrmAudioProp::FrmAudioProp() { Form_Load(); }

void FrmAudioProp::Form_Load() {}
