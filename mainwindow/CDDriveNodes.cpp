// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "mainwindow/CDDriveNodes.h"

#include "components/cAudioCDRipper.h"
#include "components/cGrid.h"
#include "foundation/mdlFileSystem.h"
#include "foundation/mdlFileTime.h"
#include "foundation/mdlFunctions.h"
#include "itemsgrid/ItemRow.h"
#include "mainwindow/ItemsListLoader.h"
#include "settings/ProgramOptions.h"

namespace CDDriveNodes {

namespace {
constexpr long kCellFlags = 0x40020;
}

long DriveIndex(const cAudioCDRipper& ripper, const QString& sDrive)
{
    long index = 0;
    const long count = ripper.DeviceCount();
    for (long i = 0; i < count; ++i)
        if (ripper.DeviceName(i).left(2) == sDrive)
            index = i;
    return index;
}

QString TrackPath(const QString& sDrive, long track)
{
    return sDrive + QStringLiteral("/Track") + QStringLiteral("%1").arg(track, 2, 10, QLatin1Char('0')) +
           QStringLiteral(".cda");
}

qint64 TrackBytes(long seconds) { return qint64(seconds) * 176400; }

void FillTrackRow(cGrid& grid, const QString& sDrive, long track, const TrackFacts& facts, const QString& timeText,
                  const QDateTime& now)
{
    auto col = [&grid](const QString& key) { return grid.ColumnIndex(key); };
    auto text = [&](const QString& key, const QVariant& value) { grid.SetCell(track, col(key), value); };

    grid.SetCell(track, col(ItemRow::COL_INC), QString(), kCellFlags, facts.audio ? ItemRow::kMarked : ItemRow::kUnmarked);
    grid.SetCell(track, col(ItemRow::COL_TYPE), QString(), kCellFlags,
                 facts.audio ? ItemTypeIcon(QStringLiteral("Audio")) : ItemTypeIcon(QStringLiteral("Data")));
    text(ItemRow::COL_ITEM_NAME, QStringLiteral("Track%1.cda").arg(track, 2, 10, QLatin1Char('0')));
    text(ItemRow::COL_TIME, PadTimeText(timeText));
    const qint64 bytes = TrackBytes(facts.seconds);
    text(ItemRow::COL_SIZE, FormatFileSize(static_cast<double>(bytes)));
    const QString path = TrackPath(sDrive, track);
    text(COL_FILE, path);
    const DateValue created = GetFileCreated(path);
    text(ItemRow::COL_CREATED, created.days == 0.0 ? now : created.toDateTime());
    text(ItemRow::COL_RANGE, QStringLiteral("All"));
    text(COL_RANGE_ALL, QStringLiteral("1"));
    text(COL_BYTES_SIZE, QVariant::fromValue<qint64>(bytes));
    text(COL_TAG_ALBUM, ProgramOptions.txtTagAlbum);
    text(COL_TAG_ARTIST, ProgramOptions.txtTagArtist);
    text(COL_TAG_COMMENT, ProgramOptions.txtTagComment);
    text(COL_TAG_GEN, ProgramOptions.txtTagGenre);
    text(COL_TAG_YEAR, ProgramOptions.txtTagYear);
    text(COL_TAG_TITLE, ProgramOptions.txtTagSong);
    text(COL_TAG_TRACK, ProgramOptions.txtTagTrack);
}

}  // namespace CDDriveNodes
