// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "mainwindow/ItemsListTree.h"

#include "components/cGrid.h"
#include "components/cImageList.h"
#include "foundation/VbNumbers.h"
#include "foundation/mdlFunctions.h"
#include "foundation/mdlModes.h"
#include "itemsgrid/GridRows.h"
#include "itemsgrid/ItemRow.h"
#include "platform/MessageBox.h"
#include "settings/ProgramOptions.h"
#include "settings/controls/cTreeView.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QTimer>

namespace {

const QString kItemsListsCaption = QStringLiteral("Items Lists");
const QString kAudioCDsCaption = QStringLiteral("Audio CDs");
const QString kSummaryPanel = QStringLiteral("Items List Properties");
const QString kNotSaved = QStringLiteral("Not saved.");
const QString kNotSavedMark = QStringLiteral(" (not saved)");
constexpr int kIconListsRoot = 17;
constexpr int kIconList = 42;
constexpr int kIconListSelected = 43;
constexpr int kIconCDsRoot = 71;
constexpr int kIconDrive = 25;

// Ends an in-place caption edit through the rename handler, which decides whether the caption
// takes the new text.
class LabelEditDelegate : public QStyledItemDelegate {
public:
    LabelEditDelegate(ItemsListTree* owner, cTreeView* tree) : QStyledItemDelegate(tree), m_owner(owner), m_tree(tree) {}

    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override
    {
        auto* line = qobject_cast<QLineEdit*>(editor);
        QTreeWidgetItem* node = m_tree->itemFromIndex(index);
        // The tree of lists goes before the tree widget that owns this delegate: an edit
        // committed while the main window is torn down finds no owner and changes nothing.
        if (!line || !node || !m_owner)
            return;
        const QString text = line->text();
        bool cancel = false;
        m_owner->cTreeView1_AfterLabelEdit(node, text, cancel);
        if (!cancel && m_owner->HasNode(node))
            node->setText(0, text);
    }

private:
    QPointer<ItemsListTree> m_owner;
    cTreeView* m_tree;
};

QList<QIcon> iconsOf(const cImageList* images)
{
    QList<QIcon> icons;
    if (images)
        for (int i = 0; i < images->Count(); ++i)
            icons.append(images->Icon(i));
    return icons;
}

// The message of a failed rename: what went wrong and its number, as the rest of the program
// words file errors.
QString renameError(const QString& from, const QString& to)
{
    long number = 75;
    QString description = QStringLiteral("Path/File access error");
    if (!QFileInfo::exists(from)) {
        number = 53;
        description = QStringLiteral("File not found");
    } else if (QFileInfo::exists(to)) {
        number = 58;
        description = QStringLiteral("File already exists");
    } else if (!QFileInfo(GetFolderFromPath(from)).isWritable()) {
        number = 70;
        description = QStringLiteral("Permission denied");
    }
    return description + QStringLiteral(" (") + QString::number(number) + QStringLiteral(").") + QString(28, u' ');
}

}  // namespace

bool IsMainNode(const QString& sKey) { return sKey.startsWith(QLatin1String("##MAIN")); }
bool IsCDNode(const QString& sKey) { return sKey.startsWith(kCDKeyPrefix); }
QString GetCDNameNode(const QString& sKey) { return sKey.mid(4, 2); }

bool IsListNodeKey(const QString& sKey)
{
    return !sKey.isEmpty() && !IsMainNode(sKey) && !IsCDNode(sKey) && IsItemsListFileName(GetFileName(sKey));
}

QString GetNewItemsListName(const QString& sFolder)
{
    for (long n = 1;; ++n) {
        const QString name = QStringLiteral("New Items List ") + QString::number(n) + kItemsListExtension;
        if (!QFileInfo::exists(sFolder + name))
            return name;
    }
}

