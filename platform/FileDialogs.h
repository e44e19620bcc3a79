// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

namespace platform {

// What a file or folder dialog is asked to show. Paths use "/".
struct FileDialogRequest {
    enum Kind { Open, Save, Folder };
    Kind kind = Open;
    QString title;
    // Qt form: "Audio (*.wav *.mp3);;All files (*)". The dialog shows each entry without its
    // last parentheses (the patterns), so a description is shown exactly as the caller wrote it.
    QString filter;
    QString initialFolder;  // an empty text means the home folder
    QString defaultName;    // save: proposed file name
    QString defaultSuffix;  // save: added when the typed name has no extension
    bool multiSelect = false;
    bool confirmOverwrite = true;  // save: ask before replacing an existing file
    bool includeFiles = false;     // folder: also list files
    bool centreOverOwner = true;
};

struct ColorDialogRequest {
    QColor initial;
    QList<QColor> customColours;  // 16 entries; the dialog may change them
    bool centreOverOwner = true;
};

// The modal file, folder and colour dialogs. The real one uses Qt's dialogs; tests install a
// fake that answers from a script and records each request. Every answer is std::nullopt when
// the user cancelled. GUI thread only.
class FileDialogService {
public:
    virtual ~FileDialogService() = default;
    // Full paths of the chosen files, in the dialog's order.
    virtual std::optional<QStringList> openFiles(const FileDialogRequest& request, QWidget* parent) = 0;
    // The full path to save to.
    virtual std::optional<QString> saveFile(const FileDialogRequest& request, QWidget* parent) = 0;
    // The chosen folder, without a trailing "/".
    virtual std::optional<QString> browseFolder(const FileDialogRequest& request, QWidget* parent) = 0;
    // The chosen colour; `request.customColours` holds the custom colours as the user left them.
    virtual std::optional<QColor> chooseColor(ColorDialogRequest& request, QWidget* parent) = 0;
};

FileDialogService& fileDialogs();
// nullptr puts the real service back. The caller keeps ownership.
void setFileDialogService(FileDialogService* service);

}  // namespace platform
