// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "components/engine/FormatRecords.h"

#include <QObject>
#include <QString>

#include <memory>

// The join component of the joiner window: joins a list of files, each whole or a range of it,
// into one output file of the chosen format with tags. Lives on the GUI thread; a join runs on a
// worker thread of its own and reports through the signals below, always queued, never from
// inside Join(). Each accepted or refused Join() ends in exactly one of Done, Aborted or Error.
// Entries are numbered from 1; ranges are whole seconds, -1 and -1 standing for the whole file.
// The list, output file, format and tags stay set between joins.
class cAudioJoin : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~cAudioJoin() override = default;

    virtual long DestinationFormat() const = 0;
    virtual void DestinationFormat(long destinationFormat) = 0;
    virtual void SetWavFormat(const engine::WavFormatRecord& record) = 0;
    virtual void SetAcmFormat(const QString& tagName, const QString& formatName) = 0;
    virtual void SetMp3Format(const engine::Mp3FormatRecord& record) = 0;
    virtual void SetWmaFormat(const engine::WmaFormatRecord& record) = 0;
    virtual void SetOggFormat(const engine::OggFormatRecord& record) = 0;
    virtual void SetApeLevel(long level) = 0;

    virtual QString TagTrack() const = 0;
    virtual void TagTrack(const QString& text) = 0;
    virtual QString TagComment() const = 0;
    virtual void TagComment(const QString& text) = 0;
    virtual QString TagGenre() const = 0;
    virtual void TagGenre(const QString& text) = 0;
    virtual QString TagYear() const = 0;
    virtual void TagYear(const QString& text) = 0;
    virtual QString TagArtist() const = 0;
    virtual void TagArtist(const QString& text) = 0;
    virtual QString TagAlbum() const = 0;
    virtual void TagAlbum(const QString& text) = 0;
    virtual QString TagTitle() const = 0;
    virtual void TagTitle(const QString& text) = 0;

    virtual long FileCount() const = 0;
    // Removes entry index (from 1); the entries after it move up. Out of range: nothing.
    virtual void RemoveFile(long index) = 0;
    virtual void AddFile(const QString& path, long start, long length) = 0;
    // The path of entry index and its range; empty text (and -1, -1) when out of range.
    virtual QString GetFile(long index, long& start, long& length) const = 0;

    virtual QString OutputFile() const = 0;
    virtual void OutputFile(const QString& path) = 0;  // replaced when the join completes

    virtual void Join() = 0;
    virtual void Abort() = 0;
    // Called after Abort by the joiner; the join is already stopping, so it adds nothing.
    virtual void Stop() = 0;
    // Stops any join, waits for it and lets go of everything held. No event follows.
    virtual void Shutdown() = 0;

signals:
    void Progress(int entry, int percent);
    void Done();
    void Aborted();
    void Error(long code, const QString& text);
};

// The real join component, over the audio engine.
std::unique_ptr<cAudioJoin> CreateAudioJoin();
