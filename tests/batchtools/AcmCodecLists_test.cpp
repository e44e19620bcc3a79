// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// Building the ACM converter's tag and format lists from what the converter reports.
#include "batchtools/AcmCodecLists.h"
#include "tests/batchtools/FakeProbeConverter.h"
#include "tests/components/WavFixtures.h"

#include <QComboBox>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using Listing = FakeProbeConverter::TagListing;

QStringList entries(const QComboBox& box)
{
    QStringList out;
    for (int i = 0; i < box.count(); ++i)
        out << box.itemText(i);
    return out;
}

class AcmCodecListsTest : public testing::Test {
protected:
    void SetUp() override
    {
        conv.tags = {QStringLiteral("PCM"), QStringLiteral("IMA ADPCM"), QStringLiteral("GSM 6.10"), QStringLiteral("Silent")};
        conv.convertibleTags = {QStringLiteral("IMA ADPCM"), QStringLiteral("PCM")};
        conv.formats.insert(QStringLiteral("PCM"), {QStringLiteral("8,000 kHz, 8 Bit, Mono"), QStringLiteral("8,000 kHz, 8 Bit, Stereo")});
        conv.formats.insert(QStringLiteral("IMA ADPCM"), {QStringLiteral("8,000 kHz, 4 Bit, Mono"), QStringLiteral("44,100 kHz, 4 Bit, Stereo")});
        conv.formats.insert(QStringLiteral("GSM 6.10"), {QStringLiteral("8,000 kHz, Mono, 13 kbit/s")});
        conv.sources.insert(QStringLiteral("/music/a.wav"), FakeProbeConverter::Facts{1000, 22050, 1, 8});
        conv.sources.insert(QStringLiteral("/music/b.wav"), FakeProbeConverter::Facts{1000, 48000, 2, 24});
        QObject::connect(&conv, &cAudioConverter::TagFound, [this](const QString& n) { lists.TagFound(n); });
        QObject::connect(&conv, &cAudioConverter::FormatFound, [this](const QString& n) { lists.FormatFound(n); });
    }

    FakeProbeConverter conv;
    QComboBox cboTags, cboFormats;
    AcmCodecLists lists{&cboTags, &cboFormats};
};

TEST_F(AcmCodecListsTest, LoadingListsEveryTagOfCdPcmAndChoosesPcmAndItsFirstFormat)
{
    lists.ListAtLoad(conv);
    EXPECT_EQ(conv.tagListings, (QList<Listing>{{1, 44100, 2, 16, 0}}));
    EXPECT_EQ(entries(cboTags), conv.tags);
    EXPECT_EQ(cboTags.currentText(), QStringLiteral("PCM"));
    EXPECT_EQ(conv.formatListings, QStringList{QStringLiteral("PCM")});
    EXPECT_EQ(entries(cboFormats), conv.formats.value(QStringLiteral("PCM")));
    EXPECT_EQ(cboFormats.currentIndex(), 0);
}

TEST_F(AcmCodecListsTest, AFileListsWhatItConvertsToAndAllCodecsUsesTheLastOpenedFacts)
{
    lists.ListAtLoad(conv);
    lists.ListForSource(conv, QStringLiteral("/music/a.wav"));
    EXPECT_EQ(conv.opened, QStringLiteral("/music/a.wav"));
    EXPECT_EQ(conv.tagListings.last(), (Listing{1, 22050, 1, 8, 0x00100000}));
    EXPECT_EQ(entries(cboTags), conv.convertibleTags);  // the earlier list is gone
    EXPECT_EQ(cboTags.currentText(), QStringLiteral("PCM"));
    EXPECT_EQ(entries(cboFormats), conv.formats.value(QStringLiteral("PCM")));

    // "All ACM Codecs": every tag, described by the file opened last, nothing opened anew.
    const int opens = int(conv.calls.size());
    lists.ListForSource(conv, QStringLiteral("All ACM Codecs"));
    EXPECT_EQ(conv.calls.size(), opens);
    EXPECT_EQ(conv.tagListings.last(), (Listing{1, 22050, 1, 8, 0}));
    EXPECT_EQ(entries(cboTags), conv.tags);

    lists.ListForSource(conv, QStringLiteral("/music/b.wav"));
    EXPECT_EQ(conv.tagListings.last(), (Listing{1, 48000, 2, 24, 0x00100000}));
    lists.ListForSource(conv, QStringLiteral("All ACM Codecs"));
    EXPECT_EQ(conv.tagListings.last(), (Listing{1, 48000, 2, 24, 0}));

    // A file that cannot be opened: listed with whatever the converter then reports.
    lists.ListForSource(conv, QStringLiteral("/music/gone.wav"));
    EXPECT_EQ(conv.tagListings.last(), (Listing{1, 0, 0, 0, 0x00100000}));
}

