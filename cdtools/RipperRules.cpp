// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "cdtools/RipperRules.h"

#include "commands/Templates.h"
#include "components/cAudioCDRipper.h"

namespace RipperRules {

namespace {
constexpr int kRed = 255;
constexpr int kBlack = 0;
}  // namespace

DiscCheck CheckDisc(cAudioCDRipper& ripper, long index, const QString& entry)
{
    // The drive's root as the program writes paths: letter, colon, "/".
    const QString root = entry.left(2) + QLatin1Char('/');
    if (!ripper.SelectDevice(index))
        return {QStringLiteral("Cannot select '") + root + QStringLiteral("' as an Audio CD."), kRed};
    if (!ripper.IsAudioCD())
        return {QStringLiteral("'") + root + QStringLiteral("' is not an Audio CD."), kRed};
    if (ripper.TrackCount() < 1)
        return {QStringLiteral("'") + root + QStringLiteral("' has no CDA tracks."), kRed};
    return {QStringLiteral("OK: ") + QString::number(ripper.TrackCount()) + QStringLiteral(" CDA tracks"), kBlack};
}

QString ExpandRowTags(const QString& text, long row, const QDateTime& now, const QString& shortDateFormat,
                      const QString& timeFormat)
{
    // The shared expansion counts from the row before: handing it the row before gives the
    // row's own number, so track 1 is tagged 1.
    return Templates::ExpandTags(text, row - 1, now, shortDateFormat, timeFormat);
}

QString TracksFailedText(long failed, long total)
{
    return QStringLiteral("%1 of %2 tracks failed; see the log.").arg(failed).arg(total);
}

QString CopyFailedText(long failed, long total)
{
    return QStringLiteral("%1 of %2 tracks failed: nothing was burned; see the log.").arg(failed).arg(total);
}

}  // namespace RipperRules
