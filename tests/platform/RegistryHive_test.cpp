// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "platform/RegistryHive.h"
#include "platform/SaveLeftovers.h"
#include "tests/support/SmallDisk.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace platform;

namespace {

RegData sz(const QByteArray& text) { return {REG_SZ, text + '\0'}; }

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

const QString kRoot = QStringLiteral("HKEY_LOCAL_MACHINE");

}  // namespace

TEST(HiveData, KeysIgnoreCaseButKeepTheirSpelling)
{
    HiveData d;
    d.createKey(QStringLiteral("SOFTWARE\\Brindlecote\\Quillmere\\General"));
    EXPECT_TRUE(d.keyExists(QStringLiteral("software\\BRINDLECOTE\\quillmere\\general")));
    EXPECT_TRUE(d.keyExists(QStringLiteral("SOFTWARE\\Brindlecote")));  // parents exist too
    EXPECT_FALSE(d.keyExists(QStringLiteral("SOFTWARE\\Brindlecote\\Quillmere\\Events")));
    EXPECT_TRUE(d.setValue(QStringLiteral("software\\brindlecote\\quillmere\\general"), QStringLiteral("chkClear"), sz("1")));
    EXPECT_TRUE(d.setValue(QStringLiteral("SOFTWARE\\Brindlecote\\Quillmere\\General"), QStringLiteral("CHKCLEAR"), sz("0")));
    const auto values = d.values(QStringLiteral("SOFTWARE\\Brindlecote\\Quillmere\\General"));
    ASSERT_EQ(values.size(), 1);
    EXPECT_EQ(values[0].first, QStringLiteral("chkClear"));
    EXPECT_EQ(values[0].second, sz("0"));
    EXPECT_EQ(d.subkeys(QStringLiteral("software\\brindlecote")), QStringList{QStringLiteral("Quillmere")});
}

