// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/mdlRunOnStart.h"

#include "foundation/RegistryRoutines.h"
#include "foundation/mdlFileSystem.h"
#include "foundation/mdlModes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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

// The program as an Exec= value of a desktop entry. Three layers of escaping apply, innermost
// first: the argument in double quotes with ", `, $ and \ escaped by a backslash; "%" doubled,
// since a lone one starts a field code; then the general string escapes of the file, which turn
// every backslash into two (so a literal backslash in the path is written as four).
QString desktopExecValue(const QString& program)
{
    QString quoted;
    for (const QChar c : program) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        if (c == QLatin1Char('%'))
            quoted += QLatin1Char('%');
        quoted += c;
    }
    quoted = QLatin1Char('"') + quoted + QLatin1Char('"');
    QString value;
    for (const QChar c : quoted) {
        if (c == QLatin1Char('\\'))
            value += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            value += QStringLiteral("\\n");
        else if (c == QLatin1Char('\t'))
            value += QStringLiteral("\\t");
        else if (c == QLatin1Char('\r'))
            value += QStringLiteral("\\r");
        else
            value += c;
    }
    return value;
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
        const QString text = QStringLiteral("[Desktop Entry]\nType=Application\nName=") + g_sAppName
            + QStringLiteral("\nExec=") + desktopExecValue(exe.absoluteFilePath())
            + QStringLiteral(" -st\nX-GNOME-Autostart-enabled=true\nTerminal=false\n");
        WriteFileAtomically(entry, text.toUtf8());
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
