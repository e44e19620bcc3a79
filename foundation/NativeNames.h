// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// File names the file system holds but the program's texts cannot. A name is bytes; the
// program's texts are UTF-8, and the toolkit reads a name that is not UTF-8 with U+FFFD in place
// of its odd bytes, which then names no file (or, written, a new one under another name). Lists
// keep such bytes as lone surrogates (U+DC80..U+DCFF), which no name can carry either. Such a
// name is refused with the reason wherever a path is opened, created or taken from a command
// line, never misread. Header-only (Qt Core and the system's calls): the engine, which links
// nothing else, and the foundation's folder helpers both use it. Thread-safe.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringDecoder>
#include <QStringList>

#include <dirent.h>
#include <sys/stat.h>

namespace nativenames_detail {

// A surrogate without its other half: a byte a list kept, or a damaged text.
inline bool IsLoneSurrogate(QStringView text, qsizetype i)
{
    const char16_t u = text.at(i).unicode();
    if (!QChar::isSurrogate(u))
        return false;
    if (QChar::isHighSurrogate(u))
        return !(i + 1 < text.size() && QChar::isLowSurrogate(text.at(i + 1).unicode()));
    return !(i > 0 && QChar::isHighSurrogate(text.at(i - 1).unicode()));
}

inline bool HoldsLoneSurrogate(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i)
        if (IsLoneSurrogate(text, i))
            return true;
    return false;
}

inline bool IsUtf8(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);  // the decoding happens here, where the result is taken
    return !utf8.hasError();
}

// Whether the folder holds an entry whose name is not UTF-8 and reads as `name`.
inline bool FolderHoldsMisreadName(const QByteArray& folder, const QString& name)
{
    DIR* dir = ::opendir(folder.isEmpty() ? "." : folder.constData());
    if (!dir)
        return false;
    bool found = false;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray raw(entry->d_name);
        if (!IsUtf8(raw) && QString::fromUtf8(raw) == name) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

}  // namespace nativenames_detail

// A path as a message shows it: a kept byte, which no text can show, reads as U+FFFD.
inline QString ShownPath(const QString& path)
{
    QString text = QDir::toNativeSeparators(path);
    for (qsizetype i = 0; i < text.size(); ++i)
        if (nativenames_detail::IsLoneSurrogate(text, i))
            text[i] = QChar(QChar::ReplacementCharacter);
    return text;
}

// The bytes that name the file; false when the text holds a lone surrogate.
inline bool NativePathOf(const QString& path, QByteArray* native)
{
    if (nativenames_detail::HoldsLoneSurrogate(path))
        return false;
    *native = QFile::encodeName(path);
    return true;
}

// A path given on a command line: false when its bytes are not UTF-8. *path receives the
// toolkit's reading either way, for the message.
inline bool PathFromArgument(const QByteArray& raw, QString* path)
{
    *path = QString::fromUtf8(raw);
    return nativenames_detail::IsUtf8(raw);
}

// Whether the path cannot name what the user meant: it holds a lone surrogate, or the first
// part of it that is not there holds U+FFFD and its folder holds a name that is not UTF-8
// reading as that part.
inline bool IsUnnamablePath(const QString& path)
{
    if (nativenames_detail::HoldsLoneSurrogate(path))
        return true;
    if (!path.contains(QChar(QChar::ReplacementCharacter)))
        return false;
    const QStringList parts = path.split(QLatin1Char('/'));
    QString prefix;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString& part = parts.at(i);
        const QString folder = i == 0 ? QString() : (prefix.isEmpty() ? QStringLiteral("/") : prefix);
        prefix += (i == 0 ? QString() : QStringLiteral("/")) + part;
        if (part.isEmpty())
            continue;
        struct stat st {};
        if (::lstat(QFile::encodeName(prefix).constData(), &st) == 0)
            continue;
        return part.contains(QChar(QChar::ReplacementCharacter)) &&
               nativenames_detail::FolderHoldsMisreadName(QFile::encodeName(folder), part);
    }
    return false;
}

// The refusal of such a name.
inline QString UnnamablePathText(const QString& path)
{
    return QStringLiteral("The name '%1' is not valid UTF-8: the program cannot name that file. Rename it.")
        .arg(ShownPath(path));
}
