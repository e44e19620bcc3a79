// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "components/engine/FormatRecords.h"

#include <QObject>
#include <QString>

#include <memory>

// The converter component every host window keeps one of: it probes audio files, converts a
// file or a range of it to an output format with tags, and lists the compressed-WAV and WMA
// codecs. Lives on the GUI thread; a conversion runs on a worker thread of its own and reports
// through the signals below, always queued, never from inside Start(). Each accepted or refused
// Start() ends in exactly one of Done, Aborted or Error.
// Times are in seconds for ranges, milliseconds for SourceDuration.
class cAudioConverter : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~cAudioConverter() override = default;

    // Probing, independent of any running conversion. 0 when the file was opened.
    virtual long OpenSource(const QString& path) = 0;
    // Why the last OpenSource failed, a sentence naming the file; empty after one that opened.
    virtual QString SourceError() const { return {}; }
    virtual void CloseSource() = 0;
    virtual long SourceSampleRate() const = 0;  // Hz
    virtual long SourceChannels() const = 0;    // 1 mono
    virtual long SourceBits() const = 0;
    virtual long SourceDuration() const = 0;    // ms, rounded up: no sample lies past it
    // Fills the seven tag properties with the file's tags (all empty when it has none).
    virtual void ReadSourceTags(const QString& path) = 0;
    virtual QString FormatTime(long seconds) const = 0;

    virtual QString InputFile() const = 0;
    virtual void InputFile(const QString& path) = 0;  // also clears the range
    virtual QString OutputFile() const = 0;
    virtual void OutputFile(const QString& path) = 0;

    // Destination-type code (1 WAV ... 6 APE), followed by the one settings call of that code.
    virtual long OutputFormat() const = 0;
    virtual void OutputFormat(long destinationFormat) = 0;
    virtual void SetWavFormat(const engine::WavFormatRecord& record) = 0;
    virtual void SetAcmFormat(const QString& tagName, const QString& formatName) = 0;
    virtual void SetMp3Format(const engine::Mp3FormatRecord& record) = 0;
    virtual void SetWmaFormat(const engine::WmaFormatRecord& record) = 0;
    virtual void SetOggFormat(const engine::OggFormatRecord& record) = 0;
    virtual void SetApeLevel(long level) = 0;

    // Whole seconds; -1 (the state after InputFile is set) means from the start / to the end.
    virtual long RangeStart() const = 0;
    virtual void RangeStart(long seconds) = 0;
    virtual long RangeLength() const = 0;
    virtual void RangeLength(long seconds) = 0;

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

    // Returns at once; the outcome arrives as events.
    virtual void Start() = 0;
    // Stops a running conversion, which then ends with Aborted. Nothing happens when idle.
    virtual void Abort() = 0;

    // Codec listings: their events are raised before the call returns.
    // flags 0: every tag; 0x100000: only the tags a PCM source of rate/channels/bits converts to.
    virtual void EnumAcmTags(long tag, long sampleRate, long channels, long bits, long flags) = 0;
    virtual void EnumAcmFormats(const QString& tagName) = 0;
    virtual long WmaCodecCount() const = 0;
    virtual QString WmaCodecName(long index) const = 0;
    virtual long WmaFormatCount(long codec) const = 0;
    virtual QString WmaFormatName(long codec, long index) const = 0;

    // Stops any conversion, waits for it and lets go of every file. No event follows.
    virtual void Release() = 0;

signals:
    void Progress(int percent);
    void Done();
    void Aborted();
    void Error(long code, const QString& text);
    void TagFound(const QString& name);
    void FormatFound(const QString& name);
};

// The real converter, over the audio engine.
std::unique_ptr<cAudioConverter> CreateAudioConverter();
