// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "commands/ToolbarRouting.h"
#include "components/cImageList.h"
#include "foundation/FormRef.h"
#include "mainwindow/MainLayout.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <vector>

class QFrame;
class QLabel;
class QMimeData;
class QProgressBar;
class QSlider;
class QTimer;
class QTreeWidgetItem;
class RegistryRoutines;
class ItemProbe;
class ItemsListHost;
class ItemsListTree;
class cAudioCDRipper;
class cAudioConverter;
class cAudioGraph;
class cFreeDB;
class cGrid;
class cPlayer;
class cSlider;
class PreviewStrip;
class PreviewStripHost;
class StripTimer;
class cPopupMenu;
class cStatusBar;
class cSysTray;
class cToolbar;
class cTreeView;

// The main window: lives from start-up until the program ends, and its unloading ends the
// program. Its panes are placed by code (MainLayout, twips); its menu object m_cMenu is the
// program's table of commands, and every command, from a menu, a toolbar, a status panel or
// start-up code, reaches m_cMenu_Click with the number of the item of its key. GUI thread.
class FrmMain : public QMainWindow {
    Q_OBJECT
public:
    FrmMain();
    ~FrmMain() override;

    // Start and end
    void Form_Load();
    void Form_Unload(int& Cancel);
    void Form_Terminate();

    // Commands
    void m_cMenu_Click(long ItemNumber);
    // Runs the command of a key as a click on its menu item would; an unknown key finds item 0.
    void RunCommand(const QString& key);
    // Every key of the dispatcher's table, in the order they are compared.
    static QStringList CommandKeys();
    // The preview the dispatcher stops and the refresh it ends with: the list host unless a
    // test puts another in its place (nullptr puts the host back).
    ItemsListHost& PreviewSeam();
    void SetPreviewSeam(ItemsListHost* seam);
    // Start-up switches: the whole command line, lower-cased.
    void RunStartupSwitches(const QString& sCommandLine);
    // Selects the first drive node whose drive holds a disc with tracks.
    void SelectFirstAudioCD();

    // Drive nodes (mainwindow/CDDrives.cpp, rules in CDDriveNodes.h).
    long GetCDDriveIndex(const QString& sDrive);
    // Lists the tracks of the disc in the drive ("D:") into the grid, one row per track.
    void GetCDTracksToGrid(const QString& sDrive);
    // Every 5 s while a drive node is selected: lists a disc that came, clears one that went.
    void tmrCDs_Timer();
    void cAudioCDRipper1_Error(long number, const QString& text);

    // Text services for the tool windows (commands/Templates.h).
    QString GetNoticAppParameters();
    QString CreateID3TagsString(const QString& sText);
    QString GetExt();
    QString CreateFileName(const QString& sText);
    // The launchers' root check: true (after its message) when a root node is selected.
    bool CheckItemsListSelected();
    void tlbrTop_ButtonClick(long index);
    void tlbrTop_ButtonDropDown(long index);
    void tlbrProjects_ButtonClick(long index);
    void tlbrList_ButtonClick(long index);
    void tlbrRecorder_ButtonClick(long index);
    void tlbrPlayButtons_ButtonClick(long index);

    // The preview player strip; its rules live in m_strip.
    void StartPlay();
    void StopPlay();
    // The Stop request. No next row starts after it; the command dispatcher calls it too.
    void StopPreview();
    void cPlayer1_PlayEnd();
    void cSlider1_DragStart();
    void cSlider1_DragEnd();
    void tmrPlayer_Timer();
    void tmSlider_Timer();
    void tmrAudioData_Timer();
    // The list node whose item was started last (null before and after StopPlay).
    QTreeWidgetItem* NodePlaying() const;
    void cStatusBar1_PanelClick(long index);
    void lblListName_Click();

    // Menus, toolbars, layout
    void CreateMenus();
    void CreateToolsToolbar();
    void SetAppView();
    void RestoreWindowSize();
    void Form_Resize();
    void SetGridColumns(cGrid* grid);
    void SetGridInfoColumns();
    void cGrid1_DragDrop(QWidget* Source, double X, double Y);
    void cTreeView1_DragDrop(QWidget* Source, double X, double Y);

    // Tray, window modes, panels
    void cSysTray1_TrayClick(long kind);
    void SetOnTop(bool bVal);
    void SetTransparent(bool bVal);
    void OpenDestFolder(const QString& sDir);
    QString GetNotesToStatus();
    // Captions the tray item "RC Open" ("Hide" while shown, "Show" while in the tray).
    void SetTrayOpenCaption(const QString& caption);
    QString TrayOpenCaption() const;

    // What the options window changes here.
    void OpenFirstItemsList();
    void SetGridHotTrack(bool on);
    void SetGridLines(bool on);
    void SetTitleBackColor(int color);
    void SetTitleTextColor(int color);
    void SetGraphColor(int which, int color);

