// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QByteArray>
#include <QString>

// True when the file was deleted (false for a missing file, a folder, or no permission).
bool TryDeleteFile(const QString& sFile);
// Writes the whole file beside its target and renames it over the target, so a failed write
// never leaves the old file cut short. False (old file intact) on any failure. A symbolic link to
// a file is written through; one that leads elsewhere is refused (errno ELOOP), as nobody was
// asked about replacing it (platform/LinkedWrite.h).
bool WriteFileAtomically(const QString& sFile, const QByteArray& data);
// True for an existing regular file (links followed); false for a folder or anything else.
bool FileExists(const QString& sFile);
// True when anything stands at the path, a symbolic link that leads nowhere included: a name an
// output takes only after asking, as writing it replaces what stands there.
bool NameInUse(const QString& path);
// File and item sizes: " bytes" up to 999, then " KB" .. " YB" at the thresholds 999 x 1024^k.
QString FormatFileSize(double dBytes);
// 100 and more: a whole number (halves to even); 10 and more: one decimal; else two.
QString FormatSizeNumber(double dValue);
