// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tests/components_engine/EngineFixtures.h"

#include "components/engine/FfmpegReader.h"
#include "components/engine/WavFile.h"
#include "tests/components/WavFixtures.h"
#include "tests/support/WavBytes.h"

#include <QFile>

using namespace engine;
using namespace fixtures;

namespace {

class WavEngine : public testing::Test {
protected:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

struct FormatCase {
    PcmFormat format;
    int64_t frames;
};

}  // namespace

TEST_F(WavEngine, PcmRoundTripIsExactForEveryWidth)
{
    const FormatCase cases[] = {
        {{22050, 1, 8}, 22051},  // odd byte count: the data chunk needs its pad byte
        {{44100, 2, 16}, 44100},
        {{48000, 2, 24}, 9999},
        {{96000, 1, 32}, 5000},
        {{8000, 6, 16}, 801},
    };
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(c.format.bitsPerSample);
        const QString file = path(QStringLiteral("rt-%1-%2.wav").arg(c.format.bitsPerSample).arg(c.format.channels));
        const auto pcm = makeSignal(c.format, c.frames);
        writeWav(file, c.format, pcm);

        auto reader = openOrFail(file);
        ASSERT_TRUE(reader);
        const SourceInfo& info = reader->info();
        EXPECT_EQ(info.format, c.format);
        EXPECT_EQ(info.totalFrames, c.frames);
        EXPECT_EQ(info.durationMs, c.frames * 1000 / c.format.sampleRate);
        EXPECT_TRUE(info.isPlainPcmWav);
        EXPECT_EQ(readAll(*reader, c.format), pcm);

        // The copy-without-decoding fields point at exactly the sample bytes.
        QFile raw(file);
        ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
        ASSERT_TRUE(raw.seek(info.pcmDataOffset));
        const QByteArray bytes = raw.read(info.pcmDataBytes);
        EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.end()), pcm);
        EXPECT_EQ(raw.size() % 2, 0);

        // A common reader agrees on format and samples.
        QString error;
        auto peer = openFfmpegReader(file, &error);
        ASSERT_TRUE(peer) << error.toStdString();
        EXPECT_EQ(peer->info().totalFrames, c.frames);
        EXPECT_EQ(readAll(*peer, c.format), pcm);
    }
}

TEST_F(WavEngine, SeeksLandOnTheExactFrame)
{
    const PcmFormat f{44100, 2, 16};
    const auto pcm = makeSignal(f, 30000);
    const QString file = path(QStringLiteral("seek.wav"));
    writeWav(file, f, pcm);
    auto reader = openOrFail(file);
    ASSERT_TRUE(reader);
    const int bpf = f.bytesPerFrame();
    std::vector<uint8_t> buf(size_t(1000 * bpf));
    QString error;
    for (int64_t frame : {int64_t(12345), int64_t(0), int64_t(29999), int64_t(777), int64_t(30000)}) {
        SCOPED_TRACE(frame);
        ASSERT_TRUE(reader->seekToFrame(frame, &error));
        const int64_t n = reader->read(buf.data(), 1000, &error);
        ASSERT_EQ(n, std::min<int64_t>(1000, 30000 - frame));
        EXPECT_TRUE(std::equal(buf.begin(), buf.begin() + n * bpf, pcm.begin() + frame * bpf));
    }
}

