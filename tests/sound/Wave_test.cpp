// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The recorder component against a private sound server whose default input is a pipe fed by
// the test: what is recorded is compared sample by sample with what was fed.
#include "components/cWave.h"
#include "tests/sound/SoundFixtures.h"
#include "tests/sound/Takes.h"
#include "tests/support/PulseServer.h"
#include "tests/support/SmallDisk.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QtEndian>

#include <gtest/gtest.h>


#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

namespace {

constexpr int kRate = PulseServer::kRate;

struct Recorded {
    int channels = 0, rate = 0, bits = 0;
    QByteArray data;
};

// Reads a plain 44-byte-header PCM WAV as the recorder writes it, checking its sizes.
bool readWav(const QString& path, Recorded* out)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray b = f.readAll();
    if (b.size() < 44 || !b.startsWith("RIFF") || b.mid(8, 8) != "WAVEfmt " || b.mid(36, 4) != "data")
        return false;
    const quint32 riff = qFromLittleEndian<quint32>(b.constData() + 4);
    const quint32 dataBytes = qFromLittleEndian<quint32>(b.constData() + 40);
    out->channels = qFromLittleEndian<quint16>(b.constData() + 22);
    out->rate = static_cast<int>(qFromLittleEndian<quint32>(b.constData() + 24));
    out->bits = qFromLittleEndian<quint16>(b.constData() + 34);
    const int block = qFromLittleEndian<quint16>(b.constData() + 32);
    if (block != out->channels * out->bits / 8 || dataBytes % block != 0 || riff != dataBytes + 36 + (dataBytes & 1) ||
        static_cast<qint64>(b.size()) != 44 + dataBytes + (dataBytes & 1))
        return false;
    out->data = b.mid(44, dataBytes);
    return true;
}

// Stereo 16-bit frames of one constant amplitude with alternating sign.
QByteArray square(qint64 frames, qint16 amplitude)
{
    QByteArray pcm(static_cast<qsizetype>(frames * 4), '\0');
    for (qint64 n = 0; n < frames; ++n) {
        const qint16 v = (n / 50) % 2 ? amplitude : static_cast<qint16>(-amplitude);
        qToLittleEndian<qint16>(v, pcm.data() + n * 4);
        qToLittleEndian<qint16>(v, pcm.data() + n * 4 + 2);
    }
    return pcm;
}

QByteArray tone(qint64 frames, double hz)
{
    QByteArray pcm(static_cast<qsizetype>(frames * 4), '\0');
    for (qint64 n = 0; n < frames; ++n) {
        const qint16 v = static_cast<qint16>(std::lround(16000 * std::sin(2 * M_PI * hz * n / kRate)));
        qToLittleEndian<qint16>(v, pcm.data() + n * 4);
        qToLittleEndian<qint16>(v, pcm.data() + n * 4 + 2);
    }
    return pcm;
}

cWave::WaveFormatEx formatOf(int rate, int bits, int channels)
{
    cWave::WaveFormatEx f;
    f.nChannels = static_cast<uint16_t>(channels);
    f.nSamplesPerSec = static_cast<uint32_t>(rate);
    f.wBitsPerSample = static_cast<uint16_t>(bits);
    f.nBlockAlign = static_cast<uint16_t>(bits / 8 * channels);
    f.nAvgBytesPerSec = f.nBlockAlign * f.nSamplesPerSec;
    return f;
}

