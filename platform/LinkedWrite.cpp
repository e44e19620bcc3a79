// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "platform/LinkedWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace platform {

LinkAt LinkAtPath(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (path.isEmpty() || ::lstat(name.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
        return LinkAt::None;
    if (::stat(name.constData(), &st) == 0 && S_ISREG(st.st_mode))
        return LinkAt::ToFile;
    return LinkAt::Elsewhere;
}

QString LinkRefusal(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    QString what = QStringLiteral("leads nowhere");
    if (::stat(name.constData(), &st) == 0)
        what = S_ISDIR(st.st_mode) ? QStringLiteral("leads to a folder") : QStringLiteral("leads to something that is not a regular file");
    return QStringLiteral("The file '") + path + QStringLiteral("' is a symbolic link that ") + what +
           QStringLiteral(": nothing is written where it points.");
}

QString SaveFileNameFor(const QString& path)
{
    if (LinkAtPath(path) != LinkAt::Elsewhere)
        return path;
    const QFileInfo info(path);
    for (;;) {
        const QString candidate = QDir(info.absolutePath())
                                      .filePath(QLatin1Char('.') + info.fileName() + QStringLiteral(".link-") +
                                                QString::number(QRandomGenerator::global()->generate64(), 16));
        struct stat st {};
        if (::lstat(QFile::encodeName(candidate).constData(), &st) != 0)
            return candidate;
    }
}

bool FinishLinkedWrite(const QString& saved, const QString& path)
{
    if (saved == path)
        return true;
    // rename(2) replaces the link itself, never what it points at.
    if (std::rename(QFile::encodeName(saved).constData(), QFile::encodeName(path).constData()) == 0)
        return true;
    const int cause = errno;
    ::unlink(QFile::encodeName(saved).constData());
    errno = cause;
    return false;
}

void DiscardLinkedWrite(const QString& saved, const QString& path)
{
    if (saved != path)
        ::unlink(QFile::encodeName(saved).constData());
}

}  // namespace platform
