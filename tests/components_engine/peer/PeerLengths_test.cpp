// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// Lengths and start positions of what the engine decodes and encodes, against independent
// encoders and decoders (lame, oggenc, oggdec) where they exist.

#include "tests/components_engine/EngineFixtures.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>

#include <cstdlib>
#include <functional>

using namespace engine;
using namespace fixtures;

namespace {

bool run(const QString& program, const QStringList& args, QString* output = nullptr)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000))
        return false;
    if (output)
        *output = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

struct Pcm16 {
    int rate = 0;
    int channels = 0;
    std::vector<int16_t> samples;
    int64_t frames() const { return channels ? int64_t(samples.size()) / channels : 0; }
};

// A 16-bit PCM WAV as another program wrote it, read by walking its chunks.
Pcm16 readWav16(const QString& path)
{
    QFile f(path);
    Pcm16 out;
    if (!f.open(QIODevice::ReadOnly))
        return out;
    const QByteArray b = f.readAll();
    auto u32 = [&](qsizetype at) { return uint32_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8 | uint8_t(b[at + 2]) << 16 | uint32_t(uint8_t(b[at + 3])) << 24); };
    auto u16 = [&](qsizetype at) { return uint16_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8); };
    for (qsizetype pos = 12; pos + 8 <= b.size();) {
        const QByteArray id = b.mid(pos, 4);
        qsizetype size = u32(pos + 4);
        if (id == "fmt ") {
            out.channels = u16(pos + 10);
            out.rate = int(u32(pos + 12));
        } else if (id == "data") {
            size = std::min(size, b.size() - pos - 8);  // writers to a pipe leave the size open
            out.samples.resize(size_t(size / 2));
            memcpy(out.samples.data(), b.constData() + pos + 8, size_t(size / 2) * 2);
        }
        pos += 8 + size + (size & 1);
    }
    return out;
}

Pcm16 decodeWithEngine(const QString& path)
{
    Pcm16 out;
    auto reader = openOrFail(path);
    if (!reader)
        return out;
    const PcmFormat f{reader->info().format.sampleRate, reader->info().format.channels, 16};
    QString error;
    EXPECT_TRUE(reader->setOutputFormat(f, &error)) << error.toStdString();
    const auto bytes = readAll(*reader, f);
    out.rate = f.sampleRate;
    out.channels = f.channels;
    out.samples.resize(bytes.size() / 2);
    memcpy(out.samples.data(), bytes.data(), out.samples.size() * 2);
    return out;
}

// Largest difference over the frames both hold, from the given frame of `reference` on. Two
// decoders of one stream differ by a few steps; a shift of one frame of a 1 kHz tone by
// hundreds.
int largestDifference(const Pcm16& ours, const Pcm16& reference, int64_t referenceStart = 0)
{
    const int64_t frames = std::min(ours.frames(), reference.frames() - referenceStart);
    int worst = 0;
    for (int64_t i = 0; i < frames * ours.channels; ++i)
        worst = std::max(worst, std::abs(int(ours.samples[size_t(i)]) -
                                         int(reference.samples[size_t(i + referenceStart * ours.channels)])));
    return worst;
}

void writeTone(const QString& path, int64_t frames, int64_t clickFrame = -1)
{
    writeWav(path, PcmFormat{44100, 2, 16}, makeTone16(44100, 2, frames, clickFrame));
}

Mp3FormatRecord cbr(int kbps)
{
    Mp3FormatRecord r;
    r.Bitrate = kbps;
    r.ABRBitrate = kbps;
    r.SampleRate = 44100;
    r.Quality = 5;
    r.Mode = mp3JointStereo;
    r.VBRMethod = mp3Cbr;
    r.VBRMinBitrate = 9;
    r.VBRMaxBitrate = 11;
    r.VBRQuality = 5;
    return r;  // WriteVBRTag left clear: the info frame must be there all the same
}