class WaveRecording : public testing::Test {
protected:
    void SetUp() override
    {
        QString error;
        server = PulseServer::Shared(&error);
        ASSERT_TRUE(server) << qPrintable(error);
        dir = server->folder() + QStringLiteral("/rec-") + QString::fromLatin1(testing::UnitTest::GetInstance()->current_test_info()->name()).replace(QLatin1Char('/'), QLatin1Char('_'));
        QDir().mkpath(dir);
        wave = CreateWave();
        done = std::make_unique<QSignalSpy>(wave.get(), &cWave::DoneRecord);
        levels = std::make_unique<QSignalSpy>(wave.get(), &cWave::MeterLevel);
        device = takes::deviceNumber(*wave, cWave::KindInput, PulseServer::kPipeSource);
        ASSERT_GE(device, 0) << "the pipe source is not listed";
    }
    void TearDown() override
    {
        if (wave)
            wave->Release();
    }
    long start(const QString& path, cWave::WaveFormatEx format)
    {
        const long r = wave->RecordStart(device, path, format, 1600);
        QTest::qWait(300);  // the stream is connected before the first fed sample
        return r;
    }
    void feedAndSettle(const QByteArray& pcm)
    {
        server->feedSource(pcm);
        ASSERT_TRUE(server->waitFed(20000));
        QTest::qWait(600);
    }
    void stopAndWait()
    {
        wave->RecordStop();
        ASSERT_TRUE(done->wait(5000) || done->count() > 0) << "no DoneRecord";
    }

    PulseServer* server = nullptr;
    QString dir;
    std::unique_ptr<cWave> wave;
    std::unique_ptr<QSignalSpy> done;
    std::unique_ptr<QSignalSpy> levels;
    long device = -1;
};

TEST_F(WaveRecording, RecordsTheFedSamplesExactlyWithoutAGap)
{
    const QString path = dir + QStringLiteral("/counting.wav");
    ASSERT_EQ(start(path, formatOf(kRate, 16, 2)), 0);
    const qint64 frames = kRate * 2;
    feedAndSettle(soundfx::countingPcm(frames));
    stopAndWait();
    Recorded r;
    ASSERT_TRUE(readWav(path, &r));
    EXPECT_EQ(r.rate, kRate);
    EXPECT_EQ(r.channels, 2);
    EXPECT_EQ(r.bits, 16);
    const std::vector<qint64> heard = soundfx::heardNumbers(r.data);
    ASSERT_EQ(static_cast<qint64>(heard.size()), frames);
    for (qint64 i = 0; i < frames; ++i)
        ASSERT_EQ(heard[static_cast<size_t>(i)], i) << "at frame " << i;
    EXPECT_EQ(done->count(), 1);
    // Nothing but the finished file is left in the folder.
    EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("counting.wav")});
}

TEST_F(WaveRecording, RecordsInTheRequestedSmallFormat)
{
    const QString path = dir + QStringLiteral("/tone8.wav");
    ASSERT_EQ(start(path, formatOf(8000, 8, 1)), 0);
    feedAndSettle(tone(kRate, 440.0));
    stopAndWait();
    Recorded r;
    ASSERT_TRUE(readWav(path, &r));
    EXPECT_EQ(r.rate, 8000);
    EXPECT_EQ(r.channels, 1);
    EXPECT_EQ(r.bits, 8);
    // The loud stretch holds about one second at 8000 Hz; its crossings of the middle give 440 Hz.
    qint64 first = -1, last = -1, crossings = 0;
    for (qint64 i = 0; i < r.data.size(); ++i) {
        const int v = static_cast<unsigned char>(r.data[i]) - 128;
        if (std::abs(v) > 20) {
            if (first < 0)
                first = i;
            last = i;
        }
    }
    ASSERT_GE(first, 0);
    EXPECT_NEAR(static_cast<double>(last - first), 8000.0, 400.0);
    for (qint64 i = first + 1; i <= last; ++i) {
        const int a = static_cast<unsigned char>(r.data[i - 1]) - 128;
        const int b = static_cast<unsigned char>(r.data[i]) - 128;
        if (a < 0 && b >= 0)
            ++crossings;
    }
    EXPECT_NEAR(crossings * 8000.0 / static_cast<double>(last - first), 440.0, 5.0);
}

TEST_F(WaveRecording, MeterFollowsThePeakLevel)
{
    wave->MeterIn(true);
    ASSERT_EQ(start(dir + QStringLiteral("/meter.wav"), formatOf(kRate, 16, 2)), 0);
    struct Case {
        qint16 amplitude;
        int level;
    } cases[] = {{32767, 120}, {3277, 80}, {0, 0}};
    for (const Case& c : cases) {
        levels->clear();
        feedAndSettle(square(kRate / 2, c.amplitude));
        ASSERT_GE(levels->count(), 5) << "amplitude " << c.amplitude;
        std::vector<int> got;
        for (const QList<QVariant>& args : *levels)
            got.push_back(args.at(0).toInt());
        std::sort(got.begin(), got.end());
        EXPECT_NEAR(got[got.size() / 2], c.level, 1) << "amplitude " << c.amplitude;
    }
    stopAndWait();
}

