// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "batchtools/RowRunner.h"

#include "batchtools/BatchToolWindow.h"
#include "batchtools/cProgressBar.h"
#include "components/cGrid.h"
#include "foundation/mdlModes.h"
#include "itemsgrid/ItemRow.h"
#include "tests/support/FakeConverter.h"
#include "tests/support/FakeMessageBox.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

// The controls a converter-type window gives its runner, without the rest of a window.
struct Controls {
    Controls()
    {
        cGrid1 = new cGrid(&window);
        BatchToolWindow::InitGrid(cGrid1);
        txtLog = new QPlainTextEdit(&window);
        lblCurrentTrack = new QLabel(QStringLiteral("Ready."), &window);
        lblFilesToConvert = new QLabel(&window);
        lblTimeLeft = new QLabel(QStringLiteral("Time Left: 00:00:00"), &window);
        prgCurrnet = new cProgressBar(&window);
        prgTotal = new cProgressBar(&window);
        cmdConvert = new QPushButton(&window);
        cmdExit = new QPushButton(&window);
        chkOverWrite = new QCheckBox(&window);
        window.setWindowTitle(QStringLiteral("Audio Converter"));
    }
    RowRunnerControls forRunner()
    {
        return {&window,   cGrid1,    txtLog,     lblCurrentTrack, lblFilesToConvert, lblTimeLeft,
                prgCurrnet, prgTotal, cmdConvert, cmdExit,        chkOverWrite,      &jobError};
    }
    QWidget window;
    cGrid* cGrid1;
    QPlainTextEdit* txtLog;
    QLabel* lblCurrentTrack;
    QLabel* lblFilesToConvert;
    QLabel* lblTimeLeft;
    cProgressBar* prgCurrnet;
    cProgressBar* prgTotal;
    QPushButton* cmdConvert;
    QPushButton* cmdExit;
    QCheckBox* chkOverWrite;
    int16_t jobError = 0;
};

// A window's side of the run over the fake converter; it records what the run shows when the
// end-of-task actions are reached.
class Host : public RowRunnerHost {
public:
    Host(Controls& c, FakeConverter& conv, QString folder) : m_c(c), m_conv(conv), m_folder(std::move(folder)) {}

    QString ExpandFileNameTemplate(long row) override { return QStringLiteral("row%1.mp3").arg(row); }
    void SetID3Tags(long row) override { m_conv.TagTitle(QStringLiteral("title of %1").arg(row)); }
    void SetInput(long, const QString& source) override { m_conv.InputFile(source); }
    QString OutputFolder() override { return m_folder; }
    void SetRangeStart(long s) override { m_conv.RangeStart(s); }
    void SetRangeLength(long s) override { m_conv.RangeLength(s); }
    void SetOutput(const QString& path) override { m_conv.OutputFile(path); }
    void StartRow() override
    {
        ++depth;
        maxDepth = std::max(maxDepth, depth);
        m_conv.Start();
        --depth;
    }
    void AbortRow() override { m_conv.Abort(); }
    void DoEndEvents() override
    {
        events << QStringLiteral("DoEndEvents label=%1 error=%2 buttons=%3")
                      .arg(m_c.lblCurrentTrack->text())
                      .arg(m_c.jobError)
                      .arg(m_c.cmdConvert->isEnabled() ? QStringLiteral("on") : QStringLiteral("off"));
    }
    void ShowBalloon(const QString& text) override { events << QStringLiteral("balloon ") + text; }

    QStringList events;
    int depth = 0;
    int maxDepth = 0;

private:
    Controls& m_c;
    FakeConverter& m_conv;
    QString m_folder;
};

RowRunnerOptions converterOptions() { return {}; }

RowRunnerOptions acmOptions()
{
    RowRunnerOptions o;
    o.progressInCaption = false;
    o.captionFollowsStatus = false;
    o.resetCaptionAtEnd = true;
    o.hourglass = false;
    return o;
}

QString appTitle() { return g_sAppName + QLatin1Char(' ') + g_sAppVersion; }

