// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QDateTime>
#include <QString>

// The data disc burner's rules as plain functions. Paths use "/".
namespace DataBurner {

// The burn folder: the program folder, "/datacdtmp/".
QString BurnTempFolder();

// The engine a stored "cmbEngine" text selects: the text read as a number (a text that does
// not begin with one counts as 0), rounded halves to even. 1 selects the second engine; any
// other number, -1 and numbers naming no item included, the first, so a burn never goes the
// second engine's way without the user having chosen it.
int EngineIndexFromStored(const QString& stored);

// What one grid row gives the name template.
struct RowNameCells {
    long row = 0;            // from 1
    QString file;            // COL_FILE: the source path
    QString itemName;        // "Item Name"
};

// The prepared file's name of a row: "[123]" the row number, "[file_name]" the source's name
// without folder and extension, "[source_extension]" the item name's extension in lower case,
// "[dest_extension]" and "[convert_extension]" the target format's text up to " -" in lower case
// (left in place when it has none), "[time]" HH-MM-SS, "[date]" the short date with "-" for "/",
// "[item_name]" the item name; every occurrence, in that order; the converter's expansion, so a
// "/" a value brings in becomes "-" and no prepared file lands outside the burn folder. In copy
// mode the file is copied unchanged, so "[dest_extension]" and "[convert_extension]" are the
// source's own extension.
QString ExpandName(const QString& nameTemplate, const RowNameCells& row, const QString& targetFormatText, bool copyMode,
                   const QDateTime& now, const QString& shortDateFormat);

// The question asked when the second engine's library does not start, as shown.
QString MissingLibraryQuestion();

}  // namespace DataBurner
