// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "itemsgrid/GridColumns.h"

#include "components/cGrid.h"
#include "itemsgrid/ItemRow.h"

#include <QDateTime>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPalette>

namespace {
// The desktop's window-text colour, which the item grids draw their cells in.
QColor windowTextColor() { return QGuiApplication::palette().color(QPalette::WindowText); }

// The longest text a range cell holds ("HH:MM:SS - HH:MM:SS"), in the widest digit of the font.
QString widestRangeText(const QFont& font)
{
    const QFontMetrics fm(font);
    QChar widest = u'0';
    for (char16_t d = u'1'; d <= u'9'; ++d)
        if (fm.horizontalAdvance(QChar(d)) > fm.horizontalAdvance(widest))
            widest = QChar(d);
    const QString hms = QString(2, widest) + u':' + QString(2, widest) + u':' + QString(2, widest);
    return hms + QStringLiteral(" - ") + hms;
}
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
    grid.ColumnIconShown(grid.ColumnIndex(ItemRow::COL_INC), ItemRow::ShownMarkIcon);
    // The designed width holds a range in a small font, not always in the desktop's.
    grid.FitColumnToText(grid.ColumnIndex(ItemRow::COL_RANGE), widestRangeText(grid.model().DefaultFont()));
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
    // A creation time in the desktop's formats may be wider than the designed column.
    grid.FitColumnToText(2, cGridModel::ValueText(QDateTime(QDate(2028, 12, 28), QTime(20, 58, 58))));
    // The pane is narrow: scrolling it sideways would hide the names or the start of a value.
    // The values take what the names leave of it instead (a tip shows an elided one whole).
    grid.LastColumnFillsView(true);
}
