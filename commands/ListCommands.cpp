// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The commands on the selected items list and on the rows of the items grid.
#include "commands/ToolWindows.h"
#include "components/cGrid.h"
#include "foundation/FrmFileCopy.h"
#include "foundation/mdlCommDialog.h"
#include "foundation/mdlFunctions.h"
#include "foundation/mdlWindowUtils.h"
#include "itemsgrid/ItemRow.h"
#include "mainwindow/FrmMain.h"
#include "mainwindow/cPopupMenu.h"
#include "platform/MessageBox.h"
#include "settings/ProgramOptions.h"
#include "settings/controls/cTreeView.h"

#include <QPointer>

namespace {

void say(FrmMain& f, const QString& text) { platform::MsgBox(text, platform::vbInformation | platform::vbOKOnly, QString(), &f); }

}  // namespace

bool FrmMain::cmdOpenDestinationFolder(long)
{
    // A node's key names a list file or a drive, never a folder: the lists folder is opened.
    OpenDestFolder(ProgramOptions.txtToPath);
    return true;
}

bool FrmMain::cmdSaveAs(long)
{
    if (IsCDNode(cTreeView::Key(cTreeView1->SelectedNode()))) {
        say(*this, QStringLiteral("Nothing to save.") + QString(20, u' '));
        return false;
    }
    if (cGrid1->Rows() == 0)
        return false;
    // The row's own file is copied; filter and extension come from its name.
    const QString source = cGrid1->Cell(cGrid1->CurrentRow(), cGrid1->ColumnIndex(COL_FILE)).Text();
    const QString ext = GetExtFromName(source);
    g_FileDialog.lpstrFilter = QStringLiteral("Audio Files (*.") + ext + QStringLiteral(")") + QChar(u'\0') +
                               QStringLiteral("*.") + ext;
    g_FileDialog.lpstrTitle = QStringLiteral("Save As");
    g_FileDialog.lpstrDefExt = ext;
    const FileDialogResult chosen = ShowSave(this, QString(), true);
    if (chosen.cancelled || chosen.fileNames.size() < 2)
        return true;
    const QString destination = chosen.fileNames.at(1);

    const QPointer<FrmMain> self(this);
    FrmFileCopy* copy = g_frmFileCopy.get();
    copy->g_sSourceFile = source;
    copy->g_sDestFile = destination;
    copy->lblFrom->setText(source);
    copy->lblTo->setText(destination);
    copy->tmrStart->start();
    copy->exec();
    g_frmFileCopy.unload();
    return static_cast<bool>(self);
}

bool FrmMain::cmdRenameItem(long)
{
    if (cGrid1->Rows() == 0)
        return false;
    SetTopMost(this, false);
    const QPointer<FrmMain> self(this);
    cGrid1_DblClick(cGrid1->CurrentRow(), cGrid1->CurrentColumn());
    return static_cast<bool>(self);
}

bool FrmMain::cmdMarkUnmarkAll(long)
{
    MarkAllItems(!IsAnyItemMarked());
    return true;
}

bool FrmMain::cmdMoveRow(long item)
{
    const long rows = cGrid1->Rows();
    if (rows == 0)
        return false;
    // The ripper takes row r as track r: on a drive node a moved row would be ripped under
    // another track's name, so the rows stay where they are.
    if (IsCDNode(cTreeView::Key(cTreeView1->SelectedNode())))
        return true;
    const QString key = m_cMenu->MenuItemKey(item);
    const long current = cGrid1->CurrentRow();
    long distance = 0;
    if (key == QLatin1String("Move Up")) {
        if (current > 1)
            distance = -1;
    } else if (key == QLatin1String("Move Down")) {
        if (current < rows)
            distance = 1;
    } else if (key == QLatin1String("Move To First")) {
        if (rows > 1)
            distance = 1 - current;
    } else if (key == QLatin1String("Move To Last")) {
        if (rows > 1 && current < rows)
            distance = rows - current;
    }
    if (distance != 0) {
        cGrid1->Redraw(false);
        ReplaceRow(distance);
        cGrid1->Redraw(true);
    }
    // Saved also when nothing moved.
    SaveGridToFile();
    return true;
}

bool FrmMain::cmdFreeDB(long)
{
    SetTopMost(this, false);
    if (cGrid1->Rows() == 0)
        return false;
    if (!IsCDNode(cTreeView::Key(cTreeView1->SelectedNode()))) {
        say(*this, QStringLiteral("Select the CD drive to get the information about.") + QString(18, u' '));
        return false;
    }
    const QPointer<FrmMain> self(this);
    setCursor(Qt::WaitCursor);
    ToolWindow* lookup = ToolWindows::Load(QStringLiteral("FreeDB"));
    if (!lookup) {
        unsetCursor();
        say(*this, ToolWindows::NotPartOfThisVersion(QStringLiteral("FreeDB")));
        return false;
    }
    if (lookup->GetFreeDB())
        ToolWindows::ShowToolModal(*lookup);
    if (self)
        unsetCursor();
    return static_cast<bool>(self);
}
