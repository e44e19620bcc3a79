// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The splitter window over a scripted converter: its settings, the part loop and its ends.
#include "foundation/FrmTurnOff.h"
#include "mainwindow/MainStartupWindows.h"
#include "tests/batchtools/SplitterFixture.h"
#include "settings/controls/cTabControl.h"
#include "tests/support/FakePower.h"

#include <QTabBar>
#include <QTimer>

namespace {

const QString kWavTarget = QStringLiteral("WAV - Waveform Audio Format (*.wav)");

class FrmSplitterTest : public SplitterTest {
protected:
    // A split window on song.wav whose converter says it lasts `durationMs`.
    FrmSplitter* open(long durationMs)
    {
        source = makeWav(QStringLiteral("song.wav"), fixtures::Pcm{8000, 1, 16}, 1);
        FrmSplitter* s = splitterOn(source);
        if (s) {
            selectFormat(s, "WAV");
            conv = fake(s, source, durationMs);
        }
        return s;
    }
    // Ends every started part with Done until the split is over.
    void finishAll(FrmSplitter* s)
    {
        for (int guard = 0; !s->cmdConvert->isEnabled() && guard < 1000; ++guard)
            Q_EMIT conv->Done();
    }
    QString part(int n) const { return outFolder + QStringLiteral("/Part_%1_song.WAV").arg(n); }

    QString source;
    FakeProbeConverter* conv = nullptr;
};

TEST_F(FrmSplitterTest, OpensWithItsOwnTextsAndTheDefaultMode)
{
    FrmSplitter* s = open(60000);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->windowTitle(), QStringLiteral("Audio Splitter"));
    EXPECT_EQ(s->lblTitle->text(), QStringLiteral("Audio Splitter"));
    EXPECT_EQ(s->cmdConvert->text(), QStringLiteral("Split"));
    EXPECT_EQ(s->Label2->text(), QStringLiteral("Splitter Mode:"));
    EXPECT_EQ(s->ptnSplitByParts->text(), QStringLiteral("Split to") + QString(25, u' ') + QStringLiteral("parts"));
    EXPECT_EQ(s->ptnSplitBySecs->text(), QStringLiteral("Split each") + QString(20, u' ') + QStringLiteral("seconds"));
    EXPECT_EQ(s->chkPlaySound->text(), QStringLiteral("Play a sound"));
    EXPECT_EQ(s->chkNoticeApp->text(), QStringLiteral("Execute external program"));
    EXPECT_EQ(s->chkOpenDestFolder->text(), QStringLiteral("Open the destination folder"));
    EXPECT_EQ(s->chkTurnOffComputer->text(), QStringLiteral("Turn off computer"));
    EXPECT_EQ(s->chkOverWrite->text(), QStringLiteral("Overwrite existing files"));
    EXPECT_FALSE(s->chkOverWrite->isChecked());
    EXPECT_EQ(s->lblCurrentTrack->text(), QStringLiteral("Ready."));
    EXPECT_EQ(s->lblFilesToConvert->text(), QStringLiteral("Split: song.wav"));
    EXPECT_EQ(s->cTabControl1->tabBar()->tabText(0), QStringLiteral("Settings") + QString(8, u' '));
    EXPECT_EQ(s->txtJoinedFileName, nullptr);

    EXPECT_TRUE(s->ptnSplitByParts->isChecked());
    EXPECT_EQ(s->txtSplitParts->text(), QStringLiteral("6"));
    EXPECT_EQ(s->txtSplitSecs->text(), QStringLiteral("10"));
    EXPECT_TRUE(s->txtSplitParts->isEnabled());
    EXPECT_FALSE(s->txtSplitSecs->isEnabled());

    // The mode buttons switch which box takes input.
    s->ptnSplitBySecs->click();
    EXPECT_FALSE(s->txtSplitParts->isEnabled());
    EXPECT_TRUE(s->txtSplitSecs->isEnabled());
    s->ptnSplitByParts->click();
    EXPECT_TRUE(s->txtSplitParts->isEnabled());
    EXPECT_FALSE(s->txtSplitSecs->isEnabled());
}

