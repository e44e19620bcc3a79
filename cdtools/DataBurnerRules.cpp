// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "cdtools/DataBurnerRules.h"

#include "batchtools/ConverterNames.h"
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
    ConverterNames::RowFacts facts;
    facts.row = row.row;
    facts.sourcePath = row.file;
    facts.itemName = row.itemName;
    // A copied file keeps its format, so its name keeps the source's extension: the expansion
    // takes the extension where it would take the target format's key.
    const QString target = copyMode ? GetFileExtension(GetFileName(row.file)) + QStringLiteral(" - ") : targetFormatText;
    return ConverterNames::ExpandFileNameTemplate(nameTemplate, facts, target, now, shortDateFormat);
}

QString MissingLibraryQuestion()
{
    return QStringLiteral("Windows XP/2003 users - You need to install the IMAPI2 from Microsoft... ") + QStringLiteral("\r\n\r\n") +
           QStringLiteral("Continue?");
}

}  // namespace DataBurner
