// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QIcon>
#include <QString>

class cImageList;

// The main window's image lists, filled at the indexes the menus, toolbars, panels and grids
// use. Pictures come from the freely licensed Breeze icon theme installed with the program
// (looked up by name in its folders, so the desktop's own theme does not change our look);
// the grid's mark boxes are drawn here. A name the theme lacks gets a drawn stand-in.
void FillMenuImages(cImageList& imgMenu);        // 16 x 16, indexes 0..83
void FillGridImages(cImageList& imgGrid);        // 16 x 16: 0 unmarked, 1 marked, 3 audio, 4 data track
void FillPlayerImages(cImageList& imgPlayer);    // 24 x 24: 0 play, 1 pause, 2 stop
void FillGeneralImages(cImageList& imgGeneral);  // 24 x 24: the tools toolbar, indexes 19..29

// An icon of the Breeze theme by name; null when the theme does not have it.
QIcon BreezeIcon(const QString& name);
