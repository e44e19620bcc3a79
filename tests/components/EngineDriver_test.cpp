// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tests/components/WavFixtures.h"
#include "tests/support/CompressedWavs.h"
#include "tests/support/SpecialFiles.h"
#include "tests/support/WavBytes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

#include <sys/stat.h>

using fixtures::Pcm;

namespace {

struct DriverRun {
    int status = -1;
    QString out, err;
};

DriverRun driver(const QStringList& args, const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/engine-driver"), args);
    DriverRun r;
    if (!p.waitForFinished(60000))
        return r;
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

class EngineDriver : public testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

TEST_F(EngineDriver, ProbePrintsTheFactsOneNameValueALine)
{
    const Pcm pcm{22050, 1, 8};
    ASSERT_TRUE(fixtures::writeFile(path(QStringLiteral("a.wav")),
                                    fixtures::wavBytes(pcm, fixtures::pattern(pcm, 22050 * 3 / 2, 1))));
    const DriverRun r = driver({QStringLiteral("probe"), path(QStringLiteral("a.wav"))});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("duration_ms=1500\nrate=22050\nchannels=1\nbits=8\ntitle=\nartist=\nalbum=\n"
                                    "year=\ncomment=\ngenre=\ntrack=\n"));
}

TEST_F(EngineDriver, JoinTakesRangesAfterTheAtSign)
{
    const Pcm pcm{8000, 2, 16};
    const QByteArray a = fixtures::pattern(pcm, 8000 * 3, 2), b = fixtures::pattern(pcm, 8000 * 3, 3);
    ASSERT_TRUE(fixtures::writeFile(path(QStringLiteral("a.wav")), fixtures::wavBytes(pcm, a)));
    ASSERT_TRUE(fixtures::writeFile(path(QStringLiteral("b@home.wav")), fixtures::wavBytes(pcm, b)));
    const DriverRun r = driver({QStringLiteral("join"), path(QStringLiteral("out.wav")), QStringLiteral("wav:8000:2:16"),
                          path(QStringLiteral("a.wav@2+1")), path(QStringLiteral("b@home.wav"))});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const auto parsed = fixtures::parseWavFile(path(QStringLiteral("out.wav")));
    ASSERT_TRUE(parsed);
    EXPECT_TRUE(parsed->data == a.mid(2 * 8000 * 4) + b);
}

TEST_F(EngineDriver, FailuresExitNonZeroWithTheErrorText)
{
    const DriverRun missing = driver({QStringLiteral("convert"), path(QStringLiteral("gone.wav")),
                                path(QStringLiteral("out.mp3")), QStringLiteral("mp3:128")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.err.contains(path(QStringLiteral("gone.wav")))) << missing.err.toStdString();
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("out.mp3"))));

    const DriverRun badFormat = driver({QStringLiteral("join"), path(QStringLiteral("o.wav")), QStringLiteral("flac:5"),
                                  path(QStringLiteral("x.wav"))});
    EXPECT_EQ(badFormat.status, 2);
    EXPECT_TRUE(badFormat.err.contains(QStringLiteral("flac:5")));
}

// The nominal bitrate from an Ogg Vorbis file's identification header: what the encoder made of
// the quality it was given.
std::optional<int32_t> vorbisNominalBitrate(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray head = f.read(4096);
    const qsizetype at = head.indexOf(QByteArray("\x01vorbis", 7));
    if (at < 0 || head.size() < at + 7 + 4 + 1 + 4 + 4 + 4)
        return std::nullopt;
    return int32_t(fixtures::get32(head, at + 7 + 4 + 1 + 4 + 4));
}

