// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "platform/FileDialogs.h"

#include "platform/MessageBox.h"

#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QWidget>

namespace platform {
namespace {

QString startFolder(const QString& folder)
{
    return folder.isEmpty() ? QDir::homePath() : folder;
}

class QtFileDialogs final : public FileDialogService {
public:
    std::optional<QStringList> openFiles(const FileDialogRequest& request, QWidget* parent) override
    {
        QFileDialog dialog(parent, request.title, startFolder(request.initialFolder), request.filter);
        dialog.setOption(QFileDialog::HideNameFilterDetails);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(request.multiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles();
    }

    std::optional<QString> saveFile(const FileDialogRequest& request, QWidget* parent) override
    {
        QFileDialog dialog(parent, request.title, startFolder(request.initialFolder), request.filter);
        dialog.setOption(QFileDialog::HideNameFilterDetails);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
        if (!request.defaultSuffix.isEmpty())
            dialog.setDefaultSuffix(request.defaultSuffix);
        if (!request.defaultName.isEmpty())
            dialog.selectFile(request.defaultName);
        for (;;) {
            if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
                return std::nullopt;
            const QString chosen = dialog.selectedFiles().constFirst();
            // The dialog asks only about names that lead to a file; a symbolic link that leads
            // nowhere is replaced all the same, so it is asked about as a file is.
            const QFileInfo info(chosen);
            if (!request.confirmOverwrite || !info.isSymLink() || info.exists())
                return chosen;
            if (MsgBox(info.fileName() + QStringLiteral(" already exists.\nDo you want to replace it?"),
                       vbYesNo | vbExclamation, request.title, &dialog) == vbYes)
                return chosen;
        }
    }

    std::optional<QString> browseFolder(const FileDialogRequest& request, QWidget* parent) override
    {
        QFileDialog dialog(parent, request.title, startFolder(request.initialFolder));
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly, !request.includeFiles);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        QString folder = dialog.selectedFiles().constFirst();
        while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
            folder.chop(1);
        return folder;
    }

    std::optional<QColor> chooseColor(ColorDialogRequest& request, QWidget* parent) override
    {
        // Qt keeps custom colours process-wide; load ours before and read them back after.
        for (int i = 0; i < request.customColours.size() && i < QColorDialog::customCount(); ++i)
            QColorDialog::setCustomColor(i, request.customColours.at(i));
        // Without an owner Qt centres the dialog on the screen, as asked.
        QColorDialog dialog(request.initial, request.centreOverOwner ? parent : nullptr);
        const bool accepted = dialog.exec() == QDialog::Accepted;
        for (int i = 0; i < request.customColours.size() && i < QColorDialog::customCount(); ++i)
            request.customColours[i] = QColorDialog::customColor(i);
        if (!accepted)
            return std::nullopt;
        return dialog.selectedColor();
    }
};

QtFileDialogs g_real;
FileDialogService* g_current = nullptr;

}  // namespace

FileDialogService& fileDialogs()
{
    return g_current ? *g_current : g_real;
}

void setFileDialogService(FileDialogService* service)
{
    g_current = service;
}

}  // namespace platform
