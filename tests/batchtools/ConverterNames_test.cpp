// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "batchtools/ConverterNames.h"

#include "batchtools/BatchToolWindow.h"
#include "components/cGrid.h"
#include "foundation/mdlModes.h"
#include "itemsgrid/ItemRow.h"
#include "tests/support/FakeConverter.h"

#include <gtest/gtest.h>

#include <ostream>

void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

using ConverterNames::RowFacts;

const QDateTime kNow(QDate(2024, 3, 5), QTime(14, 5, 9));
const QString kMp3 = QStringLiteral("MP3 - MPEG-1 Audio Layer 3 (*.mp3)");
const QString kWav = QStringLiteral("WAV - Waveform Audio Format (*.wav)");
const QString kAcm = QStringLiteral("ACM - Waveform ACM Codecs (*.wav)");

TEST(ConverterNames, OutputNames)
{
    struct Case {
        const char* tmpl;
        long row;
        const char* source;
        const char* item;
        QString target;
        const char* dateFormat;
        const char* expected;
    };
    const Case cases[] = {
        {"[file_name].[dest_extension]", 1, "/Music/live.take.wav", "live.take.wav", kMp3, "dd.MM.yyyy", "livetake.mp3"},
        {"[file_name]_[123].[source_extension].[dest_extension]", 3, "/Music/Song.WAV", "Song.WAV", kWav, "dd.MM.yyyy",
         "Song_3.wav.wav"},
        {"[file_name].[dest_extension]", 1, "/Music/track", "track", kMp3, "dd.MM.yyyy", ".mp3"},
        {"[file_name].[dest_extension]", 1, "/Music/live.take.01.wav", "x", kMp3, "dd.MM.yyyy", "livetake01.mp3"},
        {"fixed.mp3", 7, "/a/b.wav", "b.wav", kMp3, "dd.MM.yyyy", "fixed.mp3"},
        {"[123]", 12, "/a/b.wav", "b.wav", kMp3, "dd.MM.yyyy", "12"},
        {"[file_name].[convert_extension]", 1, "/a/b.wav", "b.wav", kAcm, "dd.MM.yyyy", "b.acm"},
        // A target without " -" leaves both extension placeholders.
        {"[file_name].[dest_extension][convert_extension]", 1, "/a/b.wav", "b.wav", QStringLiteral("MP3"),
         "dd.MM.yyyy", "b.[dest_extension][convert_extension]"},
        // Other capitals are no placeholder.
        {"[FILE_NAME].[Dest_Extension]", 1, "/a/b.wav", "b.wav", kMp3, "dd.MM.yyyy", "[FILE_NAME].[Dest_Extension]"},
        {"[item_name] [time] [date]", 1, "/a/b.wav", "Intro", kMp3, "dd/MM/yyyy", "Intro 14-05-09 05-03-2024"},
        {"[source_extension]", 1, "/a/b.wav", "no extension", kMp3, "dd.MM.yyyy", ""},
        // "[item_name]" comes last, so its text keeps a placeholder; "[file_name]" comes first.
        {"[item_name]", 1, "/a/b.wav", "Take [date]", kMp3, "dd.MM.yyyy", "Take [date]"},
        {"[file_name]", 1, "/a/Take[date].wav", "x", kMp3, "dd.MM.yyyy", "Take05.03.2024"},
        // A "/" from a value cannot make a folder; the template's own "/" stays.
        {"[item_name].[dest_extension]", 1, "/a/b.wav", "AC/DC", kMp3, "dd.MM.yyyy", "AC-DC.mp3"},
        {"[item_name]", 1, "/a/b.wav", "../../etc/x", kMp3, "dd.MM.yyyy", "..-..-etc-x"},
        {"[source_extension]", 1, "/a/b.wav", "a.b/c", kMp3, "dd.MM.yyyy", "b-c"},
        {"sub/[file_name].mp3", 1, "/a/b.wav", "b.wav", kMp3, "dd.MM.yyyy", "sub/b.mp3"},
    };
    for (const Case& c : cases) {
        const RowFacts facts{c.row, QString::fromUtf8(c.source), QString::fromUtf8(c.item), {}};
        EXPECT_EQ(ConverterNames::ExpandFileNameTemplate(QString::fromUtf8(c.tmpl), facts, c.target, kNow,
                                                         QString::fromUtf8(c.dateFormat)),
                  QString::fromUtf8(c.expected))
            << c.tmpl << " / " << c.item;
    }
}

