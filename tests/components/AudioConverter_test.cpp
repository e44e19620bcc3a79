// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/cAudioConverter.h"
#include "tests/components/WavFixtures.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using fixtures::Pcm;

namespace {

struct Outcome {
    QStringList ends;
    long code = 0;
    QString text;
    QList<int> progress;
};

// Starts the conversion and collects its events until the terminal one (plus a short settle,
// so that a second terminal event would be seen).
Outcome run(cAudioConverter& converter, int ms = 20000)
{
    Outcome o;
    QObject context;
    QObject::connect(&converter, &cAudioConverter::Progress, &context, [&](int p) { o.progress << p; });
    QObject::connect(&converter, &cAudioConverter::Done, &context, [&] { o.ends << QStringLiteral("Done"); });
    QObject::connect(&converter, &cAudioConverter::Aborted, &context, [&] { o.ends << QStringLiteral("Aborted"); });
    QObject::connect(&converter, &cAudioConverter::Error, &context, [&](long code, const QString& text) {
        o.ends << QStringLiteral("Error");
        o.code = code;
        o.text = text;
    });
    converter.Start();
    EXPECT_TRUE(o.ends.isEmpty()) << "no event from inside Start";
    QElapsedTimer t;
    t.start();
    while (o.ends.isEmpty() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 50)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return o;
}

class AudioConverterTest : public testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    QTemporaryDir dir;
    std::unique_ptr<cAudioConverter> converter = CreateAudioConverter();
};

TEST_F(AudioConverterTest, ConvertsARangeSampleExactlyAndSettingTheInputClearsIt)
{
    const Pcm pcm{44100, 2, 16};
    const int64_t frames = 44100 * 4;
    const QByteArray data = fixtures::pattern(pcm, frames, 21);
    const QString in = path(QStringLiteral("in.wav"));
    ASSERT_TRUE(fixtures::writeFile(in, fixtures::wavBytes(pcm, data)));
    converter->OutputFormat(1);
    converter->SetWavFormat({44100, 2, 16});
    converter->InputFile(in);
    converter->RangeStart(1);
    converter->RangeLength(2);
    converter->OutputFile(path(QStringLiteral("part.wav")));
    Outcome o = run(*converter);
    ASSERT_EQ(o.ends, QStringList{QStringLiteral("Done")}) << o.text.toStdString();
    EXPECT_FALSE(o.progress.isEmpty());
    EXPECT_EQ(o.progress.last(), 100);
    auto parsed = fixtures::parseWavFile(path(QStringLiteral("part.wav")));
    ASSERT_TRUE(parsed);
    EXPECT_TRUE(parsed->data == data.mid(44100 * 4, 2 * 44100 * 4));

    // A new input forgets the range: the whole file follows.
    converter->InputFile(in);
    EXPECT_EQ(converter->RangeStart(), -1);
    EXPECT_EQ(converter->RangeLength(), -1);
    converter->OutputFile(path(QStringLiteral("whole.wav")));
    o = run(*converter);
    ASSERT_EQ(o.ends, QStringList{QStringLiteral("Done")}) << o.text.toStdString();
    parsed = fixtures::parseWavFile(path(QStringLiteral("whole.wav")));
    ASSERT_TRUE(parsed);
    EXPECT_TRUE(parsed->data == data);
}

