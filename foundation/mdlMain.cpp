// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/mdlMain.h"

#include "foundation/FrmSplash.h"
#include "foundation/NumberedError.h"
#include "foundation/RegistryRoutines.h"
#include "foundation/mdlModes.h"
#include "platform/Desktop.h"
#include "platform/MessageBox.h"
#include "platform/RegistryHive.h"

#include <QCoreApplication>

#include <exception>
#include <sys/resource.h>

QStringList RawArguments(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

QString CommandLineText(const QStringList& arguments) { return arguments.join(QLatin1Char(' ')); }

bool IsTrayStart(const QString& commandLine) { return commandLine == QLatin1String("-st"); }

void SetSplashStatus(const QString& text)
{
    if (!g_bSplashShown || !g_frmSplash.isLoaded())
        return;
    g_frmSplash->lblStat->setText(text);
    g_frmSplash->lblStat->repaint();
}

void SuppressErrorDialogs()
{
    const rlimit none{0, 0};
    setrlimit(RLIMIT_CORE, &none);
}

void TellDamagedSettings()
{
    const QList<platform::SetAsideSettings> damaged = platform::setAsideDamagedSettings();
    if (damaged.isEmpty())
        return;
    QString prompt;
    for (const platform::SetAsideSettings& d : damaged) {
        if (d.copy.isEmpty())
            prompt += QStringLiteral("The settings file '") + d.file +
                      QStringLiteral("' is damaged. The values that could be read from it are used as they are; no copy of "
                                     "it could be made and it was not repaired:\r\n") +
                      d.failure + QStringLiteral("\r\n\r\n");
        else
            prompt += QStringLiteral("The settings file '") + d.file + QStringLiteral("' was damaged. The values that could be read "
                                                                                     "from it are kept; the damaged file was set "
                                                                                     "aside as:\r\n") +
                      d.copy + QStringLiteral("\r\n\r\n");
    }
    prompt.chop(4);
    platform::MsgBox(prompt, platform::vbExclamation | platform::vbOKOnly);
}

bool Main(StartupWindows& windows, const QStringList& arguments)
{
    InitProductConfig();

    RegistryRoutines reg;
    reg.hkey(platform::HKEY_LOCAL_MACHINE);
    reg.KeyRoot(SettingsKeyRoot());
    reg.Subkey(QStringLiteral("General"));
    if (!reg.KeyExists()) {
        platform::MsgBox(QStringLiteral("This program cannot run, please reinstall the software or connect to the sofrware aurhor.")
                             + QStringLiteral("\r\n\r\n") + QStringLiteral("The main reistry key doesn't existed."),
                         platform::vbInformation | platform::vbOKOnly, g_sAppName);
        return false;
    }

    // The toolkit needs no separate initialisation of its controls.
    try {
        g_bSplashShown = true;
        FrmSplash* splash = g_frmSplash.get();
        splash->setWindowTitle(g_sAppName + QLatin1Char(' ') + g_sAppVersion);
        splash->show();
        splash->repaint();
        splash->FadeIn();

        SetSplashStatus(QStringLiteral("Loading options..."));
        windows.LoadOptions();
        SetSplashStatus(QStringLiteral("Loading audio properties..."));
        windows.LoadAudioProp();
        SetSplashStatus(QStringLiteral("Loading GUI..."));
        windows.LoadMain();

        if (g_bSplashShown && g_frmSplash.isLoaded()) {
            g_frmSplash->hide();
            g_frmSplash.unload();
        }

        if (IsTrayStart(CommandLineText(arguments))) {
            if (platform::desktop().isSystemTrayAvailable())
                windows.ShowMainInTray();
            else
                windows.ShowMainMinimised();
        } else {
            windows.ShowMain();
        }
        TellDamagedSettings();
        windows.RunStartupSwitches(CommandLineText(arguments).toLower());
    } catch (const std::exception& e) {
        // A window that failed to load ends the program with its error's number and text.
        g_frmSplash.unload();
        const auto* numbered = dynamic_cast<const NumberedError*>(&e);
        const long number = numbered ? numbered->number() : 51;  // 51: internal error
        platform::MsgBox(QString::fromUtf8(e.what()) + QStringLiteral(" (") + QString::number(number) + QLatin1Char(')'),
                         platform::vbCritical);
        return false;
    }
    return true;
}
