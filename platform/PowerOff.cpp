// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "platform/PowerOff.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>

namespace platform {
namespace {

const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kPath = QStringLiteral("/org/freedesktop/login1");
const QString kInterface = QStringLiteral("org.freedesktop.login1.Manager");

PowerAnswer forbidden()
{
    return {PowerAnswer::Forbidden, QStringLiteral("Turning the computer off is forbidden in this environment.")};
}

class LogindPower final : public PowerService {
public:
    PowerAnswer canPowerOff() override { return ask(QStringLiteral("CanPowerOff")); }
    PowerAnswer powerOff() override { return act(QStringLiteral("PowerOff")); }
    PowerAnswer reboot() override { return act(QStringLiteral("Reboot")); }

private:
    static PowerAnswer ask(const QString& method)
    {
        if (powerOffForbidden())
            return forbidden();
        QDBusConnection bus = QDBusConnection::systemBus();
        if (!bus.isConnected())
            return {PowerAnswer::Unavailable, bus.lastError().message()};
        QDBusInterface manager(kService, kPath, kInterface, bus);
        if (!manager.isValid())
            return {PowerAnswer::Unavailable, manager.lastError().message()};
        const QDBusReply<QString> reply = manager.call(method);
        if (!reply.isValid())
            return {PowerAnswer::Unavailable, reply.error().message()};
        // "challenge": allowed after the user authenticates, which the interactive call asks for.
        const QString v = reply.value();
        if (v == QLatin1String("yes") || v == QLatin1String("challenge"))
            return {PowerAnswer::Ok, v};
        return {PowerAnswer::Denied, v};
    }

    static PowerAnswer act(const QString& method)
    {
        // Checked again here so that no path past the privilege check reaches the real call.
        if (powerOffForbidden())
            return forbidden();
        QDBusConnection bus = QDBusConnection::systemBus();
        if (!bus.isConnected())
            return {PowerAnswer::Unavailable, bus.lastError().message()};
        QDBusInterface manager(kService, kPath, kInterface, bus);
        if (!manager.isValid())
            return {PowerAnswer::Unavailable, manager.lastError().message()};
        const QDBusMessage reply = manager.call(method, true);
        if (reply.type() == QDBusMessage::ErrorMessage)
            return {reply.errorName().contains(QLatin1String("AccessDenied")) || reply.errorName().contains(QLatin1String("Interactive"))
                        ? PowerAnswer::Denied
                        : PowerAnswer::Unavailable,
                    reply.errorMessage()};
        return {PowerAnswer::Ok, {}};
    }
};

LogindPower g_real;
PowerService* g_current = nullptr;

}  // namespace

PowerService& power() { return g_current ? *g_current : g_real; }

void setPowerService(PowerService* service) { g_current = service; }

bool powerOffForbidden()
{
    return qEnvironmentVariableIsSet("QUILLMERE_FORBID_POWEROFF");
}

}  // namespace platform
