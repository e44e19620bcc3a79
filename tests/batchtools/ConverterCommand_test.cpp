// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The "Audio Converter" command of a program started through Main opens the converter on the
// marked rows, and the window converts them.
#include "tests/batchtools/ConverterFixture.h"
#include "tests/support/ModalWindow.h"

#include "foundation/mdlMain.h"
#include "mainwindow/MainStartupWindows.h"
#include "mainwindow/cStatusBar.h"
#include "platform/Clock.h"
#include "settings/OutputFormatOptions.h"

#include <QTest>
#include <QTimer>

namespace {

TEST_F(ConverterTest, TheCommandOfAStartedProgramOpensTheConverterOnTheMarkedRows)
{
    const fixtures::Pcm cd{44100, 2, 16};
    QStringList sources;
    for (int i = 1; i <= 3; ++i)
        sources << makeWav(QStringLiteral("song%1.wav").arg(i), cd, 1);
    makeListOf(QStringLiteral("Party Mix"), sources);
    ToolWindows::Register(QStringLiteral("Audio Converter"), {});

    // The splash fades by the tick count, which a standing clock never moves.
    platform::setClockService(nullptr);
    MainStartupWindows windows;
    ASSERT_TRUE(Main(windows, {}));
    ASSERT_TRUE(ToolWindows::IsRegistered(QStringLiteral("Audio Converter")));
    FrmMain* f = frmMain.get();
    waitIdle(f);
    OutputFormatOptions.cboSamplesWAV = 22050;
    OutputFormatOptions.cboBitrateWAV = 16;
    OutputFormatOptions.cboChannelsWAV = 0;
    ASSERT_EQ(f->cGrid1->Rows(), 3);
    // Row 2 is not marked.
    f->cGrid1->SetCell(2, f->cGrid1->ColumnIndex(ItemRow::COL_INC), std::nullopt, 0, ItemRow::kUnmarked);

    QString seenFiles, seenUnder, seenPanel, finalState, finalTitle;
    long seenRows = 0, seenTotal = 0;
    // Acts once the modal window is up, as its user would.
    modal::ActWhenShown(
        g_frmConverter,
        [&](FrmConverter* w) {
            seenFiles = w->lblFilesToConvert->text();
            seenUnder = w->txtUndeForlder->text();
            seenPanel = w->cStatusBar1->StatusPanelText(QStringLiteral("Total Size"));
            seenRows = w->cGrid1->Rows();
            seenTotal = w->g_ltmrItemSecsTotal;
            w->txtToPath->setEditText(outFolder);
            selectFormat(w, "WAV");
            w->cboFileName->setCurrentIndex(0);
            w->cmdConvert_Click();
            EXPECT_TRUE(QTest::qWaitFor([&] { return w->cmdConvert->isEnabled(); }, 30000));
            finalState = w->lblCurrentTrack->text();
            finalTitle = w->windowTitle();
            w->cmdExit_Click();
        },
        [&] { f->RunCommand(QStringLiteral("Audio Converter")); }, 60000);
    EXPECT_EQ(seenFiles, QStringLiteral("2 items to convert."));
    EXPECT_EQ(seenUnder, QStringLiteral("Party-Mix"));
    EXPECT_EQ(seenPanel, QStringLiteral("Total Time: 0:00:02"));
    EXPECT_EQ(seenRows, 2);
    EXPECT_EQ(seenTotal, 2);
    EXPECT_EQ(finalState, QStringLiteral("Done."));
    EXPECT_EQ(finalTitle, QStringLiteral("Done."));
    EXPECT_FALSE(g_frmConverter.isLoaded());
    EXPECT_EQ(fixtures::folderEntries(outFolder), (QStringList{QStringLiteral("song1.wav"), QStringLiteral("song3.wav")}));
    const auto out = fixtures::parseWavFile(outFolder + QStringLiteral("/song3.wav"));
    ASSERT_TRUE(out);
    EXPECT_EQ(out->pcm, (fixtures::Pcm{22050, 1, 16}));
    EXPECT_EQ(out->data.size(), 22050 * 2);
    ToolWindows::Register(QStringLiteral("Audio Converter"), {});
}

}  // namespace
