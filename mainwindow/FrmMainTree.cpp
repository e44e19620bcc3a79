// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The main window's tree of items lists, as far as its frame needs it: the two roots, one node
// per list file, selecting a node, clearing the open list.
#include "mainwindow/FrmMain.h"

#include "components/cGrid.h"
#include "platform/Paths.h"
#include "settings/ProgramOptions.h"
#include "settings/controls/cTreeView.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>

namespace {

QString listsFolder()
{
    QString folder = ProgramOptions.txtToPath;
    if (folder.isEmpty())
        folder = platform::programFolder() + QStringLiteral("/Main/");
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

bool isListKey(const QString& key)
{
    return !key.startsWith(QLatin1String("##")) && key.endsWith(QLatin1String(".flst"), Qt::CaseInsensitive);
}

}  // namespace

bool FrmMain::IsMainNode(const QString& key) { return key.startsWith(QLatin1String("##MAIN")); }

bool FrmMain::IsCDNode(const QString& key) { return key.startsWith(QLatin1String("##CD")); }

void FrmMain::setTree()
{
    cTreeView1->ClearNodes();
    const QString folder = listsFolder();
    g_nodeMainItems = cTreeView1->AddNode(QStringLiteral("##MAINITEMS") + folder, QStringLiteral("Items Lists"));
    const QFileInfoList lists = QDir(folder).entryInfoList({QStringLiteral("*.flst")}, QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& f : lists)
        if (f.suffix().compare(QLatin1String("flst"), Qt::CaseInsensitive) == 0)
            cTreeView1->AddNode(f.absoluteFilePath(), f.completeBaseName(), 42, 43, g_nodeMainItems);
    g_nodeMainItems->setExpanded(true);
    g_nodeMainCDs = cTreeView1->AddNode(QStringLiteral("##MAINCDS") + QStringLiteral("Audio CDs"), QStringLiteral("Audio CDs"));
}

void FrmMain::OpenFirstItemsList()
{
    if (g_nodeMainItems && g_nodeMainItems->childCount() > 0)
        cTreeView1_NodeClick(g_nodeMainItems->child(0));
}

void FrmMain::cTreeView1_NodeClick(QTreeWidgetItem* node)
{
    if (!node)
        return;
    cTreeView1->SelectNode(node);
    lblListName->setText(cTreeView::Text(node));
    picEmptyMsg->setVisible(cGrid1->Rows() == 0);
}

void FrmMain::DoClearTheList()
{
    QTreeWidgetItem* node = cTreeView1->SelectedNode();
    if (!node)
        return;
    const QString key = cTreeView::Key(node);
    // Only a list node names a file; a root's or a drive's key is never used as a path.
    if (!isListKey(key))
        return;
    QFile file(key);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.close();
    cGrid1->Clear();
    cGrid1->Redraw(true);
    cTreeView1_NodeClick(node);
}
