// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "platform/PowerOff.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QTimer>

#include <limits>

namespace platform {
namespace {

const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kPath = QStringLiteral("/org/freedesktop/login1");
const QString kInterface = QStringLiteral("org.freedesktop.login1.Manager");

// The question needs no one at the screen; the action may wait for the user to authenticate,
// so it is given all the time the bus allows.
constexpr int kAskTimeoutMs = 25000;
constexpr int kActTimeoutMs = std::numeric_limits<int>::max();

PowerAnswer forbidden()
{
    return {PowerAnswer::Forbidden, QStringLiteral("Turning the computer off is forbidden in this environment.")};
}

// Delivers an answer known at once the same way as one from the bus: later, on the GUI thread.
void answerLater(const PowerService::Answered& answered, const PowerAnswer& answer)
{
    QTimer::singleShot(0, QCoreApplication::instance(), [answered, answer] { answered(answer); });
}

class LogindPower final : public PowerService {
public:
    void canPowerOff(Answered answered) override
    {
        call(QStringLiteral("CanPowerOff"), {}, kAskTimeoutMs, std::move(answered), [](const QDBusMessage& reply) {
            // "challenge": allowed after the user authenticates, which the interactive call asks for.
            const QString v = reply.arguments().value(0).toString();
            if (v == QLatin1String("yes") || v == QLatin1String("challenge"))
                return PowerAnswer{PowerAnswer::Ok, v};
            return PowerAnswer{PowerAnswer::Denied, v};
        });
    }
    void powerOff(Answered answered) override { act(QStringLiteral("PowerOff"), std::move(answered)); }
    void reboot(Answered answered) override { act(QStringLiteral("Reboot"), std::move(answered)); }

private:
    static void act(const QString& method, Answered answered)
    {
        // interactive = true: the session manager may ask for a password first.
        call(method, {true}, kActTimeoutMs, std::move(answered), [](const QDBusMessage&) { return PowerAnswer{PowerAnswer::Ok, {}}; });
    }

    template <class Read>
    static void call(const QString& method, const QVariantList& args, int timeoutMs, Answered answered, Read read)
    {
        // Checked on every path so that nothing under the guard reaches the real call.
        if (powerOffForbidden())
            return answerLater(answered, forbidden());
        QDBusConnection bus = QDBusConnection::systemBus();
        if (!bus.isConnected())
            return answerLater(answered, {PowerAnswer::Unavailable, bus.lastError().message()});
        QDBusMessage message = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
        message.setArguments(args);
        message.setInteractiveAuthorizationAllowed(true);
        auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(message, timeoutMs), QCoreApplication::instance());
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [watcher, answered, read] {
            watcher->deleteLater();
            const QDBusMessage reply = watcher->reply();
            if (reply.type() != QDBusMessage::ErrorMessage)
                return answered(read(reply));
            const QString name = reply.errorName();
            const bool denied = name.contains(QLatin1String("AccessDenied")) || name.contains(QLatin1String("Interactive"));
            answered({denied ? PowerAnswer::Denied : PowerAnswer::Unavailable, reply.errorMessage()});
        });
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
