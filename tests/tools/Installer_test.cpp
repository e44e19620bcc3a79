// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/RegistryRoutines.h"
#include "foundation/mdlModes.h"
#include "platform/Paths.h"
#include "tests/support/TestEnvironment.h"
#include "tools/Installer.h"
#include "tools/InstallerDefaults.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

RegistryRoutines section(const QString& name)
{
    RegistryRoutines reg;
    reg.hkey(platform::HKEY_LOCAL_MACHINE);
    reg.KeyRoot(SettingsKeyRoot());
    reg.Subkey(name);
    return reg;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class InstallerTest : public testing::Test {
protected:
    void SetUp() override
    {
        testenv::wipeUserFolders();
        platform::resetRegistryHives();
        QDir().mkpath(resources.filePath(QStringLiteral("View")));
        QFile f(resources.filePath(QStringLiteral("View/back.txt")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("shipped");
    }
    QTemporaryDir resources;
};

}  // namespace

TEST_F(InstallerTest, FreshInstallMakesEverySectionAndTheProgramFolder)
{
    const InstallReport report = RunInstaller(platform::programFolder(), resources.path());
    ASSERT_TRUE(report.ok()) << report.errors.join(QLatin1Char('\n')).toStdString();
    for (const QString& name : InstallerSections())
        EXPECT_TRUE(section(name).KeyExists()) << name.toStdString();
    EXPECT_EQ(InstallerSections().size(), 10);
    for (const InstallerValue& v : InstallerDefaultValues())
        EXPECT_EQ(section(v.section).GetRegistryValue(v.name).toString(), v.value) << v.name.toStdString();

    const QString folder = platform::programFolder();
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("/Main")).isDir());
    EXPECT_EQ(readAll(folder + QStringLiteral("/View/back.txt")), QByteArray("shipped"));
    const QByteArray wav = readAll(folder + QStringLiteral("/sound/notify.wav"));
    ASSERT_GT(wav.size(), 44);
    EXPECT_TRUE(wav.startsWith("RIFF"));
    EXPECT_EQ(wav.mid(8, 8), QByteArray("WAVEfmt "));
    EXPECT_FALSE(QImage(folder + QStringLiteral("/SysIcon/systrayicon.ico")).isNull());
}

TEST_F(InstallerTest, RunningAgainKeepsWhatTheUserHas)
{
    ASSERT_TRUE(RunInstaller(platform::programFolder(), resources.path()).ok());
    for (const InstallerValue& v : InstallerDefaultValues())
        ASSERT_TRUE(section(v.section).SetRegistryValue(v.name, QStringLiteral("user choice"), platform::REG_SZ));
    ASSERT_TRUE(section(QStringLiteral("General")).SetRegistryValue(QStringLiteral("lWidth"), QStringLiteral("9000"), platform::REG_SZ));
    const QString folder = platform::programFolder();
    for (const QString& rel : {QStringLiteral("/View/back.txt"), QStringLiteral("/sound/notify.wav")}) {
        QFile f(folder + rel);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("edited by the user");
    }

    const InstallReport again = RunInstaller(folder, resources.path());
    ASSERT_TRUE(again.ok());
    EXPECT_TRUE(again.createdKeys.isEmpty());
    EXPECT_TRUE(again.writtenValues.isEmpty());
    EXPECT_TRUE(again.copiedFiles.isEmpty());
    for (const InstallerValue& v : InstallerDefaultValues())
        EXPECT_EQ(section(v.section).GetRegistryValue(v.name).toString(), QStringLiteral("user choice"));
    EXPECT_EQ(section(QStringLiteral("General")).GetRegistryValue(QStringLiteral("lWidth")).toString(), QStringLiteral("9000"));
    EXPECT_EQ(readAll(folder + QStringLiteral("/View/back.txt")), QByteArray("edited by the user"));
    EXPECT_EQ(readAll(folder + QStringLiteral("/sound/notify.wav")), QByteArray("edited by the user"));
}
