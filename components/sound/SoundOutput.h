// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "components/engine/AudioEngine.h"

#include <QAudioDevice>
#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <memory>

class QAudioSink;
class QIODevice;
class QTimer;

namespace sound {

// Where an output pulls its PCM from. Called on the output's (GUI) thread; the producer may
// fill it from another thread.
class PcmSource {
public:
    virtual ~PcmSource() = default;
    // Copies up to maxBytes (whole frames) into data; 0 when nothing is ready at the moment.
    virtual qint64 readPcm(char* data, qint64 maxBytes) = 0;
    virtual qint64 bytesReady() const = 0;
    // True once nothing more will come: what is ready now is the rest of the stream.
    virtual bool atEnd() const = 0;
};

// Plays one PCM stream on an output device through QAudioSink: pause, resume, stop, the frames
// heard so far, and one `ended` event per started stream once it has been heard to its last
// frame (an empty moment of the source is an underrun, not an end) or the device went away
// (the server gone, or a sink that stops taking data for a second). The volume is never touched,
// so samples reach the server as the source gives them. GUI thread; owned by its user.
class SoundOutput : public QObject {
    Q_OBJECT
public:
    enum class EndReason { Drained, DeviceLost };

    explicit SoundOutput(QObject* parent = nullptr);
    ~SoundOutput() override;

    // The output of a device number: -1, or a number outside the list, is the server's default
    // output; n is entry n of QMediaDevices::audioOutputs(). Null when there is no output at all
    // (no sound server).
    static QAudioDevice OutputDevice(long number);
    // The stream format to play `wanted` on the device: `wanted` itself when the device takes
    // it, else the device's preferred rate and channels in the same sample width. False when
    // the device takes neither.
    static bool ChooseFormat(const QAudioDevice& device, const engine::PcmFormat& wanted, engine::PcmFormat* chosen);

    // Starts pulling from the source. False, and nothing started, with a reason in `error`.
    // The source must outlive the stream (until stop() or `ended`).
    bool start(const QAudioDevice& device, const engine::PcmFormat& format, PcmSource* source, QString* error);
    void pause();
    void resume();
    // Ends the stream at once; raises nothing.
    void stop();

    bool isActive() const { return m_sink != nullptr; }
    bool isPaused() const { return m_paused; }
    const engine::PcmFormat& format() const { return m_format; }
    // Frames the device has played of this stream, and frames handed to it.
    qint64 framesHeard() const;
    qint64 framesFed() const { return m_fedBytes / m_format.bytesPerFrame(); }
    // The most recent `frames` frames handed to the device that end at `endFrame` (stream
    // frames, counted from the start); shorter when fewer are kept, empty when none.
    QByteArray recentPcm(qint64 endFrame, int frames) const;

signals:
    // Queued, at most once per start(), never after stop().
    void ended(sound::SoundOutput::EndReason reason);

private:
    class Pull;
    friend class Pull;
    void fed(const char* data, qint64 bytes);
    void check();
    bool outputListed() const;
    void finish(EndReason reason);

    std::unique_ptr<QAudioSink> m_sink;
    std::unique_ptr<QIODevice> m_pull;
    PcmSource* m_source = nullptr;
    engine::PcmFormat m_format;
    QTimer* m_monitor = nullptr;
    qint64 m_fedBytes = 0;
    QByteArray m_history;        // ring of the last bytes fed
    qint64 m_lastHeard = -1;
    QElapsedTimer m_sinceProgress;
    bool m_paused = false;
    bool m_ending = false;
    quint64 m_serial = 0;
    QByteArray m_deviceId;
};

}  // namespace sound
