// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QList>
#include <QLocale>
#include <QString>

#include <optional>

// The splitter's arithmetic as plain functions: how long each part is, when a split is refused,
// the scale of the whole-task bar, which ranges the parts cover and how part files are named.
// Split points are whole seconds; the source's length arrives in milliseconds (rounded up, so
// a tail of a few samples still counts as time left to split).
namespace Splitter {

// A box's text as a real number: the C locale's "2.5", and "2,5" where the desktop writes its
// decimals with a comma. Blanks around the number are allowed; anything else is no number.
std::optional<double> ReadNumber(const QString& text, const QString& desktopDecimalPoint = QLocale().decimalPoint());

// What a split into parts or by seconds comes to. `refused`: the length message is shown and
// nothing is converted; otherwise every part asks for partLength seconds and the whole-task bar
// runs to totalMax (100 a part).
struct Plan {
    bool refused = true;
    long partLength = 0;
    long totalMax = 0;
};
Plan PlanByParts(long sourceDurationMs, const QString& partsText,
                 const QString& desktopDecimalPoint = QLocale().decimalPoint());
Plan PlanBySeconds(long sourceDurationMs, const QString& secondsText,
                   const QString& desktopDecimalPoint = QLocale().decimalPoint());

// The parts a split makes: starts 0, L, 2L ... while the start lies before the source's end,
// each asking for L seconds (the last one gets what is left).
struct PartRange {
    long number = 0;  // from 1
    long start = 0;   // seconds
    long length = 0;  // seconds asked for
    bool operator==(const PartRange&) const = default;
};
QList<PartRange> PartRanges(long sourceDurationMs, long partLength);
// Whether a part starting at `startSeconds` still has source to cut.
bool PartLeft(long sourceDurationMs, long startSeconds);

// "Part_<n>_<source name without its extension>.<code>": the code is the first three letters of
// the target-format text as written ("MP3"), or that of the format handed over when the text is
// empty. Only the file name of the source counts; a name without "." keeps all of it.
QString MakePartFileName(long partNumber, const QString& sourcePath, const QString& targetFormatText);

}  // namespace Splitter
