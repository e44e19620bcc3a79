// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tools/InstallerDefaults.h"

QStringList InstallerSections()
{
    return {QStringLiteral("General"),     QStringLiteral("Events"),      QStringLiteral("ID3 Tags"),
            QStringLiteral("Display"),     QStringLiteral("Formats\\WAV"), QStringLiteral("Formats\\ACM"),
            QStringLiteral("Formats\\MP3"), QStringLiteral("Formats\\WMA"), QStringLiteral("Formats\\OGG"),
            QStringLiteral("Formats\\APE")};
}

QList<InstallerValue> InstallerDefaultValues()
{
    QList<InstallerValue> v;
    // Each settings window adds its own first values below, in its own block, from the
    // built-in defaults it would use for a missing value. A value left out here simply reads
    // as that window's default.

    // --- Main window
    // (the saved window size is written by the program itself when it ends)

    // --- Options window: General, Events, ID3 Tags, Display

    // --- Output formats: Formats\WAV ... Formats\APE

    return v;
}
