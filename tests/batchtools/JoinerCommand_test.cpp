// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The "Audio Joiner" command of a program started through Main opens the joiner on the marked
// rows, and the window joins them.
#include "tests/batchtools/JoinerFixture.h"
#include "tests/support/ModalWindow.h"

#include "foundation/mdlMain.h"
#include "mainwindow/MainStartupWindows.h"
#include "mainwindow/cStatusBar.h"
#include "platform/Clock.h"

#include <QTest>
#include <QTimer>

namespace {

TEST_F(JoinerTest, TheCommandOfAStartedProgramOpensTheJoinerOnTheMarkedRows)
{
    const fixtures::Pcm cd{44100, 2, 16};
    QStringList sources;
    for (int i = 1; i <= 3; ++i)
        sources << makeWav(QStringLiteral("song%1.wav").arg(i), cd, 1);
    makeListOf(QStringLiteral("Party Mix"), sources);
    ToolWindows::Register(QStringLiteral("Audio Joiner"), {});

    // The splash fades by the tick count, which a standing clock never moves.
    platform::setClockService(nullptr);
    MainStartupWindows windows;
    ASSERT_TRUE(Main(windows, {}));
    ASSERT_TRUE(ToolWindows::IsRegistered(QStringLiteral("Audio Joiner")));
    FrmMain* f = frmMain.get();
    waitIdle(f);
    // Start-up read the format settings from the store; the join writes CD quality.
    OutputFormatOptions.cboSamplesWAV = 44100;
    OutputFormatOptions.cboBitrateWAV = 16;
    OutputFormatOptions.cboChannelsWAV = 1;
    ASSERT_EQ(f->cGrid1->Rows(), 3);
    // Row 2 is not marked.
    f->cGrid1->SetCell(2, f->cGrid1->ColumnIndex(ItemRow::COL_INC), std::nullopt, 0, ItemRow::kUnmarked);

    QString seenFiles, seenUnder, seenPanel, finalState;
    long seenRows = 0;
    QList<long> seenTypes;
    // Acts once the modal window is up, as its user would.
    modal::ActWhenShown(
        g_frmJoiner,
        [&](FrmJoiner* j) {
            seenFiles = j->lblFilesToConvert->text();
            seenUnder = j->txtUndeForlder->text();
            seenPanel = j->cStatusBar1->StatusPanelText(QStringLiteral("Total Size"));
            seenRows = j->cGrid1->Rows();
            for (long r = 1; r <= seenRows; ++r)
                seenTypes << j->cGrid1->Cell(r, j->cGrid1->ColumnIndex(ItemRow::COL_TYPE)).Icon();
            j->txtToPath->setEditText(outFolder);
            j->txtJoinedFileName->setText(QStringLiteral("mix.wav"));
            j->cmdConvert_Click();
            EXPECT_TRUE(QTest::qWaitFor([&] { return j->cmdConvert->isEnabled(); }, 30000));
            finalState = j->lblCurrentTrack->text();
            j->cmdExit_Click();
        },
        [&] { f->RunCommand(QStringLiteral("Audio Joiner")); }, 60000);
    EXPECT_EQ(seenFiles, QStringLiteral("2 items to join."));
    EXPECT_EQ(seenUnder, QStringLiteral("Party-Mix"));
    EXPECT_EQ(seenPanel, QStringLiteral("Total Time: 0:00:02"));
    EXPECT_EQ(seenRows, 2);
    // The rows show the items grid's audio icon in their "Type" column.
    EXPECT_EQ(seenTypes, (QList<long>{ItemRow::kTypeAudio, ItemRow::kTypeAudio}));
    EXPECT_EQ(finalState, QStringLiteral("Done."));
    EXPECT_FALSE(g_frmJoiner.isLoaded());
    const auto out = fixtures::parseWavFile(outFolder + QStringLiteral("/mix.wav"));
    ASSERT_TRUE(out);
    EXPECT_EQ(out->data.size(), 2 * 44100 * 4);
    ToolWindows::Register(QStringLiteral("Audio Joiner"), {});
}

}  // namespace
