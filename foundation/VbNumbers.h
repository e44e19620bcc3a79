// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QString>

#include <cstdint>

// The number rules the windows' arithmetic relies on: conversions to whole numbers round halves
// to even, display formats round halves away from zero, and text is read as a leading number.

// Nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
double RoundHalfEven(double value);
// Rounded to `digits` decimals, halves to even on the decimal value as written (2.675 -> 2.68).
double RoundHalfEven(double value, int digits);
// To a 32-bit whole number, halves to even; false in *overflow when out of range (then clamped).
int32_t CLng(double value, bool* overflow = nullptr);
int64_t CLngLng(double value, bool* overflow = nullptr);

// The leading number of a text: blanks, tabs and line breaks are skipped anywhere in it, an
// optional sign, digits with at most one decimal point ("."), an optional exponent (E or D),
// or "&H"/"&O" for hexadecimal and octal; reading stops at the first character that does not
// fit. "12abc" -> 12, " 1 2 3" -> 123, "abc" -> 0, "&HFF" -> 255, "1e3x" -> 1000.
double Val(const QString& text);

// True when the whole text (blanks around it allowed) is a decimal number.
bool IsNumeric(const QString& text);

// A number written with `decimals` fixed decimals (the formats "0", "0.0", "0.00"), rounded
// halves away from zero, with the user's decimal separator and no thousands separator.
QString FormatFixed(double value, int decimals);
// The value FormatFixed writes: rounded to `decimals` decimals, halves away from zero.
double RoundFixed(double value, int decimals);
