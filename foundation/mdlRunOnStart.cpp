// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/mdlRunOnStart.h"

#include "foundation/RegistryRoutines.h"
#include "foundation/mdlModes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

const QString kRunKey = QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run");
QString g_exeOverride;

RegistryRoutines runKey()
{
    RegistryRoutines reg;
    reg.hkey(platform::HKEY_CURRENT_USER);
    reg.KeyRoot(kRunKey);
    reg.Subkey(QString());
    return reg;
}

// Desktop-entry quoting: the argument in double quotes with ", `, $ and \ escaped.
QString desktopQuoted(const QString& arg)
{
    QString out;
    for (const QChar c : arg) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            out += QLatin1Char('\\');
        out += c;
    }
    return QLatin1Char('"') + out + QLatin1Char('"');
}

}  // namespace

QString ProgramExecutablePath()
{
    if (!g_exeOverride.isEmpty())
        return g_exeOverride;
    return QCoreApplication::applicationFilePath();
}

void SetProgramExecutablePathForTests(const QString& path) { g_exeOverride = path; }

QString RunOnStartupCommand()
{
    const QFileInfo exe(ProgramExecutablePath());
    return QLatin1Char('"') + exe.absolutePath() + QLatin1Char('/') + exe.completeBaseName() + QStringLiteral("\" -st");
}

QString AutostartEntryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/autostart/quillmere.desktop");
}

void SetRunOnStartup(bool bRun)
{
    RegistryRoutines reg = runKey();
    const QString entry = AutostartEntryPath();
    if (bRun) {
        // The Run key is ours to keep on this platform: make it if the hive lacks it.
        if (!reg.KeyExists())
            reg.CreateKey(QString());
        reg.SetRegistryValue(g_sAppName, RunOnStartupCommand(), platform::REG_SZ);
        const QFileInfo exe(ProgramExecutablePath());
        QDir().mkpath(QFileInfo(entry).absolutePath());
        QSaveFile f(entry);
        if (f.open(QIODevice::WriteOnly)) {
            const QString text = QStringLiteral("[Desktop Entry]\nType=Application\nName=") + g_sAppName
                + QStringLiteral("\nExec=") + desktopQuoted(exe.absolutePath() + QLatin1Char('/') + exe.completeBaseName())
                + QStringLiteral(" -st\nX-GNOME-Autostart-enabled=true\nTerminal=false\n");
            f.write(text.toUtf8());
            f.commit();
        }
    } else {
        reg.DeleteValue(g_sAppName);
        QFile::remove(entry);
    }
}

bool IsRunOnStartup()
{
    const QVariant v = runKey().GetRegistryValue(g_sAppName);
    return v.typeId() == QMetaType::QString && v.toString() == RunOnStartupCommand();
}
