// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// What joins and conversions write, sample by sample, against what independent programs make of
// the same inputs: sox for width, channel and rate changes, lame and oggdec for decoding lossy
// streams. The sources are made by sox, lame and oggenc, not by our own writers, and their two
// channels carry different tones, so that a swap, a wrong sign or scale, silence or a shift shows.

#include "tests/support/ReferenceAudio.h"

#include <QCoreApplication>
#include <QTemporaryDir>

using namespace refaudio;

namespace {

QString driverPath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/engine-driver");
}

class PeerSamples : public testing::Test {
protected:
    void SetUp() override
    {
        for (const char* tool : {"/usr/bin/sox", "/usr/bin/lame", "/usr/bin/oggenc", "/usr/bin/oggdec"})
            ASSERT_TRUE(QFile::exists(QLatin1String(tool)))
                << tool << " is missing: install it (tools/debian-packages.txt lists it)";
    }
    QString path(const QString& name) const { return m_dir.filePath(name); }

    QString makeSource(const QString& name, int rate, int channels, int bits, double seconds)
    {
        return soxSource(m_dir.path(), name, rate, channels, bits, seconds);
    }
    QString nextReference() { return path(QStringLiteral("ref-%1.wav").arg(m_references++)); }
    Samples soxReference(const QString& source, int rate, int channels, int bits)
    {
        return soxConversion(source, nextReference(), rate, channels, bits);
    }
    Samples lameDecode(const QString& mp3) { return refaudio::lameDecode(mp3, nextReference()); }
    Samples oggDecode(const QString& ogg) { return refaudio::oggDecode(ogg, nextReference()); }

    QTemporaryDir m_dir;
    int m_references = 0;
};

TEST_F(PeerSamples, AMixedJoinIsTheConcatenationOfIndependentConversions)
{
    // Every kind of source a join converts: 8-bit unsigned mono and stereo, 24 and 32 bits, half
    // the rate, and MP3 and Ogg Vorbis from the reference encoders.
    struct Part {
        const char* what;
        QString file;
        Samples reference;  // 44.1 kHz, stereo, 16 bits
        bool resampled = false;
        int64_t tolerance = 1;  // sox rounds where our narrowing truncates: one step at most
    };
    std::vector<Part> parts;
    auto soxPart = [&](const char* what, const QString& name, int rate, int channels, int bits, double seconds) {
        const QString file = makeSource(name, rate, channels, bits, seconds);
        parts.push_back({what, file, soxReference(file, 44100, 2, 16), rate != 44100});
    };
    soxPart("8-bit mono", QStringLiteral("u8-mono.wav"), 44100, 1, 8, 0.5);
    soxPart("8-bit stereo", QStringLiteral("u8-stereo.wav"), 44100, 2, 8, 0.4);
    soxPart("24-bit", QStringLiteral("s24.wav"), 44100, 2, 24, 0.7);
    soxPart("32-bit", QStringLiteral("s32.wav"), 44100, 2, 32, 0.3);
    soxPart("22.05 kHz", QStringLiteral("half-rate.wav"), 22050, 2, 16, 0.6);
    {
        const QString wav = makeSource(QStringLiteral("for-mp3.wav"), 44100, 2, 16, 1.0);
        const QString mp3 = path(QStringLiteral("lame.mp3"));
        ASSERT_TRUE(run(QStringLiteral("/usr/bin/lame"), {QStringLiteral("--quiet"), QStringLiteral("-b"),
                                                          QStringLiteral("192"), wav, mp3}));
        // Two decoders of one stream differ by a step or two; the encoder's delay, lost, by thousands.
        parts.push_back({"MP3", mp3, lameDecode(mp3), false, 4});
    }
    {
        const QString wav = makeSource(QStringLiteral("for-ogg.wav"), 44100, 2, 16, 0.8);
        const QString ogg = path(QStringLiteral("oggenc.ogg"));
        ASSERT_TRUE(run(QStringLiteral("/usr/bin/oggenc"), {QStringLiteral("-Q"), wav, QStringLiteral("-o"), ogg}));
        parts.push_back({"Ogg Vorbis", ogg, oggDecode(ogg), false, 8});
    }

    const QString out = path(QStringLiteral("joined.wav"));
    QStringList args{QStringLiteral("join"), out, QStringLiteral("wav:44100:2:16")};
    int64_t total = 0;
    for (const Part& p : parts) {
        args << p.file;
        ASSERT_EQ(p.reference.rate, 44100) << p.what;
        ASSERT_EQ(p.reference.channels, 2) << p.what;
        total += p.reference.frames();
    }
    QString output;
    ASSERT_TRUE(run(driverPath(), args, &output)) << output.toStdString();
    const Samples joined = readWav(out);
    ASSERT_EQ(joined.bits, 16);
    ASSERT_EQ(joined.channels, 2);
    ASSERT_EQ(joined.frames(), total) << "the join is not exactly as long as its parts";

    int64_t at = 0;
    for (const Part& p : parts) {
        SCOPED_TRACE(p.what);
        const int64_t frames = p.reference.frames();
        // Two resamplers' filters differ where the signal starts and stops: a few dozen frames.
        const int64_t edge = p.resampled ? 32 : 0;
        const int64_t tolerance = p.resampled ? 24 : p.tolerance;
        const Difference d = compare(joined, at + edge, p.reference, edge, frames - 2 * edge);
        EXPECT_LE(d.largest, tolerance) << "rms " << d.rms;
        // The tolerance is far below what a swap of the channels would give.
        if (p.reference.channels == 2 && std::string(p.what) != "8-bit mono") {
            EXPECT_GT(compare(joined, at + edge, p.reference, edge, frames - 2 * edge, true).largest, 50 * tolerance);
        }
        at += frames;
    }
}

