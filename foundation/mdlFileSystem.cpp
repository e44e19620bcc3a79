// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/mdlFileSystem.h"

#include "foundation/VbNumbers.h"
#include "platform/LinkedWrite.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>

#include <cmath>

bool TryDeleteFile(const QString& sFile)
{
    const QFileInfo info(sFile);
    if (sFile.isEmpty() || info.isDir() || (!info.exists() && !info.isSymLink()))
        return false;
    return QFile::remove(sFile);
}

bool FileExists(const QString& sFile)
{
    return !sFile.isEmpty() && QFileInfo(sFile).isFile();
}

bool NameInUse(const QString& path)
{
    const QFileInfo info(path);
    return !path.isEmpty() && (info.exists() || info.isSymLink());
}

QString FormatSizeNumber(double dValue)
{
    // A value that rounds up to the next format's threshold is written in that format:
    // 99.999 is "100", not "100.0", and 9.999 is "10.0", not "10.00".
    if (dValue >= 100.0 || (dValue >= 10.0 && RoundFixed(dValue, 1) >= 100.0))
        return QString::number(RoundHalfEven(dValue), 'f', 0);
    if (dValue >= 10.0 || RoundFixed(dValue, 2) >= 10.0)
        return FormatFixed(dValue, 1);
    return FormatFixed(dValue, 2);
}

QString FormatFileSize(double dBytes)
{
    if (dBytes <= 999.0)
        return FormatFixed(dBytes, 0) + QStringLiteral(" bytes");
    static const char* const units[] = {"", " KB", " MB", " GB", " TB", " PB", " EB", " ZB", " YB"};
    int k = 1;
    while (k < 8 && dBytes > 999.0 * std::pow(1024.0, k))
        ++k;
    return FormatSizeNumber(dBytes / std::pow(1024.0, k)) + QLatin1String(units[k]);
}

bool WriteFileAtomically(const QString& sFile, const QByteArray& data)
{
    // Nobody was asked about a link that leads elsewhere (the program's own files): it stays,
    // and nothing is written where it points. A link to a file is written through.
    if (platform::LinkAtPath(sFile) == platform::LinkAt::Elsewhere) {
        errno = ELOOP;  // what an open that refuses to follow a link reports
        return false;
    }
    // Unbuffered, so that a write the disk refuses fails here: a buffered one that fails only
    // when the file is closed would still be renamed over the target, cut short.
    QSaveFile file(sFile);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    if (file.write(data) != data.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
