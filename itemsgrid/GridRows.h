// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QString>

#include <cstdint>

class cGrid;

// Whole-row operations on a grid of item rows: marks, copies, exchanges, row fonts and totals.
// Plain functions over the grid, so the task windows' hidden grids and the tests use them as the
// main window does; nothing here saves a list or pumps events. GUI thread.
namespace GridRows {

long GetMarkedCount(const cGrid& grid);
bool IsAnyItemMarked(const cGrid& grid);
// Gives every row's "Inc" cell icon 1 (bMark) or 0, with painting off for the batch.
void MarkAllItems(cGrid& grid, bool bMark);

// Fills an empty destination with the source's rows, columns 2 onward copied by number, all rows
// with their marks or only the marked ones without. A cell's icon (the type) goes with it when
// both grids draw from the same image list, where its number names the same picture. Row 1
// becomes the destination's current row. `copied` receives the number of rows written.
void CopyGridRows(cGrid& source, cGrid& destination, bool bMarkedOnly, long* copied = nullptr);

// Exchanges the current row with the row lMove away: the values of columns 2 onward, the marks
// and the type icons, so an item keeps its type whichever way it moves. The target becomes the
// current row. A target outside the grid changes nothing.
void ReplaceRow(cGrid& grid, long lMove);

// The grid's own font, bold or not, for every cell of one row (painting left as it is).
void SetRowBold(cGrid& grid, long lRow, bool bBold);
// The grid's own font, regular, for every cell, with painting off for the batch.
void SetRowUnBold(cGrid& grid);

// Seconds of all rows, or of the marked ones: a whole-file row ("COL_RANGE_ALL" "1") counts its
// "Time", a ranged row its range length; a text that is not a number, a length below 0 and a
// range the row shows as "Not valid" count nothing. 64-bit, so no row is ever left out of a long
// list.
int64_t TotalSeconds(const cGrid& grid, bool bMarkedOnly);
// Bytes of all rows, or of the marked ones (the "COL_BYTES_SIZE" values).
int64_t TotalBytes(const cGrid& grid, bool bMarkedOnly);
// The totals as the status panel and the task windows show them: decimal seconds, and the byte
// count in FormatByteCount's words ("0" for nothing).
QString GetTotalTime(const cGrid& grid, bool bMarkedOnly);
QString GetTotalSize(const cGrid& grid, bool bMarkedOnly);

}  // namespace GridRows
