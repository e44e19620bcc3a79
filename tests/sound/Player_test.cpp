// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The preview player against a private sound server whose default output is a pipe read into
// memory: what the server played is compared frame by frame with what the file holds.
#include "components/cPlayer.h"
#include "components/engine/AudioEngine.h"
#include "components/sound/AudioSnapshot.h"
#include "tests/sound/SoundFixtures.h"
#include "tests/support/FakeMessageBox.h"
#include "tests/support/PulseServer.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using soundfx::countingPcm;
using soundfx::firstSound;
using soundfx::heardNumbers;
using soundfx::noisePcm;

constexpr int kRate = 44100;

class PlayerSound : public testing::Test {
protected:
    void SetUp() override
    {
        QString error;
        server = PulseServer::Shared(&error);
        ASSERT_TRUE(server) << qPrintable(error);
        dir = server->folder();
        player = CreatePlayer();
        spy = std::make_unique<QSignalSpy>(player.get(), &cPlayer::PlayEnd);
        // Whatever an earlier test left playing has ended.
        QTest::qWait(100);
        server->clearCapture();
    }
    void TearDown() override
    {
        if (player)
            player->Release();
    }
    QString writeWav(const QString& name, const QByteArray& pcm)
    {
        const QString path = dir + QLatin1Char('/') + name;
        EXPECT_TRUE(soundfx::writeFile(path, soundfx::wavHeader(kRate, 2, 16, pcm.size()) + pcm));
        return path;
    }
    // What the pipe sink played, once it holds `bytes` after the first sound or half a second
    // has passed: a loaded machine's pipe reader lags by tens of milliseconds, while an end
    // raised before the sound was played would be further ahead than that.
    QByteArray capturedAfterEnd(qsizetype bytes) const
    {
        QByteArray heard;
        PulseServer::waitUntil([&] {
            heard = server->captured();
            const qint64 start = soundfx::firstSound(heard);
            return start >= 0 && heard.size() - start * 4 >= bytes;
        }, 500);
        return heard;
    }
    // Waits for the playback's end and checks it came once.
    void expectOneEnd(int ms)
    {
        ASSERT_TRUE(PulseServer::waitUntil([&] { return spy->count() > 0; }, ms)) << "no PlayEnd";
        QTest::qWait(200);
        EXPECT_EQ(spy->count(), 1);
    }
    // The runs of consecutive frame numbers heard, as (first, last).
    static std::vector<std::pair<qint64, qint64>> runs(const std::vector<qint64>& numbers)
    {
        std::vector<std::pair<qint64, qint64>> out;
        for (qint64 n : numbers) {
            if (!out.empty() && n == out.back().second + 1)
                out.back().second = n;
            else
                out.emplace_back(n, n);
        }
        return out;
    }

    PulseServer* server = nullptr;
    QString dir;
    std::unique_ptr<cPlayer> player;
    std::unique_ptr<QSignalSpy> spy;
};

TEST_F(PlayerSound, WavIsHeardBitExactAndEndsOnceAfterItsLastFrame)
{
    const QString wav = writeWav(QStringLiteral("noise.wav"), noisePcm(kRate * 3 / 2, 7));
    // The reference is what an independent tool reads out of the file.
    const QString raw = dir + QStringLiteral("/noise.raw");
    ASSERT_EQ(QProcess::execute(QStringLiteral("sox"), {wav, QStringLiteral("-t"), QStringLiteral("raw"), raw}), 0);
    QFile rawFile(raw);
    ASSERT_TRUE(rawFile.open(QIODevice::ReadOnly));
    const QByteArray expected = rawFile.readAll();

    ASSERT_EQ(player->OpenAndPlay(wav, -1), 0);
    EXPECT_TRUE(player->IsPlaying());
    EXPECT_NEAR(player->Length(), 1.5, 1e-9);
    ASSERT_TRUE(PulseServer::waitUntil([&] { return spy->count() > 0; }, 6000)) << "no PlayEnd";
    // The last frame has been played by the time the end is raised; the pipe's reader may be
    // a little behind it on a busy machine.
    const QByteArray heard = capturedAfterEnd(expected.size());
    const qint64 start = firstSound(heard);
    ASSERT_GE(start, 0) << "nothing was heard";
    ASSERT_GE(heard.size() - start * 4, expected.size()) << "the end came before the last frame was heard";
    EXPECT_TRUE(heard.mid(start * 4, expected.size()) == expected) << "the heard samples differ from the file";
    EXPECT_TRUE(player->ReachedEnd());
    EXPECT_FALSE(player->IsPlaying());
    QTest::qWait(200);
    EXPECT_EQ(spy->count(), 1);
}

