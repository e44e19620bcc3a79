// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// Values a list file may hold that the program never writes (a mark of -1, a range starting at
// -5): the items grid shows each as something the user can read and act on, and the list file
// keeps its bytes.
#include "tests/itemsgrid/ItemsGridFixture.h"

#include <QIcon>
#include <QImage>

namespace {

using ItemValues = ItemsGridFixture;

QImage drawn(const QVariant& decoration)
{
    const QIcon icon = decoration.value<QIcon>();
    return icon.isNull() ? QImage() : icon.pixmap(16, 16).toImage();
}

TEST_F(ItemValues, OddMarksShowABoxAndImpossibleRangesSayNotValid)
{
    const QString a = makeWav(QStringLiteral("a.wav"), 2.0);
    const struct {
        const char* mark;
        const char* start;  // nullptr: the whole file
        const char* length;
        bool ticked;
        QString range;
    } cases[] = {
        {"1", "30", "45", true, QStringLiteral("00:00:30 - 00:01:15")},
        {"0", nullptr, nullptr, false, QStringLiteral("All")},
        {"-1", "-5", "10", false, QStringLiteral("Not valid: start -5, length 10")},
        {"5", "10", "-3", false, QStringLiteral("Not valid: start 10, length -3")},
        {"", "99999999999", "1", false, QStringLiteral("Not valid: start 99999999999, length 1")},
        {"x", "1", "2147483647", false, QStringLiteral("Not valid: start 1, length 2147483647")},
        {"2", "0", "2147483647", false, QStringLiteral("00:00:00 - 596523:14:07")},
    };
    QList<ItemsListRecord> records;
    for (const auto& c : cases) {
        ItemsListRecord r = listfixtures::plainRecord(a, QStringLiteral("a.wav"), QLatin1String(c.mark));
        if (c.start) {
            r[fldRangeAll] = QStringLiteral("0");
            r[fldRangeStart] = QLatin1String(c.start);
            r[fldRangeLength] = QLatin1String(c.length);
        }
        records << r;
    }
    const QString list = QDir(listsFolder).filePath(QStringLiteral("Odd.flst"));
    ASSERT_TRUE(listfixtures::writeList(list, records));
    const QByteArray before = ReadItemsListFile(list).data;

    FrmMain* f = openMain();
    cGrid* g = f->cGrid1;
    ASSERT_EQ(g->Rows(), long(std::size(cases)));
    const QImage ticked = drawn(f->imgGrid.Icon(ItemRow::kMarked));
    const QImage unticked = drawn(f->imgGrid.Icon(ItemRow::kUnmarked));
    ASSERT_FALSE(ticked.isNull());
    ASSERT_NE(ticked, unticked);
    const int inc = int(g->ColumnIndex(ItemRow::COL_INC)) - 1;
    for (long r = 1; r <= g->Rows(); ++r) {
        const auto& c = cases[r - 1];
        SCOPED_TRACE(std::string("mark ") + c.mark);
        // The box shows what the tasks will do with the row: only a 1 takes part.
        const QImage box = drawn(g->model().data(g->model().index(int(r - 1), inc), Qt::DecorationRole));
        EXPECT_EQ(box, c.ticked ? ticked : unticked);
        EXPECT_EQ(ItemRow::IsMarked(*g, r), c.ticked);
        EXPECT_EQ(cell(g, r, ItemRow::COL_RANGE), c.range);
    }
    // Loading wrote nothing.
    EXPECT_EQ(ReadItemsListFile(list).data, before);

    // A click on the box of the -1 row ticks it, as it does an unticked one.
    g->CurrentRow(3);
    g->CurrentColumn(inc + 1);
    f->cGrid1_MouseUp(1, 0, 100, 50);
    EXPECT_TRUE(ItemRow::IsMarked(*g, 3));
}

}  // namespace