TEST_F(FrmSplitterTest, TheBoxesDropTheCharactersNoNameMayHold)
{
    FrmSplitter* s = open(60000);
    ASSERT_NE(s, nullptr);
    s->ptnSplitBySecs->click();
    for (QLineEdit* box : {s->txtSplitParts, s->txtSplitSecs}) {
        box->setEnabled(true);
        box->clear();
        QTest::keyClicks(box, QStringLiteral("1/2*3 a,5.-\\:?<>\"|"));
        EXPECT_EQ(box->text(), QStringLiteral("123 a,5.-")) << box->objectName().toStdString();
    }
}

TEST_F(FrmSplitterTest, SixtyTwoSecondsInSixPartsMakesSevenWithTheirLogAndEnd)
{
    FrmSplitter* s = open(62000);
    ASSERT_NE(s, nullptr);
    s->cGrid1->Cell(1, s->cGrid1->ColumnIndex(COL_TAG_TITLE)).Text(QStringLiteral("Take [TRACK_NUM]"));
    s->cmdConvert_Click();
    EXPECT_FALSE(s->cmdConvert->isEnabled());
    EXPECT_FALSE(s->cmdExit->isEnabled());
    EXPECT_EQ(s->prgTotal->Max(), 600);
    EXPECT_EQ(s->cTabControl1->SelectedKey(), QStringLiteral("Log"));
    finishAll(s);

    ASSERT_EQ(conv->started.size(), 7);
    for (int i = 0; i < 7; ++i) {
        const FakeProbeConverter::Started& p = conv->started[i];
        EXPECT_EQ(p.input, source);
        EXPECT_EQ(p.rangeStart, 10 * i);
        EXPECT_EQ(p.rangeLength, 10);
        EXPECT_EQ(p.output, part(i + 1));
        EXPECT_EQ(p.format, 1);
        EXPECT_EQ(p.title, QStringLiteral("Take 1"));  // row 1's tags, expanded for each part
    }
    // Format handed over once, before the source is read.
    EXPECT_EQ(conv->calls.mid(0, 3),
              (QStringList{QStringLiteral("OutputFormat:1"), QStringLiteral("SetWavFormat"), QStringLiteral("OpenSource:") + source}));

    QStringList expected{QStringLiteral("Preparing to split: song.wav.."), QStringLiteral("Destination format: WAV")};
    for (int i = 0; i < 7; ++i)
        expected << QStringLiteral("Start to split: song.wav...") << QStringLiteral("Done.");
    EXPECT_EQ(logLines(s), expected);
    EXPECT_EQ(balloons, QStringList{QStringLiteral("Done.")});
    EXPECT_EQ(s->lblCurrentTrack->text(), QStringLiteral("Done."));
    EXPECT_EQ(s->lblFilesToConvert->text(), QStringLiteral("Split: song.wav"));
    EXPECT_TRUE(s->cmdConvert->isEnabled());
    EXPECT_TRUE(s->cmdExit->isEnabled());

    // A second split numbers its parts from 1 again.
    s->cmdConvert_Click();
    finishAll(s);
    ASSERT_EQ(conv->started.size(), 14);
    EXPECT_EQ(conv->started[7].output, part(1));
    EXPECT_EQ(conv->started[7].rangeStart, 0);
}

