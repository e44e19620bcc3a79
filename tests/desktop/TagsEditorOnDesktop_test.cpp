// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The tag editor as a window manager places it: run by run-on-desktop.sh on a virtual display
// with openbox, on a screen as short as a laptop's (1280x900, see CMakeLists.txt).
// QM_SCREENSHOT_DIR names a folder for a picture of the screen.
#include "foundation/RegistryRoutines.h"
#include "foundation/mdlMain.h"
#include "foundation/mdlModes.h"
#include "mainwindow/FrmMain.h"
#include "mainwindow/MainStartupWindows.h"
#include "platform/RegistryHive.h"
#include "tags/editor/FrmMP3TagsEditor.h"
#include "tests/support/FakeMessageBox.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

TEST(TagsEditorOnDesktop, OpensWholeInsideTheScreensFreeArea)
{
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb")) << "run through run-on-desktop.sh";
    FakeMessageBox box;
    testenv::wipeUserFolders();
    platform::resetRegistryHives();
    InitProductConfig();
    RegistryRoutines reg;
    reg.hkey(platform::HKEY_LOCAL_MACHINE);
    reg.KeyRoot(SettingsKeyRoot());
    ASSERT_EQ(reg.CreateKey(QStringLiteral("General")), QStringLiteral("0"));
    MainStartupWindows windows;
    ASSERT_TRUE(Main(windows, {}));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frmMain.get()));

    // As the "MP3 Tags Editor" command opens it: made on first use and shown without an owner.
    FrmMP3TagsEditor* editor = g_frmMP3TagsEditor.get();
    editor->show();
    editor->raise();
    editor->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(editor));
    // Until the window manager has framed it and left it where it stays.
    QRect framed;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const QRect now = editor->windowHandle()->frameGeometry();
            if (now.size() == editor->size())
                return false;
            QTest::qWait(300);
            framed = editor->windowHandle()->frameGeometry();
            return framed == now;
        },
        10000));
    const QRect area = editor->screen()->availableGeometry();
    const QString folder = qEnvironmentVariable("QM_SCREENSHOT_DIR");
    if (!folder.isEmpty()) {
        EXPECT_TRUE(editor->screen()->grabWindow(0).save(QDir(folder).filePath(QStringLiteral("tags-editor-screen.png"))));
    }
    const std::string where = "screen area " + std::to_string(area.x()) + "," + std::to_string(area.y()) + " " +
                              std::to_string(area.width()) + "x" + std::to_string(area.height()) + ", editor " +
                              std::to_string(framed.x()) + "," + std::to_string(framed.y()) + " " +
                              std::to_string(framed.width()) + "x" + std::to_string(framed.height());
    EXPECT_TRUE(area.contains(framed)) << where;
    // In the middle, not pushed into a corner over the main window (as openbox's own placement
    // does, flush with the bottom edge of this screen); the frame may shift it a little.
    EXPECT_LE((framed.center() - area.center()).manhattanLength(), 40) << where;
    editor->close();
    frmMain->close();
    QTest::qWait(200);
}

}  // namespace
