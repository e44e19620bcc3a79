// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tests/batchtools/JoinerFixture.h"

#include "batchtools/FrmACMConverter.h"
#include "batchtools/FrmConverter.h"
#include "batchtools/FrmSplitter.h"
#include "cdtools/FrmCDRipper.h"
#include "foundation/FrmTurnOff.h"
#include "mainwindow/cStatusBar.h"
#include "platform/PowerOff.h"
#include "settings/controls/LinkLabel.h"
#include "settings/controls/cTabControl.h"
#include "tests/support/FakeFileDialogs.h"
#include "tests/support/FakePower.h"

#include <QCheckBox>
#include <QTabBar>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

const QString kTitle = QStringLiteral("Quillmere 1.2");

TEST_F(JoinerTest, LoadsTheTemplateWithTheHandOver)
{
    ProgramOptions.chkPlaySound = true;
    ProgramOptions.chkTurnOffComputer = true;
    FrmJoiner* j = openJoiner(3);
    ASSERT_NE(j, nullptr);
    EXPECT_EQ(j->windowTitle(), QStringLiteral("Audio Joiner"));
    EXPECT_EQ(j->lblTitle->text(), QStringLiteral("Audio Joiner"));
    EXPECT_EQ(j->cmdConvert->text(), QStringLiteral("Join"));
    EXPECT_EQ(j->lblCurrentTrack->text(), QStringLiteral("Ready."));
    EXPECT_EQ(j->lblFilesToConvert->text(), QStringLiteral("3 items to join."));
    EXPECT_EQ(j->txtJoinedFileName->text(), QStringLiteral("Joined_File-[date]-[time].[dest_extension]"));
    EXPECT_EQ(j->chkNoticeApp->text(), QStringLiteral("Notice application "));
    EXPECT_EQ(j->cStatusBar1->StatusPanelText(QStringLiteral("Total Size")), QStringLiteral("Total Time: 0:00:03"));
    EXPECT_EQ(j->cStatusBar1->StatusPanelText(QStringLiteral("Total Time")), QStringLiteral("Total Size: 1 KB"));
    EXPECT_EQ(j->txtUndeForlder->text(), QStringLiteral("Songs"));
    EXPECT_FALSE(j->txtUndeForlder->isEnabled());
    EXPECT_TRUE(j->chkPlaySound->isChecked());
    EXPECT_TRUE(j->chkTurnOffComputer->isChecked());
    EXPECT_FALSE(j->chkOpenDestFolder->isChecked());
    EXPECT_FALSE(j->chkNoticeApp->isChecked());

    ASSERT_EQ(j->cTabControl1->TabCount(), 3);
    EXPECT_EQ(j->cTabControl1->tabBar()->tabText(0), QStringLiteral("Joiner Options        "));
    EXPECT_EQ(j->cTabControl1->tabBar()->tabText(1), QStringLiteral("Events        "));
    EXPECT_EQ(j->cTabControl1->tabBar()->tabText(2), QStringLiteral("Log             "));
    EXPECT_EQ(j->cTabControl1->TabKey(3), QStringLiteral("Log"));

    // The task grid: the items grid's column order, its own headers and widths.
    cGrid* g = j->cGrid1;
    ASSERT_EQ(g->Columns(), 19);
    const char* const headers[] = {"", "Type", "Item Name", "Size", "Time-Length", "Created", "Range"};
    const int widths[] = {20, 40, 160, 80, 80, 140, 120};
    for (int c = 1; c <= 19; ++c) {
        EXPECT_EQ(g->model().column(c)->key, QLatin1String(ItemRow::Columns()[c - 1].key));
        if (c <= 7) {
            EXPECT_EQ(g->model().headerData(c - 1, Qt::Horizontal, Qt::DisplayRole).toString(), QLatin1String(headers[c - 1]));
            EXPECT_EQ(g->model().column(c)->width, widths[c - 1]);
            EXPECT_TRUE(g->model().column(c)->visible);
        } else {
            EXPECT_FALSE(g->model().column(c)->visible);
        }
    }
    EXPECT_TRUE(g->GridLines());
    EXPECT_TRUE(g->HotTrack());
    EXPECT_EQ(g->RowHeight(), 24);
    // Every cell landed under its own key.
    ASSERT_EQ(g->Rows(), 3);
    EXPECT_EQ(gridCell(j, 2, COL_FILE), QDir(sourceFolder).filePath(QStringLiteral("src2.wav")));
    EXPECT_EQ(gridCell(j, 2, ItemRow::COL_ITEM_NAME), QStringLiteral("src2.wav"));
    EXPECT_EQ(g->CurrentRow(), 1);

    // Tab switching shows exactly one panel.
    EXPECT_TRUE(j->TabSettings->isVisibleTo(j));
    j->cTabControl1->SelectTab(QStringLiteral("Log"));
    j->cTabControl1_TabClick(0);
    EXPECT_TRUE(j->TabLog->isVisibleTo(j));
    EXPECT_FALSE(j->TabSettings->isVisibleTo(j));
    EXPECT_FALSE(j->TabEvents->isVisibleTo(j));
    j->cTabControl1->SelectTab(QStringLiteral("Settings"));
    j->cTabControl1_TabClick(3);
    EXPECT_TRUE(j->TabSettings->isVisibleTo(j));
    EXPECT_FALSE(j->TabLog->isVisibleTo(j));
}

