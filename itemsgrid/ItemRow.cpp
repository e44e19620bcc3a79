// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "itemsgrid/ItemRow.h"

#include "components/cGrid.h"
#include "foundation/VbNumbers.h"
#include "foundation/mdlFunctions.h"

#include <cmath>
#include <limits>
#include <optional>

namespace ItemRow {

const std::array<ColumnDef, 19>& Columns()
{
    static const std::array<ColumnDef, 19> columns{{
        {"Inc", "Inc", 26, true},
        {"Type", "Type", 40, true},
        {"Item Name", "Item Name", 200, true},
        {"Size", "Size", 80, false},
        {"Time", "Time-Length", 80, false},
        {"Created", "Created", 140, false},
        {"Range", "Range", 120, true},
        {"COL_FILE", "COL_FILE", -1, false},
        {"COL_RANGE_ALL", "COL_RANGE_ALL", -1, false},
        {"COL_RANGE_START_TIME", "COL_RANGE_START_TIME", -1, false},
        {"COL_RANGE_LENGTH_TIME", "COL_RANGE_LENGTH_TIME", -1, false},
        {"COL_BYTES_SIZE", "COL_BYTES_SIZE", -1, false},
        {"COL_TAG_ALBUM", "COL_TAG_ALBUM", -1, false},
        {"COL_TAG_ARTIST", "COL_TAG_ARTIST", -1, false},
        {"COL_TAG_COMMENT", "COL_TAG_COMMENT", -1, false},
        {"COL_TAG_GEN", "COL_TAG_GEN", -1, false},
        {"COL_TAG_YEAR", "COL_TAG_YEAR", -1, false},
        {"COL_TAG_TITLE", "COL_TAG_TITLE", -1, false},
        {"COL_TAG_TRACK", "COL_TAG_TRACK", -1, false},
    }};
    return columns;
}

bool IsMarked(const cGrid& grid, long row)
{
    const long col = grid.ColumnIndex(COL_INC);
    return col > 0 && row >= 1 && row <= grid.Rows() && grid.model().Icon(row, col) == kMarked;
}

long ShownMarkIcon(long stored) { return stored == kMarked ? kMarked : kUnmarked; }

namespace {

const QString kNotValid = QStringLiteral("Not valid: start ");

// The cell's number; nothing for a text that is not one (the empty text included), which Val
// would read as 0.
std::optional<double> number(const QString& cell)
{
    bool ok = false;
    const double v = cell.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

}  // namespace

QString RangeText(const QString& startCell, const QString& lengthCell, int64_t fileMs)
{
    const std::optional<double> start = number(startCell);
    const std::optional<double> length = number(lengthCell);
    const double end = start && length ? *start + *length : 0.0;
    const bool cuttable = start && length && std::isfinite(end) && *start >= 0 && *length >= 0 &&
                          end <= std::numeric_limits<int32_t>::max();
    // The tasks refuse a start at or past the end of what the file holds.
    const bool pastTheEnd = cuttable && fileMs >= 0 && CLng(*start) > 0 && int64_t(CLng(*start)) * 1000 >= fileMs;
    if (!cuttable || pastTheEnd)
        return kNotValid + startCell + QStringLiteral(", length ") + lengthCell;
    return PadTimeText(FormatSecondsHMS(CLng(*start))) + QStringLiteral(" - ") + PadTimeText(FormatSecondsHMS(CLng(end)));
}

bool IsNotValidRangeText(const QString& rangeText) { return rangeText.startsWith(kNotValid); }

}  // namespace ItemRow
