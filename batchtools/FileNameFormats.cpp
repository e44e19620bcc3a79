// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "batchtools/FileNameFormats.h"

#include "batchtools/BatchToolWindow.h"
#include "settings/FrmOptions.h"
#include "settings/ProgramOptions.h"
#include "settings/controls/LinkLabel.h"

#include <QComboBox>
#include <QLabel>
#include <QSignalBlocker>

namespace FileNameFormats {

Controls Build(QWidget* tab)
{
    Controls c;
    c.Label21 = new QLabel(QStringLiteral("File Name Format:"), tab);
    c.lblSetAsDefaultFileName = new LinkLabel(QStringLiteral("Set as default"), tab, true);
    c.lblSetAsDefaultFileName->setToolTip(QStringLiteral("Set as default file name format"));
    c.lblParameters = new LinkLabel(QStringLiteral("Parameters"), tab, true);
    c.lblParameters->setToolTip(QStringLiteral("Parameters"));
    c.cboFileName = new QComboBox(tab);
    c.cboFileName->setObjectName(QStringLiteral("cboFileName"));
    c.cboFileName->setEditable(false);
    return c;
}

void Load(QComboBox* cboFileName)
{
    const QSignalBlocker quiet(cboFileName);
    cboFileName->clear();
    cboFileName->addItems(LoadFileNameFormatList());
    cboFileName->setCurrentIndex(-1);
}

void ChooseDefault(QComboBox* cboFileName)
{
    if (!ProgramOptions.cboFileName.isEmpty())
        cboFileName->setCurrentIndex(cboFileName->findText(ProgramOptions.cboFileName));
    else
        cboFileName->setCurrentIndex(cboFileName->count() > 1 ? 1 : -1);
}

void Chosen(QComboBox* cboFileName, LinkLabel* lblSetAsDefaultFileName)
{
    lblSetAsDefaultFileName->setEnabled(
        BatchTool::DefaultLinkEnabled(cboFileName->currentText(), ProgramOptions.cboFileName));
}

void SetAsDefault(QComboBox* cboFileName, LinkLabel* lblSetAsDefaultFileName)
{
    BatchToolWindow::StoreDefault(QStringLiteral("cboFileName"), cboFileName->currentText(), &FrmOptions::cboFileName,
                                  ProgramOptions.cboFileName);
    lblSetAsDefaultFileName->setEnabled(false);
}

}  // namespace FileNameFormats
