// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/cGrid.h"
#include "components/cImageList.h"
#include "itemsgrid/GridColumns.h"
#include "itemsgrid/GridRows.h"
#include "itemsgrid/ItemRow.h"

#include <QFont>

#include <gtest/gtest.h>

namespace {

struct RowSpec {
    long mark = ItemRow::kMarked;
    long type = ItemRow::kTypeAudio;
    QString name;
    QString time = QStringLiteral("00:00:00");
    QString rangeAll = QStringLiteral("1");
    QString rangeLength;
    QVariant bytes = QVariant::fromValue<qint64>(0);
};

// A row of the given mark, type and name; the other cells as RowSpec has them.
RowSpec named(long mark, long type, const QString& name)
{
    RowSpec s;
    s.mark = mark;
    s.type = type;
    s.name = name;
    return s;
}

void addRow(cGrid& g, const RowSpec& s)
{
    const long row = g.Rows() + 1;
    g.SetCell(row, g.ColumnIndex(ItemRow::COL_INC), QString(), 0x40020, s.mark);
    g.SetCell(row, g.ColumnIndex(ItemRow::COL_TYPE), QString(), 0x40020, s.type);
    g.SetCell(row, g.ColumnIndex(ItemRow::COL_ITEM_NAME), s.name);
    g.SetCell(row, g.ColumnIndex(ItemRow::COL_TIME), s.time);
    g.SetCell(row, g.ColumnIndex(COL_FILE), QString(QStringLiteral("/music/") + s.name + QStringLiteral(".wav")));
    g.SetCell(row, g.ColumnIndex(COL_RANGE_ALL), s.rangeAll);
    g.SetCell(row, g.ColumnIndex(COL_RANGE_LENGTH_TIME), s.rangeLength);
    g.SetCell(row, g.ColumnIndex(COL_BYTES_SIZE), s.bytes);
    g.SetCell(row, g.ColumnIndex(COL_TAG_TRACK), QString::number(row));
}

class Rows : public testing::Test {
protected:
    void SetUp() override
    {
        SetItemGridColumns(grid, nullptr);
        SetItemGridColumns(dest, nullptr);
    }
    // Five rows a..e; rows 2 and 5 marked.
    void fillFive()
    {
        const char* names[] = {"a", "b", "c", "d", "e"};
        for (int i = 0; i < 5; ++i)
            addRow(grid, named((i == 1 || i == 4) ? ItemRow::kMarked : ItemRow::kUnmarked, ItemRow::kTypeAudio,
                               QLatin1String(names[i])));
    }
    QString name(cGrid& g, long row) { return g.Cell(row, g.ColumnIndex(ItemRow::COL_ITEM_NAME)).Text(); }