TEST_F(JoinerTest, EmptyHistoryStartsInTheListsFolder)
{
    QFile::remove(PathHistoryFile());
    FrmJoiner* j = g_frmJoiner.get();
    EXPECT_EQ(j->txtToPath->currentText(), DefaultItemsListsFolder());
    EXPECT_TRUE(j->lblSetAsDefaultDestination->isEnabled());
}

TEST_F(JoinerTest, TheDefaultFormatIsSelectedAndWithoutOneTheBoxStaysEmpty)
{
    frmOptions->cboTargetFormat->setCurrentIndex(-1);
    ProgramOptions.cboTargetFormat.clear();
    FrmJoiner* j = g_frmJoiner.get();
    EXPECT_EQ(j->cboTargetFormat->currentIndex(), -1);
    EXPECT_TRUE(j->lblSetAsDefaultFormat->isEnabled());
    auto* join = fake(j);
    j->txtJoinedFileName->setText(QStringLiteral("x.[dest_extension]"));
    j->cmdConvert_Click();
    EXPECT_EQ(join->code, 1);  // handed over as WAV
    EXPECT_EQ(join->settingsCalls, QStringList{QStringLiteral("wav")});
    Q_EMIT join->Done();
    g_frmJoiner.unload();

    frmOptions->cboTargetFormat->setCurrentIndex(2);
    ProgramOptions.cboTargetFormat = frmOptions->cboTargetFormat->currentText();
    j = g_frmJoiner.get();
    EXPECT_EQ(j->cboTargetFormat->currentIndex(), 2);
    EXPECT_FALSE(j->lblSetAsDefaultFormat->isEnabled());
    // A default that the options variable does not share yet leaves the link enabled.
    g_frmJoiner.unload();
    ProgramOptions.cboTargetFormat.clear();
    EXPECT_TRUE(g_frmJoiner->lblSetAsDefaultFormat->isEnabled());
}

