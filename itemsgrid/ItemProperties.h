// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QString>

#include <array>
#include <optional>
#include <vector>

class cGrid;

// The rules of the item properties window as plain functions: what the range page shows for a
// row, how a picker is held inside the item's length, and what Apply writes. Times are whole
// seconds. An item's "Time" text is a duration ("25:03:10" is over a day), never a clock time.
namespace ItemProperties {

// The pickers' limit, 99:59:59.
constexpr long kMaxPickerSeconds = 99L * 3600 + 59 * 60 + 59;

// Seconds of a duration text "h:mm:ss" (any number of hours, minutes and seconds below 60);
// nothing for a text that is not one.
std::optional<long> DurationSeconds(const QString& text);

// A picker's new value held inside the item: later than the total it becomes the total; with
// no readable total it stays.
long ClampToTotal(long value, std::optional<long> total);

// The range cells of a row as stored.
struct RangeCells {
    QString rangeAll;  // COL_RANGE_ALL
    QString start;     // COL_RANGE_START_TIME
    QString length;    // COL_RANGE_LENGTH_TIME
};

// The range page: which option is chosen and the two pickers.
struct RangePage {
    bool byTime = false;  // ptnConvertByTime chosen, else ptnAllFile
    long start = 0;
    long until = 0;
    // Shown on the page when the stored range had to be cut to the file's length; empty else.
    QString note;
};

// The page as the row's range cells set it over `shown` (the option chosen now, pickers at
// 00:00:00 and the total time). A whole-file row chooses the whole file; a row with a start
// chooses the range, from start to start + length. A stored range that runs past the item's
// end is cut to the total time and says so in `note`; one that starts at or after the end
// shows start = until = total, which Apply refuses.
RangePage GetRangeOptions(const RangeCells& cells, std::optional<long> total, const RangePage& shown);

// The seven destination tags in the order the boxes and cells pair up.
struct Tags {
    QString album, artist, comment, genre, title, track, year;
};

// What the user has in the window when Apply is pressed.
struct Edits {
    QString itemName;  // as typed
    bool byTime = false;
    long start = 0;
    long until = 0;
    Tags tags;
};

// One cell to write: the key of its column and its text. `rangeRow` cells go to the row the
// range page shows (lItem), the others to the row the name and tags came from (l_lGridRowNum).
struct CellWrite {
    QString key;
    QString text;
    bool rangeRow = false;
    bool operator==(const CellWrite&) const = default;
};

struct ApplyResult {
    int result = 0;        // 0 written (then save), -1 name refused, 1 range refused
    QString message;       // the message box to show, empty for none
    QString trimmedName;   // goes back into the name box in every case
    bool focusName = false;       // the focus moves to the name box
    bool illegalNameTip = false;  // the "Illegal name." tip is shown at the name box
    std::vector<CellWrite> writes;  // in writing order; empty unless result is 0
};

// Checks the edits and lists the cell writes; writes nothing itself.
ApplyResult ApplyItemProperties(const Edits& edits);

// Applies the writes of a successful check to the grid.
void WriteCells(cGrid& grid, const std::vector<CellWrite>& writes, long nameRow, long rangeRow);

// The texts of the messages (their trailing blanks included).
QString EmptyNameMessage();
QString IllegalNameMessage();
QString RangeMessage();

// The row Next (+1) or Back (-1) reaches from `row`, passing over CD data tracks, which cannot be
// edited; 0 when there is none.
long StepTarget(const cGrid& grid, long row, int direction);

}  // namespace ItemProperties
