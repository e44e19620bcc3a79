// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "components/sound/SoundOutput.h"

#include <QObject>
#include <QString>

#include <memory>

// Plays a stretch of one audio file (any file the engine reads) on an output through the shared
// sound output, reading it bit by bit on the GUI thread as the output asks for more. Used by the
// recorder and the editor. One `Ended` per started playback that was not stopped. GUI thread.
class FilePlayback : public QObject {
    Q_OBJECT
public:
    enum Result : long { Ok = 0, ErrFile = 1, ErrNoOutput = 2, ErrFormat = 3 };

    explicit FilePlayback(QObject* parent = nullptr);
    ~FilePlayback() override;

    // Plays frames [startFrame, startFrame + frames) of the file (frames < 0: to its end) on
    // output `device` (see SoundOutput::OutputDevice). Stops what played before.
    long Start(const QString& path, qint64 startFrame, qint64 frames, long device, QString* error);
    void Stop();
    void Pause();
    void Resume();
    bool IsPlaying() const;
    bool IsPaused() const;
    // Frames of the played stretch heard so far, and its length in frames, at the file's rate.
    qint64 FramesHeard() const;
    qint64 Frames() const { return m_frames; }
    int SampleRate() const { return m_rate; }

signals:
    void Ended();

private:
    class Source;
    std::unique_ptr<sound::SoundOutput> m_output;
    std::unique_ptr<Source> m_source;
    qint64 m_frames = 0;
    int m_rate = 0;
    int m_outRate = 0;
};
