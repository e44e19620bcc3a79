// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "foundation/FormRef.h"

#include <QDialog>

// The options window. Loaded hidden at start; its loading fills the program's option variables.
// Closing it only hides it until the main window unloads.
class FrmOptions : public QDialog {
    Q_OBJECT
public:
    FrmOptions();
    void Form_Load();
};

inline FormRef<FrmOptions> frmOptions;
