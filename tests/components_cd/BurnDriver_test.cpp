// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tests/components_cd/BurnFixtures.h"
#include "tests/support/CompressedWavs.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>

#include <signal.h>
#include <sys/stat.h>

namespace {

using fixtures::Pcm;

class BurnDriverTest : public testing::Test {
protected:
    burnfixtures::Tool driver(const QStringList& drives, const QStringList& args)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QUILLMERE_DRIVES"), drives.join(QLatin1Char(':')));
        p.setProcessEnvironment(env);
        p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/cd-driver"), args);
        EXPECT_TRUE(p.waitForFinished(60000));
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                QString::fromUtf8(p.readAllStandardOutput()) + QString::fromUtf8(p.readAllStandardError())};
    }
    QString path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
};

TEST_F(BurnDriverTest, BurnsAudioToACueDriveAndRefusesItOnAnIsoDrive)
{
    const Pcm cd{44100, 2, 16};
    const QByteArray pcm = fixtures::pattern(cd, 3000, 2);
    fixtures::writeFile(path(QStringLiteral("a.wav")), fixtures::wavBytes(cd, pcm));
    const QStringList drives{path(QStringLiteral("disc.cue")), path(QStringLiteral("data.iso"))};

    burnfixtures::Tool r = driver(drives, {QStringLiteral("burn-audio"), QStringLiteral("d"), path(QStringLiteral("a.wav"))});
    ASSERT_EQ(r.status, 0) << r.out.toStdString();
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("CachingTrack\nWritingTrack\n"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.endsWith(QStringLiteral("ClosingTrack 1\nClosingSession\nFinished\n"))) << r.out.toStdString();
    qputenv("QUILLMERE_DRIVES", drives.join(QLatin1Char(':')).toUtf8());
    EXPECT_TRUE(burnfixtures::ripTrack(QStringLiteral("D:"), 1) == burnfixtures::padToSector(pcm));
    qputenv("QUILLMERE_DRIVES", "");

    r = driver(drives, {QStringLiteral("burn-audio"), QStringLiteral("D:"), path(QStringLiteral("a.wav"))});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.contains(QStringLiteral("not empty"))) << r.out.toStdString();
    r = driver(drives, {QStringLiteral("burn-audio"), QStringLiteral("E:"), path(QStringLiteral("a.wav"))});
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("data.iso"))));
    r = driver(drives, {QStringLiteral("burn-audio"), QStringLiteral("E:"), path(QStringLiteral("none.wav"))});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.contains(QStringLiteral("Cannot add"))) << r.out.toStdString();
}

TEST_F(BurnDriverTest, BurnsDataWithEitherEngineAndExitsZeroOnlyWhenFinished)
{
    fixtures::writeFile(path(QStringLiteral("song one.mp3")), QByteArray(70000, 'm'));
    for (const QString& engine : {QStringLiteral("1"), QStringLiteral("2")}) {
        const QString iso = path(QStringLiteral("engine%1.iso").arg(engine));
        const QStringList drives{path(QStringLiteral("disc.cue")), iso};
        burnfixtures::Tool r = driver(drives, {QStringLiteral("burn-data"), QStringLiteral("E"), engine, path(QStringLiteral("song one.mp3"))});
        ASSERT_EQ(r.status, 0) << r.out.toStdString();
        EXPECT_EQ(burnfixtures::isoRootNames(iso), QStringList{QStringLiteral("song one.mp3")});

        r = driver(drives, {QStringLiteral("burn-data"), QStringLiteral("E"), engine, path(QStringLiteral("song one.mp3"))});
        EXPECT_EQ(r.status, 1) << engine.toStdString();
        r = driver(drives, {QStringLiteral("burn-data"), QStringLiteral("D"), engine, path(QStringLiteral("song one.mp3"))});
        EXPECT_EQ(r.status, 1) << engine.toStdString();
        EXPECT_FALSE(QFile::exists(path(QStringLiteral("disc.cue"))));
    }
    EXPECT_EQ(driver({}, {QStringLiteral("burn-data"), QStringLiteral("E"), QStringLiteral("3"), path(QStringLiteral("song one.mp3"))}).status, 2);
}