TEST_F(JoinerTest, ATaskFromStartToDoneAndASecondOne)
{
    FrmJoiner* j = openJoiner(3);
    ASSERT_NE(j, nullptr);
    FakeJoin* join = fake(j);
    j->cboTargetFormat->setCurrentIndex(j->cboTargetFormat->findText(QStringLiteral("MP3"), Qt::MatchStartsWith));
    // Row 2 ranged, row 3 ranged with cells that are no whole numbers.
    setGridCell(j, 2, COL_RANGE_ALL, QStringLiteral("0"));
    setGridCell(j, 2, COL_RANGE_START_TIME, QStringLiteral("12"));
    setGridCell(j, 2, COL_RANGE_LENGTH_TIME, QStringLiteral("30"));
    setGridCell(j, 3, COL_RANGE_ALL, QStringLiteral("0"));
    setGridCell(j, 3, COL_RANGE_START_TIME, QStringLiteral("x"));
    setGridCell(j, 3, COL_RANGE_LENGTH_TIME, QString());
    setGridCell(j, 1, COL_TAG_TITLE, QStringLiteral("Track [TRACK_NUM] of [PROG_NAME] [PROG_VERSION]"));
    setGridCell(j, 1, COL_TAG_YEAR, QStringLiteral("[YEAR]"));
    setGridCell(j, 1, COL_TAG_ARTIST, QStringLiteral("Someone"));
    setGridCell(j, 2, COL_TAG_ARTIST, QStringLiteral("Not used"));
    // A stale entry from an earlier join is emptied first.
    join->AddFile(QStringLiteral("/old.wav"), -1, -1);

    j->cmdConvert_Click();
    const QString src = sourceFolder + QLatin1Char('/');
    const QList<FakeJoin::Entry> expected{{src + QStringLiteral("src1.wav"), -1, -1},
                                          {src + QStringLiteral("src2.wav"), 12, 30},
                                          {src + QStringLiteral("src3.wav"), -1, -1}};
    EXPECT_EQ(join->entries, expected);
    EXPECT_EQ(join->output, outFolder + QStringLiteral("/Joined_File-05.03.2024-14-05-09.mp3"));
    EXPECT_EQ(join->code, 3);
    EXPECT_EQ(join->settingsCalls, QStringList{QStringLiteral("mp3")});
    EXPECT_EQ(join->title, QStringLiteral("Track 1 of Quillmere 1.2"));
    EXPECT_EQ(join->year, QStringLiteral("2024"));
    EXPECT_EQ(join->artist, QStringLiteral("Someone"));
    EXPECT_EQ(join->joins, 1);
    EXPECT_EQ(j->State(), BatchToolWindow::TaskState::Running);
    EXPECT_FALSE(j->cmdExit->isEnabled());
    EXPECT_EQ(j->lblCurrentTrack->text(), QStringLiteral("Processing..."));
    EXPECT_EQ(j->prgTotal->Max(), 300);
    EXPECT_TRUE(j->TabLog->isVisibleTo(j));

    // A second start while running is impossible.
    j->cmdConvert_Click();
    EXPECT_EQ(join->joins, 1);

    Q_EMIT join->Progress(1, 0);
    EXPECT_EQ(j->windowTitle(), QStringLiteral("Audio Joiner"));
    EXPECT_EQ(j->lblFilesToConvert->text(), QStringLiteral("3 items to join."));
    Q_EMIT join->Progress(1, 40);
    Q_EMIT join->Progress(1, 100);
    Q_EMIT join->Progress(2, 50);
    EXPECT_EQ(j->prgCurrnet->Value(), 50);
    EXPECT_EQ(j->prgTotal->Value(), 150);
    EXPECT_EQ(j->lblFilesToConvert->text(), QStringLiteral("Files: 2/3"));
    EXPECT_EQ(j->windowTitle(), kTitle);
    Q_EMIT join->Progress(3, 100);
    Q_EMIT join->Done();
    EXPECT_EQ(j->State(), BatchToolWindow::TaskState::Idle);
    EXPECT_EQ(j->lblCurrentTrack->text(), QStringLiteral("Done."));
    EXPECT_EQ(j->prgTotal->Value(), 300);
    EXPECT_EQ(j->prgCurrnet->Value(), 100);
    EXPECT_EQ(balloons, QStringList{QStringLiteral("Done.|") + kTitle});
    const QStringList first{QStringLiteral("Preparing to join: 3 tracks."), QStringLiteral("Destination format: MP3"),
                            QStringLiteral("Add src1.wav..."), QStringLiteral("Add src2.wav..."),
                            QStringLiteral("Add src3.wav..."), QStringLiteral("Done.")};
    EXPECT_EQ(logLines(j), first);

    // Second task in the same window: an empty line, the error flag cleared, every entry logged
    // again from the first.
    j->cmdConvert_Click();
    EXPECT_EQ(join->entries, expected);
    EXPECT_EQ(j->m_bJobError, 0);
    Q_EMIT join->Progress(1, 100);
    Q_EMIT join->Error(2, QStringLiteral("Cannot read src2.wav"));
    QStringList both = first;
    both << QString() << QStringLiteral("Preparing to join: 3 tracks.") << QStringLiteral("Destination format: MP3")
         << QStringLiteral("Add src1.wav...") << QStringLiteral("Error: Cannot read src2.wav(2)");
    EXPECT_EQ(logLines(j), both);
    EXPECT_EQ(j->m_bJobError, -1);
    // "Processing..." would read as a join still going: the label and caption say it failed.
    EXPECT_EQ(j->lblCurrentTrack->text(), QStringLiteral("The join failed. The log has the reasons."));
    EXPECT_EQ(j->windowTitle(), QStringLiteral("The join failed. The log has the reasons."));
    // The bars and the counter are this run's: entry 1 done, not the last run's full bars.
    EXPECT_EQ(j->prgTotal->Value(), 100);
    EXPECT_EQ(j->lblFilesToConvert->text(), QStringLiteral("Files: 1/3"));
    EXPECT_TRUE(j->cmdConvert->isEnabled());
    EXPECT_TRUE(j->cmdExit->isEnabled());
    EXPECT_EQ(balloons.size(), 1);

    // The last task stopped in entry 1; the next one still logs its entry 1, and starts from
    // empty bars with the caption it had before the failure.
    j->cmdConvert_Click();
    EXPECT_EQ(j->lblCurrentTrack->text(), QStringLiteral("Processing..."));
    EXPECT_EQ(j->windowTitle(), kTitle);
    EXPECT_EQ(j->prgTotal->Value(), 0);
    EXPECT_EQ(j->prgCurrnet->Value(), 0);
    EXPECT_EQ(j->lblFilesToConvert->text(), QStringLiteral("3 items to join."));
    Q_EMIT join->Progress(1, 30);
    QCoreApplication::processEvents();
    EXPECT_EQ(logLines(j).last(), QStringLiteral("Add src1.wav..."));
}

