// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <cstdint>

// What the settings windows change on the main window. The real link forwards to frmMain when
// it is loaded (and does nothing before); tests install a recorder. Colours are 0x00BBGGRR.
class MainWindowLink {
public:
    virtual ~MainWindowLink() = default;
    // The lists folder changed: rebuild the tree and open the first items list of the new
    // folder, as after the tree is built at start.
    virtual void ListsFolderChanged() = 0;
    // Lay the window out again by the display options.
    virtual void Relayout() = 0;
    virtual void SetGridHotTrack(bool on) = 0;
    virtual void SetGridLines(bool on) = 0;
    virtual void SetTitleBackColor(int32_t color) = 0;
    virtual void SetTitleTextColor(int32_t color) = 0;
    // GraphColor1 (which 1) or GraphColor2 (which 2) of both audio graphs.
    virtual void SetGraphColor(int which, int32_t color) = 0;
};

MainWindowLink& mainWindowLink();
// nullptr puts the real link back. The caller keeps ownership.
void setMainWindowLink(MainWindowLink* link);
