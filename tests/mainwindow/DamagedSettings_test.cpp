// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// A damaged settings file at start: set aside, its readable values kept, and the user told once.
#include "tests/itemsgrid/ItemsGridFixture.h"

#include "foundation/mdlMain.h"
#include "mainwindow/MainStartupWindows.h"
#include "tests/support/SmallDisk.h"

namespace {

class DamagedSettings : public ItemsGridFixture {
protected:
    static QString storedValue(const QString& name)
    {
        RegistryRoutines reg;
        reg.hkey(platform::HKEY_LOCAL_MACHINE);
        reg.KeyRoot(SettingsKeyRoot());
        reg.Subkey(QStringLiteral("General"));
        return reg.GetRegistryValue(name).toString();
    }
    static QByteArray bytesOf(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QStringList damagedPrompts() const
    {
        QStringList p;
        for (const auto& r : box.shown)
            if (r.prompt.contains(QStringLiteral("damaged")))
                p << r.prompt;
        return p;
    }
};

TEST_F(DamagedSettings, AreToldOnceAtStartWithTheCopy)
{
    RegistryRoutines reg;
    reg.hkey(platform::HKEY_LOCAL_MACHINE);
    reg.KeyRoot(SettingsKeyRoot());
    reg.Subkey(QStringLiteral("General"));
    ASSERT_TRUE(reg.SetRegistryValue(QStringLiteral("txtToPath"), QString(listsFolder + QLatin1Char('/')), platform::REG_SZ));
    ASSERT_TRUE(reg.SetRegistryValue(QStringLiteral("lWidth"), QStringLiteral("12000"), platform::REG_SZ));
    const QString file = QDir(platform::settingsFolder()).filePath(QStringLiteral("HKEY_LOCAL_MACHINE.reg"));
    QByteArray damaged = bytesOf(file);
    ASSERT_FALSE(damaged.isEmpty());
    damaged.insert(damaged.indexOf("\"lWidth\""), "\"half a line\r\n");
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(damaged);
    }
    platform::resetRegistryHives();

    {
        MainStartupWindows windows;
        ASSERT_TRUE(Main(windows, {}));
    }
    const QStringList told = damagedPrompts();
    ASSERT_EQ(told.size(), 1);
    const QStringList copies = QDir(platform::settingsFolder()).entryList({QStringLiteral("HKEY_LOCAL_MACHINE.reg.damaged-*")});
    ASSERT_EQ(copies.size(), 1);
    const QString copy = QDir(platform::settingsFolder()).filePath(copies.first());
    EXPECT_TRUE(told.first().contains(file)) << told.first().toStdString();
    EXPECT_TRUE(told.first().contains(copy)) << told.first().toStdString();
    EXPECT_EQ(bytesOf(copy), damaged);
    // What could be read stays in use, and is what the settings file holds now.
    EXPECT_EQ(storedValue(QStringLiteral("txtToPath")), QString(listsFolder + QLatin1Char('/')));
    EXPECT_EQ(storedValue(QStringLiteral("lWidth")), QStringLiteral("12000"));
    EXPECT_FALSE(bytesOf(file).contains("half a line"));

    // The next start has nothing to tell.
    forms::unloadAll();
    platform::resetRegistryHives();
    box.shown.clear();
    {
        MainStartupWindows windows;
        ASSERT_TRUE(Main(windows, {}));
    }
    EXPECT_TRUE(damagedPrompts().isEmpty());
    EXPECT_EQ(QDir(platform::settingsFolder()).entryList({QStringLiteral("HKEY_LOCAL_MACHINE.reg.damaged-*")}).size(), 1);
}

TEST_F(DamagedSettings, InAReadOnlyFolderAreUsedAndToldThatNoCopyCouldBeMade)
{
    RegistryRoutines reg;
    reg.hkey(platform::HKEY_LOCAL_MACHINE);
    reg.KeyRoot(SettingsKeyRoot());
    reg.Subkey(QStringLiteral("General"));
    ASSERT_TRUE(reg.SetRegistryValue(QStringLiteral("txtToPath"), QString(listsFolder + QLatin1Char('/')), platform::REG_SZ));
    ASSERT_TRUE(reg.SetRegistryValue(QStringLiteral("lWidth"), QStringLiteral("12000"), platform::REG_SZ));
    const QString file = QDir(platform::settingsFolder()).filePath(QStringLiteral("HKEY_LOCAL_MACHINE.reg"));
    QByteArray damaged = bytesOf(file);
    ASSERT_FALSE(damaged.isEmpty());
    damaged.insert(damaged.indexOf("\"lWidth\""), "\"half a line\r\n");

    // The settings folder on a file system of its own, mounted read-only with the damaged file.
    smalldisk::SmallDisk disk(platform::settingsFolder(), "256k");
    if (!disk.mounted())
        GTEST_SKIP() << disk.refusal();
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(damaged);
    }
    ASSERT_TRUE(disk.makeReadOnly());
    platform::resetRegistryHives();

    {
        MainStartupWindows windows;
        ASSERT_TRUE(Main(windows, {}));
    }
    const QStringList told = damagedPrompts();
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told.first().contains(file)) << told.first().toStdString();
    EXPECT_TRUE(told.first().contains(QStringLiteral("no copy of it could be made"))) << told.first().toStdString();
    EXPECT_TRUE(told.first().contains(QStringLiteral("Read-only file system"))) << told.first().toStdString();
    EXPECT_TRUE(QDir(platform::settingsFolder()).entryList({QStringLiteral("*.damaged-*")}).isEmpty());
    // The file is as it was, and what could be read of it is in use.
    EXPECT_EQ(bytesOf(file), damaged);
    EXPECT_EQ(storedValue(QStringLiteral("txtToPath")), QString(listsFolder + QLatin1Char('/')));
    EXPECT_EQ(storedValue(QStringLiteral("lWidth")), QStringLiteral("12000"));
    forms::unloadAll();
}

}  // namespace
