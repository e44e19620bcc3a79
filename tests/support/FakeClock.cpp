// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tests/support/FakeClock.h"

FakeClock::FakeClock(const QDateTime& now, QString dateFormat, QString timeFormat)
    : m_now(now), m_dateFormat(std::move(dateFormat)), m_timeFormat(std::move(timeFormat))
{
    platform::setClockService(this);
}

FakeClock::~FakeClock()
{
    if (&platform::clock() == this)
        platform::setClockService(nullptr);
}

void FakeClock::advance(int milliseconds)
{
    m_now = m_now.addMSecs(milliseconds);
    m_ticks += static_cast<uint32_t>(milliseconds);
}