TEST_F(WavEngine, ConvertsWidthAndChannelsExactly)
{
    // 8-bit mono to 16-bit stereo: each sample widened and put on both sides unchanged.
    const PcmFormat mono8{22050, 1, 8};
    const auto pcm = makeSignal(mono8, 1000);
    const QString file = path(QStringLiteral("m8.wav"));
    writeWav(file, mono8, pcm);
    const PcmFormat stereo16{22050, 2, 16};
    const auto out = decodeAll(file, stereo16);
    ASSERT_EQ(out.size(), 1000u * 4);
    const auto* s = reinterpret_cast<const int16_t*>(out.data());
    for (int i = 0; i < 1000; ++i) {
        const int16_t expected = int16_t((int(pcm[size_t(i)]) - 128) * 256);
        ASSERT_EQ(s[2 * i], expected) << i;
        ASSERT_EQ(s[2 * i + 1], expected) << i;
    }

    // 24-bit to 16-bit keeps the top two bytes; 16-bit to 24-bit appends a zero byte.
    const PcmFormat s24{48000, 2, 24};
    const auto pcm24 = makeSignal(s24, 500);
    const QString file24 = path(QStringLiteral("s24.wav"));
    writeWav(file24, s24, pcm24);
    const auto out16 = decodeAll(file24, PcmFormat{48000, 2, 16});
    ASSERT_EQ(out16.size(), 500u * 4);
    for (size_t i = 0; i < 1000; ++i) {
        ASSERT_EQ(out16[2 * i], pcm24[3 * i + 1]) << i;
        ASSERT_EQ(out16[2 * i + 1], pcm24[3 * i + 2]) << i;
    }
    const auto back24 = decodeAll(file24, s24);
    EXPECT_EQ(back24, pcm24);

    // Widths a PCM buffer cannot hold are refused, not delivered in a wrong layout.
    QString error;
    for (const QString& file : {file24, path(QStringLiteral("m8.wav"))}) {
        auto reader = openOrFail(file);
        ASSERT_TRUE(reader);
        EXPECT_FALSE(reader->setOutputFormat(PcmFormat{48000, 2, 12}, &error));
        EXPECT_FALSE(reader->setOutputFormat(PcmFormat{48000, 0, 16}, &error));
        EXPECT_TRUE(error.contains(QDir::toNativeSeparators(file))) << error.toStdString();
    }
    auto compressed = openFfmpegReader(file24, &error);
    ASSERT_TRUE(compressed);
    EXPECT_FALSE(compressed->setOutputFormat(PcmFormat{48000, 2, 20}, &error));
}

TEST_F(WavEngine, ResamplingGivesTheScaledLength)
{
    const PcmFormat src{22050, 2, 16};
    const QString file = path(QStringLiteral("r.wav"));
    writeWav(file, src, makeSignal(src, 22050 * 3 + 17));
    for (int rate : {44100, 48000, 8000}) {
        SCOPED_TRACE(rate);
        const PcmFormat out{rate, 2, 16};
        const auto pcm = decodeAll(file, out);
        const double expected = double(22050 * 3 + 17) * rate / 22050;
        EXPECT_NEAR(double(pcm.size() / 4), expected, 2.0);
    }
}

TEST_F(WavEngine, InfoTagsAreWrittenAndReadBack)
{
    AudioTags tags;
    tags.title = QStringLiteral("Größe & Maß");
    tags.artist = QStringLiteral("Artist");
    tags.album = QStringLiteral("An album");
    tags.year = QStringLiteral("2010");
    tags.comment = QStringLiteral("odd");  // odd length: its sub-chunk is padded
    tags.genre = QStringLiteral("Rock");
    tags.track = QStringLiteral("7");
    const PcmFormat f{44100, 2, 16};
    const auto pcm = makeSignal(f, 4410);
    const QString file = path(QStringLiteral("tags.wav"));
    writeWav(file, f, pcm, tags);

    auto reader = openOrFail(file);
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->info().tags, tags);
    EXPECT_EQ(readAll(*reader, f), pcm);

    QString error;
    auto peer = openFfmpegReader(file, &error);
    ASSERT_TRUE(peer) << error.toStdString();
    EXPECT_EQ(peer->info().tags, tags);
}

TEST_F(WavEngine, LargeOutputsBecomeRf64)
{
    setRf64ThresholdForTesting(1000);
    const PcmFormat f{44100, 2, 16};
    const auto pcm = makeSignal(f, 3000);
    const QString file = path(QStringLiteral("big.wav"));
    writeWav(file, f, pcm);
    setRf64ThresholdForTesting(0xFFFFFFFFLL);

    QFile raw(file);
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    const QByteArray head = raw.read(20);
    EXPECT_TRUE(head.startsWith("RF64"));
    EXPECT_EQ(head.mid(4, 4), QByteArray("\xff\xff\xff\xff", 4));
    EXPECT_EQ(head.mid(12, 8), QByteArray("ds64\x1c\0\0\0", 8));

    auto reader = openOrFail(file);
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->info().totalFrames, 3000);
    EXPECT_EQ(readAll(*reader, f), pcm);
    QString error;
    auto peer = openFfmpegReader(file, &error);
    ASSERT_TRUE(peer) << error.toStdString();
    EXPECT_EQ(readAll(*peer, f), pcm);
}

