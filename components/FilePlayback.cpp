// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/FilePlayback.h"

#include <QByteArray>

#include <cstring>

#include <algorithm>
#include <cmath>

// Reads the stretch from the engine's reader as the output pulls; a read error ends the stream
// where it happened.
class FilePlayback::Source final : public sound::PcmSource {
public:
    Source(std::unique_ptr<engine::AudioReader> reader, int bytesPerFrame, qint64 frames)
        : m_reader(std::move(reader)), m_bpf(bytesPerFrame), m_left(frames)
    {
    }

    qint64 readPcm(char* data, qint64 maxBytes) override
    {
        fill(maxBytes);
        const qint64 n = std::min<qint64>(maxBytes / m_bpf * m_bpf, m_buffer.size());
        std::memcpy(data, m_buffer.constData(), static_cast<size_t>(n));
        m_buffer.remove(0, static_cast<int>(n));
        return n;
    }
    qint64 bytesReady() const override
    {
        const_cast<Source*>(this)->fill(kChunk);
        return m_buffer.size();
    }
    bool atEnd() const override { return m_end; }

private:
    static constexpr qint64 kChunk = 32768;
    void fill(qint64 want)
    {
        while (!m_end && m_buffer.size() < want) {
            const qint64 frames = m_left < 0 ? 4096 : std::min<qint64>(4096, m_left);
            if (frames <= 0) {
                m_end = true;
                break;
            }
            const int old = m_buffer.size();
            m_buffer.resize(old + static_cast<int>(frames * m_bpf));
            QString error;
            const int64_t got = m_reader->read(reinterpret_cast<uint8_t*>(m_buffer.data() + old), frames, &error);
            m_buffer.resize(old + static_cast<int>(std::max<int64_t>(0, got) * m_bpf));
            if (got <= 0)
                m_end = true;
            else if (m_left >= 0)
                m_left -= got;
        }
    }
    std::unique_ptr<engine::AudioReader> m_reader;
    int m_bpf;
    qint64 m_left;
    QByteArray m_buffer;
    bool m_end = false;
};

FilePlayback::FilePlayback(QObject* parent) : QObject(parent) {}

FilePlayback::~FilePlayback() { Stop(); }

long FilePlayback::Start(const QString& path, qint64 startFrame, qint64 frames, long device, QString* error)
{
    Stop();
    std::unique_ptr<engine::AudioReader> reader = engine::AudioReader::open(path, error);
    if (!reader)
        return ErrFile;
    const engine::PcmFormat own = reader->info().format;
    const qint64 total = reader->info().totalFrames;
    const QAudioDevice out = sound::SoundOutput::OutputDevice(device);
    if (out.isNull()) {
        if (error)
            *error = QStringLiteral("There is no sound output to play '%1' on.").arg(path);
        return ErrNoOutput;
    }
    engine::PcmFormat chosen;
    if (!sound::SoundOutput::ChooseFormat(out, own, &chosen)) {
        if (error)
            *error = QStringLiteral("The sound output '%1' cannot play '%2'.").arg(out.description(), path);
        return ErrFormat;
    }
    if (!reader->setOutputFormat(chosen, error))
        return ErrFile;
    // Positions are in the file's frames; the output may run at another rate.
    const double ratio = static_cast<double>(chosen.sampleRate) / std::max(1, own.sampleRate);
    const qint64 outStart = std::llround(static_cast<double>(std::max<qint64>(0, startFrame)) * ratio);
    const qint64 outFrames = frames < 0 ? -1 : std::llround(static_cast<double>(frames) * ratio);
    if (outStart > 0 && !reader->seekToFrame(outStart, error))
        return ErrFile;
    m_source = std::make_unique<Source>(std::move(reader), chosen.bytesPerFrame(), outFrames);
    m_output = std::make_unique<sound::SoundOutput>();
    connect(m_output.get(), &sound::SoundOutput::ended, this, [this] {
        m_output.reset();
        m_source.reset();
        emit Ended();
    }, Qt::QueuedConnection);
    if (!m_output->start(out, chosen, m_source.get(), error)) {
        m_output.reset();
        m_source.reset();
        return ErrNoOutput;
    }
    m_rate = own.sampleRate;
    m_outRate = chosen.sampleRate;
    m_frames = frames >= 0 ? frames : std::max<qint64>(0, total - std::max<qint64>(0, startFrame));
    return Ok;
}

void FilePlayback::Stop()
{
    if (m_output) {
        m_output->disconnect(this);
        m_output->stop();
    }
    m_output.reset();
    m_source.reset();
}

void FilePlayback::Pause()
{
    if (m_output)
        m_output->pause();
}

void FilePlayback::Resume()
{
    if (m_output)
        m_output->resume();
}

bool FilePlayback::IsPlaying() const { return m_output != nullptr; }
bool FilePlayback::IsPaused() const { return m_output && m_output->isPaused(); }

qint64 FilePlayback::FramesHeard() const
{
    if (!m_output || m_outRate <= 0)
        return 0;
    return m_output->framesHeard() * m_rate / m_outRate;
}