    // The tree of lists; its behaviour lives in m_lists.
    void setTree();
    void cTreeView1_NodeClick(QTreeWidgetItem* node);
    static bool IsMainNode(const QString& key);
    static bool IsCDNode(const QString& key);
    void DoClearTheList();
    void SaveGridToFile();
    void DisplayGridInfoStatusBar();
    void GetFileInfoToGridInfo();
    // Set by the conversion window when the "Audio Analyser" conversion was aborted.
    bool g_bAbortedAudioEditor = false;

    // Rows of the items grid (the rules live in itemsgrid/GridRows.h).
    long GetMarkedCount();
    bool IsAnyItemMarked();
    // Marks or unmarks every row, then saves the list.
    void MarkAllItems(bool bMark);
    void CopyGridRows(cGrid& source, cGrid& destination, bool bMarkedOnly, long* copied = nullptr);
    void ReplaceRow(long lMove);
    void SetRowBold(long lRow, bool bBold);
    void SetRowUnBold();
    QString GetTotalTime(bool bMarkedOnly);
    QString GetTotalSize(bool bMarkedOnly);

    // Adding files and the items grid's events (itemsgrid/AddFiles.cpp, GridEvents.cpp).
    void AddFiles();
    // Adds the files through g_frmStat's pass (refusals it already noted included), then saves.
    void AddPathsAndSave(const QStringList& paths);
    void LoadItemToPlayer();
    void cGrid1_MouseUp(int Button, int Shift, double X, double Y);
    void cGrid1_DblClick(long row, long col);
    // The drop's data object; only its URL list is read.
    void cGrid1_OLEDragDrop(const QMimeData* Data, long Effect, int Button, int Shift, double X, double Y);
    void cGrid1_SelChange();
    void cGridInfo_DblClick();
    void lblAddorDrag_OLEDragDrop(const QMimeData* Data, long Effect, int Button, int Shift, double X, double Y);
    void lblEmptylist_OLEDragDrop(const QMimeData* Data, long Effect, int Button, int Shift, double X, double Y);
    void picEmptyMsg_OLEDragDrop(const QMimeData* Data, long Effect, int Button, int Shift, double X, double Y);
    void picList_DragDrop(QWidget* Source, double X, double Y);
    void picTitleList_DragDrop(QWidget* Source, double X, double Y);
    void picTitleProject_DragDrop(QWidget* Source, double X, double Y);
    void tlbrProjectsHost_DragDrop(QWidget* Source, double X, double Y);
    void picResizer_MouseMove(int Button, int Shift, double X, double Y);
    void tmrRemove_Timer();
    // The pending removal tmrRemove runs: "All" (clear the list) or "Item" (the selected rows).
    QString m_sRemoveMode;
    // Files may be dropped on the grid: an items list is selected (not a root or a drive).
    bool FileDropAllowed() const;

    // Image lists
    cImageList imgMenu{QSize(16, 16)};
    cImageList imgGrid{QSize(16, 16)};
    cImageList imgPlayer{QSize(24, 24)};
    cImageList imgGeneral{QSize(24, 24)};

    // Panes and controls, named as the program calls them.
    QWidget* picMain = nullptr;  // the client area the panes are placed on
    QFrame* picTitle = nullptr;
    QLabel* lblTitle = nullptr;
    QFrame* cToolbarHost1 = nullptr;
    cToolbar* tlbrTop = nullptr;
    QLabel* picToolBarJPGPicHolder = nullptr;
    QFrame* picTitleProject = nullptr;
    QLabel* lblProjects = nullptr;
    cTreeView* cTreeView1 = nullptr;
    QFrame* froTreeControl = nullptr;
    QFrame* tlbrProjectsHost = nullptr;
    cToolbar* tlbrProjects = nullptr;
    QFrame* picResizer = nullptr;
    QFrame* picTitleList = nullptr;
    QLabel* lblListName = nullptr;
    cGrid* cGrid1 = nullptr;
    QFrame* picEmptyMsg = nullptr;
    QLabel* lblAddorDrag = nullptr;
    QLabel* lblEmptylist = nullptr;
    cGrid* cGridInfo = nullptr;
    QFrame* picPlayer = nullptr;
    cAudioGraph* cAudioGraphAmp = nullptr;
    cAudioGraph* cAudioGraphFreq = nullptr;
    QFrame* picPlayTime = nullptr;
    QLabel* lblCurrentPositionSec = nullptr;
    QLabel* lbTotalLengthSec = nullptr;
    cSlider* cSlider1 = nullptr;
    QFrame* cToolbarHostPlayer = nullptr;
    cToolbar* tlbrPlayButtons = nullptr;
    QFrame* picList = nullptr;
    QFrame* rbrList = nullptr;
    cToolbar* tlbrList = nullptr;
    QFrame* froControl = nullptr;
    QFrame* cToolbarHostRecorder = nullptr;
    cToolbar* tlbrRecorder = nullptr;
    cStatusBar* cStatusBar1 = nullptr;
    QProgressBar* prgStatus = nullptr;
    cSysTray* cSysTray1 = nullptr;
    cPopupMenu* m_cMenu = nullptr;
    QTimer* tmrCDs = nullptr;
    QTimer* tmrRemove = nullptr;
    QTimer* tmrPlayer = nullptr;
    QTimer* tmSlider = nullptr;
    QTimer* tmrAudioData = nullptr;
    std::unique_ptr<cPlayer> cPlayer1;
    std::unique_ptr<cAudioConverter> cAudioConverter1;
    std::unique_ptr<cFreeDB> cFreeDB1;
    std::unique_ptr<cAudioCDRipper> cAudioCDRipper1;
    // The tree of lists reads items through the probe (over the converter) and reaches this
    // window through the host as long as it lives, so it is declared after them and goes first.
    std::unique_ptr<ItemProbe> m_probe;
    std::unique_ptr<ItemsListHost> m_host;
    std::unique_ptr<ItemsListTree> m_lists;
    std::unique_ptr<StripTimer> m_stripTimers[3];  // tmrPlayer, tmSlider, tmrAudioData
    std::unique_ptr<PreviewStripHost> m_stripHost;
    std::unique_ptr<PreviewStrip> m_strip;
    ItemsListHost* m_preview = nullptr;