// Two album folders that each hold "01.mp3": the disc holds one file of a name, the later one,
// and the log says which; the same file given twice is burned once, said nowhere. Every engine
// follows that one rule.
TEST_F(BurnDriverTest, FilesOfOneNameLeaveTheLaterOneOnTheDiscWithEveryEngine)
{
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("first album"))) && QDir().mkpath(path(QStringLiteral("second album"))));
    const QString first = path(QStringLiteral("first album/01.mp3")), second = path(QStringLiteral("second album/01.mp3"));
    const QString other = path(QStringLiteral("first album/02.mp3"));
    fixtures::writeFile(first, QByteArray(7000, 'a'));
    fixtures::writeFile(second, QByteArray(9000, 'b'));
    fixtures::writeFile(other, QByteArray(3000, 'c'));
    const QString replaced = QStringLiteral("Notice Two files are named '01.mp3': the disc holds the later one, %1, in place of %2.\n");
    int n = 0;
    for (const char* engine : {"1", "2", "2:iso,joliet,udf"}) {
        SCOPED_TRACE(engine);
        const QString iso = path(QStringLiteral("same%1.iso").arg(++n));
        burnfixtures::Tool r = driver({iso}, {QStringLiteral("burn-data"), QStringLiteral("D"), QLatin1String(engine), first, other, second});
        ASSERT_EQ(r.status, 0) << r.out.toStdString();
        EXPECT_EQ(r.out.count(replaced.arg(second, first)), 1) << r.out.toStdString();
        EXPECT_EQ(burnfixtures::jolietNames(iso), (QStringList{QStringLiteral("01.mp3"), QStringLiteral("02.mp3")}));
        const QString out = path(QStringLiteral("out%1").arg(n));
        ASSERT_TRUE(burnfixtures::extractIso(iso, out));
        EXPECT_TRUE(fixtures::readFile(out + QStringLiteral("/01.mp3")) == fixtures::readFile(second));
        EXPECT_TRUE(fixtures::readFile(out + QStringLiteral("/02.mp3")) == fixtures::readFile(other));

        QFile::remove(iso);
        r = driver({iso}, {QStringLiteral("burn-data"), QStringLiteral("D"), QLatin1String(engine), other, other});
        ASSERT_EQ(r.status, 0) << r.out.toStdString();
        EXPECT_FALSE(r.out.contains(QStringLiteral("Notice"))) << r.out.toStdString();
        EXPECT_EQ(burnfixtures::jolietNames(iso), QStringList{QStringLiteral("02.mp3")});
    }
}

// Every name in the folder, hidden ones too.
QStringList folderNames(const QString& dir)
{
    QStringList names = QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System);
    names.sort();
    return names;
}

TEST_F(BurnDriverTest, ABurnToACueDriveNeverReplacesADataFileOfThatName)
{
    const Pcm cd{44100, 2, 16};
    fixtures::writeFile(path(QStringLiteral("a.wav")), fixtures::wavBytes(cd, fixtures::pattern(cd, 3000, 2)));
    // An album whose sheet has another name than its data file, as image tools write them.
    const QByteArray album(2352 * 75, 'A');
    fixtures::writeFile(path(QStringLiteral("CDImage.bin")), album);
    fixtures::writeFile(path(QStringLiteral("Album.cue")), "FILE \"CDImage.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n");
    const QStringList before = folderNames(dir.path());

    const burnfixtures::Tool r = driver({path(QStringLiteral("CDImage.cue"))},
                                        {QStringLiteral("burn-audio"), QStringLiteral("D"), path(QStringLiteral("a.wav"))});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.contains(path(QStringLiteral("CDImage.bin")) + QStringLiteral(" already exists"))) << r.out.toStdString();
    EXPECT_FALSE(r.out.contains(QStringLiteral("WritingTrack"))) << r.out.toStdString();
    EXPECT_EQ(folderNames(dir.path()), before);
    QFile bin(path(QStringLiteral("CDImage.bin")));
    ASSERT_TRUE(bin.open(QIODevice::ReadOnly));
    EXPECT_TRUE(bin.readAll() == album);
}