// Counts the paints a widget receives.
class PaintCount : public QObject {
public:
    bool eventFilter(QObject*, QEvent* e) override
    {
        paints += e->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
    int paints = 0;
};

TEST_F(JoinerTest, ABurstOfEntriesIsPaintedWithTheWindowNotPerReport)
{
    constexpr int kRows = 40;
    FrmJoiner* j = openJoiner(kRows);
    ASSERT_NE(j, nullptr);
    FakeJoin* join = fake(j);
    j->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(j));
    j->cmdConvert_Click();
    QTest::qWait(50);  // the start's own changes painted
    PaintCount bars;
    j->prgCurrnet->installEventFilter(&bars);
    j->prgTotal->installEventFilter(&bars);

    // One delivery of the runner: every entry begins and ends in it.
    for (int entry = 1; entry <= kRows; ++entry) {
        Q_EMIT join->Progress(entry, 50);
        Q_EMIT join->Progress(entry, 100);
    }
    EXPECT_EQ(bars.paints, 0);
    EXPECT_EQ(j->prgTotal->Value(), kRows * 100);
    EXPECT_EQ(j->lblFilesToConvert->text(), QStringLiteral("Files: 40/40"));
    QTest::qWait(50);
    EXPECT_GT(bars.paints, 0);  // and then they are painted, with the window
    EXPECT_LE(bars.paints, 10);  // painted per report, it would be four per entry

    QStringList adds;
    for (int entry = 1; entry <= kRows; ++entry)
        adds << QStringLiteral("Add src%1.wav...").arg(entry);
    const QStringList lines = logLines(j);
    ASSERT_GE(lines.size(), kRows);
    EXPECT_EQ(lines.mid(lines.size() - kRows), adds);
    // A line written directly comes after every entry before it, waiting or not.
    Q_EMIT join->Progress(1, 100);  // a new entry for the window: the last was entry 40
    Q_EMIT join->Done();
    const QStringList end = logLines(j);
    EXPECT_EQ(end.mid(end.size() - 2), (QStringList{QStringLiteral("Add src1.wav..."), QStringLiteral("Done.")}));
}

TEST_F(JoinerTest, OverwriteQuestionAnswers)
{
    FrmJoiner* j = openJoiner(2);
    ASSERT_NE(j, nullptr);
    FakeJoin* join = fake(j);
    j->txtJoinedFileName->setText(QStringLiteral(".hidden.wav"));
    const QString path = outFolder + QStringLiteral("/.hidden.wav");
    ASSERT_TRUE(fixtures::writeFile(path, "keep"));
    struct Case {
        int answer;
        long result;
        bool started;
    };
    const Case cases[] = {{platform::vbNo, 1, false}, {platform::vbCancel, 2, false}, {platform::vbYes, 0, true}};
    for (const Case& c : cases) {
        j->txtLog->clear();
        box.shown.clear();
        box.answer(c.answer);
        EXPECT_EQ(j->JoinFiles(), c.result);
        ASSERT_EQ(box.shown.size(), 1);
        EXPECT_EQ(box.shown[0].prompt, QStringLiteral("The file: '") + path + QStringLiteral("' already exists.\r\n\r\nOverwrite it?"));
        EXPECT_EQ(box.shown[0].style, platform::vbInformation | platform::vbYesNoCancel);
        EXPECT_EQ(box.shown[0].title, kTitle);
        QStringList lines{QStringLiteral("File already exists.")};
        if (c.started)
            lines << QStringLiteral("Overwrite it...");
        EXPECT_EQ(logLines(j), lines);
        EXPECT_EQ(join->joins, c.started ? 1 : 0);
        EXPECT_EQ(j->cmdConvert->isEnabled(), !c.started);
        EXPECT_EQ(j->lblCurrentTrack->text(), c.started ? QStringLiteral("Processing...") : QStringLiteral("Ready."));
    }
    EXPECT_EQ(join->output, path);
    EXPECT_EQ(fixtures::readFile(path), QByteArray("keep"));
}

TEST_F(JoinerTest, DestinationWithoutFinalSlashAndSubFolder)
{
    FrmJoiner* j = openJoiner(2);
    ASSERT_NE(j, nullptr);
    FakeJoin* join = fake(j);
    j->txtJoinedFileName->setText(QStringLiteral("a.wav"));
    j->txtToPath->setEditText(outFolder);
    j->cmdConvert_Click();
    EXPECT_EQ(join->output, outFolder + QStringLiteral("/a.wav"));
    Q_EMIT join->Done();

    // The sub-folder is created with every missing level, and the answer names the same path.
    j->txtToPath->setEditText(outFolder + QStringLiteral("/new/deeper"));
    j->chkCreateSubFolder->setChecked(true);
    j->CheckUnderFolderEna();
    EXPECT_TRUE(j->txtUndeForlder->isEnabled());
    j->cmdConvert_Click();
    EXPECT_EQ(join->output, outFolder + QStringLiteral("/new/deeper/Songs/a.wav"));
    EXPECT_TRUE(QFileInfo(outFolder + QStringLiteral("/new/deeper/Songs")).isDir());
}

