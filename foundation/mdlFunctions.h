// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "foundation/Collection.h"

#include <QString>

#include <cstdint>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QTextEdit;
class QWidget;

// Shared path, name, text-file, time-text and log procedures. Plain string rules: paths are
// split and joined at "/"; several rules give unusual results for unusual input (a dot inside a
// folder name, a name without an extension) and callers rely on exactly those results.
// Nothing here throws. GUI thread for the procedures that touch controls.

// The last "/"-separated element: empty for "" and for a path ending in "/".
QString GetFileName(const QString& sPath);
// The path up to and including its last "/"; empty when there is none.
QString GetFolderFromPath(const QString& sPath);
// The text in front of the last element: the same results as GetFolderFromPath.
QString GetFolderOfFile(const QString& sPath);
// Up to 12 characters after the last "." of the whole text (folders included); empty without one.
QString GetExtFromName(const QString& sName);
// The last "."-part of the whole text; empty without a ".".
QString GetFileExtension(const QString& sName);
// All "."-parts but the last, joined without dots: "my.song.mp3" -> "mysong", "readme" -> "".
QString RemoveExtension(const QString& sName);
// Each character unsafe in a file name (blanks, both slashes, brackets, quotes, some symbols)
// becomes "-"; dots, letters and digits stay.
QString MakeSafeName(const QString& sName);
// False when the text holds one of / \ : ? * < > " |. The empty text is valid.
bool IsValidFileName(const QString& sName);
// For a key-press handler: a character that IsValidFileName refuses shows the "Illegal name."
// tip at the box and sets KeyAscii to 0 so that it is not entered.
void FilterFileNameKey(QWidget* txtBox, int16_t& KeyAscii);
// The text of that tip.
QString IllegalNameTipText();
// True for an existing folder (links followed).
bool IsFolder(const QString& sPath);
// Creates every missing level; 0 on success, else an error number (75 access error, 76 path not
// found). The levels made before a failure stay.
long CreateFolderPath(const QString& sPath);
// Opens a file, folder or web address with what the desktop associates with it. Nothing is
// reported back.
void ShellOpen(QWidget* hwndOwner, const QString& sFile);
// Replaces the file with the text followed by CR LF (UTF-8). Failures leave the old file alone.
void WriteTextFile(const QString& sText, const QString& sFile);
// The file's lines (ended by CR, CR LF or LF) joined by CR LF, without the last CR LF when the
// text is longer than two characters. Empty for a missing file or a folder.
QString ReadTextFile(const QString& sFile);
// Clears the combo box's list and adds each non-empty line of the file, in order.
void LoadComboFromFile(const QString& sFile, QComboBox* cbo);
void ClearCollection(Collection& col);

// h:mm:ss with unpadded hours that do not wrap at 24; negative counts keep the floor rules
// (-61 -> "-1:58:-01"). 64-bit, so a total of many long items shows its true hours.
QString FormatSecondsHMS(int64_t lSeconds);
// "HH:MM:SS" of a time text "h:mm:ss" (hours not wrapped at 24); other texts stay as they are.
QString PadTimeText(const QString& sTime);
// Seconds of "h:mm:ss"; a text read as a date or time counts by its time of day, a plain number
// as days; 0 for anything unreadable.
int32_t TimeTextToSeconds(const QString& sTime);
// The total size of a list: no unit below 1000, then " KB" .. " TB"; empty for a negative count.
QString FormatByteCount(int64_t cBytes);
// Appends the time of day, ":", the message and CR LF, and scrolls to the end.
void AddLogLine(const QString& sMessage, QPlainTextEdit* txtLog);
// What AddLogLine appends for a message now: the time of day, ":", the message and CR LF.
QString LogLineText(const QString& sMessage);
// Appends whole log lines (LogLineText's) at once, and scrolls to the end.
void AppendLogText(const QString& sLines, QPlainTextEdit* txtLog);
void AddLogLine(const QString& sMessage, QTextEdit* txtLog);
// The destination folders last used, newest first, at most 16, in "PathHistory" beside the program.
void LoadPathHistory(QComboBox* cbo);
void SavePathHistory(QComboBox* cbo);
QString PathHistoryFile();
