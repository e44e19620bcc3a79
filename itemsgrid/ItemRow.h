// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QString>

#include <array>
#include <cstdint>

class cGrid;

// One item of an items list as a row of a grid. Every grid that holds items declares these
// nineteen columns with these keys in this order, because whole rows are copied between grids
// by column number; single cells are always found by key.
namespace ItemRow {

inline const QString COL_INC = QStringLiteral("Inc");
inline const QString COL_TYPE = QStringLiteral("Type");
inline const QString COL_ITEM_NAME = QStringLiteral("Item Name");
inline const QString COL_SIZE = QStringLiteral("Size");
inline const QString COL_TIME = QStringLiteral("Time");
inline const QString COL_CREATED = QStringLiteral("Created");
inline const QString COL_RANGE = QStringLiteral("Range");

// Icon indexes of the mark and type cells in the grid image list.
constexpr long kUnmarked = 0;
constexpr long kMarked = 1;
constexpr long kTypeAudio = 3;
constexpr long kTypeData = 4;

struct ColumnDef {
    const char* key;
    const char* header;
    int width;
    bool shown;
};

// The columns in the order they are added (column 1 first).
const std::array<ColumnDef, 19>& Columns();

// Whether the row takes part in tasks: its "Inc" cell carries icon 1. Anything else (0, no
// icon, no such row) is unmarked.
bool IsMarked(const cGrid& grid, long row);
// The mark picture a "Inc" cell is drawn with: ticked for 1, unticked for anything else, as the
// tasks read it. A list file may hold any number there (-1, 5): the cell keeps it, and the user
// sees the unticked box a click ticks.
long ShownMarkIcon(long stored);

// The "Range" text of a ranged item from its start and length cells (whole seconds), as a list
// file holds them: "HH:MM:SS - HH:MM:SS" of the start and start plus length. A start or length
// that is not a number or is below 0, an end past what a time text holds, or a start at or past
// the end of the file (when its length is known: fileMs of 0 or more; a range that starts at 0
// always has something to cut) is no range a task can cut; it reads
// "Not valid: start S, length L" with the cells as they are, so the user sees what to mend in
// the item's properties.
QString RangeText(const QString& startCell, const QString& lengthCell, int64_t fileMs = -1);
// Whether a "Range" text is one RangeText gives a range no task can cut.
bool IsNotValidRangeText(const QString& rangeText);

}  // namespace ItemRow

// The hidden key columns, named as the rest of the program spells them.
inline const QString COL_FILE = QStringLiteral("COL_FILE");
inline const QString COL_RANGE_ALL = QStringLiteral("COL_RANGE_ALL");
inline const QString COL_RANGE_START_TIME = QStringLiteral("COL_RANGE_START_TIME");
inline const QString COL_RANGE_LENGTH_TIME = QStringLiteral("COL_RANGE_LENGTH_TIME");
inline const QString COL_BYTES_SIZE = QStringLiteral("COL_BYTES_SIZE");
inline const QString COL_TAG_ALBUM = QStringLiteral("COL_TAG_ALBUM");
inline const QString COL_TAG_ARTIST = QStringLiteral("COL_TAG_ARTIST");
inline const QString COL_TAG_COMMENT = QStringLiteral("COL_TAG_COMMENT");
inline const QString COL_TAG_GEN = QStringLiteral("COL_TAG_GEN");
inline const QString COL_TAG_YEAR = QStringLiteral("COL_TAG_YEAR");
inline const QString COL_TAG_TITLE = QStringLiteral("COL_TAG_TITLE");
inline const QString COL_TAG_TRACK = QStringLiteral("COL_TAG_TRACK");
