// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The sound server is restarted while the recorder is open: Record says the server is not
// reachable while it is away, and records again once it is back, without the program being
// restarted. A file of its own: the server goes away and comes back for this process only.
#include "components/cWave.h"
#include "tests/sound/SoundFixtures.h"
#include "tests/sound/Takes.h"
#include "tests/support/PulseServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(RecordServerRestart, RecordSaysTheServerIsAwayThenRecordsOnceItIsBack)
{
    QString error;
    PulseServer* server = PulseServer::Shared(&error);
    ASSERT_TRUE(server) << qPrintable(error);
    const QString dir = server->folder() + QStringLiteral("/restart");
    ASSERT_TRUE(QDir().mkpath(dir));

    auto wave = CreateWave();
    QSignalSpy done(wave.get(), &cWave::DoneRecord);
    long device = takes::deviceNumber(*wave, cWave::KindInput, PulseServer::kPipeSource);
    ASSERT_GE(device, 0);
    cWave::WaveFormatEx format;

    server->kill();
    QTest::qWait(500);
    const QString away = dir + QStringLiteral("/away.wav");
    long code = wave->RecordStart(device, away, format, 1600);
    EXPECT_EQ(code, cWave::ErrNoDevice);
    const QString text = wave->GetErrorText(code);
    EXPECT_TRUE(text.contains(QStringLiteral("sound server")) && text.contains(QStringLiteral("not reachable")))
        << qPrintable(text);
    EXPECT_FALSE(wave->IsRecording());
    EXPECT_TRUE(QDir(dir).entryList(QDir::Files | QDir::Hidden).isEmpty());

    ASSERT_TRUE(server->restart(&error)) << qPrintable(error);
    QElapsedTimer t;
    t.start();
    const QString take = dir + QStringLiteral("/back.wav");
    device = takes::deviceNumber(*wave, cWave::KindInput, PulseServer::kPipeSource);
    code = wave->RecordStart(device, take, format, 1600);
    const qint64 waited = t.elapsed();
    ASSERT_EQ(code, 0) << qPrintable(wave->GetErrorText(code));
    EXPECT_LT(waited, 10000);
    QTest::qWait(300);
    const qint64 frames = PulseServer::kRate;
    server->feedSource(soundfx::countingPcm(frames));
    ASSERT_TRUE(server->waitFed(20000));
    QTest::qWait(600);
    wave->RecordStop();
    ASSERT_TRUE(PulseServer::waitUntil([&] { return done.count() > 0; }, 5000));
    EXPECT_EQ(wave->RecordError(), 0);
    EXPECT_TRUE(takes::holdsCountedFrames(take, frames));
}

}  // namespace
