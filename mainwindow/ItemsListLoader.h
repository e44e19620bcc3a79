// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "mainwindow/ItemsListFile.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>

class cAudioConverter;
class cGrid;
class cImageList;
#include <QProgressBar>

// What the loader asks of the converter component about one source file. The main window hands
// in its converter through ConverterProbe; tests hand in a fake.
class ItemProbe {
public:
    virtual ~ItemProbe() = default;
    virtual long OpenSource(const QString& path) = 0;  // 0 when opened
    virtual long SourceDuration() = 0;                 // ms, of the opened file
    virtual void CloseSource() = 0;
    virtual QString FormatTime(long seconds) = 0;
    // Fills the seven tags below from the file.
    virtual void ReadSourceTags(const QString& path) = 0;
    virtual QString TagAlbum() = 0;
    virtual QString TagArtist() = 0;
    virtual QString TagComment() = 0;
    virtual QString TagGenre() = 0;
    virtual QString TagYear() = 0;
    virtual QString TagTitle() = 0;
    virtual QString TagTrack() = 0;
};

class ConverterProbe final : public ItemProbe {
public:
    explicit ConverterProbe(cAudioConverter& converter) : m_c(converter) {}
    long OpenSource(const QString& path) override;
    long SourceDuration() override;
    void CloseSource() override;
    QString FormatTime(long seconds) override;
    void ReadSourceTags(const QString& path) override;
    QString TagAlbum() override;
    QString TagArtist() override;
    QString TagComment() override;
    QString TagGenre() override;
    QString TagYear() override;
    QString TagTitle() override;
    QString TagTrack() override;

private:
    cAudioConverter& m_c;
};

// The type word of a record or row as the grid's type icon: "Audio" 3, "Data" 4, else 0
// (case-sensitive).
long ItemTypeIcon(const QString& sType);

// Loads one list file into the items grid, measuring every source again through the probe.
// Runs on the GUI thread in slices of a few tens of milliseconds, so a long list keeps the
// window painting its progress; a list that fits in one slice is loaded before Load returns.
// While it runs the progress bar is visible: that is the tree's busy flag, and the grid holds
// only part of the list, so nothing may save it (IsComplete is false).
//
// No item is ever lost: a record whose source is missing or unreadable, or that names no
// source, is held aside with its place and written back by the next save (Held), and it loads
// again once its file is back; a damaged part of the file is held as its bytes the same way.
// A record with a mark that is not a number loads unmarked.
class ItemsListLoader : public QObject {
    Q_OBJECT
public:
    ItemsListLoader(cGrid& grid, ItemProbe& probe, QObject* parent = nullptr);
    ~ItemsListLoader() override;

    void SetProgressBar(QProgressBar* prgStatus) { m_prg = prgStatus; }
    void SetImageList(const cImageList* imgGrid) { m_images = imgGrid; }
    // 0: never yield (the whole list before Load returns).
    void SetSliceMilliseconds(int ms) { m_sliceMs = ms; }

    struct Options {
        bool copyTagsFromSource = false;  // chkCopyID3FromSource
    };
    // Clears the grid and loads the file. Finished follows, at once or after the last slice.
    void Load(const QString& sListFile, const Options& options);
    // Stops a running load; the rows so far stay, and the list is not complete.
    void Abort();

    bool IsBusy() const { return m_busy; }
    // The grid holds the whole list of ListFile (every record either a row or held aside).
    bool IsComplete() const { return m_complete; }
    QString ListFile() const { return m_path; }
    // The open list's file was renamed: the grid still holds that list.
    void ListRenamed(const QString& sNewPath) { m_path = sNewPath; }
    const QList<HeldItem>& Held() const { return m_held; }
    // The records held aside because their source could not be loaded (damaged parts aside).
    long HiddenRecords() const;
    // The grid's row was removed (by the user): what is held after it moves up with the rows
    // that follow, so it stays between the same neighbours.
    void RowRemoved(long row);
    // The file's damaged parts (see ItemsListPiece), each as the number of records of the file
    // before it; empty for a sound file. Held keeps their bytes for the next save, and a copy of
    // the file as it was read is kept beside it (DamagedCopy, or DamagedCopyError).
    const QList<long>& DamagedAfter() const { return m_damagedAfter; }
    QString DamagedCopy() const { return m_damagedCopy; }
    QString DamagedCopyError() const { return m_damagedCopyError; }
    // What the file held when it was read, or when this program last saved it.
    const ItemsListStamp& Stamp() const { return m_stamp; }
    void Saved(const ItemsListStamp& written) { m_stamp = written; }
    // Forgets the list: after the grid was emptied on purpose, or another list was opened.
    void Reset();
    // The list in the grid was cleared by the user, and its file written (`written`): nothing
    // is held any more, and the list is complete (empty).
    void ClearedByUser(const ItemsListStamp& written);

signals:
    // completed false: aborted, or the file could not be read.
    void Finished(bool completed);

private:
    void runSlice();
    void loadRecord(const ItemsListRecord& record);
    void finish(bool completed);

    cGrid& m_grid;
    ItemProbe& m_probe;
    QPointer<QProgressBar> m_prg;
    const cImageList* m_images = nullptr;
    int m_sliceMs = 25;

    QString m_path;
    Options m_options;
    QByteArray m_data;              // the file being loaded
    QList<qsizetype> m_offsets;     // where its records start
    bool m_escaped = false;
    qsizetype m_next = 0;
    long m_loaded = 0;
    long m_records = 0;             // records of the file read so far, loaded or held
    QList<HeldItem> m_held;
    QList<long> m_damagedAfter;
    QString m_damagedCopy;
    QString m_damagedCopyError;
    ItemsListStamp m_stamp;
    bool m_busy = false;
    bool m_complete = false;
    bool m_cursorSet = false;
    quint64 m_generation = 0;
};
