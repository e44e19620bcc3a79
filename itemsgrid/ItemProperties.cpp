// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "itemsgrid/ItemProperties.h"

#include "components/cDateTimePick.h"
#include "components/cGrid.h"
#include "foundation/VbNumbers.h"
#include "foundation/mdlFunctions.h"
#include "itemsgrid/ItemRow.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace ItemProperties {

std::optional<long> DurationSeconds(const QString& text)
{
    static const QRegularExpression re(QStringLiteral(R"(^\s*(\d{1,7}):(\d{1,2}):(\d{1,2})\s*$)"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const long h = m.captured(1).toLong();
    const long min = m.captured(2).toLong();
    const long s = m.captured(3).toLong();
    if (min > 59 || s > 59)
        return std::nullopt;
    return h * 3600 + min * 60 + s;
}

long ClampToTotal(long value, std::optional<long> total)
{
    if (total && value > *total)
        return *total;
    return value;
}

namespace {

long pickerValue(double seconds)
{
    if (!std::isfinite(seconds) || seconds < 0)
        return 0;
    return static_cast<long>(std::min<double>(RoundHalfEven(seconds), kMaxPickerSeconds));
}

}  // namespace

RangePage GetRangeOptions(const RangeCells& cells, std::optional<long> total, const RangePage& shown)
{
    RangePage page = shown;
    page.note.clear();
    if (cells.rangeAll == QLatin1String("1"))
        page.byTime = false;
    if (cells.start.isEmpty())
        return page;

    page.byTime = true;
    const double start = Val(cells.start);
    const double length = Val(cells.length);
    page.start = pickerValue(start);
    page.until = pickerValue(start + length);
    if (start < 0 || length < 0) {
        // A list file can hold such a range; the grid shows it as not valid, and here the
        // user is told why the pickers do not show it.
        page.note = QStringLiteral("The stored range (start %1, length %2) is not valid: choose a new range.")
                        .arg(cells.start, cells.length);
        return page;
    }
    if (!total)
        return page;
    const long end = std::min(*total, kMaxPickerSeconds);
    if (page.start >= end) {
        page.note = QStringLiteral("The stored range starts at or after the end of the item (%1): choose a new range.")
                        .arg(cDateTimePick::FormatValue(end));
        page.start = end;
        page.until = end;
    } else if (page.until > end) {
        page.note = QStringLiteral("The stored range ends after the end of the item; it is shown cut to %1. "
                                   "Apply stores the cut range.")
                        .arg(cDateTimePick::FormatValue(end));
        page.until = end;
    }
    return page;
}

QString EmptyNameMessage() { return QStringLiteral("Empty Item Name.") + QString(42, QLatin1Char(' ')); }
QString IllegalNameMessage() { return QStringLiteral("Illegal Item Name.") + QString(42, QLatin1Char(' ')); }
QString RangeMessage()
{
    return QStringLiteral("'Start after' field is more or an equel to the 'Until' field.") + QString(9, QLatin1Char(' '));
}

namespace {

// Blanks only: a tab or a line break inside a pasted name is not a blank and is kept.
QString trimBlanks(const QString& text)
{
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && text.at(from) == QLatin1Char(' '))
        ++from;
    while (to > from && text.at(to - 1) == QLatin1Char(' '))
        --to;
    return text.mid(from, to - from);
}

}  // namespace

ApplyResult ApplyItemProperties(const Edits& edits)
{
    ApplyResult r;
    r.trimmedName = trimBlanks(edits.itemName);
    if (r.trimmedName.isEmpty()) {
        r.result = -1;
        r.message = EmptyNameMessage();
        r.focusName = true;
        return r;
    }
    if (!IsValidFileName(r.trimmedName)) {
        r.result = -1;
        r.message = IllegalNameMessage();
        r.focusName = true;
        r.illegalNameTip = true;
        return r;
    }
    if (edits.byTime && edits.start >= edits.until) {
        r.result = 1;
        r.message = RangeMessage();
        return r;
    }

    r.writes.push_back({ItemRow::COL_ITEM_NAME, r.trimmedName, false});
    if (edits.byTime) {
        r.writes.push_back({COL_RANGE_ALL, QStringLiteral("0"), true});
        r.writes.push_back({COL_RANGE_START_TIME, QString::number(edits.start), true});
        r.writes.push_back({COL_RANGE_LENGTH_TIME, QString::number(edits.until - edits.start), true});
        r.writes.push_back({ItemRow::COL_RANGE,
                            cDateTimePick::FormatValue(edits.start) + QStringLiteral(" - ") +
                                cDateTimePick::FormatValue(edits.until),
                            true});
    } else {
        r.writes.push_back({COL_RANGE_ALL, QStringLiteral("1"), true});
        r.writes.push_back({COL_RANGE_START_TIME, QString(), true});
        r.writes.push_back({COL_RANGE_LENGTH_TIME, QString(), true});
        r.writes.push_back({ItemRow::COL_RANGE, QStringLiteral("All"), true});
    }
    const Tags& t = edits.tags;
    r.writes.push_back({COL_TAG_ALBUM, t.album, false});
    r.writes.push_back({COL_TAG_ARTIST, t.artist, false});
    r.writes.push_back({COL_TAG_COMMENT, t.comment, false});
    r.writes.push_back({COL_TAG_GEN, t.genre, false});
    r.writes.push_back({COL_TAG_TITLE, t.title, false});
    r.writes.push_back({COL_TAG_TRACK, t.track, false});
    r.writes.push_back({COL_TAG_YEAR, t.year, false});
    return r;
}

void WriteCells(cGrid& grid, const std::vector<CellWrite>& writes, long nameRow, long rangeRow)
{
    for (const CellWrite& w : writes) {
        const long row = w.rangeRow ? rangeRow : nameRow;
        const long col = grid.ColumnIndex(w.key);
        if (row >= 1 && row <= grid.Rows() && col > 0)
            grid.Cell(row, col).Text(w.text);
    }
}

long StepTarget(const cGrid& grid, long row, int direction)
{
    const long typeCol = grid.ColumnIndex(ItemRow::COL_TYPE);
    for (long r = row + direction; r >= 1 && r <= grid.Rows(); r += direction) {
        if (typeCol == 0 || grid.model().Icon(r, typeCol) != ItemRow::kTypeData)
            return r;
    }
    return 0;
}

}  // namespace ItemProperties