// cd-driver over drives given as bytes, as a shell would hand them over: names that are not
// UTF-8 reach it unchanged.
burnfixtures::DriverRun driverOverBytes(const QByteArray& drives, const QStringList& args)
{
    const QByteArray before = qgetenv("QUILLMERE_DRIVES");
    qputenv("QUILLMERE_DRIVES", drives);
    QProcess p;  // the environment of this process, bytes and all
    p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/cd-driver"), args);
    EXPECT_TRUE(p.waitForFinished(60000));
    qputenv("QUILLMERE_DRIVES", before);
    burnfixtures::DriverRun r;
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// Every name in the folder and below, as bytes.
QByteArrayList treeNames(const QString& dir)
{
    QByteArrayList names;
    QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        names << QFile::encodeName(it.next());
    std::sort(names.begin(), names.end());
    return names;
}

// A drive where no image can be written is one state with one sentence and its reason: the
// listing, toc and the burns say it alike, and nothing is written anywhere.
TEST_F(BurnDriverTest, ADriveThatCannotTakeAnImageSaysWhyInOneSentence)
{
    const Pcm cd{44100, 2, 16};
    fixtures::writeFile(path(QStringLiteral("a.wav")), fixtures::wavBytes(cd, fixtures::pattern(cd, 1176, 3)));
    fixtures::writeFile(path(QStringLiteral("there.bin")), QByteArray(2352, 'B'));
    const QByteArray root = QFile::encodeName(dir.path());
    ASSERT_EQ(::mkdir(QByteArray(root + "/caf\xe9").constData(), 0700), 0);
    const struct {
        const char* what;
        QByteArray drive;
        const char* kind;
        QString name;
        QString reason;
    } cases[] = {
        {"a double quote in the name", root + "/y\" WAVE.cue", "audio image", QStringLiteral("y\" WAVE.cue"),
         QStringLiteral("The drive 'D: y\" WAVE.cue' holds no disc and cannot be written: a cue sheet cannot name the data file "
                        "'y\" WAVE.bin', whose name holds a backslash, a double quote or a line break.")},
        {"a name that is not UTF-8", root + "/caf\xe9.cue", "audio image", QStringLiteral("caf\uFFFD.cue"),
         QStringLiteral("The drive 'D: caf\uFFFD.cue' cannot be used: its path '%1/caf\uFFFD.cue' is not valid UTF-8, which "
                        "the program cannot name; rename it.").arg(dir.path())},
        {"a folder whose name is not UTF-8", root + "/caf\xe9/x.cue", "audio image", QStringLiteral("x.cue"),
         QStringLiteral("The drive 'D: x.cue' cannot be used: its path '%1/caf\uFFFD/x.cue' is not valid UTF-8, which the "
                        "program cannot name; rename it.").arg(dir.path())},
        {"a data image whose name is not UTF-8", root + "/caf\xe9.iso", "data image", QStringLiteral("caf\uFFFD.iso"),
         QStringLiteral("The drive 'D: caf\uFFFD.iso' cannot be used: its path '%1/caf\uFFFD.iso' is not valid UTF-8, which "
                        "the program cannot name; rename it.").arg(dir.path())},
        {"a folder that does not exist", root + "/none/x.cue", "audio image", QStringLiteral("x.cue"),
         QStringLiteral("The drive 'D: x.cue' holds no disc and cannot be written: its folder '%1/none' does not exist.").arg(dir.path())},
        {"a data image in a folder that does not exist", root + "/none/x.iso", "data image", QStringLiteral("x.iso"),
         QStringLiteral("The drive 'D: x.iso' holds no disc and cannot be written: its folder '%1/none' does not exist.").arg(dir.path())},
        {"a data file of that name", root + "/there.cue", "audio image", QStringLiteral("there.cue"),
         QStringLiteral("The drive 'D: there.cue' holds no disc and cannot be written: the file %1/there.bin already exists; "
                        "the image would replace it.").arg(dir.path())},
    };
    const QByteArrayList before = treeNames(dir.path());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        burnfixtures::DriverRun r = driverOverBytes(c.drive, {QStringLiteral("drives")});
        EXPECT_EQ(r.out, QStringLiteral("D: %1\t%2\t0\t%3\n").arg(c.name, QLatin1String(c.kind), c.reason));
        r = driverOverBytes(c.drive, {QStringLiteral("toc"), QStringLiteral("D")});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, c.reason + QLatin1Char('\n'));
        const bool audio = QLatin1String(c.kind) == QLatin1String("audio image");
        for (const QStringList& burn : {audio ? QStringList{QStringLiteral("burn-audio"), QStringLiteral("D"), path(QStringLiteral("a.wav"))}
                                              : QStringList{QStringLiteral("burn-data"), QStringLiteral("D"), QStringLiteral("1"), path(QStringLiteral("a.wav"))},
                                        audio ? QStringList()
                                              : QStringList{QStringLiteral("burn-data"), QStringLiteral("D"), QStringLiteral("2"), path(QStringLiteral("a.wav"))}}) {
            if (burn.isEmpty())
                continue;
            SCOPED_TRACE(burn.join(QLatin1Char(' ')).toStdString());
            r = driverOverBytes(c.drive, burn);
            EXPECT_EQ(r.status, 1);
            EXPECT_TRUE(r.err.startsWith(c.reason)) << r.err.toStdString();
            EXPECT_FALSE(r.out.contains(QStringLiteral("Finished")) || r.out.contains(QStringLiteral("BurnerEnd"))) << r.out.toStdString();
        }
        EXPECT_EQ(treeNames(dir.path()), before);
    }
}

