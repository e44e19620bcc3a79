// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/FormRef.h"
#include "foundation/WindowLinks.h"
#include "platform/Clock.h"
#include "platform/Desktop.h"
#include "platform/FileDialogs.h"
#include "platform/MessageBox.h"
#include "platform/PowerOff.h"
#include "platform/RegistryHive.h"
#include "platform/Shell.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QDir>

#include <gtest/gtest.h>

namespace {

class ResetBetweenTests : public testing::EmptyTestEventListener {
    void OnTestEnd(const testing::TestInfo&) override
    {
        forms::unloadAll();
        g_appColoursLink = nullptr;
        g_unloadMainLink = nullptr;
        g_notesChangedLink = nullptr;
        g_menuImageLink = nullptr;
        platform::resetRegistryHives();
        platform::setMessageBoxService(nullptr);
        platform::setClockService(nullptr);
        platform::setDesktopService(nullptr);
        platform::setFileDialogService(nullptr);
        platform::setPowerService(nullptr);
        platform::setShellService(nullptr);
    }
};

}  // namespace

int main(int argc, char** argv)
{
    const QString root = testenv::root();
    testenv::wipeUserFolders();
    qputenv("XDG_CONFIG_HOME", QDir(root).filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_DATA_HOME", QDir(root).filePath(QStringLiteral("data")).toUtf8());
    qputenv("XDG_CACHE_HOME", QDir(root).filePath(QStringLiteral("cache")).toUtf8());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QUILLMERE_FORBID_POWEROFF", "1");
    // No real CD drive and no CD database on the network: tests that need them make image
    // drives and a local server. Port 1 on the loopback has nobody listening.
    qputenv("QUILLMERE_DRIVES", "");
    qputenv("QUILLMERE_CDDB_SERVER", "127.0.0.1:1");

    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new ResetBetweenTests);
    return RUN_ALL_TESTS();
}
