// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The ACM converter window over the real converter: rows coded by each codec the lists offer,
// read back by sox and checked against codings computed here.
#include "tests/batchtools/AcmConverterFixture.h"

#include "tests/batchtools/AcmEngineChecks.h"

#include <QCheckBox>
#include <QTest>

namespace {

using fixtures::Pcm;

// A length every 8 kHz format holds in whole frames.
constexpr int64_t kFrames = 44100 * 2 + 1764 * 3;

class AcmConverterEngineTest : public AcmConverterTest {
protected:
    QString cdSource()
    {
        const QString path = QDir(sourceFolder).filePath(QStringLiteral("song.wav"));
        EXPECT_TRUE(fixtures::writeFile(path, fixtures::wavBytes(Pcm{44100, 2, 16}, fixtures::pattern(Pcm{44100, 2, 16}, kFrames, 7))));
        return path;
    }

    // Runs the window's task and waits for its end; the log when it did not end "Done.".
    static QString run(FrmACMConverter* w)
    {
        w->cmdConvert_Click();
        if (!QTest::qWaitFor([&] { return w->cmdConvert->isEnabled(); }, 60000))
            return QStringLiteral("timeout");
        if (w->lblCurrentTrack->text() != QLatin1String("Done.") || w->txtLog->toPlainText().contains(QLatin1String("Error")))
            return w->txtLog->toPlainText();
        return QStringLiteral("Done.");
    }
};

TEST_F(AcmConverterEngineTest, EachTagsFirstFormatReadsBackWithItsTagAndTheSourcesLength)
{
    const QString src = cdSource();
    FrmACMConverter* w = openOn({src});
    ASSERT_NE(w, nullptr);
    // The hand-over chose the file: a CD source converts to neither GSM nor the 8 kHz-only codecs
    // at their own rate, so every codec is taken from "All ACM Codecs".
    EXPECT_EQ(w->cboBestAccordItem->currentText(), src);
    EXPECT_FALSE(entries(w->cboTags).contains(QStringLiteral("GSM 6.10")));
    choose(w->cboBestAccordItem, QStringLiteral("All ACM Codecs"));
    w->cboFileName->setCurrentIndex(0);  // "[file_name].[dest_extension]"
    w->chkCreateSubFolder->setChecked(true);
    w->CheckUnderFolderEna();

    const struct {
        const char* tag;
        int formatTag;
        const char* soxEncoding;  // empty: not compared (sox names 8-bit PCM unsigned)
        bool padsBlocks;          // the length is the "fact" count; the data holds whole blocks
    } codecs[] = {
        {"PCM", 1, "", false},
        {"IMA ADPCM", 0x11, "IMA ADPCM", true},
        {"Microsoft ADPCM", 0x02, "MS ADPCM", true},
        {"CCITT A-Law", 0x06, "A-law", false},
        {"CCITT u-Law", 0x07, "u-law", false},
        {"GSM 6.10", 0x31, "GSM", true},
    };
    const int64_t expected = kFrames * 8000 / 44100;
    for (const auto& c : codecs) {
        SCOPED_TRACE(c.tag);
        choose(w->cboTags, QLatin1String(c.tag));
        ASSERT_EQ(w->cboFormats->currentIndex(), 0);
        const QString under = QString::fromLatin1(c.tag).replace(QLatin1Char(' '), QLatin1Char('_'));
        w->txtUndeForlder->setText(under);
        w->txtLog->clear();
        ASSERT_EQ(run(w), QStringLiteral("Done."));

        const QString out = outFolder + QLatin1Char('/') + under + QStringLiteral("/song.wav");
        const QByteArray file = fixtures::readFile(out);
        EXPECT_EQ(acmcheck::formatTag(file), c.formatTag);
        // No tags: nothing but the sound and its description.
        EXPECT_FALSE(acmcheck::chunk(file, "LIST"));
        EXPECT_FALSE(acmcheck::chunk(file, "id3 "));
        const acmcheck::SoxInfo sox = acmcheck::soxInfo(out);
        ASSERT_FALSE(sox.encoding.isEmpty()) << "sox cannot read it";
        if (*c.soxEncoding) {
            EXPECT_EQ(sox.encoding, QLatin1String(c.soxEncoding));
        }
        ASSERT_EQ(sox.rate, 8000);
        if (c.padsBlocks) {
            EXPECT_EQ(acmcheck::factCount(file), expected);
            EXPECT_GE(sox.samples, expected);
        } else {
            EXPECT_EQ(sox.samples, expected);
        }
    }
    EXPECT_EQ(fixtures::folderEntries(outFolder).size(), 6);

    // Nothing listed: the two empty names reach the converter, which refuses the row with an
    // error of its own; the run ends by counting the failed row, and leaves no file.
    w->cboTags->clear();
    w->cboFormats->clear();
    w->txtUndeForlder->setText(QStringLiteral("none"));
    w->txtLog->clear();
    EXPECT_NE(run(w), QStringLiteral("Done."));
    EXPECT_EQ(w->lblCurrentTrack->text(), QStringLiteral("1 of 1 failed. The log has the reasons."));
    EXPECT_TRUE(w->txtLog->toPlainText().contains(QStringLiteral("Error: ")));
    EXPECT_EQ(fixtures::folderEntries(outFolder + QStringLiteral("/none")), QStringList());
}

TEST_F(AcmConverterEngineTest, ALawAndMuLawAreTheG711CodingAndReplaceAnExistingFileWithoutAQuestion)
{
    const QString src = cdSource();
    FrmACMConverter* w = openOn({src});
    ASSERT_NE(w, nullptr);
    choose(w->cboBestAccordItem, QStringLiteral("All ACM Codecs"));
    w->cboFileName->setCurrentIndex(0);
    w->chkOverWrite->setChecked(true);
    const QString out = outFolder + QStringLiteral("/song.wav");
    ASSERT_TRUE(fixtures::writeFile(out, "an older song.wav"));

    const QByteArray samples = fixtures::parseWavFile(src)->data;
    for (bool aLaw : {true, false}) {
        const QString tag = aLaw ? QStringLiteral("CCITT A-Law") : QStringLiteral("CCITT u-Law");
        SCOPED_TRACE(tag.toStdString());
        choose(w->cboTags, tag);
        choose(w->cboFormats, QStringLiteral("44,100 kHz, 8 Bit, Stereo"));
        ASSERT_EQ(run(w), QStringLiteral("Done."));
        const QByteArray file = fixtures::readFile(out);
        EXPECT_EQ(acmcheck::formatTag(file), aLaw ? 6 : 7);
        const auto data = acmcheck::chunk(file, "data");
        ASSERT_TRUE(data);
        const QByteArray expected = acmcheck::g711(samples, aLaw);
        ASSERT_EQ(data->size(), expected.size());
        EXPECT_TRUE(*data == expected);
        const acmcheck::SoxInfo sox = acmcheck::soxInfo(out);
        EXPECT_EQ(sox.samples, kFrames);
        EXPECT_EQ(sox.channels, 2);
    }
    EXPECT_TRUE(box.shown.isEmpty());
    EXPECT_FALSE(w->txtLog->toPlainText().contains(QStringLiteral("already exists")));
    EXPECT_EQ(fixtures::folderEntries(outFolder), QStringList{QStringLiteral("song.wav")});
}

}  // namespace
