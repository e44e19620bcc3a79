// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "mainwindow/ItemsListLoader.h"

#include <QObject>
#include <QString>

class cGrid;
class cImageList;
class cTreeView;
class QLabel;
class QProgressBar;
class QTreeWidgetItem;
class QWidget;

// Node keys of the tree of lists. Roots begin with "##MAIN", drives with "##CD"; a list's key
// is the full path of its file.
inline const QString kMainItemsKeyPrefix = QStringLiteral("##MAINITEMS");
inline const QString kMainCDsKey = QStringLiteral("##MAINCDS") + QStringLiteral("Audio CDs");
inline const QString kCDKeyPrefix = QStringLiteral("##CD");

bool IsMainNode(const QString& sKey);
bool IsCDNode(const QString& sKey);
// The drive letter and colon of a drive node's key.
QString GetCDNameNode(const QString& sKey);
// A key that names a list file: neither a root nor a drive, and ending in ".flst".
bool IsListNodeKey(const QString& sKey);
// The first "New Items List <n>.flst" (n = 1, 2, ...) that does not exist in the folder; the
// name without the folder.
QString GetNewItemsListName(const QString& sFolder);
// The lists folder of the options, with its closing "/" (completed when the user left it off,
// so list files land inside the folder and not beside it).
QString ItemsListsFolder();

// What the tree of lists needs of the rest of the main window. Every member has a harmless
// default so that a host overrides only what it has.
class ItemsListHost {
public:
    virtual ~ItemsListHost() = default;
    virtual bool PreviewIsPlaying() { return false; }
    // The play strip's Stop command.
    virtual void StopPreview() {}
    // The player's own stop, as every command starts with: no next row starts after it.
    virtual void StopPlayer() {}
    // Loads the items grid's current row into the preview player (a click in the mark column).
    virtual void LoadItemToPlayer() {}
    // Removes the preview's bold playing mark from the rows.
    virtual void SetRowUnBold() {}
    // The CD polling timer tmrCDs.
    virtual void SetCDPolling(bool on) {}
    // Lists the tracks of the audio CD in the drive ("D:") into the grid.
    virtual void ListCDTracks(const QString& sDrive) {}
    // Refills the item information grid from the grid's current row.
    virtual void RefreshItemInfo() {}
    virtual void SetStatusPanelText(const QString& sKey, const QString& sText) {}
    virtual long CDDriveCount() { return 0; }
    virtual QString CDDriveName(long index) { return {}; }
    // Totals over all rows; the defaults compute them from the grid's cells.
    virtual QString TotalSize(cGrid& grid);
    virtual long TotalSeconds(cGrid& grid);
};

// The main window's controls the tree of lists works with. The main window owns them.
struct ItemsListControls {
    cTreeView* tree = nullptr;            // cTreeView1
    cGrid* grid = nullptr;                // cGrid1
    QLabel* lblListName = nullptr;        // the list name above the grid
    QProgressBar* prgStatus = nullptr;    // visible while a list or a CD loads: the busy flag
    QWidget* picEmptyMsg = nullptr;       // shown over an empty grid
    QLabel* lblAddorDrag = nullptr;       // its text
    const cImageList* imgGrid = nullptr;  // the grid's icons
    const cImageList* imgMenu = nullptr;  // the tree's icons
    QLabel* lblEmptylist = nullptr;       // the heading over an empty grid
};

// The tree of items lists and audio-CD drives beside the items grid, and the list commands on
// its selected node. The selected node is the open list: saving and loading use its key, and
// only a list node's key is ever used as a file path. Owned by the main window; GUI thread.
class ItemsListTree : public QObject {
    Q_OBJECT
public:
    ItemsListTree(const ItemsListControls& controls, ItemProbe& probe, ItemsListHost& host,
                  QObject* parent = nullptr);
    ~ItemsListTree() override;

    QTreeWidgetItem* g_nodeMainItems() const { return m_nodeMainItems; }
    QTreeWidgetItem* g_nodeMainCDs() const { return m_nodeMainCDs; }
    QTreeWidgetItem* SelectedNode() const;
    ItemsListLoader& loader() { return m_loader; }