    bool m_bInTray = false;
    MainLayout m_layout;

    // Sees every command that reaches the dispatcher with an item, also while the window
    // loads (diagnostics and tests); empty by default.
    static inline std::function<void(const QString& key)> commandObserver;

signals:
    // A command is about to run its branch (item number not 0).
    void commandRun(const QString& key);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    using Branch = bool (FrmMain::*)(long item);
    struct CommandRow {
        const char* key;
        Branch run;  // returns false when the common end must not run
    };
    static const std::vector<CommandRow>& CommandTable();

    bool cmdTransparent(long item);
    bool cmdMinimize(long item);
    bool cmdGoSysTray(long item);
    bool cmdExit(long item);
    bool cmdOnTop(long item);
    bool cmdMasterVolume(long item);
    bool cmdOptionsPage(long item);
    bool cmdRcOpen(long item);
    bool cmdAbout(long item);
    bool cmdNotes(long item);
    bool cmdOpenDestinationFolder(long item);
    bool cmdNewItemsList(long item);
    bool cmdRenameItemsList(long item);
    bool cmdRemoveItemsList(long item);
    bool cmdItemsListProperties(long item);
    bool cmdClearTheList(long item);

    bool cmdAudioConverter(long item);
    bool cmdACMConverter(long item);
    bool cmdAudioJoiner(long item);
    bool cmdAudioSplitter(long item);
    bool cmdAudioCDRipper(long item);
    bool cmdRegisteredTool(long item);
    bool cmdSaveAs(long item);
    bool cmdRenameItem(long item);
    bool cmdMarkUnmarkAll(long item);
    bool cmdMoveRow(long item);
    bool cmdFreeDB(long item);
    bool cmdMP3TagsEditor(long item);
    bool cmdHelpTopic(long item);
    bool cmdSupport(long item);
    bool cmdOpenDefaultPlayer(long item);

    void buildControls();
    void followRoute(cToolbar* toolbar, long index, const ToolbarRouting::Route& route);
    bool cmdAddFiles(long item);
    bool cmdRemoveItem(long item);
    void RemoveItems();
    void connectGridEvents();
    bool gridEventFilter(QObject* watched, QEvent* event);
    void addDroppedFiles(const QMimeData* Data);
    void applyLayout();
    void placeEmptyMsg();
    QSize outerNormalSizeTwips() const;
    // The width and height the desktop's frame adds (0 x 0 while unknown), in pixels.
    QSize frameSize() const;
    // Sets the restored outer size once the desktop's frame is known.
    void applyPendingOuterSize();

    std::unique_ptr<RegistryRoutines> m_reg;
    bool m_loaded = false;
    QSize m_pendingOuterSize;  // pixels, frame included; empty once applied
    QSize m_pendingInnerSize;  // the size set while the frame was unknown
    int m_hostRecorderWidth = 0;  // twips
public:
    // The window was asked to close while files were being added: the pass stops first, and
    // the window closes once it has.
    bool m_closeAfterAdding = false;
};

inline FormRef<FrmMain> frmMain;

// The roots of the tree: the items lists and the audio-CD drives (null before the tree exists).
inline QTreeWidgetItem* g_nodeMainItems = nullptr;
inline QTreeWidgetItem* g_nodeMainCDs = nullptr;
