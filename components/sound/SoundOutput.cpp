// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/sound/SoundOutput.h"

#include <QAudioFormat>
#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <cstring>

namespace sound {

namespace {

constexpr int kMonitorMs = 40;
constexpr int kRetiredSinkMs = 2000;
// A sink that has data to play and plays none of it for this long has lost its device, when
// the output is no longer listed (the server went away). A busy machine can hold a listed
// output back for more than a second, so one still listed must be stuck for far longer.
constexpr int kStallMs = 1000;
constexpr int kStuckMs = 15000;
constexpr int kHistorySeconds = 4;

QAudioFormat::SampleFormat sampleFormatOf(int bits)
{
    switch (bits) {
    case 8:
        return QAudioFormat::UInt8;
    case 16:
        return QAudioFormat::Int16;
    case 32:
        return QAudioFormat::Int32;
    default:
        return QAudioFormat::Unknown;
    }
}

QAudioFormat toQt(const engine::PcmFormat& f)
{
    QAudioFormat q;
    q.setSampleRate(f.sampleRate);
    q.setChannelCount(f.channels);
    q.setSampleFormat(sampleFormatOf(f.bitsPerSample));
    return q;
}

}  // namespace

// The read end the sink pulls: passes the source through and keeps what went by.
class SoundOutput::Pull final : public QIODevice {
public:
    Pull(SoundOutput& out, PcmSource& source) : m_out(out), m_source(source) {}
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return m_detached ? 0 : m_source.bytesReady() + QIODevice::bytesAvailable(); }
    // An empty moment is not the end: the sink keeps asking until the source has ended.
    bool atEnd() const override { return m_detached || (m_source.atEnd() && m_source.bytesReady() == 0); }
    // Once the stream is stopped its source and output may go; a late read gets nothing.
    void detach() { m_detached = true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        if (m_detached)
            return 0;
        const int bpf = m_out.m_format.bytesPerFrame();
        maxSize -= maxSize % bpf;
        if (maxSize <= 0)
            return 0;
        const qint64 got = m_source.readPcm(data, maxSize);
        if (got > 0)
            m_out.fed(data, got);
        return std::max<qint64>(got, 0);
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    SoundOutput& m_out;
    PcmSource& m_source;
    bool m_detached = false;
};

SoundOutput::SoundOutput(QObject* parent) : QObject(parent)
{
    m_monitor = new QTimer(this);
    m_monitor->setInterval(kMonitorMs);
    connect(m_monitor, &QTimer::timeout, this, &SoundOutput::check);
}

SoundOutput::~SoundOutput() { stop(); }

QAudioDevice SoundOutput::OutputDevice(long number)
{
    const QList<QAudioDevice> outputs = QMediaDevices::audioOutputs();
    if (outputs.isEmpty())
        return {};
    if (number >= 0 && number < outputs.size())
        return outputs.at(static_cast<int>(number));
    const QAudioDevice preferred = QMediaDevices::defaultAudioOutput();
    return preferred.isNull() ? outputs.first() : preferred;
}

bool SoundOutput::ChooseFormat(const QAudioDevice& device, const engine::PcmFormat& wanted, engine::PcmFormat* chosen)
{
    if (device.isNull())
        return false;
    engine::PcmFormat f = wanted;
    if (sampleFormatOf(f.bitsPerSample) == QAudioFormat::Unknown)
        f.bitsPerSample = f.bitsPerSample > 16 ? 32 : 16;
    if (device.isFormatSupported(toQt(f))) {
        *chosen = f;
        return true;
    }
    const QAudioFormat preferred = device.preferredFormat();
    for (int bits : {f.bitsPerSample, 16}) {
        engine::PcmFormat g = f;
        g.bitsPerSample = bits;
        g.sampleRate = preferred.sampleRate() > 0 ? preferred.sampleRate() : 44100;
        g.channels = preferred.channelCount() > 0 ? std::min(preferred.channelCount(), std::max(1, f.channels)) : 2;
        for (int channels : {g.channels, 2, 1}) {
            g.channels = channels;
            if (device.isFormatSupported(toQt(g))) {
                *chosen = g;
                return true;
            }
        }
    }
    return false;
}

bool SoundOutput::start(const QAudioDevice& device, const engine::PcmFormat& format, PcmSource* source, QString* error)
{
    stop();
    if (device.isNull()) {
        *error = QStringLiteral("There is no sound output (no sound server is running).");
        return false;
    }
    const QAudioFormat q = toQt(format);
    if (!q.isValid() || !device.isFormatSupported(q)) {
        *error = QStringLiteral("The sound output does not take this format.");
        return false;
    }
    m_format = format;
    m_deviceId = device.id();
    m_source = source;
    m_fedBytes = 0;
    const int bpf = format.bytesPerFrame();
    m_history = QByteArray(static_cast<qsizetype>(format.sampleRate) * kHistorySeconds * bpf, '\0');
    m_lastHeard = -1;
    m_paused = false;
    m_ending = false;
    ++m_serial;
    m_pull = std::make_unique<Pull>(*this, *source);
    m_pull->open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    m_sink = std::make_unique<QAudioSink>(device, q);
    m_sink->setVolume(1.0);
    m_sink->start(m_pull.get());
    if (m_sink->error() == QAudio::OpenError || m_sink->error() == QAudio::FatalError) {
        stop();
        *error = QStringLiteral("The sound output cannot be opened.");
        return false;
    }
    m_sinceProgress.start();
    m_monitor->start();
    return true;
}

void SoundOutput::pause()
{
    if (!m_sink || m_paused)
        return;
    m_paused = true;
    m_sink->suspend();
}

void SoundOutput::resume()
{
    if (!m_sink || !m_paused)
        return;
    m_paused = false;
    m_sink->resume();
    m_sinceProgress.start();
}

void SoundOutput::stop()
{
    ++m_serial;  // an end already queued for this stream is dropped
    m_monitor->stop();
    if (m_sink) {
        m_sink->stop();
        // The sound library may still call a stopped sink from its own thread (the answer to an
        // operation sent before the stop, such as a pause); deleting it at once crashed there.
        // It is kept, with the stream it read, for a while after it has gone quiet.
        static_cast<Pull*>(m_pull.get())->detach();
        QAudioSink* sink = m_sink.release();
        m_pull.release()->setParent(sink);
        QTimer::singleShot(kRetiredSinkMs, sink, &QObject::deleteLater);
    }
    m_pull.reset();
    m_source = nullptr;
    m_paused = false;
}

qint64 SoundOutput::framesHeard() const
{
    if (!m_sink)
        return 0;
    const qint64 us = m_sink->processedUSecs();
    const qint64 frames = (us * m_format.sampleRate + 500000) / 1000000;
    return std::clamp<qint64>(frames, 0, framesFed());
}

void SoundOutput::fed(const char* data, qint64 bytes)
{
    const qint64 size = m_history.size();
    if (size > 0) {
        const char* from = data;
        qint64 n = bytes;
        if (n > size) {
            from += n - size;
            n = size;
        }
        qint64 at = (m_fedBytes + bytes - n) % size;
        while (n > 0) {
            const qint64 part = std::min(n, size - at);
            std::memcpy(m_history.data() + at, from, static_cast<size_t>(part));
            from += part;
            n -= part;
            at = 0;
        }
    }
    m_fedBytes += bytes;
}

QByteArray SoundOutput::recentPcm(qint64 endFrame, int frames) const
{
    const int bpf = m_format.bytesPerFrame();
    const qint64 size = m_history.size();
    if (!m_sink || size == 0 || frames <= 0)
        return {};
    const qint64 endByte = std::min(endFrame * bpf, m_fedBytes);
    const qint64 startByte = std::max({endByte - static_cast<qint64>(frames) * bpf, m_fedBytes - size, qint64(0)});
    QByteArray out;
    out.reserve(static_cast<qsizetype>(endByte - startByte));
    for (qint64 b = startByte; b < endByte;) {
        const qint64 at = b % size;
        const qint64 part = std::min(endByte - b, size - at);
        out.append(m_history.constData() + at, static_cast<qsizetype>(part));
        b += part;
    }
    return out;
}

void SoundOutput::check()
{
    if (!m_sink || m_ending)
        return;
    const QAudio::Error e = m_sink->error();
    if (m_sink->state() == QAudio::StoppedState && (e == QAudio::IOError || e == QAudio::FatalError || e == QAudio::OpenError)) {
        finish(EndReason::DeviceLost);
        return;
    }
    const qint64 heard = framesHeard();
    const qint64 fedFrames = framesFed();
    if (m_source && m_source->atEnd() && m_source->bytesReady() == 0 && heard >= fedFrames) {
        finish(EndReason::Drained);
        return;
    }
    if (m_paused || heard > m_lastHeard) {
        m_lastHeard = std::max(heard, m_lastHeard);
        m_sinceProgress.start();
        return;
    }
    const bool pending = fedFrames > heard || (m_source && m_source->bytesReady() > 0);
    if (!pending || m_sinceProgress.elapsed() <= kStallMs)
        return;
    if (m_sinceProgress.elapsed() > kStuckMs || !outputListed())
        finish(EndReason::DeviceLost);
}

bool SoundOutput::outputListed() const
{
    const QList<QAudioDevice> outputs = QMediaDevices::audioOutputs();
    return std::any_of(outputs.begin(), outputs.end(), [this](const QAudioDevice& d) { return d.id() == m_deviceId; });
}

void SoundOutput::finish(EndReason reason)
{
    m_ending = true;
    m_monitor->stop();
    const quint64 serial = m_serial;
    QMetaObject::invokeMethod(
        this,
        [this, serial, reason] {
            if (serial == m_serial)
                emit ended(reason);
        },
        Qt::QueuedConnection);
}

}  // namespace sound
