// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "itemsgrid/GridColumns.h"

#include "components/cGrid.h"
#include "itemsgrid/ItemRow.h"

#include <QGuiApplication>
#include <QPalette>

namespace {
// The desktop's window-text colour, which the item grids draw their cells in.
QColor windowTextColor() { return QGuiApplication::palette().color(QPalette::WindowText); }
}  // namespace

void SetItemGridColumns(cGrid& grid, const cImageList* imgGrid)
{
    grid.RowHeight(24);
    grid.ImageList(imgGrid);
    for (const ItemRow::ColumnDef& c : ItemRow::Columns())
        grid.AddColumn(QString::fromLatin1(c.key), QString::fromLatin1(c.header), 0, -1, c.width, c.shown);
    grid.FullRowSelect(true);
    grid.GridLines(true);
    grid.MultiSelect(true);
    grid.HeaderVisible(true);
    grid.Editable(false);
    grid.ForeColor(windowTextColor());
    grid.HotTrack(true);
    grid.ColumnReorder(false);
}

void SetInfoGridColumns(cGrid& grid)
{
    grid.RowHeight(20);
    grid.AddColumn(QStringLiteral("Name"), QStringLiteral("Name"), 0, -1, 70, true);
    grid.AddColumn(QStringLiteral("Value"), QStringLiteral("Value"), 0, -1, 130, true);
    grid.FullRowSelect(true);
    grid.GridLines(true);
    grid.MultiSelect(true);
    grid.Editable(false);
}
