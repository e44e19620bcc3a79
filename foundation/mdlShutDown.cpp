// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/mdlShutDown.h"

#include "foundation/FrmTurnOff.h"
#include "platform/PowerOff.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>

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

bool EnableShutdownPrivilege()
{
    const platform::PowerAnswer answer = platform::power().canPowerOff();
    switch (answer.status) {
    case platform::PowerAnswer::Ok:
        return true;
    case platform::PowerAnswer::Unavailable:
        record(ERR_NO_PRIVILEGE_VALUE,
               QStringLiteral("Can't enable shutdown: Can't find the SE_SHUTDOWN_NAME privilege value. [") + answer.text
                   + QLatin1Char(']'));
        return false;
    case platform::PowerAnswer::Denied:
    case platform::PowerAnswer::Forbidden:
        record(ERR_NO_PRIVILEGE, QStringLiteral("Can't enable shutdown: You do not have the privileges to ")
                                     + QStringLiteral("shutdown this system. [") + answer.text + QLatin1Char(']'));
        return false;
    }
    return false;
}

bool ShutdownSystem(long lFlags)
{
    if (lFlags < 0 || lFlags > 31) {
        record(ERR_INVALID_SHUTDOWN_FLAGS, QStringLiteral("Invalid parameter to ShutdownSystem: ") + QString::number(lFlags));
        return false;
    }
    if (IsWindowsNT() && !EnableShutdownPrivilege())
        return false;
    platform::PowerAnswer answer;
    if (lFlags & EWX_REBOOT)
        answer = platform::power().reboot();
    else if (lFlags & (EWX_SHUTDOWN | EWX_POWEROFF))
        answer = platform::power().powerOff();
    else
        answer = {platform::PowerAnswer::Unavailable, QStringLiteral("Logging off is not offered.")};
    if (answer.ok())
        return true;
    record(ERR_SHUTDOWN_FAILED, QStringLiteral("ShutdownSystem failed: ") + answer.text);
    return false;
}

void ShowTurnOffDialog(long lSeconds)
{
    QPointer<FrmTurnOff> form = g_frmTurnOff.get();
    form->StartShutDown(lSeconds);
    // A count-down from 0 has already shut down and closed the window.
    if (form && g_frmTurnOff.loaded() == form.data())
        form->exec();
}