TEST_F(FrmSplitterTest, ProgressMovesBothBarsAndALastShortPartMayPassTheMaximum)
{
    FrmSplitter* s = open(65000);
    ASSERT_NE(s, nullptr);
    s->ptnSplitBySecs->click();
    s->cmdConvert_Click();
    EXPECT_EQ(s->prgTotal->Max(), 650);
    Q_EMIT conv->Progress(0);  // nothing moves
    EXPECT_EQ(s->prgTotal->Value(), 0);
    EXPECT_EQ(s->windowTitle(), QStringLiteral("Audio Splitter"));
    Q_EMIT conv->Progress(40);
    EXPECT_EQ(s->prgCurrnet->Value(), 40);
    EXPECT_EQ(s->prgTotal->Value(), 40);
    EXPECT_EQ(s->windowTitle(), g_sAppName + QLatin1Char(' ') + g_sAppVersion);
    for (int i = 0; i < 6; ++i)
        Q_EMIT conv->Done();
    ASSERT_EQ(conv->started.size(), 7);
    Q_EMIT conv->Progress(100);
    EXPECT_EQ(s->prgTotal->Value(), 700);  // past the 650 of a 5-second last part
    EXPECT_EQ(s->lblFilesToConvert->text(), QStringLiteral("Split: song.wav"));
    Q_EMIT conv->Done();
    EXPECT_TRUE(s->cmdConvert->isEnabled());
}