TEST_F(JoinerTest, AbortAnswers)
{
    FrmJoiner* j = openJoiner(2);
    ASSERT_NE(j, nullptr);
    FakeJoin* join = fake(j);

    // Idle: nothing, no question.
    j->cmdAbort_Click();
    EXPECT_TRUE(box.shown.isEmpty());

    j->cmdConvert_Click();
    const QStringList before = logLines(j);
    box.answer(platform::vbNo);
    j->cmdAbort_Click();
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_EQ(box.shown[0].prompt, QStringLiteral("Abort operation?") + QString(38, u' '));
    EXPECT_EQ(box.shown[0].style, platform::vbInformation | platform::vbYesNo);
    EXPECT_TRUE(join->calls.isEmpty());
    EXPECT_TRUE(balloons.isEmpty());
    EXPECT_EQ(logLines(j), before);

    box.answer(platform::vbYes);
    j->cmdAbort_Click();
    EXPECT_EQ(join->calls, (QStringList{QStringLiteral("Abort"), QStringLiteral("Stop")}));
    EXPECT_EQ(balloons, QStringList{QStringLiteral("Aborted.|") + kTitle});
    // Until the component answers, the task still runs.
    EXPECT_FALSE(j->cmdConvert->isEnabled());
    EXPECT_EQ(j->lblCurrentTrack->text(), QStringLiteral("Processing..."));
    Q_EMIT join->Aborted();
    EXPECT_TRUE(j->cmdConvert->isEnabled());
    EXPECT_EQ(j->lblCurrentTrack->text(), QStringLiteral("Aborted."));
    EXPECT_EQ(logLines(j).last(), QStringLiteral("Aborted."));
}

TEST_F(JoinerTest, YesAfterTheTaskEndedMeanwhileDoesNothing)
{
    FrmJoiner* j = openJoiner(2);
    ASSERT_NE(j, nullptr);
    FakeJoin* join = fake(j);
    j->cmdConvert_Click();
    // The join ends while the question is open.
    class EndingBox final : public platform::MessageBoxService {
    public:
        explicit EndingBox(FakeJoin* join) : m_join(join) { platform::setMessageBoxService(this); }
        ~EndingBox() override { platform::setMessageBoxService(nullptr); }
        int show(const platform::MessageBoxRequest&, QWidget*) override
        {
            Q_EMIT m_join->Done();
            return platform::vbYes;
        }
        FakeJoin* m_join;
    } ending(join);
    j->cmdAbort_Click();
    EXPECT_TRUE(join->calls.isEmpty());
    EXPECT_EQ(balloons, QStringList{QStringLiteral("Done.|") + kTitle});
    EXPECT_EQ(j->lblCurrentTrack->text(), QStringLiteral("Done."));
}

TEST_F(JoinerTest, ClosingIsRefusedWhileRunning)
{
    FrmJoiner* j = openJoiner(2);
    ASSERT_NE(j, nullptr);
    FakeJoin* join = fake(j);
    j->show();
    j->cmdConvert_Click();
    EXPECT_FALSE(j->close());
    QTest::keyClick(j, Qt::Key_Escape);
    EXPECT_TRUE(g_frmJoiner.isLoaded());
    EXPECT_TRUE(j->isVisible());
    EXPECT_FALSE(join->calls.contains(QStringLiteral("Shutdown")));
    Q_EMIT join->Error(3, QStringLiteral("Cannot write"));
    QTest::keyClick(j, Qt::Key_Escape);
    EXPECT_EQ(join->calls, QStringList{QStringLiteral("Shutdown")});
    EXPECT_FALSE(g_frmJoiner.isLoaded());
}

