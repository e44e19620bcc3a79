// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "mainwindow/ItemsListLoader.h"

#include "components/cAudioConverter.h"
#include "components/cGrid.h"
#include "foundation/VbNumbers.h"
#include "foundation/mdlFileSystem.h"
#include "foundation/mdlFileTime.h"
#include "foundation/mdlFunctions.h"
#include "itemsgrid/ItemRow.h"

#include <QApplication>
#include <QFileInfo>
#include <QProgressBar>
#include <QTimer>

#include <cmath>

long ConverterProbe::OpenSource(const QString& path) { return m_c.OpenSource(path); }
long ConverterProbe::SourceDuration() { return m_c.SourceDuration(); }
void ConverterProbe::CloseSource() { m_c.CloseSource(); }
QString ConverterProbe::FormatTime(long seconds) { return m_c.FormatTime(seconds); }
void ConverterProbe::ReadSourceTags(const QString& path) { m_c.ReadSourceTags(path); }
QString ConverterProbe::TagAlbum() { return m_c.TagAlbum(); }
QString ConverterProbe::TagArtist() { return m_c.TagArtist(); }
QString ConverterProbe::TagComment() { return m_c.TagComment(); }
QString ConverterProbe::TagGenre() { return m_c.TagGenre(); }
QString ConverterProbe::TagYear() { return m_c.TagYear(); }
QString ConverterProbe::TagTitle() { return m_c.TagTitle(); }
QString ConverterProbe::TagTrack() { return m_c.TagTrack(); }

long ItemTypeIcon(const QString& sType)
{
    if (sType == QLatin1String("Audio"))
        return ItemRow::kTypeAudio;
    if (sType == QLatin1String("Data"))
        return ItemRow::kTypeData;
    return 0;
}

namespace {

constexpr long kCellFlags = 0x40020;

// The mark of a record: its whole number; anything else (a damaged field) is unmarked.
long markIcon(const QString& text)
{
    bool ok = false;
    const long v = text.trimmed().toLong(&ok);
    return ok ? v : ItemRow::kUnmarked;
}

bool isEmptyRecord(const ItemsListRecord& r)
{
    for (const QString& v : r.fields)
        if (!v.isEmpty())
            return false;
    return true;
}

}  // namespace

ItemsListLoader::ItemsListLoader(cGrid& grid, ItemProbe& probe, QObject* parent)
    : QObject(parent), m_grid(grid), m_probe(probe)
{
}

void ItemsListLoader::RowRemoved(long row)
{
    // What is held stays between the rows it was read between: a row removed before it moves it
    // up with the rows that follow.
    for (HeldItem& h : m_held)
        if (h.afterRow >= row)
            --h.afterRow;
}

ItemsListLoader::~ItemsListLoader()
{
    if (m_cursorSet)
        QApplication::restoreOverrideCursor();
}

long ItemsListLoader::HiddenRecords() const
{
    long n = 0;
    for (const HeldItem& h : m_held)
        if (h.damaged.isEmpty())
            ++n;
    return n;
}

void ItemsListLoader::Reset()
{
    Abort();
    m_path.clear();
    m_held.clear();
    m_damagedAfter.clear();
    m_stamp = ItemsListStamp();
    m_complete = false;
}

void ItemsListLoader::ClearedByUser(const ItemsListStamp& written)
{
    Abort();
    m_held.clear();
    m_damagedAfter.clear();
    m_stamp = written;
    m_complete = true;
}

void ItemsListLoader::Load(const QString& sListFile, const Options& options)
{
    Abort();
    ++m_generation;
    m_path = sListFile;
    m_options = options;
    m_held.clear();
    m_damagedAfter.clear();
    m_damagedCopy.clear();
    m_damagedCopyError.clear();
    m_stamp = ItemsListStamp();
    m_data.clear();
    m_offsets.clear();
    m_next = 0;
    m_loaded = 0;
    m_records = 0;
    m_complete = false;
    m_busy = true;

    if (!m_cursorSet) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_cursorSet = true;
    }
    m_grid.Clear();
    if (m_images)
        m_grid.ImageList(m_images);
    if (m_prg) {
        m_prg->setMinimum(0);
        m_prg->setValue(0);
        m_prg->setVisible(true);
    }
    m_grid.Redraw(false);

    ItemsListReadResult read = ReadItemsListData(sListFile);
    if (!read.ok) {
        // The list exists but could not be read: show it empty, and keep it unsaved so its
        // items are not replaced by nothing.
        finish(false);
        return;
    }
    // Records are decoded one by one in the slices, so even a long list shows its progress
    // from the start.
    m_data = std::move(read.data);
    m_stamp = read.stamp;
    m_escaped = IsEscapedItemsListData(m_data);
    m_offsets = ItemsListRecordOffsets(m_data);
    static const qsizetype markerSize = QByteArrayLiteral("<ITEM>").size();
    const QByteArray prefix = ItemsListDamagedPrefix(m_data, m_offsets.isEmpty() ? -1 : m_offsets.first() - markerSize);
    if (!prefix.isEmpty()) {
        m_held.append(HeldItem{0, {}, prefix, m_escaped});
        m_damagedAfter.append(0);
    }
    if (m_prg)
        m_prg->setMaximum(std::max<int>(static_cast<int>(m_offsets.size()), 1));
    runSlice();
}