TEST_F(BurnDriverTest, AnEmptyTrackIsRefusedBeforeAnythingIsWritten)
{
    const Pcm cd{44100, 2, 16};
    fixtures::writeFile(path(QStringLiteral("a.wav")), fixtures::wavBytes(cd, fixtures::pattern(cd, 3000, 2)));
    fixtures::writeFile(path(QStringLiteral("empty.wav")), fixtures::wavBytes(cd, QByteArray()));
    const QStringList before = folderNames(dir.path());
    const QStringList drives{path(QStringLiteral("disc.cue"))};
    const burnfixtures::Tool r = driver(drives, {QStringLiteral("burn-audio"), QStringLiteral("D"), path(QStringLiteral("a.wav")),
                                                 path(QStringLiteral("empty.wav"))});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.contains(QStringLiteral("The file %1 holds no audio").arg(path(QStringLiteral("empty.wav"))))) << r.out.toStdString();
    EXPECT_FALSE(r.out.contains(QStringLiteral("CachingTrack"))) << r.out.toStdString();
    EXPECT_FALSE(r.out.contains(QStringLiteral("Finished"))) << r.out.toStdString();
    EXPECT_EQ(folderNames(dir.path()), before);
}

// A burn to a ".cue" drive ends "Finished" only with an image the program's own reader reads
// back; what it could not read back is refused before anything is written.
TEST_F(BurnDriverTest, AnImageBurnFinishesOnlyWithASheetItsOwnReaderReads)
{
    const Pcm cd{44100, 2, 16};
    fixtures::writeFile(path(QStringLiteral("a.wav")), fixtures::wavBytes(cd, fixtures::pattern(cd, 1176, 3)));
    const QStringList before = folderNames(dir.path());
    const struct {
        const char* what;
        QString drive;
        int tracks;
        QString said;
    } refused[] = {
        {"a hundred tracks", path(QStringLiteral("hundred.cue")), 100, QStringLiteral("An audio CD holds at most 99 tracks; 100 were given.")},
        {"a backslash in the name", path(QStringLiteral("back\\slash.cue")), 1, QStringLiteral("a cue sheet cannot name the data file 'back\\slash.bin'")},
        {"a line break in the name", path(QStringLiteral("new\nline.cue")), 1, QStringLiteral("a cue sheet cannot name the data file 'new\nline.bin'")},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.what);
        const QStringList args = QStringList{QStringLiteral("burn-audio"), QStringLiteral("D")} + QStringList(c.tracks, path(QStringLiteral("a.wav")));
        const burnfixtures::Tool r = driver({c.drive}, args);
        EXPECT_EQ(r.status, 1) << r.out.toStdString();
        EXPECT_TRUE(r.out.contains(c.said)) << r.out.toStdString();
        EXPECT_FALSE(r.out.contains(QStringLiteral("Finished"))) << r.out.toStdString();
        EXPECT_FALSE(r.out.contains(QStringLiteral("CachingTrack"))) << r.out.toStdString();
        EXPECT_EQ(folderNames(dir.path()), before);
    }

    // 99 tracks are a disc, and the reader lists every one of them.
    const QStringList args = QStringList{QStringLiteral("burn-audio"), QStringLiteral("D")} + QStringList(99, path(QStringLiteral("a.wav")));
    burnfixtures::Tool r = driver({path(QStringLiteral("most.cue"))}, args);
    ASSERT_EQ(r.status, 0) << r.out.toStdString();
    EXPECT_TRUE(r.out.endsWith(QStringLiteral("Finished\n"))) << r.out.toStdString();
    r = driver({path(QStringLiteral("most.cue"))}, {QStringLiteral("toc"), QStringLiteral("D")});
    ASSERT_EQ(r.status, 0) << r.out.toStdString();
    EXPECT_EQ(r.out.count(QLatin1Char('\n')), 99);
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("1\taudio\t0\t2\n2\taudio\t2\t2\n"))) << r.out.toStdString();
}

