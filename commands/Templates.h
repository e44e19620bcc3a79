// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QDateTime>
#include <QString>

class cGrid;

// The main window's text services for the tool windows: the notify command line run when a
// task has ended, the tag template, and the time-stamped name of a spoken file. Each
// placeholder is replaced everywhere, case-sensitively, one after another in a fixed order, so
// a value put in by an earlier one takes part in the later replacements. Pure functions over
// the grid and the given time; GUI thread (they read a grid).
namespace Templates {

// "[PROG_NAME]", "[PROG_VERSION]", then "[FILE_RECORDED]", "[FILE_SIZE]", "[FILE_TIME_LENGTH]"
// and "[FILE_CREATED]" from the grid's last row ("Item Name", "Size", "Time", "Created");
// the file placeholders become empty on a grid without rows.
QString ExpandNotice(const QString& text, cGrid& grid);

// "[DATE]" (short date format), "[TIME]" (time format), "[TRACK_NUM]" (currentRow + 1),
// "[PROG_NAME]", "[PROG_VERSION]", "[YEAR]".
QString ExpandTags(const QString& text, long currentRow, const QDateTime& now, const QString& shortDateFormat,
                   const QString& timeFormat);

// The extension of a target format text by its first three letters, upper-cased: "WAV" and
// "ACM" give "wav", "MP3" "mp3", "WMA" "wma", "OGG" "ogg", "APE" "ape", anything else "".
QString ExtForTargetFormat(const QString& formatText);

// "HH-MM-SS_" + short date + "." + ext, every character unsafe in a file name made "-".
QString TimeStampedFileName(const QDateTime& now, const QString& shortDateFormat, const QString& ext);

}  // namespace Templates

// Runs the notify command line of the options after a tool window's task has ended: the
// template is split into program and arguments first and the placeholders are expanded inside
// each argument, so a file name stays one argument whatever it holds; no shell is involved.
// False when the template names no program or the program cannot be started.
bool RunNoticeApp();
