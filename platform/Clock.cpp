// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "platform/Clock.h"

#include <QLocale>

#include <chrono>

namespace platform {

namespace {

class SystemClock final : public ClockService {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
    uint32_t tickCount() const override
    {
        using namespace std::chrono;
        return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }
    QString shortDateFormat() const override { return QLocale::system().dateFormat(QLocale::ShortFormat); }
    QString timeFormat() const override { return QLocale::system().timeFormat(QLocale::LongFormat); }
};

SystemClock g_system;
ClockService* g_current = nullptr;

}  // namespace

ClockService& clock() { return g_current ? *g_current : g_system; }
void setClockService(ClockService* service) { g_current = service; }

}  // namespace platform