TEST_F(PlayerSound, GaplessMp3IsHeardAsTheEngineDecodesIt)
{
    const QString lame = QStandardPaths::findExecutable(QStringLiteral("lame"));
    ASSERT_FALSE(lame.isEmpty()) << "lame is needed (tools/debian-packages.txt)";
    const QString wav = writeWav(QStringLiteral("for-mp3.wav"), noisePcm(kRate, 3));
    const QString mp3 = dir + QStringLiteral("/gapless.mp3");
    ASSERT_EQ(QProcess::execute(lame, {QStringLiteral("--quiet"), QStringLiteral("-b"), QStringLiteral("192"), wav, mp3}), 0);

    QString error;
    auto reader = engine::AudioReader::open(mp3, &error);
    ASSERT_TRUE(reader) << qPrintable(error);
    ASSERT_TRUE(reader->setOutputFormat(engine::PcmFormat{kRate, 2, 16}, &error));
    QByteArray decoded;
    QByteArray block(4096 * 4, '\0');
    for (int64_t n; (n = reader->read(reinterpret_cast<uint8_t*>(block.data()), 4096, &error)) > 0;)
        decoded.append(block.constData(), n * 4);
    const qint64 decodedStart = firstSound(decoded);
    ASSERT_GE(decodedStart, 0);
    const QByteArray expected = decoded.mid(decodedStart * 4);

    ASSERT_EQ(player->OpenAndPlay(mp3, -1), 0);
    expectOneEnd(6000);
    const QByteArray heard = capturedAfterEnd(expected.size());
    const qint64 start = firstSound(heard);
    ASSERT_GE(start, 0);
    ASSERT_GE(heard.size() - start * 4, expected.size());
    EXPECT_TRUE(heard.mid(start * 4, expected.size()) == expected);
    EXPECT_TRUE(player->ReachedEnd());
}

TEST_F(PlayerSound, SeekLandsOnItsFrameAndPauseLosesNothing)
{
    const QString wav = writeWav(QStringLiteral("counting.wav"), countingPcm(kRate * 7));
    ASSERT_EQ(player->OpenAndPlay(wav, -1), 0);
    ASSERT_TRUE(PulseServer::waitUntil([&] { return heardNumbers(server->captured()).size() > kRate / 4; }, 15000));
    player->Seek(4);
    QTest::qWait(400);
    // Position() follows what has been heard, not what has been decoded ahead of it.
    {
        const long position = player->Position();
        const std::vector<qint64> numbers = heardNumbers(server->captured());
        ASSERT_FALSE(numbers.empty());
        const qint64 last = numbers.back();
        EXPECT_LE(position * kRate, last + kRate / 4) << "position " << position << ", heard up to frame " << last;
        EXPECT_GT((position + 1) * kRate + kRate / 4, last) << "position " << position << ", heard up to frame " << last;
    }
    player->Pause();
    EXPECT_TRUE(player->IsPlaying());
    EXPECT_TRUE(player->IsPaused());
    QTest::qWait(400);
    player->Resume();
    QTest::qWait(300);
    // A seek while paused lands there when playback resumes.
    player->Pause();
    player->Seek(2);
    EXPECT_EQ(player->Position(), 2);
    QTest::qWait(200);
    player->Resume();
    expectOneEnd(9000);
    QTest::qWait(60);

    const auto heard = runs(heardNumbers(server->captured()));
    ASSERT_EQ(heard.size(), 3u) << "expected: the start, the part after Seek(4) with a pause in it, the part after Seek(2)";
    EXPECT_EQ(heard[0].first, 0);
    EXPECT_EQ(heard[1].first, 4 * kRate);
    EXPECT_EQ(heard[2].first, 2 * kRate);
    EXPECT_EQ(heard[2].second, 7 * kRate - 1);
    EXPECT_TRUE(player->ReachedEnd());
}

TEST_F(PlayerSound, DeviceNumberPicksTheOutput)
{
    const QString wav = writeWav(QStringLiteral("device.wav"), noisePcm(kRate * 2, 11));
    const QList<QAudioDevice> outputs = QMediaDevices::audioOutputs();
    long nullIndex = -1;
    long pipeIndex = -1;
    for (int i = 0; i < outputs.size(); ++i) {
        if (outputs[i].id() == PulseServer::kNullSink)
            nullIndex = i;
        if (outputs[i].id() == PulseServer::kPipeSink)
            pipeIndex = i;
    }
    ASSERT_GE(nullIndex, 0);
    ASSERT_GE(pipeIndex, 0);

    const struct {
        long device;
        bool onPipe;
    } cases[] = {{-1, true}, {99, true}, {nullIndex, false}, {pipeIndex, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.device);
        server->clearCapture();
        ASSERT_EQ(player->OpenAndPlay(wav, c.device), 0);
        ASSERT_TRUE(PulseServer::waitUntil([&] { return player->Position() >= 1; }, 15000))
            << "nothing played; playing " << player->IsPlaying() << ", ends " << spy->count() << ", captured "
            << server->captured().size() << " bytes";
        EXPECT_EQ(firstSound(server->captured()) >= 0, c.onPipe);
        player->Stop();
        QTest::qWait(50);
    }
}

