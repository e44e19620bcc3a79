// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QDateTime>
#include <QString>

#include <cstdint>

namespace platform {

// Wall clock, tick count and the desktop's date and time formats. Tests install a fake with a
// fixed time and fixed formats so that texts built from them are exact.
class ClockService {
public:
    virtual ~ClockService() = default;
    virtual QDateTime now() const = 0;
    // Milliseconds since an arbitrary start, wrapping at 2^32 like a 32-bit tick counter.
    virtual uint32_t tickCount() const = 0;
    // Qt format strings of the user's short date and time formats.
    virtual QString shortDateFormat() const = 0;
    virtual QString timeFormat() const = 0;
};

ClockService& clock();
void setClockService(ClockService* service);  // nullptr: the real one

}  // namespace platform