TEST_F(WavEngine, BadInputsAreRefusedWithTheFileName)
{
    const PcmFormat f{44100, 2, 16};
    const QString good = path(QStringLiteral("good.wav"));
    writeWav(good, f, makeSignal(f, 10000));
    QFile goodFile(good);
    ASSERT_TRUE(goodFile.open(QIODevice::ReadOnly));
    const QByteArray whole = goodFile.readAll();

    struct Bad {
        const char* name;
        QByteArray content;
        bool create;
    };
    const Bad cases[] = {
        {"missing.wav", {}, false},
        {"empty.wav", {}, true},
        {"text.wav", "This is a text file, not audio.\nSecond line.\n", true},
        {"cut-in-data.wav", whole.left(whole.size() / 2), true},
        {"cut-in-header.wav", whole.left(30), true},
        {"no-data-chunk.wav", whole.left(44 - 8), true},
    };
    for (const Bad& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = path(QString::fromLatin1(c.name));
        if (c.create) {
            QFile out(file);
            ASSERT_TRUE(out.open(QIODevice::WriteOnly));
            out.write(c.content);
        }
        QString error;
        EXPECT_FALSE(AudioReader::open(file, &error));
        EXPECT_TRUE(error.contains(QDir::toNativeSeparators(file))) << error.toStdString();
        // The probe refuses it with the same words.
        SourceInfo info;
        QString probeError;
        EXPECT_FALSE(probeAudioSource(file, &info, &probeError));
        EXPECT_EQ(probeError, error);
    }
    const QString folder = path(QStringLiteral("folder.wav"));
    ASSERT_TRUE(QDir().mkpath(folder));
    QString error, probeError;
    SourceInfo info;
    EXPECT_FALSE(AudioReader::open(folder, &error));
    EXPECT_FALSE(probeAudioSource(folder, &info, &probeError));
    EXPECT_EQ(probeError, error);
    EXPECT_TRUE(error.contains(QStringLiteral("folder"))) << error.toStdString();
}

