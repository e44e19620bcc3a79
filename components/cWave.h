// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>

// The recorder and player of the microphone recorder window: records a sound input into a PCM
// WAV file in the format it is given, reports the input level, and plays a WAV file back on the
// default output. A recording goes to a hidden file beside the target that is put in place when
// the recording ends, however it ends (stop, release, a log-out or Ctrl+C, or a failing input or
// disk: what was captured is kept); DoneRecord follows. Its header is kept up to date while it
// runs, so a take cut off by a kill or a power loss is a valid file, which sound::RecoverTakes
// puts in place later. Every member is called on the GUI thread; the events arrive queued on it.
// Levels are 0..120 (0 dBFS = 120, -60 dBFS and below = 0), one per 50 ms of recorded sound,
// falling to 0 while the input delivers nothing; play positions are whole seconds or percent of
// the file. A recording holds the chosen input's samples only: when that input goes away the
// take ends with its last sample (RecordError says so, naming it), never going on with another.
class cWave : public QObject {
    Q_OBJECT
public:
    // Device kinds of GetDeviceCount and GetDeviceCaps.
    enum DeviceKind : long { KindOutput = 1, KindInput = 2 };
    // Results besides 0.
    enum Result : long {
        ErrNoDevice = 1,   // no input (or output) of that index, no sound server
        ErrFormat = 2,     // the device or the writer refuses the format
        ErrFile = 3,       // the file cannot be created, read or is not audio
        ErrBusy = 4,       // a recording runs already
        ErrNotPlaying = 5, // PlayStop with nothing playing
    };

    // The recording format, laid out as the window keeps it.
    struct WaveFormatEx {
        uint16_t wFormatTag = 1;
        uint16_t nChannels = 2;
        uint32_t nSamplesPerSec = 44100;
        uint32_t nAvgBytesPerSec = 176400;
        uint16_t nBlockAlign = 4;
        uint16_t wBitsPerSample = 16;
        uint16_t cbSize = 0;
    };
    struct WaveDeviceCaps {
        QString szPname;   // the device's name
        QString szId;      // the device's system id
        uint32_t dwFormats = 0;
        long wChannels = 0;  // the number shown after the name: its channel count
    };
    struct WaveFileInfo {
        uint16_t wFormatTag = 0;
        uint16_t nChannels = 0;
        uint32_t nSamplesPerSec = 0;
        uint32_t nAvgBytesPerSec = 0;
        uint16_t nBlockAlign = 0;
        uint16_t wBitsPerSample = 0;
        uint16_t cbSize = 0;
        QString FileName;
        QString FilePath;
        long SecondsLength = 0;
    };

    using QObject::QObject;
    ~cWave() override = default;

    virtual long GetDeviceCount(long kind) = 0;
    // 0 with caps filled; ErrNoDevice for an index outside the list.
    virtual long GetDeviceCaps(long& index, WaveDeviceCaps& caps, long kind) = 0;

    virtual bool MeterIn() const = 0;
    virtual void MeterIn(bool on) = 0;
    // Cutting the silence at the end of a recording: the trailing stretch whose level stays
    // below CutSilenceValue (on the level scale, so 20 is -50 dBFS) is dropped when it ends.
    virtual bool CutSilence() const = 0;
    virtual void CutSilence(bool on) = 0;
    virtual long CutSilenceValue() const = 0;
    virtual void CutSilenceValue(long level) = 0;
    // Pre-screen: the recorded buffers are also played on output `device` while recording.
    virtual void PreScreenOpen(WaveFormatEx& format, long device) = 0;
    virtual void PreScreenClose() = 0;
    virtual bool IsPreScreenOpen() const = 0;

    // Starts recording input `device` into `path` in `format`; bufferMs is the most the sound
    // server may hold back (the recorder holds back at most 100 ms whatever it is). 0 when
    // recording; otherwise nothing was created and no event follows.
    virtual long RecordStart(long& device, const QString& path, WaveFormatEx& format, int16_t bufferMs) = 0;
    virtual void RecordStop() = 0;
    virtual void RecordPause() = 0;
    virtual void RecordUnPause() = 0;
    virtual bool IsRecording() const = 0;
    virtual bool IsRecordPaused() const = 0;
    // Why the last recording ended before it was stopped (0 when it was not): the input or the
    // sound server went away, or the disk refused the samples. GetErrorText gives the reason,
    // naming the input or the file. Set when DoneRecord is raised, cleared by RecordStart.
    virtual long RecordError() const { return 0; }

    // The text of a result, naming the device or file it concerns.
    virtual QString GetErrorText(long& code) = 0;

    virtual bool IsPlaying() const = 0;
    // 0 with info filled; ErrFile when the file is not audio.
    virtual long GetFileInfo(const QString& path, WaveFileInfo& info) = 0;
    // Plays the file on the default output (`device` numbers an input and is not used);
    // bufferMs as for RecordStart.
    virtual long PlayStart(const QString& path, int16_t device, int16_t bufferMs) = 0;
    virtual long PlayStop() = 0;
    virtual void PlayPause() = 0;
    virtual void PlayUnPause() = 0;
    // 0..100 of the playing file; the last values stay after the playback ended.
    virtual long GetPlayPosition() = 0;
    virtual long GetPlayPositionSeconds() = 0;
    // "H:MM:SS".
    virtual QString FormatTime(long seconds) = 0;
    // Ends playback and recording (the recording is kept, DoneRecord is still raised).
    virtual void Release() = 0;

signals:
    void DonePlay();
    void DoneRecord();
    void MeterLevel(int level);
    // The sound server's inputs or outputs changed (one came or went): GetDeviceCount and
    // GetDeviceCaps now number the new list.
    void DevicesChanged();
};

std::unique_ptr<cWave> CreateWave();

// The level of a peak sample (0..1 of full scale) on the meter's scale.
int MeterLevelOf(double peak);
