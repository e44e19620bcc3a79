// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "mainwindow/FrmMain.h"
#include "mainwindow/cPopupMenu.h"

void FrmMain::RunStartupSwitches(const QString& sCommandLine)
{
    // Only a command line that is exactly one switch counts.
    if (sCommandLine == QLatin1String("-addfiles"))
        m_cMenu_Click(m_cMenu->MenuIndexOfKey(QStringLiteral("Add Files")));
    else if (sCommandLine == QLatin1String("-addaudiocd"))
        SelectFirstAudioCD();
}
