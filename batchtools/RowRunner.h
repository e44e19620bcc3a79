// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QString>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <optional>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QWidget;
class cGrid;
class cProgressBar;

// The row-by-row task of the converter-type windows (converter, compressed-WAV converter, CD
// ripper, the data burner's conversion): one engine job per grid row, one after the other,
// driven by the engine's events, with a time-left estimate once a second.
//
// How a window uses it:
//   1. Derive from RowRunnerHost: the engine calls of one row (SetInput, SetRangeStart,
//      SetRangeLength, SetOutput, StartRow, AbortRow), the window's own rules (the output name,
//      the tags, the output folder) and DoEndEvents. Override RunComplete to replace the "Done."
//      ending (the burner asks its burn question there).
//   2. Own a RowRunner made with the window's controls (RowRunnerControls) and its differences
//      (RowRunnerOptions), and point the window's `Timer1` at the runner's.
//   3. The start button's task steps that the template shares (log separator, path history,
//      "Preparing to ...", the format hand-over, the sub-folder, the Log tab) stay the window's;
//      they end with Start(). The abort button calls cmdAbort_Click().
//   4. Connect the engine's Progress, Done, Aborted and Error signals, queued, to Progress(),
//      Done(), Aborted() and Error(). Every started row must end in exactly one of them.
// The options each window sets (everything else at its default):
//   converter: none; compressed-WAV converter: progressInCaption, captionFollowsStatus and
//   hourglass off, resetCaptionAtEnd on; CD ripper: verb "rip", markedRowsOnly, SetInput sets
//   the track number to the row; data burner: announceRowDone off, startLineInStatus on, no
//   chkOverWrite, OutputFolder the burn folder, RunComplete asks the burn question.
// At most one row is ever in the engine. The next row is started from inside the Done or Error
// handler, which then returns; a handler that arrives while the loop is already running (an
// engine raising synchronously) is put back on the event loop, so the call depth never grows
// with the number of rows.
//
// GUI thread only. The runner does not own the controls or the host; the window owns all three.
// Seconds are whole seconds of audio; the estimate counts ticks of 1000 ms.

// The window controls the run reads and writes. All but chkOverWrite and jobError are required.
struct RowRunnerControls {
    QWidget* window = nullptr;  // caption, mouse pointer, owner of the questions
    cGrid* grid = nullptr;      // ItemRow columns; rows from 1
    QPlainTextEdit* txtLog = nullptr;
    QLabel* lblCurrentTrack = nullptr;
    QLabel* lblFilesToConvert = nullptr;
    QLabel* lblTimeLeft = nullptr;
    cProgressBar* prgCurrnet = nullptr;
    cProgressBar* prgTotal = nullptr;
    QPushButton* cmdConvert = nullptr;
    QPushButton* cmdExit = nullptr;
    // Ticked: existing outputs are overwritten without looking. None: the question is always
    // asked when the output exists.
    QCheckBox* chkOverWrite = nullptr;
    // The window's error flag that its DoEndEvents reads: -1 after an Error event, else 0.
    int16_t* jobError = nullptr;
};

// Where the windows' runs differ.
struct RowRunnerOptions {
    // "Start to <verb>: file...".
    QString verb = QStringLiteral("convert");
    // Only rows whose "Inc" mark is set are started; the others are passed over (the ripper
    // receives a whole disc listing).
    bool markedRowsOnly = false;
    // Progress shows "Converting... [ 50% / 16.6666666666667% ]" in the caption; otherwise the
    // caption is the application title.
    bool progressInCaption = true;
    // The caption follows the status label: "Done." and "Aborted." at the end, an error's text.
    // An Error also writes its text into lblCurrentTrack.
    bool captionFollowsStatus = true;
    // At the end of the rows the caption goes back to the application title and the time left
    // to "Time Left: 00:00:00".
    bool resetCaptionAtEnd = false;
    // The hourglass while a row is being prepared, until its first progress or its end.
    bool hourglass = true;
    // A row's Done writes "Done." into the log and the status label.
    bool announceRowDone = true;
    // The status label shows the "Start to ..." line instead of the file name.
    bool startLineInStatus = false;
};

// The window's side of the run.
class RowRunnerHost {
public:
    virtual ~RowRunnerHost() = default;

    // One row, in the order the runner asks: the output file name (no folder); tags (after the
    // row became the grid's current row; nothing by default); the engine's input (the row's
    // COL_FILE; the ripper takes the row number as the track); the folder the output goes to
    // (ending with "/", or empty); the range, only for a ranged row and only the parts that
    // are whole numbers; the output path; the start, which must return at once.
    virtual QString ExpandFileNameTemplate(long row) = 0;
    virtual void SetID3Tags(long row);
    virtual void SetInput(long row, const QString& sourcePath) = 0;
    virtual QString OutputFolder() = 0;
    virtual void SetRangeStart(long seconds) = 0;
    virtual void SetRangeLength(long seconds) = 0;
    virtual void SetOutput(const QString& path) = 0;
    virtual void StartRow() = 0;
    // Tells the engine to stop the running row; its Aborted event follows.
    virtual void AbortRow() = 0;

