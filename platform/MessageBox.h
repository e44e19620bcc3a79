// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QString>

class QWidget;

namespace platform {

// Button and icon flags, and answers, in the numbering the windows' code uses.
enum MsgBoxStyle : int {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
    vbDefaultButton2 = 256,
    vbDefaultButton3 = 512,
};
enum MsgBoxResult : int { vbOK = 1, vbCancel = 2, vbAbort = 3, vbRetry = 4, vbIgnore = 5, vbYes = 6, vbNo = 7 };

struct MessageBoxRequest {
    QString prompt;
    int style = vbOKOnly;
    QString title;  // already resolved: never empty
};

// Shows message boxes. The real one is a modal QMessageBox; tests install a fake that answers
// from a script and records what was shown.
class MessageBoxService {
public:
    virtual ~MessageBoxService() = default;
    virtual int show(const MessageBoxRequest& request, QWidget* parent) = 0;
};

MessageBoxService& messageBoxService();
// nullptr puts the real service back. The caller keeps ownership.
void setMessageBoxService(MessageBoxService* service);

// The application title: what a message box without its own title shows.
void setAppTitle(const QString& title);
QString appTitle();

// The least width of a real message box: room for its title and the title bar's buttons.
int MessageBoxTitleWidth(const QString& title);

// A message box: answers with one of MsgBoxResult. An empty title means the application title.
int MsgBox(const QString& prompt, int style = vbOKOnly, const QString& title = {}, QWidget* parent = nullptr);

}  // namespace platform
