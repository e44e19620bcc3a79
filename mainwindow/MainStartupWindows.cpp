// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "mainwindow/MainStartupWindows.h"

#include "batchtools/FrmConverter.h"
#include "batchtools/FrmJoiner.h"
#include "recording/RecordingWindows.h"
#include "cdtools/FrmFreeDB.h"
#include "cdtools/FrmCDBurner.h"
#include "cdtools/FrmCDRipper.h"
#include "cdtools/FrmDataBurner3.h"
#include "cdtools/FrmAudioCDDuplicator.h"
#include "batchtools/FrmSplitter.h"
#include "batchtools/FrmACMConverter.h"
#include "foundation/WindowLinks.h"
#include "mainwindow/FrmMain.h"
#include "mainwindow/MainWindowRules.h"
#include "mainwindow/cStatusBar.h"
#include "settings/FrmAudioProp.h"
#include "settings/FrmOptions.h"
#include "settings/ProgramOptions.h"

namespace {

// What the small windows of the foundation reach through WindowLinks.h. Each link reads the
// state of the moment, so option changes made later show in the next window opened.
void LinkSmallWindows()
{
    g_appColoursLink = [] { return AppColours{ColorFromBgr(ProgramOptions.picColor), ColorFromBgr(ProgramOptions.picTextColor)}; };
    g_unloadMainLink = [] {
        // Closing runs the main window's own unloading, exit question included; the program
        // ends when it completes.
        if (frmMain.isLoaded())
            frmMain->close();
    };
    g_notesChangedLink = [] {
        if (frmMain.isLoaded())
            frmMain->cStatusBar1->StatusPanelText(QStringLiteral("Notes"), frmMain->GetNotesToStatus());
    };
    g_menuImageLink = [](int index) { return frmMain.isLoaded() ? frmMain->imgMenu.Icon(index) : QIcon(); };
}

}  // namespace


void MainStartupWindows::LoadOptions() { frmOptions.get(); }
void MainStartupWindows::LoadAudioProp() { g_frmAudioProp.get(); }
void MainStartupWindows::LoadMain()
{
    // The tool windows the main window's commands open.
    RegisterJoinerWindow();
    RegisterConverterWindow();
    RegisterRecordingWindows();
    RegisterFreeDBWindow();
    RegisterCDBurnerWindow();
    RegisterSplitterWindow();
    RegisterACMConverterWindow();
    RegisterCDRipperWindow();
    RegisterDataBurnerWindow();
    RegisterAudioCDDuplicatorWindow();
    frmMain.get();
    LinkSmallWindows();
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
    // Minimised before it is shown, so that the desktop maps it minimised; minimising a window
    // the desktop has not yet taken on may be ignored.
    frmMain->setWindowState(frmMain->windowState() | Qt::WindowMinimized);
    frmMain->show();
}

void MainStartupWindows::RunStartupSwitches(const QString& commandLine)
{
    if (FrmMain* main = frmMain.loaded())
        main->RunStartupSwitches(commandLine);
}
