// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QString>

// The per-user application settings store: text values by application, section and key, kept
// in the per-user settings root under "Software\Quillmere Program Settings\<app>\<section>".
// Nothing is thrown; a missing value gives the default, a failed write is dropped.
QString GetSetting(const QString& appName, const QString& section, const QString& key,
                   const QString& defaultValue = {});
void SaveSetting(const QString& appName, const QString& section, const QString& key, const QString& setting);
