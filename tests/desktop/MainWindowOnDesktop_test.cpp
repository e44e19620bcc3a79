// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The main window as a window manager sees it: run by run-on-desktop.sh on a virtual display
// with openbox, so frames, placement and minimised states are real.
#include "foundation/RegistryRoutines.h"
#include "foundation/mdlMain.h"
#include "foundation/mdlModes.h"
#include "mainwindow/FrmMain.h"
#include "mainwindow/MainStartupWindows.h"
#include "platform/RegistryHive.h"
#include "tests/support/FakeDesktop.h"
#include "tests/support/FakeMessageBox.h"
#include "tests/support/TestEnvironment.h"

#include <QGuiApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

class OnDesktop : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb")) << "run through run-on-desktop.sh";
        testenv::wipeUserFolders();
        platform::resetRegistryHives();
        InitProductConfig();
        RegistryRoutines reg;
        reg.hkey(platform::HKEY_LOCAL_MACHINE);
        reg.KeyRoot(SettingsKeyRoot());
        ASSERT_EQ(reg.CreateKey(QStringLiteral("General")), QStringLiteral("0"));
    }

    static QString stored(const QString& name)
    {
        RegistryRoutines reg;
        reg.hkey(platform::HKEY_LOCAL_MACHINE);
        reg.KeyRoot(SettingsKeyRoot());
        reg.Subkey(QStringLiteral("General"));
        return reg.GetRegistryValue(name).toString();
    }

    // Until the window manager has framed the shown main window and the restored size is set.
    static bool framedAndSettled()
    {
        if (!frmMain.isLoaded() || !frmMain->windowHandle() || !frmMain->windowHandle()->isExposed())
            return false;
        const QRect outer = framed();
        if (outer.size() == frmMain->geometry().size())
            return false;
        QTest::qWait(300);  // let a pending resize or move from the desktop arrive
        return framed() == outer;
    }

    // The main window with the desktop's frame, as the desktop has it now. (QWidget's own
    // frameGeometry() keeps a frame it measured earlier until the window next moves.)
    static QRect framed() { return frmMain->windowHandle()->frameGeometry(); }

    FakeMessageBox box;
};

TEST_F(OnDesktop, TenStartsAndExitsKeepTheWindowsSizeAndPlace)
{
    QStringList outers;  // "x,y wxh" of the framed window
    QStringList sizes;
    for (int run = 0; run < 10; ++run) {
        MainStartupWindows windows;
        ASSERT_TRUE(Main(windows, {}));
        ASSERT_TRUE(QTest::qWaitFor(framedAndSettled, 10000)) << "run " << run;
        const QRect r = framed();
        outers << QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
        frmMain->close();
        ASSERT_TRUE(QTest::qWaitFor([] { return !frmMain.isLoaded(); }, 5000));
        sizes << stored(QStringLiteral("lWidth")) + QLatin1Char('x') + stored(QStringLiteral("lHeight"));
        forms::unloadAll();
    }
    // The first start has no stored size: the defaults, 13140 x 7440 twips, are the outer size.
    EXPECT_TRUE(outers.first().endsWith(QStringLiteral(" 876x496"))) << outers.first().toStdString();
    EXPECT_EQ(sizes.first().toStdString(), "13140x7440");
    for (int run = 1; run < 10; ++run) {
        EXPECT_EQ(outers[run].toStdString(), outers.first().toStdString()) << "run " << run;
        EXPECT_EQ(sizes[run].toStdString(), sizes.first().toStdString()) << "run " << run;
    }
}

TEST_F(OnDesktop, AStoredSizeLargerThanTheScreenIsFittedToItsFreeArea)
{
    RegistryRoutines reg;
    reg.hkey(platform::HKEY_LOCAL_MACHINE);
    reg.KeyRoot(SettingsKeyRoot());
    reg.Subkey(QStringLiteral("General"));
    ASSERT_TRUE(reg.SetRegistryValue(QStringLiteral("lWidth"), QStringLiteral("200000"), platform::REG_SZ));
    ASSERT_TRUE(reg.SetRegistryValue(QStringLiteral("lHeight"), QStringLiteral("200000"), platform::REG_SZ));
    platform::resetRegistryHives();
    {
        MainStartupWindows windows;
        ASSERT_TRUE(Main(windows, {}));
        ASSERT_TRUE(QTest::qWaitFor(framedAndSettled, 10000));
        const QRect screen = frmMain->windowHandle()->screen()->availableGeometry();
        const QRect outer = framed();
        // Frame and title bar on the screen, inside its free area.
        EXPECT_TRUE(screen.contains(outer)) << outer.x() << "," << outer.y() << " " << outer.width() << "x"
                                             << outer.height() << " on " << screen.width() << "x" << screen.height();
        EXPECT_GE(outer.top(), screen.top());
        frmMain->close();
        ASSERT_TRUE(QTest::qWaitFor([] { return !frmMain.isLoaded(); }, 5000));
        // What is written back is what the window had, not the stored size.
        EXPECT_LE(stored(QStringLiteral("lWidth")).toInt(), screen.width() * 15);
        EXPECT_LE(stored(QStringLiteral("lHeight")).toInt(), screen.height() * 15);
        forms::unloadAll();
    }
}

