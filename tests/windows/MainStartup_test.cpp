// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/FrmAbout.h"
#include "foundation/FrmFileCopy.h"
#include "foundation/FrmNotes.h"
#include "foundation/RegistryRoutines.h"
#include "foundation/mdlShutDown.h"
#include "foundation/mdlMain.h"
#include "foundation/mdlModes.h"
#include "mainwindow/FrmMain.h"
#include "mainwindow/MainStartupWindows.h"
#include "mainwindow/cStatusBar.h"
#include "platform/Desktop.h"
#include "settings/FrmAudioProp.h"
#include "settings/FrmOptions.h"
#include "settings/ProgramOptions.h"
#include "tests/support/FakeDesktop.h"
#include "tests/support/FakeMessageBox.h"
#include "tests/support/FakePower.h"
#include "tests/support/TestEnvironment.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class MainStartupTest : public testing::Test {
protected:
    void SetUp() override
    {
        testenv::wipeUserFolders();
        platform::resetRegistryHives();
        InitProductConfig();
        RegistryRoutines reg;
        reg.hkey(platform::HKEY_LOCAL_MACHINE);
        reg.KeyRoot(SettingsKeyRoot());
        ASSERT_EQ(reg.CreateKey(QStringLiteral("General")), QStringLiteral("0"));
    }
    FakeMessageBox box;
};

}  // namespace

TEST_F(MainStartupTest, PlainStartShowsTheMainWindowWithTheOthersLoadedHidden)
{
    MainStartupWindows windows;
    ASSERT_TRUE(Main(windows, {}));
    ASSERT_TRUE(frmMain.isLoaded());
    EXPECT_TRUE(frmMain->isVisible());
    EXPECT_FALSE(frmMain->m_bInTray);
    ASSERT_TRUE(frmOptions.isLoaded());
    ASSERT_TRUE(g_frmAudioProp.isLoaded());
    EXPECT_FALSE(frmOptions->isVisible());
    EXPECT_FALSE(g_frmAudioProp->isVisible());
}

TEST_F(MainStartupTest, TrayStartParksTheWindowInTheTray)
{
    FakeDesktop desktop(true);
    MainStartupWindows windows;
    ASSERT_TRUE(Main(windows, {QStringLiteral("-st")}));
    EXPECT_FALSE(frmMain->isVisible());
    EXPECT_TRUE(frmMain->windowState() & Qt::WindowMinimized);
    EXPECT_EQ(frmMain->TrayOpenCaption(), QStringLiteral("Show"));
    EXPECT_TRUE(frmMain->m_bInTray);
}

TEST_F(MainStartupTest, TrayStartWithoutATrayLeavesTheWindowReachable)
{
    FakeDesktop desktop(false);
    MainStartupWindows windows;
    ASSERT_TRUE(Main(windows, {QStringLiteral("-st")}));
    EXPECT_TRUE(frmMain->isVisible());
    EXPECT_TRUE(frmMain->windowState() & Qt::WindowMinimized);
    EXPECT_FALSE(frmMain->m_bInTray);
}

// What start-up gives the small windows, seen through those windows after the program's own
// start (no test installs a link here).
TEST_F(MainStartupTest, TheSmallWindowsFollowTheOptionsColoursAndTheMainWindowsImages)
{
    MainStartupWindows windows;
    ASSERT_TRUE(Main(windows, {}));
    ProgramOptions.picColor = 0x123456;      // 0x00BBGGRR
    ProgramOptions.picTextColor = 0xABCDEF;
    const QColor strip(0x56, 0x34, 0x12);
    const QColor text(0xEF, 0xCD, 0xAB);

    FrmAbout* about = frmAbout.get();
    EXPECT_EQ(about->picTitle->palette().color(QPalette::Window), strip);
    EXPECT_EQ(about->lblTitle->palette().color(QPalette::WindowText), text);
    ASSERT_EQ(about->cTabControl1->count(), 1);
    EXPECT_FALSE(about->cTabControl1->tabIcon(0).isNull());
    EXPECT_EQ(about->cTabControl1->tabIcon(0).cacheKey(), frmMain->imgMenu.Icon(18).cacheKey());
    frmAbout.unload();

    FrmFileCopy* copy = g_frmFileCopy.get();
    EXPECT_EQ(copy->picTitle->palette().color(QPalette::Window), strip);
    EXPECT_EQ(copy->lblTitle->palette().color(QPalette::WindowText), text);
    g_frmFileCopy.unload();
}

TEST_F(MainStartupTest, ClosingTheNotesWindowRefreshesTheMainWindowsPanel)
{
    MainStartupWindows windows;
    ASSERT_TRUE(Main(windows, {}));
    EXPECT_EQ(frmMain->cStatusBar1->StatusPanelText(QStringLiteral("Notes")), QStringLiteral("Notes [ Empty ]"));
    FrmNotes* notes = g_frmNotes.get();
    notes->Text1->setPlainText(QStringLiteral("Buy blank discs"));
    notes->close();
    EXPECT_EQ(frmMain->cStatusBar1->StatusPanelText(QStringLiteral("Notes")), QStringLiteral("Notes [ Buy blank discs ]"));
}

TEST_F(MainStartupTest, AnAcceptedPowerOffEndsTheProgramAndARefusedOneDoesNot)
{
    FakePower power;
    MainStartupWindows windows;
    ASSERT_TRUE(Main(windows, {}));

    power.actAnswer = {platform::PowerAnswer::Denied, QStringLiteral("Interactive authentication required.")};
    ShowTurnOffDialog(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !box.shown.isEmpty(); }, 3000));
    EXPECT_TRUE(frmMain.isLoaded());

    power.actAnswer = {platform::PowerAnswer::Ok, {}};
    ShowTurnOffDialog(0);
    EXPECT_TRUE(QTest::qWaitFor([] { return !frmMain.isLoaded(); }, 3000));
    EXPECT_EQ(power.powerOffCalls, 2);
    EXPECT_FALSE(frmOptions.isLoaded());
}