// The log's messages without their times ("14:05:09:message").
QStringList logLines(const QPlainTextEdit* log)
{
    QStringList out;
    for (QString line : log->toPlainText().split(QLatin1Char('\n'))) {
        line.remove(QLatin1Char('\r'));
        if (line.isEmpty())
            continue;
        int cut = -1;
        for (int i = 0; i < 3 && (cut = line.indexOf(QLatin1Char(':'), cut + 1)) >= 0;)
            ++i;
        out << line.mid(cut + 1);
    }
    return out;
}

void drain()
{
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
}

// One runner over its controls, the fake converter and an output folder of its own.
struct Rig {
    Rig(const RowRunnerOptions& options, int rows)
    {
        folder = dir.path() + QStringLiteral("/out/");
        QDir().mkpath(folder);
        host = std::make_unique<Host>(c, conv, folder);
        runner = std::make_unique<RowRunner>(*host, c.forRunner(), options);
        RowRunner* r = runner.get();
        QObject::connect(&conv, &cAudioConverter::Progress, &conv, [r](int p) { r->Progress(p); });
        QObject::connect(&conv, &cAudioConverter::Done, &conv, [r] { r->Done(); });
        QObject::connect(&conv, &cAudioConverter::Aborted, &conv, [r] { r->Aborted(); });
        QObject::connect(&conv, &cAudioConverter::Error, &conv,
                         [r](long code, const QString& text) { r->Error(code, text); });
        for (int r = 1; r <= rows; ++r) {
            setCell(r, COL_FILE, QStringLiteral("/music/src%1.wav").arg(r));
            setCell(r, ItemRow::COL_ITEM_NAME, QStringLiteral("src%1.wav").arg(r));
            setCell(r, ItemRow::COL_TIME, QStringLiteral("0:01:00"));
            setCell(r, COL_RANGE_ALL, QStringLiteral("1"));
        }
    }
    void setCell(long row, const QString& key, const QString& text)
    {
        c.cGrid1->Cell(row, c.cGrid1->ColumnIndex(key)).Text(text);
    }
    bool makeOutput(int row)
    {
        QFile f(folder + QStringLiteral("row%1.mp3").arg(row));
        return f.open(QIODevice::WriteOnly) && f.write("old") == 3;
    }
    QStringList startedRows() const
    {
        QStringList out;
        for (const FakeConverter::Started& s : conv.started)
            out << QFileInfo(s.input).completeBaseName();
        return out;
    }

    QTemporaryDir dir;
    QString folder;
    Controls c;
    FakeConverter conv;
    std::unique_ptr<Host> host;
    std::unique_ptr<RowRunner> runner;
};

// One scripted run and what it must show, for the converter's variant and the compressed-WAV
// converter's. Captions: "" means the window's caption before the run.
struct Case {
    const char* name;
    int rows;
    QList<FakeConverter::Outcome> script;
    QList<int> existing;       // rows whose output exists already
    bool overwriteTicked;
    QList<int> answers;        // overwrite questions, in order
    enum Abort { NoAbort, AbortYes, AbortNo } abort;
    QStringList started;
    QStringList log;
    QString label;
    QString converterCaption;
    QString acmCaption;
    QStringList events;
    int jobError;
    long total;  // prgTotal value at the end, of rows * 100
    long current;
};

using O = FakeConverter;
const QString s1 = QStringLiteral("Start to convert: src1.wav...");
const QString s2 = QStringLiteral("Start to convert: src2.wav...");
const QString s3 = QStringLiteral("Start to convert: src3.wav...");
const QString dn = QStringLiteral("Done.");
const QString ab = QStringLiteral("Aborted.");
const QString exists = QStringLiteral("File already exists.");
const QString endOk = QStringLiteral("DoEndEvents label=Done. error=0 buttons=on");
const QString bDone = QStringLiteral("balloon Done.");
const QString bAb = QStringLiteral("balloon Aborted.");
// After failed rows the end says how many of the rows handed to the engine failed.
const QString f13 = QStringLiteral("1 of 3 failed. The log has the reasons.");
const QString f12 = QStringLiteral("1 of 2 failed. The log has the reasons.");
const QString f22 = QStringLiteral("2 of 2 failed. The log has the reasons.");
QString endFailed(const QString& text) { return QStringLiteral("DoEndEvents label=") + text + QStringLiteral(" error=-1 buttons=on"); }

