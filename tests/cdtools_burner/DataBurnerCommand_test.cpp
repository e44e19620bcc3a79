// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// "MP3 CD Maker" in a program started through Main: the marked rows reach the data burner,
// which converts them and burns them to an image drive.
#include "cdtools/DataBurnerRules.h"
#include "cdtools/FrmDataBurner3.h"
#include "commands/ToolWindows.h"
#include "foundation/mdlMain.h"
#include "foundation/mdlModes.h"
#include "itemsgrid/ItemRow.h"
#include "mainwindow/MainStartupWindows.h"
#include "mainwindow/cStatusBar.h"
#include "platform/Clock.h"
#include "tests/components_cd/BurnFixtures.h"
#include "tests/itemsgrid/ItemWindowFixture.h"
#include "tests/support/ModalWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {

// Start-up as it runs, with the MP3 CD maker in the product profile.
class DataMakerStartupWindows final : public StartupWindows {
public:
    void LoadOptions() override
    {
        m_real.LoadOptions();
        g_lAppIncMP3Burner = 1;
    }
    void LoadAudioProp() override { m_real.LoadAudioProp(); }
    void LoadMain() override { m_real.LoadMain(); }
    void ShowMain() override {}
    void ShowMainInTray() override {}
    void ShowMainMinimised() override {}
    void RunStartupSwitches(const QString& commandLine) override { m_real.RunStartupSwitches(commandLine); }

private:
    MainStartupWindows m_real;
};

class DataBurnerCommandTest : public ItemWindowTest {
protected:
    void SetUp() override
    {
        ItemWindowTest::SetUp();
        ProgramOptions.chkNoticeApp = false;
        ProgramOptions.chkOpenDestFolder = false;
        ProgramOptions.chkPlaySound = false;
        ProgramOptions.chkTurnOffComputer = false;
    }
    void TearDown() override
    {
        ItemWindowTest::TearDown();
        qputenv("QUILLMERE_DRIVES", "");
        g_lAppIncMP3Burner = 0;
        ToolWindows::Register(QStringLiteral("MP3 CD Maker"), {});
        ToolWindows::Register(QStringLiteral("WMA CD Maker"), {});
    }
};

TEST_F(DataBurnerCommandTest, TheCommandOfAStartedProgramBurnsTheMarkedRowsConverted)
{
    const fixtures::Pcm cd{44100, 2, 16};
    const QStringList sources{makeWav(QStringLiteral("first song.wav"), cd, 1), makeWav(QStringLiteral("skipped.wav"), cd, 1),
                              makeWav(QStringLiteral("third song.wav"), cd, 1)};
    makeListOf(QStringLiteral("Road Trip"), sources);
    const QString iso = QDir(sourceFolder).filePath(QStringLiteral("disc.iso"));
    qputenv("QUILLMERE_DRIVES", iso.toUtf8());
    ToolWindows::Register(QStringLiteral("MP3 CD Maker"), {});

    // The splash fades by the tick count, which a standing clock never moves.
    platform::setClockService(nullptr);
    DataMakerStartupWindows windows;
    ASSERT_TRUE(Main(windows, {}));
    ASSERT_TRUE(ToolWindows::IsRegistered(QStringLiteral("MP3 CD Maker")));
    ASSERT_TRUE(ToolWindows::IsRegistered(QStringLiteral("WMA CD Maker")));
    FrmMain* f = frmMain.get();
    waitIdle(f);
    ASSERT_EQ(f->cGrid1->Rows(), 3);
    f->cGrid1->SetCell(2, f->cGrid1->ColumnIndex(ItemRow::COL_INC), std::nullopt, 0, ItemRow::kUnmarked);

    QString seenTitle, seenCaption, seenCount, seenVolume, seenFormat, finalState;
    long seenRows = 0, seenTotal = 0;
    // Acts once the modal window is up, as its user would.
    modal::ActWhenShown(
        g_frmDataBurner3,
        [&](FrmDataBurner3* w) {
            seenTitle = w->lblTitle->text();
            seenCaption = w->windowTitle();
            seenCount = w->lblFilesToConvert->text();
            seenVolume = w->txtCDName->text();
            seenFormat = w->cboTargetFormat->currentText();
            seenRows = w->cGrid1->Rows();
            seenTotal = w->g_ltmrItemSecsTotal;
            w->cboFileName->setEditText(QStringLiteral("[file_name].[dest_extension]"));
            w->cmdConvert->click();
            EXPECT_TRUE(burnfixtures::waitUntil([&] { return w->cmdConvert->isEnabled() && w->cmdExit->isEnabled(); }));
            finalState = w->lblCurrentTrack->text();
            w->cmdExit_Click();
        },
        [&] { f->RunCommand(QStringLiteral("MP3 CD Maker")); }, 120000);
    EXPECT_EQ(seenTitle, QStringLiteral("MP3 CD Maker"));
    EXPECT_EQ(seenCaption, QStringLiteral("MP3 CD Maker"));
    EXPECT_EQ(seenCount, QStringLiteral("2 items to burn."));
    EXPECT_EQ(seenVolume, QStringLiteral("Road-Trip"));
    EXPECT_EQ(seenFormat, QStringLiteral("MP3 - MPEG-1 Audio Layer 3 (*.mp3)"));
    EXPECT_EQ(seenRows, 2);
    EXPECT_EQ(seenTotal, 2);
    EXPECT_EQ(finalState, QStringLiteral("Done."));
    EXPECT_FALSE(g_frmDataBurner3.isLoaded());
    EXPECT_EQ(burnfixtures::isoRootNames(iso), (QStringList{QStringLiteral("first song.mp3"), QStringLiteral("third song.mp3")}));
    const QString out = QDir(sourceFolder).filePath(QStringLiteral("out"));
    ASSERT_TRUE(burnfixtures::extractIso(iso, out));
    EXPECT_EQ(burnfixtures::decodeForCd(out + QStringLiteral("/third song.mp3")).size(), 44100 * 4);
    const QString info = burnfixtures::isoInfo(iso);
    EXPECT_TRUE(info.contains(QStringLiteral("Volume id: ROAD_TRIP"))) << info.toStdString();
    // The burn folder is emptied at the end ("Erase Temp files" is ticked at loading).
    EXPECT_TRUE(QDir(DataBurner::BurnTempFolder()).entryList(QDir::Files).isEmpty());
}

}  // namespace
