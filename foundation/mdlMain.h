// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QString>
#include <QStringList>

// What start-up needs of the three windows that live until exit. The window library provides
// the real one; tests pass a recorder.
class StartupWindows {
public:
    virtual ~StartupWindows() = default;
    virtual void LoadOptions() = 0;    // frmOptions, loaded hidden
    virtual void LoadAudioProp() = 0;  // g_frmAudioProp, loaded hidden
    virtual void LoadMain() = 0;       // frmMain, loaded hidden
    virtual void ShowMain() = 0;
    // "-st": the tray item "RC Open" captioned "Show", the window shown, minimised and hidden.
    virtual void ShowMainInTray() = 0;
    // "-st" on a desktop without a notification area: minimised but still on the task bar.
    virtual void ShowMainMinimised() = 0;
    // Once the main window has been shown or hidden: the start-up switches of the whole command
    // line, lower-cased ("-addfiles", "-addaudiocd"; anything else does nothing).
    virtual void RunStartupSwitches(const QString& commandLine) {}
};

inline bool g_bSplashShown = false;

// The arguments after the program name exactly as the process got them. Call it before the
// QApplication is made: that removes the toolkit's own switches from argv.
QStringList RawArguments(int argc, char** argv);
// The whole command line after the program name, as one text.
QString CommandLineText(const QStringList& arguments);
// True when the command line asks for the start in the tray: exactly "-st".
bool IsTrayStart(const QString& commandLine);

// Start-up. Returns false when the program must end at once (settings key missing, or a
// window failed to load); the reason has been shown.
bool Main(StartupWindows& windows, const QStringList& arguments);
void SetSplashStatus(const QString& text);
// Sets damaged settings files aside (platform::setAsideDamagedSettings) and says so in one
// message, with the paths of the copies; nothing when every file is sound. Run by Main once the
// main window is up.
void TellDamagedSettings();
// After this no crash report is produced for the process.
void SuppressErrorDialogs();
