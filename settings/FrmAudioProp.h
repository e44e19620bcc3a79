// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "foundation/FormRef.h"

#include <QDialog>

// The output audio-format window. Loaded hidden at start; its loading fills the output-format
// variables. Closing it only hides it until the main window unloads.
class FrmAudioProp : public QDialog {
    Q_OBJECT
public:
    FrmAudioProp();
    void Form_Load();
};

inline FormRef<FrmAudioProp> g_frmAudioProp;
