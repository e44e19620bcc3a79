// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// Opening documents, folders and web addresses with the desktop's associated program, and
// starting other programs. A program is always started directly with an argument list, never
// through a shell, so nothing in a user's text is interpreted. Tests install a fake that records.
class ShellService {
public:
    virtual ~ShellService() = default;
    // A local path (file or folder) or a URL with a scheme ("https://...", "mailto:...").
    virtual bool open(const QString& target) = 0;
    // Starts `program` with `arguments` detached from this process; false when it cannot start.
    virtual bool startProgram(const QString& program, const QStringList& arguments,
                              const QString& workingFolder = {}) = 0;
};

ShellService& shell();
// nullptr puts the real service back. The caller keeps ownership.
void setShellService(ShellService* service);

// Splits a command line into program and arguments the way a shell would quote them (blanks
// separate; "double" and 'single' quotes group; a backslash escapes the next character), without
// expanding anything. Empty when the text holds no program.
QStringList splitCommandLine(const QString& commandLine);

}  // namespace platform
