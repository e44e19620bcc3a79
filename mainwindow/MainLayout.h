// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QSize>
#include <QVariant>

// The main window's panes are placed by code, in twips, from the window's outer size and the
// display options. These functions hold that arithmetic without any widget, so it is tested
// headless; the window applies the result to its controls.

struct PaneGeometry {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool visible = true;
};

struct MainLayout {
    PaneGeometry picTitle;
    PaneGeometry cToolbarHost1;
    PaneGeometry picTitleProject;
    PaneGeometry cTreeView1;
    PaneGeometry froTreeControl;
    PaneGeometry picResizer;
    PaneGeometry picTitleList;
    PaneGeometry cGrid1;
    PaneGeometry picEmptyMsg;
    PaneGeometry cGridInfo;
    PaneGeometry picPlayer;
    PaneGeometry picList;
    PaneGeometry froControl;
    PaneGeometry cSlider1;
    int tlbrListHeight = 390;       // height of the list toolbar inside picList
    int statusBarHeight = 375;      // docked; never placed by the layout
    bool audioGraphsVisible = true;
};

struct LayoutInputs {
    int windowWidth = 0;   // outer size, twips
    int windowHeight = 0;
    bool minimised = false;
    bool chkDisplayTitle = true;
    bool chkDisplayPlayer = true;
    bool chkDisplayAudioGraph = true;
    long treeRestore = 0;  // the product profile's tree flag
};

// The panes as the window creates them, before any layout.
MainLayout InitialMainLayout();

// One layout pass. A step whose result would be a negative size is skipped and the pane keeps
// what it had; every other step still runs. Returns false when nothing was laid out
// (minimised window).
bool LayOutMainWindow(MainLayout& layout, const LayoutInputs& in);

// The splitter: the tree's new width after a drop on the tree or on the grid, X in twips
// relative to the control dropped on.
int TreeWidthAfterTreeDrop(int treeLeft, double x);
int TreeWidthAfterGridDrop(int treeLeft, double x, int treeWidth);

// Defaults and fallbacks of the stored window size ("lWidth", "lHeight"); the arguments are
// the stored values as read (invalid when missing). Result in twips.
QSize RestoredWindowSize(const QVariant& storedWidth, const QVariant& storedHeight);
// A restored outer size (twips) made to fit the screen's free area (pixels; empty when unknown),
// so that no stored size opens a window whose title bar or edges lie beyond the screen.
QSize FitWindowSize(QSize twips, QSize availablePixels);
