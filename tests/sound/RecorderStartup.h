// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "foundation/mdlModes.h"
#include "mainwindow/MainStartupWindows.h"

// The program's own start-up windows, with the recorder switched on in the product profile
// (off in this build) once start-up has set the profile and before the menus are made.
class RecorderProfileStartup final : public StartupWindows {
public:
    void LoadOptions() override { real.LoadOptions(); }
    void LoadAudioProp() override { real.LoadAudioProp(); }
    void LoadMain() override
    {
        g_lAppIncMicRec = 1;
        real.LoadMain();
    }
    void ShowMain() override { real.ShowMain(); }
    void ShowMainInTray() override { real.ShowMainInTray(); }
    void ShowMainMinimised() override { real.ShowMainMinimised(); }
    void RunStartupSwitches(const QString& commandLine) override { real.RunStartupSwitches(commandLine); }

private:
    MainStartupWindows real;
};
