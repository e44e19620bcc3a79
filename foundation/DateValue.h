// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QTime>

// A date as the windows' code counts it: days since 30 December 1899, 00:00, with the time of
// day as the fraction. Before that day the whole part counts back while the fraction still
// counts forward within the day: -1.25 is 29 December 1899, 06:00. Times are whole seconds.
// No time zone: a value is a wall-clock reading.
struct DateValue {
    double days = 0.0;

    constexpr DateValue() = default;
    constexpr explicit DateValue(double d) : days(d) {}

    static DateValue fromDateTime(const QDateTime& dt);  // its wall-clock date and time
    static DateValue fromDate(const QDate& date);
    static DateValue now();  // the clock's current date and time
    static DateValue fromParts(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
    // The value as a wall-clock date and time (Qt::LocalTime spec, fields as stored).
    QDateTime toDateTime() const;
    QDate date() const;
    QTime time() const;
    // Seconds since 30 December 1899, 00:00, rounded to whole seconds.
    qint64 totalSeconds() const;

    friend constexpr bool operator==(DateValue a, DateValue b) { return a.days == b.days; }
};

// The day every date value counts from.
inline const QDate kDateValueEpoch{1899, 12, 30};
