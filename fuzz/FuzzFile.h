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
inline QString scratchFolder()
{
    static const QString dir = []() -> QString {
        const QString path = QDir::tempPath() + QStringLiteral("/qm-fuzz-") + QString::number(::getpid());
        QDir().mkpath(path);
        return path;
    }();
    return dir;
}

// The file a target writes its input to, named as the files the parser is given are named
// ("input.wav"): readers that weigh a file's extension then weigh it as they would there.
inline QString scratchFile(const QString& name) { return scratchFolder() + QLatin1Char('/') + name; }

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
