// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/cGrid.h"
#include "components/cImageList.h"
#include "tests/support/FakeClock.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QImage>
#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <vector>

namespace {

void addColumns(cGrid& g, int n)
{
    for (int i = 1; i <= n; ++i)
        g.AddColumn(QStringLiteral("K%1").arg(i), QStringLiteral("H%1").arg(i), 0, -1, 50, i % 2 == 1);
}

TEST(cGrid, ColumnsAreFoundByKeyAndCountFromOne)
{
    cGrid g;
    g.AddColumn(QStringLiteral("Inc"), QStringLiteral("Inc"), 0, -1, 26);
    g.AddColumn(QStringLiteral("Time"), QStringLiteral("Time-Length"), 0, -1, 80, false);
    g.AddColumn(QStringLiteral("Inc"), QStringLiteral("duplicate"), 0, -1, 10);
    EXPECT_EQ(g.Columns(), 3);
    EXPECT_EQ(g.ColumnIndex(QStringLiteral("Inc")), 1);  // the first column of a key wins
    EXPECT_EQ(g.ColumnIndex(QStringLiteral("Time")), 2);
    EXPECT_EQ(g.ColumnIndex(QStringLiteral("time")), 0);  // keys are exact
    EXPECT_EQ(g.ColumnIndex(QStringLiteral("Missing")), 0);
    EXPECT_EQ(g.model().headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Time-Length"));
    EXPECT_TRUE(g.isColumnHidden(1));
    EXPECT_FALSE(g.isColumnHidden(0));
}

TEST(cGrid, WritingTheRowAfterTheLastAppendsAndNothingElseDoes)
{
    cGrid g;
    addColumns(g, 3);
    EXPECT_EQ(g.Rows(), 0);
    EXPECT_FALSE(g.SetCell(2, 1, QVariant(QStringLiteral("gap"))));  // row 2 of an empty grid
    EXPECT_FALSE(g.SetCell(1, 4, QVariant(QStringLiteral("no column"))));
    EXPECT_FALSE(g.SetCell(0, 1, QVariant(QStringLiteral("row 0"))));
    EXPECT_EQ(g.Rows(), 0);

    EXPECT_TRUE(g.SetCell(1, 1, std::nullopt, 0x40020, 1));  // icon only, no text
    EXPECT_EQ(g.Rows(), 1);
    EXPECT_EQ(g.Cell(1, 1).Icon(), 1);
    EXPECT_EQ(g.Cell(1, 1).Text(), QString());
    EXPECT_EQ(g.Cell(1, 2).Icon(), cGridModel::kNoIcon);  // never given an icon

    g.Cell(2, 3).Text(QStringLiteral("second"));  // any write of row Rows + 1 appends
    EXPECT_EQ(g.Rows(), 2);
    EXPECT_EQ(g.Cell(2, 3).Text(), QStringLiteral("second"));
    EXPECT_EQ(g.Cell(3, 1).Text(), QString());  // reads outside the grid answer empty
    EXPECT_EQ(g.model().rowCount(), 2);  // the view saw both rows
}

TEST(cGrid, CellsKeepTheValueAsWritten)
{
    cGrid g;
    addColumns(g, 3);
    const QDateTime created(QDate(2024, 2, 29), QTime(13, 5, 7));
    g.SetCell(1, 1, QVariant(qint64(5'000'000'000)));
    g.SetCell(1, 2, QVariant(created));
    g.SetCell(1, 3, QVariant(QStringLiteral("a.wav")), 0, 3);
    g.SetCell(1, 3, std::nullopt, 0x40020, 4);  // icon alone keeps the text
    EXPECT_EQ(g.Cell(1, 1).Value().toLongLong(), 5'000'000'000);
    EXPECT_EQ(g.Cell(1, 2).Value().toDateTime(), created);
    EXPECT_EQ(g.Cell(1, 3).Text(), QStringLiteral("a.wav"));
    EXPECT_EQ(g.Cell(1, 3).Icon(), 4);
}

TEST(cGrid, DateTimeCellsReadInTheDesktopsFormats)
{
    cGrid g;
    addColumns(g, 2);
    const QDateTime created(QDate(2024, 2, 29), QTime(13, 5, 7));
    g.SetCell(1, 1, QVariant(created));
    g.SetCell(1, 2, QVariant(QStringLiteral("2024-02-29T13:05:07")));  // a text stays a text
    const struct {
        const char* date;
        const char* time;
        const char* expected;
    } cases[] = {
        {"dd.MM.yyyy", "HH:mm:ss", "29.02.2024 13:05:07"},
        {"M/d/yyyy", "h:mm:ss AP", "2/29/2024 1:05:07 PM"},
    };
    for (const auto& c : cases) {
        FakeClock clock(QDateTime(QDate(2025, 1, 1), QTime(0, 0)), QLatin1String(c.date), QLatin1String(c.time));
        EXPECT_EQ(g.Cell(1, 1).Text(), QLatin1String(c.expected));
        EXPECT_EQ(g.model().data(g.model().index(0, 0), Qt::DisplayRole).toString(), QLatin1String(c.expected));
        EXPECT_EQ(g.Cell(1, 2).Text(), QStringLiteral("2024-02-29T13:05:07"));
    }
    EXPECT_EQ(g.Cell(1, 1).Value().toDateTime(), created);  // the value itself is untouched
}

TEST(cGrid, RemoveRowMovesLaterRowsUpAndClearKeepsColumns)
{
    cGrid g;
    addColumns(g, 2);
    for (int r = 1; r <= 4; ++r)
        g.Cell(r, 1).Text(QString::number(r));
    g.CurrentRow(4);
    g.RemoveRow(2);
    EXPECT_EQ(g.Rows(), 3);
    EXPECT_EQ(g.Cell(2, 1).Text(), QStringLiteral("3"));
    EXPECT_EQ(g.CurrentRow(), 3);  // still the row that held "4"
    EXPECT_EQ(g.Cell(g.CurrentRow(), 1).Text(), QStringLiteral("4"));
    g.RemoveRow(9);  // outside: nothing
    EXPECT_EQ(g.Rows(), 3);
    g.Clear();
    EXPECT_EQ(g.Rows(), 0);
    EXPECT_EQ(g.Columns(), 2);
    EXPECT_EQ(g.CurrentRow(), 0);
}

TEST(cGrid, CurrentRowSelectsAndRaisesSelChange)
{
    cGrid g;
    addColumns(g, 2);
    for (int r = 1; r <= 3; ++r)
        g.Cell(r, 1).Text(QString::number(r));
    QSignalSpy spy(&g, &cGrid::SelChange);
    g.CurrentRow(2);
    EXPECT_EQ(g.CurrentRow(), 2);
    EXPECT_TRUE(g.Cell(2, 1).Selected());
    EXPECT_FALSE(g.Cell(1, 1).Selected());
    EXPECT_EQ(spy.count(), 1);
    g.CurrentRow(2);  // same row: no event
    g.CurrentRow(7);  // outside: ignored
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(g.CurrentRow(), 2);
}

TEST(cGrid, RedrawOffBatchesChangesAndKeepsTheCurrentRow)
{
    cGrid g;
    addColumns(g, 2);
    g.Cell(1, 1).Text(QStringLiteral("first"));
    g.CurrentRow(1);
    QSignalSpy inserted(&g.model(), &QAbstractItemModel::rowsInserted);
    g.Redraw(false);
    for (int r = 2; r <= 50; ++r)
        g.Cell(r, 1).Text(QString::number(r));
    g.RemoveRow(1);
    EXPECT_EQ(g.Rows(), 49);
    EXPECT_EQ(g.model().rowCount(), 1);  // the view still sees what it saw
    EXPECT_EQ(g.model().data(g.model().index(0, 0), Qt::DisplayRole).toString(), QStringLiteral("2"));
    EXPECT_EQ(inserted.count(), 0);
    g.Redraw(true);
    EXPECT_EQ(g.model().rowCount(), 49);
    EXPECT_EQ(g.CurrentRow(), 1);
    EXPECT_TRUE(g.Cell(1, 1).Selected());
    EXPECT_TRUE(g.isColumnHidden(1));  // column settings survive the reset
}

TEST(cGrid, ABatchOfCellChangesKeepsTheUsersSelection)
{
    cGrid g;
    addColumns(g, 3);
    for (int r = 1; r <= 5; ++r)
        g.Cell(r, 2).Text(QStringLiteral("row %1").arg(r));
    g.CurrentRow(2);
    g.selectAll();
    QSignalSpy changed(&g.model(), &QAbstractItemModel::dataChanged);
    // Marks, fonts and values of every row, as marking all rows or ending a playback does.
    QFont bold = g.model().DefaultFont();
    bold.setBold(true);
    g.Redraw(false);
    for (int r = 1; r <= 5; ++r) {
        g.Cell(r, 1).Icon(1);
        g.CellFont(r, 3, bold);
        g.Cell(r, 2).Text(QStringLiteral("new %1").arg(r));
    }
    g.Redraw(true);
    for (int r = 1; r <= 5; ++r)
        EXPECT_TRUE(g.RowSelected(r)) << "row " << r;
    EXPECT_EQ(g.CurrentRow(), 2);
    // The view learns of the new cells.
    EXPECT_GE(changed.count(), 1);
    EXPECT_EQ(g.model().data(g.model().index(4, 1), Qt::DisplayRole).toString(), QStringLiteral("new 5"));

    // A current row set while painting was off still becomes the one the view shows.
    g.Redraw(false);
    g.CurrentRow(4);
    g.Redraw(true);
    EXPECT_EQ(g.selectionModel()->currentIndex().row(), 3);
    EXPECT_TRUE(g.RowSelected(4));
}

TEST(cGrid, SuspendedPaintingKeepsTheLastPicture)
{
    cGrid g;
    addColumns(g, 2);
    g.GridLines(true);
    g.resize(300, 200);
    for (int r = 1; r <= 4; ++r)
        g.Cell(r, 1).Text(QStringLiteral("row %1").arg(r));
    g.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&g));
    const QImage before = g.viewport()->grab().toImage();

    // What a list load does: clear, suspend painting, fill, resume.
    g.Redraw(false);
    g.Clear();
    for (int r = 1; r <= 8; ++r)
        g.Cell(r, 1).Text(QStringLiteral("other %1").arg(r));
    g.viewport()->update();
    QCoreApplication::processEvents();
    const QImage during = g.viewport()->grab().toImage();
    EXPECT_EQ(during, before);
    int dark = 0;
    for (int y = 0; y < during.height(); ++y)
        for (int x = 0; x < during.width(); ++x)
            dark += qGray(during.pixel(x, y)) < 40 ? 1 : 0;
    EXPECT_LT(dark, during.width() * during.height() / 10) << "the grid is mostly black while painting is off";

    g.Redraw(true);
    EXPECT_NE(g.viewport()->grab().toImage(), before);
}

TEST(cGrid, AColumnGrowsToShowAGivenTextWhole)
{
    cGrid g;
    g.AddColumn(QStringLiteral("Range"), QStringLiteral("Range"), 0, -1, 40, true);
    g.AddColumn(QStringLiteral("Wide"), QStringLiteral("Wide"), 0, -1, 400, true);
    g.GridLines(true);
    const QString text = QStringLiteral("00:00:30 - 00:01:15");
    g.Cell(1, 1).Text(text);
    g.Cell(1, 2).Text(text);
    g.resize(600, 200);
    g.show();
    g.FitColumnToText(1, text);
    g.FitColumnToText(2, text);
    // The view's own measure of what the cell needs, and the cell line.
    EXPECT_GE(g.columnWidth(0), g.sizeHintForIndex(g.model().index(0, 0)).width() + 1);
    EXPECT_GE(g.columnWidth(0), g.fontMetrics().horizontalAdvance(text));
    EXPECT_EQ(g.columnWidth(1), 400);  // never narrowed

    // The width holds after painting was suspended and the rows came back in one piece.
    const int fitted = g.columnWidth(0);
    g.Redraw(false);
    g.Cell(2, 1).Text(text);
    g.Redraw(true);
    EXPECT_EQ(g.columnWidth(0), fitted);
}

TEST(cGrid, BytesThatWereNotUtf8ShowAsTheirLatin1Characters)
{
    cGrid g;
    addColumns(g, 1);
    const QString held = QStringLiteral("caf") + QChar(char16_t(0xDCE9));
    g.Cell(1, 1).Text(held);
    EXPECT_EQ(g.Cell(1, 1).Text(), held);  // the cell keeps what was written
    EXPECT_EQ(g.model().data(g.model().index(0, 0), Qt::DisplayRole).toString(), QStringLiteral("caf\u00e9"));
    // A real character outside the basic plane (low half U+DC80) is left alone.
    const QString beyond = QString::fromUtf8("\xF0\x90\x82\x80");
    g.Cell(2, 1).Text(beyond);
    EXPECT_EQ(g.model().data(g.model().index(1, 0), Qt::DisplayRole).toString(), beyond);
}

TEST(cGrid, FontsAndIconsReachTheView)
{
    cImageList images(QSize(16, 16));
    QPixmap px(16, 16);
    px.fill(Qt::red);
    images.Set(3, QIcon(px));
    cGrid g;
    addColumns(g, 2);
    g.ImageList(&images);
    g.SetCell(1, 1, QVariant(QString()), 0x40020, 3);
    QFont bold(QStringLiteral("Tahoma"), 8);
    bold.setBold(true);
    g.CellFont(1, 2, bold);
    g.CellFont(5, 2, bold);  // a font never appends a row
    EXPECT_EQ(g.Rows(), 1);
    EXPECT_TRUE(g.Cell(1, 2).Font().bold());
    EXPECT_FALSE(g.Cell(1, 1).Font().bold());
    const QVariant deco = g.model().data(g.model().index(0, 0), Qt::DecorationRole);
    EXPECT_FALSE(deco.value<QIcon>().isNull());
}

TEST(cGrid, RaisesTheEventsTheWindowsUse)
{
    cGrid g;
    addColumns(g, 2);
    g.RowHeight(24);
    g.resize(300, 200);
    for (int r = 1; r <= 3; ++r)
        g.Cell(r, 1).Text(QString::number(r));
    g.show();

    QSignalSpy dbl(&g, &cGrid::DblClick);
    QSignalSpy up(&g, &cGrid::MouseUp);
    QSignalSpy sel(&g, &cGrid::SelChange);
    const QRect cell = g.visualRect(g.model().index(1, 0));
    QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(g.CurrentRow(), 2);
    EXPECT_EQ(g.CurrentColumn(), 1);
    EXPECT_EQ(sel.count(), 1);
    ASSERT_EQ(up.count(), 1);
    EXPECT_EQ(up[0][0].toInt(), 1);
    EXPECT_DOUBLE_EQ(up[0][2].toDouble(), cell.center().x() * 15.0);  // twips
    QTest::mouseDClick(g.viewport(), Qt::LeftButton, {}, cell.center());
    ASSERT_EQ(dbl.count(), 1);
    EXPECT_EQ(dbl[0][0].toLongLong(), 2);
    EXPECT_EQ(dbl[0][1].toLongLong(), 1);

    QSignalSpy dropped(&g, &cGrid::OLEDragDrop);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QStringLiteral("/music/a.wav")), QUrl(QStringLiteral("https://example.org/b.wav")),
                  QUrl::fromLocalFile(QStringLiteral("/music/c b.wav"))});
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(g.viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QCoreApplication::sendEvent(g.viewport(), &drop);
    ASSERT_EQ(dropped.count(), 1);
    EXPECT_EQ(dropped[0][0].toStringList(), (QStringList{"/music/a.wav", "/music/c b.wav"}));
}

// 100,000 rows of 19 columns: a cell read or write costs the same at the end of the grid as at
// its start, and a key lookup per access stays cheap. Each cost is the best of several rounds,
// as a busy machine only ever adds time: a cost that grows with the rows shows all the same.
TEST(cGrid, HoldsOneHundredThousandRowsAtAFlatCostPerCell)
{
    cGrid g;
    addColumns(g, 19);
    const QString key = QStringLiteral("K17");
    g.Redraw(false);
    constexpr long kRows = 100'000, kChunk = 1000, kRounds = 10;
    std::vector<qint64> chunkNs;
    QElapsedTimer fill;
    fill.start();
    for (long r = 1; r <= kRows; r += kChunk) {
        QElapsedTimer t;
        t.start();
        for (long i = r; i < r + kChunk; ++i) {
            g.SetCell(i, g.ColumnIndex(QStringLiteral("K1")), std::nullopt, 0x40020, 1);
            g.SetCell(i, g.ColumnIndex(QStringLiteral("K3")), QVariant(QStringLiteral("item %1.wav").arg(i)));
            g.SetCell(i, g.ColumnIndex(key), QVariant(QStringLiteral("2024")));
        }
        chunkNs.push_back(t.nsecsElapsed());
    }
    const qint64 fillMs = fill.elapsed();
    g.Redraw(true);
    ASSERT_EQ(g.Rows(), kRows);
    EXPECT_EQ(g.model().rowCount(), kRows);
    // The first chunk pays for warming up; the best of the next ten against the best of the last ten.
    const qint64 fillEarly = *std::min_element(chunkNs.begin() + 1, chunkNs.begin() + 1 + kRounds);
    const qint64 fillLate = *std::min_element(chunkNs.end() - kRounds, chunkNs.end());
    EXPECT_LT(fillLate, fillEarly * 3 + 2'000'000) << "early " << fillEarly << " ns, late " << fillLate << " ns a chunk";

    auto timeReads = [&](long firstRow) {
        QElapsedTimer t;
        t.start();
        long long sum = 0;
        for (int pass = 0; pass < 20; ++pass)
            for (long r = firstRow; r < firstRow + 1000; ++r)
                sum += g.Cell(r, g.ColumnIndex(key)).Text().size() + g.Cell(r, 1).Icon();
        EXPECT_EQ(sum, 20 * 1000 * 5);
        return t.nsecsElapsed();
    };
    timeReads(1);  // warm up
    qint64 early = std::numeric_limits<qint64>::max(), late = early;
    for (int round = 0; round < kRounds; ++round) {
        early = std::min(early, timeReads(1));
        late = std::min(late, timeReads(kRows - 1000));
    }
    EXPECT_LT(late, early * 3 + 2'000'000) << "early " << early << " ns, late " << late << " ns";
    RecordProperty("fill_ms", static_cast<int>(fillMs));
    RecordProperty("ns_per_20k_reads_late", static_cast<int>(late));
}

}  // namespace
