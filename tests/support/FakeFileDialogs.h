// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "platform/FileDialogs.h"

#include <QList>
#include <QQueue>

#include <optional>

// Answers file, folder and colour dialogs from scripts, one queue per kind of dialog; a dialog
// with nothing scripted is cancelled. Records every request. Installs itself on construction
// and puts the real service back when destroyed.
class FakeFileDialogs : public platform::FileDialogService {
public:
    FakeFileDialogs();
    ~FakeFileDialogs() override;

    std::optional<QStringList> openFiles(const platform::FileDialogRequest& request, QWidget* parent) override;
    std::optional<QString> saveFile(const platform::FileDialogRequest& request, QWidget* parent) override;
    std::optional<QString> browseFolder(const platform::FileDialogRequest& request, QWidget* parent) override;
    std::optional<QColor> chooseColor(platform::ColorDialogRequest& request, QWidget* parent) override;

    // Full paths, in the order the dialog would list them.
    void chooseFiles(const QStringList& paths) { m_open.enqueue(paths); }
    void cancelOpen() { m_open.enqueue(std::nullopt); }
    void saveAs(const QString& path) { m_save.enqueue(path); }
    void cancelSave() { m_save.enqueue(std::nullopt); }
    void chooseFolder(const QString& folder) { m_folder.enqueue(folder); }
    void cancelFolder() { m_folder.enqueue(std::nullopt); }
    // Optionally with the custom colours the user leaves behind.
    void chooseColour(const QColor& colour, const QList<QColor>& customColoursAfter = {});
    void cancelColour() { m_colour.enqueue({std::nullopt, {}}); }

    QList<platform::FileDialogRequest> requests;           // open, save and folder, in order
    QList<platform::ColorDialogRequest> colourRequests;    // as the dialog was opened
    QList<QWidget*> parents;                               // owner of each request, all kinds

private:
    struct ColourAnswer {
        std::optional<QColor> colour;
        QList<QColor> customAfter;
    };
    QQueue<std::optional<QStringList>> m_open;
    QQueue<std::optional<QString>> m_save;
    QQueue<std::optional<QString>> m_folder;
    QQueue<ColourAnswer> m_colour;
};