// A link in a drive's place is a file there, whether or not it leads anywhere: no burn writes
// through it into another folder, and the drive says why.
TEST_F(BurnDriverTest, ALinkInTheDrivesPlaceIsNeverWrittenThrough)
{
    const Pcm cd{44100, 2, 16};
    fixtures::writeFile(path(QStringLiteral("a.wav")), fixtures::wavBytes(cd, fixtures::pattern(cd, 1176, 3)));
    QTemporaryDir other;
    const QString there = other.path();
    ASSERT_TRUE(QFile::link(there + QStringLiteral("/target.bin"), path(QStringLiteral("d.bin"))));
    ASSERT_TRUE(QFile::link(there + QStringLiteral("/e.cue"), path(QStringLiteral("e.cue"))));
    ASSERT_TRUE(QFile::link(there + QStringLiteral("/f.iso"), path(QStringLiteral("f.iso"))));
    const struct {
        const char* what;
        QString drive;
        QStringList args;
        QString said;
    } cases[] = {
        {"a data file that leads nowhere", path(QStringLiteral("d.cue")), {QStringLiteral("burn-audio"), QStringLiteral("D"), path(QStringLiteral("a.wav"))},
         path(QStringLiteral("d.bin")) + QStringLiteral(" already exists")},
        {"a cue sheet that leads into another folder", path(QStringLiteral("e.cue")), {QStringLiteral("burn-audio"), QStringLiteral("D"), path(QStringLiteral("a.wav"))},
         QStringLiteral("The drive 'D: e.cue' holds no disc image: '%1' is a symbolic link to '%2', which does not exist.")
             .arg(path(QStringLiteral("e.cue")), there + QStringLiteral("/e.cue"))},
        {"a data image that leads into another folder", path(QStringLiteral("f.iso")),
         {QStringLiteral("burn-data"), QStringLiteral("D"), QStringLiteral("1"), path(QStringLiteral("a.wav"))},
         QStringLiteral("The drive 'D: f.iso' holds no disc image: '%1' is a symbolic link to '%2', which does not exist.")
             .arg(path(QStringLiteral("f.iso")), there + QStringLiteral("/f.iso"))},
        {"the same with the second engine", path(QStringLiteral("f.iso")),
         {QStringLiteral("burn-data"), QStringLiteral("D"), QStringLiteral("2"), path(QStringLiteral("a.wav"))},
         QStringLiteral("The drive 'D: f.iso' holds no disc image")},
    };
    const QStringList before = folderNames(dir.path());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const burnfixtures::Tool r = driver({c.drive}, c.args);
        EXPECT_EQ(r.status, 1) << r.out.toStdString();
        EXPECT_TRUE(r.out.contains(c.said)) << r.out.toStdString();
        EXPECT_FALSE(r.out.contains(QStringLiteral("Finished"))) << r.out.toStdString();
        EXPECT_EQ(QDir(there).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot), QStringList());
        EXPECT_EQ(folderNames(dir.path()), before);
    }
}

// A place that holds no image is said in one sentence by every tool: the listing, toc, the rip
// and the burn.
TEST_F(BurnDriverTest, APlaceThatHoldsNoImageIsOneStateWithOneMessage)
{
    const Pcm cd{44100, 2, 16};
    fixtures::writeFile(path(QStringLiteral("a.wav")), fixtures::wavBytes(cd, fixtures::pattern(cd, 1176, 3)));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("x.cue")));
    ASSERT_TRUE(QFile::link(path(QStringLiteral("gone.cue")), path(QStringLiteral("y.cue"))));
    const struct {
        const char* what;
        QString drive;
        QString message;
    } cases[] = {
        {"a folder", path(QStringLiteral("x.cue")), QStringLiteral("The drive 'D: x.cue' holds no disc image: '%1' is a folder.").arg(path(QStringLiteral("x.cue")))},
        {"a link that leads nowhere", path(QStringLiteral("y.cue")),
         QStringLiteral("The drive 'D: y.cue' holds no disc image: '%1' is a symbolic link to '%2', which does not exist.")
             .arg(path(QStringLiteral("y.cue")), path(QStringLiteral("gone.cue")))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        burnfixtures::DriverRun r = burnfixtures::cdDriver({c.drive}, {QStringLiteral("drives")});
        EXPECT_EQ(r.out, c.drive.section(QLatin1Char('/'), -1).prepend(QStringLiteral("D: ")) + QStringLiteral("\taudio image\t0\t") + c.message + QStringLiteral("\n"));
        r = burnfixtures::cdDriver({c.drive}, {QStringLiteral("toc"), QStringLiteral("D")});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, c.message + QStringLiteral("\n"));
        r = burnfixtures::cdDriver({c.drive}, {QStringLiteral("rip"), QStringLiteral("D"), QStringLiteral("1"), path(QStringLiteral("out.wav")),
                                               QStringLiteral("wav:44100:2:16")});
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(r.err.contains(c.message)) << r.err.toStdString();
        r = burnfixtures::cdDriver({c.drive}, {QStringLiteral("burn-audio"), QStringLiteral("D"), path(QStringLiteral("a.wav"))});
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(r.err.startsWith(c.message + QStringLiteral(" ("))) << r.err.toStdString();
        EXPECT_FALSE(r.out.contains(QStringLiteral("Finished"))) << r.out.toStdString();
    }
    EXPECT_TRUE(QFileInfo(path(QStringLiteral("x.cue"))).isDir());
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("gone.cue"))));
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("out.wav"))));
}

