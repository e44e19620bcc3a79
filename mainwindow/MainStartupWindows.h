// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "foundation/mdlMain.h"

// Start-up's view of the real long-lived windows.
class MainStartupWindows final : public StartupWindows {
public:
    void LoadOptions() override;
    void LoadAudioProp() override;
    void LoadMain() override;
    void ShowMain() override;
    void ShowMainInTray() override;
    void ShowMainMinimised() override;
    void RunStartupSwitches(const QString& commandLine) override;
};
