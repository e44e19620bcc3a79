// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tests/components_engine/EngineFixtures.h"

#include <QFile>
#include <QSet>
#include <QtEndian>

#include <tuple>

using namespace engine;
using namespace fixtures;

namespace {

class Codecs : public testing::Test {
protected:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

OutputSpec acmSpec(const QString& tag, const QString& format)
{
    OutputSpec spec;
    spec.destinationFormat = dfACM;
    spec.acmTagName = tag;
    spec.acmFormatName = format;
    return spec;
}

OutputSpec wmaSpec(int codec, int format)
{
    WmaFormatRecord r;
    r.CodecIndex = codec;
    r.FormatIndex = format;
    OutputSpec spec;
    spec.destinationFormat = dfWMA;
    spec.record = r.toBytes();
    return spec;
}

OutputSpec oggSpec(int mode, int kbps, int quality, const PcmFormat& source)
{
    OggFormatRecord r;
    r.Mode = mode;
    r.NominalBitrate = kbps;
    r.Quality = quality;
    OutputSpec spec;
    spec.destinationFormat = dfOGG;
    spec.record = r.toBytes();
    spec.sourceFormat = source;
    return spec;
}

// Tone in the writer's input format (8 or 16 bits).
std::vector<uint8_t> toneFor(const PcmFormat& f, int64_t frames)
{
    auto tone = makeTone16(f.sampleRate, f.channels, frames);
    if (f.bitsPerSample != 8)
        return tone;
    std::vector<uint8_t> out(size_t(frames * f.channels));
    const auto* s = reinterpret_cast<const int16_t*>(tone.data());
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = uint8_t((s[i] >> 8) + 128);
    return out;
}

// Error energy of decoded against the 16-bit tone, relative to the tone's, over the middle
// part (codec start-up and the padded end are left out). Assumes equal alignment.
double relativeError(const std::vector<uint8_t>& tone16, const std::vector<uint8_t>& decoded16)
{
    const auto* a = reinterpret_cast<const int16_t*>(tone16.data());
    const auto* b = reinterpret_cast<const int16_t*>(decoded16.data());
    const size_t n = std::min(tone16.size(), decoded16.size()) / 2;
    double signal = 0, noise = 0;
    for (size_t i = n / 4; i < n * 3 / 4; ++i) {
        signal += double(a[i]) * a[i];
        noise += double(a[i] - b[i]) * (a[i] - b[i]);
    }
    return signal > 0 ? std::sqrt(noise / signal) : 1.0;
}

// The average-bytes-per-second field of the file's "fmt " chunk.
quint32 wavAverageBytesPerSecond(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray head = f.read(4096);
    const qsizetype fmt = head.indexOf("fmt ");
    if (fmt < 0 || fmt + 20 > head.size())
        return 0;
    return qFromLittleEndian<quint32>(head.constData() + fmt + 16);
}

}  // namespace

TEST_F(Codecs, AcmTagListAndTheConvertibleFilter)
{
    const QStringList all = {QStringLiteral("PCM"), QStringLiteral("IMA ADPCM"), QStringLiteral("Microsoft ADPCM"),
                             QStringLiteral("CCITT A-Law"), QStringLiteral("CCITT u-Law"), QStringLiteral("GSM 6.10")};
    EXPECT_EQ(AcmTagNames(), all);
    EXPECT_EQ(AcmTagNames(true, PcmFormat{8000, 1, 16}), all);
    EXPECT_EQ(AcmTagNames(true, PcmFormat{44100, 2, 16}), all.mid(0, 5));
    EXPECT_EQ(AcmTagNames(true, PcmFormat{96000, 2, 24}), QStringList{QStringLiteral("PCM")});
    EXPECT_TRUE(AcmFormats(QStringLiteral("No such codec")).isEmpty());
    EXPECT_TRUE(AcmFormats(QStringLiteral("pcm")).isEmpty());  // names are exact
    for (const QString& tag : all) {
        QSet<QString> names;
        for (const AcmFormatInfo& f : AcmFormats(tag))
            names.insert(f.name);
        EXPECT_EQ(names.size(), AcmFormats(tag).size()) << tag.toStdString();
        EXPECT_FALSE(names.isEmpty());
    }
    EXPECT_EQ(AcmFormats(QStringLiteral("PCM")).first().name, QStringLiteral("8,000 kHz, 8 Bit, Mono"));
}

TEST_F(Codecs, EveryAcmFormatWritesAReadableWav)
{
    const std::pair<QString, QString> codecOf[] = {
        {QStringLiteral("IMA ADPCM"), QStringLiteral("adpcm_ima_wav")},
        {QStringLiteral("Microsoft ADPCM"), QStringLiteral("adpcm_ms")},
        {QStringLiteral("CCITT A-Law"), QStringLiteral("pcm_alaw")},
        {QStringLiteral("CCITT u-Law"), QStringLiteral("pcm_mulaw")},
        {QStringLiteral("GSM 6.10"), QStringLiteral("gsm_ms")},
    };
    int index = 0;
    for (const QString& tag : AcmTagNames()) {
        for (const AcmFormatInfo& format : AcmFormats(tag)) {
            SCOPED_TRACE(QString(tag + QStringLiteral(" / ") + format.name).toStdString());
            const QString file = path(QStringLiteral("acm%1.wav").arg(index++));
            const int64_t frames = format.pcm.sampleRate / 2 + 3;
            const auto input = toneFor(format.pcm, frames);
            writeFile(acmSpec(tag, format.name), file, input);
            auto reader = openOrFail(file);
            ASSERT_TRUE(reader);
            const SourceInfo& info = reader->info();
            EXPECT_EQ(info.format.sampleRate, format.pcm.sampleRate);
            EXPECT_EQ(info.format.channels, format.pcm.channels);
            const PcmFormat out{format.pcm.sampleRate, format.pcm.channels, 16};
            QString error;
            ASSERT_TRUE(reader->setOutputFormat(out, &error)) << error.toStdString();
            const auto decoded = readAll(*reader, out);
            const int64_t got = int64_t(decoded.size()) / out.bytesPerFrame();
            if (tag == QLatin1String("PCM")) {
                EXPECT_TRUE(info.isPlainPcmWav);
                EXPECT_EQ(got, frames);
                if (format.pcm.bitsPerSample == 16) {
                    EXPECT_EQ(decoded, input);
                }
                continue;
            }
            for (const auto& [name, codec] : codecOf) {
                if (name == tag) {
                    EXPECT_EQ(info.codecName, codec);
                }
            }
            EXPECT_FALSE(info.isPlainPcmWav);
            // Block codecs pad their last block; the sample count ends with the input all the same.
            EXPECT_EQ(info.totalFrames, frames);
            EXPECT_EQ(info.durationMs, frames * 1000 / format.pcm.sampleRate);
            EXPECT_EQ(got, frames);
            EXPECT_GT(wavAverageBytesPerSecond(file), 0u);
            EXPECT_LT(relativeError(makeTone16(out.sampleRate, out.channels, frames), decoded),
                      tag == QLatin1String("GSM 6.10") ? 0.8 : 0.25);
        }
    }
}

TEST_F(Codecs, CompressedWavCarriesInfoTags)
{
    AudioTags tags;
    tags.title = QStringLiteral("Title");
    tags.artist = QStringLiteral("Artist");
    tags.album = QStringLiteral("Album");
    tags.year = QStringLiteral("1999");
    tags.comment = QStringLiteral("Comment");
    tags.genre = QStringLiteral("Jazz");
    tags.track = QStringLiteral("12");
    const QString file = path(QStringLiteral("tagged.wav"));
    writeFile(acmSpec(QStringLiteral("Microsoft ADPCM"), QStringLiteral("22,050 kHz, 4 Bit, Mono")), file,
              makeTone16(22050, 1, 22050), tags);
    auto reader = openOrFail(file);
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->info().tags, tags);
}

