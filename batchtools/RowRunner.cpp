// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "batchtools/RowRunner.h"

#include "batchtools/BatchToolRules.h"
#include "batchtools/cProgressBar.h"
#include "components/cGrid.h"
#include "foundation/VbNumbers.h"
#include "foundation/mdlFunctions.h"
#include "foundation/mdlModes.h"
#include "itemsgrid/ItemRow.h"
#include "mainwindow/FrmMain.h"
#include "mainwindow/cSysTray.h"
#include "platform/MessageBox.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

QString appTitle() { return g_sAppName + QLatin1Char(' ') + g_sAppVersion; }

const QString kTimeLeftZero = QStringLiteral("Time Left: 00:00:00");

// A whole number of seconds written in a cell; nothing for anything else.
std::optional<long> wholeSeconds(const QString& text)
{
    bool ok = false;
    const long v = text.trimmed().toLong(&ok);
    return ok ? std::optional<long>(v) : std::nullopt;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Host defaults

void RowRunnerHost::SetID3Tags(long) {}

void RowRunnerHost::RunComplete(RowRunner& runner) { runner.DoneEnding(); }
QString RowRunnerHost::FailedRunText(long failed, long total) { return BatchTool::FailedRunText(failed, total); }

void RowRunnerHost::ShowBalloon(const QString& text)
{
    if (FrmMain* main = frmMain.loaded())
        main->cSysTray1->TrayBalloon(text, appTitle(), 1, 30);
}

// ---------------------------------------------------------------------------------------------
// Rules

namespace RowRun {

std::optional<long> SecondsOfTime(const QString& text)
{
    const QStringList parts = text.trimmed().split(QLatin1Char(':'));
    if (parts.size() < 2 || parts.size() > 3)
        return std::nullopt;
    long v[3] = {0, 0, 0};
    for (int i = 0; i < parts.size(); ++i) {
        const QString p = parts.at(i).trimmed();
        bool ok = !p.isEmpty();
        for (QChar c : p)
            ok = ok && c.isDigit();
        if (!ok)
            return std::nullopt;
        v[i] = p.toLong(&ok);
        if (!ok)
            return std::nullopt;
    }
    // Minutes and seconds are those of a clock; hours run on past a day.
    if (v[1] > 59 || v[2] > 59)
        return std::nullopt;
    return v[0] * 3600 + v[1] * 60 + v[2];
}

std::optional<long> ItemSeconds(const QString& rangeAll, const QString& time, const QString& rangeLength)
{
    if (rangeAll == QLatin1String("1"))
        return SecondsOfTime(time);
    return wholeSeconds(rangeLength);
}

long SecondsDone(long percent, long itemSecs)
{
    return static_cast<long>(RoundHalfEven(static_cast<double>(percent) / 100.0 * static_cast<double>(itemSecs)));
}

long TimeLeftSeconds(long ticks, long itemSecsDone, long finishedSecs, long totalSecs)
{
    if (itemSecsDone <= 0)
        return 0;
    const double done = static_cast<double>(itemSecsDone) + static_cast<double>(finishedSecs);
    const double left = RoundHalfEven(static_cast<double>(ticks) / done * (static_cast<double>(totalSecs) - done));
    return left < 0 ? 0 : static_cast<long>(left);
}

QString TimeLeftText(long seconds)
{
    const long s = std::max(0L, seconds);
    return QStringLiteral("Time Left: %1:%2:%3")
        .arg(s / 3600, 2, 10, QLatin1Char('0'))
        .arg((s / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
}

QString ProgressCaption(long currentPercent, long totalValue, long totalMax)
{
    const double whole = totalMax != 0 ? static_cast<double>(totalValue) / static_cast<double>(totalMax) * 100.0 : 0.0;
    return QStringLiteral("Converting... [ ") + QString::number(currentPercent) + QStringLiteral("% / ") +
           QString::number(whole, 'g', 15) + QStringLiteral("% ]");
}

}  // namespace RowRun

// ---------------------------------------------------------------------------------------------
// Runner

RowRunner::RowRunner(RowRunnerHost& host, const RowRunnerControls& controls, RowRunnerOptions options)
    : m_host(host), m_c(controls), m_options(std::move(options))
{
    Timer1.setInterval(1000);
    QObject::connect(&Timer1, &QTimer::timeout, [this] { Timer1_Timer(); });
}

RowRunner::~RowRunner() { Timer1.stop(); }

void RowRunner::log(const QString& message) { AddLogLine(message, m_c.txtLog); }

void RowRunner::setCaption(const QString& text) { m_c.window->setWindowTitle(text); }

void RowRunner::setButtons(bool enabled)
{
    m_c.cmdConvert->setEnabled(enabled);
    m_c.cmdExit->setEnabled(enabled);
}

void RowRunner::hourglass(bool on)
{
    if (!m_options.hourglass)
        return;
    if (on)
        m_c.window->setCursor(Qt::WaitCursor);
    else
        m_c.window->unsetCursor();
}

QString RowRunner::cell(long row, const QString& key) const
{
    const long col = m_c.grid->ColumnIndex(key);
    if (col <= 0 || row < 1 || row > m_c.grid->Rows())
        return {};
    return m_c.grid->model().Text(row, col);
}

template <class F>
bool RowRunner::deferIfInLoop(F&& handler)
{
    if (m_loopDepth == 0)
        return false;
    // The engine answered from inside the start call: finish this pass first, so the call
    // depth stays that of one row however many rows answer at once.
    QTimer::singleShot(0, &Timer1, [this, generation = m_generation, h = std::forward<F>(handler)] {
        if (generation == m_generation)
            h();
    });
    return true;
}

void RowRunner::Start()
{
    ++m_generation;
    m_running = true;
    m_lCurrentRow = 1;
    m_bJobError = 0;
    if (m_c.jobError)
        *m_c.jobError = 0;
    m_lRowsStarted = 0;
    m_lRowsFailed = 0;
    // A second run's estimate must not count the seconds of the first.
    m_lFinishedSecs = 0;
    m_lTimerTicks = 1;
    ConvertTracks();
}

void RowRunner::ConvertTracks()
{
    const std::weak_ptr<int> alive = m_alive;
    ++m_loopDepth;
    const long rows = m_c.grid->Rows();
    m_c.prgTotal->Max(rows * 100);
    setButtons(false);
    Timer1.start();

    long r = 0;
    for (long i = m_lCurrentRow; i <= rows; ++i) {
        m_lCurrentRow = i;
        if (m_options.markedRowsOnly && !ItemRow::IsMarked(*m_c.grid, i))
            continue;
        hourglass(true);
        r = ConvertTask(m_lCurrentRow);
        if (r == 0) {
            --m_loopDepth;
            return;
        }
        if (r == 2) {
            log(QStringLiteral("Aborted."));
            break;
        }
    }

    setButtons(true);
    if (m_options.resetCaptionAtEnd) {
        setCaption(appTitle());
        m_c.lblTimeLeft->setText(kTimeLeftZero);
    }
    m_running = false;
    if (r == 0)
        m_host.RunComplete(*this);
    else
        AbortedEnding();
    if (alive.expired())
        return;  // the end-of-task actions unloaded the window
    --m_loopDepth;
}

long RowRunner::ConvertTask(long row)
{
    const QString name = m_host.ExpandFileNameTemplate(row);
    m_c.grid->CurrentRow(row);
    if (const std::optional<long> secs = RowRun::ItemSeconds(cell(row, COL_RANGE_ALL), cell(row, ItemRow::COL_TIME),
                                                             cell(row, COL_RANGE_LENGTH_TIME)))
        m_lItemSecs = *secs;  // a cell that does not read keeps the previous row's seconds
    m_lItemSecsDone = 0;
    m_host.SetID3Tags(row);

    const QString source = cell(row, COL_FILE);
    const QString fileName = GetFileName(source);
    m_c.lblCurrentTrack->setText(fileName);
    m_c.lblFilesToConvert->setText(QStringLiteral("Files: ") + QString::number(row) + QLatin1Char('/') +
                                   QString::number(m_c.grid->Rows()));
    const QString startLine = QStringLiteral("Start to ") + m_options.verb + QStringLiteral(": ") + fileName +
                              QStringLiteral("...");
    log(startLine);
    if (m_options.startLineInStatus)
        m_c.lblCurrentTrack->setText(startLine);
    m_host.SetInput(row, source);

    const QString path = m_host.OutputFolder() + name;
    const bool overwrite = m_c.chkOverWrite && m_c.chkOverWrite->isChecked();
    if (!overwrite && BatchTool::OutputFileExists(path)) {
        log(QStringLiteral("File already exists."));
        const int answer = platform::MsgBox(QStringLiteral("The file: '") + path +
                                                QStringLiteral("' already exists.\r\n\r\nOverwrite it?"),
                                            platform::vbInformation | platform::vbYesNoCancel, QString(), m_c.window);
        if (answer == platform::vbNo)
            return 1;
        if (answer != platform::vbYes)
            return 2;
        log(QStringLiteral("Overwrite it..."));
    }

    if (cell(row, COL_RANGE_ALL) != QLatin1String("1")) {
        if (const std::optional<long> start = wholeSeconds(cell(row, COL_RANGE_START_TIME)))
            m_host.SetRangeStart(*start);
        if (const std::optional<long> length = wholeSeconds(cell(row, COL_RANGE_LENGTH_TIME)))
            m_host.SetRangeLength(*length);
    }
    m_host.SetOutput(path);
    ++m_lRowsStarted;
    m_host.StartRow();
    return 0;
}

void RowRunner::DoneEnding()
{
    if (m_lRowsFailed > 0) {
        FailuresEnding(m_host.FailedRunText(m_lRowsFailed, m_lRowsStarted));
        return;
    }
    const long rows = m_c.grid->Rows();
    const QString end = QStringLiteral("Done.");
    m_host.ShowBalloon(end);
    m_c.lblCurrentTrack->setText(end);
    if (m_options.captionFollowsStatus)
        setCaption(end);
    m_c.prgTotal->Value((rows - 1) * 100 + 100);
    m_c.prgCurrnet->Value(100);
    Timer1.stop();
    hourglass(false);
    m_host.DoEndEvents();
}

void RowRunner::FailuresEnding(const QString& text)
{
    log(text);
    m_host.ShowBalloon(text);
    m_c.lblCurrentTrack->setText(text);
    if (m_options.captionFollowsStatus)
        setCaption(text);
    m_c.prgCurrnet->Value(0);
    Timer1.stop();
    hourglass(false);
    m_host.DoEndEvents();
}

void RowRunner::AbortedEnding()
{
    hourglass(false);
    m_c.lblCurrentTrack->setText(QStringLiteral("Aborted."));
    setCaption(QStringLiteral("Aborted."));
    m_host.ShowBalloon(QStringLiteral("Aborted."));
}

void RowRunner::Progress(long percent)
{
    if (!m_running || percent < 1)
        return;
    hourglass(false);
    m_c.prgCurrnet->Value(percent);
    m_c.prgTotal->Value((m_lCurrentRow - 1) * 100 + percent);
    if (m_options.progressInCaption)
        setCaption(RowRun::ProgressCaption(m_c.prgCurrnet->Value(), m_c.prgTotal->Value(), m_c.prgTotal->Max()));
    else
        setCaption(appTitle());
    m_lItemSecsDone = RowRun::SecondsDone(percent, m_lItemSecs);
}

void RowRunner::Done()
{
    // An event with no run going belongs to no row of ours.
    if (!m_running || deferIfInLoop([this] { Done(); }))
        return;
    if (m_options.announceRowDone) {
        log(QStringLiteral("Done."));
        m_c.lblCurrentTrack->setText(QStringLiteral("Done."));
    }
    m_lFinishedSecs += m_lItemSecs;
    ++m_lCurrentRow;
    ConvertTracks();
}

void RowRunner::Error(long code, const QString& text)
{
    if (!m_running || deferIfInLoop([this, code, text] { Error(code, text); }))
        return;
    const std::weak_ptr<int> alive = m_alive;
    m_bJobError = -1;
    if (m_c.jobError)
        *m_c.jobError = -1;
    ++m_lRowsFailed;
    const QString message = QStringLiteral("Error: ") + text + QLatin1Char('(') + QString::number(code) + QLatin1Char(')');
    log(message);
    if (m_options.captionFollowsStatus) {
        m_c.lblCurrentTrack->setText(message);
        setCaption(message);
    }
    setButtons(true);
    ++m_lCurrentRow;
    ConvertTracks();
    if (alive.expired())
        return;
    // The next row's hourglass goes with its first progress; a run that ended shows none.
    if (!m_running)
        hourglass(false);
}

void RowRunner::Aborted()
{
    if (!m_running || deferIfInLoop([this] { Aborted(); }))
        return;
    m_running = false;
    setButtons(true);
    log(QStringLiteral("Aborted."));
    m_c.lblCurrentTrack->setText(QStringLiteral("Aborted."));
    hourglass(false);
    if (m_options.captionFollowsStatus)
        setCaption(QStringLiteral("Aborted."));
}

void RowRunner::cmdAbort_Click()
{
    if (m_c.cmdConvert->isEnabled())
        return;
    const int answer = platform::MsgBox(QStringLiteral("Abort operation?") + QString(38, u' '),
                                        platform::vbInformation | platform::vbYesNo, QString(), m_c.window);
    // The question is modal and the run may have ended while it was open: stopping an idle
    // engine and announcing an abort after "Done." would both be wrong.
    if (answer != platform::vbYes || !m_running || m_c.cmdConvert->isEnabled())
        return;
    m_host.AbortRow();
    m_host.ShowBalloon(QStringLiteral("Aborted."));
    Timer1.stop();
}

void RowRunner::Timer1_Timer()
{
    ++m_lTimerTicks;
    const long left = RowRun::TimeLeftSeconds(m_lTimerTicks, m_lItemSecsDone, m_lFinishedSecs, g_ltmrItemSecsTotal);
    if (left == 0) {
        // Idle, the figures no longer move, so the estimate stays 0: ticking on shows nothing.
        if (!m_running)
            Timer1.stop();
        return;
    }
    m_c.lblTimeLeft->setText(RowRun::TimeLeftText(left));
    if (m_c.cmdConvert->isEnabled()) {
        Timer1.stop();
        m_c.lblTimeLeft->setText(kTimeLeftZero);
    }
}
