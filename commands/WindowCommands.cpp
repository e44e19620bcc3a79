// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// Help, support, the desktop's player and the tag editor.
#include "components/cGrid.h"
#include "foundation/mdlModes.h"
#include "foundation/mdlWindowUtils.h"
#include "itemsgrid/ItemRow.h"
#include "mainwindow/FrmMain.h"
#include "platform/Paths.h"
#include "platform/Shell.h"
#include "tags/editor/FrmMP3TagsEditor.h"

#include <QDir>
#include <QFileInfo>

bool FrmMain::cmdHelpTopic(long)
{
    // Our own help page beside the program, shown by the desktop's browser; without it the
    // command does nothing.
    const QString page = QDir(platform::programFolder()).filePath(QStringLiteral("Help.html"));
    if (QFileInfo(page).isFile())
        platform::shell().open(page);
    return true;
}

bool FrmMain::cmdSupport(long)
{
    platform::shell().open(g_sAppSupportURL);
    return true;
}

bool FrmMain::cmdOpenDefaultPlayer(long)
{
    SetTopMost(this, false);
    if (cGrid1->Rows() == 0)
        return true;
    const QString file = cGrid1->Cell(cGrid1->CurrentRow(), cGrid1->ColumnIndex(COL_FILE)).Text();
    if (!file.isEmpty())
        platform::shell().open(file);
    return true;
}

bool FrmMain::cmdMP3TagsEditor(long)
{
    SetTopMost(this, false);
    // Modeless and without an owner: the user chooses the file in the window.
    setCursor(Qt::WaitCursor);
    FrmMP3TagsEditor* editor = g_frmMP3TagsEditor.get();
    unsetCursor();
    editor->show();
    editor->raise();
    editor->activateWindow();
    return true;
}