TEST_F(WavEngine, AProbeSeesWhatAFullOpenSees)
{
    // The probe reads the chunk list from the file's first block and whatever lies beyond it
    // by position; a full open hands its descriptor on to the reader. Both must report the
    // same, wherever the chunks sit.
    AudioTags small;
    small.title = QStringLiteral("Title");
    small.comment = QStringLiteral("odd");
    AudioTags large = small;
    large.comment = QString(6000, QLatin1Char('c'));  // the tag chunk reaches past the first block
    struct Case {
        const char* name;
        PcmFormat format;
        int64_t frames;
        AudioTags tags;
        int64_t rf64Threshold;
    } const cases[] = {
        {"u8-mono.wav", {22050, 1, 8}, 22051, {}, 0xFFFFFFFFLL},
        {"s16-tagged.wav", {44100, 2, 16}, 4410, small, 0xFFFFFFFFLL},
        {"s24-long-tag.wav", {48000, 2, 24}, 4801, large, 0xFFFFFFFFLL},
        {"rf64.wav", {44100, 2, 16}, 3000, small, 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = path(QString::fromLatin1(c.name));
        setRf64ThresholdForTesting(c.rf64Threshold);
        writeWav(file, c.format, makeSignal(c.format, c.frames), c.tags);
        setRf64ThresholdForTesting(0xFFFFFFFFLL);
        auto full = openOrFail(file);
        ASSERT_TRUE(full);
        SourceInfo probe;
        QString error;
        ASSERT_TRUE(probeAudioSource(file, &probe, &error)) << error.toStdString();
        const SourceInfo& want = full->info();
        EXPECT_EQ(probe.format, c.format);
        EXPECT_EQ(probe.format, want.format);
        EXPECT_EQ(probe.totalFrames, c.frames);
        EXPECT_EQ(probe.totalFrames, want.totalFrames);
        EXPECT_EQ(probe.durationMs, want.durationMs);
        EXPECT_EQ(probe.codecName, want.codecName);
        EXPECT_EQ(probe.bitrate, want.bitrate);
        EXPECT_EQ(probe.isPlainPcmWav, want.isPlainPcmWav);
        EXPECT_EQ(probe.pcmDataOffset, want.pcmDataOffset);
        EXPECT_EQ(probe.pcmDataBytes, want.pcmDataBytes);
        EXPECT_EQ(probe.tags, c.tags);
        EXPECT_EQ(probe.tags, want.tags);
        // The reader reads from the descriptor the chunk list came from.
        EXPECT_EQ(readAll(*full, c.format), makeSignal(c.format, c.frames));
    }
}

TEST_F(WavEngine, WriterRefusesUnwritablePlacesAndBadFormats)
{
    QString error;
    const QString nowhere = path(QStringLiteral("no/such/folder/out.wav"));
    EXPECT_FALSE(AudioWriter::create(wavSpec({44100, 2, 16}), nowhere, {}, &error));
    EXPECT_TRUE(error.contains(QDir::toNativeSeparators(nowhere))) << error.toStdString();

    const QString file = path(QStringLiteral("bad.wav"));
    for (const PcmFormat& f : {PcmFormat{44100, 2, 12}, PcmFormat{0, 2, 16}, PcmFormat{44100, 0, 16}}) {
        error.clear();
        EXPECT_FALSE(AudioWriter::create(wavSpec(f), file, {}, &error));
        EXPECT_TRUE(error.contains(QDir::toNativeSeparators(file))) << error.toStdString();
    }
    OutputSpec ape;
    ape.destinationFormat = dfAPE;
    EXPECT_FALSE(AudioWriter::create(ape, file, {}, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("APE"))) << error.toStdString();
    EXPECT_FALSE(QFile::exists(file));
}

TEST_F(WavEngine, AWrongBlockAlignmentIsReadByChannelsAndBits)
{
    // Some writers put a wrong block alignment into the format chunk. The samples are laid
    // out by the channels and bits all the same; probing and decoding both go by those.
    const PcmFormat f{22050, 2, 16};
    const auto pcm = makeSignal(f, 22050, 5);
    const QString good = path(QStringLiteral("good.wav"));
    writeWav(good, f, pcm);
    QFile in(good);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    const QByteArray bytes = in.readAll();
    const qsizetype fmt = bytes.indexOf("fmt ");
    ASSERT_GT(fmt, 0);
    for (int blockAlign : {0, 2, 3, 8}) {
        SCOPED_TRACE(blockAlign);
        QByteArray bad = bytes;
        bad[fmt + 8 + 12] = char(blockAlign);
        bad[fmt + 8 + 13] = 0;
        const QString file = path(QStringLiteral("align%1.wav").arg(blockAlign));
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bad);
        out.close();
        auto reader = openOrFail(file);
        ASSERT_TRUE(reader);
        EXPECT_EQ(reader->info().format, f);
        EXPECT_EQ(reader->info().totalFrames, 22050);
        EXPECT_EQ(decodeAll(file, f), pcm);
        EXPECT_EQ(int64_t(decodeAll(file, PcmFormat{44100, 1, 16}).size()), 44100 * 2);
    }
}

TEST(G711, TheExtremesAndTheSmallestSamplesCodeAsTheStandardsTables)
{
    const struct {
        int16_t sample;
        uint8_t aLaw, muLaw;
    } cases[] = {
        {0, 0xD5, 0xFF},      {-1, 0x55, 0x7E},     {7, 0xD5, 0xFE},       {16, 0xD4, 0xFD},
        {32767, 0xAA, 0x80},  {-32768, 0x2A, 0x00}, {-32767, 0x2A, 0x00},  {4095, 0x9A, 0xAF},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(engine::LinearToALaw(c.sample), c.aLaw) << c.sample;
        EXPECT_EQ(engine::LinearToMuLaw(c.sample), c.muLaw) << c.sample;
    }
}

using wavbytes::chunk;
using wavbytes::fmtBody;
using wavbytes::riff;
using wavbytes::rf64;

