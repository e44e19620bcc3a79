// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "settings/EndSoundPlayer.h"

#include "components/engine/AudioEngine.h"
#include "components/sound/SoundOutput.h"

#include <QApplication>
#include <QIODevice>

namespace {

// A read-only stream that decodes on demand; also the output's source.
class DecodingStream final : public QIODevice, public sound::PcmSource {
public:
    explicit DecodingStream(std::unique_ptr<engine::AudioReader> reader, int bytesPerFrame)
        : m_reader(std::move(reader)), m_bytesPerFrame(bytesPerFrame)
    {
    }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return bytesReady() + QIODevice::bytesAvailable(); }

    qint64 readPcm(char* data, qint64 maxBytes) override { return std::max<qint64>(read(data, maxBytes), 0); }
    qint64 bytesReady() const override { return m_done ? 0 : 65536; }
    bool atEnd() const override { return m_done; }

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

std::unique_ptr<DecodingStream> openDecoding(const QString& path, const engine::PcmFormat& f, QString* error)
{
    auto reader = engine::AudioReader::open(path, error);
    if (!reader || !reader->setOutputFormat(f, error))
        return nullptr;
    auto stream = std::make_unique<DecodingStream>(std::move(reader), f.bytesPerFrame());
    stream->open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    return stream;
}

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
    engine::PcmFormat f;
    f.sampleRate = sampleRate;
    f.channels = channels;
    f.bitsPerSample = 16;
    return openDecoding(path, f, error);
}

void EndSoundPlayer::play(const QString& path)
{
    stop();
    QString error;
    auto probe = engine::AudioReader::open(path, &error);
    const QAudioDevice device = probe ? sound::SoundOutput::OutputDevice(-1) : QAudioDevice();
    engine::PcmFormat wanted;
    engine::PcmFormat format;
    if (probe) {
        wanted = probe->info().format;
        wanted.bitsPerSample = 16;
    }
    if (!probe || !sound::SoundOutput::ChooseFormat(device, wanted, &format)) {
        QApplication::beep();
        return;
    }
    probe.reset();
    auto stream = openDecoding(path, format, &error);
    if (!stream) {
        QApplication::beep();
        return;
    }
    sound::PcmSource* source = stream.get();
    m_stream = std::move(stream);
    m_output = std::make_unique<sound::SoundOutput>();
    connect(m_output.get(), &sound::SoundOutput::ended, this, &EndSoundPlayer::stop, Qt::QueuedConnection);
    if (!m_output->start(device, format, source, &error)) {
        stop();
        QApplication::beep();
    }
}

bool EndSoundPlayer::isPlaying() const { return m_output && m_output->isActive(); }

void EndSoundPlayer::stop()
{
    if (m_output) {
        m_output->disconnect(this);
        m_output->stop();
        m_output.reset();
    }
    m_stream.reset();
}