TEST_F(BurnDriverTest, ASourceThatDecodesWellShortOfWhatItClaimsIsRefusedAndNothingIsWritten)
{
    const Pcm cd{44100, 2, 16};
    fixtures::writeFile(path(QStringLiteral("a.wav")), fixtures::wavBytes(cd, fixtures::pattern(cd, 3000, 2)));
    const QByteArray mp3 = compressedwavs::mp3Tone(44100 * 2);
    ASSERT_FALSE(mp3.isEmpty());
    // Compressed WAVs whose length is estimated from their size: checked by a decode before the
    // burn starts. The MP3's info frame states its length: checked as its track is decoded.
    fixtures::writeFile(path(QStringLiteral("no frames.wav")), compressedwavs::mp3InWav(QByteArray(176400, '\0'), 44100));
    fixtures::writeFile(path(QStringLiteral("half zeroed.wav")), compressedwavs::mp3InWav(compressedwavs::zeroSecondHalf(mp3)));
    fixtures::writeFile(path(QStringLiteral("half zeroed.mp3")), compressedwavs::zeroSecondHalf(mp3));
    const QStringList before = folderNames(dir.path());
    const struct {
        const char* name;
        bool estimated;
    } cases[] = {{"no frames.wav", true}, {"half zeroed.wav", true}, {"half zeroed.mp3", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = path(QLatin1String(c.name));
        const burnfixtures::Tool r =
            driver({path(QStringLiteral("disc.cue"))}, {QStringLiteral("burn-audio"), QStringLiteral("D"), path(QStringLiteral("a.wav")), file});
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(r.out.contains(QStringLiteral("The file '") + file + QStringLiteral("' holds less audio than it claims")))
            << r.out.toStdString();
        if (c.estimated) {
            EXPECT_FALSE(r.out.contains(QStringLiteral("CachingTrack"))) << r.out.toStdString();
        }
        EXPECT_FALSE(r.out.contains(QStringLiteral("Finished"))) << r.out.toStdString();
        EXPECT_EQ(folderNames(dir.path()), before);
    }

    // Whole, the same frames make a track of all they hold.
    const QString whole = path(QStringLiteral("whole.wav"));
    fixtures::writeFile(whole, compressedwavs::mp3InWav(mp3));
    const burnfixtures::Tool r = driver({path(QStringLiteral("disc.cue"))}, {QStringLiteral("burn-audio"), QStringLiteral("D"), whole});
    ASSERT_EQ(r.status, 0) << r.out.toStdString();
    const QByteArray decoded = burnfixtures::decodeForCd(whole);
    EXPECT_GE(decoded.size(), 44100 * 2 * 4);
    qputenv("QUILLMERE_DRIVES", path(QStringLiteral("disc.cue")).toUtf8());
    EXPECT_TRUE(burnfixtures::ripTrack(QStringLiteral("D:"), 1) == burnfixtures::padToSector(decoded));
    qputenv("QUILLMERE_DRIVES", "");
}

TEST_F(BurnDriverTest, BurnedAndDuplicatedImagesFollowTheUmask)
{
    const Pcm cd{44100, 2, 16};
    fixtures::writeFile(path(QStringLiteral("a.wav")), fixtures::wavBytes(cd, fixtures::pattern(cd, 3000, 2)));
    const QStringList drives{path(QStringLiteral("disc.cue")), path(QStringLiteral("data.iso")), path(QStringLiteral("copy.cue"))};
    const mode_t old = ::umask(027);
    burnfixtures::Tool audio = driver(drives, {QStringLiteral("burn-audio"), QStringLiteral("D"), path(QStringLiteral("a.wav"))});
    burnfixtures::Tool data = driver(drives, {QStringLiteral("burn-data"), QStringLiteral("E"), QStringLiteral("1"), path(QStringLiteral("a.wav"))});
    burnfixtures::Tool copy = driver(drives, {QStringLiteral("duplicate"), QStringLiteral("D"), QStringLiteral("F")});
    ::umask(old);
    ASSERT_EQ(audio.status, 0) << audio.out.toStdString();
    ASSERT_EQ(data.status, 0) << data.out.toStdString();
    ASSERT_EQ(copy.status, 0) << copy.out.toStdString();
    for (const char* name : {"disc.cue", "disc.bin", "data.iso", "copy.cue", "copy.bin"}) {
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(path(QString::fromLatin1(name))).constData(), &st), 0) << name;
        EXPECT_EQ(st.st_mode & 0777, 0640u) << name;
    }
}