TEST(ConverterNames, TagTexts)
{
    g_sAppName = QStringLiteral("Quillmere");
    g_sAppVersion = QStringLiteral("1.2");
    const RowFacts row1{1, QStringLiteral("/Music/live.take.wav"), QStringLiteral("Live [YEAR]"),
                        QStringLiteral("00:00:30 - 00:01:15")};
    const RowFacts row3{3, QStringLiteral("/Music/b.mp3"), QStringLiteral("B"), QString()};
    struct Case {
        const char* text;
        const RowFacts* row;
        const char* expected;
    };
    const Case cases[] = {
        {"[TRACK_NUM]", &row1, "1"},  // the first row gives 1
        {"Track [TRACK_NUM]", &row3, "Track 3"},
        {"[DATE] [TIME]", &row1, "05/03/2024 14:05:09"},  // the tag date keeps its separators
        {"[PROG_NAME] [PROG_VERSION] [YEAR]", &row1, "Quillmere 1.2 2024"},
        {"[SOURCE_NAME]|[RANGE]", &row1, "live.take.wav|00:00:30 - 00:01:15"},
        // "[YEAR]" comes after "[ITEM_NAME]", so it expands inside the item name too.
        {"[ITEM_NAME]", &row1, "Live 2024"},
        {"[track_num] [Year]", &row1, "[track_num] [Year]"},
        {"", &row1, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ConverterNames::CreateID3TagsString(QString::fromUtf8(c.text), *c.row, kNow,
                                                      QStringLiteral("dd/MM/yyyy"), QStringLiteral("HH:mm:ss")),
                  QString::fromUtf8(c.expected))
            << c.text;
}

TEST(ConverterNames, RowCellsAndTagHandOver)
{
    cGrid grid;
    BatchToolWindow::InitGrid(&grid);
    const auto set = [&](long row, const QString& key, const QString& text) {
        grid.Cell(row, grid.ColumnIndex(key)).Text(text);
    };
    set(1, COL_FILE, QStringLiteral("/m/one.wav"));
    set(1, ItemRow::COL_ITEM_NAME, QStringLiteral("One"));
    set(1, ItemRow::COL_RANGE, QStringLiteral("All"));
    const QString keys[] = {COL_TAG_ALBUM, COL_TAG_ARTIST, COL_TAG_COMMENT, COL_TAG_GEN,
                            COL_TAG_TITLE, COL_TAG_TRACK,  COL_TAG_YEAR};
    for (const QString& k : keys)
        set(1, k, k + QStringLiteral(" [TRACK_NUM]"));

    const RowFacts f = ConverterNames::FactsOfRow(grid, 1);
    EXPECT_EQ(f.sourcePath, QStringLiteral("/m/one.wav"));
    EXPECT_EQ(f.itemName, QStringLiteral("One"));
    EXPECT_EQ(f.range, QStringLiteral("All"));
    EXPECT_FALSE(ConverterNames::TagCellsOfRow(grid, 2).has_value());

    FakeConverter conv;
    conv.TagTitle(QStringLiteral("kept"));
    const std::optional<ConverterNames::TagCells> cells = ConverterNames::TagCellsOfRow(grid, 1);
    ASSERT_TRUE(cells.has_value());
    ConverterNames::HandOverTags(conv, *cells, [&](const QString& t) {
        return ConverterNames::CreateID3TagsString(t, f, kNow, QStringLiteral("dd.MM.yyyy"), QStringLiteral("HH:mm"));
    });
    EXPECT_EQ(conv.album, QStringLiteral("COL_TAG_ALBUM 1"));
    EXPECT_EQ(conv.artist, QStringLiteral("COL_TAG_ARTIST 1"));
    EXPECT_EQ(conv.comment, QStringLiteral("COL_TAG_COMMENT 1"));
    EXPECT_EQ(conv.genre, QStringLiteral("COL_TAG_GEN 1"));
    EXPECT_EQ(conv.title, QStringLiteral("COL_TAG_TITLE 1"));
    EXPECT_EQ(conv.track, QStringLiteral("COL_TAG_TRACK 1"));
    EXPECT_EQ(conv.year, QStringLiteral("COL_TAG_YEAR 1"));
}

TEST(ConverterNames, TargetKeys)
{
    EXPECT_EQ(ConverterNames::TargetKey(kAcm), QStringLiteral("acm"));
    EXPECT_EQ(ConverterNames::TargetKey(QStringLiteral("WMA - Windows Media Audio files (*.wma)")), QStringLiteral("wma"));
    EXPECT_EQ(ConverterNames::TargetKey(QStringLiteral("OGG")), std::nullopt);
    EXPECT_EQ(ConverterNames::TargetKey(QString()), std::nullopt);
}

}  // namespace