// An output that takes nothing for a while, as a busy machine's sound server may, is not an
// output that is gone: the playback waits for it and then plays on to its last frame.
TEST_F(PlayerSound, AnOutputThatStallsWhileStillThereIsWaitedFor)
{
    const QString wav = writeWav(QStringLiteral("stall.wav"), countingPcm(kRate * 3));
    ASSERT_EQ(player->OpenAndPlay(wav, -1), 0);
    ASSERT_TRUE(PulseServer::waitUntil([&] {
        const std::vector<qint64> n = heardNumbers(server->captured());
        return !n.empty() && n.back() >= kRate / 2;
    }, 5000)) << "the start was not heard";
    const auto suspend = [](bool on) {
        return QProcess::execute(QStringLiteral("pactl"), {QStringLiteral("suspend-sink"), QLatin1String(PulseServer::kPipeSink),
                                                           QLatin1String(on ? "1" : "0")});
    };
    ASSERT_EQ(suspend(true), 0);
    QTest::qWait(2500);
    const bool endedWhileStalled = spy->count() > 0;
    ASSERT_EQ(suspend(false), 0);
    EXPECT_FALSE(endedWhileStalled) << "a stall of 2.5 s ended the playback";
    EXPECT_TRUE(player->IsPlaying());
    expectOneEnd(8000);
    EXPECT_TRUE(player->ReachedEnd());
    const std::vector<qint64> n = soundfx::heardAfterEnd(*server, kRate * 3);
    ASSERT_FALSE(n.empty());
    EXPECT_EQ(n.back(), kRate * 3 - 1) << "the end of the file was not heard";
}

TEST_F(PlayerSound, StopEndsOnceAndAReplacedPlaybackRaisesNothing)
{
    const QString wav = writeWav(QStringLiteral("stop.wav"), noisePcm(kRate * 3, 5));
    ASSERT_EQ(player->OpenAndPlay(wav, -1), 0);
    QTest::qWait(200);
    player->Stop();
    EXPECT_FALSE(player->IsPlaying());
    EXPECT_EQ(spy->count(), 0) << "raised from inside Stop()";
    expectOneEnd(1000);
    EXPECT_FALSE(player->ReachedEnd());

    // Stop, then a new playback before the stop's end is delivered: that end is dropped.
    spy->clear();
    ASSERT_EQ(player->OpenAndPlay(wav, -1), 0);
    player->Stop();
    ASSERT_EQ(player->OpenAndPlay(wav, -1), 0);
    QTest::qWait(300);
    EXPECT_EQ(spy->count(), 0);
    EXPECT_TRUE(player->IsPlaying());
    player->Stop();
    expectOneEnd(1000);
}

TEST_F(PlayerSound, AudioDataIsTheMomentHeardAndNothingWhileIdle)
{
    EXPECT_EQ(player->CurrentAudioData(), 0);
    const QString wav = writeWav(QStringLiteral("data.wav"), noisePcm(kRate * 2, 9));
    ASSERT_EQ(player->OpenAndPlay(wav, -1), 0);
    QTest::qWait(500);
    const long handle = player->CurrentAudioData();
    ASSERT_GT(handle, 0);
    const auto snap = AudioSnapshots::Get(handle);
    ASSERT_TRUE(snap);
    EXPECT_EQ(snap->frames(), 4096);
    EXPECT_EQ(snap->channels, 2);
    EXPECT_EQ(snap->sampleRate, kRate);
    EXPECT_FALSE(AudioSnapshots::Get(handle + 1000));
    // Load while a file plays changes nothing.
    const QString other = writeWav(QStringLiteral("other.wav"), noisePcm(kRate / 2, 1));
    EXPECT_EQ(player->Load(other), cPlayer::ErrBusy);
    EXPECT_NEAR(player->Length(), 2.0, 1e-9);
    player->Stop();
    expectOneEnd(1000);
    EXPECT_EQ(player->CurrentAudioData(), 0);
    EXPECT_EQ(player->Load(other), 0);
    EXPECT_NEAR(player->Length(), 0.5, 1e-9);
}

TEST_F(PlayerSound, AFileThatIsNoSoundIsRefusedWithOneMessage)
{
    const QString bad = dir + QStringLiteral("/not-audio.wav");
    ASSERT_TRUE(soundfx::writeFile(bad, QByteArray("this is no sound at all")));
    FakeMessageBox box;
    const long result = player->OpenAndPlay(bad, -1);
    EXPECT_EQ(result, cPlayer::ErrFile);
    EXPECT_FALSE(player->IsPlaying());
    player->ErrorReport(result);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_TRUE(box.shown[0].prompt.contains(QStringLiteral("not-audio.wav")));
    QTest::qWait(100);
    EXPECT_EQ(spy->count(), 0);
}

}  // namespace