TEST_F(WaveRecording, StopOrReleaseMidRecordingLeavesAValidFile)
{
    for (const bool release : {false, true}) {
        const QString path = dir + (release ? QStringLiteral("/released.wav") : QStringLiteral("/stopped.wav"));
        done->clear();
        ASSERT_EQ(start(path, formatOf(kRate, 16, 2)), 0);
        feedAndSettle(soundfx::countingPcm(kRate));
        if (release)
            wave->Release();
        else
            wave->RecordStop();
        EXPECT_TRUE(done->wait(3000) || done->count() == 1) << "release " << release;
        Recorded r;
        ASSERT_TRUE(readWav(path, &r)) << "release " << release;
        const std::vector<qint64> heard = soundfx::heardNumbers(r.data);
        ASSERT_EQ(static_cast<qint64>(heard.size()), kRate) << "release " << release;
        for (size_t i = 0; i < heard.size(); ++i)
            ASSERT_EQ(heard[i], static_cast<qint64>(i));
        EXPECT_FALSE(wave->IsRecording());
    }
}

TEST_F(WaveRecording, CutSilenceDropsTheQuietEnd)
{
    wave->CutSilence(true);
    wave->CutSilenceValue(20);
    const QString path = dir + QStringLiteral("/cut.wav");
    ASSERT_EQ(start(path, formatOf(kRate, 16, 2)), 0);
    feedAndSettle(square(kRate / 2, 1000) + QByteArray(kRate * 4 / 2, '\0'));
    stopAndWait();
    Recorded r;
    ASSERT_TRUE(readWav(path, &r));
    EXPECT_EQ(r.data.size(), kRate / 2 * 4);
}

TEST_F(WaveRecording, PreScreenPlaysTheRecordedBuffers)
{
    const long pipeOut = takes::deviceNumber(*wave, cWave::KindOutput, PulseServer::kPipeSink);
    ASSERT_GE(pipeOut, 0);
    cWave::WaveFormatEx format = formatOf(kRate, 16, 2);
    wave->PreScreenOpen(format, pipeOut);
    ASSERT_EQ(start(dir + QStringLiteral("/pre.wav"), format), 0);
    server->clearCapture();
    feedAndSettle(soundfx::countingPcm(kRate));
    QTest::qWait(500);
    stopAndWait();
    const std::vector<qint64> heard = soundfx::heardNumbers(server->captured());
    ASSERT_GT(heard.size(), static_cast<size_t>(kRate / 2));
    EXPECT_TRUE(std::is_sorted(heard.begin(), heard.end()));
}

