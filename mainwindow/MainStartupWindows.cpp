// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "mainwindow/MainStartupWindows.h"

#include "batchtools/FrmJoiner.h"

#include "mainwindow/FrmMain.h"
#include "settings/FrmAudioProp.h"
#include "settings/FrmOptions.h"


void MainStartupWindows::LoadOptions() { frmOptions.get(); }
void MainStartupWindows::LoadAudioProp() { g_frmAudioProp.get(); }
void MainStartupWindows::LoadMain()
{
    // The tool windows the main window's commands open.
    RegisterJoinerWindow();
    frmMain.get();
}
void MainStartupWindows::ShowMain() { frmMain->show(); }

void MainStartupWindows::ShowMainInTray()
{
    frmMain->SetTrayOpenCaption(QStringLiteral("Show"));
    frmMain->show();
    frmMain->setWindowState(frmMain->windowState() | Qt::WindowMinimized);
    frmMain->hide();
    frmMain->m_bInTray = true;
}

void MainStartupWindows::ShowMainMinimised()
{
    frmMain->show();
    frmMain->setWindowState(frmMain->windowState() | Qt::WindowMinimized);
}

void MainStartupWindows::RunStartupSwitches(const QString& commandLine)
{
    if (FrmMain* main = frmMain.loaded())
        main->RunStartupSwitches(commandLine);
}
