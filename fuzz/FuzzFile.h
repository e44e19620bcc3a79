// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstdint>
#include <cstdlib>
#include <unistd.h>

namespace fuzz {

// One scratch folder per fuzzing process; the rewrite puts its temporary files beside the file.
inline QString scratchFile()
{
    static const QString path = []() -> QString {
        const QString dir = QDir::tempPath() + QStringLiteral("/qm-fuzz-") + QString::number(::getpid());
        QDir().mkpath(dir);
        return dir + QStringLiteral("/input.mp3");
    }();
    return path;
}

inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    f.write(bytes);
}

inline QByteArray readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        std::abort();
    return f.readAll();
}

inline void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

}  // namespace fuzz
