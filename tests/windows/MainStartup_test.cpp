// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/RegistryRoutines.h"
#include "foundation/mdlMain.h"
#include "foundation/mdlModes.h"
#include "mainwindow/FrmMain.h"
#include "mainwindow/MainStartupWindows.h"
#include "platform/Desktop.h"
#include "settings/FrmAudioProp.h"
#include "settings/FrmOptions.h"
#include "tests/support/FakeDesktop.h"
#include "tests/support/FakeMessageBox.h"
#include "tests/support/TestEnvironment.h"

#include <QAction>

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
