// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/cAudioJoin.h"
#include "components/engine/WavFile.h"
#include "tests/components/WavFixtures.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <sys/resource.h>

using fixtures::Pcm;

namespace {

engine::WavFormatRecord wavRecord(const Pcm& pcm)
{
    return {pcm.rate, int16_t(pcm.channels), int16_t(pcm.bits)};
}

// Records every event with the thread it arrived on.
struct EventLog {
    EventLog(const EventLog&) = delete;
    explicit EventLog(cAudioJoin& join)
    {
        QObject::connect(&join, &cAudioJoin::Progress, &context, [this](int entry, int percent) {
            progress.append({entry, percent});
            threads.insert(QThread::currentThread());
        });
        QObject::connect(&join, &cAudioJoin::Done, &context, [this] { terminal("Done"); });
        QObject::connect(&join, &cAudioJoin::Aborted, &context, [this] { terminal("Aborted"); });
        QObject::connect(&join, &cAudioJoin::Error, &context, [this](long code, const QString& text) {
            errorCode = code;
            errorText = text;
            terminal("Error");
        });
    }
    void terminal(const char* what)
    {
        ends << QString::fromLatin1(what);
        threads.insert(QThread::currentThread());
    }
    // Waits for the terminal event, then a little longer for any stray second one.
    bool waitEnd(int ms = 20000)
    {
        QElapsedTimer t;
        t.start();
        while (ends.isEmpty() && t.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QElapsedTimer settle;
        settle.start();
        while (settle.elapsed() < 50)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return ends.size() == 1;
    }
    QObject context;  // ends the connections with the log
    QList<QPair<int, int>> progress;
    QStringList ends;
    QSet<QThread*> threads;
    long errorCode = 0;
    QString errorText;
};

class AudioJoinTest : public testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    QString makeWav(const QString& name, const Pcm& pcm, int64_t frames, int seed)
    {
        const QString p = path(name);
        EXPECT_TRUE(fixtures::writeFile(p, fixtures::wavBytes(pcm, fixtures::pattern(pcm, frames, seed))));
        return p;
    }
    QTemporaryDir dir;
    std::unique_ptr<cAudioJoin> join = CreateAudioJoin();
};

TEST_F(AudioJoinTest, SameFormatJoinCopiesSamplesExactlyWithRanges)
{
    struct Case {
        const char* name;
        Pcm pcm;
    };
    const Case cases[] = {{"cd", {44100, 2, 16}}, {"mono8", {22050, 1, 8}}, {"hi24", {48000, 2, 24}},
                          {"odd-rate", {11025, 1, 16}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Pcm pcm = c.pcm;
        const int bpf = pcm.bytesPerFrame();
        // Three-second files with a ragged tail, so cuts near the end are checked too.
        const int64_t frames = 3 * int64_t(pcm.rate) + 17;
        const QString a = makeWav(QStringLiteral("%1-a.wav").arg(c.name), pcm, frames, 1);
        const QString b = makeWav(QStringLiteral("%1-b.wav").arg(c.name), pcm, frames, 2);
        const QByteArray da = fixtures::pattern(pcm, frames, 1), db = fixtures::pattern(pcm, frames, 2);
        auto slice = [&](const QByteArray& d, int64_t startSec, int64_t lengthSec) {
            const int64_t first = std::min<int64_t>(startSec * pcm.rate, frames);
            const int64_t count = std::min<int64_t>(lengthSec * pcm.rate, frames - first);
            return d.mid(qsizetype(first * bpf), qsizetype(count * bpf));
        };

        join->DestinationFormat(engine::dfWAV);
        join->SetWavFormat(wavRecord(pcm));
        while (join->FileCount() > 0)
            join->RemoveFile(1);
        join->AddFile(a, -1, -1);
        join->AddFile(b, 1, 1);   // the middle second
        join->AddFile(a, 2, 5);   // runs past the end: what is there
        join->AddFile(b, -1, -1);
        join->AddFile(a, 0, 1);
        const QString out = path(QStringLiteral("%1-out.wav").arg(c.name));
        join->OutputFile(out);
        EventLog log(*join);
        join->Join();
        EXPECT_TRUE(log.ends.isEmpty()) << "no event from inside Join";
        ASSERT_TRUE(log.waitEnd()) << log.ends.join(',').toStdString();
        ASSERT_EQ(log.ends.first(), QStringLiteral("Done")) << log.errorText.toStdString();

        const auto parsed = fixtures::parseWavFile(out);
        ASSERT_TRUE(parsed);
        EXPECT_EQ(parsed->pcm, pcm);
        EXPECT_FALSE(parsed->rf64);
        const QByteArray expected = da + slice(db, 1, 1) + slice(da, 2, 5) + db + slice(da, 0, 1);
        EXPECT_EQ(parsed->data.size(), expected.size());
        EXPECT_TRUE(parsed->data == expected);

        // Every entry is reported, in order, and ends at 100 %; all on this thread.
        QList<int> finishedEntries;
        int last = 0;
        for (const auto& [entry, percent] : log.progress) {
            EXPECT_GE(entry, last);
            last = entry;
            if (percent == 100)
                finishedEntries << entry;
        }
        EXPECT_EQ(finishedEntries, (QList<int>{1, 2, 3, 4, 5}));
        EXPECT_EQ(log.threads, QSet<QThread*>{QThread::currentThread()});
        EXPECT_EQ(fixtures::folderEntries(dir.path()).filter(QStringLiteral(".part")), QStringList());
    }
}

TEST_F(AudioJoinTest, TagsSetBeforeJoinGoIntoTheOutputAndLaterChangesWaitForTheNextJoin)
{
    const Pcm pcm{44100, 2, 16};
    join->AddFile(makeWav(QStringLiteral("a.wav"), pcm, 44100, 14), -1, -1);
    join->SetWavFormat(wavRecord(pcm));
    join->TagTitle(QStringLiteral("Joined Title"));
    join->TagArtist(QStringLiteral("Ärtist"));
    join->TagTrack(QStringLiteral("3"));
    join->OutputFile(path(QStringLiteral("tagged.wav")));
    EventLog log(*join);
    join->Join();
    join->TagTitle(QStringLiteral("Too Late"));
    join->AddFile(path(QStringLiteral("a.wav")), -1, -1);
    ASSERT_TRUE(log.waitEnd());
    ASSERT_EQ(log.ends.first(), QStringLiteral("Done")) << log.errorText.toStdString();
    const auto parsed = fixtures::parseWavFile(path(QStringLiteral("tagged.wav")));
    ASSERT_TRUE(parsed);
    EXPECT_TRUE(parsed->info.contains("INAM"));
    EXPECT_TRUE(parsed->info.contains("Joined Title"));
    EXPECT_TRUE(parsed->info.contains(QStringLiteral("Ärtist").toUtf8()));
    EXPECT_FALSE(parsed->info.contains("Too Late"));
    EXPECT_EQ(parsed->data.size(), 44100 * 4);
    EXPECT_EQ(join->TagTitle(), QStringLiteral("Too Late"));
}

TEST_F(AudioJoinTest, ListMembersKeepOrderAndRanges)
{
    join->AddFile(QStringLiteral("/a.wav"), -1, -1);
    join->AddFile(QStringLiteral("/b.wav"), 12, 30);
    join->AddFile(QStringLiteral("/c.wav"), 0, 5);
    EXPECT_EQ(join->FileCount(), 3);
    long start = 0, length = 0;
    EXPECT_EQ(join->GetFile(2, start, length), QStringLiteral("/b.wav"));
    EXPECT_EQ(start, 12);
    EXPECT_EQ(length, 30);
    join->RemoveFile(1);
    EXPECT_EQ(join->GetFile(1, start, length), QStringLiteral("/b.wav"));
    EXPECT_EQ(join->GetFile(3, start, length), QString());
    EXPECT_EQ(start, -1);
    join->RemoveFile(7);
    EXPECT_EQ(join->FileCount(), 2);
    join->RemoveFile(1);
    join->RemoveFile(1);
    EXPECT_EQ(join->FileCount(), 0);
}

TEST_F(AudioJoinTest, MixedSourcesAreConvertedToTheTargetFormat)
{
    const Pcm target{44100, 2, 16};
    struct Source {
        const char* name;
        Pcm pcm;
        double seconds;
    };
    const Source sources[] = {{"mono8.wav", {44100, 1, 8}, 1.0},
                              {"deep24.wav", {44100, 2, 24}, 1.5},
                              {"half-rate.wav", {22050, 2, 16}, 2.0},
                              {"mono-low.wav", {22050, 1, 16}, 0.5}};
    double totalSeconds = 0;
    for (const Source& s : sources) {
        const int64_t frames = int64_t(s.seconds * s.pcm.rate);
        ASSERT_TRUE(fixtures::writeFile(path(s.name), fixtures::wavBytes(s.pcm, fixtures::sine(s.pcm, frames))));
        join->AddFile(path(s.name), -1, -1);
        totalSeconds += s.seconds;
    }
    // Compressed sources, made with our own encoders from a 1.25 s sine.
    const Pcm cd{44100, 2, 16};
    const QByteArray tone = fixtures::sine(cd, 55125);
    engine::Mp3FormatRecord mp3;
    mp3.Bitrate = 128;
    mp3.SampleRate = 44100;
    mp3.Mode = engine::mp3JointStereo;
    mp3.Quality = 5;
    mp3.WriteVBRTag = -1;
    engine::OutputSpec mp3Spec{engine::dfMP3, mp3.toBytes(), {}, {}, 0, {}};
    engine::OutputSpec oggSpec{engine::dfOGG, engine::OggFormatRecord{0, 0, 40}.toBytes(), {}, {}, 0, {}};
    for (const auto& [name, spec] : {std::pair{QStringLiteral("tone.mp3"), mp3Spec}, {QStringLiteral("tone.ogg"), oggSpec}}) {
        QString error;
        auto writer = engine::AudioWriter::create(spec, path(name), {}, &error);
        ASSERT_TRUE(writer) << error.toStdString();
        ASSERT_EQ(writer->inputFormat(), (engine::PcmFormat{44100, 2, 16}));
        ASSERT_TRUE(writer->write(reinterpret_cast<const uint8_t*>(tone.constData()), 55125, &error));
        ASSERT_TRUE(writer->finish(&error)) << error.toStdString();
        join->AddFile(path(name), -1, -1);
        totalSeconds += 1.25;
    }

    join->DestinationFormat(engine::dfWAV);
    join->SetWavFormat(wavRecord(target));
    const QString out = path(QStringLiteral("mixed.wav"));
    join->OutputFile(out);
    EventLog log(*join);
    join->Join();
    ASSERT_TRUE(log.waitEnd());
    ASSERT_EQ(log.ends.first(), QStringLiteral("Done")) << log.errorText.toStdString();
    const auto parsed = fixtures::parseWavFile(out);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->pcm, target);
    const int64_t frames = parsed->data.size() / target.bytesPerFrame();
    // Within one codec frame of the sum (the lossy sources are the only inexact ones).
    EXPECT_NEAR(double(frames), totalSeconds * target.rate, 1152.0);

    // The 8-bit mono source arrives on both channels at 16-bit scale, not as noise or silence.
    const auto* s = reinterpret_cast<const int16_t*>(parsed->data.constData());
    int peak = 0;
    for (int f = 0; f < target.rate / 2; ++f) {
        EXPECT_NEAR(s[2 * f], s[2 * f + 1], 1);
        peak = std::max(peak, std::abs(int(s[2 * f])));
    }
    EXPECT_NEAR(peak, int(0.4 * 32767), 400);
}

TEST_F(AudioJoinTest, BadInputsEndInOneErrorNamingTheFileAndLeaveTheOutputAlone)
{
    const Pcm pcm{44100, 2, 16};
    const QString good = makeWav(QStringLiteral("good.wav"), pcm, 44100, 3);
    const QString text = path(QStringLiteral("notes.wav"));
    fixtures::writeFile(text, "These are my notes, not audio at all.\nLine two.\n");
    const QString empty = path(QStringLiteral("empty.wav"));
    fixtures::writeFile(empty, {});
    const QString cutData = path(QStringLiteral("cut-data.wav"));
    fixtures::writeFile(cutData, fixtures::wavBytes(pcm, fixtures::pattern(pcm, 1000, 4), 400000));
    const QString cutHeader = path(QStringLiteral("cut-header.wav"));
    fixtures::writeFile(cutHeader, fixtures::wavBytes(pcm, fixtures::pattern(pcm, 1000, 5)).left(30));
    const QString missing = path(QStringLiteral("missing.wav"));

    const QString out = path(QStringLiteral("result.wav"));
    const QByteArray previous = "an earlier result that must survive";
    for (const QString& bad : {missing, text, empty, cutData, cutHeader}) {
        SCOPED_TRACE(bad.toStdString());
        fixtures::writeFile(out, previous);
        const QStringList before = fixtures::folderEntries(dir.path());
        while (join->FileCount() > 0)
            join->RemoveFile(1);
        join->AddFile(good, -1, -1);
        join->AddFile(bad, -1, -1);
        join->AddFile(good, -1, -1);
        join->OutputFile(out);
        EventLog log(*join);
        join->Join();
        ASSERT_TRUE(log.waitEnd()) << log.ends.join(',').toStdString();
        EXPECT_EQ(log.ends.first(), QStringLiteral("Error"));
        EXPECT_TRUE(log.errorText.contains(bad)) << log.errorText.toStdString();
        EXPECT_EQ(fixtures::readFile(out), previous);
        EXPECT_EQ(fixtures::folderEntries(dir.path()), before);
    }
}

TEST_F(AudioJoinTest, UnwritableDestinationsEndInAnErrorNamingTheOutput)
{
    const QString good = makeWav(QStringLiteral("good.wav"), {44100, 2, 16}, 4410, 6);
    const QString plainFile = path(QStringLiteral("plain"));
    fixtures::writeFile(plainFile, "x");
    // Tests run as root, so permissions alone would not stop a write: use places nobody can write.
    const QString places[] = {plainFile + QStringLiteral("/out.wav"), QStringLiteral("/proc/quillmere-out.wav"),
                              path(QStringLiteral("no-such-folder/out.wav")), dir.path()};
    for (const QString& out : places) {
        SCOPED_TRACE(out.toStdString());
        while (join->FileCount() > 0)
            join->RemoveFile(1);
        join->AddFile(good, -1, -1);
        join->OutputFile(out);
        EventLog log(*join);
        join->Join();
        ASSERT_TRUE(log.waitEnd());
        EXPECT_EQ(log.ends.first(), QStringLiteral("Error"));
        EXPECT_TRUE(log.errorText.contains(out)) << log.errorText.toStdString();
        EXPECT_FALSE(log.errorText.contains(QStringLiteral(".part-"))) << log.errorText.toStdString();
    }
    EXPECT_EQ(fixtures::folderEntries(dir.path()), (QStringList{QStringLiteral("good.wav"), QStringLiteral("plain")}));
}

TEST_F(AudioJoinTest, OutputNamingAnInputIsRefused)
{
    const QString a = makeWav(QStringLiteral("a.wav"), {44100, 2, 16}, 4410, 7);
    const QString b = makeWav(QStringLiteral("b.wav"), {44100, 2, 16}, 4410, 8);
    const QByteArray original = fixtures::readFile(b);
    join->AddFile(a, -1, -1);
    join->AddFile(b, -1, -1);
    // The same file under another spelling of its path.
    join->OutputFile(dir.path() + QStringLiteral("/./sub/../b.wav"));
    QDir(dir.path()).mkdir(QStringLiteral("sub"));
    EventLog log(*join);
    join->Join();
    ASSERT_TRUE(log.waitEnd());
    EXPECT_EQ(log.ends.first(), QStringLiteral("Error"));
    EXPECT_EQ(log.errorCode, 4);
    EXPECT_EQ(fixtures::readFile(b), original);
}

TEST_F(AudioJoinTest, ImmediateFailuresStillArriveAsQueuedErrors)
{
    // Nothing in the list; then APE, which has no encoder.
    join->OutputFile(path(QStringLiteral("x.wav")));
    {
        EventLog log(*join);
        join->Join();
        EXPECT_TRUE(log.ends.isEmpty());
        ASSERT_TRUE(log.waitEnd());
        EXPECT_EQ(log.ends.first(), QStringLiteral("Error"));
    }
    join->AddFile(makeWav(QStringLiteral("a.wav"), {44100, 2, 16}, 4410, 9), -1, -1);
    join->DestinationFormat(engine::dfAPE);
    join->SetApeLevel(2);
    join->OutputFile(path(QStringLiteral("x.ape")));
    EventLog log(*join);
    join->Join();
    EXPECT_TRUE(log.ends.isEmpty());
    ASSERT_TRUE(log.waitEnd());
    EXPECT_EQ(log.ends.first(), QStringLiteral("Error"));
    EXPECT_TRUE(log.errorText.contains(QStringLiteral("APE")));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("x.ape"))));
}

