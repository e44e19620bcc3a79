// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "commands/Templates.h"

#include "commands/ToolWindows.h"
#include "components/cGrid.h"
#include "foundation/mdlFunctions.h"
#include "foundation/mdlModes.h"
#include "itemsgrid/ItemRow.h"
#include "mainwindow/FrmMain.h"
#include "platform/Clock.h"
#include "platform/Shell.h"
#include "settings/ProgramOptions.h"

namespace Templates {

QString ExpandNotice(const QString& text, cGrid& grid)
{
    QString s = text;
    s.replace(QStringLiteral("[PROG_NAME]"), g_sAppName);
    s.replace(QStringLiteral("[PROG_VERSION]"), g_sAppVersion);
    static const std::pair<const char*, const QString*> files[] = {
        {"[FILE_RECORDED]", &ItemRow::COL_ITEM_NAME},
        {"[FILE_SIZE]", &ItemRow::COL_SIZE},
        {"[FILE_TIME_LENGTH]", &ItemRow::COL_TIME},
        {"[FILE_CREATED]", &ItemRow::COL_CREATED},
    };
    for (const auto& [placeholder, column] : files) {
        const long last = grid.Rows();
        const QString value = last > 0 ? grid.Cell(last, grid.ColumnIndex(*column)).Text() : QString();
        s.replace(QLatin1String(placeholder), value);
    }
    return s;
}

QString ExpandTags(const QString& text, long currentRow, const QDateTime& now, const QString& shortDateFormat,
                   const QString& timeFormat)
{
    QString s = text;
    s.replace(QStringLiteral("[DATE]"), now.date().toString(shortDateFormat));
    s.replace(QStringLiteral("[TIME]"), now.time().toString(timeFormat));
    s.replace(QStringLiteral("[TRACK_NUM]"), QString::number(currentRow + 1));
    s.replace(QStringLiteral("[PROG_NAME]"), g_sAppName);
    s.replace(QStringLiteral("[PROG_VERSION]"), g_sAppVersion);
    s.replace(QStringLiteral("[YEAR]"), QString::number(now.date().year()));
    return s;
}

QString ExtForTargetFormat(const QString& formatText)
{
    static const std::pair<const char*, const char*> table[] = {
        {"WAV", "wav"}, {"ACM", "wav"}, {"MP3", "mp3"}, {"WMA", "wma"}, {"OGG", "ogg"}, {"APE", "ape"},
    };
    const QString head = formatText.left(3).toUpper();
    for (const auto& [letters, ext] : table)
        if (head == QLatin1String(letters))
            return QLatin1String(ext);
    return {};
}

QString TimeStampedFileName(const QDateTime& now, const QString& shortDateFormat, const QString& ext)
{
    return MakeSafeName(now.time().toString(QStringLiteral("HH:mm:ss")) + QLatin1Char('_') +
                        now.date().toString(shortDateFormat) + QLatin1Char('.') + ext);
}

}  // namespace Templates

QString FrmMain::GetNoticAppParameters() { return Templates::ExpandNotice(ProgramOptions.txtAppNotice, *cGrid1); }

QString FrmMain::CreateID3TagsString(const QString& sText)
{
    const platform::ClockService& clock = platform::clock();
    return Templates::ExpandTags(sText, cGrid1->CurrentRow(), clock.now(), clock.shortDateFormat(), clock.timeFormat());
}

QString FrmMain::GetExt()
{
    // The speech window asks while it is open; its combo is read through its hand-over.
    ToolWindow* tts = ToolWindows::Load(QStringLiteral("Text To Speech"));
    return Templates::ExtForTargetFormat(tts ? tts->cboTargetFormat() : QString());
}

QString FrmMain::CreateFileName(const QString&)
{
    const platform::ClockService& clock = platform::clock();
    return Templates::TimeStampedFileName(clock.now(), clock.shortDateFormat(), GetExt());
}

bool RunNoticeApp()
{
    FrmMain* f = frmMain.loaded();
    QStringList parts = platform::splitCommandLine(ProgramOptions.txtAppNotice);
    if (parts.isEmpty())
        return false;
    if (f) {
        for (QString& part : parts)
            part = Templates::ExpandNotice(part, *f->cGrid1);
    }
    const QString program = parts.takeFirst();
    if (program.isEmpty())
        return false;
    return platform::shell().startProgram(program, parts);
}