TEST_F(AudioConverterTest, ProbingAndListingDoNotDisturbARunningConversion)
{
    const Pcm pcm{44100, 2, 16};
    const QString big = path(QStringLiteral("big.wav"));
    ASSERT_TRUE(fixtures::writeFile(big, fixtures::wavBytes(pcm, fixtures::sine(pcm, 44100 * 60))));
    const QString small = path(QStringLiteral("small.wav"));
    const Pcm mono{22050, 1, 8};
    ASSERT_TRUE(fixtures::writeFile(small, fixtures::wavBytes(mono, fixtures::sine(mono, 22050 * 3 / 2))));

    converter->OutputFormat(1);
    converter->SetWavFormat({8000, 1, 8});
    converter->InputFile(big);
    converter->OutputFile(path(QStringLiteral("out.wav")));
    QSignalSpy done(converter.get(), &cAudioConverter::Done);
    QSignalSpy errors(converter.get(), &cAudioConverter::Error);
    converter->Start();

    EXPECT_EQ(converter->OpenSource(small), 0);
    EXPECT_EQ(converter->SourceSampleRate(), 22050);
    EXPECT_EQ(converter->SourceChannels(), 1);
    EXPECT_EQ(converter->SourceBits(), 8);
    EXPECT_EQ(converter->SourceDuration(), 1500);
    converter->CloseSource();
    QStringList tags;
    QObject::connect(converter.get(), &cAudioConverter::TagFound, [&](const QString& n) { tags << n; });
    converter->EnumAcmTags(1, 44100, 2, 16, 0);
    EXPECT_TRUE(tags.contains(QStringLiteral("PCM")));  // reported before the call returned
    EXPECT_GE(converter->WmaCodecCount(), 1);

    ASSERT_TRUE(done.wait(30000));
    EXPECT_EQ(errors.count(), 0);
    const auto parsed = fixtures::parseWavFile(path(QStringLiteral("out.wav")));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->pcm, (Pcm{8000, 1, 8}));
    EXPECT_NEAR(double(parsed->data.size()), 8000.0 * 60, 1152);
}

TEST_F(AudioConverterTest, OpenSourceAnswersNonZeroForWhatIsNotAudio)
{
    const QString text = path(QStringLiteral("readme.wav"));
    fixtures::writeFile(text, "plain words");
    EXPECT_NE(converter->OpenSource(text), 0);
    EXPECT_NE(converter->OpenSource(path(QStringLiteral("absent.mp3"))), 0);
    EXPECT_EQ(converter->SourceDuration(), 0);
}

TEST_F(AudioConverterTest, RefusalsAndFailuresArriveAsOneQueuedError)
{
    const Pcm pcm{44100, 2, 16};
    const QString in = path(QStringLiteral("in.wav"));
    ASSERT_TRUE(fixtures::writeFile(in, fixtures::wavBytes(pcm, fixtures::pattern(pcm, 4410, 22))));
    const QByteArray original = fixtures::readFile(in);

    struct Case {
        const char* name;
        QString input, output;
        long code;
    };
    const Case cases[] = {
        {"no input", QString(), path(QStringLiteral("o.wav")), 1},
        {"missing input", path(QStringLiteral("gone.wav")), path(QStringLiteral("o.wav")), 2},
        {"output is the input", in, in, 4},
        {"output under a file", in, in + QStringLiteral("/o.wav"), 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        converter->InputFile(c.input);
        converter->OutputFile(c.output);
        const Outcome o = run(*converter);
        ASSERT_EQ(o.ends, QStringList{QStringLiteral("Error")});
        EXPECT_EQ(o.code, c.code);
        if (!c.input.isEmpty()) {
            EXPECT_TRUE(o.text.contains(c.code == 2 ? c.input : c.output)) << o.text.toStdString();
        }
    }
    EXPECT_EQ(fixtures::readFile(in), original);
    EXPECT_EQ(fixtures::folderEntries(dir.path()), QStringList{QStringLiteral("in.wav")});
}

TEST_F(AudioConverterTest, AbortEndsWithAbortedAndReleaseSilencesEverything)
{
    const Pcm pcm{44100, 2, 16};
    const QString in = path(QStringLiteral("in.wav"));
    ASSERT_TRUE(fixtures::writeFile(in, fixtures::wavBytes(pcm, fixtures::sine(pcm, 44100 * 120))));
    converter->SetWavFormat({11025, 1, 8});
    converter->InputFile(in);
    converter->OutputFile(path(QStringLiteral("out.wav")));
    QSignalSpy aborted(converter.get(), &cAudioConverter::Aborted);
    QSignalSpy done(converter.get(), &cAudioConverter::Done);
    QSignalSpy progress(converter.get(), &cAudioConverter::Progress);
    converter->Start();
    ASSERT_TRUE(progress.wait(10000));
    QElapsedTimer t;
    t.start();
    converter->Abort();
    ASSERT_TRUE(aborted.wait(2000));
    EXPECT_LT(t.elapsed(), 500);
    EXPECT_EQ(done.count(), 0);
    EXPECT_EQ(fixtures::folderEntries(dir.path()), QStringList{QStringLiteral("in.wav")});

    // Abort while idle changes nothing; Release during a run stops it with no further event.
    converter->Abort();
    converter->Start();
    converter->Release();
    QCoreApplication::processEvents();
    EXPECT_FALSE(aborted.wait(200));
    EXPECT_EQ(aborted.count(), 1);
    EXPECT_EQ(done.count(), 0);
    EXPECT_EQ(fixtures::folderEntries(dir.path()), QStringList{QStringLiteral("in.wav")});
}

TEST_F(AudioConverterTest, FormatTimeShowsHoursMinutesSeconds)
{
    EXPECT_EQ(converter->FormatTime(0), QStringLiteral("00:00:00"));
    EXPECT_EQ(converter->FormatTime(3725), QStringLiteral("01:02:05"));
    EXPECT_EQ(converter->FormatTime(-4), QStringLiteral("00:00:00"));
}

}  // namespace

