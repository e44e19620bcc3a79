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
    QString timeFormat() const override { return withoutTimeZone(QLocale::system().timeFormat(QLocale::LongFormat)); }

private:
    // The desktop's long time format names the time zone ("t"); its time format, as dates and
    // log lines show it, does not.
    static QString withoutTimeZone(const QString& format)
    {
        QString out;
        bool quoted = false;
        for (const QChar c : format) {
            if (c == u'\'')
                quoted = !quoted;
            if (!quoted && c == u't')
                continue;
            out += c;
        }
        return out.simplified();
    }
};

SystemClock g_system;
ClockService* g_current = nullptr;

}  // namespace

ClockService& clock() { return g_current ? *g_current : g_system; }
void setClockService(ClockService* service) { g_current = service; }

}  // namespace platform
