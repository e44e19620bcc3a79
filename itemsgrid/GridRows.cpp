// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "itemsgrid/GridRows.h"

#include "components/cGrid.h"
#include "foundation/VbNumbers.h"
#include "foundation/mdlFunctions.h"
#include "itemsgrid/ItemRow.h"

#include <QFont>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <utility>

namespace GridRows {

namespace {

constexpr long kCellFlags = 0x40020;

// The grid's own font, bold or not: a row that has played must look as it did before, and a
// fixed face and size would shrink or swap the type wherever the desktop's differs.
QFont rowFont(const cGrid& grid, bool bold)
{
    QFont font = grid.model().DefaultFont();
    font.setBold(bold);
    return font;
}

// "Time" is a duration: an item of a day or more holds hours past 23, which a time of day
// cannot read.
int64_t durationSeconds(const QString& text)
{
    static const QRegularExpression hms(QStringLiteral("^\\s*(\\d+):(\\d{1,2}):(\\d{1,2})\\s*$"));
    const QRegularExpressionMatch m = hms.match(text);
    if (m.hasMatch())
        return m.captured(1).toLongLong() * 3600 + m.captured(2).toLongLong() * 60 + m.captured(3).toLongLong();
    return TimeTextToSeconds(text);
}

// A cell value read as a number; text that is not one counts as nothing.
int64_t wholeNumber(const QVariant& value)
{
    bool ok = false;
    const qlonglong n = value.toLongLong(&ok);
    if (ok)
        return n;
    const double d = Val(value.toString());
    if (!std::isfinite(d))
        return 0;
    return static_cast<int64_t>(RoundHalfEven(d));
}

}  // namespace

long GetMarkedCount(const cGrid& grid)
{
    long count = 0;
    for (long r = 1; r <= grid.Rows(); ++r)
        if (ItemRow::IsMarked(grid, r))
            ++count;
    return count;
}

bool IsAnyItemMarked(const cGrid& grid)
{
    for (long r = 1; r <= grid.Rows(); ++r)
        if (ItemRow::IsMarked(grid, r))
            return true;
    return false;
}

void MarkAllItems(cGrid& grid, bool bMark)
{
    const long icon = bMark ? ItemRow::kMarked : ItemRow::kUnmarked;
    const long col = grid.ColumnIndex(ItemRow::COL_INC);
    grid.Redraw(false);
    for (long r = 1; r <= grid.Rows(); ++r)
        grid.Cell(r, col).Icon(icon);
    grid.Redraw(true);
}

void CopyGridRows(cGrid& source, cGrid& destination, bool bMarkedOnly, long* copied)
{
    if (copied)
        *copied = 0;
    if (source.Rows() == 0)
        return;
    destination.Redraw(false);
    const long columns = source.Columns();
    const bool sameIcons = source.model().ImageList() && source.model().ImageList() == destination.model().ImageList();
    auto copyCell = [&](long from, long to, long c) {
        const long icon = source.Cell(from, c).Icon();
        destination.SetCell(to, c, source.Cell(from, c).Value(), 0,
                            sameIcons && icon != cGridModel::kNoIcon ? std::optional<long>(icon) : std::nullopt);
    };
    long k = 0;
    if (bMarkedOnly) {
        for (long i = 1; i <= source.Rows(); ++i) {
            if (!ItemRow::IsMarked(source, i))
                continue;
            ++k;
            for (long c = 2; c <= columns; ++c)
                copyCell(i, k, c);
            destination.CurrentRow(1);
        }
    } else {
        const long destInc = destination.ColumnIndex(ItemRow::COL_INC);
        const long srcInc = source.ColumnIndex(ItemRow::COL_INC);
        for (long i = 1; i <= source.Rows(); ++i) {
            destination.SetCell(i, destInc, std::nullopt, kCellFlags, source.Cell(i, srcInc).Icon());
            for (long c = 2; c <= columns; ++c)
                copyCell(i, i, c);
            destination.CurrentRow(1);
            k = i;
        }
    }
    destination.Redraw(true);
    if (copied)
        *copied = k;
}

void ReplaceRow(cGrid& grid, long lMove)
{
    const long r = grid.CurrentRow();
    const long t = r + lMove;
    if (r < 1 || r > grid.Rows() || t < 1 || t > grid.Rows())
        return;
    grid.Redraw(false);
    for (long c = 2; c <= grid.Columns(); ++c) {
        const QVariant a = grid.Cell(r, c).Value();
        grid.Cell(r, c).Value(grid.Cell(t, c).Value());
        grid.Cell(t, c).Value(a);
        // Only the type column carries an icon past the mark; it belongs to its item.
        const long ia = grid.Cell(r, c).Icon();
        const long it = grid.Cell(t, c).Icon();
        if (ia != it) {
            grid.Cell(r, c).Icon(it);
            grid.Cell(t, c).Icon(ia);
        }
    }
    const long inc = grid.ColumnIndex(ItemRow::COL_INC);
    const long ma = grid.Cell(r, inc).Icon();
    grid.Cell(r, inc).Icon(grid.Cell(t, inc).Icon());
    grid.Cell(t, inc).Icon(ma);
    grid.CurrentRow(t);
    grid.Redraw(true);
}

void SetRowBold(cGrid& grid, long lRow, bool bBold)
{
    if (lRow < 1 || lRow > grid.Rows())
        return;
    const QFont font = rowFont(grid, bBold);
    for (long c = 1; c <= grid.Columns(); ++c)
        grid.Cell(lRow, c).Font(font);
}

void SetRowUnBold(cGrid& grid)
{
    const QFont font = rowFont(grid, false);
    grid.Redraw(false);
    for (long r = 1; r <= grid.Rows(); ++r)
        for (long c = 1; c <= grid.Columns(); ++c)
            grid.Cell(r, c).Font(font);
    grid.Redraw(true);
}

int64_t TotalSeconds(const cGrid& grid, bool bMarkedOnly)
{
    const long colAll = grid.ColumnIndex(COL_RANGE_ALL);
    const long colTime = grid.ColumnIndex(ItemRow::COL_TIME);
    const long colLength = grid.ColumnIndex(COL_RANGE_LENGTH_TIME);
    const long colRange = grid.ColumnIndex(ItemRow::COL_RANGE);
    const cGridModel& m = grid.model();
    int64_t sum = 0;
    for (long r = 1; r <= grid.Rows(); ++r) {
        if (bMarkedOnly && !ItemRow::IsMarked(grid, r))
            continue;
        // A range the row shows as not valid is no audio any task will take, and a length
        // below 0 would take time off the others.
        int64_t seconds = 0;
        if (m.Text(r, colAll) == QLatin1String("1"))
            seconds = durationSeconds(m.Text(r, colTime));
        else if (!ItemRow::IsNotValidRangeText(m.Text(r, colRange)))
            seconds = wholeNumber(m.Text(r, colLength));
        sum += std::max<int64_t>(seconds, 0);
    }
    return sum;
}

int64_t TotalBytes(const cGrid& grid, bool bMarkedOnly)
{
    const long col = grid.ColumnIndex(COL_BYTES_SIZE);
    const cGridModel& m = grid.model();
    int64_t sum = 0;
    for (long r = 1; r <= grid.Rows(); ++r) {
        if (bMarkedOnly && !ItemRow::IsMarked(grid, r))
            continue;
        sum += wholeNumber(m.Value(r, col));
    }
    return sum;
}

QString GetTotalTime(const cGrid& grid, bool bMarkedOnly) { return QString::number(TotalSeconds(grid, bMarkedOnly)); }

QString GetTotalSize(const cGrid& grid, bool bMarkedOnly)
{
    const int64_t bytes = TotalBytes(grid, bMarkedOnly);
    return bytes == 0 ? QStringLiteral("0") : FormatByteCount(bytes);
}

}  // namespace GridRows
