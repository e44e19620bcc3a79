// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The sound server goes away while a take is recorded. A file of its own: the server cannot come
// back for later tests in the same process.
#include "components/cWave.h"
#include "tests/sound/SoundFixtures.h"
#include "tests/support/PulseServer.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QtEndian>

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
    long device = -1;
    for (long i = 0; i < wave->GetDeviceCount(cWave::KindInput); ++i) {
        cWave::WaveDeviceCaps caps;
        if (wave->GetDeviceCaps(i, caps, cWave::KindInput) == 0 && caps.szId == QLatin1String(PulseServer::kPipeSource))
            device = i;
    }
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

    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << "the take is not in place";
    const QByteArray b = f.readAll();
    ASSERT_GE(b.size(), 44);
    const quint32 dataBytes = qFromLittleEndian<quint32>(b.constData() + 40);
    EXPECT_EQ(qFromLittleEndian<quint32>(b.constData() + 4), dataBytes + 36);
    ASSERT_EQ(static_cast<qint64>(b.size()), 44 + static_cast<qint64>(dataBytes));
    const std::vector<qint64> heard = soundfx::heardNumbers(b.mid(44));
    ASSERT_EQ(static_cast<qint64>(heard.size()), frames);
    for (qint64 i = 0; i < frames; ++i)
        ASSERT_EQ(heard[static_cast<size_t>(i)], i) << "at frame " << i;
    EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("take.wav")});
    QTest::qWait(200);
    EXPECT_EQ(done.count(), 1);
    wave->Release();
    EXPECT_EQ(done.count(), 1);
}

}  // namespace
