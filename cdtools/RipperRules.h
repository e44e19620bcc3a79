// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QDateTime>
#include <QString>

class cAudioCDRipper;

// The CD ripper window's own rules as plain functions over the ripper component. GUI thread.
namespace RipperRules {

// The disc check of a source drive: the status text and its colour (0x00BBGGRR: 255 red for a
// drive that cannot be used, 0 black for a disc that can be ripped). The drive chosen here
// stays the component's current drive. `entry` is the drive list's entry; its first two
// characters are the drive letter and colon.
struct DiscCheck {
    QString text;
    int color = 0;
};
DiscCheck CheckDisc(cAudioCDRipper& ripper, long index, const QString& entry);

// A tag text of a row with its placeholders filled in: "[TRACK_NUM]" is the row's own number
// (row 1 gives "1"), the others as every tag template has them.
QString ExpandRowTags(const QString& text, long row, const QDateTime& now, const QString& shortDateFormat,
                      const QString& timeFormat);

// The end of a rip or duplication in which `failed` of `total` tracks failed.
QString TracksFailedText(long failed, long total);
// The end of a duplication in which `failed` of `total` tracks could not be ripped: nothing is
// burned then.
QString CopyFailedText(long failed, long total);

}  // namespace RipperRules
