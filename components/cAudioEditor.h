// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QString>
#include <QWidget>

#include <cstdint>

// The wave display of the audio editor: shows one audio file (any the engine reads; compressed
// WAVs are decoded), lets the user select a stretch with the mouse, plays the selection (all
// when none) on the default output, zooms to the selection, and saves a stretch of a file as a
// new PCM WAV. It never changes the file it shows. The outline is built on a worker thread, so
// a long file shows at once and fills in; FileInfo comes as soon as the file is opened.
//
// Units: samples are frames counted from 0 (an end is the first frame after the stretch);
// times are milliseconds. Every member is called on the GUI thread; the events arrive queued
// on it, never from inside the call that caused them. Save is synchronous: the file is complete
// (or refused, leaving what stood at its path untouched) when it returns; Done or Error follows.
class cAudioEditor : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    ~cAudioEditor() override = default;

    // 0 when the file opened; otherwise Error follows and the display shows why.
    virtual long Load(const QString& path) = 0;
    // 0 when playback started.
    virtual long Play() = 0;
    virtual bool IsPaused() const = 0;
    virtual void Pause() = 0;
    virtual void Resume() = 0;
    virtual void Stop() = 0;
    virtual void Zoom() = 0;
    virtual void Restore() = 0;
    // Stops the outline being built and the playback; Aborted follows when something ran.
    virtual void Abort() = 0;
    // Lets go of the file and the output; nothing is raised afterwards.
    virtual void Release() = 0;

    // What Save writes: frames of SaveSource into SaveOutput. A start and length equal to the
    // times last reported (FileInfo, SelectionChanged) stand for the samples reported with them,
    // all of which the save writes: a file shown that no longer holds them (written over since)
    // or a source that ends early is an Error naming the files, and nothing is written. Other
    // times go to the nearest sample, within the file.
    virtual QString SaveSource() const = 0;
    virtual void SaveSource(const QString& path) = 0;
    virtual QString SaveOutput() const = 0;
    virtual void SaveOutput(const QString& path) = 0;
    virtual long SelectionStart() const = 0;
    virtual void SelectionStart(long ms) = 0;
    virtual long SelectionLength() const = 0;
    virtual void SelectionLength(long ms) = 0;
    virtual void Save() = 0;

    // Selects frames [startSample, endSample) as a drag of the mouse does.
    virtual void Select(int64_t startSample, int64_t endSample) = 0;

    // Colours as 0x00BBGGRR: the wave, the background, the selection.
    virtual int32_t Color1() const = 0;
    virtual void Color1(int32_t color) = 0;
    virtual int32_t Color2() const = 0;
    virtual void Color2(int32_t color) = 0;
    virtual int32_t Color3() const = 0;
    virtual void Color3(int32_t color) = 0;

signals:
    // seconds: whole seconds, rounded down; samples: frames of the file.
    void FileInfo(long samplesPerSec, long bitsPerSample, long channels, long seconds, long samples);
    void SelectionChanged(long startSample, long endSample, long startMs, long endMs);
    void Progress(int percent);
    void Done();
    void Aborted();
    void Error(long code, const QString& text);
    void DonePlay();
};

cAudioEditor* CreateAudioEditor(QWidget* parent = nullptr);
