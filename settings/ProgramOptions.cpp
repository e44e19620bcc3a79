// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "settings/ProgramOptions.h"

#include "platform/Paths.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

QStringList BuiltInFileNameFormats()
{
    return {QStringLiteral("[file_name].[dest_extension]"),
            QStringLiteral("[file_name].[source_extension].[dest_extension]"),
            QStringLiteral("[file_name]_[123].[dest_extension]"),
            QStringLiteral("[file_name]_[123].[source_extension].[dest_extension]"),
            QStringLiteral("[123].[dest_extension]"),
            QStringLiteral("[123].[source_extension].[dest_extension]")};
}

QString FileNameFormatsPath() { return platform::programFolder() + QStringLiteral("/FileNameFormats.txt"); }

QStringList LoadFileNameFormatList()
{
    const QString path = FileNameFormatsPath();
    const QFileInfo fi(path);
    // A hidden file counts as missing, as a folder of that name does.
    if (!fi.exists() || !fi.isFile() || fi.isHidden())
        return BuiltInFileNameFormats();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return BuiltInFileNameFormats();
    QStringList out;
    const QString text = QString::fromUtf8(f.readAll());
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    for (const QString& line : text.split(lineBreak))
        if (!line.isEmpty())
            out.append(line);
    return out;
}

QString DefaultItemsListsFolder() { return platform::programFolder() + QStringLiteral("/Main/"); }
QString DefaultEndSoundPath() { return platform::programFolder() + QStringLiteral("/sound/notify.wav"); }