TEST(HiveData, ValuesNeedAnExistingKeyAndKeysWithSubkeysStay)
{
    HiveData d;
    EXPECT_FALSE(d.setValue(QStringLiteral("A\\B"), QStringLiteral("x"), sz("1")));
    EXPECT_FALSE(d.keyExists(QStringLiteral("A\\B")));
    d.createKey(QStringLiteral("A\\B"));
    EXPECT_FALSE(d.deleteKey(QStringLiteral("A")));
    EXPECT_TRUE(d.deleteKey(QStringLiteral("A\\B")));
    EXPECT_EQ(d.deleteValue(QStringLiteral("A"), QStringLiteral("nothing")), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(d.deleteValue(QStringLiteral("missing"), QStringLiteral("x")), ERROR_FILE_NOT_FOUND);
}

TEST(HiveData, TextRoundTripKeepsEveryKindByteForByte)
{
    HiveData d;
    const QString key = QStringLiteral("SOFTWARE\\Brindlecote\\Quillmere\\Formats\\WAV");
    d.createKey(key);
    d.createKey(QStringLiteral("SOFTWARE\\Empty"));
    const QList<QPair<QString, RegData>> cases = {
        {QStringLiteral("plain"), sz("44100")},
        {QStringLiteral("quotes \"and\" \\slashes\\"), sz("C:\\Music\\\"odd\" name")},
        {QStringLiteral("unicode"), sz("Gr\xc3\xbc\xc3\x9f G\xc3\xb6tter \xe2\x99\xab")},
        {QStringLiteral("empty text"), sz("")},
        {QStringLiteral("no terminator"), {REG_SZ, QByteArray("abc")}},
        {QStringLiteral("line breaks"), sz("one\r\ntwo")},
        {QStringLiteral("expand"), {REG_EXPAND_SZ, QByteArray("%HOME%/x\0", 9)}},
        {QStringLiteral("multi"), {REG_MULTI_SZ, QByteArray("a\0b\0\0", 5)}},
        {QStringLiteral("binary"), {REG_BINARY, QByteArray("\x00\xff\x10", 3)}},
        {QStringLiteral("empty binary"), {REG_BINARY, QByteArray()}},
        {QStringLiteral("dword"), {REG_DWORD, QByteArray("\xfe\xff\xff\xff", 4)}},
        {QStringLiteral("short dword"), {REG_DWORD, QByteArray("\x01", 1)}},
        {QString(), sz("default value")},
    };
    for (const auto& [name, data] : cases)
        ASSERT_TRUE(d.setValue(key, name, data)) << name.toStdString();

    int damaged = -1;
    const QByteArray text = d.toText(kRoot);
    const HiveData back = HiveData::fromText(text, kRoot, &damaged);
    EXPECT_EQ(damaged, 0) << text.toStdString();
    EXPECT_TRUE(back.keyExists(QStringLiteral("SOFTWARE\\Empty")));
    for (const auto& [name, data] : cases) {
        const auto v = back.value(key, name);
        ASSERT_TRUE(v.has_value()) << name.toStdString();
        EXPECT_EQ(*v, data) << name.toStdString();
    }
    EXPECT_TRUE(text.startsWith("Windows Registry Editor Version 5.00\n"));
    EXPECT_TRUE(text.contains("\"plain\"=\"44100\"\n"));
    EXPECT_TRUE(text.contains("\"dword\"=dword:fffffffe\n"));
}

TEST(HiveData, DamagedTextKeepsWhatCanStillBeRead)
{
    const QByteArray good =
        "Windows Registry Editor Version 5.00\n\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Q\\General]\n"
        "\"txtToPath\"=\"/home/u/Main/\"\n"
        "\"lWidth\"=\"9000\"\n";
    struct Case {
        const char* what;
        QByteArray text;
        QStringList survivors;
    };
    const QList<Case> cases = {
        {"cut inside a value", good + "\"lHeight\"=\"70", {QStringLiteral("txtToPath"), QStringLiteral("lWidth")}},
        {"binary junk after", good + QByteArray("\x00\x01\xfe\xff[\x80\n\"x\"=hex:zz\n", 18),
         {QStringLiteral("txtToPath"), QStringLiteral("lWidth")}},
        {"junk before the header", QByteArray("\xff\xfe garbage\n") + good, {QStringLiteral("txtToPath"), QStringLiteral("lWidth")}},
        {"values of another root", good + "[HKEY_CURRENT_USER\\X]\n\"y\"=\"1\"\n", {QStringLiteral("txtToPath"), QStringLiteral("lWidth")}},
    };
    for (const Case& c : cases) {
        int damaged = 0;
        const HiveData d = HiveData::fromText(c.text, kRoot, &damaged);
        EXPECT_GT(damaged, 0) << c.what;
        for (const QString& name : c.survivors)
            EXPECT_TRUE(d.value(QStringLiteral("SOFTWARE\\Q\\General"), name).has_value()) << c.what;
        EXPECT_FALSE(d.keyExists(QStringLiteral("X"))) << c.what;
    }
    int damaged = 0;
    EXPECT_TRUE(HiveData::fromText(QByteArray(4096, '\xA5'), kRoot, &damaged).isEmpty());
    EXPECT_GT(damaged, 0);
}

class FileHiveTest : public testing::Test {
protected:
    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("HKEY_LOCAL_MACHINE.reg")); }
};

TEST_F(FileHiveTest, MissingFileReadsEmptyAndWritesPersist)
{
    FileHive a(path(), kRoot);
    EXPECT_FALSE(a.keyExists(QStringLiteral("SOFTWARE")));
    EXPECT_FALSE(a.setValue(QStringLiteral("SOFTWARE"), QStringLiteral("x"), sz("1")));
    EXPECT_FALSE(QFile::exists(path()));  // a refused write makes no file
    ASSERT_TRUE(a.createKey(QStringLiteral("SOFTWARE\\Q")));
    ASSERT_TRUE(a.setValue(QStringLiteral("SOFTWARE\\Q"), QStringLiteral("x"), sz("1")));

    FileHive b(path(), kRoot);  // another program reading the same file
    EXPECT_EQ(b.value(QStringLiteral("software\\q"), QStringLiteral("X")), sz("1"));
    EXPECT_FALSE(QFile::exists(path() + QStringLiteral(".lock")));
}

TEST_F(FileHiveTest, TwoWritersDoNotLoseEachOthersValues)
{
    FileHive a(path(), kRoot);
    FileHive b(path(), kRoot);
    ASSERT_TRUE(a.createKey(QStringLiteral("K")));
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(a.setValue(QStringLiteral("K"), QStringLiteral("a%1").arg(i), sz("a")));
        ASSERT_TRUE(b.setValue(QStringLiteral("K"), QStringLiteral("b%1").arg(i), sz("b")));
    }
    EXPECT_EQ(FileHive(path(), kRoot).values(QStringLiteral("K")).size(), 40);
    EXPECT_EQ(a.values(QStringLiteral("K")).size(), 40);  // a sees b's writes too
}

