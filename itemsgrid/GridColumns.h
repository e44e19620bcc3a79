// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

class cGrid;
class cImageList;

// The set-ups of the grids that show items. The main window runs them once while it loads;
// the task windows give their hidden item grids the same columns.

// Row height 24, the grid image list, the nineteen item columns and the display settings.
// Grid lines and hot-tracking are switched on here whatever the options hold; the options
// window sets them from the options when the user confirms it.
void SetItemGridColumns(cGrid& grid, const cImageList* imgGrid);

// The item-information grid: row height 20, columns "Name" (70) and "Value" (130).
void SetInfoGridColumns(cGrid& grid);
