// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "batchtools/BatchToolRules.h"

#include <QFileInfo>

namespace BatchTool {

QString GetUnderFolder(bool ticked, const QString& name)
{
    if (!ticked || name.isEmpty())
        return {};
    return name + QLatin1Char('/');
}

QString OutputFolder(const QString& destination, const QString& underFolder)
{
    QString folder = destination;
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder + underFolder;
}

QString ExpandJoinedFileName(const QString& nameTemplate, const QString& targetFormatText, const QDateTime& now,
                             const QString& shortDateFormat)
{
    QString s = nameTemplate;
    const int dot = nameTemplate.lastIndexOf(QLatin1Char('.'));
    const QString ownExtension = dot >= 0 ? nameTemplate.mid(dot + 1).toLower() : QString();
    s.replace(QStringLiteral("[source_extension]"), ownExtension);
    const int dash = targetFormatText.indexOf(QStringLiteral(" -"));
    if (dash >= 0)
        s.replace(QStringLiteral("[dest_extension]"), targetFormatText.left(dash).toLower());
    s.replace(QStringLiteral("[time]"), now.time().toString(QStringLiteral("HH:mm:ss")).replace(QLatin1Char(':'), QLatin1Char('-')));
    s.replace(QStringLiteral("[date]"), now.date().toString(shortDateFormat).replace(QLatin1Char('/'), QLatin1Char('-')));
    return s;
}

RowRange RangeOfRow(const QString& rangeAll, const QString& startText, const QString& lengthText)
{
    RowRange r;
    if (rangeAll == QLatin1String("1"))
        return r;
    bool ok = false;
    const long start = startText.trimmed().toLong(&ok);
    if (ok)
        r.start = start;
    const long length = lengthText.trimmed().toLong(&ok);
    if (ok)
        r.length = length;
    return r;
}

bool DestinationLinkEnabled(int selectedIndex) { return selectedIndex >= 1; }

bool DefaultLinkEnabled(const QString& boxText, const QString& storedDefault) { return boxText != storedDefault; }

int OptionToCheckValue(bool option) { return option ? 1 : 0; }

std::vector<EndAction> EndActions(bool playSound, bool openFolder, bool noticeApp, bool turnOff, bool jobError)
{
    std::vector<EndAction> actions;
    if (playSound)
        actions.push_back(EndAction::PlaySound);
    if (openFolder)
        actions.push_back(EndAction::OpenFolder);
    if (noticeApp)
        actions.push_back(EndAction::NoticeApp);
    if (turnOff && !jobError)
        actions.push_back(EndAction::TurnOff);
    return actions;
}

bool OutputFileExists(const QString& path)
{
    const QFileInfo info(path);
    // A symbolic link counts as a file whatever it points at (nothing, a folder): writing the
    // output replaces the link.
    return info.isSymLink() || (info.exists() && !info.isDir());
}

QString FailedRunText(long failed, long total)
{
    return QString::number(failed) + QStringLiteral(" of ") + QString::number(total) +
           QStringLiteral(" failed. The log has the reasons.");
}

QString FailedTaskText(const QString& verb)
{
    return QStringLiteral("The ") + verb + QStringLiteral(" failed. The log has the reasons.");
}

}  // namespace BatchTool