TEST_F(Codecs, AcmNamesThatAreNotListedAreRefused)
{
    QString error;
    const QString file = path(QStringLiteral("x.wav"));
    EXPECT_FALSE(AudioWriter::create(acmSpec(QStringLiteral("Nope"), QStringLiteral("8,000 kHz, 8 Bit, Mono")), file, {}, &error));
    EXPECT_TRUE(error.contains(QDir::toNativeSeparators(file)));
    EXPECT_FALSE(AudioWriter::create(acmSpec(QStringLiteral("PCM"), QStringLiteral("7 kHz")), file, {}, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("7 kHz")));
}

TEST_F(Codecs, EveryWmaFormatEncodes)
{
    const QStringList codecs = WmaCodecNames();
    ASSERT_EQ(codecs.size(), 2);
    EXPECT_TRUE(WmaFormatNames(2).isEmpty());
    EXPECT_TRUE(WmaFormatNames(-1).isEmpty());
    for (int c = 0; c < codecs.size(); ++c) {
        const QStringList formats = WmaFormatNames(c);
        ASSERT_FALSE(formats.isEmpty());
        for (int f = 0; f < formats.size(); ++f) {
            SCOPED_TRACE(QString(codecs[c] + QStringLiteral(" / ") + formats[f]).toStdString());
            QString error;
            const QString file = path(QStringLiteral("w%1-%2.wma").arg(c).arg(f));
            auto writer = AudioWriter::create(wmaSpec(c, f), file, {}, &error);
            ASSERT_TRUE(writer) << error.toStdString();
            const PcmFormat in = writer->inputFormat();
            writer.reset();
            const int64_t frames = in.sampleRate * 2;
            writeFile(wmaSpec(c, f), file, makeTone16(in.sampleRate, in.channels, frames));
            // The bitrate shows in what ten more seconds add (the container's header aside).
            const QString longer = path(QStringLiteral("w%1-%2-12s.wma").arg(c).arg(f));
            writeFile(wmaSpec(c, f), longer, makeTone16(in.sampleRate, in.channels, frames * 6));
            auto reader = openOrFail(file);
            ASSERT_TRUE(reader);
            EXPECT_EQ(reader->info().codecName, c == 0 ? QStringLiteral("wmav2") : QStringLiteral("wmav1"));
            EXPECT_EQ(reader->info().format.sampleRate, in.sampleRate);
            EXPECT_EQ(reader->info().format.channels, in.channels);
            const int kbps = formats[f].section(QLatin1Char(' '), 0, 0).toInt();
            EXPECT_NEAR(double(QFileInfo(longer).size() - QFileInfo(file).size()) * 8 / 10 / 1000, kbps,
                        kbps * 0.2);
            const auto decoded = decodeAll(file, in);
            EXPECT_NEAR(double(decoded.size() / in.bytesPerFrame()), double(frames), 4096.0);
        }
    }
    QString error;
    EXPECT_FALSE(AudioWriter::create(wmaSpec(0, 99), path(QStringLiteral("bad.wma")), {}, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("bad.wma")));
}