const QList<Case>& cases()
{
    static const QList<Case> list{
        {"all rows done", 3, {O::done(), O::done(), O::done()}, {}, false, {}, Case::NoAbort,
         {"src1", "src2", "src3"}, {s1, dn, s2, dn, s3, dn}, dn, dn, "@", {bDone, endOk}, 0, 300, 100},
        {"error on row 2 goes on", 3, {O::done(), O::error(2, "Cannot read src2.wav"), O::done()}, {}, false, {},
         Case::NoAbort, {"src1", "src2", "src3"},
         {s1, dn, s2, QStringLiteral("Error: Cannot read src2.wav(2)"), s3, dn, f13}, f13, f13, "@",
         {QStringLiteral("balloon ") + f13, endFailed(f13)}, -1, 300, 0},
        {"error on the last row ends with the count", 2, {O::done(), O::error(7, "Bad")}, {}, false, {}, Case::NoAbort,
         {"src1", "src2"}, {s1, dn, s2, QStringLiteral("Error: Bad(7)"), f12}, f12, f12, "@",
         {QStringLiteral("balloon ") + f12, endFailed(f12)}, -1, 130, 0},
        {"a skipped row is not counted", 3, {O::error(1, "a"), O::error(1, "b")}, {2}, false, {platform::vbNo},
         Case::NoAbort, {"src1", "src3"},
         {s1, QStringLiteral("Error: a(1)"), s2, exists, s3, QStringLiteral("Error: b(1)"), f22}, f22, f22, "@",
         {QStringLiteral("balloon ") + f22, endFailed(f22)}, -1, 230, 0},
        {"No on row 2 skips it", 3, {O::done(), O::done()}, {2}, false, {platform::vbNo}, Case::NoAbort,
         {"src1", "src3"}, {s1, dn, s2, exists, s3, dn}, dn, dn, "@", {bDone, endOk}, 0, 300, 100},
        {"No on the last row ends aborted", 3, {O::done(), O::done()}, {3}, false, {platform::vbNo}, Case::NoAbort,
         {"src1", "src2"}, {s1, dn, s2, dn, s3, exists}, ab, ab, ab, {bAb}, 0, 200, 100},
        {"Yes overwrites", 2, {O::done(), O::done()}, {1}, false, {platform::vbYes}, Case::NoAbort,
         {"src1", "src2"}, {s1, exists, QStringLiteral("Overwrite it..."), dn, s2, dn}, dn, dn, "@", {bDone, endOk}, 0,
         200, 100},
        {"Cancel ends the run", 3, {O::done()}, {2}, false, {platform::vbCancel}, Case::NoAbort, {"src1"},
         {s1, dn, s2, exists, ab}, ab, ab, ab, {bAb}, 0, 100, 100},
        {"overwrite ticked asks nothing", 2, {O::done(), O::done()}, {1, 2}, true, {}, Case::NoAbort,
         {"src1", "src2"}, {s1, dn, s2, dn}, dn, dn, "@", {bDone, endOk}, 0, 200, 100},
        {"an empty grid ends done at once", 0, {}, {}, false, {}, Case::NoAbort, {}, {}, dn, dn, "@",
         {bDone, endOk}, 0, 0, 100},
        {"abort answered Yes", 3, {O::done(), O::hold()}, {}, false, {}, Case::AbortYes, {"src1", "src2"},
         {s1, dn, s2, ab}, ab, ab, "@", {bAb}, 0, 130, 30},
        {"abort answered No goes on", 2, {O::done(), O::hold()}, {}, false, {}, Case::AbortNo, {"src1", "src2"},
         {s1, dn, s2, dn}, dn, dn, "@", {bDone, endOk}, 0, 200, 100},
    };
    return list;
}