TEST_F(JoinerTest, EndActionsInOrderAndDoneAfterTheCountDown)
{
    ProgramOptions.txtPlayAtEnd = QStringLiteral("/sounds/end.wav");
    ProgramOptions.txtAppNotice = QStringLiteral("notify-prog --from \"[PROG_NAME]\"");
    FakePower power;
    QStringList order;
    FakeEndSound sound(&order);
    class OrderShell final : public FakeShell {
    public:
        explicit OrderShell(QStringList& order) : m_order(order) {}
        bool open(const QString& t) override
        {
            m_order << QStringLiteral("folder:") + t;
            return FakeShell::open(t);
        }
        bool startProgram(const QString& p, const QStringList& a, const QString& w) override
        {
            m_order << QStringLiteral("notice:") + p + QLatin1Char(' ') + a.join(QLatin1Char('|'));
            return FakeShell::startProgram(p, a, w);
        }
        QStringList& m_order;
    } orderShell(order);

    FrmJoiner* j = openJoiner(2);
    ASSERT_NE(j, nullptr);
    FakeJoin* join = fake(j);
    for (QCheckBox* c : {j->chkPlaySound, j->chkOpenDestFolder, j->chkNoticeApp, j->chkTurnOffComputer})
        c->setChecked(true);

    bool doneLoggedBeforeClose = true;
    auto closeCountDown = [&] {
        FrmTurnOff* t = g_frmTurnOff.loaded();
        if (!t)
            return;
        order << QStringLiteral("countdown");
        doneLoggedBeforeClose = logLines(j).contains(QStringLiteral("Done."));
        t->cmdCancel_Click();
    };
    j->cmdConvert_Click();
    QTimer::singleShot(0, closeCountDown);
    Q_EMIT join->Done();
    EXPECT_EQ(order, (QStringList{QStringLiteral("sound"), QStringLiteral("folder:") + outFolder + QLatin1Char('/'),
                                  QStringLiteral("notice:notify-prog --from|Quillmere"), QStringLiteral("countdown")}));
    EXPECT_EQ(sound.played, QStringList{QStringLiteral("/sounds/end.wav")});
    EXPECT_FALSE(doneLoggedBeforeClose);
    EXPECT_EQ(logLines(j).last(), QStringLiteral("Done."));
    EXPECT_EQ(power.powerOffCalls, 0);
    EXPECT_TRUE(platform::powerOffForbidden());

    // An error earlier in the task keeps the computer on; the other actions still run.
    order.clear();
    j->cmdConvert_Click();
    Q_EMIT join->Error(2, QStringLiteral("bad"));
    // The component may still finish after reporting an error.
    j->cmdConvert->setEnabled(false);
    QTimer::singleShot(0, closeCountDown);
    Q_EMIT join->Done();
    EXPECT_EQ(order.size(), 3);
    EXPECT_FALSE(order.contains(QStringLiteral("countdown")));
    EXPECT_FALSE(g_frmTurnOff.isLoaded());
    EXPECT_EQ(power.powerOffCalls, 0);
}

TEST_F(JoinerTest, SetAsDefaultLinks)
{
    QFile::remove(PathHistoryFile());
    FrmJoiner* j = openJoiner(2);
    ASSERT_NE(j, nullptr);
    ProgramOptions.cboTargetFormat = j->cboTargetFormat->itemText(0);
    j->cboTargetFormat->setCurrentIndex(0);
    j->cboTargetFormat_Click();
    EXPECT_FALSE(j->lblSetAsDefaultFormat->isEnabled());
    j->cboTargetFormat->setCurrentIndex(2);
    EXPECT_TRUE(j->lblSetAsDefaultFormat->isEnabled());
    j->lblSetAsDefaultFormat_Click();
    EXPECT_FALSE(j->lblSetAsDefaultFormat->isEnabled());
    EXPECT_EQ(ProgramOptions.cboTargetFormat, j->cboTargetFormat->itemText(2));
    EXPECT_EQ(frmOptions->cboTargetFormat->currentText(), j->cboTargetFormat->itemText(2));
    reg.Subkey(QStringLiteral("General"));
    EXPECT_EQ(reg.GetRegistryValue(QStringLiteral("cboTargetFormat")).toString(), j->cboTargetFormat->itemText(2));

    // Destination: the first history entry disables the link, any other enables it.
    const QString a = outFolder + QStringLiteral("/a/");
    const QString b = outFolder + QStringLiteral("/b/");
    j->txtToPath->setEditText(a);
    j->lblSetAsDefaultDestination_Click();
    j->txtToPath->setEditText(b);
    j->lblSetAsDefaultDestination_Click();
    EXPECT_FALSE(j->lblSetAsDefaultDestination->isEnabled());
    ASSERT_EQ(j->txtToPath->count(), 2);
    EXPECT_EQ(j->txtToPath->itemText(0), b);
    j->txtToPath->setCurrentIndex(1);
    EXPECT_TRUE(j->lblSetAsDefaultDestination->isEnabled());
    j->txtToPath->setCurrentIndex(0);
    EXPECT_FALSE(j->lblSetAsDefaultDestination->isEnabled());
}

