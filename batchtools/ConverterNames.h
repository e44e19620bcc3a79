// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

class cGrid;

// The output names and tag texts of the converter-type windows, as plain functions of a row's
// cells and the clock. Each placeholder is replaced everywhere, case-sensitively, one after the
// other in a fixed order, so text put in by an earlier one takes part in the later ones.
namespace ConverterNames {

// The cells of one grid row that names and tags read.
struct RowFacts {
    long row = 0;         // from 1
    QString sourcePath;   // COL_FILE
    QString itemName;     // "Item Name"
    QString range;        // "Range"
};
RowFacts FactsOfRow(const cGrid& grid, long row);

// The target format's key in lower case, the text before its first " -" ("MP3 - ..." -> "mp3",
// "ACM - ..." -> "acm"); nothing when the text holds no " -".
std::optional<QString> TargetKey(const QString& targetFormatText);

// An output file name (no folder) from a template: "[123]" the row number, "[file_name]" the
// source's name without folder and dots, "[source_extension]" the item name's extension in
// lower case, "[dest_extension]" and "[convert_extension]" the target's key (left as they are
// without one), "[time]" HH-MM-SS, "[date]" the short date with "/" made "-", "[item_name]".
// A "/" that a value brings in becomes "-": an item called "AC/DC" must not put its output
// in a folder below the destination (or outside it). The template's own text is kept.
QString ExpandFileNameTemplate(const QString& nameTemplate, const RowFacts& row, const QString& targetFormatText,
                               const QDateTime& now, const QString& shortDateFormat);

// Tag text of a row: "[DATE]" (short date), "[TIME]" (time format), "[TRACK_NUM]" (the row
// number, the first row giving 1), "[PROG_NAME]", "[PROG_VERSION]", "[SOURCE_NAME]" (the
// source's file name), "[ITEM_NAME]", "[RANGE]", "[YEAR]".
QString CreateID3TagsString(const QString& text, const RowFacts& row, const QDateTime& now,
                            const QString& shortDateFormat, const QString& timeFormat);

// The seven tag cells of a row, in the order they are handed over.
struct TagCells {
    QString album, artist, comment, genre, title, track, year;
};
// Nothing when the row is not in the grid.
std::optional<TagCells> TagCellsOfRow(const cGrid& grid, long row);

// Hands the row's tags, each passed through `expand`, to any component with the seven tag
// members: album, artist, comment, genre, title, track, year.
template <class Component, class Expand>
void HandOverTags(Component& component, const TagCells& cells, Expand&& expand)
{
    component.TagAlbum(expand(cells.album));
    component.TagArtist(expand(cells.artist));
    component.TagComment(expand(cells.comment));
    component.TagGenre(expand(cells.genre));
    component.TagTitle(expand(cells.title));
    component.TagTrack(expand(cells.track));
    component.TagYear(expand(cells.year));
}

}  // namespace ConverterNames