TEST_F(AudioConverterTest, OggKeepsTheSourcesRateAndChannels)
{
    // Vorbis settings name no rate or channels: a mono 22.05 kHz source stays so.
    const Pcm pcm{22050, 1, 16};
    const QString in = path(QStringLiteral("mono.wav"));
    ASSERT_TRUE(fixtures::writeFile(in, fixtures::wavBytes(pcm, fixtures::pattern(pcm, 22050, 5))));
    engine::OggFormatRecord ogg;
    ogg.Mode = 0;
    ogg.Quality = 50;
    converter->OutputFormat(5);
    converter->SetOggFormat(ogg);
    converter->InputFile(in);
    converter->OutputFile(path(QStringLiteral("mono.ogg")));
    const Outcome o = run(*converter);
    ASSERT_EQ(o.ends, QStringList{QStringLiteral("Done")}) << o.text.toStdString();
    ASSERT_EQ(converter->OpenSource(path(QStringLiteral("mono.ogg"))), 0);
    EXPECT_EQ(converter->SourceSampleRate(), 22050);
    EXPECT_EQ(converter->SourceChannels(), 1);
    EXPECT_NEAR(converter->SourceDuration(), 1000, 1);
}

TEST_F(AudioConverterTest, SourceDurationRoundsUpSoThatNoSampleLiesPastIt)
{
    // frames at 44100 Hz -> milliseconds: exact ones stay, any fraction goes up.
    const struct {
        int64_t frames;
        long ms;
    } cases[] = {
        {44100 * 60, 60000},       // whole seconds
        {44100 * 60 + 17, 60001},  // 60 s and 17 samples: 60000.39 ms
        {44100 * 60 + 44, 60001},  // 60000.998 ms
        {44100 * 60 + 45, 60002},  // 60001.02 ms
        {66150, 1500},             // exactly 1.5 s
        {1, 1},
    };
    const Pcm pcm{44100, 1, 16};
    for (const auto& c : cases) {
        const QString file = path(QStringLiteral("len%1.wav").arg(c.frames));
        ASSERT_TRUE(fixtures::writeFile(file, fixtures::wavBytes(pcm, fixtures::pattern(pcm, c.frames, 3))));
        ASSERT_EQ(converter->OpenSource(file), 0);
        EXPECT_EQ(converter->SourceDuration(), c.ms) << c.frames;
        // The last sample starts before the end the duration gives.
        EXPECT_LT(double(c.frames - 1) / 44100.0, converter->SourceDuration() / 1000.0) << c.frames;
        EXPECT_GE(double(converter->SourceDuration()) / 1000.0, double(c.frames) / 44100.0) << c.frames;
    }
}
