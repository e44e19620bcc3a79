// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "cdtools/CDToolMembers.h"

#include "batchtools/BatchToolRules.h"
#include "batchtools/BatchToolWindow.h"
#include "components/cGrid.h"
#include "settings/FrmOptions.h"
#include "settings/ProgramOptions.h"
#include "settings/controls/cTabControl.h"

#include <QCheckBox>
#include <QPushButton>

namespace CDToolMembers {

void InitGrid(cGrid* grid) { BatchToolWindow::InitGrid(grid, BatchToolWindow::GridIcons::Items); }

void HideTabPanels(const CDToolControls& c)
{
    for (QWidget* panel : {c.TabSettings, c.TabEvents, c.TabLog})
        if (panel)
            panel->setVisible(false);
}

void TabClick(const CDToolControls& c)
{
    HideTabPanels(c);
    if (!c.cTabControl1)
        return;
    const QString key = c.cTabControl1->SelectedKey();
    QWidget* panel = key == QLatin1String("Settings") ? c.TabSettings
                     : key == QLatin1String("Events") ? c.TabEvents
                     : key == QLatin1String("Log")    ? c.TabLog
                                                      : nullptr;
    if (panel)
        panel->setVisible(true);
}

void LoadEventChecks(const CDToolControls& c)
{
    const std::pair<QCheckBox*, bool> boxes[] = {{c.chkNoticeApp, ProgramOptions.chkNoticeApp},
                                                 {c.chkOpenDestFolder, ProgramOptions.chkOpenDestFolder},
                                                 {c.chkPlaySound, ProgramOptions.chkPlaySound},
                                                 {c.chkTurnOffComputer, ProgramOptions.chkTurnOffComputer}};
    for (const auto& [box, option] : boxes)
        if (box)
            box->setChecked(BatchTool::OptionToCheckValue(option) == 1);
}

void EventsSettings(const CDToolControls& c)
{
    FrmOptions* options = frmOptions.get();
    options->OpenPage(QStringLiteral("Events"));
    options->exec();
    LoadEventChecks(c);
}

bool RefuseClose(const CDToolControls& c) { return !c.cmdConvert || !c.cmdConvert->isEnabled(); }

}  // namespace CDToolMembers
