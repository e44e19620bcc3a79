// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "settings/EndSoundPlayer.h"

#include "components/engine/AudioEngine.h"

#include <QApplication>
#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>

namespace {

// A read-only device that decodes on demand.
class DecodingStream final : public QIODevice {
public:
    explicit DecodingStream(std::unique_ptr<engine::AudioReader> reader, int bytesPerFrame)
        : m_reader(std::move(reader)), m_bytesPerFrame(bytesPerFrame)
    {
    }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return (m_done ? 0 : 65536) + QIODevice::bytesAvailable(); }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        if (m_done)
            return 0;
        const qint64 frames = maxSize / m_bytesPerFrame;
        if (frames <= 0)
            return 0;
        QString error;
        const int64_t got = m_reader->read(reinterpret_cast<uint8_t*>(data), frames, &error);
        if (got <= 0) {
            m_done = true;
            return 0;
        }
        return got * m_bytesPerFrame;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    std::unique_ptr<engine::AudioReader> m_reader;
    int m_bytesPerFrame;
    bool m_done = false;
};

}  // namespace

EndSoundPlayer::EndSoundPlayer() = default;
EndSoundPlayer::~EndSoundPlayer() { stop(); }

void EndSoundPlayer::Register()
{
    static EndSoundPlayer* player = new EndSoundPlayer();  // lives until the process ends
    platform::registerEndSoundPlayer(player);
}

std::unique_ptr<QIODevice> EndSoundPlayer::OpenStream(const QString& path, int sampleRate, int channels,
                                                      QString* error)
{
    auto reader = engine::AudioReader::open(path, error);
    if (!reader)
        return nullptr;
    engine::PcmFormat f;
    f.sampleRate = sampleRate;
    f.channels = channels;
    f.bitsPerSample = 16;
    if (!reader->setOutputFormat(f, error))
        return nullptr;
    auto stream = std::make_unique<DecodingStream>(std::move(reader), f.bytesPerFrame());
    stream->open(QIODevice::ReadOnly);
    return stream;
}

void EndSoundPlayer::play(const QString& path)
{
    stop();
    QString error;
    auto probe = engine::AudioReader::open(path, &error);
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (!probe || device.isNull()) {
        QApplication::beep();
        return;
    }
    QAudioFormat format;
    format.setSampleRate(probe->info().format.sampleRate);
    format.setChannelCount(qBound(1, probe->info().format.channels, 2));
    format.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(format)) {
        const QAudioFormat preferred = device.preferredFormat();
        format.setSampleRate(preferred.sampleRate());
        format.setChannelCount(qBound(1, preferred.channelCount(), 2));
    }
    probe.reset();
    m_stream = OpenStream(path, format.sampleRate(), format.channelCount(), &error);
    if (!m_stream || !device.isFormatSupported(format)) {
        m_stream.reset();
        QApplication::beep();
        return;
    }
    m_sink = std::make_unique<QAudioSink>(device, format);
    connect(m_sink.get(), &QAudioSink::stateChanged, this, [this](QAudio::State state) {
        if (state == QAudio::IdleState || (state == QAudio::StoppedState && m_sink && m_sink->error() != QAudio::NoError))
            QMetaObject::invokeMethod(this, &EndSoundPlayer::finish, Qt::QueuedConnection);
    });
    m_sink->start(m_stream.get());
    if (m_sink->error() != QAudio::NoError) {
        stop();
        QApplication::beep();
    }
}

bool EndSoundPlayer::isPlaying() const { return m_sink && m_sink->state() == QAudio::ActiveState; }

void EndSoundPlayer::finish()
{
    if (m_sink && m_sink->state() != QAudio::ActiveState)
        stop();
}

void EndSoundPlayer::stop()
{
    if (m_sink) {
        m_sink->disconnect(this);
        m_sink->stop();
        m_sink.reset();
    }
    m_stream.reset();
}
