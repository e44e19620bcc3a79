// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// A log-out (SIGTERM) or Ctrl+C (SIGINT) while the recorder records: the program, started through
// its own start-up in a child process, ends with the take in place as a valid WAV file.
#include "components/cWave.h"
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
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <signal.h>

#include <cstdio>

namespace {

constexpr const char* kTakeVariable = "QM_RECORDER_SIGNAL_TAKE";

// The child: the program as started by the user, recording until a signal ends it.
class RecorderSignalChild : public CommandsFixture {};

TEST_F(RecorderSignalChild, RecordsUntilASignalEndsTheProcess)
{
    const QString take = qEnvironmentVariable(kTakeVariable);
    if (take.isEmpty())
        GTEST_SKIP() << "started by RecorderSignal only";
    takes::recordInThisProgramUntilEnded(take);
    if (HasFatalFailure())
        return;
    FAIL() << "the recorder closed before the signal came";
}

TEST(RecorderSignal, TermOrIntWhileRecordingLeavesTheTake)
{
    QString error;
    PulseServer* server = PulseServer::Shared(&error);
    ASSERT_TRUE(server) << qPrintable(error);
    for (const int sig : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(sig);
        const QString dir = server->folder() + QStringLiteral("/signal-%1").arg(sig);
        ASSERT_TRUE(QDir().mkpath(dir));
        const QString take = dir + QStringLiteral("/take.wav");
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QLatin1String(kTakeVariable), take);
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::SeparateChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_filter=RecorderSignalChild.*")});
        ASSERT_TRUE(child.waitForStarted(5000));
        QByteArray out;
        QElapsedTimer t;
        t.start();
        while (!out.contains("recording\n") && t.elapsed() < 30000 && child.state() == QProcess::Running) {
            child.waitForReadyRead(100);
            out += child.readAllStandardOutput();
        }
        ASSERT_TRUE(out.contains("recording\n")) << out.constData() << child.readAllStandardError().constData();
        QTest::qWait(300);  // the stream is connected before the first fed sample
        // Seconds of sound, the signal soon after the last of it has reached the server: the
        // take holds every frame, the last ones too (not only what had reached the file).
        const qint64 frames = 3 * PulseServer::kRate;
        server->feedSource(soundfx::countingPcm(frames));
        ASSERT_TRUE(server->waitFed(20000));
        QTest::qWait(300);

        ASSERT_EQ(::kill(pid_t(child.processId()), sig), 0);
        ASSERT_TRUE(child.waitForFinished(10000));
        EXPECT_EQ(child.exitStatus(), QProcess::CrashExit) << "ended by the signal, as before";

        EXPECT_TRUE(takes::holdsCountedFrames(take, frames));
        EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("take.wav")});
    }
}

}  // namespace
