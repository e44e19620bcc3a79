// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/DateValue.h"

#include "platform/Clock.h"

#include <cmath>

namespace {
constexpr qint64 kSecondsPerDay = 86400;
}

DateValue DateValue::fromDate(const QDate& date)
{
    return DateValue(static_cast<double>(kDateValueEpoch.daysTo(date)));
}

DateValue DateValue::fromDateTime(const QDateTime& dt)
{
    const qint64 day = kDateValueEpoch.daysTo(dt.date());
    const double fraction = static_cast<double>(dt.time().msecsSinceStartOfDay() / 1000) / kSecondsPerDay;
    // Before the epoch the whole part counts back and the fraction still counts forward.
    return DateValue(day >= 0 ? day + fraction : day - fraction);
}

DateValue DateValue::now()
{
    return fromDateTime(platform::clock().now());
}

DateValue DateValue::fromParts(int year, int month, int day, int hour, int minute, int second)
{
    return fromDateTime(QDateTime(QDate(year, month, day), QTime(hour, minute, second)));
}

namespace {

// The day offset and the second of that day a value stands for.
void split(double days, qint64& day, qint64& second)
{
    double whole = std::trunc(days);
    double fraction = std::fabs(days - whole);
    second = static_cast<qint64>(std::llround(fraction * kSecondsPerDay));
    day = static_cast<qint64>(whole);
    if (second >= kSecondsPerDay) {
        second -= kSecondsPerDay;
        day += days < 0 ? -1 : 1;
    }
    // -0.25 lies on day 0 like 0.25 does.
}

}  // namespace

QDateTime DateValue::toDateTime() const
{
    return QDateTime(date(), time());
}

QDate DateValue::date() const
{
    qint64 day = 0;
    qint64 second = 0;
    split(days, day, second);
    return kDateValueEpoch.addDays(day);
}

QTime DateValue::time() const
{
    qint64 day = 0;
    qint64 second = 0;
    split(days, day, second);
    return QTime(0, 0).addSecs(static_cast<int>(second));
}

qint64 DateValue::totalSeconds() const
{
    qint64 day = 0;
    qint64 second = 0;
    split(days, day, second);
    return day * kSecondsPerDay + second;
}