// The names the notices of a data burn's output say the disc holds, by the files' own names.
QMap<QString, QString> noticedNames(const QString& out)
{
    static const QRegularExpression notice(QStringLiteral("^Notice The name '(.*)' (?:is longer|holds)[^\n]*?: (?:readers of "
                                                          "(?:Joliet|UDF) names see '(.*)'; readers of Rock Ridge names see it whole|"
                                                          "the disc holds it as '(.*)')\\.$"),
                                           QRegularExpression::MultilineOption);
    QMap<QString, QString> said;
    for (auto m = notice.globalMatch(out); m.hasNext();) {
        const QRegularExpressionMatch one = m.next();
        said.insert(one.captured(1), one.captured(2).isEmpty() ? one.captured(3) : one.captured(2));
    }
    return said;
}

TEST_F(BurnDriverTest, DataDiscLogsSayTheNamesTheDiscHoldsWithEitherEngine)
{
    // Names past Joliet's standard 64 characters kept whole; two that Joliet's cut makes equal;
    // one of characters beyond UCS-2; a long stem, which keeps three characters of its
    // extension; a short stem with a long extension, which keeps as much of it as fits.
    const QString stem = QStringLiteral("Mix Grüße 2024 - A Very Long Album Title - 01 - A Song Title With Many Charact");
    const QString twin = QStringLiteral("Various Artists - The Very Long Compilation Title - Disc 1 - 07 - A Song Title That Goes On To ");
    const QStringList names{stem + QStringLiteral("er0.mp3"),
                            stem + QStringLiteral("er1.mp3"),
                            twin + QStringLiteral("Part A.mp3"),
                            twin + QStringLiteral("Part B.mp3"),
                            QString::fromUcs4(U"\U0001F3B5").repeated(60) + QStringLiteral(" song.mp3"),
                            stem + QStringLiteral("ers And Then Some More Words To Pass 103.mp3"),
                            QStringLiteral("Booklet.") + QString(110, u'n')};
    QStringList files;
    for (int i = 0; i < names.size(); ++i) {
        fixtures::writeFile(path(names[i]), QByteArray(5000 + 100 * i, char('A' + i)));
        files << path(names[i]);
    }
    ASSERT_LE(names[0].size(), 103);
    ASSERT_GT(twin.size() + 10, 104);
    struct Case {
        const char* engine;
        bool rockRidgeWhole;  // the library's images; the mastering tool's hold the given names everywhere
    };
    QList<QStringList> toldBy;  // the Joliet names, engine by engine
    for (const Case& c : {Case{"1", true}, Case{"2", true}, Case{"2:iso,joliet,udf", false}}) {
        SCOPED_TRACE(c.engine);
        const QString iso = path(QStringLiteral("engine%1.iso").arg(QString::fromLatin1(c.engine).left(1) + QString::number(c.rockRidgeWhole)));
        const burnfixtures::Tool r = driver({path(QStringLiteral("disc.cue")), iso},
                                            QStringList{QStringLiteral("burn-data"), QStringLiteral("E"), QLatin1String(c.engine)} + files);
        ASSERT_EQ(r.status, 0) << r.out.toStdString();
        const QMap<QString, QString> said = noticedNames(r.out);
        EXPECT_EQ(r.out.count(QStringLiteral("Notice ")), said.size()) << r.out.toStdString();
        // What the log says the disc holds, file by file, is what its Joliet tree holds.
        QStringList told;
        for (const QString& n : names)
            told << said.value(n, n);
        QStringList sorted = told;
        sorted.sort();
        EXPECT_EQ(burnfixtures::jolietNames(iso).join(QLatin1Char('\n')).toStdString(), sorted.join(QLatin1Char('\n')).toStdString())
            << r.out.toStdString();
        // Cut, numbered and replaced names are said; names that fit are not.
        EXPECT_FALSE(said.contains(names[0]));
        EXPECT_FALSE(said.contains(names[1]));
        EXPECT_TRUE(said.contains(names[2]) && said.contains(names[3]) && said.value(names[2]) != said.value(names[3]))
            << r.out.toStdString();
        EXPECT_EQ(said.value(names[4]).toStdString(), std::string(60, '_') + " song.mp3");
        EXPECT_TRUE(said.value(names[5]).endsWith(QStringLiteral(".mp3"))) << said.value(names[5]).toStdString();
        // One count of a Joliet name on every engine: 103 characters, the dot counted.
        EXPECT_EQ(said.value(names[5]).size(), 103) << said.value(names[5]).toStdString();
        EXPECT_EQ(said.value(names[6]).size(), 103) << said.value(names[6]).toStdString();
        toldBy << told;
        EXPECT_TRUE(said.value(names[6]).startsWith(QStringLiteral("Booklet.nnn"))) << said.value(names[6]).toStdString();
        // A notice's count of characters is that of the name it says the disc holds.
        static const QRegularExpression longer(QStringLiteral("^Notice The name '(.*)' is longer than the (\\d+) characters"),
                                               QRegularExpression::MultilineOption);
        int counted = 0;
        for (auto m = longer.globalMatch(r.out); m.hasNext(); ++counted) {
            const QRegularExpressionMatch one = m.next();
            EXPECT_EQ(one.captured(2).toInt(), said.value(one.captured(1)).size()) << one.captured(0).toStdString();
        }
        EXPECT_EQ(counted, 4);
        // The twins' files are where their names say: the notices do not swap them.
        for (const int i : {2, 3, 4}) {
            QByteArray got;
            for (const QString& name : QStringList{told[i] + QStringLiteral(";1"), told[i]})
                if (got.isEmpty())
                    got = burnfixtures::jolietFile(iso, name);
            EXPECT_TRUE(got == fixtures::readFile(files[i])) << told[i].toStdString();
        }
        if (c.rockRidgeWhole) {
            // Rock Ridge, as xorriso reads it, keeps every name whole.
            const burnfixtures::Tool find = burnfixtures::run(QStringLiteral("xorriso"), {QStringLiteral("-abort_on"), QStringLiteral("FATAL"),
                                                                                          QStringLiteral("-indev"), iso, QStringLiteral("-find"),
                                                                                          QStringLiteral("/"), QStringLiteral("-type"), QStringLiteral("f")});
            ASSERT_EQ(find.status, 0) << find.out.toStdString();
            for (const QString& n : names)
                EXPECT_TRUE(find.out.contains(QStringLiteral("'/") + n + QStringLiteral("'\n"))) << n.toStdString() << "\n" << find.out.toStdString();
        } else {
            // The UDF tree holds the same names, each file whole.
            const QMap<QString, QByteArray> udf = burnfixtures::udfRootFiles(iso);
            EXPECT_EQ(QStringList(udf.keys()).join(QLatin1Char('\n')).toStdString(), sorted.join(QLatin1Char('\n')).toStdString());
            for (int i = 0; i < names.size(); ++i)
                EXPECT_TRUE(udf.value(told[i]) == fixtures::readFile(files[i])) << told[i].toStdString();
        }
    }
    // Either engine gives one set of files the same Joliet names.
    ASSERT_EQ(toldBy.size(), 3);
    EXPECT_EQ(toldBy[0], toldBy[2]);
    EXPECT_EQ(toldBy[1], toldBy[2]);
}

