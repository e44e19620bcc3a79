// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The sound server goes away while a take is recorded. A file of its own: the server cannot come
// back for later tests in the same process.
#include "components/cWave.h"
#include "tests/sound/SoundFixtures.h"
#include "tests/sound/Takes.h"
#include "tests/support/PulseServer.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(RecordServerLoss, ServerKilledMidRecordingKeepsTheTakeAndSaysWhy)
{
    QString error;
    PulseServer* server = PulseServer::Shared(&error);
    ASSERT_TRUE(server) << qPrintable(error);
    const QString dir = server->folder() + QStringLiteral("/lost");
    ASSERT_TRUE(QDir().mkpath(dir));
    const QString path = dir + QStringLiteral("/take.wav");

    auto wave = CreateWave();
    QSignalSpy done(wave.get(), &cWave::DoneRecord);
    long device = takes::deviceNumber(*wave, cWave::KindInput, PulseServer::kPipeSource);
    ASSERT_GE(device, 0);
    cWave::WaveFormatEx format;  // 44100 Hz, 16 bits, stereo: the pipe source's own
    ASSERT_EQ(wave->RecordStart(device, path, format, 1600), 0);
    QTest::qWait(300);
    const qint64 frames = PulseServer::kRate;
    server->feedSource(soundfx::countingPcm(frames));
    ASSERT_TRUE(server->waitFed(20000));
    QTest::qWait(600);

    server->kill();
    ASSERT_TRUE(PulseServer::waitUntil([&] { return done.count() > 0; }, 5000)) << "no DoneRecord after the server died";
    EXPECT_FALSE(wave->IsRecording());
    long code = wave->RecordError();
    EXPECT_EQ(code, cWave::ErrNoDevice);
    EXPECT_TRUE(wave->GetErrorText(code).contains(QStringLiteral("sound server"))) << qPrintable(wave->GetErrorText(code));

    EXPECT_TRUE(takes::holdsCountedFrames(path, frames));
    EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("take.wav")});
    QTest::qWait(200);
    EXPECT_EQ(done.count(), 1);
    wave->Release();
    EXPECT_EQ(done.count(), 1);
}

}  // namespace