QString ItemsListsFolder()
{
    QString folder = ProgramOptions.txtToPath;
    if (folder.isEmpty())
        folder = DefaultItemsListsFolder();
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

QString ItemsListHost::TotalSize(cGrid& grid)
{
    const long col = grid.ColumnIndex(COL_BYTES_SIZE);
    qint64 total = 0;
    for (long r = 1; r <= grid.Rows(); ++r)
        total += grid.Cell(r, col).Value().toLongLong();
    return FormatByteCount(total);
}

long ItemsListHost::TotalSeconds(cGrid& grid) { return static_cast<long>(GridRows::TotalSeconds(grid, false)); }

ItemsListTree::ItemsListTree(const ItemsListControls& controls, ItemProbe& probe, ItemsListHost& host, QObject* parent)
    : QObject(parent), m_c(controls), m_probe(probe), m_host(host), m_loader(*controls.grid, probe, this)
{
    m_loader.SetProgressBar(m_c.prgStatus);
    m_loader.SetImageList(m_c.imgGrid);
    connect(&m_loader, &ItemsListLoader::Finished, this, &ItemsListTree::onLoadFinished);
    if (m_c.tree) {
        m_c.tree->setItemDelegate(new LabelEditDelegate(this, m_c.tree));
        m_c.tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
        connect(m_c.tree, &cTreeView::NodeSelected, this, &ItemsListTree::cTreeView1_NodeClick);
    }
}

ItemsListTree::~ItemsListTree() = default;

QTreeWidgetItem* ItemsListTree::SelectedNode() const { return m_c.tree ? m_c.tree->SelectedNode() : nullptr; }

bool ItemsListTree::IsBusy() const
{
    return m_loader.IsBusy() || (m_c.prgStatus && !m_c.prgStatus->isHidden());
}

bool ItemsListTree::HasNode(const QTreeWidgetItem* node) const
{
    if (!node || !m_c.tree)
        return false;
    for (QTreeWidgetItemIterator it(m_c.tree); *it; ++it)
        if (*it == node)
            return true;
    return false;
}

QTreeWidgetItem* ItemsListTree::NodeByKey(const QString& sKey) const
{
    return m_c.tree ? m_c.tree->NodeByKey(sKey) : nullptr;
}

void ItemsListTree::SetListName(const QString& sName)
{
    m_listName = sName;
    if (m_c.lblListName)
        m_c.lblListName->setText(m_unsaved ? sName + kNotSavedMark : sName);
}

void ItemsListTree::addListNode(const QString& sFolder, const QString& sFileName)
{
    QTreeWidgetItem* node = m_c.tree->AddNode(sFolder + sFileName, RemoveExtension(sFileName), kIconList,
                                              kIconListSelected, m_nodeMainItems);
    node->setFlags(node->flags() | Qt::ItemIsEditable);
}

void ItemsListTree::setTree()
{
    if (!m_c.tree)
        return;
    m_loader.Reset();
    m_open = nullptr;
    m_nodeMainItems = nullptr;
    m_nodeMainCDs = nullptr;
    m_c.tree->ClearNodes();

    const QString folder = ItemsListsFolder();
    if (QDir(folder).entryList(QDir::Files).isEmpty()) {
        CreateFolderPath(folder);
        QFile first(folder + GetNewItemsListName(folder));
        if (first.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            first.close();
    }

    m_c.tree->SetImageList(iconsOf(m_c.imgMenu));
    const QSignalBlocker quiet(m_c.tree);

    if (g_lAppIncItemsLists == 1) {
        m_nodeMainItems = m_c.tree->AddNode(kMainItemsKeyPrefix + folder, kItemsListsCaption, kIconListsRoot, kIconListsRoot);
        const QStringList names = QDir(folder).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
        for (const QString& name : names)
            if (IsItemsListFileName(name))
                addListNode(folder, name);
        if (m_nodeMainItems->childCount() > 0)
            m_nodeMainItems->setExpanded(true);
        else
            LabelEdit(true);
    }

    if (g_lAppIncCDRipper == 1) {
        m_nodeMainCDs = m_c.tree->AddNode(kMainCDsKey, kAudioCDsCaption, kIconCDsRoot, kIconCDsRoot);
        const long drives = m_host.CDDriveCount();
        for (long i = 0; i < drives; ++i) {
            const QString name = m_host.CDDriveName(i);
            QTreeWidgetItem* drive = m_c.tree->AddNode(kCDKeyPrefix + name, name.left(2), kIconDrive, kIconDrive, m_nodeMainCDs);
            drive->setFlags(drive->flags() | Qt::ItemIsEditable);
        }
        m_nodeMainCDs->setExpanded(true);
    }
}

void ItemsListTree::cTreeView1_NodeClick(QTreeWidgetItem* node)
{
    if (IsBusy()) {
        // The tree may already show the clicked node; the open list stays the selected one.
        if (m_c.tree && HasNode(m_open) && SelectedNode() != m_open)
            m_c.tree->SelectNode(m_open);
        return;
    }
    const QString key = cTreeView::Key(node);
    if (node && IsMainNode(key)) {
        // The grid no longer shows a list, so nothing may be saved from it.
        m_loader.Reset();
        if (m_c.grid)
            m_c.grid->Clear();
        if (m_c.tree)
            m_c.tree->SelectNode(node);
        m_open = node;
        return;
    }
    if (m_host.PreviewIsPlaying())
        m_host.StopPreview();
    if (!node)
        return;

    if (m_c.tree)
        m_c.tree->SelectNode(node);
    m_open = node;
    // Whatever was not saved is gone now: the grid shows the file again.
    m_unsaved = false;
    m_unsavedTold = false;
    m_changedElsewhere = false;
    SetListName(cTreeView::Text(node));
    if (m_c.lblEmptylist)
        m_c.lblEmptylist->setText(QStringLiteral("The items list is empty."));
    if (m_c.lblAddorDrag)
        m_c.lblAddorDrag->setWordWrap(false);
    m_host.SetCDPolling(false);

    if (IsCDNode(key)) {
        m_loader.Reset();
        m_host.SetCDPolling(true);
        m_host.ListCDTracks(GetCDNameNode(key));
        m_host.RefreshItemInfo();
        return;
    }
    m_loader.Load(key, ItemsListLoader::Options{ProgramOptions.chkCopyID3FromSource});
}

void ItemsListTree::onLoadFinished(bool completed)
{
    cGrid* grid = m_c.grid;
    const long hidden = m_loader.HiddenRecords();
    // Items whose files are on a drive not plugged in are not shown, but stay in the file: the
    // user is told how many, and why, rather than finding a list shorter than it was, or empty.
    const QString hiddenText =
        hidden == 1 ? QStringLiteral("1 item of this list is not shown: its audio file is missing or cannot be read. "
                                     "It stays in the list file.")
                    : QString::number(hidden) + QStringLiteral(" items of this list are not shown: their audio files are "
                                                               "missing or cannot be read. They stay in the list file.");
    // The same, short enough for the status bar's panel.
    const QString hiddenPanel = hidden == 1 ? QStringLiteral("1 item not shown: file missing.")
                                            : QString::number(hidden) + QStringLiteral(" items not shown: files missing.");
    if (grid && grid->Rows() > 0) {
        if (m_c.picEmptyMsg)
            m_c.picEmptyMsg->setVisible(false);
        grid->Redraw(true);
        grid->CurrentRow(ProgramOptions.chkSelectTheLastItem ? grid->Rows() : 1);
        m_host.SetStatusPanelText(QStringLiteral("Main"), hidden > 0 ? hiddenPanel : QStringLiteral("Ready."));
    } else {
        if (m_c.picEmptyMsg)
            m_c.picEmptyMsg->setVisible(true);
        if (hidden > 0)
            m_host.SetStatusPanelText(QStringLiteral("Main"), hiddenPanel);
    }
    if (m_c.lblEmptylist)
        m_c.lblEmptylist->setText(hidden > 0 ? QStringLiteral("No item of this list can be shown.")
                                             : QStringLiteral("The items list is empty."));
    if (m_c.lblAddorDrag) {
        // The reason is longer than a narrow grid is wide: it wraps; the hint keeps its one line.
        m_c.lblAddorDrag->setWordWrap(hidden > 0);
        m_c.lblAddorDrag->setText(hidden > 0 ? hiddenText : QStringLiteral("Add or Drag and Drop audio items to here."));
    }
    m_host.RefreshItemInfo();
    DisplayGridInfoStatusBar();
    if (completed && !m_loader.DamagedAfter().isEmpty())
        tellDamaged();
    emit ListLoaded(completed);
}

void ItemsListTree::tellDamaged()
{
    QStringList places;
    for (const long after : m_loader.DamagedAfter())
        places << (after == 0 ? QStringLiteral("before the first item") : QStringLiteral("after item ") + QString::number(after));
    QString prompt = QStringLiteral("The items list '") + m_listName + QStringLiteral("' is damaged: ") +
                     (places.size() == 1 ? QStringLiteral("a part") : QString::number(places.size()) + QStringLiteral(" parts")) +
                     QStringLiteral(" of it could not be read as items (") + places.join(QStringLiteral(", ")) +
                     QStringLiteral(").\r\n\r\n") +
                     QStringLiteral("Nothing is lost: what could not be read stays in the list file as it is, and every save "
                                    "writes it back.\r\n\r\n");
    if (!m_loader.DamagedCopy().isEmpty())
        prompt += QStringLiteral("A copy of the list as it was read is at:\r\n") + m_loader.DamagedCopy();
    else
        prompt += QStringLiteral("No copy of the list could be made beside it: ") + m_loader.DamagedCopyError() + QLatin1Char('.');
    // Shown once the window's own events run: at start the list is opened before the main
    // window is on the screen.
    QTimer::singleShot(0, this, [prompt] { platform::MsgBox(prompt, platform::vbExclamation); });
}

void ItemsListTree::SaveGridToFile()
{
    QTreeWidgetItem* node = SelectedNode();
    const QString key = cTreeView::Key(node);
    if (!node || !m_c.grid || !IsListNodeKey(key))
        return;
    // A list still loading, or one that could not be read, is not what the grid holds.
    if (m_loader.IsBusy() || !m_loader.IsComplete() || m_loader.ListFile() != key)
        return;
    saveList(node, ComposeItemsListBytes(RecordsFromGrid(*m_c.grid), m_loader.Held()));
}

void ItemsListTree::savedAs(const ItemsListStamp& written)
{
    m_loader.Saved(written);
    if (m_unsaved) {
        m_unsaved = false;
        m_unsavedTold = false;
        m_changedElsewhere = false;
        SetListName(m_listName);
        m_host.SetStatusPanelText(QStringLiteral("Main"), QStringLiteral("Ready."));
    }
}

bool ItemsListTree::saveList(QTreeWidgetItem* node, const QByteArray& data)
{
    const QString key = cTreeView::Key(node);
    QString error;
    ItemsListStamp written;
    const ItemsListSaveStatus status = SaveItemsListBytes(key, data, m_loader.Stamp(), &written, &error);
    if (status == ItemsListSaveStatus::Saved) {
        savedAs(written);
        return true;
    }
    // The window keeps the user's change, but says at once and for as long as it lasts that the
    // file does not hold it.
    m_unsaved = true;
    m_changedElsewhere = status == ItemsListSaveStatus::ChangedElsewhere;
    SetListName(m_listName);
    m_host.SetStatusPanelText(QStringLiteral("Main"), kNotSaved);
    if (m_unsavedTold)
        return false;
    m_unsavedTold = true;
    QString prompt = QStringLiteral("The items list '") + cTreeView::Text(node) + QStringLiteral("' was not saved: ") + error +
                     QStringLiteral(".\r\n\r\n") + QStringLiteral("File: ") + key + QStringLiteral("\r\n\r\n");
    if (status == ItemsListSaveStatus::ChangedElsewhere) {
        prompt += QStringLiteral("Yes: load the list as it is in its file now; the changes made in this window are dropped.\r\n"
                                 "No: replace the file with the list of this window; the change made there is undone.\r\n"
                                 "Cancel: leave both as they are for now; the list of this window stays not saved.");
        const int answer = platform::MsgBox(prompt, platform::vbYesNoCancel | platform::vbExclamation);
        if (answer == platform::vbYes) {
            // After the command that saved has finished with the grid.
            QTimer::singleShot(0, this, [this, node] {
                if (HasNode(node) && SelectedNode() == node && !IsBusy())
                    cTreeView1_NodeClick(node);
            });
        } else if (answer == platform::vbNo) {
            error.clear();
            if (replaceFile(node, &error) == ItemsListSaveStatus::Saved)
                return true;
            platform::MsgBox(QStringLiteral("The items list '") + cTreeView::Text(node) + QStringLiteral("' was not saved: ") +
                                 error + QStringLiteral(".\r\n\r\n") + QStringLiteral("File: ") + key,
                             platform::vbExclamation);
        }
        return false;
    }
    prompt += QStringLiteral("The file still holds the list as it was before. The list in this window is not saved; "
                             "it is saved with the next change that can be written.");
    platform::MsgBox(prompt, platform::vbExclamation);
    return false;
}

ItemsListSaveStatus ItemsListTree::replaceFile(QTreeWidgetItem* node, QString* error)
{
    const QString key = cTreeView::Key(node);
    const ItemsListStamp now = ReadItemsListData(key).stamp;
    ItemsListStamp written;
    const ItemsListSaveStatus status =
        SaveItemsListBytes(key, ComposeItemsListBytes(RecordsFromGrid(*m_c.grid), m_loader.Held()), now, &written, error);
    if (status == ItemsListSaveStatus::Saved)
        savedAs(written);
    return status;
}

bool ItemsListTree::AskSaveBeforeExit()
{
    QTreeWidgetItem* node = SelectedNode();
    const QString key = cTreeView::Key(node);
    if (!m_unsaved || !node || !m_c.grid || !IsListNodeKey(key) || m_loader.ListFile() != key)
        return true;
    QString prompt = QStringLiteral("The items list '") + m_listName + QStringLiteral("' is not saved: its file does not hold "
                                                                                     "the list of this window.\r\n\r\n") +
                     QStringLiteral("File: ") + key + QStringLiteral("\r\n\r\n");
    if (m_changedElsewhere)
        prompt += QStringLiteral("Another program changed the file since it was read.\r\n\r\n"
                                 "Yes: replace the file with the list of this window, then exit.\r\n");
    else
        prompt += QStringLiteral("Yes: save the list of this window to its file, then exit.\r\n");
    prompt += QStringLiteral("No: exit without saving it; the file stays as it is.\r\n"
                             "Cancel: do not exit.");
    const int answer = platform::MsgBox(prompt, platform::vbYesNoCancel | platform::vbExclamation);
    if (answer == platform::vbNo)
        return true;
    if (answer != platform::vbYes)
        return false;
    QString error;
    ItemsListSaveStatus status;
    if (m_changedElsewhere) {
        status = replaceFile(node, &error);
    } else {
        ItemsListStamp written;
        status = SaveItemsListBytes(key, ComposeItemsListBytes(RecordsFromGrid(*m_c.grid), m_loader.Held()), m_loader.Stamp(),
                                    &written, &error);
        if (status == ItemsListSaveStatus::Saved)
            savedAs(written);
        else if (status == ItemsListSaveStatus::ChangedElsewhere)
            m_changedElsewhere = true;
    }
    if (status == ItemsListSaveStatus::Saved)
        return true;
    platform::MsgBox(QStringLiteral("The items list '") + m_listName + QStringLiteral("' was not saved: ") + error +
                         QStringLiteral(".\r\n\r\n") + QStringLiteral("File: ") + key + QStringLiteral("\r\n\r\n") +
                         QStringLiteral("The program does not exit, so that the list of this window is not lost."),
                     platform::vbExclamation);
    return false;
}

void ItemsListTree::ClearTheList(bool bNoConfirm)
{
    if (!m_c.grid || m_c.grid->Rows() == 0)
        return;
    // A list's items or a drive's tracks; rows under no node selected are no list's.
    const QString key = cTreeView::Key(SelectedNode());
    const bool drive = IsCDNode(key);
    if (!drive && !IsListNodeKey(key))
        return;
    if (m_host.PreviewIsPlaying()) {
        m_host.StopPreview();
        m_host.SetRowUnBold();
        if (m_host.PreviewIsPlaying())
            return;
    }
    if (!bNoConfirm) {
        const QString prompt = QStringLiteral("This operation will erase all the items under the '") +
                               cTreeView::Text(SelectedNode()) + QStringLiteral("' list.") + QStringLiteral("\r\n\r\n") +
                               QStringLiteral("Are you sure?");
        if (platform::MsgBox(prompt, platform::vbYesNo | platform::vbExclamation) != platform::vbYes)
            return;
    }
    if (drive) {
        // A drive's listing has no file: only the rows go.
        m_c.grid->Clear();
        m_c.grid->Redraw(true);
        if (m_c.picEmptyMsg)
            m_c.picEmptyMsg->setVisible(true);
        return;
    }
    DoClearTheList();
}

void ItemsListTree::DoClearTheList()
{
    QTreeWidgetItem* node = SelectedNode();
    const QString key = cTreeView::Key(node);
    if (!node || !IsListNodeKey(key))
        return;
    m_loader.Abort();
    // Cleared when the file is the one read (or a list not open yet); else the load that follows
    // shows the file as it stands.
    const bool open = m_loader.ListFile() == key && m_loader.IsComplete();
    const ItemsListStamp before = open ? m_loader.Stamp() : ReadItemsListData(key).stamp;
    ItemsListStamp written;
    QString error;
    switch (SaveItemsListBytes(key, ComposeItemsListBytes({}), before, &written, &error)) {
    case ItemsListSaveStatus::Saved:
        m_loader.ClearedByUser(written);
        break;
    case ItemsListSaveStatus::ChangedElsewhere:
    case ItemsListSaveStatus::Failed:
        platform::MsgBox(QStringLiteral("The items list '") + cTreeView::Text(node) + QStringLiteral("' was not cleared: ") + error +
                             QStringLiteral(".\r\n\r\n") + QStringLiteral("File: ") + key,
                         platform::vbExclamation);
        break;
    }
    if (m_c.grid) {
        m_c.grid->Clear();
        m_c.grid->Redraw(true);
    }
    cTreeView1_NodeClick(node);
}

void ItemsListTree::RemoveItemsList()
{
    QTreeWidgetItem* node = SelectedNode();
    const QString key = cTreeView::Key(node);
    if (!node || !IsListNodeKey(key) || !m_nodeMainItems || m_nodeMainItems->childCount() < 2)
        return;
    const ItemsListReadResult read = ReadItemsListFile(key);
    if (!read.ok || read.text.contains(QLatin1String("<ITEM>"))) {
        const QString prompt = QStringLiteral("This operation will erase all the items under the '") + GetFileName(key) +
                               QStringLiteral("', are you sure?");
        if (platform::MsgBox(prompt, platform::vbYesNo | platform::vbInformation) != platform::vbYes)
            return;
    }
    if (m_loader.ListFile() == key)
        m_loader.Reset();
    // A file that cannot be deleted keeps its node, so the tree never hides a list that is there.
    if (QFileInfo::exists(key) && !QFile::remove(key))
        return;
    if (m_open == node)
        m_open = nullptr;
    {
        const QSignalBlocker quiet(m_c.tree);
        delete node;
    }
    const int count = m_nodeMainItems->childCount();
    if (count > 0)
        cTreeView1_NodeClick(m_nodeMainItems->child(count - 1));
}

void ItemsListTree::DisplayGridInfoStatusBar()
{
    QString text;
    cGrid* grid = m_c.grid;
    if (!grid || grid->Rows() == 0) {
        text = QStringLiteral("0") + QStringLiteral(" Items, 0 KB, 00:00:00");
    } else {
        const long seconds = m_host.TotalSeconds(*grid);
        text = QString::number(grid->Rows()) + QStringLiteral(" Items, ") + m_host.TotalSize(*grid) + QStringLiteral(", ") +
               PadTimeText(FormatSecondsHMS(seconds));
    }
    m_summary = text;
    m_host.SetStatusPanelText(kSummaryPanel, text);
}

QTreeWidgetItem* ItemsListTree::NewItemsList()
{
    if (!m_c.tree || !m_nodeMainItems)
        return nullptr;
    const QString folder = ItemsListsFolder();
    CreateFolderPath(folder);
    const QString name = GetNewItemsListName(folder);
    QFile file(folder + name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return nullptr;
    file.close();
    QTreeWidgetItem* node;
    {
        const QSignalBlocker quiet(m_c.tree);
        addListNode(folder, name);
        node = m_nodeMainItems->child(m_nodeMainItems->childCount() - 1);
        m_nodeMainItems->setExpanded(true);
    }
    cTreeView1_NodeClick(node);
    LabelEdit(true);
    StartLabelEdit(node);
    return node;
}

bool ItemsListTree::SelectFirstItemsList()
{
    if (!m_nodeMainItems)
        return false;
    if (m_nodeMainItems->childCount() > 0)
        cTreeView1_NodeClick(m_nodeMainItems->child(0));
    else
        NewItemsList();
    return true;
}

void ItemsListTree::ShowNoList()
{
    if (IsBusy())
        m_loader.Abort();
    m_loader.Reset();
    m_open = m_nodeMainItems;
    if (m_c.tree && m_nodeMainItems) {
        const QSignalBlocker quiet(m_c.tree);
        m_c.tree->SelectNode(m_nodeMainItems);
    }
    if (m_c.grid) {
        m_c.grid->Clear();
        m_c.grid->Redraw(true);
    }
    SetListName(QString());
    if (m_c.picEmptyMsg)
        m_c.picEmptyMsg->setVisible(true);
    m_host.RefreshItemInfo();
    DisplayGridInfoStatusBar();
}

void ItemsListTree::LabelEdit(bool on)
{
    m_labelEdit = on;
    if (m_c.tree)
        m_c.tree->setEditTriggers(on ? QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked
                                     : QAbstractItemView::NoEditTriggers);
}

void ItemsListTree::StartLabelEdit(QTreeWidgetItem* node)
{
    if (m_c.tree && HasNode(node) && (node->flags() & Qt::ItemIsEditable))
        m_c.tree->editItem(node, 0);
}

void ItemsListTree::restartEdit(QTreeWidgetItem* node)
{
    // The editor that just closed is still being torn down; open the next one afterwards.
    QTimer::singleShot(0, this, [this, node] { StartLabelEdit(node); });
}

ItemsListTree::RenameResult ItemsListTree::RenameList(QTreeWidgetItem* node, const QString& sName, QString* sError)
{
    const QString oldKey = cTreeView::Key(node);
    if (!IsListNodeKey(oldKey)) {
        if (sError)
            *sError = renameError(oldKey, {});
        return RenameResult::Failed;
    }
    const QString newKey = GetFolderFromPath(oldKey) + sName + kItemsListExtension;
    if (QFileInfo::exists(newKey) || QFileInfo(newKey).isSymLink())
        return RenameResult::Exists;
    if (!QFile::rename(oldKey, newKey)) {
        if (sError)
            *sError = renameError(oldKey, newKey);
        return RenameResult::Failed;
    }
    cTreeView::SetKey(node, newKey);
    node->setText(0, sName);
    if (m_loader.ListFile() == oldKey)
        m_loader.ListRenamed(newKey);
    return RenameResult::Renamed;
}

void ItemsListTree::cTreeView1_AfterLabelEdit(QTreeWidgetItem* node, const QString& sNewText, bool& bCancel)
{
    if (!HasNode(node)) {
        bCancel = true;
        return;
    }
    const QString key = cTreeView::Key(node);
    if (IsCDNode(key))
        return;
    if (IsMainNode(key)) {
        bCancel = true;
        return;
    }
    if (sNewText.isEmpty()) {
        restartEdit(node);
        bCancel = true;
        return;
    }
    if (sNewText == cTreeView::Text(node))
        return;
    if (!IsValidFileName(sNewText)) {
        restartEdit(node);
        bCancel = true;
        return;
    }
    QString error;
    switch (RenameList(node, sNewText, &error)) {
    case RenameResult::Exists:
        platform::MsgBox(QStringLiteral("The Items List '") + sNewText + QStringLiteral("' already exists. Please select a different name."),
                         platform::vbInformation);
        restartEdit(node);
        bCancel = true;
        return;
    case RenameResult::Failed:
        platform::MsgBox(error, platform::vbInformation);
        bCancel = true;
        return;
    case RenameResult::Renamed:
        break;
    }
    SetListName(sNewText);
    cTreeView1_NodeClick(node);
}