void encodeMp3(const QString& wav, const QString& mp3, const Mp3FormatRecord& record)
{
    OutputSpec spec;
    spec.destinationFormat = dfMP3;
    spec.record = record.toBytes();
    const auto pcm = decodeAll(wav, PcmFormat{44100, record.Mode == mp3Mono ? 1 : 2, 16});
    writeFile(spec, mp3, pcm);
}

struct Mp3Frame {
    int64_t offset;
    int length;
    int kbps;
};

// Whole frames of an MP3 file without tags, by their headers.
std::vector<Mp3Frame> mp3Frames(const QByteArray& d)
{
    static const int br1[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    static const int br2[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    std::vector<Mp3Frame> frames;
    const auto* b = reinterpret_cast<const uint8_t*>(d.constData());
    for (int64_t pos = 0; pos + 4 <= d.size() && b[pos] == 0xff && (b[pos + 1] & 0xe0) == 0xe0;) {
        const int version = (b[pos + 1] >> 3) & 3;
        const bool mpeg1 = version == 3;
        const int rateIndex = (b[pos + 2] >> 2) & 3;
        const int rate = (rateIndex == 0 ? 44100 : rateIndex == 1 ? 48000 : 32000) >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
        const int kbps = (mpeg1 ? br1 : br2)[b[pos + 2] >> 4];
        const int length = (mpeg1 ? 144 : 72) * kbps * 1000 / rate + ((b[pos + 2] >> 1) & 1);
        if (length <= 4 || pos + length > d.size())
            break;
        frames.push_back({pos, length, kbps});
        pos += length;
    }
    return frames;
}

class PeerLengths : public testing::Test {
protected:
    void SetUp() override
    {
        for (const char* tool : {"/usr/bin/lame", "/usr/bin/oggenc", "/usr/bin/oggdec"})
            ASSERT_TRUE(QFile::exists(QLatin1String(tool)))
                << tool << " is missing: install it (tools/debian-packages.txt lists it)";
    }
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

TEST_F(PeerLengths, DecodedLengthsMatchIndependentDecoders)
{
    const QString tone = path(QStringLiteral("tone.wav"));
    writeTone(tone, 44100 * 3);

    struct Row {
        const char* what;
        QString file;                   // what the engine reads
        std::function<int64_t()> expected;  // frames it must give (and probe)
        Pcm16 reference;                // an independent decode the engine's must match
        int64_t referenceStart = 0;
    };
    std::vector<Row> rows;

    {
        // Our MP3, cut to a sixth in the middle of a frame: the frames that are there, less
        // the encoder's delay and the decoder's, with the same samples as the whole file's start.
        const QString whole = path(QStringLiteral("whole.mp3"));
        encodeMp3(tone, whole, cbr(128));
        QFile f(whole);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        const QByteArray cut = bytes.left(bytes.size() / 6 + 7);
        const QString cutFile = path(QStringLiteral("cut.mp3"));
        QFile out(cutFile);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(cut);
        out.close();
        const auto frames = mp3Frames(cut);
        ASSERT_GT(frames.size(), 2u);
        ASSERT_LT(frames.back().offset + frames.back().length, cut.size()) << "the cut falls inside a frame";
        const qsizetype lame = bytes.indexOf("LAME");
        ASSERT_GT(lame, 0);
        const int delay = uint8_t(bytes[lame + 21]) << 4 | uint8_t(bytes[lame + 22]) >> 4;
        ASSERT_TRUE(run(QStringLiteral("/usr/bin/lame"), {QStringLiteral("--quiet"), QStringLiteral("--decode"), whole,
                                                          path(QStringLiteral("whole-lame.wav"))}));
        const int64_t audioFrames = int64_t(frames.size()) - 1;  // the first is the info frame
        rows.push_back({"MP3 cut off", cutFile, [=] { return audioFrames * 1152 - delay - 529; },
                        readWav16(path(QStringLiteral("whole-lame.wav")))});
    }
    {
        // Another encoder's MP3 without an info frame, against that encoder's own decoder.
        const QString file = path(QStringLiteral("notag.mp3"));
        ASSERT_TRUE(run(QStringLiteral("/usr/bin/lame"),
                        {QStringLiteral("--quiet"), QStringLiteral("-t"), QStringLiteral("-b"), QStringLiteral("128"),
                         tone, file}));
        ASSERT_TRUE(run(QStringLiteral("/usr/bin/lame"), {QStringLiteral("--quiet"), QStringLiteral("--decode"), file,
                                                          path(QStringLiteral("notag-lame.wav"))}));
        const Pcm16 reference = readWav16(path(QStringLiteral("notag-lame.wav")));
        rows.push_back({"MP3 without info frame", file, [=] { return reference.frames(); }, reference});
    }
    for (int64_t frames : {int64_t(44100), int64_t(4410), int64_t(1000)}) {
        // Ogg Vorbis from the reference encoder: exactly the granule length, as its decoder gives.
        const QString source = path(QStringLiteral("v%1.wav").arg(frames));
        writeTone(source, frames);
        const QString file = path(QStringLiteral("v%1.ogg").arg(frames));
        const QString decoded = path(QStringLiteral("v%1-oggdec.wav").arg(frames));
        ASSERT_TRUE(run(QStringLiteral("/usr/bin/oggenc"), {QStringLiteral("-Q"), QStringLiteral("-q"), QStringLiteral("3"),
                                                            source, QStringLiteral("-o"), file}));
        ASSERT_TRUE(run(QStringLiteral("/usr/bin/oggdec"), {QStringLiteral("-Q"), file, QStringLiteral("-o"), decoded}));
        const Pcm16 reference = readWav16(decoded);
        EXPECT_EQ(reference.frames(), frames);
        rows.push_back({"Ogg Vorbis", file, [=] { return frames; }, reference});
    }

    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        SCOPED_TRACE(row.file.toStdString());
        auto reader = openOrFail(row.file);
        ASSERT_TRUE(reader);
        const int64_t expected = row.expected();
        EXPECT_EQ(reader->info().totalFrames, expected) << "probe";
        EXPECT_EQ(reader->info().durationMs, expected * 1000 / reader->info().format.sampleRate);
        const Pcm16 ours = decodeWithEngine(row.file);
        EXPECT_EQ(ours.frames(), expected) << "decode";
        ASSERT_GE(row.reference.frames(), std::min(expected, ours.frames()));
        EXPECT_LE(largestDifference(ours, row.reference, row.referenceStart), 8);
    }
}

TEST_F(PeerLengths, EveryMp3OutputDecodesBackToItsSourceLength)
{
    // Down to 8 kbit/s the output carries its info frame, reaches its bitrate (at the lower
    // rate the encoder picks where 44.1 kHz cannot go that low) and decodes back, through
    // the reference decoder, to the source's length at its own rate.
    const QString tone = path(QStringLiteral("tone.wav"));
    const int64_t frames = 44100 * 2;
    writeTone(tone, frames);
    for (int kbps : {8, 16, 24, 32, 40, 48, 56, 64, 128, 320}) {
        SCOPED_TRACE(kbps);
        for (int mode : {int(mp3JointStereo), int(mp3Mono)}) {
            SCOPED_TRACE(mode);
            Mp3FormatRecord r = cbr(kbps);
            r.Mode = mode;
            const QString file = path(QStringLiteral("b%1-%2.mp3").arg(kbps).arg(mode));
            encodeMp3(tone, file, r);
            QFile f(file);
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            const QByteArray bytes = f.readAll();
            const auto headers = mp3Frames(bytes);
            ASSERT_GT(headers.size(), 2u);
            const QByteArray first = bytes.mid(0, headers.front().length);
            EXPECT_TRUE(first.contains("Info") || first.contains("Xing")) << "no info frame";
            for (size_t i = 1; i < headers.size(); ++i)
                ASSERT_EQ(headers[i].kbps, kbps) << "frame " << i;

            const QString decoded = path(QStringLiteral("b%1-%2-lame.wav").arg(kbps).arg(mode));
            ASSERT_TRUE(run(QStringLiteral("/usr/bin/lame"), {QStringLiteral("--quiet"), QStringLiteral("--decode"), file, decoded}));
            const Pcm16 reference = readWav16(decoded);
            ASSERT_GT(reference.rate, 0);
            EXPECT_EQ(reference.frames() * 44100, frames * reference.rate) << "at " << reference.rate << " Hz";
            auto reader = openOrFail(file);
            ASSERT_TRUE(reader);
            EXPECT_EQ(reader->info().totalFrames, reference.frames());
        }
    }
}

TEST_F(PeerLengths, WmaKeepsTheSourcesStart)
{
    // A click at a known frame lands at that frame again after encoding and decoding.
    const QString source = path(QStringLiteral("click.wav"));
    const int64_t click = 10000;
    writeTone(source, 44100 * 2, click);
    const int64_t formats = int64_t(WmaFormatNames(0).size());
    for (int codec : {0, 1}) {
        for (int format : {0, int(formats / 2)}) {
            SCOPED_TRACE(codec);
            SCOPED_TRACE(format);
            OutputSpec spec;
            spec.destinationFormat = dfWMA;
            spec.record = WmaFormatRecord{codec, format}.toBytes();
            const QString file = path(QStringLiteral("c%1-%2.wma").arg(codec).arg(format));
            QString error;
            auto writer = AudioWriter::create(spec, file, {}, &error);
            ASSERT_TRUE(writer) << error.toStdString();
            const PcmFormat in = writer->inputFormat();
            writer.reset();
            const auto pcm = decodeAll(source, in);
            writeFile(spec, file, pcm);
            // Back at the source's rate, so the click's frame compares directly.
            const auto back = decodeAll(file, PcmFormat{44100, 2, 16});
            const auto* s = reinterpret_cast<const int16_t*>(back.data());
            int64_t peak = 0;
            for (int64_t i = 0; i < int64_t(back.size()) / 4; ++i)
                if (std::abs(s[i * 2]) > std::abs(s[peak * 2]))
                    peak = i;
            EXPECT_NEAR(double(peak), double(click), 3.0);
            EXPECT_GE(int64_t(back.size()) / 4, 44100 * 2);
        }
    }
}

TEST_F(PeerLengths, JoinsAddUpToTheProbedLengths)
{
    // Short Ogg items and a cut-off MP3 joined: the output holds exactly what the probes said.
    QStringList items;
    int64_t probed = 0;
    for (int i = 0; i < 12; ++i) {
        const QString source = path(QStringLiteral("j%1.wav").arg(i));
        writeTone(source, 2205 + 37 * i);
        const QString file = path(QStringLiteral("j%1.ogg").arg(i));
        ASSERT_TRUE(run(QStringLiteral("/usr/bin/oggenc"), {QStringLiteral("-Q"), source, QStringLiteral("-o"), file}));
        items << file;
    }
    const QString tone = path(QStringLiteral("tone.wav"));
    writeTone(tone, 44100 * 2);
    const QString whole = path(QStringLiteral("whole.mp3"));
    encodeMp3(tone, whole, cbr(96));
    {
        QFile f(whole);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray half = f.readAll().chopped(int(f.size() / 2) + 3);
        QFile out(path(QStringLiteral("half.mp3")));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(half);
    }
    items << path(QStringLiteral("half.mp3"));
    for (const QString& item : items)
        probed += openOrFail(item)->info().totalFrames;

    const QString out = path(QStringLiteral("joined.wav"));
    QStringList args{QStringLiteral("join"), out, QStringLiteral("wav:44100:2:16")};
    args += items;
    QString output;
    ASSERT_TRUE(run(QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/engine-driver"), args, &output))
        << output.toStdString();
    EXPECT_EQ(readWav16(out).frames(), probed);
}

}  // namespace
