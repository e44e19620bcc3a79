// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/sound/PulseInput.h"

#include <pulse/pulseaudio.h>

#include <QMetaObject>

#include <atomic>
#include <cstring>
#include <mutex>

#include <unistd.h>

namespace sound {

namespace {
// How long a server may take to answer a connection or open a stream.
constexpr int kAnswerMs = 5000;
}  // namespace

struct PulseInput::Private {
    PulseInput* q = nullptr;
    pa_threaded_mainloop* loop = nullptr;
    pa_context* context = nullptr;
    pa_stream* stream = nullptr;
    char silence = 0;
    bool stopping = false;  // under the loop's lock
    std::mutex mutex;
    QByteArray buffer;  // under `mutex`
    std::atomic<bool> wakePending{false};
    std::atomic<bool> lostSent{false};

    // On the connection's thread, under the loop's lock.
    static void onContextState(pa_context* c, void* user)
    {
        auto* d = static_cast<Private*>(user);
        const pa_context_state_t s = pa_context_get_state(c);
        if ((s == PA_CONTEXT_FAILED || s == PA_CONTEXT_TERMINATED) && !d->stopping)
            d->sendLost(true);
    }
    static void onStreamState(pa_stream* st, void* user)
    {
        auto* d = static_cast<Private*>(user);
        const pa_stream_state_t s = pa_stream_get_state(st);
        if ((s == PA_STREAM_FAILED || s == PA_STREAM_TERMINATED) && !d->stopping)
            d->sendLost(!PA_CONTEXT_IS_GOOD(pa_context_get_state(pa_stream_get_context(st))));
    }
    static void onRead(pa_stream* st, size_t, void* user)
    {
        auto* d = static_cast<Private*>(user);
        bool added = false;
        while (pa_stream_readable_size(st) > 0) {
            const void* data = nullptr;
            size_t n = 0;
            if (pa_stream_peek(st, &data, &n) < 0 || n == 0)
                break;
            {
                std::lock_guard lock(d->mutex);
                if (data)
                    d->buffer.append(static_cast<const char*>(data), static_cast<qsizetype>(n));
                else  // a hole in the stream: heard as silence
                    d->buffer.append(QByteArray(static_cast<qsizetype>(n), d->silence));
            }
            added = true;
            pa_stream_drop(st);
        }
        if (added && !d->wakePending.exchange(true)) {
            PulseInput* q = d->q;
            QMetaObject::invokeMethod(
                q,
                [q] {
                    q->d->wakePending.store(false);
                    emit q->readyRead();
                },
                Qt::QueuedConnection);
        }
    }
    void sendLost(bool serverGone)
    {
        if (lostSent.exchange(true))
            return;
        PulseInput* input = q;
        QMetaObject::invokeMethod(q, [input, serverGone] { emit input->lost(serverGone); }, Qt::QueuedConnection);
    }

