// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tests/components_cd/BurnFixtures.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

#include <signal.h>

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