void ItemsListLoader::runSlice()
{
    if (!m_busy)
        return;
    QElapsedTimer slice;
    slice.start();
    static const qsizetype markerSize = QByteArrayLiteral("<ITEM>").size();
    while (m_next < m_offsets.size()) {
        const qsizetype from = m_offsets.at(m_next);
        const qsizetype to = m_next + 1 < m_offsets.size() ? m_offsets.at(m_next + 1) - markerSize : m_data.size();
        const bool last = m_next + 1 == m_offsets.size();
        const ItemsListPiece piece = ParseItemsListPiece(QByteArrayView(m_data).sliced(from, to - from), m_escaped, last);
        if (!isEmptyRecord(piece.record)) {
            ++m_records;
            loadRecord(piece.record);
        }
        if (!piece.damaged.isEmpty()) {
            m_held.append(HeldItem{m_loaded, {}, piece.damaged, m_escaped});
            m_damagedAfter.append(m_records);
        }
        ++m_next;
        if (m_sliceMs > 0 && slice.elapsed() >= m_sliceMs && m_next < m_offsets.size())
            break;
    }
    if (m_prg)
        m_prg->setValue(static_cast<int>(m_next));
    if (m_next < m_offsets.size()) {
        // A timer rather than a posted call: posted calls run ahead of input and timers, so a
        // chain of them would starve the very events the slices are meant to let through.
        const quint64 generation = m_generation;
        QTimer::singleShot(1, this, [this, generation] {
            if (generation == m_generation)
                runSlice();
        });
        return;
    }
    if (!m_damagedAfter.isEmpty()) {
        QList<QByteArray> parts;
        for (const HeldItem& h : m_held)
            if (!h.damaged.isEmpty())
                parts.append(h.damaged);
        m_damagedCopy = KeepDamagedItemsListCopy(m_path, m_data, parts, &m_damagedCopyError);
    }
    m_data.clear();
    m_offsets.clear();
    finish(true);
}

void ItemsListLoader::loadRecord(const ItemsListRecord& rec)
{
    const QString path = rec[fldFile];
    auto holdAside = [&] { m_held.append(HeldItem{m_loaded, rec, {}, false}); };
    if (path.isEmpty() || !FileExists(path)) {
        holdAside();
        return;
    }
    if (m_probe.OpenSource(path) != 0) {
        holdAside();
        return;
    }

    // Always the row after the last one, so a row that arrived meanwhile is never overwritten.
    const long row = m_grid.Rows() + 1;
    ++m_loaded;
    auto col = [this](const QString& key) { return m_grid.ColumnIndex(key); };
    auto text = [&](const QString& key, const QVariant& value) { m_grid.SetCell(row, col(key), value); };

    m_grid.SetCell(row, col(ItemRow::COL_INC), QString(), kCellFlags, markIcon(rec[fldInc]));
    m_grid.SetCell(row, col(ItemRow::COL_TYPE), QString(), kCellFlags, ItemTypeIcon(rec[fldType]));
    text(ItemRow::COL_ITEM_NAME, rec[fldItemName]);

    const long durationMs = m_probe.SourceDuration();
    const long seconds = CLng(RoundHalfEven(durationMs / 1000.0));
    text(ItemRow::COL_TIME, PadTimeText(m_probe.FormatTime(seconds)));
    const qint64 bytes = QFileInfo(path).size();
    text(ItemRow::COL_SIZE, FormatFileSize(static_cast<double>(bytes)));
    text(COL_FILE, path);
    const DateValue created = GetFileCreated(path);
    text(ItemRow::COL_CREATED, created.days == 0.0 ? QVariant(QString()) : QVariant(created.toDateTime()));
    text(COL_BYTES_SIZE, QVariant::fromValue<qint64>(bytes));

    if (rec[fldRangeAll] == QLatin1String("0")) {
        text(COL_RANGE_ALL, QStringLiteral("0"));
        text(COL_RANGE_START_TIME, rec[fldRangeStart]);
        text(COL_RANGE_LENGTH_TIME, rec[fldRangeLength]);
        const QString range = ItemRow::RangeText(rec[fldRangeStart], rec[fldRangeLength], durationMs > 0 ? durationMs : -1);
        text(ItemRow::COL_RANGE, range);
        // A range of many hours, or one that says what is not valid, is read whole.
        m_grid.FitColumnToText(col(ItemRow::COL_RANGE), range);
    } else {
        text(COL_RANGE_ALL, QStringLiteral("1"));
        text(ItemRow::COL_RANGE, QStringLiteral("All"));
    }

    if (m_options.copyTagsFromSource) {
        m_probe.ReadSourceTags(path);
        text(COL_TAG_ALBUM, m_probe.TagAlbum());
        text(COL_TAG_ARTIST, m_probe.TagArtist());
        text(COL_TAG_COMMENT, m_probe.TagComment());
        text(COL_TAG_GEN, m_probe.TagGenre());
        text(COL_TAG_YEAR, m_probe.TagYear());
        text(COL_TAG_TITLE, m_probe.TagTitle());
        text(COL_TAG_TRACK, m_probe.TagTrack());
    } else {
        text(COL_TAG_ALBUM, rec[fldTagAlbum]);
        text(COL_TAG_ARTIST, rec[fldTagArtist]);
        text(COL_TAG_COMMENT, rec[fldTagComment]);
        text(COL_TAG_GEN, rec[fldTagGenre]);
        text(COL_TAG_YEAR, rec[fldTagYear]);
        text(COL_TAG_TITLE, rec[fldTagTitle]);
        text(COL_TAG_TRACK, rec[fldTagTrack]);
    }
    m_probe.CloseSource();
}

void ItemsListLoader::finish(bool completed)
{
    m_busy = false;
    m_complete = completed;
    m_grid.Redraw(true);
    if (m_prg)
        m_prg->setVisible(false);
    if (m_cursorSet) {
        QApplication::restoreOverrideCursor();
        m_cursorSet = false;
    }
    emit Finished(completed);
}

void ItemsListLoader::Abort()
{
    if (!m_busy)
        return;
    ++m_generation;
    m_data.clear();
    m_offsets.clear();
    finish(false);
}