    // With the loop locked: until `state` says 1 (ready) or -1 (failed), for kAnswerMs at most.
    template <class State>
    bool waitFor(State state)
    {
        for (int waited = 0; waited < kAnswerMs; waited += 5) {
            const int s = state();
            if (s != 0)
                return s > 0;
            pa_threaded_mainloop_unlock(loop);
            ::usleep(5000);
            pa_threaded_mainloop_lock(loop);
        }
        return false;
    }
};

PulseInput::PulseInput() : d(std::make_unique<Private>())
{
    d->q = this;
}

PulseInput::~PulseInput()
{
    stop();
    QIODevice::close();
}

bool PulseInput::ServerReachable(QString* why)
{
    PulseInput probe;
    if (!probe.connectServer(why))
        return false;
    pa_threaded_mainloop_unlock(probe.d->loop);
    return true;
}

bool PulseInput::connectServer(QString* error)
{
    Private& p = *d;
    const auto failed = [&](const QString& why) {
        if (p.loop)
            pa_threaded_mainloop_unlock(p.loop);
        if (error)
            *error = why;
        return false;
    };
    p.loop = pa_threaded_mainloop_new();
    if (!p.loop || pa_threaded_mainloop_start(p.loop) < 0) {
        if (p.loop)
            pa_threaded_mainloop_free(p.loop);
        p.loop = nullptr;
        return failed(QStringLiteral("The sound server is not reachable (no connection can be made)."));
    }
    pa_threaded_mainloop_lock(p.loop);
    p.context = pa_context_new(pa_threaded_mainloop_get_api(p.loop), "Quillmere");
    if (!p.context)
        return failed(QStringLiteral("The sound server is not reachable (no connection can be made)."));
    pa_context_set_state_callback(p.context, Private::onContextState, &p);
    const auto unreachable = [&] {
        return failed(QStringLiteral("The sound server is not reachable (%1).")
                          .arg(QString::fromUtf8(pa_strerror(pa_context_errno(p.context)))));
    };
    if (pa_context_connect(p.context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        return unreachable();
    const bool connected = p.waitFor([&] {
        const pa_context_state_t s = pa_context_get_state(p.context);
        return s == PA_CONTEXT_READY ? 1 : !PA_CONTEXT_IS_GOOD(s) ? -1 : 0;
    });
    if (!connected)
        return unreachable();
    return true;
}

std::unique_ptr<PulseInput> PulseInput::open(const QByteArray& sourceId, const engine::PcmFormat& format, int heldMs,
                                             QString* error, bool* serverReachable)
{
    std::unique_ptr<PulseInput> in(new PulseInput);
    Private& p = *in->d;
    if (serverReachable)
        *serverReachable = false;
    if (!in->connectServer(error))
        return nullptr;
    if (serverReachable)
        *serverReachable = true;
    const auto failed = [&](const QString& why) {
        pa_threaded_mainloop_unlock(p.loop);
        if (error)
            *error = why;
        return nullptr;
    };

    pa_sample_spec spec;
    spec.format = format.bitsPerSample == 8 ? PA_SAMPLE_U8 : PA_SAMPLE_S16LE;
    spec.rate = static_cast<uint32_t>(format.sampleRate);
    spec.channels = static_cast<uint8_t>(format.channels);
    p.silence = format.bitsPerSample == 8 ? char(0x80) : char(0);
    const auto refused = [&] {
        return failed(QString::fromUtf8(pa_strerror(pa_context_errno(p.context))));
    };
    if (!pa_sample_spec_valid(&spec))
        return failed(QStringLiteral("The sound server does not take this sample format"));
    p.stream = pa_stream_new(p.context, "Recording", &spec, nullptr);
    if (!p.stream)
        return refused();
    pa_stream_set_state_callback(p.stream, Private::onStreamState, &p);
    pa_stream_set_read_callback(p.stream, Private::onRead, &p);
    pa_buffer_attr attr;
    attr.maxlength = static_cast<uint32_t>(-1);
    attr.tlength = static_cast<uint32_t>(-1);
    attr.prebuf = static_cast<uint32_t>(-1);
    attr.minreq = static_cast<uint32_t>(-1);
    attr.fragsize = static_cast<uint32_t>(pa_usec_to_bytes(static_cast<pa_usec_t>(heldMs) * 1000, &spec));
    const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_DONT_MOVE);
    if (pa_stream_connect_record(p.stream, sourceId.isEmpty() ? nullptr : sourceId.constData(), &attr, flags) < 0)
        return refused();
    const bool ready = p.waitFor([&] {
        const pa_stream_state_t s = pa_stream_get_state(p.stream);
        return s == PA_STREAM_READY ? 1 : !PA_STREAM_IS_GOOD(s) ? -1 : 0;
    });
    if (!ready)
        return refused();
    pa_threaded_mainloop_unlock(p.loop);
    in->QIODevice::open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    return in;
}

void PulseInput::suspend()
{
    if (!d->loop)
        return;
    pa_threaded_mainloop_lock(d->loop);
    if (d->stream)
        if (pa_operation* op = pa_stream_cork(d->stream, 1, nullptr, nullptr))
            pa_operation_unref(op);
    pa_threaded_mainloop_unlock(d->loop);
}

void PulseInput::resume()
{
    if (!d->loop)
        return;
    pa_threaded_mainloop_lock(d->loop);
    if (d->stream)
        if (pa_operation* op = pa_stream_cork(d->stream, 0, nullptr, nullptr))
            pa_operation_unref(op);
    pa_threaded_mainloop_unlock(d->loop);
}

void PulseInput::stop()
{
    if (!d->loop)
        return;
    pa_threaded_mainloop_lock(d->loop);
    d->stopping = true;
    if (d->stream) {
        pa_stream_set_state_callback(d->stream, nullptr, nullptr);
        pa_stream_set_read_callback(d->stream, nullptr, nullptr);
        pa_stream_disconnect(d->stream);
        pa_stream_unref(d->stream);
        d->stream = nullptr;
    }
    if (d->context) {
        pa_context_set_state_callback(d->context, nullptr, nullptr);
        pa_context_disconnect(d->context);
        pa_context_unref(d->context);
        d->context = nullptr;
    }
    pa_threaded_mainloop_unlock(d->loop);
    pa_threaded_mainloop_stop(d->loop);
    pa_threaded_mainloop_free(d->loop);
    d->loop = nullptr;
}

qint64 PulseInput::bytesAvailable() const
{
    std::lock_guard lock(d->mutex);
    return d->buffer.size() + QIODevice::bytesAvailable();
}

qint64 PulseInput::readData(char* data, qint64 maxBytes)
{
    std::lock_guard lock(d->mutex);
    const qint64 n = std::min<qint64>(maxBytes, d->buffer.size());
    if (n > 0) {
        std::memcpy(data, d->buffer.constData(), static_cast<size_t>(n));
        d->buffer.remove(0, static_cast<qsizetype>(n));
    }
    return n;
}

}  // namespace sound
