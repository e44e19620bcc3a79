// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "components/engine/AudioEngine.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <memory>

namespace sound {

// A recording stream read from the sound server over a connection of its own, made anew for each
// stream: Qt's audio back end keeps one connection per process and gives up on it for good when
// the server is away for more than a few seconds (a restart of the server), and it lets the
// server move a stream to another source; the recorder opens every input through this. The
// samples arrive on the connection's
// thread and are read here as a sequential device; readyRead and `lost` (the server or the
// source went away) arrive queued. A source that goes away ends the stream: it is never moved
// to another one, so every sample read came from the source it was opened on; what arrived
// before the loss can still be read after `lost`. GUI thread; owned by its user.
class PulseInput final : public QIODevice {
    Q_OBJECT
public:
    ~PulseInput() override;

    // A stream from the source with the server's name `sourceId` in `format` (8-bit unsigned or
    // 16-bit PCM), the server handing samples over at least every `heldMs`. Null, with the reason
    // in `error` (naming the sound server when it cannot be reached), when it cannot be opened;
    // gives up after a few seconds on a server that does not answer.
    static std::unique_ptr<PulseInput> open(const QByteArray& sourceId, const engine::PcmFormat& format, int heldMs,
                                            QString* error, bool* serverReachable = nullptr);

    // Whether a connection to the sound server can be made at all; the reason when not.
    static bool ServerReachable(QString* why);

    void suspend();
    void resume();
    // Ends the stream and its connection; nothing more arrives.
    void stop();

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;

signals:
    // `serverGone`: the connection to the sound server broke; otherwise the server ended the
    // stream (its source was removed).
    void lost(bool serverGone);

protected:
    qint64 readData(char* data, qint64 maxBytes) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    PulseInput();
    // Connects to the server; true with the loop locked.
    bool connectServer(QString* error);
    struct Private;
    std::unique_ptr<Private> d;
};

}  // namespace sound
