// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

class QCheckBox;
class QPushButton;
class QWidget;
class cGrid;
class cTabControl;

// The frame the CD tool windows (the ripper, the duplicator) share: their grid of tracks, the
// three keyed tabs, the events link and the close guard. Each window hands its own controls
// in; the members act on nothing else. GUI thread.
struct CDToolControls {
    cTabControl* cTabControl1 = nullptr;
    QWidget* TabSettings = nullptr;
    QWidget* TabEvents = nullptr;
    QWidget* TabLog = nullptr;
    QCheckBox* chkNoticeApp = nullptr;
    QCheckBox* chkOpenDestFolder = nullptr;
    QCheckBox* chkPlaySound = nullptr;
    QCheckBox* chkTurnOffComputer = nullptr;
    QPushButton* cmdConvert = nullptr;  // disabled exactly while the window's task runs
};

namespace CDToolMembers {

// The grid as a copy of the main items grid: the batch tool grid's columns, with the main
// grid's own icons (marks, audio and data track types) so copied rows show as they did there.
void InitGrid(cGrid* grid);

void HideTabPanels(const CDToolControls& c);
// Shows the panel of the selected tab's key ("Settings", "Events", "Log"); another key shows
// none.
void TabClick(const CDToolControls& c);

// The four event boxes from the options.
void LoadEventChecks(const CDToolControls& c);
// "Events Options...": the options window on its events page, then the four boxes from the
// options again, whether the user confirmed or cancelled.
void EventsSettings(const CDToolControls& c);

// The close guard: true while the task runs, or when the window's task state cannot be read.
bool RefuseClose(const CDToolControls& c);

}  // namespace CDToolMembers