    // Builds the tree from scratch (start, and a changed lists folder).
    void setTree();
    // The selection handler, for the tree and for code selecting a node as a click would.
    void cTreeView1_NodeClick(QTreeWidgetItem* node);
    // The end of an in-place caption edit; sets bCancel when the caption must not change.
    void cTreeView1_AfterLabelEdit(QTreeWidgetItem* node, const QString& sNewText, bool& bCancel);

    // Writes the grid to the selected list's file. Does nothing for a root or drive node, while
    // a list loads, or when the open list could not be read. A file changed by someone else since
    // it was read is not overwritten. A save that fails says so (once, until one succeeds), and
    // until a save succeeds the list name reads "(not saved)" and the "Main" panel "Not saved.".
    void SaveGridToFile();
    // The last save of the open list failed: the grid holds what its file does not.
    bool IsUnsaved() const { return m_unsaved; }
    // The exit's question while the open list is not saved: save it (over the file as it is
    // now, when another program changed it), leave it, or stay. False when the program is to
    // stay: the user said so, or the save failed (and was told).
    bool AskSaveBeforeExit();
    void ClearTheList(bool bNoConfirm);
    void DoClearTheList();
    void RemoveItemsList();
    void DisplayGridInfoStatusBar();
    // The text DisplayGridInfoStatusBar last gave the "Items List Properties" panel.
    QString ListSummary() const { return m_summary; }

    // The "New Items List" command's work: an empty list file, its node selected and opened, and
    // its caption being edited.
    QTreeWidgetItem* NewItemsList();
    // The first selection at start: the first list, or a new one when there is none. False when
    // the lists root does not exist.
    bool SelectFirstItemsList();
    // No list is open (a lists folder where none can be made): the lists root is selected, the
    // grid and the list name are empty.
    void ShowNoList();

    // Renames a list's file to folder + name + ".flst" and gives the node the new key and
    // caption; nothing changes when it fails.
    enum class RenameResult { Renamed, Exists, Failed };
    RenameResult RenameList(QTreeWidgetItem* node, const QString& sName, QString* sError = nullptr);
    // The node of a key, or nullptr.
    QTreeWidgetItem* NodeByKey(const QString& sKey) const;
    // A node pointer that is still in the tree.
    bool HasNode(const QTreeWidgetItem* node) const;

    void LabelEdit(bool on);
    bool LabelEdit() const { return m_labelEdit; }
    void StartLabelEdit(QTreeWidgetItem* node);

    // A list or a CD is being loaded: selections are ignored meanwhile.
    bool IsBusy() const;
    // Sets the caption of the list name label above the grid.
    void SetListName(const QString& sName);

signals:
    // A list has been loaded into the grid (also an empty or unreadable one).
    void ListLoaded(bool completed);

private:
    void addListNode(const QString& sFolder, const QString& sFileName);
    void onLoadFinished(bool completed);
    void restartEdit(QTreeWidgetItem* node);
    bool saveList(QTreeWidgetItem* node, const QByteArray& data);
    // Writes the grid's list over its file as the file is now, whoever changed it.
    ItemsListSaveStatus replaceFile(QTreeWidgetItem* node, QString* error);
    void savedAs(const ItemsListStamp& written);
    void tellDamaged();

    ItemsListControls m_c;
    ItemProbe& m_probe;
    ItemsListHost& m_host;
    ItemsListLoader m_loader;
    QTreeWidgetItem* m_nodeMainItems = nullptr;
    QTreeWidgetItem* m_nodeMainCDs = nullptr;
    QTreeWidgetItem* m_open = nullptr;  // the node last opened by a selection
    bool m_labelEdit = false;
    QString m_summary;
    QString m_listName;         // the open list's name, as the label shows it
    bool m_unsaved = false;     // see IsUnsaved
    bool m_unsavedTold = false; // the failure has been shown
    bool m_changedElsewhere = false;  // the failure: another program changed the file

};
