// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

class cPopupMenu;
class cToolbar;

// The main window's command table and toolbars, built from the product profile (read at the
// moment of the call). The menu object must be empty; the toolbars must have their image list.

// Every top-level item and group, in order; the pop-up-only groups are made not visible.
void BuildMainMenus(cPopupMenu& menu);

void BuildTopToolbar(cToolbar& tlbrTop);
void BuildProjectsToolbar(cToolbar& tlbrProjects);
void BuildListToolbar(cToolbar& tlbrList);
void BuildPlayToolbar(cToolbar& tlbrPlayButtons);
// The tools toolbar; returns the host width (twips) grown by each element added.
int BuildToolsToolbar(cToolbar& tlbrRecorder, int hostWidth);
