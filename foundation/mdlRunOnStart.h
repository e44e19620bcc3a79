// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QString>

// The per-user "start at log-on" value, named after the product under
// HKEY_CURRENT_USER "SOFTWARE\Microsoft\Windows\CurrentVersion\Run". It is mirrored as an XDG
// autostart entry ($XDG_CONFIG_HOME/autostart/quillmere.desktop), which is what the desktop reads.
void SetRunOnStartup(bool bRun);
bool IsRunOnStartup();

// The value's data: quote, program folder, "/", executable name, quote, " -st".
QString RunOnStartupCommand();
QString AutostartEntryPath();

// Where the running executable lives; tests may point it elsewhere.
QString ProgramExecutablePath();
void SetProgramExecutablePathForTests(const QString& path);
