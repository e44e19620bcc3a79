// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "batchtools/SplitterRules.h"

#include "foundation/VbNumbers.h"
#include "settings/OutputFormatOptions.h"

#include <cmath>
#include <limits>

namespace Splitter {

namespace {

double seconds(long ms) { return double(ms) / 1000.0; }

// A whole number of the windows' 32-bit range, or nothing when the value leaves it.
std::optional<long> wholeNumber(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double rounded = RoundHalfEven(value);
    if (rounded < double(std::numeric_limits<int32_t>::min()) || rounded > double(std::numeric_limits<int32_t>::max()))
        return std::nullopt;
    return long(rounded);
}

Plan accepted(long length, double max)
{
    Plan p;
    const std::optional<long> m = wholeNumber(max);
    if (!m)
        return p;
    p.refused = false;
    p.partLength = length;
    p.totalMax = *m;
    return p;
}

}  // namespace

std::optional<double> ReadNumber(const QString& text, const QString& desktopDecimalPoint)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    // Thousands separators are no part of a part count or a length: "1,000" is not 1000.
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    double value = c.toDouble(t, &ok);
    if (!ok && desktopDecimalPoint == QLatin1String(",") && !t.contains(QLatin1Char('.'))) {
        QString dotted = t;
        dotted.replace(QLatin1Char(','), QLatin1Char('.'));
        value = c.toDouble(dotted, &ok);
    }
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

Plan PlanByParts(long sourceDurationMs, const QString& partsText, const QString& desktopDecimalPoint)
{
    const std::optional<double> n = ReadNumber(partsText, desktopDecimalPoint);
    if (!n || *n == 0.0)
        return {};
    const std::optional<long> length = wholeNumber(seconds(sourceDurationMs) / *n);
    if (!length || *length < 1)
        return {};
    return accepted(*length, *n * 100.0);
}

Plan PlanBySeconds(long sourceDurationMs, const QString& secondsText, const QString& desktopDecimalPoint)
{
    const std::optional<double> s = ReadNumber(secondsText, desktopDecimalPoint);
    if (!s)
        return {};
    const double d = seconds(sourceDurationMs);
    if (*s >= d)
        return {};
    const std::optional<long> length = wholeNumber(*s);
    if (!length || *length < 1)
        return {};
    return accepted(*length, d / *s * 100.0);
}

bool PartLeft(long sourceDurationMs, long startSeconds) { return seconds(sourceDurationMs) > double(startSeconds); }

QList<PartRange> PartRanges(long sourceDurationMs, long partLength)
{
    QList<PartRange> parts;
    if (partLength < 1)
        return parts;
    long number = 1;
    for (long start = 0; PartLeft(sourceDurationMs, start); start += partLength)
        parts.append(PartRange{number++, start, partLength});
    return parts;
}

QString MakePartFileName(long partNumber, const QString& sourcePath, const QString& targetFormatText)
{
    QString name = sourcePath.mid(sourcePath.lastIndexOf(QLatin1Char('/')) + 1);
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0)
        name.truncate(dot);
    static const char* const codes[] = {"WAV", "ACM", "MP3", "WMA", "OGG", "APE"};
    const QString code = targetFormatText.isEmpty()
                             ? QLatin1String(codes[DestinationFormatOf(targetFormatText) - 1])
                             : targetFormatText.left(3);
    return QStringLiteral("Part_") + QString::number(partNumber) + QLatin1Char('_') + name + QLatin1Char('.') + code;
}

}  // namespace Splitter