TEST_F(WavEngine, HostileHeadersAreRefusedSayingWhatIsWrong)
{
    // Each must be refused (not hang, not report a length it does not hold), by the probe and by
    // a full open alike, with the file's name and the fault.
    const QByteArray pcm(4000, '\x22');
    const QByteArray oddList = "INFO" + chunk("INAM", QByteArray("ab\0", 3), false);  // 15 bytes
    ASSERT_EQ(oddList.size() % 2, 1);
    const struct {
        const char* name;
        QByteArray content;
        const char* says;
    } cases[] = {
        // The 80-byte file that once sent the chunk walk backwards for ever.
        {"rf64-huge-data-size.wav", rf64(0xFFFFFFFFFFFFFFBCull, 0), "ends before its audio data does"},
        {"rf64-data-size-2p63.wav", rf64(uint64_t(1) << 63, 16), "ends before its audio data does"},
        {"rf64-data-size-2p64-1.wav", rf64(~uint64_t(0), 16), "ends before its audio data does"},
        {"rf64-data-size-past-end.wav", rf64(4001, 4000), "ends before its audio data does"},
        {"rate-1677765700.wav", riff(chunk("fmt ", fmtBody(1, 2, 1677765700u, 16)) + chunk("data", pcm)),
         "sample rate of 1677765700 Hz"},
        {"rate-4294967295.wav", riff(chunk("fmt ", fmtBody(1, 2, 0xFFFFFFFFu, 16)) + chunk("data", pcm)),
         "sample rate of 4294967295 Hz"},
        {"rate-768001.wav", riff(chunk("fmt ", fmtBody(1, 2, 768001, 16)) + chunk("data", pcm)),
         "rates from 1000 to 768000 Hz"},
        {"rate-0.wav", riff(chunk("fmt ", fmtBody(1, 1, 0, 16)) + chunk("data", pcm)), "sample rate of 0 Hz"},
        // Not integer PCM, so not ours to decode: the rate is refused before the codec sees it.
        {"float-rate-1677765700.wav", riff(chunk("fmt ", fmtBody(3, 2, 1677765700u, 32)) + chunk("data", pcm)),
         "sample rate of 1677765700 Hz"},
        {"odd-chunk-without-pad.wav",
         riff(chunk("fmt ", fmtBody(1, 2, 44100, 16)) + chunk("LIST", oddList, false) + chunk("data", pcm)),
         "its \"LIST\" chunk has an odd size and lacks the pad byte"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = path(QString::fromLatin1(c.name));
        ASSERT_TRUE(fixtures::writeFile(file, c.content));
        QString error, probeError;
        SourceInfo info;
        EXPECT_FALSE(probeAudioSource(file, &info, &probeError)) << info.durationMs;
        EXPECT_FALSE(AudioReader::open(file, &error));
        EXPECT_EQ(probeError, error);
        EXPECT_TRUE(error.contains(QDir::toNativeSeparators(file))) << error.toStdString();
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.says))) << error.toStdString();
    }
}

TEST_F(WavEngine, AnOddChunkAfterTheSamplesMayGoWithoutItsPadByteAndRatesAtTheEdgesAreRead)
{
    // An odd-sized chunk whose pad byte is missing after the samples were found loses none of them.
    QByteArray samples;
    for (int i = 0; i < 801; ++i)
        samples.append(char(i * 7));
    struct Case {
        const char* name;
        QByteArray content;
        PcmFormat format;
        int64_t frames;
    } const cases[] = {
        {"final-odd.wav", riff(chunk("fmt ", fmtBody(1, 1, 8000, 8)) + chunk("data", samples, false)), {8000, 1, 8}, 801},
        // Once the samples are found, what follows an unpadded chunk cannot cost any of them.
        {"odd-data-then-list.wav",
         riff(chunk("fmt ", fmtBody(1, 1, 8000, 8)) + chunk("data", samples, false) +
              chunk("LIST", "INFO" + chunk("INAM", QByteArray("Title\0", 6)))),
         {8000, 1, 8}, 801},
        {"rf64-exact.wav", rf64(4000, 4000), {44100, 2, 16}, 1000},
        {"rate-1000.wav", riff(chunk("fmt ", fmtBody(1, 1, 1000, 8)) + chunk("data", samples)), {1000, 1, 8}, 801},
        {"rate-768000.wav", riff(chunk("fmt ", fmtBody(1, 1, 768000, 8)) + chunk("data", samples)), {768000, 1, 8}, 801},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = path(QString::fromLatin1(c.name));
        ASSERT_TRUE(fixtures::writeFile(file, c.content));
        auto reader = openOrFail(file);
        ASSERT_TRUE(reader);
        EXPECT_EQ(reader->info().format, c.format);
        EXPECT_EQ(reader->info().totalFrames, c.frames);
        EXPECT_EQ(int64_t(decodeAll(file, c.format).size()), c.frames * c.format.bytesPerFrame());
    }
}