    cGrid grid;
    cGrid dest;
};

TEST_F(Rows, EmptyGridCountsNothingAndCopiesNothing)
{
    EXPECT_EQ(GridRows::GetMarkedCount(grid), 0);
    EXPECT_FALSE(GridRows::IsAnyItemMarked(grid));
    EXPECT_EQ(GridRows::GetTotalTime(grid, false), QStringLiteral("0"));
    EXPECT_EQ(GridRows::GetTotalSize(grid, false), QStringLiteral("0"));
    long copied = -1;
    dest.Redraw(true);
    GridRows::CopyGridRows(grid, dest, false, &copied);
    EXPECT_EQ(dest.Rows(), 0);
    EXPECT_EQ(copied, 0);
    EXPECT_TRUE(dest.Redraw());
}

TEST_F(Rows, MarkAllThenCount)
{
    fillFive();
    EXPECT_EQ(GridRows::GetMarkedCount(grid), 2);
    EXPECT_TRUE(GridRows::IsAnyItemMarked(grid));
    GridRows::MarkAllItems(grid, true);
    EXPECT_EQ(GridRows::GetMarkedCount(grid), 5);
    GridRows::MarkAllItems(grid, false);
    EXPECT_EQ(GridRows::GetMarkedCount(grid), 0);
    EXPECT_FALSE(GridRows::IsAnyItemMarked(grid));
    EXPECT_TRUE(grid.Redraw());
    // A mark cell never given an icon is not marked.
    grid.SetCell(grid.Rows() + 1, grid.ColumnIndex(ItemRow::COL_ITEM_NAME), QStringLiteral("bare"));
    EXPECT_EQ(GridRows::GetMarkedCount(grid), 0);
}

TEST_F(Rows, CopyMarkedOnlyTakesValuesWithoutMarksOrIcons)
{
    fillFive();
    long copied = 0;
    GridRows::CopyGridRows(grid, dest, true, &copied);
    ASSERT_EQ(dest.Rows(), 2);
    EXPECT_EQ(copied, 2);
    EXPECT_EQ(name(dest, 1), QStringLiteral("b"));
    EXPECT_EQ(name(dest, 2), QStringLiteral("e"));
    EXPECT_EQ(dest.Cell(2, dest.ColumnIndex(COL_TAG_TRACK)).Text(), QStringLiteral("5"));
    for (long r = 1; r <= 2; ++r) {
        EXPECT_EQ(dest.Cell(r, dest.ColumnIndex(ItemRow::COL_INC)).Icon(), cGridModel::kNoIcon);
        EXPECT_EQ(dest.Cell(r, dest.ColumnIndex(ItemRow::COL_TYPE)).Icon(), cGridModel::kNoIcon);
    }
    EXPECT_EQ(dest.CurrentRow(), 1);
    EXPECT_TRUE(dest.Redraw());
}

TEST_F(Rows, CopyAllRowsKeepsMarks)
{
    fillFive();
    grid.SetCell(3, grid.ColumnIndex(COL_BYTES_SIZE), QVariant::fromValue<qint64>(5'000'000'000LL));
    long copied = 0;
    GridRows::CopyGridRows(grid, dest, false, &copied);
    ASSERT_EQ(dest.Rows(), 5);
    EXPECT_EQ(copied, 5);
    for (long r = 1; r <= 5; ++r) {
        EXPECT_EQ(dest.Cell(r, 1).Icon(), grid.Cell(r, 1).Icon()) << r;
        EXPECT_EQ(name(dest, r), name(grid, r));
    }
    // Values pass unchanged, a number stays a number.
    EXPECT_EQ(dest.Cell(3, dest.ColumnIndex(COL_BYTES_SIZE)).Value(), QVariant::fromValue<qint64>(5'000'000'000LL));
    EXPECT_EQ(dest.CurrentRow(), 1);
}

// A type icon is a number into the grid's image list: it goes with the row only where the
// destination draws from the same list (a task window over the items grid's icons), so a grid
// of other pictures never shows a stranger in its "Type" column.
TEST_F(Rows, CopiedRowsKeepTheirTypeIconsWhereBothGridsShareTheIcons)
{
    cImageList items;
    cImageList others;
    const struct {
        const char* what;
        const cImageList* source;
        const cImageList* destination;
        bool markedOnly;
        bool iconsGo;
    } cases[] = {
        {"shared list, marked rows", &items, &items, true, true},
        {"shared list, all rows", &items, &items, false, true},
        {"other list", &items, &others, true, false},
        {"destination without a list", &items, nullptr, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        cGrid from;
        cGrid into;
        SetItemGridColumns(from, c.source);
        SetItemGridColumns(into, c.destination);
        addRow(from, named(ItemRow::kMarked, ItemRow::kTypeAudio, QStringLiteral("song")));
        addRow(from, named(ItemRow::kMarked, ItemRow::kTypeData, QStringLiteral("data")));
        GridRows::CopyGridRows(from, into, c.markedOnly);
        ASSERT_EQ(into.Rows(), 2);
        const long type = into.ColumnIndex(ItemRow::COL_TYPE);
        EXPECT_EQ(into.Cell(1, type).Icon(), c.iconsGo ? ItemRow::kTypeAudio : cGridModel::kNoIcon);
        EXPECT_EQ(into.Cell(2, type).Icon(), c.iconsGo ? ItemRow::kTypeData : cGridModel::kNoIcon);
        // The mark column follows its own rule whatever the icons.
        EXPECT_EQ(into.Cell(1, 1).Icon(), c.markedOnly ? cGridModel::kNoIcon : ItemRow::kMarked);
        EXPECT_EQ(name(into, 2), QStringLiteral("data"));
    }
}

TEST_F(Rows, CopyMarkedOnlyWithNothingMarkedLeavesTheDestinationAlone)
{
    fillFive();
    GridRows::MarkAllItems(grid, false);
    long copied = -1;
    GridRows::CopyGridRows(grid, dest, true, &copied);
    EXPECT_EQ(dest.Rows(), 0);
    EXPECT_EQ(dest.CurrentRow(), 0);
    EXPECT_EQ(copied, 0);
}

TEST_F(Rows, ReplaceRowExchangesValuesMarksAndTypeIcons)
{
    fillFive();
    grid.Cell(2, grid.ColumnIndex(ItemRow::COL_TYPE)).Icon(ItemRow::kTypeData);
    grid.CurrentRow(3);
    GridRows::ReplaceRow(grid, -1);
    EXPECT_EQ(grid.CurrentRow(), 2);
    EXPECT_EQ(name(grid, 2), QStringLiteral("c"));
    EXPECT_EQ(name(grid, 3), QStringLiteral("b"));
    EXPECT_EQ(grid.Cell(2, grid.ColumnIndex(COL_TAG_TRACK)).Text(), QStringLiteral("3"));
    EXPECT_FALSE(ItemRow::IsMarked(grid, 2));
    EXPECT_TRUE(ItemRow::IsMarked(grid, 3));
    // The data track's icon went with it.
    EXPECT_EQ(grid.Cell(2, grid.ColumnIndex(ItemRow::COL_TYPE)).Icon(), ItemRow::kTypeAudio);
    EXPECT_EQ(grid.Cell(3, grid.ColumnIndex(ItemRow::COL_TYPE)).Icon(), ItemRow::kTypeData);

    // Outside the grid nothing moves.
    grid.CurrentRow(1);
    GridRows::ReplaceRow(grid, -1);
    EXPECT_EQ(grid.CurrentRow(), 1);
    EXPECT_EQ(name(grid, 1), QStringLiteral("a"));
    GridRows::ReplaceRow(grid, 4);  // 1 -> 5: first and last exchange
    EXPECT_EQ(name(grid, 1), QStringLiteral("e"));
    EXPECT_EQ(name(grid, 5), QStringLiteral("a"));
    EXPECT_EQ(grid.CurrentRow(), 5);
}

TEST_F(Rows, BoldAndRegularFontsAreTheGridsOwnFace)
{
    fillFive();
    // The rows were drawn in the grid's own font before any playback; bold and back to regular
    // must keep its face and size.
    const QFont own = grid.model().DefaultFont();
    const auto sameFace = [&own](const QFont& f) {
        return f.family() == own.family() && f.pointSizeF() == own.pointSizeF();
    };
    GridRows::SetRowBold(grid, 2, true);
    for (long c = 1; c <= grid.Columns(); ++c) {
        EXPECT_TRUE(grid.Cell(2, c).Font().bold()) << c;
        EXPECT_TRUE(sameFace(grid.Cell(2, c).Font())) << c << " " << grid.Cell(2, c).Font().toString().toStdString();
    }
    EXPECT_FALSE(grid.Cell(1, 3).Font().bold());
    GridRows::SetRowBold(grid, 4, false);
    EXPECT_FALSE(grid.Cell(4, 3).Font().bold());
    EXPECT_TRUE(sameFace(grid.Cell(4, 3).Font()));
    GridRows::SetRowUnBold(grid);
    for (long r = 1; r <= 5; ++r)
        for (long c : {1L, 3L, 19L}) {
            EXPECT_FALSE(grid.Cell(r, c).Font().bold()) << r << "," << c;
            EXPECT_TRUE(sameFace(grid.Cell(r, c).Font())) << r << "," << c << " "
                                                          << grid.Cell(r, c).Font().toString().toStdString();
        }
    EXPECT_TRUE(grid.Redraw());
}

struct TotalCase {
    const char* what;
    RowSpec row;
    qint64 seconds;
    qint64 bytes;
};

TEST_F(Rows, TotalsOfEachKindOfRow)
{
    const TotalCase cases[] = {
        {"whole file counts its time", {1, 3, "w", "00:03:25", "1", "", QVariant::fromValue<qint64>(1000)}, 205, 1000},
        {"ranged row counts its length", {1, 3, "r", "00:03:25", "0", "30", QVariant::fromValue<qint64>(10)}, 30, 10},
        {"ranged row without a length", {1, 3, "n", "00:03:25", "0", "", QVariant::fromValue<qint64>(0)}, 0, 0},
        {"length rounded half to even", {1, 3, "h", "", "0", "2.5", QVariant::fromValue<qint64>(0)}, 2, 0},
        {"a day and more is a duration", {1, 3, "d", "25:00:01", "1", "", QVariant::fromValue<qint64>(0)}, 90001, 0},
        {"unreadable time and size", {1, 3, "x", "soon", "1", "", QVariant(QStringLiteral("big"))}, 0, 0},
        {"size kept as text", {1, 3, "t", "", "1", "", QVariant(QStringLiteral("2048"))}, 0, 2048},
        {"a CD-length WAV over 2 GiB", {1, 3, "cd", "13:31:45", "1", "", QVariant::fromValue<qint64>(8'600'000'000LL)},
         48705, 8'600'000'000LL},
    };
    for (const TotalCase& c : cases) {
        cGrid g;
        SetItemGridColumns(g, nullptr);
        addRow(g, c.row);
        EXPECT_EQ(GridRows::TotalSeconds(g, false), c.seconds) << c.what;
        EXPECT_EQ(GridRows::TotalBytes(g, false), c.bytes) << c.what;
    }
}

// A ranged row counts its length only when the row shows a range a task can cut.
TEST_F(Rows, RangesShownNotValidAndLengthsBelowZeroAddNothing)
{
    const struct {
        const char* range;  // the "Range" cell
        const char* length;
        qint64 seconds;
    } cases[] = {
        {"00:00:10 - 00:00:40", "30", 30},
        {"Not valid: start 99999, length 30", "30", 0},
        {"Not valid: start abc, length 30", "30", 0},
        {"Not valid: start 0, length -5", "-5", 0},
        // A grid filled without range texts still never counts below nothing.
        {"", "-5", 0},
        {"", "2147483647", 2147483647},
    };
    for (const auto& c : cases) {
        cGrid g;
        SetItemGridColumns(g, nullptr);
        addRow(g, {ItemRow::kMarked, ItemRow::kTypeAudio, "whole", "00:01:00", "1", "", QVariant::fromValue<qint64>(0)});
        addRow(g, {ItemRow::kMarked, ItemRow::kTypeAudio, "ranged", "00:01:00", "0", QLatin1String(c.length),
                   QVariant::fromValue<qint64>(0)});
        g.SetCell(2, g.ColumnIndex(ItemRow::COL_RANGE), QString::fromLatin1(c.range));
        EXPECT_EQ(GridRows::TotalSeconds(g, false), 60 + c.seconds) << c.range;
        EXPECT_EQ(GridRows::TotalSeconds(g, true), 60 + c.seconds) << c.range;
    }
}

TEST_F(Rows, NoRowIsLeftOutOfLongTotals)
{
    // Four CD-length WAVs: each just under 2 GiB would have pushed the 32-bit sum over.
    const qint64 cd = 2'000'000'000LL;
    for (int i = 0; i < 4; ++i)
        addRow(grid, {i == 3 ? ItemRow::kUnmarked : ItemRow::kMarked, 3, QStringLiteral("cd%1").arg(i), "596:31:24", "1", "",
                      QVariant::fromValue<qint64>(cd)});
    EXPECT_EQ(GridRows::TotalBytes(grid, false), 4 * cd);
    EXPECT_EQ(GridRows::TotalBytes(grid, true), 3 * cd);
    EXPECT_EQ(GridRows::GetTotalSize(grid, false), QStringLiteral("7.45 GB"));
    // 596:31:24 is 2,147,484 seconds: four of them pass 2^31.
    EXPECT_EQ(GridRows::GetTotalTime(grid, false), QStringLiteral("8589936"));
    EXPECT_EQ(GridRows::GetTotalTime(grid, true), QStringLiteral("6442452"));
}

}  // namespace
