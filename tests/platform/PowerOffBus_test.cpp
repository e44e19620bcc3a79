// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The real power-off service against a session manager of the test's own, on a private bus
// daemon that stands in for the system bus of this process. The real session manager cannot be
// reached: the test goes on only once the bus the service uses is proven to be the private one.
#include "platform/PowerOff.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <optional>

namespace {

// Answers CanPowerOff at once; holds the answer to PowerOff as a password prompt would.
class FakeLogind : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public:
    explicit FakeLogind(QDBusConnection bus) : m_bus(bus) {}

    int holdMs = 0;
    QString refuseWith;  // an error name, or empty to accept
    QList<bool> interactiveArguments;
    QList<bool> interactiveAllowed;

public slots:
    QString CanPowerOff() { return QStringLiteral("challenge"); }
    void PowerOff(bool interactive, const QDBusMessage& message) { hold(interactive, message); }
    void Reboot(bool interactive, const QDBusMessage& message) { hold(interactive, message); }

private:
    void hold(bool interactive, const QDBusMessage& message)
    {
        interactiveArguments << interactive;
        interactiveAllowed << message.isInteractiveAuthorizationAllowed();
        message.setDelayedReply(true);
        const QDBusMessage reply = refuseWith.isEmpty() ? message.createReply()
                                                        : message.createErrorReply(refuseWith, QStringLiteral("Refused by the test."));
        QDBusConnection bus = m_bus;
        QTimer::singleShot(holdMs, this, [bus, reply]() mutable { bus.send(reply); });
    }

    QDBusConnection m_bus;
};

// One private daemon for the whole file: the system bus connection of a process is made once.
class PrivateSystemBus : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        daemon = new QProcess;
        daemon->start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1"),
                       QStringLiteral("--address=unix:tmpdir=") + QDir::tempPath()});
        if (!daemon->waitForStarted(5000) || !QTest::qWaitFor([] { return daemon->canReadLine(); }, 5000))
            return;
        const QString address = QString::fromUtf8(daemon->readLine()).trimmed();
        // Read by the first use of the system bus in this process, which is the next line.
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", address.toUtf8());
        if (!QDBusConnection::systemBus().isConnected())
            return;
        service = new QDBusConnection(QDBusConnection::connectToBus(address, QStringLiteral("fake-logind")));
        logind = new FakeLogind(*service);
        if (!service->registerObject(QStringLiteral("/org/freedesktop/login1"), logind, QDBusConnection::ExportAllSlots)
            || !service->registerService(QStringLiteral("org.freedesktop.login1")))
            return;
        // The bus the power-off service talks to is the private one: the name is ours there.
        ready = QDBusConnection::systemBus().interface()->serviceOwner(QStringLiteral("org.freedesktop.login1")).value()
            == service->baseService();
    }

    static void TearDownTestSuite()
    {
        delete logind;
        if (service)
            QDBusConnection::disconnectFromBus(QStringLiteral("fake-logind"));
        delete service;
        if (daemon) {
            daemon->terminate();
            daemon->waitForFinished(5000);
        }
        delete daemon;
    }

    void SetUp() override
    {
        ASSERT_TRUE(ready) << "the private bus with the stand-in session manager did not come up";
        logind->holdMs = 0;
        logind->refuseWith.clear();
        logind->interactiveArguments.clear();
        logind->interactiveAllowed.clear();
        qunsetenv("QUILLMERE_FORBID_POWEROFF");
        platform::setPowerService(nullptr);
    }

    void TearDown() override { qputenv("QUILLMERE_FORBID_POWEROFF", "1"); }

    static inline QProcess* daemon = nullptr;
    static inline QDBusConnection* service = nullptr;
    static inline FakeLogind* logind = nullptr;
    static inline bool ready = false;
};

TEST_F(PrivateSystemBus, ThePowerOffRequestWaitsForTheAnswerWithoutHoldingTheProgram)
{
    logind->holdMs = 1500;
    std::optional<platform::PowerAnswer> can;
    std::optional<platform::PowerAnswer> act;
    QElapsedTimer clock;
    clock.start();
    platform::power().canPowerOff([&](const platform::PowerAnswer& a) { can = a; });
    platform::power().powerOff([&](const platform::PowerAnswer& a) { act = a; });
    EXPECT_LT(clock.elapsed(), 500);  // the calls return before the session manager answers
    EXPECT_FALSE(can.has_value());
    EXPECT_FALSE(act.has_value());

    int ticks = 0;  // the program goes on handling events meanwhile
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(100);
    ASSERT_TRUE(QTest::qWaitFor([&] { return act.has_value(); }, 10000));
    ASSERT_TRUE(can.has_value());
    EXPECT_EQ(can->status, platform::PowerAnswer::Ok);
    EXPECT_EQ(can->text, QStringLiteral("challenge"));
    EXPECT_EQ(act->status, platform::PowerAnswer::Ok);
    EXPECT_GE(clock.elapsed(), 1400);
    EXPECT_GE(ticks, 10);
    EXPECT_EQ(logind->interactiveArguments, QList<bool>{true});
    EXPECT_EQ(logind->interactiveAllowed, QList<bool>{true});
}

TEST_F(PrivateSystemBus, ARefusalComesBackAsDenied)
{
    logind->refuseWith = QStringLiteral("org.freedesktop.DBus.Error.InteractiveAuthorizationRequired");
    std::optional<platform::PowerAnswer> act;
    platform::power().reboot([&](const platform::PowerAnswer& a) { act = a; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return act.has_value(); }, 10000));
    EXPECT_EQ(act->status, platform::PowerAnswer::Denied);
    EXPECT_EQ(act->text, QStringLiteral("Refused by the test."));
}

}  // namespace

#include "PowerOffBus_test.moc"