TEST_F(Codecs, OggKeepsTheSourceLayoutInBothModes)
{
    const PcmFormat source{22050, 1, 24};
    const int64_t frames = 22050 * 3 + 11;
    const auto tone = makeTone16(22050, 1, frames, 30000);

    const QString q = path(QStringLiteral("q.ogg"));
    writeFile(oggSpec(0, 0, 50, source), q, tone);
    auto reader = openOrFail(q);
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->info().codecName, QStringLiteral("vorbis"));
    EXPECT_EQ(reader->info().format, (PcmFormat{22050, 1, 16}));
    EXPECT_EQ(reader->info().totalFrames, frames);
    const auto decoded = readAll(*reader, PcmFormat{22050, 1, 16});
    EXPECT_EQ(int64_t(decoded.size()) / 2, frames);

    // Quality steers the size; the bitrate mode lands near its nominal rate.
    const QString low = path(QStringLiteral("low.ogg"));
    const QString high = path(QStringLiteral("high.ogg"));
    const PcmFormat stereo{44100, 2, 16};
    const auto busy = makeSignal(stereo, 44100 * 4, 5);
    writeFile(oggSpec(0, 0, 0, stereo), low, busy);
    writeFile(oggSpec(0, 0, 100, stereo), high, busy);
    EXPECT_LT(QFileInfo(low).size() * 3, QFileInfo(high).size());
    const QString nominal = path(QStringLiteral("b.ogg"));
    writeFile(oggSpec(2, 128, 0, stereo), nominal, busy);
    EXPECT_NEAR(double(QFileInfo(nominal).size()) * 8 / 4 / 1000, 128.0, 128 * 0.3);

    // Bitrates the encoder does not take for this rate and channel count become the nearest
    // one it takes: the options' own default of 32 (it starts at 45 here), and far too much.
    for (const auto& [asked, lowest, highest] : {std::tuple{32, 45, 46}, std::tuple{5000, 400, 500}}) {
        SCOPED_TRACE(asked);
        const QString file = path(QStringLiteral("n%1.ogg").arg(asked));
        writeFile(oggSpec(2, asked, 0, stereo), file, busy);
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray head = f.read(200);
        const qsizetype id = head.indexOf("\x01vorbis");
        ASSERT_GE(id, 0);
        const auto* b = reinterpret_cast<const uint8_t*>(head.constData()) + id + 7 + 4 + 1 + 4 + 4;
        const int nominal = int(b[0] | b[1] << 8 | b[2] << 16 | uint32_t(b[3]) << 24) / 1000;  // bitrate_nominal
        EXPECT_GE(nominal, lowest);
        EXPECT_LE(nominal, highest);
    }
}

TEST_F(Codecs, CompressedSeeksMatchTheLinearDecode)
{
    const PcmFormat stereo{44100, 2, 16};
    const int64_t frames = 44100 * 3;
    const auto tone = makeTone16(44100, 2, frames, 70000);
    const QString ogg = path(QStringLiteral("s.ogg"));
    writeFile(oggSpec(0, 0, 40, stereo), ogg, tone);
    const QString ima = path(QStringLiteral("s.wav"));
    writeFile(acmSpec(QStringLiteral("IMA ADPCM"), QStringLiteral("44,100 kHz, 4 Bit, Stereo")), ima, tone);
    for (const QString& file : {ogg, ima}) {
        SCOPED_TRACE(file.toStdString());
        const auto linear = decodeAll(file, stereo);
        auto reader = openOrFail(file);
        ASSERT_TRUE(reader);
        QString error;
        std::vector<uint8_t> buf(1000 * 4);
        for (int64_t frame : {int64_t(70000), int64_t(100), int64_t(120000), int64_t(69999)}) {
            ASSERT_TRUE(reader->seekToFrame(frame, &error));
            ASSERT_EQ(reader->read(buf.data(), 1000, &error), 1000);
            EXPECT_TRUE(std::equal(buf.begin(), buf.end(), linear.begin() + frame * 4)) << frame;
        }
    }
}
