// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tests/components_engine/EngineFixtures.h"

#include "components/engine/FfmpegReader.h"
#include "tests/components/WavFixtures.h"

#include <QFile>

#include <set>

using namespace engine;
using namespace fixtures;

namespace {

struct FrameHeader {
    int bitrate;  // kbit/s
    int sampleRate;
    int channelMode;  // 0 stereo, 1 joint, 2 dual, 3 mono
    bool crc;
    bool copyright;
    bool original;
};

// Walks the MPEG audio frames of a file (after its ID3v2 tag) by their headers.
std::vector<FrameHeader> frameHeaders(const QString& path, QByteArray* firstFrame = nullptr)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = f.readAll();
    const auto* b = reinterpret_cast<const uint8_t*>(data.constData());
    int64_t pos = 0;
    if (data.startsWith("ID3"))
        pos = 10 + ((b[6] & 0x7f) << 21 | (b[7] & 0x7f) << 14 | (b[8] & 0x7f) << 7 | (b[9] & 0x7f));
    static const int br1[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    static const int br2[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    std::vector<FrameHeader> out;
    while (pos + 4 <= data.size() && b[pos] == 0xff && (b[pos + 1] & 0xe0) == 0xe0) {
        const bool mpeg1 = ((b[pos + 1] >> 3) & 3) == 3;
        const int version = (b[pos + 1] >> 3) & 3;
        const int rateIndex = (b[pos + 2] >> 2) & 3;
        const int rate = (rateIndex == 0 ? 44100 : rateIndex == 1 ? 48000 : 32000) >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
        const int bitrate = (mpeg1 ? br1 : br2)[b[pos + 2] >> 4];
        const int padding = (b[pos + 2] >> 1) & 1;
        FrameHeader h{bitrate, rate, b[pos + 3] >> 6, (b[pos + 1] & 1) == 0, ((b[pos + 3] >> 3) & 1) != 0,
                      ((b[pos + 3] >> 2) & 1) != 0};
        out.push_back(h);
        const int length = (mpeg1 ? 144 : 72) * bitrate * 1000 / rate + padding;
        if (firstFrame && out.size() == 1)
            *firstFrame = data.mid(int(pos), length);
        if (length <= 4)
            break;
        pos += length;
    }
    return out;
}

Mp3FormatRecord cbr(int kbps)
{
    Mp3FormatRecord r;
    r.Bitrate = kbps;
    r.ABRBitrate = 96;
    r.SampleRate = 44100;
    r.Quality = 5;
    r.Mode = mp3JointStereo;
    r.VBRMethod = mp3Cbr;
    r.VBRMinBitrate = 9;
    r.VBRMaxBitrate = 11;
    r.VBRQuality = 5;
    r.WriteVBRTag = -1;
    return r;
}

OutputSpec mp3Spec(const Mp3FormatRecord& r)
{
    OutputSpec spec;
    spec.destinationFormat = dfMP3;
    spec.record = r.toBytes();
    return spec;
}

// Frame of the loudest sample in channel 0.
int64_t peakFrame(const std::vector<uint8_t>& pcm, int channels)
{
    const auto* s = reinterpret_cast<const int16_t*>(pcm.data());
    const int64_t frames = int64_t(pcm.size()) / (2 * channels);
    int64_t best = 0;
    for (int64_t i = 1; i < frames; ++i)
        if (std::abs(s[i * channels]) > std::abs(s[best * channels]))
            best = i;
    return best;
}

class Mp3Engine : public testing::Test {
protected:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

}  // namespace

TEST_F(Mp3Engine, GaplessLengthAndPositionForEachBitrateMethod)
{
    const int64_t frames = 100003;
    const int64_t click = 60000;
    const auto tone = makeTone16(44100, 2, frames, click);
    Mp3FormatRecord vbr = cbr(128);
    vbr.VBRMethod = mp3Vbr;
    Mp3FormatRecord abr = cbr(128);
    abr.VBRMethod = mp3Abr;
    const std::pair<const char*, Mp3FormatRecord> cases[] = {{"cbr", cbr(128)}, {"vbr", vbr}, {"abr", abr}};
    for (const auto& [name, record] : cases) {
        SCOPED_TRACE(name);
        const QString file = path(QStringLiteral("%1.mp3").arg(QLatin1String(name)));
        writeFile(mp3Spec(record), file, tone);
        auto reader = openOrFail(file);
        ASSERT_TRUE(reader);
        EXPECT_EQ(reader->info().totalFrames, frames);
        EXPECT_EQ(reader->info().format, (PcmFormat{44100, 2, 16}));
        EXPECT_EQ(reader->info().codecName, QStringLiteral("mp3"));
        const PcmFormat out{44100, 2, 16};
        const auto pcm = readAll(*reader, out);
        EXPECT_EQ(int64_t(pcm.size()) / 4, frames);
        EXPECT_NEAR(double(peakFrame(pcm, 2)), double(click), 2.0);
    }
}

TEST_F(Mp3Engine, AProbeSeesWhatAFullOpenSees)
{
    // A probe takes rate and channels from the first frame header instead of the library's
    // analysis: format, length and tags must come out as a full open gives them, for MPEG-1
    // and MPEG-2 frames, mono and stereo, CBR and VBR, with and without tags.
    AudioTags tags;
    tags.title = QStringLiteral("Ночь");
    tags.artist = QStringLiteral("Artist");
    tags.album = QStringLiteral("Album");
    tags.year = QStringLiteral("2024");
    tags.comment = QStringLiteral("note");
    tags.genre = QStringLiteral("Rock");
    tags.track = QStringLiteral("7");
    Mp3FormatRecord vbr = cbr(128);
    vbr.VBRMethod = mp3Vbr;
    Mp3FormatRecord mono = cbr(32);
    mono.SampleRate = 22050;
    mono.Mode = mp3Mono;
    Mp3FormatRecord low = cbr(24);
    low.SampleRate = 11025;
    low.Mode = mp3Mono;
    struct Case {
        const char* name;
        Mp3FormatRecord record;
        int rate, channels;
        bool tagged;
    } const cases[] = {
        {"cbr", cbr(128), 44100, 2, false}, {"vbr-tagged", vbr, 44100, 2, true},
        {"mono22", mono, 22050, 1, true},   {"mono11", low, 11025, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = path(QStringLiteral("%1.mp3").arg(QLatin1String(c.name)));
        writeFile(mp3Spec(c.record), file, makeTone16(c.rate, c.channels, 30011), c.tagged ? tags : AudioTags{});
        auto full = openOrFail(file);
        ASSERT_TRUE(full);
        QString error;
        SourceInfo probe;
        ASSERT_TRUE(probeAudioSource(file, &probe, &error)) << error.toStdString();
        EXPECT_EQ(probe.format, full->info().format);
        EXPECT_EQ(probe.format, (PcmFormat{c.rate, c.channels, 16}));
        EXPECT_EQ(probe.totalFrames, full->info().totalFrames);
        EXPECT_EQ(probe.durationMs, full->info().durationMs);
        EXPECT_EQ(probe.codecName, full->info().codecName);
        EXPECT_EQ(probe.tags, full->info().tags);
        if (c.tagged) {
            EXPECT_EQ(probe.tags.title, tags.title);
        }
    }
    // What is no MP3 is refused by the probe as by a full open.
    const QString text = path(QStringLiteral("text.mp3"));
    QFile f(text);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(4000, 'x'));
    f.close();
    QString error;
    EXPECT_FALSE(AudioReader::open(text, &error));
    SourceInfo none;
    EXPECT_FALSE(probeAudioSource(text, &none, &error));
}

TEST_F(Mp3Engine, WithoutTheInfoFrameTheProbedLengthMatchesTheDecode)
{
    // Without the info frame nothing says how long the file is: the probe works it out from
    // the frames and must agree with what decoding gives, which is every frame less the
    // decoder's own delay of 529 samples. Our writer always adds the info frame, so it is cut
    // out here again.
    Mp3FormatRecord plain = cbr(128);
    plain.WriteVBRTag = 0;
    Mp3FormatRecord average = plain;
    average.VBRMethod = mp3Abr;
    average.ABRBitrate = 128;
    const int64_t frames = 44100 * 3;
    const PcmFormat f{44100, 2, 16};
    auto busy = makeSignal(f, frames, 9);
    std::fill(busy.begin(), busy.begin() + busy.size() / 3, 0);
    const std::pair<const char*, Mp3FormatRecord> cases[] = {{"cbr", plain}, {"abr", average}};
    for (const auto& [name, record] : cases) {
        SCOPED_TRACE(name);
        const QString file = path(QStringLiteral("notag-%1.mp3").arg(QLatin1String(name)));
        AudioTags tags;
        tags.title = QStringLiteral("t");  // an ID3v1 tag at the end must not count as frames
        writeFile(mp3Spec(record), file, busy, tags);
        {
            QByteArray info;
            ASSERT_FALSE(frameHeaders(file, &info).empty());
            QFile f(file);
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            QByteArray data = f.readAll();
            f.close();
            const qsizetype at = data.indexOf(info);
            ASSERT_GE(at, 0);
            data.remove(at, info.size());
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(data);
        }
        QByteArray first;
        const auto headers = frameHeaders(file, &first);
        EXPECT_FALSE(first.contains("Info") || first.contains("Xing"));
        auto reader = openOrFail(file);
        ASSERT_TRUE(reader);
        const auto pcm = readAll(*reader, f);
        const int64_t decoded = int64_t(pcm.size()) / 4;
        EXPECT_EQ(reader->info().totalFrames, decoded);
        EXPECT_EQ(decoded, int64_t(headers.size()) * 1152 - 529);
        EXPECT_GE(decoded, frames);
        EXPECT_LE(decoded, frames + 3 * 1152);
        // The probe counts the same frames, and reads the ID3v1 tag as the full open does.
        SourceInfo probe;
        QString error;
        ASSERT_TRUE(probeAudioSource(file, &probe, &error)) << error.toStdString();
        EXPECT_EQ(probe.totalFrames, decoded);
        EXPECT_EQ(probe.durationMs, reader->info().durationMs);
        EXPECT_EQ(probe.tags, reader->info().tags);
        EXPECT_EQ(probe.tags.title, QStringLiteral("t"));
    }
}

TEST_F(Mp3Engine, TheOtherInfoFrameKindIsSkippedAndCounted)
{
    // A file whose first frame is a VBRI info frame: made from an untagged file by turning
    // its first frame into one, as that encoder writes it.
    Mp3FormatRecord r = cbr(128);
    r.WriteVBRTag = 0;
    const QString plain = path(QStringLiteral("plain.mp3"));
    writeFile(mp3Spec(r), plain, makeSignal(PcmFormat{44100, 2, 16}, 44100 * 12, 4));
    QFile in(plain);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    QByteArray data = in.readAll();
    const auto audioFrames = frameHeaders(plain).size() - 1;
    QByteArray vbri("VBRI\0\x01\0\0\0\x50", 10);
    vbri.append(QByteArray(4, '\0'));  // byte count, not used
    for (int shift : {24, 16, 8, 0})
        vbri.append(char(audioFrames >> shift));
    data.replace(4 + 32, vbri.size(), vbri);
    const QString file = path(QStringLiteral("vbri.mp3"));
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(data);
    out.close();

    const PcmFormat f{44100, 2, 16};
    const auto linear = decodeAll(file, f);
    auto reader = openOrFail(file);
    ASSERT_TRUE(reader);
    // That info frame says nothing of the delay: the decoder's own 529 samples go.
    EXPECT_EQ(reader->info().totalFrames, int64_t(audioFrames) * 1152 - 529);
    SourceInfo probe;
    QString probeError;
    ASSERT_TRUE(probeAudioSource(file, &probe, &probeError)) << probeError.toStdString();
    EXPECT_EQ(probe.totalFrames, reader->info().totalFrames);
    EXPECT_EQ(int64_t(linear.size()) / 4, int64_t(audioFrames) * 1152 - 529);
    QString error;
    std::vector<uint8_t> buf(1000 * 4);
    for (int64_t frame : {int64_t(44100 * 9), int64_t(44100 * 2)}) {
        ASSERT_TRUE(reader->seekToFrame(frame, &error));
        ASSERT_EQ(reader->read(buf.data(), 1000, &error), 1000);
        EXPECT_TRUE(std::equal(buf.begin(), buf.end(), linear.begin() + frame * 4)) << frame;
    }
}

TEST_F(Mp3Engine, SeeksMatchTheLinearDecode)
{
    // Near seeks decode their way forward, far ones and backward ones restart from a frame
    // offset: both must land on the very sample a straight decode gives.
    Mp3FormatRecord vbr = cbr(128);
    vbr.VBRMethod = mp3Vbr;
    Mp3FormatRecord untagged = cbr(160);
    untagged.WriteVBRTag = 0;
    Mp3FormatRecord low = cbr(32);
    low.Mode = mp3Mono;
    low.SampleRate = 22050;
    Mp3FormatRecord tiny = cbr(8);
    tiny.Mode = mp3Mono;
    tiny.SampleRate = 8000;
    const std::pair<const char*, Mp3FormatRecord> cases[] = {
        {"cbr", cbr(160)}, {"vbr", vbr}, {"untagged", untagged}, {"mpeg2-mono", low}, {"mpeg25-8k", tiny}};
    for (const auto& [name, record] : cases) {
        SCOPED_TRACE(name);
        const int rate = record.SampleRate;
        const int channels = record.Mode == mp3Mono ? 1 : 2;
        const int64_t frames = int64_t(rate) * 20;
        const QString file = path(QStringLiteral("seek-%1.mp3").arg(QLatin1String(name)));
        const PcmFormat out{rate, channels, 16};
        writeFile(mp3Spec(record), file, makeSignal(out, frames, 11));
        const auto linear = decodeAll(file, out);
        const int64_t total = int64_t(linear.size()) / out.bytesPerFrame();
        ASSERT_GE(total, frames);
        auto reader = openOrFail(file);
        ASSERT_TRUE(reader);
        QString error;
        ASSERT_TRUE(reader->setOutputFormat(out, &error));
        const int bpf = out.bytesPerFrame();
        std::vector<uint8_t> buf(size_t(1000 * bpf));
        for (double at : {0.6, 0.61, 0.05, 0.9, 0.3, 0.0001, 0.99995, 0.5}) {
            const int64_t frame = int64_t(at * double(total - 1000));
            SCOPED_TRACE(frame);
            ASSERT_TRUE(reader->seekToFrame(frame, &error)) << error.toStdString();
            ASSERT_EQ(reader->read(buf.data(), 1000, &error), 1000);
            EXPECT_TRUE(std::equal(buf.begin(), buf.end(), linear.begin() + frame * bpf));
        }
        // And reading on from a far seek runs to the same end.
        ASSERT_TRUE(reader->seekToFrame(total - 30000, &error));
        const auto rest = readAll(*reader, out);
        EXPECT_EQ(int64_t(rest.size()) / bpf, 30000);
        EXPECT_TRUE(std::equal(rest.begin(), rest.end(), linear.end() - int64_t(rest.size())));
    }
}

TEST_F(Mp3Engine, RecordFieldsReachTheFrameHeaders)
{
    struct Case {
        const char* name;
        Mp3FormatRecord record;
        int channels;
        int mode;
    };
    Mp3FormatRecord stereo = cbr(192);
    stereo.Mode = mp3Stereo;
    stereo.Copyright = -1;
    stereo.Original = 0;
    stereo.ErrorProtection = -1;
    Mp3FormatRecord mono = cbr(64);
    mono.Mode = mp3Mono;
    mono.SampleRate = 22050;
    mono.Original = -1;
    Mp3FormatRecord dual = cbr(128);
    dual.Mode = mp3DualChannel;
    Mp3FormatRecord forced = cbr(128);
    forced.Mode = mp3ForceJointStereo;
    const Case cases[] = {{"stereo", stereo, 2, 0}, {"mono", mono, 1, 3}, {"dual", dual, 2, 2}, {"forced", forced, 2, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = path(QStringLiteral("%1.mp3").arg(QLatin1String(c.name)));
        QString error;
        auto writer = AudioWriter::create(mp3Spec(c.record), file, {}, &error);
        ASSERT_TRUE(writer) << error.toStdString();
        EXPECT_EQ(writer->inputFormat(), (PcmFormat{c.record.SampleRate, c.channels, 16}));
        writer.reset();
        writeFile(mp3Spec(c.record), file, makeTone16(c.record.SampleRate, c.channels, c.record.SampleRate));
        const auto headers = frameHeaders(file);
        ASSERT_GT(headers.size(), 10u);
        for (size_t i = 1; i < headers.size(); ++i) {
            ASSERT_EQ(headers[i].bitrate, c.record.Bitrate) << i;
            ASSERT_EQ(headers[i].sampleRate, c.record.SampleRate);
            ASSERT_EQ(headers[i].channelMode, c.mode);
            ASSERT_EQ(headers[i].crc, c.record.ErrorProtection != 0);
            ASSERT_EQ(headers[i].copyright, c.record.Copyright != 0);
            ASSERT_EQ(headers[i].original, c.record.Original != 0);
        }
    }
}

TEST_F(Mp3Engine, VariableBitratesStayWithinMinimumAndMaximum)
{
    // Silence wants less than the minimum and noise more than the maximum.
    const PcmFormat f{44100, 2, 16};
    auto noisy = makeSignal(f, 44100 * 2, 7);
    std::fill(noisy.begin(), noisy.begin() + noisy.size() / 2, 0);  // silence, then noise
    Mp3FormatRecord r = cbr(128);
    r.VBRMethod = mp3Vbr;
    r.VBRQuality = 0;
    r.VBRMinBitrate = 9;   // 96
    r.VBRMaxBitrate = 12;  // 144
    r.VBRForceMin = -1;
    const QString file = path(QStringLiteral("vbr.mp3"));
    writeFile(mp3Spec(r), file, noisy);
    QByteArray first;
    const auto headers = frameHeaders(file, &first);
    EXPECT_TRUE(first.contains("Xing"));
    std::set<int> rates;
    for (size_t i = 1; i < headers.size(); ++i) {
        EXPECT_GE(headers[i].bitrate, 96);
        EXPECT_LE(headers[i].bitrate, 144);
        rates.insert(headers[i].bitrate);
    }
    EXPECT_GT(rates.size(), 1u);

    // The quality settings change what is written.
    Mp3FormatRecord low = r;
    low.VBRQuality = 9;
    low.VBRMinBitrate = 0;
    low.VBRMaxBitrate = 18;
    low.VBRForceMin = 0;
    const QString lowFile = path(QStringLiteral("vbr9.mp3"));
    writeFile(mp3Spec(low), lowFile, makeTone16(44100, 2, 44100 * 2));
    Mp3FormatRecord high = low;
    high.VBRQuality = 0;
    const QString highFile = path(QStringLiteral("vbr0.mp3"));
    writeFile(mp3Spec(high), highFile, makeTone16(44100, 2, 44100 * 2));
    EXPECT_LT(QFileInfo(lowFile).size(), QFileInfo(highFile).size());
}

TEST_F(Mp3Engine, AverageBitrateLandsNearItsTarget)
{
    const PcmFormat f{44100, 2, 16};
    Mp3FormatRecord r = cbr(320);
    r.VBRMethod = mp3Abr;
    r.ABRBitrate = 96;
    r.VBRMinBitrate = 0;
    r.VBRMaxBitrate = 18;
    const QString file = path(QStringLiteral("abr.mp3"));
    writeFile(mp3Spec(r), file, makeSignal(f, 44100 * 4, 3));
    const double kbps = double(QFileInfo(file).size()) * 8 / 4 / 1000;
    EXPECT_NEAR(kbps, 96, 25);
}

TEST_F(Mp3Engine, BadSettingsAreRefusedWithTheFileName)
{
    Mp3FormatRecord r = cbr(128);
    r.SampleRate = 44000;
    const QString file = path(QStringLiteral("bad.mp3"));
    QString error;
    EXPECT_FALSE(AudioWriter::create(mp3Spec(r), file, {}, &error));
    EXPECT_TRUE(error.contains(QDir::toNativeSeparators(file))) << error.toStdString();
    OutputSpec shortRecord;
    shortRecord.destinationFormat = dfMP3;
    shortRecord.record = QByteArray(10, '\0');
    EXPECT_FALSE(AudioWriter::create(shortRecord, file, {}, &error));
}

TEST_F(Mp3Engine, DamagedFilesDecodeWhatSurvivesOrFailWithTheirName)
{
    const QString good = path(QStringLiteral("good.mp3"));
    const int64_t frames = 44100 * 4;
    writeFile(mp3Spec(cbr(128)), good, makeTone16(44100, 2, frames));
    QFile in(good);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    const QByteArray whole = in.readAll();

    QByteArray scribbled = whole;
    for (int i = whole.size() / 3; i < whole.size() / 3 + 5000; ++i)
        scribbled[i] = char(i * 7919);
    struct Case {
        const char* name;
        QByteArray content;
        int64_t minFrames, maxFrames;
    };
    const Case cases[] = {
        {"scribbled.mp3", scribbled, frames / 2, frames + 1152},
        {"cut.mp3", whole.left(whole.size() / 2), frames / 2 - 3 * 1152, frames / 2 + 1152},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = path(QString::fromLatin1(c.name));
        ASSERT_TRUE(writeFile(file, c.content));
        const auto pcm = decodeAll(file, PcmFormat{44100, 2, 16});
        EXPECT_GE(int64_t(pcm.size()) / 4, c.minFrames);
        EXPECT_LE(int64_t(pcm.size()) / 4, c.maxFrames);
        // What the probe reports of a damaged file is what a full open reports.
        auto full = openOrFail(file);
        ASSERT_TRUE(full);
        SourceInfo probe;
        QString error;
        ASSERT_TRUE(probeAudioSource(file, &probe, &error)) << error.toStdString();
        EXPECT_EQ(probe.format, full->info().format);
        EXPECT_EQ(probe.totalFrames, full->info().totalFrames);
        EXPECT_EQ(probe.durationMs, full->info().durationMs);
    }

    QByteArray noise(100000, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 2654435761u) >> 13);
    const QString file = path(QStringLiteral("noise.mp3"));
    ASSERT_TRUE(writeFile(file, noise));
    QString error;
    EXPECT_FALSE(AudioReader::open(file, &error));
    EXPECT_TRUE(error.contains(QDir::toNativeSeparators(file))) << error.toStdString();
    // Noise that happens to hold a frame header or two is no MP3 to the probe either.
    SourceInfo probe;
    EXPECT_FALSE(probeAudioSource(file, &probe, &error));
}
