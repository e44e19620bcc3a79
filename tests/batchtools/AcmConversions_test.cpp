// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// ACM conversions over the real converter with the names its own lists report, read back by
// sox and checked against codings computed here.
#include "batchtools/AcmCodecLists.h"
#include "components/cAudioConverter.h"
#include "tests/batchtools/AcmEngineChecks.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using fixtures::Pcm;

// A length that every 8 kHz, 11.025 kHz and 22.05 kHz format holds in whole frames.
constexpr int64_t kFrames = 44100 * 2 + 1764 * 3;

class AcmConversionsTest : public testing::Test {
protected:
    void SetUp() override
    {
        source = dir.filePath(QStringLiteral("source.wav"));
        ASSERT_TRUE(fixtures::writeFile(source, fixtures::wavBytes(Pcm{44100, 2, 16}, fixtures::pattern(Pcm{44100, 2, 16}, kFrames, 7))));
        QObject::connect(conv.get(), &cAudioConverter::TagFound, [this](const QString& n) { lists.TagFound(n); });
        QObject::connect(conv.get(), &cAudioConverter::FormatFound, [this](const QString& n) { lists.FormatFound(n); });
    }

    // Converts the source with the pair as the lists show it; the outcome's name ("Done" ...).
    QString convert(const QString& tag, const QString& format, const QString& out)
    {
        conv->OutputFormat(2);
        conv->SetAcmFormat(tag, format);
        conv->InputFile(source);
        conv->OutputFile(out);
        QSignalSpy done(conv.get(), &cAudioConverter::Done);
        QSignalSpy error(conv.get(), &cAudioConverter::Error);
        conv->Start();
        if (!QTest::qWaitFor([&] { return done.count() + error.count() > 0; }, 60000))
            return QStringLiteral("timeout");
        return done.count() ? QStringLiteral("Done") : error.first().value(1).toString();
    }

    QTemporaryDir dir;
    QString source;
    std::unique_ptr<cAudioConverter> conv = CreateAudioConverter();
    QComboBox cboTags, cboFormats;
    AcmCodecLists lists{&cboTags, &cboFormats};
};

TEST_F(AcmConversionsTest, EachTagsFirstFormatReadsBackWithItsTagAndTheSourcesLength)
{
    const struct {
        const char* tag;
        int formatTag;
        const char* soxEncoding;
        bool padsBlocks;  // the length is the "fact" count; the data holds whole blocks
    } codecs[] = {
        {"PCM", 1, "Signed Integer PCM", false},  // 8-bit PCM: sox names it unsigned
        {"IMA ADPCM", 0x11, "IMA ADPCM", true},
        {"Microsoft ADPCM", 0x02, "MS ADPCM", true},
        {"CCITT A-Law", 0x06, "A-law", false},
        {"CCITT u-Law", 0x07, "u-law", false},
        {"GSM 6.10", 0x31, "GSM", true},
    };
    // GSM codes 8 kHz mono only: a stereo CD source finds it under "All ACM Codecs".
    lists.ListForSource(*conv, source);
    lists.ListForSource(*conv, AcmCodecLists::AllCodecsEntry());
    for (const auto& c : codecs) {
        cboTags.setCurrentIndex(cboTags.findText(QLatin1String(c.tag)));
        ASSERT_GE(cboTags.currentIndex(), 0) << c.tag;
        lists.ListFormats(*conv);
        ASSERT_GT(cboFormats.count(), 0) << c.tag;
        const QString out = dir.filePath(QString::fromLatin1(c.tag).replace(QLatin1Char(' '), QLatin1Char('_')) + QStringLiteral(".wav"));
        ASSERT_EQ(convert(cboTags.currentText(), cboFormats.currentText(), out), QStringLiteral("Done")) << c.tag;

        const QByteArray file = fixtures::readFile(out);
        EXPECT_EQ(acmcheck::formatTag(file), c.formatTag) << c.tag;
        const acmcheck::SoxInfo sox = acmcheck::soxInfo(out);
        ASSERT_FALSE(sox.encoding.isEmpty()) << c.tag << ": sox cannot read it";
        if (c.formatTag != 1) {
            EXPECT_EQ(sox.encoding, QLatin1String(c.soxEncoding)) << c.tag;
        }
        // Every first format is 8 kHz; the source's length there is a whole number of frames.
        ASSERT_EQ(sox.rate, 8000) << c.tag;
        const int64_t expected = kFrames * 8000 / 44100;
        if (c.padsBlocks) {
            EXPECT_EQ(acmcheck::factCount(file), expected) << c.tag;
            EXPECT_GE(sox.samples, expected) << c.tag;
        } else {
            EXPECT_EQ(sox.samples, expected) << c.tag;
            const auto fact = acmcheck::factCount(file);
            if (fact >= 0) {
                EXPECT_EQ(fact, expected) << c.tag;
            }
        }
    }
}

TEST_F(AcmConversionsTest, ALawAndMuLawAreTheG711CodingOfTheSource)
{
    const QByteArray samples = fixtures::parseWavFile(source)->data;
    for (bool aLaw : {true, false}) {
        const QString tag = aLaw ? QStringLiteral("CCITT A-Law") : QStringLiteral("CCITT u-Law");
        const QString out = dir.filePath(tag.right(5) + QStringLiteral(".wav"));
        ASSERT_EQ(convert(tag, QStringLiteral("44,100 kHz, 8 Bit, Stereo"), out), QStringLiteral("Done")) << tag.toStdString();
        const QByteArray file = fixtures::readFile(out);
        EXPECT_EQ(acmcheck::formatTag(file), aLaw ? 6 : 7);
        const auto data = acmcheck::chunk(file, "data");
        ASSERT_TRUE(data);
        const QByteArray expected = acmcheck::g711(samples, aLaw);
        ASSERT_EQ(data->size(), expected.size()) << tag.toStdString();
        qsizetype firstDiff = -1;
        for (qsizetype i = 0; i < expected.size() && firstDiff < 0; ++i)
            if (data->at(i) != expected.at(i))
                firstDiff = i;
        EXPECT_EQ(firstDiff, -1) << tag.toStdString() << " sample "
                                 << (firstDiff < 0 ? 0 : int(int16_t(uint16_t(uint8_t(samples[firstDiff * 2])) | uint16_t(uint8_t(samples[firstDiff * 2 + 1])) << 8)))
                                 << " coded " << (firstDiff < 0 ? 0 : int(uint8_t(data->at(firstDiff)))) << " expected "
                                 << (firstDiff < 0 ? 0 : int(uint8_t(expected.at(firstDiff))));
        const acmcheck::SoxInfo sox = acmcheck::soxInfo(out);
        EXPECT_EQ(sox.samples, kFrames);
        EXPECT_EQ(sox.channels, 2);
    }
}

}  // namespace
