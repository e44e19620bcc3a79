// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/RegistryRoutines.h"
#include "foundation/mdlModes.h"
#include "foundation/mdlRunOnStart.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace platform;

namespace {

// Every test works on real hive files in an emptied settings folder with the product key made.
class RegistryRoutinesTest : public testing::Test {
protected:
    void SetUp() override
    {
        testenv::wipeUserFolders();
        resetRegistryHives();
        InitProductConfig();
        reg.hkey(HKEY_LOCAL_MACHINE);
        reg.KeyRoot(SettingsKeyRoot());
        reg.Subkey(QStringLiteral("General"));
        ASSERT_EQ(reg.CreateKey(), QStringLiteral("0"));
    }
    RegistryRoutines reg;
};

}  // namespace

TEST_F(RegistryRoutinesTest, MissingValuesAndKeysGiveTheDefault)
{
    EXPECT_FALSE(reg.GetRegistryValue(QStringLiteral("nothing")).isValid());  // Empty
    EXPECT_EQ(reg.GetRegistryValue(QStringLiteral("nothing"), QStringLiteral("dflt")).toString(), QStringLiteral("dflt"));
    RegistryRoutines other = reg;
    other.Subkey(QStringLiteral("No Such Section"));
    EXPECT_FALSE(other.KeyExists());
    EXPECT_EQ(other.GetRegistryValue(QStringLiteral("x"), 7).toInt(), 7);
}

TEST_F(RegistryRoutinesTest, ValuesRoundTripByKind)
{
    const QString longText(5000, QLatin1Char('x'));
    struct Case {
        const char* name;
        QVariant written;
        long type;
        QVariant expected;
    };
    const QList<Case> cases = {
        {"text", QStringLiteral("C:/Music/a b"), REG_SZ, QStringLiteral("C:/Music/a b")},
        {"one character", QStringLiteral("1"), REG_SZ, QStringLiteral("1")},
        {"longer than a first buffer", longText, REG_SZ, longText},
        {"non-ascii", QStringLiteral("Grüße ♫"), REG_SZ, QStringLiteral("Grüße ♫")},
        {"dword", -2, REG_DWORD, -2},
        {"binary of three", QByteArray("\x01\x00\x02", 3), REG_BINARY, QByteArray("\x01\x00\x02", 3)},
        {"multi", QString(QStringLiteral("a") + QChar(0) + QStringLiteral("bc")), REG_MULTI_SZ,
         QString(QStringLiteral("a") + QChar(0) + QStringLiteral("bc"))},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(reg.SetRegistryValue(QString::fromLatin1(c.name), c.written, c.type)) << c.name;
        const QVariant back = reg.GetRegistryValue(QString::fromLatin1(c.name));
        EXPECT_EQ(back, c.expected) << c.name;
        EXPECT_EQ(back.typeId(), c.expected.typeId()) << c.name;
    }
    EXPECT_EQ(reg.GetRegistryValue(QStringLiteral("binary of three")).toByteArray().size(), 3);
}

TEST_F(RegistryRoutinesTest, SpecialReadsFallBackOrExpand)
{
    // A multi-string whose first string is empty reads as the default.
    ASSERT_TRUE(reg.SetRegistryValue(QStringLiteral("m"), QString(QString(QChar(0)) + QStringLiteral("b")), REG_MULTI_SZ));
    EXPECT_EQ(reg.GetRegistryValue(QStringLiteral("m"), QStringLiteral("d")).toString(), QStringLiteral("d"));
    // An empty REG_SZ (no bytes at all) keeps the default.
    ASSERT_TRUE(registryHive(HKEY_LOCAL_MACHINE)->setValue(SettingsKeyRoot() + QStringLiteral("\\General"),
                                                           QStringLiteral("bare"), RegData{REG_SZ, {}}));
    EXPECT_EQ(reg.GetRegistryValue(QStringLiteral("bare"), QStringLiteral("d")).toString(), QStringLiteral("d"));
    qputenv("QM_TEST_VAR", "/data");
    ASSERT_TRUE(reg.SetRegistryValue(QStringLiteral("e"), QStringLiteral("%QM_TEST_VAR%/x %UNSET_QM_VAR%"), REG_EXPAND_SZ));
    EXPECT_EQ(reg.GetRegistryValue(QStringLiteral("e")).toString(), QStringLiteral("/data/x %UNSET_QM_VAR%"));
    EXPECT_FALSE(reg.SetRegistryValue(QStringLiteral("odd type"), QStringLiteral("x"), 11));
    EXPECT_FALSE(reg.GetRegistryValue(QStringLiteral("odd type")).isValid());
}

