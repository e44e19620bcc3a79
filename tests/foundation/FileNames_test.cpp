// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/mdlFileSystem.h"
#include "foundation/mdlFileTime.h"
#include "foundation/mdlFunctions.h"
#include "tests/support/SmallDisk.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QToolTip>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

struct SplitCase {
    const char* path;
    const char* fileName;
    const char* folder;
};

TEST(FileNames, SplitsPathsAtTheLastSlash)
{
    const SplitCase cases[] = {
        {"/music/a.wav", "a.wav", "/music/"},
        {"/a.wav", "a.wav", "/"},
        {"a.wav", "a.wav", ""},
        {"/music/", "", "/music/"},
        {"", "", ""},
        {"//server/share/x.mp3", "x.mp3", "//server/share/"},
        {"/music//a.wav", "a.wav", "/music//"},
        // A folder named like the file: the cut is still in front of the last element.
        {"/a.wav/a.wav", "a.wav", "/a.wav/"},
        {"C:\\Music\\a.wav", "C:\\Music\\a.wav", ""},
    };
    for (const SplitCase& c : cases) {
        SCOPED_TRACE(c.path);
        const QString path = QString::fromUtf8(c.path);
        EXPECT_EQ(GetFileName(path), QString::fromUtf8(c.fileName));
        EXPECT_EQ(GetFolderFromPath(path), QString::fromUtf8(c.folder));
        EXPECT_EQ(GetFolderOfFile(path), QString::fromUtf8(c.folder));
    }
}

struct ExtCase {
    const char* name;
    const char* extFromName;
    const char* fileExtension;
    const char* removed;
};

TEST(FileNames, ExtensionRulesWorkOnEveryDotOfTheText)
{
    const ExtCase cases[] = {
        {"song.mp3", "mp3", "mp3", "song"},
        {"my.song.mp3", "mp3", "mp3", "mysong"},
        {"a.b.c", "c", "c", "ab"},
        {"readme", "", "", ""},
        {"", "", "", ""},
        {".hidden", "hidden", "hidden", ""},
        {"name.", "", "", "name"},
        {"/a.b/c.wav", "wav", "wav", "/ab/c"},
        {"/a.b/file", "b/file", "b/file", "/a"},
        {"x.abcdefghijklmnop", "abcdefghijkl", "abcdefghijklmnop", "x"},
    };
    for (const ExtCase& c : cases) {
        SCOPED_TRACE(c.name);
        const QString name = QString::fromUtf8(c.name);
        EXPECT_EQ(GetExtFromName(name), QString::fromUtf8(c.extFromName));
        EXPECT_EQ(GetFileExtension(name), QString::fromUtf8(c.fileExtension));
        EXPECT_EQ(RemoveExtension(name), QString::fromUtf8(c.removed));
    }
}

TEST(FileNames, MakeSafeNameReplacesEveryUnsafeCharacterOnly)
{
    EXPECT_EQ(MakeSafeName(QStringLiteral("Track 01: Intro (Live)")), QStringLiteral("Track-01--Intro--Live-"));
    EXPECT_EQ(MakeSafeName(QStringLiteral("a.b_c-D9")), QStringLiteral("a.b_c-D9"));
    const QString unsafe = QStringLiteral("!/\\;:, $+&[](){}?*|<>\u05D6\uF893\u20AC@\u00A8~\u00B4`=%\u00BD#\u00A3'\"\u05D9");
    EXPECT_EQ(MakeSafeName(unsafe), QString(unsafe.size(), QLatin1Char('-')));
    EXPECT_EQ(MakeSafeName(QStringLiteral("\u00E9t\u00E9")), QStringLiteral("\u00E9t\u00E9"));
}

TEST(FileNames, ValidNamesAndTheKeyFilter)
{
    EXPECT_TRUE(IsValidFileName(QString()));
    EXPECT_TRUE(IsValidFileName(QStringLiteral("My list.v2")));
    for (QChar c : QStringLiteral("/\\:?*<>\"|")) {
        SCOPED_TRACE(QString(c).toStdString());
        EXPECT_FALSE(IsValidFileName(QStringLiteral("ab") + c + QStringLiteral("cd")));
        QLineEdit box;
        int16_t key = static_cast<int16_t>(c.unicode());
        FilterFileNameKey(&box, key);
        EXPECT_EQ(key, 0);
    }
    QToolTip::hideText();
    QLineEdit box;
    int16_t key = 'a';
    FilterFileNameKey(&box, key);
    EXPECT_EQ(key, 'a');
    EXPECT_EQ(QToolTip::text(), QString());
    key = '?';
    FilterFileNameKey(&box, key);
    EXPECT_EQ(QToolTip::text(), IllegalNameTipText());
    EXPECT_EQ(IllegalNameTipText(),
              QStringLiteral("Illegal name.\r\n\r\nThe chars:   /\\:?*<>\"|   are not legal."));
}

class FilesTest : public testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    void write(const QString& name, const QByteArray& bytes) const
    {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray read(const QString& name) const
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    QTemporaryDir dir;
};

