// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/cGrid.h"
#include "itemsgrid/GridColumns.h"
#include "itemsgrid/ItemProperties.h"
#include "itemsgrid/ItemRow.h"

#include <gtest/gtest.h>

using namespace ItemProperties;

namespace {

const Tags kTags{QStringLiteral("Alb "), QStringLiteral(" Art"), QStringLiteral("C\nD"), QStringLiteral("G"),
                 QStringLiteral("[TRACK_NUM] t"), QStringLiteral("1"), QStringLiteral("[YEAR]")};

std::vector<CellWrite> tagWrites()
{
    return {{COL_TAG_ALBUM, QStringLiteral("Alb ")},      {COL_TAG_ARTIST, QStringLiteral(" Art")},
            {COL_TAG_COMMENT, QStringLiteral("C\nD")},     {COL_TAG_GEN, QStringLiteral("G")},
            {COL_TAG_TITLE, QStringLiteral("[TRACK_NUM] t")}, {COL_TAG_TRACK, QStringLiteral("1")},
            {COL_TAG_YEAR, QStringLiteral("[YEAR]")}};
}

TEST(ItemProperties, ApplyRefusesBadNamesAndRangesWithTheirExactMessages)
{
    const struct {
        const char* name;
        bool byTime;
        long start, until;
        int result;
        QString message;
        const char* trimmed;
        bool tip;
    } cases[] = {
        {"    ", false, 0, 0, -1, QStringLiteral("Empty Item Name.") + QString(42, u' '), "", false},
        {"", true, 0, 0, -1, QStringLiteral("Empty Item Name.") + QString(42, u' '), "", false},
        {"  a?b ", false, 0, 0, -1, QStringLiteral("Illegal Item Name.") + QString(42, u' '), "a?b", true},
        {"x|y", true, 5, 1, -1, QStringLiteral("Illegal Item Name.") + QString(42, u' '), "x|y", true},  // name first
        {" song ", true, 90, 90, 1,
         QStringLiteral("'Start after' field is more or an equel to the 'Until' field.") + QString(9, u' '), "song", false},
        {"song", true, 91, 90, 1,
         QStringLiteral("'Start after' field is more or an equel to the 'Until' field.") + QString(9, u' '), "song", false},
    };
    for (const auto& c : cases) {
        const ApplyResult r = ApplyItemProperties({QString::fromUtf8(c.name), c.byTime, c.start, c.until, kTags});
        EXPECT_EQ(r.result, c.result) << c.name;
        EXPECT_EQ(r.message, c.message) << c.name;
        EXPECT_EQ(r.trimmedName, QString::fromUtf8(c.trimmed)) << c.name;
        EXPECT_EQ(r.focusName, c.result == -1) << c.name;
        EXPECT_EQ(r.illegalNameTip, c.tip) << c.name;
        EXPECT_TRUE(r.writes.empty()) << c.name << ": a refused apply writes nothing";
    }
}

TEST(ItemProperties, ApplyWritesNameRangeAndTagsInOrder)
{
    // The whole file, whatever the pickers show.
    ApplyResult r = ApplyItemProperties({QStringLiteral("  My  Song "), false, 30, 10, kTags});
    EXPECT_EQ(r.result, 0);
    EXPECT_TRUE(r.message.isEmpty());
    std::vector<CellWrite> expected{{ItemRow::COL_ITEM_NAME, QStringLiteral("My  Song")},
                                    {COL_RANGE_ALL, QStringLiteral("1"), true},
                                    {COL_RANGE_START_TIME, QString(), true},
                                    {COL_RANGE_LENGTH_TIME, QString(), true},
                                    {ItemRow::COL_RANGE, QStringLiteral("All"), true}};
    for (const CellWrite& w : tagWrites())
        expected.push_back(w);
    EXPECT_EQ(r.writes, expected);

    // A range; also one from 00:00:00 to the full length stays a range, and a range past a day.
    const struct {
        long start, until;
        const char* startText;
        const char* lengthText;
        const char* range;
    } ranges[] = {
        {90, 180, "90", "90", "00:01:30 - 00:03:00"},
        {0, 245, "0", "245", "00:00:00 - 00:04:05"},
        {86400, 90000, "86400", "3600", "24:00:00 - 25:00:00"},
    };
    for (const auto& c : ranges) {
        r = ApplyItemProperties({QStringLiteral("n"), true, c.start, c.until, kTags});
        ASSERT_EQ(r.result, 0);
        ASSERT_GE(r.writes.size(), 5u);
        EXPECT_EQ(r.writes[1], (CellWrite{COL_RANGE_ALL, QStringLiteral("0"), true}));
        EXPECT_EQ(r.writes[2], (CellWrite{COL_RANGE_START_TIME, QLatin1String(c.startText), true}));
        EXPECT_EQ(r.writes[3], (CellWrite{COL_RANGE_LENGTH_TIME, QLatin1String(c.lengthText), true}));
        EXPECT_EQ(r.writes[4], (CellWrite{ItemRow::COL_RANGE, QLatin1String(c.range), true}));
    }
}

TEST(ItemProperties, WriteCellsPutsNameAndTagsOnOneRowAndTheRangeOnTheOther)
{
    cGrid g;
    SetItemGridColumns(g, nullptr);
    for (long r = 1; r <= 2; ++r)
        g.Cell(r, g.ColumnIndex(ItemRow::COL_ITEM_NAME)).Text(QStringLiteral("row %1").arg(r));
    const ApplyResult r = ApplyItemProperties({QStringLiteral("new"), true, 1, 2, kTags});
    WriteCells(g, r.writes, 1, 2);
    auto text = [&g](long row, const QString& key) { return g.Cell(row, g.ColumnIndex(key)).Text(); };
    EXPECT_EQ(text(1, ItemRow::COL_ITEM_NAME), QStringLiteral("new"));
    EXPECT_EQ(text(1, COL_TAG_COMMENT), QStringLiteral("C\nD"));
    EXPECT_EQ(text(1, ItemRow::COL_RANGE), QString());
    EXPECT_EQ(text(2, ItemRow::COL_ITEM_NAME), QStringLiteral("row 2"));
    EXPECT_EQ(text(2, ItemRow::COL_RANGE), QStringLiteral("00:00:01 - 00:00:02"));
    EXPECT_EQ(g.Rows(), 2);
}

TEST(ItemProperties, DurationsReadPastADay)
{
    const struct {
        const char* text;
        std::optional<long> seconds;
    } cases[] = {{"00:04:05", 245},  {"25:00:00", 90000}, {"123:00:01", 442801}, {"0:01:30", 90},
                 {"00:60:00", {}},   {"12:00", {}},       {"", {}},             {"abc", {}}};
    for (const auto& c : cases)
        EXPECT_EQ(DurationSeconds(QLatin1String(c.text)), c.seconds) << c.text;

    EXPECT_EQ(ClampToTotal(300, 245), 245);
    EXPECT_EQ(ClampToTotal(245, 245), 245);
    EXPECT_EQ(ClampToTotal(10, 245), 10);
    EXPECT_EQ(ClampToTotal(95000, 90000), 90000);
    EXPECT_EQ(ClampToTotal(300, std::nullopt), 300);  // an unreadable total clamps nothing
}

TEST(ItemProperties, RangePageFromTheRowsCells)
{
    const RangePage shownAll{false, 0, 245, {}};
    const RangePage shownByTime{true, 0, 245, {}};
    const struct {
        const char* what;
        RangeCells cells;
        std::optional<long> total;
        RangePage shown;
        bool byTime;
        long start, until;
        bool note;
    } cases[] = {
        {"whole file", {"1", "", ""}, 245, shownByTime, false, 0, 245, false},
        {"range", {"0", "90", "90"}, 245, shownAll, true, 90, 180, false},
        {"start 0 is a range", {"0", "0", "245"}, 245, shownAll, true, 0, 245, false},
        {"both tests: start wins", {"1", "10", "20"}, 245, shownAll, true, 10, 30, false},
        {"neither keeps the option", {"0", "", ""}, 245, shownByTime, true, 0, 245, false},
        {"length rounded", {"0", "10", "20.5"}, 245, shownAll, true, 10, 30, false},
        {"past the end is cut", {"0", "200", "100"}, 245, shownAll, true, 200, 245, true},
        {"start at the end", {"0", "245", "10"}, 245, shownAll, true, 245, 245, true},
        {"start after the end", {"0", "400", "10"}, 245, shownAll, true, 245, 245, true},
        {"no total: as stored", {"0", "200", "100"}, std::nullopt, shownAll, true, 200, 300, false},
        {"over a day", {"0", "86400", "3600"}, 90000, shownAll, true, 86400, 90000, false},
        {"beyond the pickers", {"0", "0", "400000"}, std::nullopt, shownAll, true, 0, kMaxPickerSeconds, false},
        // A list file may hold what no picker can show: the note says the range is not valid.
        {"negative start", {"0", "-5", "10"}, 245, shownAll, true, 0, 5, true},
        {"negative length", {"0", "10", "-3"}, 245, shownAll, true, 10, 7, true},
    };
    for (const auto& c : cases) {
        const RangePage p = GetRangeOptions(c.cells, c.total, c.shown);
        EXPECT_EQ(p.byTime, c.byTime) << c.what;
        EXPECT_EQ(p.start, c.start) << c.what;
        EXPECT_EQ(p.until, c.until) << c.what;
        EXPECT_EQ(!p.note.isEmpty(), c.note) << c.what;
        // Whatever is shown, Apply either stores a range inside the item or refuses it.
        const ApplyResult r = ApplyItemProperties({QStringLiteral("n"), p.byTime, p.start, p.until, {}});
        if (c.total && p.byTime && r.result == 0) {
            EXPECT_LE(p.until, *c.total) << c.what;
        }
    }
    // The note names the length the range was cut to.
    EXPECT_TRUE(GetRangeOptions({"0", "200", "100"}, 245, shownAll).note.contains(QStringLiteral("00:04:05")));
    EXPECT_TRUE(GetRangeOptions({"0", "-5", "10"}, 245, shownAll).note.contains(QStringLiteral("start -5, length 10")));
    EXPECT_EQ(ApplyItemProperties({QStringLiteral("n"), true, 245, 245, {}}).result, 1);
}

TEST(ItemProperties, SteppingPassesOverDataTracks)
{
    cGrid g;
    SetItemGridColumns(g, nullptr);
    const long types[] = {ItemRow::kTypeAudio, ItemRow::kTypeData, ItemRow::kTypeData, ItemRow::kTypeAudio,
                          ItemRow::kTypeData};
    for (long r = 1; r <= 5; ++r)
        g.SetCell(r, g.ColumnIndex(ItemRow::COL_TYPE), QString(), 0x40020, types[r - 1]);
    EXPECT_EQ(StepTarget(g, 1, +1), 4);
    EXPECT_EQ(StepTarget(g, 4, +1), 0);  // only a data track follows
    EXPECT_EQ(StepTarget(g, 4, -1), 1);
    EXPECT_EQ(StepTarget(g, 1, -1), 0);
    EXPECT_EQ(StepTarget(g, 5, -1), 4);
}

}  // namespace