TEST_F(JoinerTest, OpenDestinationFolderAnswers)
{
    FrmJoiner* j = openJoiner(2);
    ASSERT_NE(j, nullptr);
    const QString missing = outFolder + QStringLiteral("/missing");
    const QString prompt = QStringLiteral("The folder ") + missing + QStringLiteral("/ does not exist.") + QString(44, u' ') +
                           QStringLiteral("\r\n\r\nWould you like to create it?");

    j->txtToPath->setEditText(missing);
    box.answer(platform::vbNo);
    j->lblOpenDestinationDestinationFolder_Click();
    EXPECT_EQ(j->txtToPath->currentText(), missing + QLatin1Char('/'));
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_EQ(box.shown[0].prompt, prompt);
    EXPECT_FALSE(QFileInfo::exists(missing));
    EXPECT_TRUE(shell.opened.isEmpty());

    // A path that cannot be created: both messages, nothing opened.
    const QString blocked = outFolder + QStringLiteral("/file");
    ASSERT_TRUE(fixtures::writeFile(blocked, "x"));
    j->txtToPath->setEditText(blocked + QStringLiteral("/sub/"));
    box.shown.clear();
    box.answer(platform::vbYes);
    j->lblOpenDestinationDestinationFolder_Click();
    ASSERT_EQ(box.shown.size(), 2);
    EXPECT_EQ(box.shown[1].prompt, QStringLiteral("The path: ") + blocked + QStringLiteral("/sub/ cannot be created."));
    EXPECT_TRUE(shell.opened.isEmpty());

    j->txtToPath->setEditText(missing + QLatin1Char('/'));
    box.answer(platform::vbYes);
    j->lblOpenDestinationDestinationFolder_Click();
    EXPECT_TRUE(QFileInfo(missing).isDir());
    EXPECT_EQ(shell.opened, QStringList{missing + QLatin1Char('/')});
    EXPECT_EQ(j->txtToPath->itemText(0), missing + QLatin1Char('/'));
}

TEST_F(JoinerTest, TagTemplatesAtAFixedClock)
{
    FrmJoiner* j = openJoiner(3);
    ASSERT_NE(j, nullptr);
    struct Case {
        long current;
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {3, "No. [TRACK_NUM] by [PROG_NAME] v[PROG_VERSION]!", "No. 3 by Quillmere v1.2!"},
        {1, "[TRACK_NUM]", "1"},
        {1, "[YEAR]-[YEAR]", "2024-2024"},
        {1, "[DATE] [TIME]", "05.03.2024 14:05:09"},
        {1, "[date] [time] [year] [Track_Num]", "[date] [time] [year] [Track_Num]"},
        {1, "", ""},
        {2, "plain text", "plain text"},
    };
    for (const Case& c : cases) {
        j->cGrid1->CurrentRow(c.current);
        EXPECT_EQ(j->CreateID3TagsString(QLatin1String(c.text)), QLatin1String(c.expected)) << c.text;
    }
}

// A history entry that starts with what was typed must not take its place: typing "/m" with
// "/mixed/" in the history, then moving on to the name box, joins into "/m".
TEST_F(JoinerTest, TheTypedDestinationIsUsedAsTyped)
{
    QFile::remove(PathHistoryFile());
    FrmJoiner* j = openJoiner(2);
    ASSERT_NE(j, nullptr);
    FakeJoin* join = fake(j);
    const QString mixed = outFolder + QStringLiteral("/mixed/");
    j->txtToPath->setEditText(mixed);
    j->lblSetAsDefaultDestination_Click();
    ASSERT_EQ(j->txtToPath->itemText(0), mixed);

    j->show();
    QApplication::setActiveWindow(j);
    ASSERT_TRUE(QTest::qWaitForWindowActive(j));
    ASSERT_TRUE(j->txtToPath->isVisible());
    j->txtToPath->setFocus();
    j->txtToPath->clearEditText();
    const QString typed = outFolder + QStringLiteral("/m");
    QTest::keyClicks(j->txtToPath, typed);
    QTest::mouseClick(j->txtJoinedFileName, Qt::LeftButton);
    EXPECT_TRUE(j->txtJoinedFileName->hasFocus());
    EXPECT_EQ(j->txtToPath->currentText(), typed);

    j->txtJoinedFileName->setText(QStringLiteral("a.wav"));
    j->cmdConvert_Click();
    EXPECT_EQ(join->output, typed + QStringLiteral("/a.wav"));
    Q_EMIT join->Done();

    // Return in the box keeps the typed text too, even where it differs from an entry in case only.
    j->txtToPath->setFocus();
    j->txtToPath->clearEditText();
    const QString upper = outFolder + QStringLiteral("/MIXED/");
    QTest::keyClicks(j->txtToPath, upper);
    QTest::keyClick(j->txtToPath, Qt::Key_Return);
    EXPECT_EQ(j->txtToPath->currentText(), upper);

    // Picking the entry from the list is what uses it.
    j->txtToPath->setCurrentIndex(j->txtToPath->findText(mixed));
    EXPECT_EQ(j->txtToPath->currentText(), mixed);
}

