// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The program is killed (SIGKILL, as by a crash or the power going) while the recorder records
// over a file the user already has: the take's part file is a valid WAV file of what was
// recorded, and the next start of the recorder puts it in place under a free name, with a log
// line, leaving the user's old file as it was. The take is found through the note the recorder
// keeps in the program folder (a restart of the program), and, where no note leads to it,
// when the next recording goes into its folder.
#include "foundation/mdlMain.h"
#include "mainwindow/FrmMain.h"
#include "recording/FrmMicRecorder.h"
#include "tests/commands/CommandsFixture.h"
#include "tests/sound/RecorderChild.h"
#include "tests/sound/RecorderStartup.h"
#include "tests/sound/SoundFixtures.h"
#include "tests/sound/Takes.h"
#include "tests/support/PulseServer.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <signal.h>

#include <cstdio>

namespace {

constexpr const char* kTakeVariable = "QM_RECORDER_KILL_TAKE";
constexpr const char* kDataVariable = "QM_RECORDER_KILL_DATA";

// The child: the program as the user starts it, recording over an existing file (the overwrite
// question answered Yes) until it is killed. With kDataVariable set it keeps its program folder
// where the test's restart looks, as one user's program does.
class RecorderKillChild : public CommandsFixture {};

TEST_F(RecorderKillChild, RecordsUntilKilled)
{
    const QString take = qEnvironmentVariable(kTakeVariable);
    if (take.isEmpty())
        GTEST_SKIP() << "started by RecorderKill only";
    if (!qEnvironmentVariableIsEmpty(kDataVariable))
        qputenv("XDG_DATA_HOME", qgetenv(kDataVariable));
    box.answer(platform::vbYes);
    takes::recordInThisProgramUntilEnded(take);
    if (HasFatalFailure())
        return;
    FAIL() << "the recorder closed before the kill came";
}

class RecorderKill : public CommandsFixture {
protected:
    void SetUp() override
    {
        QString error;
        server = PulseServer::Shared(&error);
        ASSERT_TRUE(server) << qPrintable(error);
        CommandsFixture::SetUp();
    }
    void TearDown() override
    {
        CommandsFixture::TearDown();
        g_lAppIncMicRec = 0;
    }
    // Records `frames` counted frames into `take` in a child program, kills it with SIGKILL once
    // the header has had time to follow, and returns the part file left behind.
    QString recordAndKill(const QString& take, qint64 frames, bool sharedProgramFolder)
    {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QLatin1String(kTakeVariable), take);
        if (sharedProgramFolder)
            env.insert(QLatin1String(kDataVariable), qEnvironmentVariable("XDG_DATA_HOME"));
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::SeparateChannels);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=RecorderKillChild.*")});
        EXPECT_TRUE(child.waitForStarted(5000));
        QByteArray out;
        QElapsedTimer t;
        t.start();
        while (!out.contains("recording\n") && t.elapsed() < 30000 && child.state() == QProcess::Running) {
            child.waitForReadyRead(100);
            out += child.readAllStandardOutput();
        }
        EXPECT_TRUE(out.contains("recording\n")) << out.constData() << child.readAllStandardError().constData();
        if (!out.contains("recording\n")) {
            child.kill();
            child.waitForFinished(5000);
            return {};
        }
        QTest::qWait(300);  // the stream is connected before the first fed sample
        server->feedSource(soundfx::countingPcm(frames));
        EXPECT_TRUE(server->waitFed(20000));
        QTest::qWait(1500);  // the header follows within a second
        EXPECT_EQ(::kill(pid_t(child.processId()), SIGKILL), 0);
        EXPECT_TRUE(child.waitForFinished(10000));
        const QDir dir = QFileInfo(take).dir();
        const QStringList parts = dir.entryList({QStringLiteral(".*recording-*")}, QDir::Files | QDir::Hidden);
        EXPECT_EQ(parts.size(), 1) << qPrintable(dir.entryList(QDir::Files | QDir::Hidden).join(QLatin1Char(' ')));
        return parts.size() == 1 ? dir.filePath(parts.first()) : QString();
    }
    // Runs `step` every 20 ms while the recorder, opened through the program's start-up, is shown.
    QString openRecorder(const std::function<bool(FrmMicRecorder*)>& step)
    {
        RecorderProfileStartup windows;
        EXPECT_TRUE(Main(windows, {}));
        FrmMain* f = frmMain.loaded();
        if (!f)
            return {};
        QString log;
        QTimer watcher;
        watcher.setInterval(20);
        QObject::connect(&watcher, &QTimer::timeout, [&] {
            FrmMicRecorder* w = g_frmMicRecorder.loaded();
            if (!w || !w->isVisible())
                return;
            if (step(w)) {
                log = w->txtResults->toPlainText();
                watcher.stop();
                w->cmdExit->click();
            }
        });
        watcher.start();
        QTimer::singleShot(30000, [] {
            if (g_frmMicRecorder.isLoaded())
                g_frmMicRecorder->cmdExit->click();
        });
        f->RunCommand(QStringLiteral("Audio Recorder"));
        return log;
    }
    PulseServer* server = nullptr;
};

