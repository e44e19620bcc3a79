// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "cdtools/DataBurnerRules.h"

#include "foundation/VbNumbers.h"
#include "foundation/mdlFunctions.h"
#include "platform/Paths.h"

#include <QRegularExpression>

namespace DataBurner {

QString BurnTempFolder() { return platform::programFolder() + QStringLiteral("/datacdtmp/"); }

int EngineIndexFromStored(const QString& stored)
{
    static const QRegularExpression leadingNumber(QStringLiteral("^\\s*[-+]?(\\d+\\.?\\d*|\\.\\d+)"));
    const QRegularExpressionMatch m = leadingNumber.match(stored);
    const double value = m.hasMatch() ? m.captured(0).trimmed().toDouble() : 0.0;
    return RoundHalfEven(value) == 1.0 ? 1 : 0;
}

QString ExpandName(const QString& nameTemplate, const RowNameCells& row, const QString& targetFormatText, bool copyMode,
                   const QDateTime& now, const QString& shortDateFormat)
{
    QString name = nameTemplate;
    name.replace(QStringLiteral("[123]"), QString::number(row.row));
    name.replace(QStringLiteral("[file_name]"), RemoveExtension(GetFileName(row.file)));
    name.replace(QStringLiteral("[source_extension]"), GetFileExtension(row.itemName).toLower());
    QString destination;
    bool haveDestination = false;
    if (copyMode) {
        destination = GetFileExtension(GetFileName(row.file)).toLower();
        haveDestination = true;
    } else {
        const int dash = int(targetFormatText.indexOf(QStringLiteral(" -")));
        if (dash >= 0) {
            destination = targetFormatText.left(dash).toLower();
            haveDestination = true;
        }
    }
    if (haveDestination) {
        name.replace(QStringLiteral("[dest_extension]"), destination);
        name.replace(QStringLiteral("[convert_extension]"), destination);
    }
    name.replace(QStringLiteral("[time]"), now.toString(QStringLiteral("HH:mm:ss")).replace(QLatin1Char(':'), QLatin1Char('-')));
    name.replace(QStringLiteral("[date]"), now.toString(shortDateFormat).replace(QLatin1Char('/'), QLatin1Char('-')));
    name.replace(QStringLiteral("[item_name]"), row.itemName);
    return name;
}

QString MissingLibraryQuestion()
{
    return QStringLiteral("Windows XP/2003 users - You need to install the IMAPI2 from Microsoft... ") + QStringLiteral("\r\n\r\n") +
           QStringLiteral("Continue?");
}

}  // namespace DataBurner