TEST_F(FileHiveTest, DamagedFileIsKeptAsideAndItsValuesSurviveTheNextWrite)
{
    const QByteArray damaged =
        "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\S]\n\"keep\"=\"mine\"\n\"cut\"=\"unfinis";
    writeAll(path(), damaged);
    FileHive hive(path(), kRoot);
    EXPECT_EQ(hive.value(QStringLiteral("S"), QStringLiteral("keep")), sz("mine"));
    ASSERT_TRUE(hive.setValue(QStringLiteral("S"), QStringLiteral("new"), sz("1")));

    FileHive again(path(), kRoot);
    EXPECT_EQ(again.value(QStringLiteral("S"), QStringLiteral("keep")), sz("mine"));
    EXPECT_EQ(again.value(QStringLiteral("S"), QStringLiteral("new")), sz("1"));
    const QStringList aside = QDir(dir.path()).entryList({QStringLiteral("*.damaged-*")});
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(readAll(dir.filePath(aside[0])), damaged);
}

TEST_F(FileHiveTest, AWriteOntoAFullDiskFailsAndKeepsTheFile)
{
    smalldisk::SmallDisk disk(dir.filePath(QStringLiteral("small")), "64k");
    if (!disk.mounted())
        GTEST_SKIP() << disk.refusal();
    const QString file = dir.filePath(QStringLiteral("small/HKEY_LOCAL_MACHINE.reg"));
    FileHive hive(file, kRoot);
    ASSERT_TRUE(hive.createKey(QStringLiteral("S")));
    ASSERT_TRUE(hive.setValue(QStringLiteral("S"), QStringLiteral("keep"), sz("mine")));
    const QByteArray before = readAll(file);
    const QString filler = dir.filePath(QStringLiteral("small/filler"));
    smalldisk::SmallDisk::fill(filler);
    // Room for the lock file, none for the new settings.
    ASSERT_TRUE(QFile::resize(filler, QFileInfo(filler).size() - 4096));
    EXPECT_FALSE(hive.setValue(QStringLiteral("S"), QStringLiteral("more"), sz(QByteArray(8192, 'v'))));
    EXPECT_EQ(readAll(file), before);
    EXPECT_EQ(FileHive(file, kRoot).value(QStringLiteral("S"), QStringLiteral("keep")), sz("mine"));
}

TEST_F(FileHiveTest, RefusedWritesNameTheFileAndTheSystemsReason)
{
    const struct {
        const char* name;
        bool readOnly;        // else the disk is full
        QByteArray size;      // of the value written
        const char* reason;
    } cases[] = {
        {"read-only folder", true, "1", "Read-only file system"},
        {"full disk", false, QByteArray(8192, 'v'), "No space left on device"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        smalldisk::SmallDisk disk(dir.filePath(QString::fromLatin1(c.name)), "64k");
        if (!disk.mounted())
            GTEST_SKIP() << disk.refusal();
        const QString file = dir.filePath(QString::fromLatin1(c.name) + QStringLiteral("/HKEY_LOCAL_MACHINE.reg"));
        FileHive hive(file, kRoot);
        ASSERT_TRUE(hive.createKey(QStringLiteral("S")));
        const QByteArray before = readAll(file);
        if (c.readOnly) {
            ASSERT_TRUE(disk.makeReadOnly());
        } else {
            const QString filler = dir.filePath(QString::fromLatin1(c.name) + QStringLiteral("/filler"));
            smalldisk::SmallDisk::fill(filler);
            ASSERT_TRUE(QFile::resize(filler, QFileInfo(filler).size() - 4096));  // room for the lock file only
        }
        EXPECT_FALSE(hive.setValue(QStringLiteral("S"), QStringLiteral("v"), sz(c.size)));
        EXPECT_EQ(hive.location(), file);
        EXPECT_TRUE(hive.lastError().contains(QLatin1String(c.reason))) << hive.lastError().toStdString();
        EXPECT_EQ(readAll(file), before);
    }
}

TEST_F(FileHiveTest, ALinkToAFileIsWrittenThroughAndAnyOtherLinkIsLeftAlone)
{
    // The settings file is the program's own: nobody is asked about a link standing there.
    const QString target = dir.filePath(QStringLiteral("elsewhere.reg"));
    writeAll(target, QByteArray());
    ASSERT_TRUE(QFile::link(target, path()));
    {
        FileHive hive(path(), kRoot);
        ASSERT_TRUE(hive.createKey(QStringLiteral("S")));
        ASSERT_TRUE(hive.setValue(QStringLiteral("S"), QStringLiteral("v"), sz("1")));
    }
    EXPECT_EQ(QFileInfo(path()).symLinkTarget(), target);
    EXPECT_EQ(FileHive(target, kRoot).value(QStringLiteral("S"), QStringLiteral("v")), sz("1"));

    const QString nowhere = dir.filePath(QStringLiteral("missing/none.reg"));
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& to : {nowhere, fifo}) {
        SCOPED_TRACE(to.toStdString());
        const QString file = dir.filePath(QStringLiteral("linked-") + QFileInfo(to).fileName());
        ASSERT_TRUE(QFile::link(to, file));
        FileHive hive(file, kRoot);
        EXPECT_FALSE(hive.createKey(QStringLiteral("S")));
        EXPECT_TRUE(hive.lastError().contains(QLatin1String("symbolic link"))) << hive.lastError().toStdString();
        EXPECT_EQ(QFileInfo(file).symLinkTarget(), to);
        EXPECT_FALSE(QFileInfo::exists(nowhere));
    }
    EXPECT_TRUE(QFileInfo(fifo).exists() && !QFileInfo(fifo).isFile());
}