TEST(RowRunner, OutcomesOfBothVariants)
{
    for (const bool acm : {false, true}) {
        for (const Case& k : cases()) {
            SCOPED_TRACE(std::string(k.name) + (acm ? " (compressed-WAV converter)" : " (converter)"));
            Rig t(acm ? acmOptions() : converterOptions(), k.rows);
            Controls& c = t.c;
            c.chkOverWrite->setChecked(k.overwriteTicked);
            for (const FakeConverter::Outcome& o : k.script)
                t.conv.script.append(o);
            for (int row : k.existing)
                ASSERT_TRUE(t.makeOutput(row));
            FakeMessageBox box(platform::vbCancel);
            for (int a : k.answers)
                box.answer(a);

            t.runner->Start();
            drain();
            if (k.abort != Case::NoAbort) {
                ASSERT_TRUE(t.conv.holding);
                box.answer(k.abort == Case::AbortYes ? platform::vbYes : platform::vbNo);
                t.runner->cmdAbort_Click();
                EXPECT_EQ(box.shown.last().prompt, QStringLiteral("Abort operation?") + QString(38, u' '));
                if (k.abort == Case::AbortYes) {
                    EXPECT_FALSE(t.runner->Timer1.isActive());
                    EXPECT_TRUE(t.conv.calls.contains(QStringLiteral("Abort")));
                } else {
                    EXPECT_FALSE(t.conv.calls.contains(QStringLiteral("Abort")));
                    t.conv.release(FakeConverter::done());
                }
                drain();
            }

            EXPECT_EQ(t.startedRows(), k.started);
            EXPECT_EQ(logLines(c.txtLog), k.log);
            EXPECT_EQ(c.lblCurrentTrack->text(), k.label);
            const QString caption = acm ? k.acmCaption : k.converterCaption;
            EXPECT_EQ(c.window.windowTitle(), caption == QLatin1String("@") ? appTitle() : caption);
            EXPECT_EQ(t.host->events, k.events);
            EXPECT_EQ(c.jobError, k.jobError);
            EXPECT_EQ(t.runner->m_bJobError, k.jobError);
            EXPECT_EQ(c.prgTotal->Max(), k.rows * 100);
            EXPECT_EQ(c.prgTotal->Value(), k.total);
            EXPECT_EQ(c.prgCurrnet->Value(), k.current);
            EXPECT_TRUE(c.cmdConvert->isEnabled());
            EXPECT_TRUE(c.cmdExit->isEnabled());
            EXPECT_FALSE(t.runner->IsRunning());
            EXPECT_EQ(c.window.cursor().shape(), Qt::ArrowCursor);
            // The compressed-WAV converter puts the estimate back when the rows end (not after
            // an abort, which ends in the engine's event).
            if (acm && k.abort != Case::AbortYes) {
                EXPECT_EQ(c.lblTimeLeft->text(), QStringLiteral("Time Left: 00:00:00"));
            }
            // Each started row was handed its input, its output in the folder, and its tags.
            for (const FakeConverter::Started& s : t.conv.started) {
                const QString n = QFileInfo(s.input).completeBaseName().mid(3);
                EXPECT_EQ(s.output, t.folder + QStringLiteral("row") + n + QStringLiteral(".mp3"));
                EXPECT_EQ(s.title, QStringLiteral("title of ") + n);
            }
            // One question for each existing output that was looked at, naming its path.
            int overwriteQuestions = 0;
            for (const platform::MessageBoxRequest& r : box.shown)
                if (r.prompt.startsWith(QStringLiteral("The file: '") + t.folder + QStringLiteral("row"))) {
                    ++overwriteQuestions;
                    EXPECT_TRUE(r.prompt.endsWith(QStringLiteral(".mp3' already exists.\r\n\r\nOverwrite it?")));
                    EXPECT_EQ(r.style, platform::vbInformation | platform::vbYesNoCancel);
                }
            EXPECT_EQ(overwriteQuestions, k.answers.size());
            // A file that was not overwritten keeps its contents (the fake writes nothing).
            for (int row : k.existing) {
                QFile f(t.folder + QStringLiteral("row%1.mp3").arg(row));
                ASSERT_TRUE(f.open(QIODevice::ReadOnly));
                EXPECT_EQ(f.readAll(), QByteArray("old"));
            }
        }
    }
}