TEST_F(OnDesktop, AfterATrayStartTheFirstTrayClickShowsTheWindow)
{
    FakeDesktop tray(true);
    MainStartupWindows windows;
    ASSERT_TRUE(Main(windows, {QStringLiteral("-st")}));
    QTest::qWait(500);  // whatever the window manager answers to the show, minimise and hide
    EXPECT_FALSE(frmMain->isVisible());
    EXPECT_TRUE(frmMain->m_bInTray);
    EXPECT_EQ(frmMain->TrayOpenCaption().toStdString(), "Show");

    frmMain->cSysTray1_TrayClick(1);  // a left click on the icon
    EXPECT_TRUE(QTest::qWaitFor([] { return frmMain->windowHandle() && frmMain->windowHandle()->isExposed(); }, 5000));
    QTest::qWait(300);
    EXPECT_TRUE(frmMain->isVisible());
    EXPECT_FALSE(frmMain->isMinimized());
    EXPECT_TRUE(frmMain->windowHandle()->isExposed());
    EXPECT_FALSE(frmMain->m_bInTray);
    EXPECT_EQ(frmMain->TrayOpenCaption().toStdString(), "Hide");
    // Shown for the first time, it takes the restored outer size (the defaults) with its frame.
    EXPECT_TRUE(QTest::qWaitFor(framedAndSettled, 5000));
    EXPECT_EQ(framed().size(), QSize(876, 496));

    // And the next click puts it back.
    frmMain->cSysTray1_TrayClick(1);
    EXPECT_TRUE(QTest::qWaitFor([] { return !frmMain->windowHandle()->isExposed(); }, 5000));
    EXPECT_FALSE(frmMain->isVisible());
    EXPECT_TRUE(frmMain->m_bInTray);
}

// What xprop reports of one property of a window, or of the root window when id is empty.
QString xprop(const QString& id, const QString& property)
{
    QProcess p;
    QStringList args = id.isEmpty() ? QStringList{QStringLiteral("-root")} : QStringList{QStringLiteral("-id"), id};
    p.start(QStringLiteral("xprop"), args << property);
    p.waitForFinished(5000);
    return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

// The WM_STATE ("Normal", "Iconic") of the program's normal window titled "Quillmere 1.2",
// once it has one.
QString mainWindowState(qint64 pid)
{
    static const QRegularExpression ids(QStringLiteral("0x[0-9a-f]+"));
    const QString clients = xprop(QString(), QStringLiteral("_NET_CLIENT_LIST"));
    for (auto it = ids.globalMatch(clients); it.hasNext();) {
        const QString id = it.next().captured();
        if (!xprop(id, QStringLiteral("_NET_WM_PID")).endsWith(QStringLiteral("= ") + QString::number(pid)))
            continue;
        if (!xprop(id, QStringLiteral("WM_NAME")).contains(QStringLiteral("\"Quillmere 1.2\""))
            || !xprop(id, QStringLiteral("_NET_WM_WINDOW_TYPE")).contains(QStringLiteral("_NET_WM_WINDOW_TYPE_NORMAL")))
            continue;
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("window state: (\\w+)")).match(xprop(id, QStringLiteral("WM_STATE")));
        if (m.hasMatch())
            return m.captured(1);
    }
    return {};
}

// Starts the program itself with the arguments and reports how its main window ends up: the
// state it rests in once it is the expected one and has held for a second, else the last one
// seen after 15 seconds. A state the window passes through is not the one it rests in: on a
// loaded machine a build may take more than a second to minimise a window it mapped.
QString programWindowState(const QStringList& arguments, const QString& expected)
{
    QProcess program;
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(QStringLiteral(QM_PROGRAM_PATH), arguments);
    if (!program.waitForStarted(5000))
        return QStringLiteral("<not started>");
    QString state;
    // A window that never appears leaves the state empty, which the callers' checks report.
    (void)QTest::qWaitFor([&] { return !(state = mainWindowState(program.processId())).isEmpty(); }, 15000);
    QElapsedTimer held, total;
    held.start();
    total.start();
    // A reading that finds no window while the program runs is a moment between two of the
    // window manager's updates (on a loaded machine the properties read may change under us),
    // not an answer.
    while (!state.isEmpty() && !(state == expected && held.elapsed() >= 1000) && total.elapsed() < 15000) {
        QTest::qWait(100);
        if (program.state() != QProcess::Running) {
            state.clear();
            break;
        }
        const QString now = mainWindowState(program.processId());
        if (!now.isEmpty() && now != state) {
            state = now;
            held.restart();
        }
    }
    program.terminate();
    if (!program.waitForFinished(5000)) {
        program.kill();
        program.waitForFinished(5000);
    }
    return state.isEmpty() ? QStringLiteral("<no window>") : state;
}

TEST_F(OnDesktop, OnlyAWholeCommandLineOfTrayStartMinimisesTheProgram)
{
    // This desktop has no notification area, so a start for the tray leaves the window
    // minimised (iconic) where the user can still reach it; any other line shows it.
    ASSERT_FALSE(xprop(QString(), QStringLiteral("_NET_SUPPORTING_WM_CHECK")).isEmpty());
    const struct {
        QStringList line;
        const char* state;
    } cases[] = {
        {{QStringLiteral("-st")}, "Iconic"},
        // Switches the toolkit takes for itself still belong to the line the user gave.
        {{QStringLiteral("-st"), QStringLiteral("-reverse")}, "Normal"},
        {{QStringLiteral("-reverse"), QStringLiteral("-st")}, "Normal"},
        {{}, "Normal"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(programWindowState(c.line, QLatin1String(c.state)).toStdString(), c.state) << qPrintable(c.line.join(u' '));
}

}  // namespace