TEST_F(EngineDriver, OggQualityIsOnTheScaleOggencTakes)
{
    const Pcm pcm{44100, 2, 16};
    ASSERT_TRUE(fixtures::writeFile(path(QStringLiteral("a.wav")),
                                    fixtures::wavBytes(pcm, fixtures::pattern(pcm, 44100, 4))));
    for (const char* q : {"0", "3", "7.5", "10"}) {
        SCOPED_TRACE(q);
        const QString mine = path(QStringLiteral("mine-%1.ogg").arg(QLatin1String(q)));
        const QString peer = path(QStringLiteral("peer-%1.ogg").arg(QLatin1String(q)));
        const DriverRun r = driver({QStringLiteral("convert"), path(QStringLiteral("a.wav")), mine,
                                    QStringLiteral("ogg:q:") + QLatin1String(q)});
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        QProcess oggenc;
        oggenc.start(QStringLiteral("oggenc"), {QStringLiteral("-Q"), QStringLiteral("-q"), QLatin1String(q),
                                                QStringLiteral("-o"), peer, path(QStringLiteral("a.wav"))});
        ASSERT_TRUE(oggenc.waitForFinished(60000));
        ASSERT_EQ(oggenc.exitCode(), 0);
        const auto ours = vorbisNominalBitrate(mine), theirs = vorbisNominalBitrate(peer);
        ASSERT_TRUE(ours && theirs);
        EXPECT_EQ(*ours, *theirs);
    }
    for (const char* bad : {"ogg:q:11", "ogg:q:-2", "ogg:q:x"}) {
        const DriverRun r = driver({QStringLiteral("convert"), path(QStringLiteral("a.wav")),
                                    path(QStringLiteral("bad.ogg")), QLatin1String(bad)});
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_TRUE(r.err.contains(QLatin1String(bad))) << r.err.toStdString();
    }
    const DriverRun help = driver({});
    EXPECT_TRUE(help.err.contains(QStringLiteral("oggenc -q"))) << help.err.toStdString();
}

}  // namespace

namespace {

using wavbytes::chunk;
using wavbytes::le;
using wavbytes::noise;

// 40 MPEG-1 layer III frame headers (128 kbit/s, 44.1 kHz) each followed by noise: the frames are
// found and counted (1,033 ms), but hardly any of them decodes.
QByteArray randomMp3Frames()
{
    QByteArray out;
    for (int i = 0; i < 40; ++i)
        out += QByteArray("\xff\xfb\x90\x44", 4) + noise(417 - 4, uint32_t(i + 1));
    return out;
}

// A mono MS ADPCM WAV whose "fact" chunk promises 13 blocks of 500 samples (812 ms at 8 kHz) and
// whose blocks are noise.
QByteArray junkAdpcmWav()
{
    const int coefficients[7][2] = {{256, 0}, {512, -256}, {0, 0}, {192, 64}, {240, 0}, {460, -208}, {392, -232}};
    QByteArray fmt = le(2, 2) + le(1, 2) + le(8000, 4) + le(8000 * 256 / 500, 4) + le(256, 2) + le(4, 2) + le(32, 2) +
                     le(500, 2) + le(7, 2);
    for (const auto& c : coefficients)
        fmt += le(uint16_t(int16_t(c[0])), 2) + le(uint16_t(int16_t(c[1])), 2);
    return wavbytes::riff(chunk("fmt ", fmt) + chunk("fact", le(13 * 500, 4)) + chunk("data", noise(256 * 13, 7)));
}

}  // namespace

TEST_F(EngineDriver, SourcesThatHoldLessThanTheyClaimFailNamingTheFile)
{
    const Pcm pcm{44100, 2, 16};
    const QString good = path(QStringLiteral("good.wav"));
    ASSERT_TRUE(fixtures::writeFile(good, fixtures::wavBytes(pcm, fixtures::pattern(pcm, 44100, 1))));
    const QString mp3 = path(QStringLiteral("random frames.mp3"));
    const QString adpcm = path(QStringLiteral("junk adpcm.wav"));
    const QString rf64 = path(QStringLiteral("huge.wav"));
    ASSERT_TRUE(fixtures::writeFile(mp3, randomMp3Frames()));
    ASSERT_TRUE(fixtures::writeFile(adpcm, junkAdpcmWav()));
    // The data chunk claims 2^64 - 68 bytes of the 80-byte file.
    ASSERT_TRUE(fixtures::writeFile(rf64, wavbytes::rf64(0xFFFFFFFFFFFFFFBCull, 0)));

    // The header that once sent the chunk walk round in circles: refused at once.
    const DriverRun probe = driver({QStringLiteral("probe"), rf64});
    EXPECT_EQ(probe.status, 1) << probe.out.toStdString();
    EXPECT_FALSE(probe.out.contains(QStringLiteral("duration_ms"))) << probe.out.toStdString();

    const QString out = path(QStringLiteral("out.wav"));
    const struct {
        QStringList args;
        QString file;
        const char* says;
    } cases[] = {
        {{QStringLiteral("join"), out, QStringLiteral("wav:44100:2:16"), good, rf64}, rf64, "ends before its audio data"},
        {{QStringLiteral("join"), out, QStringLiteral("wav:44100:2:16"), good, mp3, good}, mp3, "less audio than it claims"},
        {{QStringLiteral("join"), out, QStringLiteral("mp3:128"), good, adpcm}, adpcm, "less audio than it claims"},
        {{QStringLiteral("join"), out, QStringLiteral("wav:8000:1:16"), adpcm + QStringLiteral("@0+1")}, adpcm,
         "less audio than it claims"},
        {{QStringLiteral("convert"), mp3, out, QStringLiteral("wav:44100:2:16")}, mp3, "less audio than it claims"},
        {{QStringLiteral("convert"), adpcm, out, QStringLiteral("wav:22050:2:24"), QStringLiteral("0"), QStringLiteral("1")},
         adpcm, "less audio than it claims"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(QLatin1Char(' ')).toStdString());
        const DriverRun r = driver(c.args);
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(r.err.contains(c.file)) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromLatin1(c.says))) << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(out));
    }
}

