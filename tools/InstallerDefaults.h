// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

struct InstallerValue {
    QString section;  // below the settings key, e.g. "General" or "Formats\WAV"
    QString name;
    QString value;    // every settings value is text
};

// The sections of the settings key, in the order they are made.
QStringList InstallerSections();
// First values of a fresh install; the installer never overwrites a value that exists.
QList<InstallerValue> InstallerDefaultValues();