// A burn to an image drive writes a part file of hundreds of megabytes; a burn killed by a signal
// (or a closed terminal) must take it with it, as the converter's jobs do.
TEST_F(BurnDriverTest, AKilledBurnLeavesNoPartFile)
{
    const Pcm cd{44100, 2, 16};
    fixtures::writeFile(path(QStringLiteral("a.wav")), fixtures::wavBytes(cd, fixtures::pattern(cd, 44100 * 60, 3)));
    QStringList args{QStringLiteral("burn-audio"), QStringLiteral("D:")};
    for (int i = 0; i < 40; ++i)
        args << path(QStringLiteral("a.wav"));
    auto others = [&] {
        QStringList names = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
        names.removeAll(QStringLiteral("a.wav"));
        return names;
    };
    for (int sig : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(sig);
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QUILLMERE_DRIVES"), path(QStringLiteral("disc.cue")));
        p.setProcessEnvironment(env);
        p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/cd-driver"), args);
        ASSERT_TRUE(p.waitForStarted());
        QElapsedTimer t;
        t.start();
        for (;;) {
            const QStringList names = others();
            if (names.size() == 1 && QFileInfo(dir.filePath(names.first())).size() > 4 * 1024 * 1024)
                break;
            ASSERT_LT(t.elapsed(), 30000) << "the burn never started writing";
            ASSERT_EQ(p.state(), QProcess::Running) << "the burn ended before it could be killed";
            QThread::msleep(2);
        }
        ASSERT_EQ(p.state(), QProcess::Running) << "the burn ended before it could be killed";
        ASSERT_TRUE(others().first().startsWith(QLatin1Char('.'))) << others().first().toStdString();
        ASSERT_EQ(::kill(pid_t(p.processId()), sig), 0);
        ASSERT_TRUE(p.waitForFinished(20000));
        EXPECT_EQ(p.exitStatus(), QProcess::CrashExit);
        EXPECT_EQ(others(), QStringList());
    }
}

}  // namespace