TEST_F(AudioJoinTest, AbortStopsQuicklyAndLeavesNothingBehind)
{
    // Enough work that it is still running when the abort comes: resampling many inputs.
    const Pcm pcm{44100, 2, 16};
    const QString src = makeWav(QStringLiteral("long.wav"), pcm, 44100 * 20, 10);
    for (int i = 0; i < 40; ++i)
        join->AddFile(src, -1, -1);
    join->DestinationFormat(engine::dfWAV);
    join->SetWavFormat({22050, 1, 8});
    const QString out = path(QStringLiteral("out.wav"));
    fixtures::writeFile(out, "old");
    join->OutputFile(out);
    EventLog log(*join);
    QSignalSpy firstProgress(join.get(), &cAudioJoin::Progress);
    join->Join();
    ASSERT_TRUE(firstProgress.wait(10000));
    QElapsedTimer t;
    t.start();
    join->Abort();
    join->Stop();
    ASSERT_TRUE(log.waitEnd());
    EXPECT_LT(t.elapsed(), 500);
    EXPECT_EQ(log.ends.first(), QStringLiteral("Aborted"));
    EXPECT_EQ(fixtures::readFile(out), QByteArray("old"));
    EXPECT_EQ(fixtures::folderEntries(dir.path()), (QStringList{QStringLiteral("long.wav"), QStringLiteral("out.wav")}));
}

