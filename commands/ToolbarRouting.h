// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QString>

// Where a click on a main-window toolbar button goes, by the button's key (exact case): a
// command run by its key, the pop-up of a menu group (named by a key the group holds) under
// the button, or nothing. Fixed tables; the handlers of FrmMain act on them.
namespace ToolbarRouting {

enum class Action { None, Command, Popup };

struct Route {
    Action action = Action::None;
    QString target;  // the command key, or the key of an item of the group to pop up
};

// The top toolbar: click on a button (body of a drop-down button included) and on the arrow.
Route TopClick(const QString& buttonKey);
Route TopDropDown(const QString& buttonKey);
// The tools toolbar: the twelve tool keys run their command; nothing else does anything.
Route ToolsClick(const QString& buttonKey);
// The lists and list toolbars: every key runs the command of that key.
Route ListClick(const QString& buttonKey);

}  // namespace ToolbarRouting