TEST_F(FilesTest, FileExistsAndIsFolderTellFilesFromFolders)
{
    write(QStringLiteral("a.wav"), "x");
    QDir(dir.path()).mkdir(QStringLiteral("sub"));
    EXPECT_TRUE(FileExists(path(QStringLiteral("a.wav"))));
    EXPECT_FALSE(IsFolder(path(QStringLiteral("a.wav"))));
    EXPECT_FALSE(FileExists(path(QStringLiteral("sub"))));
    EXPECT_TRUE(IsFolder(path(QStringLiteral("sub"))));
    EXPECT_FALSE(FileExists(path(QStringLiteral("missing"))));
    EXPECT_FALSE(IsFolder(path(QStringLiteral("missing"))));
    EXPECT_FALSE(FileExists(QString()));
    EXPECT_FALSE(IsFolder(QString()));
}

TEST_F(FilesTest, CreateFolderPathMakesEveryLevel)
{
    EXPECT_EQ(CreateFolderPath(path(QStringLiteral("x/y/z/"))), 0);
    EXPECT_TRUE(IsFolder(path(QStringLiteral("x/y/z"))));
    EXPECT_EQ(CreateFolderPath(path(QStringLiteral("x/y/z"))), 0);  // existing: nothing to do
    EXPECT_EQ(CreateFolderPath(QString()), 0);

    write(QStringLiteral("file"), "x");
    EXPECT_NE(CreateFolderPath(path(QStringLiteral("file/below"))), 0);
    EXPECT_NE(CreateFolderPath(QStringLiteral("/proc/no-such-dir/x")), 0);
}

TEST_F(FilesTest, TextFilesRoundTripWithCrLf)
{
    const QString f = path(QStringLiteral("t.txt"));
    WriteTextFile(QStringLiteral("a\r\nb"), f);
    EXPECT_EQ(read(QStringLiteral("t.txt")), QByteArray("a\r\nb\r\n"));
    EXPECT_EQ(ReadTextFile(f), QStringLiteral("a\r\nb"));

    struct {
        QByteArray content;
        QString text;
    } cases[] = {
        {"", ""},
        {"\r\n", "\r\n"},
        {"a\nb\n", "a\r\nb"},
        {"a\rb", "a\r\nb"},
        {"\r\n\r\n", "\r\n"},
        {"x", "x"},
        {"\xc3\xa9t\xc3\xa9\r\n", QStringLiteral("\u00E9t\u00E9")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content.toStdString());
        write(QStringLiteral("r.txt"), c.content);
        EXPECT_EQ(ReadTextFile(path(QStringLiteral("r.txt"))), c.text);
    }
    EXPECT_EQ(ReadTextFile(path(QStringLiteral("missing"))), QString());
    EXPECT_EQ(ReadTextFile(dir.path()), QString());
}

TEST_F(FilesTest, WriteTextFileIntoAMissingFolderChangesNothing)
{
    WriteTextFile(QStringLiteral("x"), path(QStringLiteral("no/such/file")));
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("no"))));
}

TEST_F(FilesTest, LoadComboFromFileSkipsEmptyLinesInOrder)
{
    write(QStringLiteral("list.txt"), "one\r\n\r\ntwo\r\nthree\r\n");
    QComboBox cbo;
    cbo.addItem(QStringLiteral("old"));
    LoadComboFromFile(path(QStringLiteral("list.txt")), &cbo);
    ASSERT_EQ(cbo.count(), 3);
    EXPECT_EQ(cbo.itemText(0), QStringLiteral("one"));
    EXPECT_EQ(cbo.itemText(2), QStringLiteral("three"));
    LoadComboFromFile(path(QStringLiteral("missing")), &cbo);
    EXPECT_EQ(cbo.count(), 0);
}

TEST_F(FilesTest, TryDeleteFileDeletesFilesOnly)
{
    write(QStringLiteral("a"), "x");
    EXPECT_TRUE(TryDeleteFile(path(QStringLiteral("a"))));
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("a"))));
    EXPECT_FALSE(TryDeleteFile(path(QStringLiteral("a"))));
    QDir(dir.path()).mkdir(QStringLiteral("sub"));
    EXPECT_FALSE(TryDeleteFile(path(QStringLiteral("sub"))));
    EXPECT_TRUE(IsFolder(path(QStringLiteral("sub"))));
}

TEST(FileNames, ClearCollectionEmptiesIt)
{
    Collection c;
    c.Add(1, QStringLiteral("a"));
    c.Add(2);
    c.Add(3, QStringLiteral("c"));
    ClearCollection(c);
    EXPECT_EQ(c.Count(), 0);
    EXPECT_TRUE(c.Add(4, QStringLiteral("a")));
}