TEST_F(AudioJoinTest, ASecondJoinWhileRunningIsRefusedAndTheFirstStillEnds)
{
    const Pcm pcm{44100, 2, 16};
    const QString src = makeWav(QStringLiteral("src.wav"), pcm, 44100 * 10, 11);
    for (int i = 0; i < 10; ++i)
        join->AddFile(src, -1, -1);
    join->SetWavFormat({22050, 1, 16});
    join->OutputFile(path(QStringLiteral("out.wav")));
    QSignalSpy errors(join.get(), &cAudioJoin::Error);
    QSignalSpy done(join.get(), &cAudioJoin::Done);
    join->Join();
    join->Join();
    ASSERT_TRUE(done.wait(20000));
    ASSERT_EQ(errors.count(), 1);
    EXPECT_EQ(errors.at(0).at(0).toLongLong(), 6);
    EXPECT_EQ(done.count(), 1);
}

TEST_F(AudioJoinTest, ShutdownDuringAJoinStopsItWithoutFurtherEvents)
{
    const QString src = makeWav(QStringLiteral("src.wav"), {44100, 2, 16}, 44100 * 20, 12);
    for (int i = 0; i < 20; ++i)
        join->AddFile(src, -1, -1);
    join->SetWavFormat({22050, 1, 8});
    join->OutputFile(path(QStringLiteral("out.wav")));
    EventLog log(*join);
    QSignalSpy firstProgress(join.get(), &cAudioJoin::Progress);
    join->Join();
    ASSERT_TRUE(firstProgress.wait(10000));
    join->Shutdown();
    EXPECT_FALSE(log.waitEnd(200));
    EXPECT_TRUE(log.ends.isEmpty());
    EXPECT_EQ(fixtures::folderEntries(dir.path()), QStringList{QStringLiteral("src.wav")});
}

