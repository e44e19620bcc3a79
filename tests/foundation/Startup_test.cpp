// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/FrmSplash.h"
#include "foundation/RegistryRoutines.h"
#include "foundation/mdlMain.h"
#include "foundation/mdlModes.h"
#include "foundation/mdlWindowUtils.h"
#include "platform/Desktop.h"
#include "tests/support/FakeDesktop.h"
#include "tests/support/FakeMessageBox.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Records what start-up asks of the long-lived windows, with the splash status at each step.
class RecordingWindows : public StartupWindows {
public:
    QStringList calls;
    void LoadOptions() override { record(QStringLiteral("LoadOptions")); }
    void LoadAudioProp() override { record(QStringLiteral("LoadAudioProp")); }
    void LoadMain() override { record(QStringLiteral("LoadMain")); }
    void ShowMain() override { calls << QStringLiteral("ShowMain"); }
    void ShowMainInTray() override { calls << QStringLiteral("ShowMainInTray"); }
    void ShowMainMinimised() override { calls << QStringLiteral("ShowMainMinimised"); }

private:
    void record(const QString& what)
    {
        const QString status = g_frmSplash.isLoaded() ? g_frmSplash->lblStat->text() : QStringLiteral("<no splash>");
        calls << what + QStringLiteral(" [") + status + QLatin1Char(']');
    }
};

void makeSettingsKey(const QString& section)
{
    InitProductConfig();
    RegistryRoutines reg;
    reg.hkey(platform::HKEY_LOCAL_MACHINE);
    reg.KeyRoot(SettingsKeyRoot());
    ASSERT_EQ(reg.CreateKey(section), QStringLiteral("0"));
}

class StartupTest : public testing::Test {
protected:
    void SetUp() override
    {
        testenv::wipeUserFolders();
        platform::resetRegistryHives();
        g_bSplashShown = false;
    }
};

}  // namespace

TEST(StartupSwitch, OnlyTheExactSwitchStartsInTheTray)
{
    struct Case {
        QStringList args;
        bool tray;
    };
    const QList<Case> cases = {
        {{QStringLiteral("-st")}, true},
        {{}, false},
        {{QStringLiteral("-st ")}, false},
        {{QStringLiteral("-ST")}, false},
        {{QStringLiteral("-st"), QStringLiteral("-addfiles")}, false},
        {{QStringLiteral("-addfiles")}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsTrayStart(CommandLineText(c.args)), c.tray) << CommandLineText(c.args).toStdString();
}

TEST_F(StartupTest, MissingSettingsKeyShowsOneMessageAndLoadsNothing)
{
    for (const QString& presentSection : {QString(), QStringLiteral("Events")}) {
        if (!presentSection.isEmpty())
            makeSettingsKey(presentSection);  // the product key without "General" is no better
        FakeMessageBox box;
        RecordingWindows windows;
        EXPECT_FALSE(Main(windows, {}));
        EXPECT_TRUE(windows.calls.isEmpty());
        EXPECT_FALSE(g_frmSplash.isLoaded());
        ASSERT_EQ(box.shown.size(), 1);
        EXPECT_EQ(box.shown[0].title, QStringLiteral("Quillmere"));
        EXPECT_EQ(box.shown[0].style, platform::vbInformation);
        EXPECT_EQ(box.shown[0].prompt,
                  QStringLiteral("This program cannot run, please reinstall the software or connect to the sofrware "
                                 "aurhor.\r\n\r\nThe main reistry key doesn't existed."));
    }
}

TEST_F(StartupTest, LoadsTheWindowsInOrderBehindTheSplash)
{
    makeSettingsKey(QStringLiteral("General"));
    FakeMessageBox box;
    RecordingWindows windows;
    ASSERT_TRUE(Main(windows, {}));
    EXPECT_EQ(windows.calls, (QStringList{QStringLiteral("LoadOptions [Loading options...]"),
                                          QStringLiteral("LoadAudioProp [Loading audio properties...]"),
                                          QStringLiteral("LoadMain [Loading GUI...]"), QStringLiteral("ShowMain")}));
    EXPECT_FALSE(g_frmSplash.isLoaded());
    EXPECT_TRUE(box.shown.isEmpty());
    EXPECT_EQ(platform::appTitle(), QStringLiteral("Quillmere 1.2"));
}

TEST_F(StartupTest, TraySwitchParksTheWindowOnlyWhereATrayExists)
{
    makeSettingsKey(QStringLiteral("General"));
    for (const bool tray : {true, false}) {
        FakeDesktop desktop(tray);
        RecordingWindows windows;
        ASSERT_TRUE(Main(windows, {QStringLiteral("-st")}));
        EXPECT_EQ(windows.calls.last(), tray ? QStringLiteral("ShowMainInTray") : QStringLiteral("ShowMainMinimised"));
    }
}

TEST_F(StartupTest, DoubleClickDuringTheFadeClosesTheSplashAndStartUpGoesOn)
{
    makeSettingsKey(QStringLiteral("General"));
    bool clicked = false;
    // Polls from inside the fade, which lets events run between its steps.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        FrmSplash* splash = g_frmSplash.loaded();
        if (!splash || splash->fadeSteps().size() < 3)
            return;
        poll.stop();
        QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton,
                        Qt::NoModifier);
        QCoreApplication::sendEvent(splash, &dbl);
        clicked = true;
    });
    poll.start(0);
    RecordingWindows windows;
    ASSERT_TRUE(Main(windows, {}));
    EXPECT_TRUE(clicked);
    EXPECT_EQ(windows.calls, (QStringList{QStringLiteral("LoadOptions [<no splash>]"),
                                          QStringLiteral("LoadAudioProp [<no splash>]"),
                                          QStringLiteral("LoadMain [<no splash>]"), QStringLiteral("ShowMain")}));
}

TEST_F(StartupTest, SplashFadesInFromClearToFullyOpaque)
{
    InitProductConfig();
    FrmSplash* splash = g_frmSplash.get();
    EXPECT_TRUE(IsLayered(splash));
    EXPECT_EQ(LayeredAlpha(splash), 0);  // invisible until the fade starts
    EXPECT_EQ(splash->lblAppTitle->text(), QStringLiteral("Quillmere 1.2"));
    EXPECT_EQ(splash->lblVersion->text(), QStringLiteral("Version 1.2.0"));
    EXPECT_EQ(splash->lblStat->text(), QStringLiteral("Loading..."));
    EXPECT_EQ(splash->size(), QSize(268, 83));
    EXPECT_TRUE(splash->windowFlags() & Qt::WindowStaysOnTopHint);

    splash->FadeIn();
    QList<int> expected;
    for (int a = 0; a <= 250; a += 10)
        expected << a;
    expected << 255;
    EXPECT_EQ(splash->fadeSteps(), expected);
    EXPECT_EQ(LayeredAlpha(splash), 255);
}