namespace {

// The frames of a 44.1 kHz 16-bit stereo WAV the driver wrote; -1 when there is none.
qsizetype outputFrames(const QString& file)
{
    const auto parsed = fixtures::parseWavFile(file);
    return parsed ? parsed->data.size() / 4 : -1;
}

// A WAV without "fact" whose compressed samples are only estimated from the data's size: its
// codec's data as the driver wrote it, with the "fact" chunk taken out.
QByteArray withoutFact(const QByteArray& wav)
{
    QByteArray chunks;
    for (qsizetype at = 12; at + 8 <= wav.size();) {
        const uint32_t size = fixtures::get32(wav, at + 4);
        const qsizetype next = at + 8 + qsizetype(size) + qsizetype(size & 1);
        if (wav.mid(at, 4) != "fact")
            chunks += wav.mid(at, next - at);
        at = next;
    }
    return wavbytes::riff(chunks);
}

}  // namespace

TEST_F(EngineDriver, CompressedWavsWithAnEstimatedLengthFailWhenTheyDecodeWellShortOfIt)
{
    const Pcm pcm{44100, 2, 16};
    const QString good = path(QStringLiteral("good.wav"));
    ASSERT_TRUE(fixtures::writeFile(good, fixtures::wavBytes(pcm, fixtures::pattern(pcm, 44100, 1))));
    const QByteArray mp3 = compressedwavs::mp3Tone(44100 * 2);
    ASSERT_FALSE(mp3.isEmpty());
    // 176,400 bytes at 44,100 bytes a second claim 4 s, and hold no MP3 frame.
    const QString empty = path(QStringLiteral("no frames.wav"));
    ASSERT_TRUE(fixtures::writeFile(empty, compressedwavs::mp3InWav(QByteArray(176400, '\0'), 44100)));
    const QString half = path(QStringLiteral("half zeroed.wav"));
    ASSERT_TRUE(fixtures::writeFile(half, compressedwavs::mp3InWav(compressedwavs::zeroSecondHalf(mp3))));

    const QString out = path(QStringLiteral("out.wav"));
    const struct {
        QStringList args;
        QString file;
    } cases[] = {
        {{QStringLiteral("convert"), empty, out, QStringLiteral("wav:44100:2:16")}, empty},
        {{QStringLiteral("join"), out, QStringLiteral("wav:44100:2:16"), good, empty}, empty},
        {{QStringLiteral("join"), out, QStringLiteral("mp3:128"), empty + QStringLiteral("@1+1"), good}, empty},
        {{QStringLiteral("convert"), half, out, QStringLiteral("wav:44100:2:16")}, half},
        {{QStringLiteral("join"), out, QStringLiteral("wav:44100:2:16"), good, half, good}, half},
        // A part of a split: the second second of the file.
        {{QStringLiteral("convert"), half, out, QStringLiteral("wav:44100:2:16"), QStringLiteral("1"), QStringLiteral("1")},
         half},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(QLatin1Char(' ')).toStdString());
        const DriverRun r = driver(c.args);
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(r.err.contains(QStringLiteral("The file '") + c.file + QStringLiteral("' holds less audio than it claims")))
            << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(out));
    }

    // Whole, the same frames convert to all they hold, and the first second of the damaged file
    // is still there to be had.
    const QString whole = path(QStringLiteral("whole.wav"));
    ASSERT_TRUE(fixtures::writeFile(whole, compressedwavs::mp3InWav(mp3)));
    DriverRun r = driver({QStringLiteral("convert"), whole, out, QStringLiteral("wav:44100:2:16")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    // The tone, behind the encoder's and decoder's delay and the silent info frame.
    EXPECT_GE(outputFrames(out), 44100 * 2);
    EXPECT_LE(outputFrames(out), 44100 * 2 + 4 * 1152);
    QFile::remove(out);
    r = driver({QStringLiteral("convert"), half, out, QStringLiteral("wav:44100:2:16"), QStringLiteral("0"), QStringLiteral("1")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(outputFrames(out), 44100);
}

TEST_F(EngineDriver, AnAdpcmWavWithoutFactConvertsWhateverItsBlockHeadersCost)
{
    // IMA ADPCM counted by its bits per sample overstates the frames by its block headers, a few
    // tenths of a second over half a minute: not audio that is missing.
    const Pcm pcm{44100, 2, 16};
    const int64_t frames = 44100 * 30;
    const QString source = path(QStringLiteral("source.wav"));
    ASSERT_TRUE(fixtures::writeFile(source, fixtures::wavBytes(pcm, fixtures::sine(pcm, frames))));
    const QString coded = path(QStringLiteral("coded.wav"));
    DriverRun r = driver({QStringLiteral("convert"), source, coded, QStringLiteral("acm:IMA ADPCM:44,100 kHz, 4 Bit, Stereo")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QString noFact = path(QStringLiteral("no fact.wav"));
    ASSERT_TRUE(fixtures::writeFile(noFact, withoutFact(fixtures::readFile(coded))));

    const QString out = path(QStringLiteral("out.wav"));
    r = driver({QStringLiteral("convert"), noFact, out, QStringLiteral("wav:44100:2:16")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    // Every frame, and at most the silence that fills the last block.
    EXPECT_GE(outputFrames(out), frames);
    EXPECT_LT(outputFrames(out), frames + 2048);
}

namespace {

// Frames a peer decoder makes of a file, in the file's own rate and channels: the program writes
// 16-bit samples to its standard output, or as a WAV to `outFile` when one is named; -1 when it
// fails.
int64_t peerFrames(const QString& program, QStringList args, int channels, const QString& outFile = {})
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return -1;
    if (!outFile.isEmpty()) {
        const auto parsed = fixtures::parseWavFile(outFile);
        return parsed ? parsed->data.size() / (2 * channels) : -1;
    }
    return p.readAllStandardOutput().size() / (2 * channels);
}

int64_t ffmpegFrames(const QString& file, int channels)
{
    return peerFrames(QStringLiteral("ffmpeg"),
                      {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), file, QStringLiteral("-f"),
                       QStringLiteral("s16le"), QStringLiteral("-")},
                      channels);
}

// The duration_ms line of the driver's probe; -1 when the probe fails.
int64_t probedMs(const QString& file)
{
    const DriverRun r = driver({QStringLiteral("probe"), file});
    if (r.status != 0)
        return -1;
    for (const QString& line : r.out.split(QLatin1Char('\n')))
        if (line.startsWith(QStringLiteral("duration_ms=")))
            return line.mid(12).toLongLong();
    return -1;
}

// The frames of a 16-bit WAV of `channels` channels; -1 when there is none.
qsizetype wavFrames(const QString& file, int channels)
{
    const auto parsed = fixtures::parseWavFile(file);
    return parsed ? parsed->data.size() / (2 * channels) : -1;
}

}  // namespace

TEST_F(EngineDriver, CompressedWavsWithoutFactAreAsLongAsTheirCodecMakesThem)
{
    // A whole MP3 stream in a WAV, and the same one whose last tenth of data bytes is zeros.
    const QByteArray mp3 = compressedwavs::mp3Tone(44100 * 60);
    ASSERT_FALSE(mp3.isEmpty());
    QByteArray tailZeroed = mp3;
    const qsizetype keep = mp3.size() - mp3.size() / 10;
    tailZeroed.replace(keep, mp3.size() - keep, QByteArray(mp3.size() - keep, '\0'));
    const QString cbr = path(QStringLiteral("cbr.wav"));
    const QString zeroed = path(QStringLiteral("zeroed tail.wav"));
    ASSERT_TRUE(fixtures::writeFile(cbr, compressedwavs::mp3InWav(mp3)));
    ASSERT_TRUE(fixtures::writeFile(zeroed, compressedwavs::mp3InWav(tailZeroed)));

    // A variable-rate stream, whose fmt chunk can give only its average byte rate.
    const Pcm cd{44100, 2, 16};
    const QString vbrSource = path(QStringLiteral("vbr source.wav")), vbrMp3 = path(QStringLiteral("vbr.mp3"));
    ASSERT_TRUE(fixtures::writeFile(vbrSource, fixtures::wavBytes(cd, fixtures::sine(cd, 44100 * 5))));
    QProcess lame;
    lame.start(QStringLiteral("lame"), {QStringLiteral("--quiet"), QStringLiteral("-V"), QStringLiteral("2"), vbrSource, vbrMp3});
    ASSERT_TRUE(lame.waitForFinished(60000) && lame.exitCode() == 0);
    const QByteArray vbrBytes = fixtures::readFile(vbrMp3);
    const QString vbr = path(QStringLiteral("vbr.wav"));
    ASSERT_TRUE(fixtures::writeFile(vbr, compressedwavs::mp3InWav(vbrBytes, uint32_t(vbrBytes.size() / 5))));

    // Block codecs as the driver writes them, without their "fact" chunk.
    auto blockCoded = [&](const QString& name, const Pcm& pcm, const QString& format) {
        const QString source = path(name + QStringLiteral(" source.wav"));
        const QString coded = path(name + QStringLiteral(" coded.wav"));
        const QString noFact = path(name + QStringLiteral(".wav"));
        if (!fixtures::writeFile(source, fixtures::wavBytes(pcm, fixtures::sine(pcm, int64_t(pcm.rate) * 10 + 77))))
            return QString();
        const DriverRun r = driver({QStringLiteral("convert"), source, coded, format});
        if (r.status != 0 || !fixtures::writeFile(noFact, withoutFact(fixtures::readFile(coded))))
            return QString();
        return noFact;
    };
    // The zeroed file is listed at the length of the whole one, and refused for falling short.
    const struct {
        QString file;
        int rate, channels;
        bool whole;
        int64_t probeSlackFrames;  // how far a length estimated from the size may be off
        QString lengthOf;          // the file whose decode is its length, if not its own
    } cases[] = {
        {cbr, 44100, 2, true, 1152, {}},
        {zeroed, 44100, 2, false, 1152, cbr},
        {vbr, 44100, 2, true, 44100 * 5 / 8, {}},
        {blockCoded(QStringLiteral("ima mono"), Pcm{8000, 1, 16}, QStringLiteral("acm:IMA ADPCM:8,000 kHz, 4 Bit, Mono")), 8000, 1,
         true, 0, {}},
        {blockCoded(QStringLiteral("ima stereo"), Pcm{44100, 2, 16}, QStringLiteral("acm:IMA ADPCM:44,100 kHz, 4 Bit, Stereo")),
         44100, 2, true, 0, {}},
        {blockCoded(QStringLiteral("ms mono"), Pcm{8000, 1, 16}, QStringLiteral("acm:Microsoft ADPCM:8,000 kHz, 4 Bit, Mono")),
         8000, 1, true, 0, {}},
        {blockCoded(QStringLiteral("ms stereo"), Pcm{22050, 2, 16},
               QStringLiteral("acm:Microsoft ADPCM:22,050 kHz, 4 Bit, Stereo")),
         22050, 2, true, 0, {}},
        {blockCoded(QStringLiteral("gsm"), Pcm{8000, 1, 16}, QStringLiteral("acm:GSM 6.10:8,000 kHz, Mono, 13 kbit/s")), 8000, 1,
         true, 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        ASSERT_FALSE(c.file.isEmpty());
        const int64_t peer = ffmpegFrames(c.file, c.channels);
        ASSERT_GT(peer, 0);
        // The length the file is listed with (whole milliseconds, rounded up): what the whole
        // file decodes to.
        const int64_t wholeFrames = c.lengthOf.isEmpty() ? peer : ffmpegFrames(c.lengthOf, c.channels);
        const int64_t ms = probedMs(c.file);
        EXPECT_LE(std::abs(ms - (wholeFrames * 1000 + c.rate - 1) / c.rate), c.probeSlackFrames * 1000 / c.rate)
            << ms << " ms listed, " << wholeFrames << " frames";

        const QString out = path(QStringLiteral("out.wav"));
        QFile::remove(out);
        const DriverRun r = driver({QStringLiteral("convert"), c.file, out,
                                    QStringLiteral("wav:%1:%2:16").arg(c.rate).arg(c.channels)});
        if (c.whole) {
            ASSERT_EQ(r.status, 0) << r.err.toStdString();
            EXPECT_EQ(wavFrames(out, c.channels), peer);
        } else {
            EXPECT_EQ(r.status, 1);
            EXPECT_TRUE(r.err.contains(QStringLiteral("The file '") + c.file +
                                       QStringLiteral("' holds less audio than it claims")))
                << r.err.toStdString();
            EXPECT_FALSE(QFile::exists(out));
        }
    }
}

TEST_F(EngineDriver, MpegFilesAppendedToOneAnotherReadToTheirEnd)
{
    // Two encodings of the encoder's own, the second at another rate control, appended as they
    // are; the peer is the same encoder's decoder, which cuts the first file's delay at the start.
    const Pcm pcm{44100, 2, 16};
    const QString one = path(QStringLiteral("one.wav")), two = path(QStringLiteral("two.wav"));
    ASSERT_TRUE(fixtures::writeFile(one, fixtures::wavBytes(pcm, fixtures::sine(pcm, 44100 * 5, 440.0))));
    ASSERT_TRUE(fixtures::writeFile(two, fixtures::wavBytes(pcm, fixtures::sine(pcm, 44100 * 4 + 555, 660.0))));
    auto lame = [&](const QStringList& args) {
        QProcess p;
        p.start(QStringLiteral("lame"), QStringList{QStringLiteral("--quiet")} + args);
        return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    };
    const QString oneMp3 = path(QStringLiteral("one.mp3")), cbrMp3 = path(QStringLiteral("two cbr.mp3")),
                  vbrMp3 = path(QStringLiteral("two vbr.mp3"));
    ASSERT_TRUE(lame({QStringLiteral("-b"), QStringLiteral("128"), one, oneMp3}));
    ASSERT_TRUE(lame({QStringLiteral("-b"), QStringLiteral("128"), two, cbrMp3}));
    ASSERT_TRUE(lame({QStringLiteral("-V"), QStringLiteral("2"), two, vbrMp3}));

    const QString out = path(QStringLiteral("out.wav"));
    for (const QString& second : {cbrMp3, vbrMp3}) {
        SCOPED_TRACE(second.toStdString());
        const QString joined = path(QStringLiteral("joined.mp3"));
        ASSERT_TRUE(fixtures::writeFile(joined, fixtures::readFile(oneMp3) + fixtures::readFile(second)));
        const QString decoded = path(QStringLiteral("peer.wav"));
        const int64_t peer = peerFrames(QStringLiteral("lame"), {QStringLiteral("--quiet"), QStringLiteral("--decode"), joined, decoded},
                                        2, decoded);
        ASSERT_GT(peer, 44100 * 9);

        EXPECT_EQ(probedMs(joined), (peer * 1000 + 44099) / 44100);
        QFile::remove(out);
        DriverRun r = driver({QStringLiteral("convert"), joined, out, QStringLiteral("wav:44100:2:16")});
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        const auto ours = fixtures::parseWavFile(out);
        const auto theirs = fixtures::parseWavFile(decoded);
        ASSERT_TRUE(ours && theirs);
        EXPECT_EQ(ours->data.size(), theirs->data.size());
        // The first file's delay is cut as the peer cuts it: the first second is the same audio.
        const QByteArray head = ours->data.left(44100 * 4), peerHead = theirs->data.left(44100 * 4);
        int64_t worst = 0;
        for (qsizetype i = 0; i + 1 < head.size() && i + 1 < peerHead.size(); i += 2)
            worst = std::max(worst, std::abs(int64_t(int16_t(fixtures::get16(head, i))) -
                                             int64_t(int16_t(fixtures::get16(peerHead, i)))));
        EXPECT_LE(worst, 64);

        // Joined after a WAV: the whole stream, at that length.
        QFile::remove(out);
        r = driver({QStringLiteral("join"), out, QStringLiteral("wav:44100:2:16"), one, joined});
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_EQ(wavFrames(out, 2), 44100 * 5 + peer);
    }
}

TEST_F(EngineDriver, OggVorbisFilesThatLostTheirFirstAudioPageFailAtTheLengthTheirLastPageStates)
{
    const Pcm pcm{44100, 2, 16};
    const QString out = path(QStringLiteral("out.wav"));
    // One second fits one audio page; five take several.
    for (const int seconds : {1, 5}) {
        SCOPED_TRACE(seconds);
        const QString source = path(QStringLiteral("source.wav"));
        ASSERT_TRUE(fixtures::writeFile(source, fixtures::wavBytes(pcm, fixtures::sine(pcm, 44100 * seconds))));
        const QString ogg = path(QStringLiteral("%1 s.ogg").arg(seconds));
        DriverRun r = driver({QStringLiteral("convert"), source, ogg, QStringLiteral("ogg:q:3")});
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        ASSERT_EQ(probedMs(ogg), seconds * 1000);
        // The first page with a granule position holds the first audio (the header pages before
        // it have none); its body is overwritten and no longer matches its checksum.
        QByteArray bytes = fixtures::readFile(ogg);
        qsizetype page = 0;
        while ((page = bytes.indexOf("OggS", page + 1)) > 0 && bytes.mid(page + 6, 8) == QByteArray(8, '\0')) {
        }
        ASSERT_GT(page, 0);
        const int segments = uint8_t(bytes[page + 26]);
        bytes.replace(page + 27 + segments, 200, QByteArray(200, '\x55'));
        const QString damaged = path(QStringLiteral("%1 s damaged.ogg").arg(seconds));
        ASSERT_TRUE(fixtures::writeFile(damaged, bytes));

        EXPECT_EQ(probedMs(damaged), seconds * 1000);
        QFile::remove(out);
        r = driver({QStringLiteral("convert"), damaged, out, QStringLiteral("wav:44100:2:16")});
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(r.err.contains(QStringLiteral("The file '") + damaged + QStringLiteral("' holds less audio than it claims")))
            << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(out));
    }
}

TEST_F(EngineDriver, ChannelCountsTheConverterCannotFoldAreRefusedWhenTheFileIsRead)
{
    for (const int channels : {65535, 9, 25}) {
        SCOPED_TRACE(channels);
        const QString file = path(QStringLiteral("%1 channels.wav").arg(channels));
        // Built field by field: 65,535 channels overflow the header's block size and byte rate.
        const QByteArray samples = wavbytes::noise(4 * int64_t(channels) * 2, 1);
        ASSERT_TRUE(fixtures::writeFile(
            file, wavbytes::riff(wavbytes::chunk("fmt ", wavbytes::fmtBody(1, channels, 44100, 16)) +
                                 wavbytes::chunk("data", samples))));
        const DriverRun probe = driver({QStringLiteral("probe"), file});
        EXPECT_EQ(probe.status, 1);
        EXPECT_FALSE(probe.out.contains(QStringLiteral("duration_ms"))) << probe.out.toStdString();

        const QString out = path(QStringLiteral("out.wav"));
        const DriverRun r = driver({QStringLiteral("convert"), file, out, QStringLiteral("wav:44100:2:16")});
        EXPECT_EQ(r.status, 1);
        // The program's one line, with nothing of a library's log before it.
        EXPECT_EQ(r.err, QStringLiteral("The file '%1' has %2 channels; files of 1 to 8, 16 or 24 channels can be read. (2)\n")
                             .arg(file)
                             .arg(channels));
        EXPECT_FALSE(QFile::exists(out));
    }
    // Counts with a speaker layout fold to stereo.
    for (const int channels : {6, 16}) {
        SCOPED_TRACE(channels);
        const QString file = path(QStringLiteral("%1 channels.wav").arg(channels));
        const Pcm pcm{44100, channels, 16};
        ASSERT_TRUE(fixtures::writeFile(file, fixtures::wavBytes(pcm, fixtures::sine(pcm, 4410))));
        const QString out = path(QStringLiteral("out %1.wav").arg(channels));
        const DriverRun r = driver({QStringLiteral("convert"), file, out, QStringLiteral("wav:44100:2:16")});
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_EQ(outputFrames(out), 4410);
    }
}

TEST_F(EngineDriver, RangesBeyondWhatSixtyFourBitsCountAreRefused)
{
    const Pcm pcm{44100, 2, 16};
    const QString a = path(QStringLiteral("a.wav"));
    ASSERT_TRUE(fixtures::writeFile(a, fixtures::wavBytes(pcm, fixtures::pattern(pcm, 44100 * 2, 1))));
    const QString out = path(QStringLiteral("out.wav"));
    for (const QString& range : {QStringLiteral("@9223372036854775807+1"), QStringLiteral("@1+9223372036854775807"),
                                 QStringLiteral("@12009599006322+1")}) {
        SCOPED_TRACE(range.toStdString());
        const DriverRun r = driver({QStringLiteral("join"), out, QStringLiteral("wav:44100:2:16"), a + range});
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(r.err.contains(QStringLiteral("of the file '") + a + QStringLiteral("' is not valid"))) << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(out));
    }
    // The longest range that can be counted is a range like any other: it runs to the end.
    const DriverRun whole = driver({QStringLiteral("join"), out, QStringLiteral("wav:44100:2:16"), a + QStringLiteral("@1+12009599006321")});
    EXPECT_EQ(whole.status, 0) << whole.err.toStdString();
    const auto parsed = fixtures::parseWavFile(out);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->data.size(), 44100 * 4);
}

namespace {

// The shared libraries the driver asks for by name, from its dynamic section.
QStringList neededLibraries()
{
    QProcess p;
    p.start(QStringLiteral("readelf"),
            {QStringLiteral("-d"), QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/engine-driver")});
    if (!p.waitForFinished(30000))
        return {QStringLiteral("(readelf did not run)")};
    QStringList needed;
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n')))
        if (line.contains(QStringLiteral("(NEEDED)")))
            needed << line.section(QLatin1Char('['), 1).section(QLatin1Char(']'), 0, 0);
    return needed;
}

}  // namespace

TEST_F(EngineDriver, ConvertWritesThroughALinkToAFileAndReplacesAnyOtherLinkItself)
{
    const Pcm pcm{8000, 1, 16};
    const QByteArray audio = fixtures::pattern(pcm, 4000, 4);
    ASSERT_TRUE(fixtures::writeFile(path(QStringLiteral("in.wav")), fixtures::wavBytes(pcm, audio)));
    const QString elsewhere = path(QStringLiteral("elsewhere"));
    ASSERT_NO_FATAL_FAILURE(specialfiles::makeLinkTargets(elsewhere, "old"));
    for (const specialfiles::LinkCase& c : specialfiles::kLinkCases) {
        SCOPED_TRACE(c.link);
        const QString link = path(QLatin1String(c.link)), target = elsewhere + QLatin1Char('/') + QLatin1String(c.leadsTo);
        ASSERT_TRUE(QFile::link(target, link));
        const DriverRun r = driver({QStringLiteral("convert"), path(QStringLiteral("in.wav")), link, QStringLiteral("wav:8000:1:16")});
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_EQ(QFileInfo(link).isSymLink(), c.through);
        const auto written = fixtures::parseWavFile(c.through ? target : link);
        ASSERT_TRUE(written);
        EXPECT_TRUE(written->data == audio);
    }
    // Nothing was made where the dangling link pointed, and the pipe is still a pipe.
    EXPECT_FALSE(QFileInfo::exists(elsewhere + QStringLiteral("/never.wav")));
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(elsewhere + QStringLiteral("/pipe")).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(QDir(elsewhere).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
              QStringList({QStringLiteral("file.wav"), QStringLiteral("pipe")}));
}

TEST_F(EngineDriver, ConvertNeverReplacesAFileOfAListedImageDrive)
{
    const Pcm pcm{8000, 1, 16};
    ASSERT_TRUE(fixtures::writeFile(path(QStringLiteral("in.wav")), fixtures::wavBytes(pcm, fixtures::pattern(pcm, 800, 5))));
    // An audio image whose sheet names its data file, and a data image.
    const QString cue = path(QStringLiteral("disc.cue")), bin = path(QStringLiteral("disc.bin")), iso = path(QStringLiteral("data.iso"));
    ASSERT_TRUE(fixtures::writeFile(cue, "FILE \"disc.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"));
    ASSERT_TRUE(fixtures::writeFile(bin, QByteArray(2352 * 10, '\1')));
    ASSERT_TRUE(fixtures::writeFile(iso, QByteArray(2048 * 20, '\2')));
    ASSERT_TRUE(QFile::link(bin, path(QStringLiteral("to-bin.wav"))));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUILLMERE_DRIVES"), cue + QLatin1Char(':') + iso);
    const struct {
        QString output;
        QString image;
        const char* drive;
    } cases[] = {
        {bin, bin, "D: disc.cue"},
        {cue, cue, "D: disc.cue"},
        {iso, iso, "E: data.iso"},
        {path(QStringLiteral("to-bin.wav")), bin, "D: disc.cue"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.output.toStdString());
        const QByteArray before = fixtures::readFile(c.image);
        const DriverRun r = driver({QStringLiteral("convert"), path(QStringLiteral("in.wav")), c.output, QStringLiteral("wav:8000:1:16")}, env);
        EXPECT_EQ(r.status, 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("' of the disc in the drive '") + QLatin1String(c.drive) +
                                   QStringLiteral("': a disc is never written over.")))
            << r.err.toStdString();
        EXPECT_EQ(fixtures::readFile(c.image), before);
    }
    EXPECT_TRUE(QFileInfo(path(QStringLiteral("to-bin.wav"))).isSymLink());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 5);
}

TEST(EngineDriverLinks, QtCoreAndNoWidgetsNoCodecLibraries)
{
    const QStringList needed = neededLibraries();
    ASSERT_TRUE(needed.contains(QStringLiteral("libQt6Core.so.6"))) << needed.join(' ').toStdString();
    for (const QString& lib : needed) {
        const bool otherQt = lib.startsWith(QStringLiteral("libQt6")) && lib != QStringLiteral("libQt6Core.so.6");
        const bool codec = lib.startsWith(QStringLiteral("libav")) || lib.startsWith(QStringLiteral("libsw")) ||
                           lib.contains(QStringLiteral("mp3lame")) || lib.contains(QStringLiteral("vorbis"));
        EXPECT_FALSE(otherQt || codec) << lib.toStdString();
    }
}
