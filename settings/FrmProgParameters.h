// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "foundation/FormRef.h"

#include <QDialog>
#include <QList>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// A read-only help window listing the placeholders the program replaces in the notify command
// line, the tag texts and the output file-name templates, one section at a time. Openers load
// it, pick a section and show it modally; OK or the close box unloads it.
class FrmProgParameters : public QDialog {
    Q_OBJECT
public:
    FrmProgParameters();
    void Form_Load();
    void cboSections_Click();
    void cmdOk_Click();

    QWidget* picTitle;
    QLabel* lblTitle;
    QComboBox* cboSections;
    QWidget* fraAppNotic;
    QWidget* fraID3Tags;
    QWidget* fraExt;
    QList<QLineEdit*> txtParameter;  // the placeholder boxes of all three panels, in order
    QPushButton* cmdOk;

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
};

inline FormRef<FrmProgParameters> g_frmProgParameters;
