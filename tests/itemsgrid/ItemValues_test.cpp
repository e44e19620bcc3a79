// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// Values a list file may hold that the program never writes (a mark of -1, a range starting at
// -5): the items grid shows each as something the user can read and act on, and the list file
// keeps its bytes.
#include "tests/itemsgrid/ItemsGridFixture.h"

#include "foundation/mdlFunctions.h"
#include "mainwindow/cStatusBar.h"

#include <QIcon>
#include <QImage>

#include <vector>

namespace {

using ItemValues = ItemsGridFixture;

QImage drawn(const QVariant& decoration)
{
    const QIcon icon = decoration.value<QIcon>();
    return icon.isNull() ? QImage() : icon.pixmap(16, 16).toImage();
}

TEST_F(ItemValues, OddMarksShowABoxAndImpossibleRangesSayNotValid)
{
    const QString a = makeWav(QStringLiteral("a.wav"), 60.0, 8, 8000, 1);
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
        // Texts that are no number are not a start at 0.
        {"1", "abc", "30", true, QStringLiteral("Not valid: start abc, length 30")},
        {"1", "10", "", true, QStringLiteral("Not valid: start 10, length ")},
        {"1", "", "", true, QStringLiteral("Not valid: start , length ")},
        // The file lasts a minute: a range must start inside it.
        {"1", "99999", "10", true, QStringLiteral("Not valid: start 99999, length 10")},
        {"1", "60", "5", true, QStringLiteral("Not valid: start 60, length 5")},
        {"1", "59", "5", true, QStringLiteral("00:00:59 - 00:01:04")},
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
        // Read whole, not cut short: the column is as wide as the text needs.
        const int range = int(g->ColumnIndex(ItemRow::COL_RANGE)) - 1;
        EXPECT_GE(g->columnWidth(range), g->sizeHintForIndex(g->model().index(int(r - 1), range)).width());
    }
    // Loading wrote nothing.
    EXPECT_EQ(ReadItemsListFile(list).data, before);
    // Only the whole file and the ranges shown as such count: 45, 60, 2147483647 and 5 seconds.
    EXPECT_TRUE(f->cStatusBar1->StatusPanelText(QStringLiteral("Items List Properties")).endsWith(QStringLiteral(", 596523:15:57")))
        << f->cStatusBar1->StatusPanelText(QStringLiteral("Items List Properties")).toStdString();

    // A click on the box of the -1 row ticks it, as it does an unticked one.
    g->CurrentRow(3);
    g->CurrentColumn(inc + 1);
    f->cGrid1_MouseUp(1, 0, 100, 50);
    EXPECT_TRUE(ItemRow::IsMarked(*g, 3));
}

// The list summary in the status bar counts what the tasks can take: the whole files and the
// ranges shown as such. Whatever a list file says, the total is never below nothing and never
// wraps.
TEST_F(ItemValues, TheListSummaryCountsOnlyWhatTheRowsShow)
{
    const QString a = makeWav(QStringLiteral("a.wav"), 60.0, 8, 8000, 1);
    struct Range {
        const char* start;  // nullptr: the whole file
        const char* length;
    };
    const Range whole{nullptr, nullptr};
    const struct {
        const char* what;
        std::vector<Range> rows;
        const char* time;
    } cases[] = {
        {"a length below 0", {{"0", "-5"}, whole}, "00:01:00"},
        {"only a length below 0", {{"0", "-1"}}, "00:00:00"},
        {"a start that is no number", {{"abc", "30"}, whole}, "00:01:00"},
        {"a start past the file's end", {{"99999", "10"}, whole}, "00:01:00"},
        {"an end past what a time holds", {{"1", "2147483647"}}, "00:00:00"},
        {"ranges past 32 bits together", {{"0", "2000000000"}, {"0", "2000000000"}, {"0", "2000000000"}}, "1666666:40:00"},
        {"ranges and a whole file", {{"10", "20"}, {"59", "1"}, whole}, "00:01:21"},
    };
    QStringList lists;
    for (size_t i = 0; i < std::size(cases); ++i) {
        QList<ItemsListRecord> records;
        for (const Range& range : cases[i].rows) {
            ItemsListRecord r = listfixtures::plainRecord(a, QStringLiteral("a.wav"));
            if (range.start) {
                r[fldRangeAll] = QStringLiteral("0");
                r[fldRangeStart] = QLatin1String(range.start);
                r[fldRangeLength] = QLatin1String(range.length);
            }
            records << r;
        }
        lists << QDir(listsFolder).filePath(QStringLiteral("Case %1.flst").arg(i));
        ASSERT_TRUE(fixtures::writeFile(lists.last(), ComposeItemsListBytes(records)));
    }

    FrmMain* f = openMain();
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].what);
        f->cTreeView1_NodeClick(f->m_lists->NodeByKey(lists.at(qsizetype(i))));
        waitIdle(f);
        ASSERT_EQ(f->cGrid1->Rows(), long(cases[i].rows.size()));
        const QString summary = f->cStatusBar1->StatusPanelText(QStringLiteral("Items List Properties"));
        EXPECT_EQ(summary, QString::number(cases[i].rows.size()) + QStringLiteral(" Items, ") +
                               FormatByteCount(qint64(cases[i].rows.size()) * QFileInfo(a).size()) + QStringLiteral(", ") +
                               QLatin1String(cases[i].time));
    }
}

}  // namespace