TEST_F(PeerSamples, ConversionsMatchIndependentReferences)
{
    const QString s24 = makeSource(QStringLiteral("s24.wav"), 44100, 2, 24, 1.0);
    const QString u8 = makeSource(QStringLiteral("u8.wav"), 44100, 2, 8, 0.5);
    const QString s16 = makeSource(QStringLiteral("s16.wav"), 48000, 2, 16, 0.75);

    struct Case {
        const char* what;
        QString source;
        QString format;
        int rate, channels, bits;  // the layout sox converts to
        int64_t tolerance;         // largest difference, in steps of `bits`
        int64_t edge = 0;          // frames at either end left out of the comparison
    };
    const Case cases[] = {
        {"24 to 8 bits", s24, QStringLiteral("wav:44100:2:8"), 44100, 2, 8, 1},
        {"24 to 16 bits", s24, QStringLiteral("wav:44100:2:16"), 44100, 2, 16, 1},
        {"8 to 24 bits", u8, QStringLiteral("wav:44100:2:24"), 44100, 2, 24, 0},
        {"8 to 32 bits", u8, QStringLiteral("wav:44100:2:32"), 44100, 2, 32, 0},
        {"stereo to mono", s24, QStringLiteral("wav:44100:1:16"), 44100, 1, 16, 1},
        {"48 to 44.1 kHz", s16, QStringLiteral("wav:44100:2:16"), 44100, 2, 16, 24, 32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString out = path(QStringLiteral("out.wav"));
        QFile::remove(out);
        QString output;
        ASSERT_TRUE(run(driverPath(), {QStringLiteral("convert"), c.source, out, c.format}, &output)) << output.toStdString();
        const Samples ours = readWav(out);
        const Samples reference = soxReference(c.source, c.rate, c.channels, c.bits);
        ASSERT_EQ(ours.bits, c.bits);
        ASSERT_EQ(ours.channels, c.channels);
        ASSERT_EQ(ours.rate, c.rate);
        ASSERT_EQ(ours.frames(), reference.frames());
        const Difference d = compare(ours, c.edge, reference, c.edge, reference.frames() - 2 * c.edge);
        EXPECT_LE(d.largest, c.tolerance) << "rms " << d.rms;
        if (c.channels == 2) {
            EXPECT_GT(compare(ours, c.edge, reference, c.edge, reference.frames() - 2 * c.edge, true).largest,
                      50 * std::max<int64_t>(c.tolerance, 1));
        }
    }

    // Lossy outputs, decoded by the reference decoders, against the source itself: exactly its
    // length, and no further from it than the codec's own error, which is well below what a
    // shift by a single frame would add.
    const Samples source16 = soxReference(s24, 44100, 2, 16);
    struct Lossy {
        const char* what;
        QString format;
        QString file;
        double rms;
    };
    const Lossy lossy[] = {
        {"MP3", QStringLiteral("mp3:192"), path(QStringLiteral("out.mp3")), 450},
        {"Ogg Vorbis", QStringLiteral("ogg:q:5"), path(QStringLiteral("out.ogg")), 200},
    };
    const int64_t frames = source16.frames();
    const double shiftedByOne = compare(source16, 1, source16, 0, frames - 1).rms;
    for (const Lossy& l : lossy) {
        SCOPED_TRACE(l.what);
        QString output;
        ASSERT_TRUE(run(driverPath(), {QStringLiteral("convert"), s24, l.file, l.format}, &output)) << output.toStdString();
        const Samples decoded = l.file.endsWith(QStringLiteral(".mp3")) ? lameDecode(l.file) : oggDecode(l.file);
        ASSERT_EQ(decoded.channels, 2);
        ASSERT_EQ(decoded.frames(), frames);
        const Difference d = compare(decoded, 0, source16, 0, frames);
        EXPECT_LE(d.rms, l.rms);
        EXPECT_LT(l.rms, shiftedByOne / 1.5);
        EXPECT_GT(compare(decoded, 0, source16, 0, frames, true).rms, 10 * l.rms);
    }
}

}  // namespace
