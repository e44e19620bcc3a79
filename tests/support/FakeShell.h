// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "platform/Shell.h"

#include <QList>

// Records what would have been opened or started, and answers with `result`. Installs itself
// on construction and puts the real service back when destroyed.
class FakeShell : public platform::ShellService {
public:
    FakeShell();
    ~FakeShell() override;

    bool open(const QString& target) override;
    bool startProgram(const QString& program, const QStringList& arguments, const QString& workingFolder) override;

    struct Started {
        QString program;
        QStringList arguments;
        QString workingFolder;
    };
    QStringList opened;
    QList<Started> started;
    bool result = true;
};
