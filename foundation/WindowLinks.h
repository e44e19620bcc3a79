// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QColor>
#include <QIcon>

#include <functional>

// What the small windows of this library (turn-off, notes, file copy, about) need from the
// windows built above it: the options' colours, the main window's image list, status panel and
// unloading. Start-up sets these once the main window has loaded (MainStartupWindows); tests of
// this library alone set recorders. A hook left empty does nothing, or gives the default named
// below. GUI thread only.

struct AppColours {
    QColor appColour;        // picColor: title strips, progress bars
    QColor titleTextColour;  // picTextColor: title texts
};

// The program's colours; unset: the window keeps its palette.
inline std::function<AppColours()> g_appColoursLink;
// Unloads the main window, which ends the program (its exit question may keep it open).
inline std::function<void()> g_unloadMainLink;
// Refreshes the main window's status panel keyed "Notes" from the notes file.
inline std::function<void()> g_notesChangedLink;
// An image of the main window's shared menu image list, by the index the menus use; unset or
// out of range: no icon.
inline std::function<QIcon(int)> g_menuImageLink;