TEST_F(FrmSplitterTest, AnUnusableLengthIsRefusedWithTheMessageAndNothingStarts)
{
    const struct {
        long durationMs;
        bool bySeconds;
        const char* text;
    } cases[] = {{2000, false, "6"}, {60000, false, "0"}, {60000, false, "x"}, {60000, true, "60"},
                 {60000, true, "0.4"}, {0, false, "6"}};
    for (const auto& c : cases) {
        FrmSplitter* s = open(c.durationMs);
        ASSERT_NE(s, nullptr);
        if (c.bySeconds)
            s->ptnSplitBySecs->click();
        (c.bySeconds ? s->txtSplitSecs : s->txtSplitParts)->setText(QLatin1String(c.text));
        box.shown.clear();
        s->cmdConvert_Click();
        ASSERT_EQ(box.shown.size(), 1) << c.text;
        EXPECT_EQ(box.shown[0].prompt, QStringLiteral("Source file length is to small.") + QString(7, u' '));
        EXPECT_EQ(box.shown[0].style, platform::vbInformation | platform::vbOKOnly);
        EXPECT_TRUE(conv->started.isEmpty());
        EXPECT_TRUE(s->cmdConvert->isEnabled());
        EXPECT_EQ(s->lblCurrentTrack->text(), QStringLiteral("Ready."));
        EXPECT_TRUE(balloons.isEmpty());
        g_frmSplitter.unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(FrmSplitterTest, AnErrorOnOnePartLetsTheRestRunSaysSoAndSkipsOnlyTheTurnOff)
{
    FakePower power;
    FrmSplitter* s = open(60000);
    ASSERT_NE(s, nullptr);
    s->chkTurnOffComputer->setChecked(true);
    s->cmdConvert_Click();
    Q_EMIT conv->Done();
    Q_EMIT conv->Done();
    Q_EMIT conv->Error(3, QStringLiteral("Cannot write the file"));
    EXPECT_EQ(s->m_bJobError, -1);
    EXPECT_FALSE(s->cmdConvert->isEnabled());  // part 4 is running
    finishAll(s);
    ASSERT_EQ(conv->started.size(), 6);
    EXPECT_EQ(conv->started[3].output, part(4));
    EXPECT_EQ(conv->started[3].rangeStart, 30);
    EXPECT_EQ(count(logLines(s), QStringLiteral("Error: Cannot write the file(3)")), 1);
    EXPECT_EQ(count(logLines(s), QStringLiteral("Done.")), 5);
    // The end counts the failed part where "Done." would stand.
    EXPECT_EQ(balloons, QStringList{QStringLiteral("1 of 6 failed. The log has the reasons.")});
    EXPECT_EQ(s->lblCurrentTrack->text(), QStringLiteral("1 of 6 failed. The log has the reasons."));
    EXPECT_FALSE(g_frmTurnOff.isLoaded());
    EXPECT_EQ(power.powerOffCalls, 0);
}

TEST_F(FrmSplitterTest, TheOverwriteQuestionAndItsThreeAnswers)
{
    FrmSplitter* s = open(30000);
    ASSERT_NE(s, nullptr);
    ASSERT_TRUE(fixtures::writeFile(part(2), "old"));
    const QString question = QStringLiteral("The file: '") + part(2) + QStringLiteral("' already exists.\r\n\r\nOverwrite it?");

    // Yes: overwritten; the split goes on.
    box.answer(platform::vbYes);
    s->cmdConvert_Click();
    finishAll(s);
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_EQ(box.shown[0].prompt, question);
    EXPECT_EQ(box.shown[0].style, platform::vbInformation | platform::vbYesNoCancel);
    EXPECT_EQ(conv->started.size(), 6);
    QStringList log = logLines(s);
    EXPECT_EQ(log.mid(log.indexOf(QStringLiteral("File already exists.")), 2),
              (QStringList{QStringLiteral("File already exists."), QStringLiteral("Overwrite it...")}));

    // No: the split ends there as aborted, without a log line of its own.
    conv->started.clear();
    balloons.clear();
    box.answer(platform::vbNo);
    s->txtLog->clear();
    s->cmdConvert_Click();
    finishAll(s);
    EXPECT_EQ(conv->started.size(), 1);
    EXPECT_EQ(s->lblCurrentTrack->text(), QStringLiteral("Aborted."));
    EXPECT_EQ(balloons, QStringList{QStringLiteral("Aborted.")});
    EXPECT_EQ(count(logLines(s), QStringLiteral("Aborted.")), 0);
    EXPECT_TRUE(s->cmdConvert->isEnabled());
    EXPECT_TRUE(s->cmdExit->isEnabled());

    // Cancel: the same, and "Aborted." is logged.
    conv->started.clear();
    balloons.clear();
    box.answer(platform::vbCancel);
    s->txtLog->clear();
    s->cmdConvert_Click();
    finishAll(s);
    EXPECT_EQ(conv->started.size(), 1);
    EXPECT_EQ(count(logLines(s), QStringLiteral("Aborted.")), 1);
    EXPECT_EQ(balloons, QStringList{QStringLiteral("Aborted.")});

    // Ticked: no question, no "File already exists.".
    conv->started.clear();
    box.shown.clear();
    s->chkOverWrite->setChecked(true);
    s->txtLog->clear();
    s->cmdConvert_Click();
    finishAll(s);
    EXPECT_TRUE(box.shown.isEmpty());
    EXPECT_EQ(conv->started.size(), 6);
    EXPECT_EQ(count(logLines(s), QStringLiteral("File already exists.")), 0);
}

TEST_F(FrmSplitterTest, AbortStopsThePartAndAYesAfterTheEndDoesNothing)
{
    FrmSplitter* s = open(60000);
    ASSERT_NE(s, nullptr);
    s->cmdConvert_Click();
    Q_EMIT conv->Done();
    box.answer(platform::vbYes);
    s->cmdAbort_Click();
    EXPECT_EQ(conv->calls.count(QStringLiteral("Abort")), 1);
    EXPECT_EQ(balloons, QStringList{QStringLiteral("Aborted.")});
    Q_EMIT conv->Aborted();
    EXPECT_EQ(s->lblCurrentTrack->text(), QStringLiteral("Aborted."));
    EXPECT_EQ(logLines(s).last(), QStringLiteral("Aborted."));
    EXPECT_TRUE(s->cmdConvert->isEnabled());
    EXPECT_EQ(conv->started.size(), 2);  // no further part

    // The question answered Yes only after the split has ended: nothing is stopped or announced.
    s->cmdConvert_Click();
    finishAll(s);
    balloons.clear();
    s->cmdConvert->setEnabled(false);  // the question opened while the task ran ...
    QTimer::singleShot(0, [s] { s->cmdConvert->setEnabled(true); });
    class EndsWhileAsking final : public FakeMessageBox {
    public:
        int show(const platform::MessageBoxRequest& r, QWidget* p) override
        {
            QCoreApplication::processEvents();  // ... and the task ended before the answer
            return FakeMessageBox::show(r, p);
        }
    } asking;
    asking.answer(platform::vbYes);
    const int aborts = int(conv->calls.count(QStringLiteral("Abort")));
    s->cmdAbort_Click();
    EXPECT_EQ(conv->calls.count(QStringLiteral("Abort")), aborts);
    EXPECT_TRUE(balloons.isEmpty());
}

TEST_F(FrmSplitterTest, TheItemsRangeIsIgnoredAndClosingIsRefusedWhileSplitting)
{
    FrmSplitter* s = open(20000);
    ASSERT_NE(s, nullptr);
    s->cGrid1->Cell(1, s->cGrid1->ColumnIndex(COL_RANGE_ALL)).Text(QStringLiteral("0"));
    s->cGrid1->Cell(1, s->cGrid1->ColumnIndex(COL_RANGE_START_TIME)).Text(QStringLiteral("5"));
    s->cGrid1->Cell(1, s->cGrid1->ColumnIndex(COL_RANGE_LENGTH_TIME)).Text(QStringLiteral("3"));
    s->cmdConvert_Click();
    s->close();
    EXPECT_TRUE(g_frmSplitter.isLoaded());
    finishAll(s);
    ASSERT_EQ(conv->started.size(), 7);  // 20 s in 6 parts: 3 s each, the seventh of 2 s
    EXPECT_EQ(conv->started[0].rangeStart, 0);
    EXPECT_EQ(conv->started[6].rangeStart, 18);
    EXPECT_EQ(conv->started[6].rangeLength, 3);

    s->close();
    EXPECT_TRUE(conv->calls.contains(QStringLiteral("Release")));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(g_frmSplitter.isLoaded());
}

TEST_F(FrmSplitterTest, TheCommandHandsTheCurrentRowToTheRegisteredWindow)
{
    const QString a = makeWav(QStringLiteral("a.wav"), fixtures::Pcm{8000, 1, 16}, 1);
    const QString b = makeWav(QStringLiteral("b.wav"), fixtures::Pcm{8000, 1, 16}, 2);
    makeListOf(QStringLiteral("Songs"), {a, b});
    // The program's own start-up registers the window for its command.
    MainStartupWindows().LoadMain();
    FrmMain* f = openMain();
    ASSERT_EQ(f->cGrid1->Rows(), 2);
    f->cGrid1->CurrentRow(2);
    QString file, label, name;
    bool shown = false;
    long typeIcon = cGridModel::kNoIcon;
    const cImageList* pictures = nullptr;
    QTimer::singleShot(0, [&] {
        FrmSplitter* s = g_frmSplitter.loaded();
        if (!s)
            return;
        shown = s->isVisible();
        file = s->g_sFileToSplit;
        label = s->lblFilesToConvert->text();
        name = s->cGrid1->Cell(1, s->cGrid1->ColumnIndex(ItemRow::COL_ITEM_NAME)).Text();
        typeIcon = s->cGrid1->Cell(1, s->cGrid1->ColumnIndex(QStringLiteral("Type"))).Icon();
        pictures = s->cGrid1->model().ImageList();
        s->close();
    });
    f->RunCommand(QStringLiteral("Audio Splitter"));
    EXPECT_TRUE(shown);
    EXPECT_EQ(file, b);
    EXPECT_EQ(label, QStringLiteral("Split: b.wav"));
    EXPECT_EQ(name, QStringLiteral("b.wav"));
    // The type picture shows as in the items grid (and in the joiner).
    const long mainType = f->cGrid1->Cell(2, f->cGrid1->ColumnIndex(QStringLiteral("Type"))).Icon();
    ASSERT_NE(mainType, cGridModel::kNoIcon);
    EXPECT_EQ(typeIcon, mainType);
    EXPECT_EQ(pictures, &f->imgGrid);
    ToolWindows::Register(QStringLiteral("Audio Splitter"), {});
}

}  // namespace