TEST_F(AudioJoinTest, LargeOutputsBecomeRf64AndStaySampleExact)
{
    // The 4 GiB switch, lowered so that it is crossed by a small file.
    engine::setRf64ThresholdForTesting(100000);
    const Pcm pcm{44100, 2, 16};
    const int64_t frames = 44100;
    const QString a = makeWav(QStringLiteral("a.wav"), pcm, frames, 13);
    join->AddFile(a, -1, -1);
    join->AddFile(a, -1, -1);
    join->SetWavFormat(wavRecord(pcm));
    const QString out = path(QStringLiteral("big.wav"));
    join->OutputFile(out);
    EventLog log(*join);
    join->Join();
    ASSERT_TRUE(log.waitEnd());
    engine::setRf64ThresholdForTesting(0xFFFFFFFFLL);
    ASSERT_EQ(log.ends.first(), QStringLiteral("Done")) << log.errorText.toStdString();
    const auto parsed = fixtures::parseWavFile(out);
    ASSERT_TRUE(parsed);
    EXPECT_TRUE(parsed->rf64);
    const QByteArray d = fixtures::pattern(pcm, frames, 13);
    EXPECT_TRUE(parsed->data == d + d);
}

TEST_F(AudioJoinTest, InputsAreOpenedOneAtATime)
{
    // With few descriptors to spare, a join that kept its inputs open would fail.
    const Pcm pcm{8000, 1, 16};
    QList<QString> files;
    for (int i = 0; i < 150; ++i)
        files << makeWav(QStringLiteral("f%1.wav").arg(i), pcm, 800, i);
    for (const QString& f : files)
        join->AddFile(f, -1, -1);
    join->SetWavFormat(wavRecord(pcm));
    join->OutputFile(path(QStringLiteral("all.wav")));
    rlimit old{};
    getrlimit(RLIMIT_NOFILE, &old);
    rlimit tight = old;
    tight.rlim_cur = 64;
    setrlimit(RLIMIT_NOFILE, &tight);
    EventLog log(*join);
    join->Join();
    const bool ended = log.waitEnd();
    setrlimit(RLIMIT_NOFILE, &old);
    ASSERT_TRUE(ended);
    ASSERT_EQ(log.ends.first(), QStringLiteral("Done")) << log.errorText.toStdString();
    const auto parsed = fixtures::parseWavFile(path(QStringLiteral("all.wav")));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->data.size(), 150 * 800 * 2);
}

}  // namespace