TEST_F(FileHiveTest, LeftoversOfKilledWritesGoAtTheNextWriteOfThatFile)
{
    const QByteArray whole = "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\S]\n\"a\"=\"1\"\n";
    // A temporary file named as a write of ours names it, left as a kill at the rename leaves it.
    // One in about twenty of Qt's names reads as a word ("Backup") and is left alone on purpose;
    // the table holds such names, so the real one is drawn until it is of the other kind.
    QString killedName;
    do {
        if (!killedName.isEmpty())
            QFile::remove(dir.filePath(killedName));
        QTemporaryFile killed(path() + QStringLiteral(".XXXXXX"));
        killed.setAutoRemove(false);
        ASSERT_TRUE(killed.open());
        killed.write(whole);
        killed.close();
        killedName = QFileInfo(killed.fileName()).fileName();
    } while (!IsSaveLeftoverName(killedName, QFileInfo(path()).fileName()));
    writeAll(dir.filePath(QStringLiteral("target")), whole);

    const struct {
        QString name;
        QByteArray bytes;  // empty with `link`: a symbolic link to "target"
        bool link;
        bool removed;
    } cases[] = {
        {killedName, {}, false, true},
        {QStringLiteral("HKEY_LOCAL_MACHINE.reg.CutAbc"), whole.left(20), false, true},
        {QStringLiteral("HKEY_LOCAL_MACHINE.reg.EmptyX"), "", false, true},
        {QStringLiteral("HKEY_LOCAL_MACHINE.reg.backup"), "the user's own notes\n", false, false},
        {QStringLiteral("HKEY_LOCAL_MACHINE.reg.Backup"), whole, false, false},
        {QStringLiteral("HKEY_LOCAL_MACHINE.reg.BACKUP"), whole, false, false},
        {QStringLiteral("HKEY_LOCAL_MACHINE.reg.Linked"), {}, true, false},
        {QStringLiteral("HKEY_LOCAL_MACHINE.reg.Ab1234"), whole, false, false},
        {QStringLiteral("HKEY_LOCAL_MACHINE.reg.damaged-20261211-101010-123"), whole, false, false},
        {QStringLiteral("HKEY_CURRENT_USER.reg.OtherX"), whole, false, false},
    };
    for (const auto& c : cases) {
        if (c.link)
            ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("target")), dir.filePath(c.name)));
        else if (c.name != killedName)
            writeAll(dir.filePath(c.name), c.bytes);
    }
    FileHive hive(path(), kRoot);
    // Reading leaves them; the next write of this file removes what is ours.
    EXPECT_FALSE(hive.keyExists(QStringLiteral("S")));
    for (const auto& c : cases)
        ASSERT_TRUE(QFileInfo(dir.filePath(c.name)).isSymLink() || QFileInfo::exists(dir.filePath(c.name))) << c.name.toStdString();
    ASSERT_TRUE(hive.createKey(QStringLiteral("S")));
    for (const auto& c : cases) {
        const QFileInfo left(dir.filePath(c.name));
        EXPECT_EQ(!(left.exists() || left.isSymLink()), c.removed) << c.name.toStdString();
    }
    EXPECT_EQ(readAll(dir.filePath(QStringLiteral("target"))), whole);
}

