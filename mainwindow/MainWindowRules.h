// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QString>

// Rules of the main window that need no widget: the tray toggle, the notes summary, the type
// icons. The window wires them to its controls.

enum class MainWindowState { Normal, Minimised, Maximised };

// What a show/hide click on the tray icon does to the window.
struct TrayToggleResult {
    bool changes = false;  // false: leave everything as it is
    bool show = false;     // true: show and restore to normal; false: minimise and hide
    QString caption;       // the tray item "RC Open" afterwards
    bool inTray = false;
};
TrayToggleResult TrayToggle(MainWindowState state, bool inTray);

// The "Notes" panel text from the notes file's text (CR LF between lines); `exists` false
// when there is no notes file.
QString NotesStatusText(bool exists, const QString& text);

// The grid image index of a row's type word: "Audio" 3, "Data" 4, anything else 0.
void GetTypeIcon(const QString& sType, long& index);

// The colour of a stored option (0x00BBGGRR) as a Qt colour.
class QColor;
QColor ColorFromBgr(long bgr);