// The destination history holds `folder` alone.
void rememberDestination(const QString& folder)
{
    QComboBox history;
    history.setEditable(true);
    history.setEditText(folder);
    SavePathHistory(&history);
}

// Every window with a destination box, loaded on first call.
QList<std::function<BatchToolWindow*()>> destinationWindows()
{
    return {
        [] { return static_cast<BatchToolWindow*>(g_frmJoiner.get()); },
        [] { return static_cast<BatchToolWindow*>(g_frmConverter.get()); },
        [] { return static_cast<BatchToolWindow*>(g_frmACMConverter.get()); },
        [] { return static_cast<BatchToolWindow*>(g_frmSplitter.get()); },
        [] { return static_cast<BatchToolWindow*>(g_frmCDRipper.get()); },
    };
}

// Every window with a destination box: typed text stays as typed when the focus moves on.
TEST_F(JoinerTest, NoDestinationBoxCompletesTypedText)
{
    const QString mixed = outFolder + QStringLiteral("/mixed/");
    rememberDestination(mixed);
    for (const auto& open : destinationWindows()) {
        BatchToolWindow* w = open();
        ASSERT_NE(w, nullptr);
        SCOPED_TRACE(w->metaObject()->className());
        ASSERT_EQ(w->txtToPath->findText(mixed), 0);
        w->show();
        QApplication::setActiveWindow(w);
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
        w->chkCreateSubFolder->setChecked(true);
        w->CheckUnderFolderEna();
        ASSERT_TRUE(w->txtUndeForlder->isEnabled());
        for (const QString& typed : QStringList{outFolder + QStringLiteral("/m"), outFolder + QStringLiteral("/MIXED/")}) {
            w->txtToPath->setFocus();
            w->txtToPath->clearEditText();
            QTest::keyClicks(w->txtToPath, typed);
            QTest::mouseClick(w->txtUndeForlder, Qt::LeftButton);
            EXPECT_TRUE(w->txtUndeForlder->hasFocus());
            EXPECT_EQ(w->txtToPath->currentText(), typed);
        }
        w->hide();
    }
}

// Every window with a destination box: Enter there keeps the typed path and opens nothing (the
// "..." after the box was the window's default button, so Enter opened the folder chooser).
TEST_F(JoinerTest, EnterInTheDestinationBoxKeepsThePathAndOpensNoDialog)
{
    FakeFileDialogs dialogs;
    const QString mixed = outFolder + QStringLiteral("/mixed/");
    rememberDestination(mixed);
    for (const auto& open : destinationWindows()) {
        BatchToolWindow* w = open();
        ASSERT_NE(w, nullptr);
        SCOPED_TRACE(w->metaObject()->className());
        w->show();
        QApplication::setActiveWindow(w);
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
        w->chkCreateSubFolder->setChecked(true);
        w->CheckUnderFolderEna();
        // A path that differs from a history entry in letter case only: another folder here.
        const QString typed = outFolder + QStringLiteral("/MIXED/");
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
            w->txtToPath->setFocus();
            w->txtToPath->clearEditText();
            QWidget* edit = QApplication::focusWidget();
            ASSERT_NE(edit, nullptr);
            QTest::keyClicks(edit, typed);
            QTest::keyClick(edit, key);
            QTest::qWait(20);
            EXPECT_TRUE(dialogs.requests.isEmpty()) << dialogs.requests.size() << " dialog(s) opened";
            EXPECT_EQ(w->txtToPath->currentText(), typed);
            EXPECT_TRUE(w->txtToPath->hasFocus());

            // Nor does Enter in the sub-folder box press a button.
            w->txtUndeForlder->setFocus();
            QTest::keyClick(QApplication::focusWidget(), key);
            QTest::qWait(20);
            EXPECT_TRUE(dialogs.requests.isEmpty());
        }
        EXPECT_TRUE(box.shown.isEmpty());
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(w->State(), BatchToolWindow::TaskState::Idle);
        w->hide();
    }
}

TEST_F(JoinerTest, TheJoinerCommandOpensThisWindow)
{
    RegisterJoinerWindow();
    ASSERT_TRUE(ToolWindows::IsRegistered(QStringLiteral("Audio Joiner")));
    ToolWindow* tool = ToolWindows::Load(QStringLiteral("Audio Joiner"));
    ASSERT_NE(tool, nullptr);
    EXPECT_EQ(tool->Window(), g_frmJoiner.loaded());
    ToolWindows::Register(QStringLiteral("Audio Joiner"), {});
}

}  // namespace