TEST(RowRunner, RowDetailsRangesAndLabels)
{
    Rig t(converterOptions(), 3);
    Controls& c = t.c;
    // Row 2 ranged; row 3 ranged with a start that is no number, so only its length is set.
    t.setCell(2, COL_RANGE_ALL, QStringLiteral("0"));
    t.setCell(2, COL_RANGE_START_TIME, QStringLiteral("30"));
    t.setCell(2, COL_RANGE_LENGTH_TIME, QStringLiteral("45"));
    t.setCell(3, COL_RANGE_ALL, QStringLiteral("0"));
    t.setCell(3, COL_RANGE_START_TIME, QStringLiteral("x"));
    t.setCell(3, COL_RANGE_LENGTH_TIME, QStringLiteral("20"));
    t.setCell(1, ItemRow::COL_TIME, QStringLiteral("0:03:25"));
    t.conv.script = {O::hold()};

    t.runner->Start();
    EXPECT_EQ(t.runner->m_lItemSecs, 205);
    EXPECT_EQ(c.cGrid1->CurrentRow(), 1);
    EXPECT_EQ(c.lblCurrentTrack->text(), QStringLiteral("src1.wav"));
    EXPECT_EQ(c.lblFilesToConvert->text(), QStringLiteral("Files: 1/3"));
    EXPECT_EQ(c.window.cursor().shape(), Qt::WaitCursor);
    EXPECT_FALSE(c.cmdConvert->isEnabled());
    EXPECT_FALSE(c.cmdExit->isEnabled());
    EXPECT_TRUE(t.runner->Timer1.isActive());
    drain();
    // Progress 0 changes nothing; 30 moved the bars, the caption and the seconds done.
    t.runner->Progress(0);
    EXPECT_EQ(c.window.windowTitle(), QStringLiteral("Converting... [ 30% / 10% ]"));
    EXPECT_EQ(c.prgCurrnet->Value(), 30);
    EXPECT_EQ(c.window.cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(t.runner->m_lItemSecsDone, 62);  // 61.5, halves to even
    t.conv.release(O::done());
    drain();
    EXPECT_EQ(t.runner->m_lCurrentRow, 4);
    ASSERT_EQ(t.conv.started.size(), 3);
    EXPECT_EQ(t.conv.started[0].rangeStart, -1);
    EXPECT_EQ(t.conv.started[0].rangeLength, -1);
    EXPECT_EQ(t.conv.started[1].rangeStart, 30);
    EXPECT_EQ(t.conv.started[1].rangeLength, 45);
    EXPECT_EQ(t.conv.started[2].rangeStart, -1);
    EXPECT_EQ(t.conv.started[2].rangeLength, 20);
    EXPECT_EQ(t.runner->m_lFinishedSecs, 205 + 45 + 20);
    // The engine calls of a row come in this order.
    EXPECT_EQ(t.conv.calls.mid(0, 3), (QStringList{"InputFile", "OutputFile", "Start"}));
}

TEST(RowRunner, ProgressCaptionOfTheSecondRow)
{
    Rig t(converterOptions(), 3);
    t.conv.script = {O::done(), {O::Outcome::Hold, 0, {}, {50}}};
    t.runner->Start();
    drain();
    EXPECT_EQ(t.c.window.windowTitle(), QStringLiteral("Converting... [ 50% / 50% ]"));
    EXPECT_EQ(t.c.prgTotal->Value(), 150);
    EXPECT_EQ(t.c.lblFilesToConvert->text(), QStringLiteral("Files: 2/3"));
}

TEST(RowRunner, TheEstimateOverARunAndASecondRun)
{
    Rig t(converterOptions(), 2);
    Controls& c = t.c;
    t.runner->g_ltmrItemSecsTotal = 600;
    t.setCell(1, ItemRow::COL_TIME, QStringLiteral("0:02:00"));
    t.conv.script = {{O::Outcome::Hold, 0, {}, {}}};
    t.runner->Start();
    drain();
    EXPECT_EQ(t.runner->m_lTimerTicks, 1);
    // Before the row's first progress the label stays.
    t.runner->Timer1_Timer();
    EXPECT_EQ(t.runner->m_lTimerTicks, 2);
    EXPECT_EQ(c.lblTimeLeft->text(), QStringLiteral("Time Left: 00:00:00"));
    t.runner->Progress(50);  // 60 of 600 seconds
    t.runner->m_lTimerTicks = 19;
    t.runner->Timer1_Timer();
    EXPECT_EQ(c.lblTimeLeft->text(), QStringLiteral("Time Left: 00:03:00"));
    EXPECT_TRUE(t.runner->Timer1.isActive());

    // Cancel on row 2 ends the run with the timer on: its next tick that shows an estimate puts
    // the label back and stops.
    ASSERT_TRUE(t.makeOutput(2));
    {
        FakeMessageBox box(platform::vbCancel);
        t.conv.release(O::done());
        drain();
    }
    EXPECT_EQ(c.lblCurrentTrack->text(), QStringLiteral("Aborted."));
    EXPECT_TRUE(t.runner->Timer1.isActive());
    t.runner->m_lItemSecsDone = 10;
    t.runner->Timer1_Timer();
    EXPECT_EQ(c.lblTimeLeft->text(), QStringLiteral("Time Left: 00:00:00"));
    EXPECT_FALSE(t.runner->Timer1.isActive());

    // A second run starts its counters again: the seconds finished in the first are gone.
    EXPECT_EQ(t.runner->m_lFinishedSecs, 120);
    QFile::remove(t.folder + QStringLiteral("row2.mp3"));
    t.conv.script = {{O::Outcome::Hold, 0, {}, {}}};
    t.runner->Start();
    EXPECT_EQ(t.runner->m_lFinishedSecs, 0);
    EXPECT_EQ(t.runner->m_lTimerTicks, 1);
    EXPECT_EQ(t.runner->m_lCurrentRow, 1);
    EXPECT_EQ(t.runner->m_lItemSecsDone, 0);
    EXPECT_EQ(t.conv.started.size(), 2);
    EXPECT_EQ(t.conv.started.last().input, QStringLiteral("/music/src1.wav"));
}

TEST(RowRunner, AbortWhileIdleOrAfterTheRunEndedDoesNothing)
{
    Rig t(converterOptions(), 1);
    {
        FakeMessageBox box(platform::vbYes);
        t.runner->cmdAbort_Click();
        EXPECT_TRUE(box.shown.isEmpty());
    }

    // The run ends while the question is open (events run under a modal box): Yes then neither
    // stops the engine nor announces an abort.
    t.conv.script = {O::hold()};
    t.runner->Start();
    drain();
    class EndingBox final : public FakeMessageBox {
    public:
        explicit EndingBox(FakeConverter& conv) : FakeMessageBox(platform::vbYes), m_conv(conv) {}
        int show(const platform::MessageBoxRequest& request, QWidget* parent) override
        {
            m_conv.release(FakeConverter::done());
            drain();
            return FakeMessageBox::show(request, parent);
        }
        FakeConverter& m_conv;
    };
    {
        EndingBox ending(t.conv);
        t.runner->cmdAbort_Click();
        EXPECT_EQ(ending.shown.size(), 1);
    }
    EXPECT_FALSE(t.conv.calls.contains(QStringLiteral("Abort")));
    EXPECT_EQ(t.host->events, (QStringList{bDone, endOk}));
    EXPECT_EQ(t.c.lblCurrentTrack->text(), QStringLiteral("Done."));
}

TEST(RowRunner, StrayEventsWithNoRunChangeNothing)
{
    Rig t(converterOptions(), 2);
    t.runner->Done();
    t.runner->Error(1, QStringLiteral("x"));
    t.runner->Aborted();
    t.runner->Progress(50);
    EXPECT_TRUE(t.conv.started.isEmpty());
    EXPECT_TRUE(t.c.txtLog->toPlainText().isEmpty());
    EXPECT_EQ(t.c.lblCurrentTrack->text(), QStringLiteral("Ready."));
    EXPECT_EQ(t.c.prgCurrnet->Value(), 0);
    EXPECT_EQ(t.c.jobError, 0);
}

TEST(RowRunner, MarkedRowsOnlyPassesOverUnmarkedRows)
{
    RowRunnerOptions o;
    o.markedRowsOnly = true;
    o.verb = QStringLiteral("rip");
    Rig t(o, 4);
    const long inc = t.c.cGrid1->ColumnIndex(ItemRow::COL_INC);
    t.c.cGrid1->model().SetIcon(2, inc, ItemRow::kMarked);
    t.c.cGrid1->model().SetIcon(3, inc, ItemRow::kMarked);
    t.runner->Start();
    drain();
    EXPECT_EQ(t.startedRows(), (QStringList{"src2", "src3"}));
    EXPECT_EQ(logLines(t.c.txtLog), (QStringList{QStringLiteral("Start to rip: src2.wav..."), dn,
                                                 QStringLiteral("Start to rip: src3.wav..."), dn}));
    EXPECT_EQ(t.host->events, (QStringList{bDone, endOk}));
}

// An engine that answers inside its start call must not make the run recurse once per row.
TEST(RowRunner, TenThousandRowsAnsweredAtOnceNeverNest)
{
    Rig t(converterOptions(), 10000);
    t.conv.synchronous = true;
    for (int i = 0; i < 10000; ++i)
        t.conv.script.append(i == 5000 ? O::error(3, QStringLiteral("x")) : O::done());
    t.runner->Start();
    for (int i = 0; i < 1000000 && t.runner->IsRunning(); ++i)
        QCoreApplication::processEvents();
    EXPECT_FALSE(t.runner->IsRunning());
    EXPECT_EQ(t.conv.started.size(), 10000);
    EXPECT_EQ(t.host->maxDepth, 1);
    const QString end = QStringLiteral("1 of 10000 failed. The log has the reasons.");
    EXPECT_EQ(t.host->events, (QStringList{QStringLiteral("balloon ") + end, endFailed(end)}));
    EXPECT_EQ(t.runner->m_lCurrentRow, 10001);
}

TEST(RowRunRules, Estimate)
{
    struct Row {
        long ticks, itemDone, finished, total, left;
    };
    const Row rows[] = {
        {20, 60, 0, 600, 180},   // the documented figure: 00:03:00
        {20, 30, 30, 600, 180},  // finished rows count as done
        {2, 0, 100, 600, 0},     // first tick, no progress of the row yet
        {5, 10, 700, 600, 0},    // rows add up to more than the total: negative, so 0
        {1, 4, 0, 6, 0},         // 0.5 -> 0
        {3, 4, 0, 6, 2},         // 1.5 -> 2
        {5, 4, 0, 6, 2},         // 2.5 -> 2
    };
    for (const Row& r : rows)
        EXPECT_EQ(RowRun::TimeLeftSeconds(r.ticks, r.itemDone, r.finished, r.total), r.left)
            << r.ticks << " " << r.itemDone << " " << r.finished << " " << r.total;

    EXPECT_EQ(RowRun::TimeLeftText(330), QStringLiteral("Time Left: 00:05:30"));
    EXPECT_EQ(RowRun::TimeLeftText(75), QStringLiteral("Time Left: 00:01:15"));
    EXPECT_EQ(RowRun::TimeLeftText(90061), QStringLiteral("Time Left: 25:01:01"));

    EXPECT_EQ(RowRun::SecondsDone(50, 205), 102);  // 102.5
    EXPECT_EQ(RowRun::SecondsDone(30, 45), 14);    // 13.5
    EXPECT_EQ(RowRun::SecondsDone(100, 45), 45);

    EXPECT_EQ(RowRun::ProgressCaption(50, 50, 300), QStringLiteral("Converting... [ 50% / 16.6666666666667% ]"));
    EXPECT_EQ(RowRun::ProgressCaption(100, 300, 300), QStringLiteral("Converting... [ 100% / 100% ]"));
    EXPECT_EQ(RowRun::ProgressCaption(25, 125, 200), QStringLiteral("Converting... [ 25% / 62.5% ]"));
}

TEST(RowRunRules, ItemSeconds)
{
    struct Row {
        const char* all;
        const char* time;
        const char* length;
        std::optional<long> secs;
    };
    const Row rows[] = {
        {"1", "0:03:25", "", 205},
        {"1", "00:03:25", "99", 205},
        {"1", "25:00:00", "", 90000},  // a day and more
        {"1", "1:30", "", 5400},       // hours and minutes
        {"1", "0:61:00", "", std::nullopt},
        {"1", "", "", std::nullopt},
        {"1", "abc", "", std::nullopt},
        {"0", "0:03:25", "45", 45},
        {"0", "0:03:25", "x", std::nullopt},
        {"", "0:03:25", "12", 12},
    };
    for (const Row& r : rows)
        EXPECT_EQ(RowRun::ItemSeconds(QLatin1String(r.all), QLatin1String(r.time), QLatin1String(r.length)), r.secs)
            << r.all << " " << r.time << " " << r.length;
}

}  // namespace