    // The end-of-task actions; run by the "Done." ending.
    virtual void DoEndEvents() = 0;
    // The rows ended and none was cancelled: by default the runner's "Done." ending.
    virtual void RunComplete(class RowRunner& runner);
    // What the end of a run says when `failed` of the `total` rows handed to the engine failed.
    virtual QString FailedRunText(long failed, long total);
    // A tray balloon titled with the application title; by default the main window's tray.
    virtual void ShowBalloon(const QString& text);
};

class RowRunner {
public:
    RowRunner(RowRunnerHost& host, const RowRunnerControls& controls, RowRunnerOptions options = {});
    ~RowRunner();
    RowRunner(const RowRunner&) = delete;
    RowRunner& operator=(const RowRunner&) = delete;

    const RowRunnerOptions& Options() const { return m_options; }
    bool IsRunning() const { return m_running; }

    // The end of the start button's steps: rows from 1, counters back to their start, the loop.
    void Start();
    // The row loop from m_lCurrentRow on: starts one row and returns, or ends the run.
    void ConvertTracks();
    // Prepares and starts one row: 0 started, 1 skipped (No), 2 cancelled.
    long ConvertTask(long row);

    // Engine events.
    void Progress(long percent);
    void Done();
    void Aborted();
    void Error(long code, const QString& text);

    // The abort button: only while a run goes, after the question, and not when the run ended
    // while the question was open.
    void cmdAbort_Click();
    void Timer1_Timer();

    // The endings of the row loop; RunComplete's default is DoneEnding. After failed rows
    // DoneEnding is FailuresEnding with the host's FailedRunText.
    void DoneEnding();
    void AbortedEnding();
    // The end of a run in which rows failed: `text` (what failed, where to read why) where
    // "Done." would stand, in the log too, and the bars are not shown full. The end-of-task
    // actions still run.
    void FailuresEnding(const QString& text);

    // The run's members, public so that each window can name them as it does.
    long g_ltmrItemSecsTotal = 0;  // written by the command that opens the window
    long m_lCurrentRow = 0;
    long m_lItemSecs = 0;
    long m_lItemSecsDone = 0;
    long m_lFinishedSecs = 0;
    long m_lTimerTicks = 0;
    int16_t m_bJobError = 0;
    // Rows handed to the engine in this run, and those of them that ended in an Error.
    long m_lRowsStarted = 0;
    long m_lRowsFailed = 0;
    QTimer Timer1;

private:
    void log(const QString& message);
    void setCaption(const QString& text);
    void setButtons(bool enabled);
    void hourglass(bool on);
    QString cell(long row, const QString& key) const;
    // Runs an event handler now, or after the loop when the loop is running (see above).
    template <class F>
    bool deferIfInLoop(F&& handler);

    RowRunnerHost& m_host;
    RowRunnerControls m_c;
    RowRunnerOptions m_options;
    bool m_running = false;
    int m_loopDepth = 0;
    // Bumped by every start, so a deferred event of an earlier run is dropped.
    quint64 m_generation = 0;
    // Gone with the runner: the end-of-task actions may unload the window that owns it.
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};

namespace RowRun {

// Seconds of a "Time" cell ("h:mm:ss" or "h:mm"); hours may pass 23. Nothing for a text that is
// no such time.
std::optional<long> SecondsOfTime(const QString& text);

// The item's seconds for the estimate: the "Time" cell for a whole row ("1"), else the range
// length. Nothing when the cell does not read.
std::optional<long> ItemSeconds(const QString& rangeAll, const QString& time, const QString& rangeLength);

// Seconds done of the current row at `percent`, halves to even.
long SecondsDone(long percent, long itemSecs);

// The time left: ticks / done * (total - done) with done = itemSecsDone + finishedSecs, halves
// to even; 0 before the row's first progress and for a negative estimate.
long TimeLeftSeconds(long ticks, long itemSecsDone, long finishedSecs, long totalSecs);

// "Time Left: HH:MM:SS", hours past 24 written out.
QString TimeLeftText(long seconds);

// "Converting... [ 50% / 16.6666666666667% ]": the row's percent, and the whole task's value over
// its maximum in percent with up to 15 significant digits.
QString ProgressCaption(long currentPercent, long totalValue, long totalMax);

}  // namespace RowRun
