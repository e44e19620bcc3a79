// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tests/support/FakeShell.h"

FakeShell::FakeShell() { platform::setShellService(this); }

FakeShell::~FakeShell()
{
    if (&platform::shell() == this)
        platform::setShellService(nullptr);
}

bool FakeShell::open(const QString& target)
{
    opened << target;
    return result;
}

bool FakeShell::startProgram(const QString& program, const QStringList& arguments, const QString& workingFolder)
{
    started << Started{program, arguments, workingFolder};
    return result;
}