TEST_F(RecorderKill, KilledTakeIsAValidFileAndTheNextStartPutsItBesideTheOldOne)
{
    const QString dir = server->folder() + QStringLiteral("/killed");
    ASSERT_TRUE(QDir().mkpath(dir));
    const QString take = dir + QStringLiteral("/take.wav");
    const QByteArray old = soundfx::countingPcm(100);
    {
        QFile f(take);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(old);
    }
    const qint64 frames = 2 * PulseServer::kRate;
    const QString part = recordAndKill(take, frames, true);
    ASSERT_FALSE(part.isEmpty());
    EXPECT_TRUE(takes::holdsCountedFrames(part, frames)) << "the header of the killed take follows its samples";

    // The program's next start: the recorder finds the take by its note.
    const QString log = openRecorder([](FrmMicRecorder*) { return true; });
    const QString recovered = dir + QStringLiteral("/take (recovered).wav");
    EXPECT_TRUE(log.contains(QStringLiteral(": TakeRecovered .")) && log.contains(recovered)) << qPrintable(log);
    EXPECT_TRUE(takes::holdsCountedFrames(recovered, frames));
    EXPECT_FALSE(QFile::exists(part));
    QFile f(take);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), old) << "the user's old file stays as it was";
}

TEST_F(RecorderKill, NextRecordingIntoTheFolderPutsTheKilledTakeInPlaceFirst)
{
    const QString dir = server->folder() + QStringLiteral("/again");
    ASSERT_TRUE(QDir().mkpath(dir));
    const QString take = dir + QStringLiteral("/take.wav");
    const qint64 frames = PulseServer::kRate;
    // The child's own program folder: no note of it reaches this process.
    const QString part = recordAndKill(take, frames, false);
    ASSERT_FALSE(part.isEmpty());

    enum { Pressed, Recording } state = Pressed;
    const QString log = openRecorder([&](FrmMicRecorder* w) {
        if (state == Pressed) {
            w->txtAudioFile->setText(take);
            w->cmdRecord->click();
            state = Recording;
            return false;
        }
        if (w->cmdRecord->isEnabled())
            return false;
        w->cmdStopRec->click();
        return true;
    });
    // Nothing stood at take.wav, but that is the name recorded now: the killed take gets another.
    const QString recovered = dir + QStringLiteral("/take (recovered).wav");
    EXPECT_TRUE(log.contains(QStringLiteral(": TakeRecovered .")) && log.contains(recovered)) << qPrintable(log);
    EXPECT_TRUE(takes::holdsCountedFrames(recovered, frames));
    EXPECT_FALSE(QFile::exists(part));
    const QStringList lines = QString(log).remove(QLatin1Char('\r')).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    qsizetype recoveredAt = -1, startedAt = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].contains(QStringLiteral(": TakeRecovered .")))
            recoveredAt = i;
        if (lines[i].contains(QStringLiteral(": RecordStart Success.")))
            startedAt = i;
    }
    EXPECT_GE(recoveredAt, 0);
    EXPECT_GT(startedAt, recoveredAt) << "put in place before the new recording starts";
}

// Killed with no file of the take's name in the folder: the take is still put in place under a
// name that says it was recovered, and the user is told in a box naming it as the recorder
// opens. The next Record to the take's own name finds it free (no question whose Yes would
// replace the recovered take) and leaves the recovered take as it was.
TEST_F(RecorderKill, RecoveredTakeIsNamedAsSuchAndSurvivesTheNextRecordToItsName)
{
    const QString dir = server->folder() + QStringLiteral("/fresh");
    ASSERT_TRUE(QDir().mkpath(dir));
    const QString take = dir + QStringLiteral("/take.wav");
    const qint64 frames = PulseServer::kRate;
    const QString part = recordAndKill(take, frames, true);
    ASSERT_FALSE(part.isEmpty());
    ASSERT_FALSE(QFile::exists(take));

    // Whatever box comes first is answered Yes, as Enter on a focused Yes would.
    box.answer(platform::vbYes);
    enum { Opened, Recording } state = Opened;
    QStringList saidAtOpening;
    const QString log = openRecorder([&](FrmMicRecorder* w) {
        if (state == Opened) {
            saidAtOpening = prompts();
            w->txtAudioFile->setText(take);
            w->cmdRecord->click();
            state = Recording;
            return false;
        }
        if (w->cmdRecord->isEnabled())
            return false;
        w->cmdStopRec->click();
        return true;
    });
    const QString recovered = dir + QStringLiteral("/take (recovered).wav");
    ASSERT_EQ(saidAtOpening.size(), 1) << qPrintable(saidAtOpening.join(QLatin1Char('|')));
    EXPECT_TRUE(saidAtOpening.first().contains(QLatin1Char('\'') + recovered + QLatin1Char('\'')))
        << qPrintable(saidAtOpening.first());
    EXPECT_EQ(box.shown.first().style, platform::vbInformation | platform::vbOKOnly);
    EXPECT_EQ(prompts(), saidAtOpening) << "no question before the Record";
    EXPECT_TRUE(log.contains(QStringLiteral(": RecordStart Success."))) << qPrintable(log);
    EXPECT_TRUE(takes::holdsCountedFrames(recovered, frames));
    EXPECT_TRUE(QFile::exists(take)) << "the new take is in place under its own name";
    EXPECT_FALSE(QFile::exists(part));
}

}  // namespace