TEST(FileTimes, FileTimeToDateCountsFrom1601)
{
    EXPECT_EQ(FileTimeToDate(FILETIME{0, 0}).toDateTime(), QDateTime(QDate(1601, 1, 1), QTime(0, 0)));
    // 1 January 1970 is 116444736000000000 units after 1601.
    const FILETIME unixEpoch{0xD53E8000u, 0x019DB1DEu};
    EXPECT_EQ(FileTimeToDate(unixEpoch).toDateTime(), QDateTime(QDate(1970, 1, 1), QTime(0, 0)));
    EXPECT_DOUBLE_EQ(FileTimeToDate(unixEpoch).days, 25569.0);
    // Halves of a second and the top bit of the low half.
    const QDateTime moment(QDate(2024, 2, 29), QTime(23, 59, 58), QTimeZone::utc());
    const FILETIME ft = FileTimeFromDateTime(moment);
    EXPECT_EQ(FileTimeToDate(ft).toDateTime(), QDateTime(QDate(2024, 2, 29), QTime(23, 59, 58)));
    const FILETIME plusHalf = FileTimeFromDateTime(moment.addMSecs(400));
    EXPECT_EQ(FileTimeToDate(plusHalf).time(), QTime(23, 59, 58));
}

TEST_F(FilesTest, GetFileCreatedGivesTheLocalTimeOrZero)
{
    EXPECT_EQ(GetFileCreated(path(QStringLiteral("missing"))).days, 0.0);
    write(QStringLiteral("new"), "x");
    const QDateTime now = QDateTime::currentDateTime();
    const QDateTime created = GetFileCreated(path(QStringLiteral("new"))).toDateTime();
    EXPECT_LE(std::llabs(created.secsTo(QDateTime(now.date(), now.time()))), 5);

    DateValue c(1.0), a(2.0), w(3.0);
    EXPECT_TRUE(GetFileTimes(path(QStringLiteral("missing")), c, a, w, false));
    EXPECT_EQ(c.days, 1.0);
    EXPECT_EQ(w.days, 3.0);
}

TEST_F(FilesTest, OneLookAtAFileAnswersWhatAddingAsks)
{
    write(QStringLiteral("five"), "12345");
    write(QStringLiteral("empty"), "");
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("folder"))));
    struct Case {
        const char* name;
        bool exists, isFolder;
        qint64 size;
    } const cases[] = {
        {"five", true, false, 5},
        {"empty", true, false, 0},
        {"folder", true, true, 0},
        {"missing", false, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = path(QString::fromLatin1(c.name));
        const FileLook look = LookAtFile(file);
        EXPECT_EQ(look.exists, c.exists);
        EXPECT_EQ(look.isFolder, c.isFolder);
        EXPECT_EQ(look.size, c.size);
        // The creation time is the one GetFileCreated gives, local time included, and the
        // date-time made of it at its offset is that local reading and that moment.
        EXPECT_EQ(look.created.days, GetFileCreated(file).days);
        if (c.exists) {
            const QDateTime local = look.created.toDateTime();
            EXPECT_EQ(look.createdDateTime(), local);
            EXPECT_EQ(look.createdDateTime().date(), local.date());
            EXPECT_EQ(look.createdDateTime().time(), local.time());
        } else {
            EXPECT_FALSE(look.createdDateTime().isValid());
        }
    }
    EXPECT_FALSE(LookAtFile(QString()).exists);
}

}  // namespace

TEST(WriteFileAtomically, AWriteTheDiskRefusesLeavesTheOldFileWhole)
{
    QTemporaryDir dir;
    smalldisk::SmallDisk disk(dir.filePath(QStringLiteral("small")), "64k");
    if (!disk.mounted())
        GTEST_SKIP() << disk.refusal();
    const QString file = dir.filePath(QStringLiteral("small/Notes"));
    ASSERT_TRUE(WriteFileAtomically(file, "old text\r\n"));
    smalldisk::SmallDisk::fill(dir.filePath(QStringLiteral("small/filler")));
    EXPECT_FALSE(WriteFileAtomically(file, QByteArray(2000, 'n')));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("old text\r\n"));
}

TEST(WriteFileAtomically, ALinkToAFileIsWrittenThroughAndAnyOtherLinkIsLeftWithNothingMadeWhereItPoints)
{
    QTemporaryDir dir;
    const QString elsewhere = dir.filePath(QStringLiteral("elsewhere"));
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    ASSERT_TRUE(WriteFileAtomically(elsewhere + QStringLiteral("/file"), "old"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(elsewhere + QStringLiteral("/pipe")).constData(), 0644), 0);
    struct Case {
        const char* link;
        const char* leadsTo;  // in `elsewhere`
        bool written;         // through the link, which stays
    };
    const Case cases[] = {
        {"to-file", "file", true},
        {"dangling", "never", false},
        {"to-pipe", "pipe", false},
        {"to-folder", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.link);
        const QString link = dir.filePath(QLatin1String(c.link));
        const QString target = elsewhere + QLatin1Char('/') + QLatin1String(c.leadsTo);
        ASSERT_TRUE(QFile::link(target, link));
        EXPECT_EQ(WriteFileAtomically(link, "new"), c.written);
        EXPECT_TRUE(QFileInfo(link).isSymLink());
        if (c.written) {
            QFile f(target);
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            EXPECT_EQ(f.readAll(), QByteArray("new"));
        }
    }
    EXPECT_EQ(QDir(elsewhere).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
              QStringList({QStringLiteral("file"), QStringLiteral("pipe")}));
}