TEST_F(WaveRecording, FailedStartsCreateNothingAndNameTheCause)
{
    struct Case {
        const char* what;
        long device;
        QString path;
        long code;
        QString named;
    } cases[] = {
        {"no such input", 99, dir + QStringLiteral("/none.wav"), cWave::ErrNoDevice, QStringLiteral("99")},
        {"no input selected", -1, dir + QStringLiteral("/none.wav"), cWave::ErrNoDevice, QStringLiteral("-1")},
        {"folder missing", device, dir + QStringLiteral("/missing/x.wav"), cWave::ErrFile, QStringLiteral("x.wav")},
    };
    for (Case& c : cases) {
        cWave::WaveFormatEx format = formatOf(kRate, 16, 2);
        long r = wave->RecordStart(c.device, c.path, format, 1600);
        EXPECT_EQ(r, c.code) << c.what;
        EXPECT_TRUE(wave->GetErrorText(r).contains(c.named)) << c.what << ": " << qPrintable(wave->GetErrorText(r));
        EXPECT_FALSE(wave->IsRecording()) << c.what;
    }
    QTest::qWait(100);
    EXPECT_EQ(done->count(), 0);
    EXPECT_TRUE(QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
}

// A disk that fills mid-recording: the take keeps the frames that fitted and nothing after what
// its header declares, and the reason names the file the user chose and the system's cause.
TEST_F(WaveRecording, FullDiskEndsTheTakeWithAValidFileAndTheReason)
{
    const QString small = dir + QStringLiteral("/small");
    const smalldisk::SmallDisk disk(small, "256k");
    if (!disk.mounted())
        GTEST_SKIP() << disk.refusal();

    const QString path = small + QStringLiteral("/full.wav");
    ASSERT_EQ(start(path, formatOf(kRate, 16, 2)), 0);
    server->feedSource(soundfx::countingPcm(kRate * 2));  // 352,800 bytes into 256 KiB
    ASSERT_TRUE(done->wait(20000) || done->count() > 0) << "the recording did not end on the full disk";
    EXPECT_FALSE(wave->IsRecording());
    long code = wave->RecordError();
    EXPECT_EQ(code, cWave::ErrFile);
    const QString why = wave->GetErrorText(code);
    EXPECT_TRUE(why.contains(QStringLiteral("'") + path + QStringLiteral("'"))) << qPrintable(why);
    EXPECT_TRUE(why.contains(QString::fromLocal8Bit(std::strerror(ENOSPC)))) << qPrintable(why);
    EXPECT_FALSE(why.contains(QStringLiteral(".part-"))) << qPrintable(why);

    Recorded r;
    ASSERT_TRUE(readWav(path, &r)) << "header sizes and file size disagree: " << QFileInfo(path).size();
    const std::vector<qint64> heard = soundfx::heardNumbers(r.data);
    ASSERT_GT(heard.size(), size_t(kRate / 4));
    EXPECT_EQ(static_cast<qint64>(heard.size()) * 4, r.data.size()) << "only fed frames, no silence or torn frame";
    for (size_t i = 0; i < heard.size(); ++i)
        ASSERT_EQ(heard[i], static_cast<qint64>(i)) << "at frame " << i;
    EXPECT_EQ(QDir(small).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("full.wav")});
    ASSERT_TRUE(server->waitFed(20000));
    QTest::qWait(200);
}

TEST_F(WaveRecording, PlaysAFileOnTheDefaultOutputAndReportsItsEnd)
{
    const QString path = dir + QStringLiteral("/play.wav");
    const QByteArray pcm = soundfx::countingPcm(kRate / 2);
    ASSERT_TRUE(soundfx::writeFile(path, soundfx::wavHeader(kRate, 2, 16, pcm.size()) + pcm));
    cWave::WaveFileInfo info;
    ASSERT_EQ(wave->GetFileInfo(path, info), 0);
    EXPECT_EQ(info.nSamplesPerSec, 44100u);
    EXPECT_EQ(info.FileName, QStringLiteral("play.wav"));
    QSignalSpy played(wave.get(), &cWave::DonePlay);
    server->clearCapture();
    ASSERT_EQ(wave->PlayStart(path, static_cast<int16_t>(device), 8000), 0);
    EXPECT_TRUE(wave->IsPlaying());
    ASSERT_TRUE(played.wait(5000));
    EXPECT_EQ(wave->GetPlayPosition(), 100);
    const std::vector<qint64> heard = soundfx::heardAfterEnd(*server, static_cast<size_t>(kRate / 2));
    ASSERT_EQ(heard.size(), static_cast<size_t>(kRate / 2));
    EXPECT_EQ(heard.back(), kRate / 2 - 1);
}

}  // namespace

TEST(MeterLevel, ScaleRunsFromSixtyDecibelsBelowToFullScale)
{
    EXPECT_EQ(MeterLevelOf(1.0), 120);
    EXPECT_EQ(MeterLevelOf(0.1), 80);
    EXPECT_EQ(MeterLevelOf(0.001), 0);
    EXPECT_EQ(MeterLevelOf(0.0), 0);
    EXPECT_EQ(MeterLevelOf(0.0001), 0);
}
