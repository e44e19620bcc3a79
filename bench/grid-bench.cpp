// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// Fills the grid control with item rows and times cell access by key at growing row counts, to
// show that a cell costs the same wherever it lies. Usage: grid-bench [rows] (default 100000).
#include "components/cGrid.h"
#include "itemsgrid/GridColumns.h"
#include "itemsgrid/ItemRow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const long rows = argc > 1 ? std::max(1000L, std::atol(argv[1])) : 100000L;

    cGrid grid;
    SetItemGridColumns(grid, nullptr);
    QElapsedTimer t;
    t.start();
    grid.Redraw(false);
    for (long r = 1; r <= rows; ++r) {
        grid.SetCell(r, grid.ColumnIndex(ItemRow::COL_INC), std::nullopt, 0x40020, ItemRow::kMarked);
        grid.SetCell(r, grid.ColumnIndex(ItemRow::COL_ITEM_NAME), QVariant(QStringLiteral("Track %1.wav").arg(r)));
        grid.SetCell(r, grid.ColumnIndex(ItemRow::COL_TIME), QVariant(QStringLiteral("00:03:21")));
        grid.SetCell(r, grid.ColumnIndex(COL_FILE), QVariant(QStringLiteral("/music/Track %1.wav").arg(r)));
        grid.SetCell(r, grid.ColumnIndex(COL_BYTES_SIZE), QVariant(qint64(35'000'000) + r));
        grid.SetCell(r, grid.ColumnIndex(COL_TAG_YEAR), QVariant(QStringLiteral("2024")));
    }
    grid.Redraw(true);
    const double fillMs = t.nsecsElapsed() / 1e6;
    std::printf("rows %ld: filled 6 cells per row in %.1f ms (%.0f ns per cell)\n", rows, fillMs, fillMs * 1e6 / (rows * 6.0));

    QRandomGenerator rng(7);
    for (long span : {1000L, rows / 10, rows}) {
        const int accesses = 1'000'000;
        long long sink = 0;
        t.restart();
        for (int i = 0; i < accesses; ++i) {
            const long r = 1 + static_cast<long>(rng.bounded(static_cast<quint32>(span)));
            sink += grid.Cell(r, grid.ColumnIndex(COL_TAG_YEAR)).Text().size();
            sink += grid.Cell(r, grid.ColumnIndex(ItemRow::COL_INC)).Icon();
        }
        std::printf("random rows within the first %ld: %.0f ns per keyed cell read (%lld)\n", span,
                    t.nsecsElapsed() / (2.0 * accesses), sink % 10);
    }
    return 0;
}
