// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "platform/Clock.h"

// A clock standing at a set time, with set date and time formats, and a tick count that moves
// only when told. Installs itself on construction and puts the real clock back when destroyed.
class FakeClock : public platform::ClockService {
public:
    explicit FakeClock(const QDateTime& now = QDateTime(QDate(2024, 3, 5), QTime(14, 5, 9)),
                       QString dateFormat = QStringLiteral("dd.MM.yyyy"), QString timeFormat = QStringLiteral("HH:mm:ss"));
    ~FakeClock() override;

    QDateTime now() const override { return m_now; }
    uint32_t tickCount() const override { return m_ticks; }
    QString shortDateFormat() const override { return m_dateFormat; }
    QString timeFormat() const override { return m_timeFormat; }

    void setNow(const QDateTime& now) { m_now = now; }
    // Moves both the time and the tick count.
    void advance(int milliseconds);

private:
    QDateTime m_now;
    uint32_t m_ticks = 1000;
    QString m_dateFormat;
    QString m_timeFormat;
};
