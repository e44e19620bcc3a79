// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// What the recording, editing and speech windows share: the skin of the product profile and
// the options, and the hand-over of a produced file to the open items list. GUI thread.

#include <QString>

#include <cstdint>

class QFrame;
class QLabel;
class QWidget;

namespace recording {

void SetBackColor(QWidget* w, int32_t bgr);
// The profile's back colour, when it is a number, on every widget given.
void ApplyAppBackColor(std::initializer_list<QWidget*> widgets);
// A picture file of the program's "View" folder as the widget's background; false when the
// name is empty or the file cannot be read.
bool ApplyViewPicture(QWidget* w, const QString& name);
// The fixed-size frame of the recorder and speech windows: caption, close box only, the small
// UI font and the title strip across the top (made into picTitle and lblTitle).
void SetUpFixedWindow(QWidget* w, const QString& title, int widthTw, int heightTw, QFrame** picTitle,
                      QLabel** lblTitle);
// The title strip in the options' colours.
void ApplyTitleColors(QFrame* picTitle, QLabel* lblTitle);

// The file as one new row of the main items grid through the add-files window (loaded and
// unloaded around the call). Nothing happens without a main window.
void AddFileToMainList(const QString& path);

// Every row of the main items grid that holds the file at `path` (the same file under any name)
// shows its length and size again as they are now, after the file was written over.
void RefreshMainListRows(const QString& path);

// "The file:" + name + " was not found." / " is empty." for a missing file or one of 64 bytes
// or less, shown with the program's title; true when the file passes.
bool CheckProducedFile(const QString& name, QWidget* owner);

}  // namespace recording
