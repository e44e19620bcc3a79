// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QIcon>
#include <QString>

class QWidget;

// Window-manager operations every window uses. GUI thread; no state between calls.

// Keeps the window above all others (True) or releases it. Making a window topmost also shows
// it without activating it; releasing leaves a hidden window hidden (a window parked in the
// tray must not come back because a dialog released its topmost state).
void SetTopMost(QWidget* window, bool bTopMost);

// 0 done, 1 alpha outside 0..255 (nothing done), 2 a step failed (no window).
long SetTranslucency(QWidget* window, int alpha);
long ClearTranslucency(QWidget* window);
// Whether the window is layered (translucency set and not cleared) and its current alpha.
bool IsLayered(const QWidget* window);
int LayeredAlpha(const QWidget* window);

// Window icons from the program's icon resources; names match without regard to case. An
// unknown name sets the null icon, so the desktop's default shows.
void SetFormIcon(QWidget* window, const QString& resourceName, bool bSetOnOwner);
QIcon LoadIconResource(const QString& resourceName);

void GetMousePosition(long& x, long& y);
