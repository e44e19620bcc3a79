// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The main window's add-files command: the open dialog, then the adding pass of g_frmStat.
#include "components/cGrid.h"
#include "foundation/mdlCommDialog.h"
#include "foundation/mdlFileTime.h"
#include "foundation/mdlFunctions.h"
#include "foundation/mdlSupportedFormats.h"
#include "foundation/mdlWindowUtils.h"
#include "itemsgrid/AddFilesProbe.h"
#include "itemsgrid/FrmStat.h"
#include "mainwindow/FrmMain.h"
#include "mainwindow/ItemsListTree.h"
#include "platform/MessageBox.h"
#include "settings/controls/cTreeView.h"

#include <QFileInfo>
#include <QPointer>

bool FrmMain::cmdAddFiles(long)
{
    const QString key = cTreeView::Key(cTreeView1->SelectedNode());
    if (IsCDNode(key)) {
        platform::MsgBox(QStringLiteral("Adding new items to the Audio CD List is not possible.") + QString(20, u' '),
                         platform::vbInformation, QString(), this);
        return false;
    }
    if (IsMainNode(key))
        return false;
    const QPointer<FrmMain> self(this);
    AddFiles();
    if (self)
        activateWindow();
    return static_cast<bool>(self);
}

void FrmMain::AddFiles()
{
    SetTopMost(this, false);
    g_FileDialog.lpstrFilter = GetSupportedFilesFilter();
    g_FileDialog.lpstrTitle = QStringLiteral("Add audio files");
    const FileDialogResult chosen = ShowOpen(this);
    if (chosen.cancelled || chosen.fileCount <= 0)
        return;

    FrmStat* stat = g_frmStat.get();
    QStringList paths;
    for (int i = 1; i <= chosen.fileCount && i < chosen.fileNames.size(); ++i) {
        QString path = chosen.folder;
        if (!path.endsWith(u'/'))
            path += u'/';
        path += chosen.fileNames.at(i);
        if (const std::optional<AddRefusal> refusal = LookRefusal(path, LookAtFile(path)))
            stat->NoteRefusal(path, *refusal);
        else
            paths << path;
    }

    AddPathsAndSave(paths);
}

void FrmMain::AddPathsAndSave(const QStringList& paths)
{
    // The pass lets events run: the main window may be gone when it returns.
    const QPointer<FrmMain> self(this);
    g_frmStat->AddFilesToList(paths, cGrid1, this, false);
    g_frmStat.unload();
    if (!self)
        return;
    SaveGridToFile();
    DisplayGridInfoStatusBar();
}
