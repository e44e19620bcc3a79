// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// A private sound server for sound tests: PulseAudio without shared memory, its socket in the
// test's own folder, a pipe sink at 44100 Hz s16 stereo as the default output whose FIFO is read
// into memory from the moment the server starts, and a null sink as a second output; a pipe
// source at the same format is the default input, fed by feedSource(). The
// process's PULSE_SERVER points at it. The audio back end of Qt connects once per process, so
// a test executable starts one server (Shared()) and keeps it; TearDown-free by design.
class PulseServer {
public:
    static constexpr int kRate = 44100;
    static constexpr int kChannels = 2;
    static constexpr const char* kPipeSink = "qmpipe";
    static constexpr const char* kNullSink = "qmnull";
    static constexpr const char* kPipeSource = "qmsource";

    // The process's server, started on first use. Null, with the reason in `error`, when it
    // cannot be started.
    static PulseServer* Shared(QString* error = nullptr);

    ~PulseServer();
    // Everything the pipe sink has played since the server started (or the last clearCapture).
    QByteArray captured() const;
    void clearCapture();
    // Writes PCM (44100 Hz, s16, stereo) into the pipe source from a thread of its own, after
    // whatever earlier calls are still writing; waitFed() waits until all of it is written.
    void feedSource(const QByteArray& pcm);
    bool waitFed(int ms);
    // Ends the server at once (a crash as the client sees it).
    void kill();
    // Starts it again (after kill(), or killing it first) with the same devices and socket, as a
    // user restarts a sound server. False, with the reason, when it does not come back.
    bool restart(QString* error = nullptr);
    QString folder() const { return m_dir; }

    // Polls the event loop until done() or the time is up; returns done().
    static bool waitUntil(const std::function<bool()>& done, int ms);

private:
    PulseServer() = default;
    bool start(QString* error);
    bool launch(QString* error);
    void drain();

    QString m_dir;
    QString m_fifo;
    QString m_sourceFifo;
    std::thread m_feeder;
    std::atomic<bool> m_feeding{false};
    QProcess m_server;
    std::thread m_reader;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    QByteArray m_capture;
};
