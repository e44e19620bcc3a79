// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/mdlCommDialog.h"
#include "foundation/mdlSupportedDestination.h"
#include "foundation/mdlSupportedFormats.h"

#include <QComboBox>

#include <gtest/gtest.h>

namespace {

TEST(SupportedFormats, InputFilterHasFivePairsEachEndedByNul)
{
    const QString filter = GetSupportedFilesFilter();
    EXPECT_EQ(filter.count(QChar(0)), 10);
    EXPECT_TRUE(filter.endsWith(QStringLiteral("*.wma") + QChar(0)));
    EXPECT_TRUE(filter.startsWith(QStringLiteral("All supported audio files (*.acm;*.wav;*.mp3;*.wav;*.wma;)") + QChar(0)
                                  + QStringLiteral("*.acm;*.wav;*.mp3;*.wav;*.wma;") + QChar(0)));
    // What the file dialog is given: each description unchanged, then Qt's form of its
    // patterns, separated by blanks, which the dialog does not show.
    EXPECT_EQ(QtFilterFromPairs(filter).toStdString(),
              "All supported audio files (*.acm;*.wav;*.mp3;*.wav;*.wma;) (*.acm *.wav *.mp3 *.wav *.wma);;"
              "Windows legacy audio components (*.acm;*.wav) (*.acm *.wav);;"
              "MPEG-1 Audio Layer 3 (MP3) (*.mp3) (*.mp3);;"
              "Waveform audio format (*.wav) (*.wav);;Windows Media Audio files (*.wma) (*.wma)");
}

TEST(SupportedFormats, FillReplacesTheListWithTheEnabledFormats)
{
    QComboBox cbo;
    cbo.addItem(QStringLiteral("old"));
    FillDestinationFormats(&cbo);
    ASSERT_EQ(cbo.count(), 4);
    EXPECT_EQ(cbo.itemText(0), QStringLiteral("WAV - Waveform Audio Format (*.wav)"));
    EXPECT_EQ(cbo.itemText(1), QStringLiteral("ACM - Waveform ACM Codecs (*.wav)"));
    EXPECT_EQ(cbo.itemText(2), QStringLiteral("MP3 - MPEG-1 Audio Layer 3 (*.mp3)"));
    EXPECT_EQ(cbo.itemText(3), QStringLiteral("WMA - Windows Media Audio files (*.wma)"));
    EXPECT_EQ(g_lDestOGG, 0);
}

TEST(SupportedFormats, FormatIndexFromTheFirstThreeLetters)
{
    const struct {
        const char* text;
        int index;
    } cases[] = {{"WAV - x", 0}, {"acm", 1}, {"Mp3 - y", 2}, {"WMA", 3}, {"ogg vorbis", 4}, {"APE - Monkey 's Audio (*.ape)", 5},
                 {"OG", 0}, {"", 0}, {"FLAC", 0}, {" MP3", 0}};
    for (const auto& c : cases)
        EXPECT_EQ(GetDestinationFormatIndex(QString::fromUtf8(c.text)), c.index) << c.text;
    const QStringList texts = DestinationFormatTexts();
    for (int i = 0; i < texts.size(); ++i)
        EXPECT_EQ(GetDestinationFormatIndex(texts.at(i)), i);
}

}  // namespace