TEST_F(FileHiveTest, UnreadableFileIsNeverReplaced)
{
    ASSERT_TRUE(QDir().mkpath(path()));  // a folder where the file should be: cannot be read as one
    FileHive hive(path(), kRoot);
    EXPECT_FALSE(hive.keyExists(QStringLiteral("S")));
    EXPECT_FALSE(hive.createKey(QStringLiteral("S")));
    EXPECT_TRUE(QFileInfo(path()).isDir());
}

TEST(RegistryRoots, FilesLiveInTheSettingsFolderAndOnlyTwoRootsExist)
{
    testenv::wipeUserFolders();
    resetRegistryHives();
    RegistryHive* lm = registryHive(HKEY_LOCAL_MACHINE);
    ASSERT_NE(lm, nullptr);
    EXPECT_EQ(registryHive(HKEY_LOCAL_MACHINE), lm);
    EXPECT_NE(registryHive(HKEY_CURRENT_USER), nullptr);
    EXPECT_EQ(registryHive(HKEY_USERS), nullptr);
    EXPECT_EQ(registryHive(0), nullptr);
    ASSERT_TRUE(lm->createKey(QStringLiteral("SOFTWARE")));
    EXPECT_TRUE(QFile::exists(settingsFolder() + QStringLiteral("/HKEY_LOCAL_MACHINE.reg")));
    EXPECT_TRUE(settingsFolder().startsWith(testenv::root()));
}

TEST(RegistryRoots, DamagedRootsAreSetAsideAndEachCopyIsAnsweredOnce)
{
    testenv::wipeUserFolders();
    resetRegistryHives();
    setAsideDamagedSettings();  // copies that earlier tests of this process made
    ASSERT_TRUE(QDir().mkpath(settingsFolder()));
    const QString lm = settingsFolder() + QStringLiteral("/HKEY_LOCAL_MACHINE.reg");
    const QString cu = settingsFolder() + QStringLiteral("/HKEY_CURRENT_USER.reg");
    const QByteArray header = "Windows Registry Editor Version 5.00\n\n";
    const QByteArray damagedLm = header + "[HKEY_LOCAL_MACHINE\\S]\n\"keep\"=\"mine\"\n\"cut\"=\"unfinis";
    const QByteArray damagedCu = header + "[HKEY_CURRENT_USER\\S]\n\"keep\"=\"yours\"\nnot a line\n";
    writeAll(lm, damagedLm);
    writeAll(cu, damagedCu);

    // A write sets its root's file aside on the way; the check sets the other one aside.
    ASSERT_TRUE(registryHive(HKEY_CURRENT_USER)->setValue(QStringLiteral("S"), QStringLiteral("new"), sz("1")));
    const QList<SetAsideSettings> first = setAsideDamagedSettings();
    ASSERT_EQ(first.size(), 2);
    QHash<QString, QByteArray> expected{{lm, damagedLm}, {cu, damagedCu}};
    for (const SetAsideSettings& s : first) {
        ASSERT_TRUE(expected.contains(s.file)) << s.file.toStdString();
        EXPECT_TRUE(s.copy.startsWith(s.file + QStringLiteral(".damaged-")));
        EXPECT_EQ(readAll(s.copy), expected.take(s.file));
    }
    // Both files now hold what could be read of them, and nothing is damaged any more.
    for (const QString& f : {lm, cu}) {
        int damaged = -1;
        HiveData::fromText(readAll(f), f == lm ? kRoot : QStringLiteral("HKEY_CURRENT_USER"), &damaged);
        EXPECT_EQ(damaged, 0) << f.toStdString();
    }
    EXPECT_EQ(registryHive(HKEY_LOCAL_MACHINE)->value(QStringLiteral("S"), QStringLiteral("keep")), sz("mine"));
    EXPECT_EQ(registryHive(HKEY_CURRENT_USER)->value(QStringLiteral("S"), QStringLiteral("keep")), sz("yours"));
    EXPECT_TRUE(setAsideDamagedSettings().isEmpty());
}
