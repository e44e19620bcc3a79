// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tests/components_cd/BurnFixtures.h"
#include "tests/support/CompressedWavs.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

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
        if (c.estimated)
            EXPECT_FALSE(r.out.contains(QStringLiteral("CachingTrack"))) << r.out.toStdString();
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

TEST_F(BurnDriverTest, DataDiscsKeepLongNamesWholeAndSayWhereJolietCutsOne)
{
    // Two names past Joliet's standard 64 characters that differ only at their ends, and two
    // past even the 103 characters long Joliet names hold: a long stem, which keeps three
    // characters of its extension, and a short stem with a long extension, which keeps as much
    // of it as fits (the dot does not count).
    const QString stem = QStringLiteral("Mix Grüße 2024 - A Very Long Album Title - 01 - A Song Title With Many Charact");
    const QStringList names{stem + QStringLiteral("er0.mp3"), stem + QStringLiteral("er1.mp3"),
                            stem + QStringLiteral("ers And Then Some More Words To Pass 103.mp3"),
                            QStringLiteral("Booklet.") + QString(110, u'n')};
    const QStringList cuts{names[2].left(100) + QStringLiteral(".mp3"), QStringLiteral("Booklet.") + QString(96, u'n')};
    QStringList files;
    for (const QString& n : names) {
        fixtures::writeFile(path(n), QByteArray(5000, 'm'));
        files << path(n);
    }
    ASSERT_GT(names[0].size(), 64);
    ASSERT_LE(names[0].size(), 103);
    ASSERT_GT(names[2].size(), 103);
    for (const QString& engine : {QStringLiteral("1"), QStringLiteral("2")}) {
        const QString iso = path(QStringLiteral("engine%1.iso").arg(engine));
        const burnfixtures::Tool r = driver({path(QStringLiteral("disc.cue")), iso},
                                            QStringList{QStringLiteral("burn-data"), QStringLiteral("E"), engine} + files);
        ASSERT_EQ(r.status, 0) << r.out.toStdString();
        for (int i = 0; i < 2; ++i)
            EXPECT_TRUE(r.out.contains(QStringLiteral("Notice The name '%1' is longer than the 103 characters of a Joliet name: "
                                                      "readers of Joliet names see '%2'; readers of Rock Ridge names see it whole.\n")
                                           .arg(names[2 + i], cuts[i])))
                << r.out.toStdString();
        EXPECT_EQ(r.out.count(QStringLiteral("Notice ")), 2) << r.out.toStdString();

        // Rock Ridge, as xorriso reads it.
        const burnfixtures::Tool find = burnfixtures::run(QStringLiteral("xorriso"), {QStringLiteral("-abort_on"), QStringLiteral("FATAL"),
                                                                                      QStringLiteral("-indev"), iso, QStringLiteral("-find"),
                                                                                      QStringLiteral("/"), QStringLiteral("-type"), QStringLiteral("f")});
        ASSERT_EQ(find.status, 0) << find.out.toStdString();
        for (const QString& n : names)
            EXPECT_TRUE(find.out.contains(QStringLiteral("'/") + n + QStringLiteral("'\n"))) << n.toStdString() << "\n" << find.out.toStdString();
        // Joliet, as isoinfo reads it (in Latin-1, which holds every character of these names).
        QProcess isoinfo;
        isoinfo.start(QStringLiteral("isoinfo"), {QStringLiteral("-J"), QStringLiteral("-j"), QStringLiteral("iso8859-1"),
                                                  QStringLiteral("-l"), QStringLiteral("-i"), iso});
        ASSERT_TRUE(isoinfo.waitForFinished(60000));
        burnfixtures::Tool joliet{isoinfo.exitCode(), QString::fromLatin1(isoinfo.readAllStandardOutput())};
        ASSERT_EQ(joliet.status, 0) << QString::fromLatin1(isoinfo.readAllStandardError()).toStdString();
        EXPECT_TRUE(joliet.out.contains(names[0])) << joliet.out.toStdString();
        EXPECT_TRUE(joliet.out.contains(names[1])) << joliet.out.toStdString();
        for (const QString& cut : cuts)
            EXPECT_TRUE(joliet.out.contains(cut)) << cut.toStdString() << "\n" << joliet.out.toStdString();
    }
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
