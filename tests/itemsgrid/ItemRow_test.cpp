// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/cGrid.h"
#include "components/cImageList.h"
#include "itemsgrid/GridColumns.h"
#include "itemsgrid/ItemRow.h"

#include <QDateTime>

#include <gtest/gtest.h>

namespace {

TEST(ItemRow, NineteenColumnsInTheirOrder)
{
    cImageList images;
    cGrid g;
    SetItemGridColumns(g, &images);
    ASSERT_EQ(g.Columns(), 19);
    EXPECT_EQ(g.RowHeight(), 24);
    EXPECT_EQ(g.model().ImageList(), &images);
    EXPECT_EQ(g.ColumnIndex(COL_FILE), 8);
    EXPECT_EQ(g.ColumnIndex(COL_TAG_YEAR), 17);
    EXPECT_EQ(g.ColumnIndex(COL_TAG_TRACK), 19);
    EXPECT_EQ(g.ColumnIndex(ItemRow::COL_TIME), 5);
    EXPECT_EQ(g.model().headerData(4, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Time-Length"));
    QStringList shown;
    for (int c = 0; c < 19; ++c)
        if (!g.isColumnHidden(c))
            shown.append(g.model().headerData(c, Qt::Horizontal, Qt::DisplayRole).toString());
    EXPECT_EQ(shown, (QStringList{"Inc", "Type", "Item Name", "Range"}));
    EXPECT_EQ(g.columnWidth(2), 200);
    EXPECT_TRUE(g.GridLines());
    EXPECT_TRUE(g.HotTrack());
}

TEST(ItemRow, MarkIsTheIconOfTheIncCell)
{
    cGrid g;
    SetItemGridColumns(g, nullptr);
    const long inc = g.ColumnIndex(ItemRow::COL_INC);
    g.SetCell(g.Rows() + 1, inc, std::nullopt, 0x40020, ItemRow::kMarked);
    ASSERT_EQ(g.Rows(), 1);
    EXPECT_TRUE(ItemRow::IsMarked(g, 1));
    g.SetCell(g.Rows() + 1, inc, std::nullopt, 0x40020, ItemRow::kUnmarked);
    g.SetCell(g.Rows() + 1, g.ColumnIndex(ItemRow::COL_ITEM_NAME), QVariant(QStringLiteral("never marked")));
    g.SetCell(4, inc, std::nullopt, 0x40020, 3);
    EXPECT_FALSE(ItemRow::IsMarked(g, 2));
    EXPECT_FALSE(ItemRow::IsMarked(g, 3));
    EXPECT_FALSE(ItemRow::IsMarked(g, 4));
    EXPECT_FALSE(ItemRow::IsMarked(g, 5));
}

TEST(ItemRow, InformationGrid)
{
    cGrid g;
    SetInfoGridColumns(g);
    EXPECT_EQ(g.Columns(), 2);
    EXPECT_EQ(g.RowHeight(), 20);
    EXPECT_EQ(g.ColumnIndex(QStringLiteral("Name")), 1);
    EXPECT_EQ(g.ColumnIndex(QStringLiteral("Value")), 2);
    EXPECT_EQ(g.columnWidth(0), 70);
    // At least the designed width, and wide enough for a creation time in the desktop's formats.
    EXPECT_GE(g.columnWidth(1), 130);
    const int width = g.columnWidth(1);
    g.FitColumnToText(2, cGridModel::ValueText(QDateTime(QDate(2027, 11, 30), QTime(23, 59, 59))));
    EXPECT_EQ(g.columnWidth(1), width);
    EXPECT_FALSE(g.HotTrack());
}

}  // namespace
