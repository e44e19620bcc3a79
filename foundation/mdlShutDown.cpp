// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/mdlShutDown.h"

#include "foundation/FrmTurnOff.h"
#include "platform/PowerOff.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>

#include <cstring>

namespace {

std::optional<NumberedError> g_lastError;

void record(long number, const QString& description)
{
    g_lastError.emplace(number, description, ShutDownErrorSource());
}

}  // namespace

QString ShutDownErrorSource()
{
    QString program = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    if (program.isEmpty())
        program = QStringLiteral("quillmere");
    return program + QStringLiteral(".mShutDown");
}

std::optional<NumberedError> ShutDownError() { return g_lastError; }

void ClearShutDownError() { g_lastError.reset(); }

QString GetApiErrorText(long lCode)
{
    if (lCode == 0)
        return {};
    return QString::fromLocal8Bit(std::strerror(static_cast<int>(lCode)));
}

bool IsWindowsNT() { return true; }

void EnableShutdownPrivilege(std::function<void(bool)> answered)
{
    platform::power().canPowerOff([answered](const platform::PowerAnswer& answer) {
        switch (answer.status) {
        case platform::PowerAnswer::Ok:
            return answered(true);
        case platform::PowerAnswer::Unavailable:
            record(ERR_NO_PRIVILEGE_VALUE, QStringLiteral("Can't enable shutdown: Can't find the SE_SHUTDOWN_NAME privilege value. [")
                                               + answer.text + QLatin1Char(']'));
            break;
        case platform::PowerAnswer::Denied:
        case platform::PowerAnswer::Forbidden:
            record(ERR_NO_PRIVILEGE, QStringLiteral("Can't enable shutdown: You do not have the privileges to ")
                                         + QStringLiteral("shutdown this system. [") + answer.text + QLatin1Char(']'));
            break;
        }
        answered(false);
    });
}

void ShutdownSystem(long lFlags, std::function<void(bool)> answered)
{
    const auto fail = [answered](long number, const QString& description) {
        record(number, description);
        answered(false);
    };
    if (lFlags < 0 || lFlags > 31) {
        const QString description = QStringLiteral("Invalid parameter to ShutdownSystem: ") + QString::number(lFlags);
        QTimer::singleShot(0, QCoreApplication::instance(), [fail, description] { fail(ERR_INVALID_SHUTDOWN_FLAGS, description); });
        return;
    }
    const auto request = [lFlags, answered, fail](bool enabled) {
        if (!enabled)
            return answered(false);
        const auto done = [answered, fail](const platform::PowerAnswer& answer) {
            if (answer.ok())
                return answered(true);
            fail(ERR_SHUTDOWN_FAILED, QStringLiteral("ShutdownSystem failed: ") + answer.text);
        };
        if (lFlags & EWX_REBOOT)
            platform::power().reboot(done);
        else if (lFlags & (EWX_SHUTDOWN | EWX_POWEROFF))
            platform::power().powerOff(done);
        else
            QTimer::singleShot(0, QCoreApplication::instance(), [fail] {
                fail(ERR_SHUTDOWN_FAILED, QStringLiteral("ShutdownSystem failed: Logging off is not offered."));
            });
    };
    if (IsWindowsNT())
        EnableShutdownPrivilege(request);
    else
        QTimer::singleShot(0, QCoreApplication::instance(), [request] { request(true); });
}

void ShowTurnOffDialog(long lSeconds)
{
    QPointer<FrmTurnOff> form = g_frmTurnOff.get();
    form->StartShutDown(lSeconds);
    // A count-down from 0 has already shut down and closed the window.
    if (form && g_frmTurnOff.loaded() == form.data())
        form->exec();
}
