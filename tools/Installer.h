// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QString>
#include <QStringList>

struct InstallReport {
    QStringList createdKeys;
    QStringList writtenValues;  // "section\name"
    QStringList copiedFiles;    // relative to the program folder
    QStringList errors;
    bool ok() const { return errors.isEmpty(); }
};

// Makes the settings key with every section and first values, the per-user start-up key, and
// fills the program folder from `resourcesFolder` plus the files the installer makes itself
// (the tray icon, the default end sound). Never overwrites a value or a file that exists.
InstallReport RunInstaller(const QString& programFolder, const QString& resourcesFolder);

// A short two-tone chime as a 16-bit mono WAV file image.
QByteArray MakeNotifySound();