TEST_F(AcmCodecListsTest, WithoutPcmNoTagIsChosenAndFormatsAreAskedForTheEmptyName)
{
    conv.convertibleTags = {QStringLiteral("IMA ADPCM"), QStringLiteral("GSM 6.10")};
    lists.ListForSource(conv, QStringLiteral("/music/a.wav"));
    EXPECT_EQ(entries(cboTags), conv.convertibleTags);
    EXPECT_EQ(cboTags.currentIndex(), -1);
    EXPECT_EQ(conv.formatListings, QStringList{QString()});
    EXPECT_EQ(cboFormats.count(), 0);
    EXPECT_EQ(cboFormats.currentIndex(), -1);
}

TEST_F(AcmCodecListsTest, NoTagsLeavesBothListsEmptyAndAsksForNoFormats)
{
    lists.ListAtLoad(conv);
    conv.convertibleTags.clear();
    lists.ListForSource(conv, QStringLiteral("/music/a.wav"));
    EXPECT_EQ(cboTags.count(), 0);
    EXPECT_EQ(cboFormats.count(), 0);
    EXPECT_EQ(conv.formatListings, QStringList{QStringLiteral("PCM")});  // only the load's
}

TEST_F(AcmCodecListsTest, ChoosingATagReplacesTheFormatsAndATagWithoutFormatsShowsNone)
{
    lists.ListAtLoad(conv);
    cboTags.setCurrentIndex(cboTags.findText(QStringLiteral("IMA ADPCM")));
    lists.ListFormats(conv);
    EXPECT_EQ(entries(cboFormats), conv.formats.value(QStringLiteral("IMA ADPCM")));
    EXPECT_EQ(cboFormats.currentText(), QStringLiteral("8,000 kHz, 4 Bit, Mono"));

    cboTags.setCurrentIndex(cboTags.findText(QStringLiteral("Silent")));
    lists.ListFormats(conv);
    EXPECT_EQ(cboFormats.count(), 0);
    EXPECT_EQ(cboFormats.currentIndex(), -1);
    EXPECT_EQ(conv.formatListings.last(), QStringLiteral("Silent"));
}

// The same building over the real converter and its codec table.
TEST(AcmCodecListsReal, TheConvertersTableListsWhatEachSourceConvertsTo)
{
    QTemporaryDir dir;
    std::unique_ptr<cAudioConverter> conv = CreateAudioConverter();
    QComboBox cboTags, cboFormats;
    AcmCodecLists lists(&cboTags, &cboFormats);
    QObject::connect(conv.get(), &cAudioConverter::TagFound, [&](const QString& n) { lists.TagFound(n); });
    QObject::connect(conv.get(), &cAudioConverter::FormatFound, [&](const QString& n) { lists.FormatFound(n); });

    lists.ListAtLoad(*conv);
    const QStringList all = entries(cboTags);
    for (const char* tag : {"PCM", "IMA ADPCM", "Microsoft ADPCM", "CCITT A-Law", "CCITT u-Law", "GSM 6.10"})
        EXPECT_TRUE(all.contains(QLatin1String(tag))) << tag;
    EXPECT_EQ(cboTags.currentText(), QStringLiteral("PCM"));
    EXPECT_GT(cboFormats.count(), 0);
    EXPECT_EQ(cboFormats.currentIndex(), 0);

    const struct {
        fixtures::Pcm pcm;
        bool gsm;      // GSM 6.10 codes 8 kHz mono only
        bool onlyPcm;  // no codec keeps this rate
    } sources[] = {{{8000, 1, 16}, true, false}, {{44100, 2, 16}, false, false}, {{48000, 2, 16}, false, true}};
    for (const auto& s : sources) {
        const QString file = dir.filePath(QStringLiteral("src%1.wav").arg(s.pcm.rate));
        ASSERT_TRUE(fixtures::writeFile(file, fixtures::wavBytes(s.pcm, fixtures::sine(s.pcm, s.pcm.rate / 10))));
        lists.ListForSource(*conv, file);
        const QStringList tags = entries(cboTags);
        EXPECT_EQ(tags.contains(QStringLiteral("GSM 6.10")), s.gsm) << s.pcm.rate;
        EXPECT_EQ(tags == QStringList{QStringLiteral("PCM")}, s.onlyPcm) << s.pcm.rate;
        EXPECT_EQ(cboTags.currentText(), QStringLiteral("PCM"));
        // "All ACM Codecs" with that file's facts lists every tag again.
        lists.ListForSource(*conv, AcmCodecLists::AllCodecsEntry());
        EXPECT_EQ(entries(cboTags), all);
    }
}

}  // namespace
