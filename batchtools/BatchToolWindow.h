// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "batchtools/BatchToolRules.h"

#include <QDialog>

#include <initializer_list>
#include <memory>

class BufferedLog;
class LinkLabel;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class ToolWindow;
class cGrid;
class cProgressBar;
class cStatusBar;
class cTabControl;
class FrmOptions;

// What one batch tool window makes of the shared window: its texts, icons and the controls it
// has. Everything else is the same in every window.
struct BatchToolSpec {
    QString caption;          // window caption and title strip
    QString iconResource;     // window icon
    QString tab1Caption;      // first tab, with its trailing blanks
    int tab1Icon = 0;         // index into the main window's menu icons
    QString startCaption;     // the start button
    QString verb;             // "Preparing to <verb>: n tracks."
    bool joinedFileName = false;  // the one name template box of the joiner
    bool itemIcons = false;       // the grid shows the main grid's icons (the CD tools)
};

// The batch tool window: a grid of the items copied from the main window, three tabs
// (settings, events, log), two progress bars, the task buttons and a status bar. A task runs
// exactly while cmdConvert is disabled: closing is refused and only Abort acts meanwhile.
// Each tool derives from it, hosts its own engine component and supplies StartTask and the
// component calls; the component's events come back through GoodEnd, AbortEnd and ErrorEnd.
// GUI thread; every window is modal and shown only by the main window's commands.
class BatchToolWindow : public QDialog {
    Q_OBJECT
public:
    explicit BatchToolWindow(BatchToolSpec spec, QWidget* parent = nullptr);
    ~BatchToolWindow() override;

    const BatchToolSpec& Spec() const { return m_spec; }
    // What the commands write into the window before showing it.
    ToolWindow& HandOver();

    enum class TaskState { Idle, Preparing, Running };
    TaskState State() const;

    // Loading, tabs and closing.
    // The grid's icons: the main window's menu icons, or its items grid's (marks and track
    // types), which the CD tools show.
    enum class GridIcons { Menu, Items };
    static void InitGrid(cGrid* grid, GridIcons icons = GridIcons::Menu);
    void HideTabPanels();
    void cTabControl1_TabClick(int index);
    void cmdExit_Click();
    // Refuses (Cancel) while a task runs; otherwise releases the component.
    void Form_Unload(bool& Cancel);

    // Settings tab.
    QString GetUnderFolder() const;
    // The folder the results go to: destination, "/", sub-folder.
    QString OutputFolder() const;
    void CheckUnderFolderEna();
    void chkCreateSubFolder_Click();
    void cmdSelectPath_Click();
    void txtToPath_Click(int index);
    void lblSetAsDefaultDestination_Click();
    void lblOpenDestinationDestinationFolder_Click();
    void cboTargetFormat_Click();
    void cmdEditTargetFormat_Click();
    void lblSetAsDefaultFormat_Click();
    // A set-as-default link's store: the General value `valueName`, the options window's box
    // and the option, all to `text`, so later windows and the options window start from it.
    static void StoreDefault(const QString& valueName, const QString& text, QComboBox* FrmOptions::*optionsBox,
                             QString& option);
    void lblEventsSettings_Click();
    void lblParameters_Click();

    // Task. A tool whose start differs from the template's order overrides the click.
    virtual void cmdConvert_Click();
    void cmdAbort_Click();
    void DoEndEvents();
    virtual void SetDestination() = 0;

    // Controls under their own names.
    QFrame* picTitle = nullptr;
    QLabel* lblTitle = nullptr;
    cGrid* cGrid1 = nullptr;
    cTabControl* cTabControl1 = nullptr;
    QWidget* TabSettings = nullptr;
    QWidget* TabEvents = nullptr;
    QWidget* TabLog = nullptr;
    QPlainTextEdit* txtLog = nullptr;
    QLabel* Label4 = nullptr;
    QComboBox* txtToPath = nullptr;
    QPushButton* cmdSelectPath = nullptr;
    LinkLabel* lblSetAsDefaultDestination = nullptr;
    LinkLabel* lblOpenDestinationDestinationFolder = nullptr;
    QLabel* imgOpenDestFolder = nullptr;
    QCheckBox* chkCreateSubFolder = nullptr;
    QLineEdit* txtUndeForlder = nullptr;
    QLabel* Label5 = nullptr;
    QComboBox* cboTargetFormat = nullptr;
    QPushButton* cmdEditTargetFormat = nullptr;
    LinkLabel* lblSetAsDefaultFormat = nullptr;
    QLabel* Label21 = nullptr;
    QLineEdit* txtJoinedFileName = nullptr;  // joiner only
    LinkLabel* lblParameters = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Label20 = nullptr;
    QCheckBox* chkOpenDestFolder = nullptr;
    QCheckBox* chkNoticeApp = nullptr;
    QCheckBox* chkTurnOffComputer = nullptr;
    QCheckBox* chkPlaySound = nullptr;
    LinkLabel* lblEventsSettings = nullptr;
    QLabel* lblFilesToConvert = nullptr;
    QLabel* lblCurrentTrack = nullptr;
    cProgressBar* prgCurrnet = nullptr;
    cProgressBar* prgTotal = nullptr;
    QPushButton* cmdConvert = nullptr;
    QPushButton* cmdAbort = nullptr;
    QPushButton* cmdExit = nullptr;
    cStatusBar* cStatusBar1 = nullptr;

    // -1 once an Error event came in the running task, else 0.
    int16_t m_bJobError = 0;

protected:
    void Form_Load();

    // The tool's own task, started at the end of cmdConvert_Click.
    virtual void StartTask() = 0;
    // Tells the component to stop; its Aborted event follows.
    virtual void AbortComponent() = 0;
    virtual void ShutdownComponent() = 0;
    // Destroys this window through its single instance.
    virtual void UnloadSelf() = 0;

    // The template's start steps, for tools that run them in their own order: an empty line
    // between tasks and the destination heading the path history; the Log tab to the front;
    // the sub-folder made when it is asked for.
    void OpenTaskLog();
    void ShowLogTab();
    void CreateUnderFolder();
    // The task is now running: buttons off, "Processing...".
    void EnterRunning();
    // The three tab panels over the tab control's client area, the log filling its panel.
    void PlaceTabPanels();
    // Fills the target formats afresh and chooses the options window's default.
    void LoadTargetFormats();
    // The skin's back colour, when one is set, behind a window's own boxes too.
    static void SkinBackground(std::initializer_list<QWidget*> widgets);
    // The end-of-task actions the boxes ask for, all but turning the computer off, which comes
    // last and is left to the caller (a tool may have more to do before it); true when it is due.
    // The window may be gone on return, through the external program.
    bool RunEndActions();
    // Progress of item `item` (from 1) at `percent`.
    void ReportProgress(long item, long percent);
    void GoodEnd();
    void AbortEnd();
    void ErrorEnd(long code, const QString& text);
    void Log(const QString& message);
    // A line per entry of a running task: it reaches the box with the others of its burst, in
    // order with every Log() line.
    void LogEntry(const QString& message);
    static void ShowBalloon(const QString& text);

    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildControls();
    void loadEventChecks();

    BatchToolSpec m_spec;
    std::unique_ptr<ToolWindow> m_handOver;
    std::unique_ptr<BufferedLog> m_entryLog;
    bool m_preparing = false;
};