TEST_F(RegistryRoutinesTest, WritesNeverCreateASection)
{
    RegistryRoutines missing = reg;
    missing.Subkey(QStringLiteral("Formats\\XYZ"));
    EXPECT_FALSE(missing.SetRegistryValue(QStringLiteral("a"), QStringLiteral("1"), REG_SZ));
    EXPECT_FALSE(missing.KeyExists());
    EXPECT_FALSE(FileHive(settingsFolder() + QStringLiteral("/HKEY_LOCAL_MACHINE.reg"), QStringLiteral("HKEY_LOCAL_MACHINE"))
                     .keyExists(SettingsKeyRoot() + QStringLiteral("\\Formats\\XYZ")));
    EXPECT_EQ(missing.DeleteValue(QStringLiteral("a")), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryRoutinesTest, DeleteEnumerateAndTrim)
{
    ASSERT_TRUE(reg.SetRegistryValue(QStringLiteral("b"), QByteArray("\x0a\xff", 2), REG_BINARY));
    ASSERT_TRUE(reg.SetRegistryValue(QStringLiteral("m"), QString(QStringLiteral("x") + QChar(0) + QStringLiteral("y")), REG_MULTI_SZ));
    ASSERT_TRUE(reg.SetRegistryValue(QStringLiteral("s"), QStringLiteral("t"), REG_SZ));
    const Collection values = reg.EnumRegistryValues(HKEY_LOCAL_MACHINE, reg.KeyRoot() + QStringLiteral("\\General"));
    ASSERT_EQ(values.Count(), 3);
    EXPECT_EQ(values.Item(QStringLiteral("B")).toString(), QStringLiteral("0a ff"));
    EXPECT_EQ(values.Item(QStringLiteral("m")).toString(), QStringLiteral("x,y"));
    EXPECT_EQ(values.Key(3), QStringLiteral("s"));

    EXPECT_EQ(reg.DeleteValue(QStringLiteral("S")), ERROR_SUCCESS);
    EXPECT_EQ(reg.DeleteValue(QStringLiteral("s")), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(reg.GetRegistryValue(QStringLiteral("s")).isValid());

    reg.CreateKey(QStringLiteral("Events"));
    const Collection keys = reg.EnumRegistryKeys(HKEY_LOCAL_MACHINE, reg.KeyRoot());
    EXPECT_EQ(keys.Count(), 2);
    EXPECT_TRUE(keys.Contains(QStringLiteral("general")));
    EXPECT_EQ(reg.EnumRegistryKeys(HKEY_LOCAL_MACHINE, QStringLiteral("No\\Such")).Count(), 0);

    QString withNul = QStringLiteral("abc") + QChar(0) + QStringLiteral("junk");
    EXPECT_EQ(RegistryRoutines::TrimNull(withNul), QStringLiteral("abc"));
    EXPECT_EQ(withNul, QStringLiteral("abc"));
    QString plain = QStringLiteral("plain");
    EXPECT_EQ(RegistryRoutines::TrimNull(plain), QStringLiteral("plain"));
}

TEST_F(RegistryRoutinesTest, RemoteAccessAnswersAsAFailedConnection)
{
    EXPECT_EQ(reg.ReadRemoteRegistryValue(QStringLiteral("box"), HKEY_LOCAL_MACHINE, QStringLiteral("x")).toString(),
              QStringLiteral("Error!"));
    EXPECT_FALSE(reg.WriteRemoteRegistryValue(QStringLiteral("box"), HKEY_LOCAL_MACHINE, QStringLiteral("x"),
                                              QStringLiteral("1"), REG_SZ));
}

TEST_F(RegistryRoutinesTest, RunAtLogOnCycle)
{
    SetProgramExecutablePathForTests(QStringLiteral("/opt/quill mere/bin/quillmere"));
    EXPECT_FALSE(IsRunOnStartup());
    SetRunOnStartup(true);
    EXPECT_TRUE(IsRunOnStartup());

    RegistryRoutines run;
    run.hkey(HKEY_CURRENT_USER);
    run.KeyRoot(QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"));
    EXPECT_EQ(run.GetRegistryValue(QStringLiteral("Quillmere")).toString(),
              QStringLiteral("\"/opt/quill mere/bin/quillmere\" -st"));
    QFile entry(AutostartEntryPath());
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    const QString desktop = QString::fromUtf8(entry.readAll());
    EXPECT_TRUE(desktop.contains(QStringLiteral("\nExec=\"/opt/quill mere/bin/quillmere\" -st\n"))) << desktop.toStdString();
    entry.close();

    // The program moved: the stored value points elsewhere until written again.
    SetProgramExecutablePathForTests(QStringLiteral("/usr/local/bin/quillmere"));
    EXPECT_FALSE(IsRunOnStartup());
    SetRunOnStartup(true);
    EXPECT_TRUE(IsRunOnStartup());

    SetRunOnStartup(false);
    EXPECT_FALSE(IsRunOnStartup());
    EXPECT_FALSE(run.GetRegistryValue(QStringLiteral("Quillmere")).isValid());
    EXPECT_FALSE(QFile::exists(AutostartEntryPath()));
    SetProgramExecutablePathForTests(QString());
}


TEST_F(RegistryRoutinesTest, TheDesktopLauncherStartsTheAutostartEntryWithTheExactPathAndSwitch)
{
    // A stand-in program that writes what it was started with. Its folder holds the characters
    // that desktop entries quote or escape. ("%" is checked below on the text: the launcher
    // looks for the program before it undoes "%%", so it cannot start one with "%" in its path.)
    const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
    ASSERT_FALSE(gio.isEmpty()) << "gio (libglib2.0-bin) is needed to launch desktop entries";
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("half off \\ \"quoted\" $HOME `x` 'y' \\n"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString program = folder + QStringLiteral("/quillmere");
    const QString record = dir.filePath(QStringLiteral("started.txt"));
    {
        QFile script(program);
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\n{ printf '%s\\n' \"$0\"; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > \""
                     + record.toUtf8() + "\"\n");
        script.close();
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    }
    SetProgramExecutablePathForTests(program);
    SetRunOnStartup(true);
    SetProgramExecutablePathForTests(QString());

    QProcess launcher;
    launcher.start(gio, {QStringLiteral("launch"), AutostartEntryPath()});
    ASSERT_TRUE(launcher.waitForFinished(10000));
    QFile entry(AutostartEntryPath());
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    EXPECT_EQ(launcher.exitCode(), 0) << launcher.readAllStandardError().toStdString() << entry.readAll().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile(record).size() > 0; }, 10000));
    QTest::qWait(100);
    QFile started(record);
    ASSERT_TRUE(started.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(started.readAll()), program + QStringLiteral("\n-st\n"));
}

TEST_F(RegistryRoutinesTest, AutostartExecLineDoublesPercentSigns)
{
    SetProgramExecutablePathForTests(QStringLiteral("/opt/50% off/%f/quillmere"));
    SetRunOnStartup(true);
    SetProgramExecutablePathForTests(QString());
    QFile entry(AutostartEntryPath());
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    const QString desktop = QString::fromUtf8(entry.readAll());
    EXPECT_TRUE(desktop.contains(QStringLiteral("\nExec=\"/opt/50%% off/%%f/quillmere\" -st\n"))) << desktop.toStdString();
}
