// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "batchtools/ConverterNames.h"

#include "components/cGrid.h"
#include "foundation/mdlFunctions.h"
#include "foundation/mdlModes.h"
#include "itemsgrid/ItemRow.h"

namespace ConverterNames {

namespace {

QString cellOf(const cGrid& grid, long row, const QString& key)
{
    const long col = grid.ColumnIndex(key);
    return col > 0 ? grid.model().Text(row, col) : QString();
}

// A value that goes into a file name: a "/" in it would name a folder.
QString inName(QString value) { return value.replace(QLatin1Char('/'), QLatin1Char('-')); }

}  // namespace

RowFacts FactsOfRow(const cGrid& grid, long row)
{
    RowFacts f;
    f.row = row;
    if (row < 1 || row > grid.Rows())
        return f;
    f.sourcePath = cellOf(grid, row, COL_FILE);
    f.itemName = cellOf(grid, row, ItemRow::COL_ITEM_NAME);
    f.range = cellOf(grid, row, ItemRow::COL_RANGE);
    return f;
}

std::optional<QString> TargetKey(const QString& targetFormatText)
{
    const qsizetype dash = targetFormatText.indexOf(QStringLiteral(" -"));
    if (dash < 0)
        return std::nullopt;
    return targetFormatText.left(dash).toLower();
}

QString ExpandFileNameTemplate(const QString& nameTemplate, const RowFacts& row, const QString& targetFormatText,
                               const QDateTime& now, const QString& shortDateFormat)
{
    QString s = nameTemplate;
    s.replace(QStringLiteral("[123]"), QString::number(row.row));
    s.replace(QStringLiteral("[file_name]"), inName(RemoveExtension(GetFileName(row.sourcePath))));
    s.replace(QStringLiteral("[source_extension]"), inName(GetFileExtension(row.itemName).toLower()));
    if (const std::optional<QString> key = TargetKey(targetFormatText)) {
        s.replace(QStringLiteral("[dest_extension]"), inName(*key));
        s.replace(QStringLiteral("[convert_extension]"), inName(*key));
    }
    s.replace(QStringLiteral("[time]"),
              now.time().toString(QStringLiteral("HH:mm:ss")).replace(QLatin1Char(':'), QLatin1Char('-')));
    s.replace(QStringLiteral("[date]"), inName(now.date().toString(shortDateFormat)));
    s.replace(QStringLiteral("[item_name]"), inName(row.itemName));
    return s;
}

QString CreateID3TagsString(const QString& text, const RowFacts& row, const QDateTime& now,
                            const QString& shortDateFormat, const QString& timeFormat)
{
    QString s = text;
    s.replace(QStringLiteral("[DATE]"), now.date().toString(shortDateFormat));
    s.replace(QStringLiteral("[TIME]"), now.time().toString(timeFormat));
    s.replace(QStringLiteral("[TRACK_NUM]"), QString::number(row.row));
    s.replace(QStringLiteral("[PROG_NAME]"), g_sAppName);
    s.replace(QStringLiteral("[PROG_VERSION]"), g_sAppVersion);
    s.replace(QStringLiteral("[SOURCE_NAME]"), GetFileName(row.sourcePath));
    s.replace(QStringLiteral("[ITEM_NAME]"), row.itemName);
    s.replace(QStringLiteral("[RANGE]"), row.range);
    s.replace(QStringLiteral("[YEAR]"), QString::number(now.date().year()));
    return s;
}

std::optional<TagCells> TagCellsOfRow(const cGrid& grid, long row)
{
    if (row < 1 || row > grid.Rows())
        return std::nullopt;
    TagCells t;
    t.album = cellOf(grid, row, COL_TAG_ALBUM);
    t.artist = cellOf(grid, row, COL_TAG_ARTIST);
    t.comment = cellOf(grid, row, COL_TAG_COMMENT);
    t.genre = cellOf(grid, row, COL_TAG_GEN);
    t.title = cellOf(grid, row, COL_TAG_TITLE);
    t.track = cellOf(grid, row, COL_TAG_TRACK);
    t.year = cellOf(grid, row, COL_TAG_YEAR);
    return t;
}

}  // namespace ConverterNames
