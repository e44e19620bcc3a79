// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/VbNumbers.h"

#include <QLocale>

#include <cmath>
#include <limits>

double RoundHalfEven(double value)
{
    if (!std::isfinite(value))
        return value;
    // nearbyint follows the current rounding mode, which is to-nearest-even unless someone
    // changed it; do it by hand so the rule never depends on that.
    const double floorValue = std::floor(value);
    const double diff = value - floorValue;
    if (diff < 0.5)
        return floorValue;
    if (diff > 0.5)
        return floorValue + 1.0;
    return std::fmod(floorValue, 2.0) == 0.0 ? floorValue : floorValue + 1.0;
}

double RoundHalfEven(double value, int digits)
{
    if (digits <= 0 || !std::isfinite(value))
        return RoundHalfEven(value);
    // Work on the shortest decimal text of the value so that 2.675 (stored as 2.67499999...)
    // rounds as written.
    const QString text = QString::number(value, 'g', 15);
    const double scale = std::pow(10.0, digits);
    const double scaled = text.toDouble() * scale;
    const double nearestInt = std::round(scaled);
    const double adjusted = std::fabs(scaled - nearestInt) < 1e-9 * std::max(1.0, std::fabs(scaled)) ? nearestInt : scaled;
    const QString scaledText = QString::number(adjusted, 'f', 6);
    return RoundHalfEven(scaledText.toDouble()) / scale;
}

namespace {

template <class Int>
Int toWhole(double value, bool* overflow)
{
    const double r = RoundHalfEven(value);
    const bool out = !std::isfinite(r) || r < static_cast<double>(std::numeric_limits<Int>::min())
        || r >= -static_cast<double>(std::numeric_limits<Int>::min());
    if (overflow)
        *overflow = out;
    if (out)
        return std::isnan(r) ? Int(0) : (r < 0 ? std::numeric_limits<Int>::min() : std::numeric_limits<Int>::max());
    return static_cast<Int>(r);
}

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r');
}

}  // namespace

int32_t CLng(double value, bool* overflow) { return toWhole<int32_t>(value, overflow); }

int64_t CLngLng(double value, bool* overflow) { return toWhole<int64_t>(value, overflow); }

double Val(const QString& text)
{
    QString s;
    s.reserve(text.size());
    for (QChar c : text)
        if (!isBlank(c))
            s += c;

    if (s.startsWith(QLatin1String("&H"), Qt::CaseInsensitive) || s.startsWith(QLatin1String("&O"), Qt::CaseInsensitive)) {
        const bool hex = s.at(1).toUpper() == QLatin1Char('H');
        const int base = hex ? 16 : 8;
        uint64_t v = 0;
        int digits = 0;
        for (qsizetype i = 2; i < s.size(); ++i) {
            const int d = QString(s.at(i)).toInt(nullptr, base);
            const bool ok = hex ? s.at(i).isDigit() || QStringLiteral("abcdefABCDEF").contains(s.at(i))
                                : (s.at(i) >= QLatin1Char('0') && s.at(i) <= QLatin1Char('7'));
            if (!ok)
                break;
            v = v * base + static_cast<uint64_t>(d);
            ++digits;
        }
        if (digits == 0)
            return 0.0;
        // Up to 16 bits, then 32, the value reads as a signed number of that width.
        if (v <= 0xFFFF)
            return static_cast<double>(static_cast<int16_t>(v));
        if (v <= 0xFFFFFFFFull)
            return static_cast<double>(static_cast<int32_t>(v));
        return static_cast<double>(v);
    }

    qsizetype i = 0;
    QString number;
    if (i < s.size() && (s.at(i) == QLatin1Char('+') || s.at(i) == QLatin1Char('-')))
        number += s.at(i++);
    bool digits = false;
    bool point = false;
    for (; i < s.size(); ++i) {
        const QChar c = s.at(i);
        if (c.isDigit() && c.unicode() < 128) {
            number += c;
            digits = true;
        } else if (c == QLatin1Char('.') && !point) {
            number += c;
            point = true;
        } else {
            break;
        }
    }
    if (!digits)
        return 0.0;
    if (i < s.size() && (s.at(i).toUpper() == QLatin1Char('E') || s.at(i).toUpper() == QLatin1Char('D'))) {
        qsizetype j = i + 1;
        QString exponent = QStringLiteral("e");
        if (j < s.size() && (s.at(j) == QLatin1Char('+') || s.at(j) == QLatin1Char('-')))
            exponent += s.at(j++);
        bool expDigits = false;
        while (j < s.size() && s.at(j).isDigit() && s.at(j).unicode() < 128) {
            exponent += s.at(j++);
            expDigits = true;
        }
        if (expDigits)
            number += exponent;
    }
    bool ok = false;
    const double v = number.toDouble(&ok);
    return ok ? v : 0.0;
}

bool IsNumeric(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    bool ok = false;
    t.toDouble(&ok);
    if (ok)
        return true;
    QLocale().toDouble(t, &ok);
    return ok;
}

double RoundFixed(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    // Round on the decimal text so that 0.125 with two decimals gives 0.13 as displayed.
    const double shown = QString::number(value, 'g', 15).toDouble();
    const double rounded = std::round(shown * scale) / scale;  // std::round: halves away from zero
    return rounded == 0.0 ? 0.0 : rounded;                     // no "-0.00"
}

QString FormatFixed(double value, int decimals)
{
    const double rounded = RoundFixed(value, decimals);
    QString text = QString::number(rounded, 'f', decimals);
    const QString point = QLocale().decimalPoint();
    if (point != QLatin1String("."))
        text.replace(QLatin1Char('.'), point);
    return text;
}
