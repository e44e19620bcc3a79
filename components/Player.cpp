// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/cPlayer.h"

#include "components/engine/AudioEngine.h"
#include "components/sound/AudioSnapshot.h"
#include "components/sound/PcmRing.h"
#include "components/sound/SoundOutput.h"
#include "foundation/WorkerRunner.h"
#include "foundation/mdlFunctions.h"
#include "platform/MessageBox.h"

#include <QFileInfo>
#include <QHash>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr int kChunkFrames = 4096;
constexpr int kSnapshotFrames = 4096;

class Player final : public cPlayer {
public:
    explicit Player(QObject* parent) : cPlayer(parent), m_decoder(this), m_out(this)
    {
        connect(&m_decoder, &WorkerRunner::finished, this, &Player::decoderFinished);
        connect(&m_out, &sound::SoundOutput::ended, this, &Player::outputEnded);
    }
    ~Player() override { teardown(); }

    bool IsPlaying() const override { return m_playing; }
    bool IsPaused() const override { return m_playing && m_paused; }

    void Pause() override
    {
        if (!m_playing || m_paused)
            return;
        m_paused = true;
        m_out.pause();
    }

    void Resume() override
    {
        if (!m_playing || !m_paused)
            return;
        m_paused = false;
        if (m_out.isActive()) {
            m_out.resume();
        } else if (!startOutput()) {
            end(false);
        }
    }

    void Stop() override
    {
        if (m_playing)
            end(false);
    }

    long OpenAndPlay(const QString& path, long device) override
    {
        QString error;
        auto reader = std::shared_ptr<engine::AudioReader>(engine::AudioReader::open(path, &error));
        if (!reader)
            return fail(ErrFile, path, error);
        const QAudioDevice output = sound::SoundOutput::OutputDevice(device);
        if (output.isNull())
            return fail(ErrNoOutput, path, QStringLiteral("There is no sound output: no sound server is running."));
        engine::PcmFormat format;
        if (!sound::SoundOutput::ChooseFormat(output, reader->info().format, &format))
            return fail(ErrFormat, path, QStringLiteral("The sound output \"%1\" takes none of the formats this file can be played in.")
                                             .arg(output.description()));
        if (!reader->setOutputFormat(format, &error))
            return fail(ErrFile, path, error);
        // The first block is decoded here, so a file that does not decode is refused at once.
        std::vector<uint8_t> first(static_cast<size_t>(kChunkFrames) * format.bytesPerFrame());
        const int64_t got = reader->read(first.data(), kChunkFrames, &error);
        if (got < 0)
            return fail(ErrFile, path, error.isEmpty() ? QStringLiteral("The file %1 cannot be decoded.").arg(path) : error);

        // The earlier playback is replaced: its end, raised or not, is never delivered.
        teardown();
        ++m_serial;
        m_reader = reader;
        m_format = format;
        m_device = output;
        m_path = path;
        m_length = lengthOf(reader->info());
        m_totalFrames = reader->info().totalFrames > 0
                            ? static_cast<int64_t>(std::llround(static_cast<double>(reader->info().totalFrames) * format.sampleRate /
                                                                reader->info().format.sampleRate))
                            : -1;
        m_ring = std::make_unique<sound::PcmRing>(static_cast<qint64>(format.sampleRate) * format.bytesPerFrame());
        m_baseFrame = 0;
        m_paused = false;
        if (got > 0)
            m_ring->write(reinterpret_cast<const char*>(first.data()), got * format.bytesPerFrame(), {});
        if (got == 0)
            m_ring->setEnd();
        else
            startDecoder();
        if (!startOutput(&error)) {
            teardown();
            return fail(ErrNoOutput, path, error);
        }
        m_playing = true;
        return 0;
    }

    void ErrorReport(long result) override
    {
        const auto it = m_errors.constFind(result);
        if (it == m_errors.constEnd())
            return;
        platform::MsgBox(it.value(), platform::vbInformation);
    }

    long Load(const QString& path) override
    {
        if (m_playing)
            return ErrBusy;
        QString error;
        const auto reader = engine::AudioReader::open(path, &error);
        if (!reader)
            return ErrFile;
        m_path = path;
        m_length = lengthOf(reader->info());
        return 0;
    }

    double Length() const override { return m_length; }

    long Position() const override
    {
        if (!m_playing || m_format.sampleRate <= 0)
            return 0;
        return static_cast<long>(framePosition() / m_format.sampleRate);
    }

    void Seek(long seconds) override
    {
        if (!m_playing)
            return;
        int64_t frame = static_cast<int64_t>(std::max<long>(seconds, 0)) * m_format.sampleRate;
        if (m_totalFrames >= 0)
            frame = std::min(frame, m_totalFrames);
        m_decoder.shutdown();
        m_out.stop();
        m_ring->clear();
        QString error;
        if (!m_reader->seekToFrame(frame, &error)) {
            end(false);
            return;
        }
        m_baseFrame = frame;
        startDecoder();
        // A paused playback stays paused; its output starts again on Resume.
        if (!m_paused && !startOutput())
            end(false);
    }

    QString FormatTime(long seconds) const override { return FormatSecondsHMS(static_cast<int32_t>(seconds)); }

    long CurrentAudioData() override
    {
        if (!m_playing || !m_out.isActive())
            return 0;
        const qint64 heard = m_out.framesHeard();
        const QByteArray pcm = m_out.recentPcm(heard + kSnapshotFrames / 2, kSnapshotFrames);
        AudioSnapshot snap;
        snap.sampleRate = m_format.sampleRate;
        snap.channels = m_format.channels;
        const int bytes = (m_format.bitsPerSample + 7) / 8;
        const qsizetype count = pcm.size() / bytes;
        snap.samples.resize(static_cast<size_t>(count));
        const uchar* p = reinterpret_cast<const uchar*>(pcm.constData());
        for (qsizetype i = 0; i < count; ++i) {
            float v = 0;
            switch (bytes) {
            case 1:
                v = (static_cast<int>(p[i]) - 128) / 128.0f;
                break;
            case 2:
                v = qFromLittleEndian<qint16>(p + 2 * i) / 32768.0f;
                break;
            default:
                v = static_cast<float>(qFromLittleEndian<qint32>(p + 4 * i) / 2147483648.0);
                break;
            }
            snap.samples[static_cast<size_t>(i)] = v;
        }
        return AudioSnapshots::Put(std::move(snap));
    }

    void Release() override
    {
        ++m_serial;
        teardown();
        m_reader.reset();
    }

    bool ReachedEnd() const override { return m_lastEndReachedEnd; }

private:
    static double lengthOf(const engine::SourceInfo& info)
    {
        if (info.totalFrames > 0 && info.format.sampleRate > 0)
            return static_cast<double>(info.totalFrames) / info.format.sampleRate;
        return info.durationMs / 1000.0;
    }

    long fail(long code, const QString& path, const QString& reason)
    {
        m_errors.insert(code, QStringLiteral("The file \"%1\" cannot be played.\r\n\r\n%2").arg(QFileInfo(path).fileName(), reason));
        return code;
    }

    int64_t framePosition() const { return m_baseFrame + (m_out.isActive() ? m_out.framesHeard() : 0); }

    void startDecoder()
    {
        auto reader = m_reader;
        sound::PcmRing* ring = m_ring.get();
        const int bpf = m_format.bytesPerFrame();
        m_decoder.start([reader, ring, bpf](WorkerContext& ctx) {
            std::vector<uint8_t> buffer(static_cast<size_t>(kChunkFrames) * bpf);
            const auto cancelled = [&ctx] { return ctx.stopRequested(); };
            for (;;) {
                if (ctx.stopRequested())
                    return WorkerResult::aborted();
                QString error;
                const int64_t got = reader->read(buffer.data(), kChunkFrames, &error);
                if (got < 0)
                    return WorkerResult::failed(1, error);
                if (got == 0) {
                    ring->setEnd();
                    return WorkerResult::done();
                }
                if (!ring->write(reinterpret_cast<const char*>(buffer.data()), got * bpf, cancelled))
                    return WorkerResult::aborted();
            }
        });
    }

    bool startOutput(QString* error = nullptr)
    {
        QString e;
        const bool ok = m_out.start(m_device, m_format, m_ring.get(), &e);
        if (!ok && error)
            *error = e;
        return ok;
    }

    void decoderFinished(const WorkerResult& result)
    {
        if (result.outcome == WorkerResult::Failed && m_playing)
            end(false);
    }

    void outputEnded(sound::SoundOutput::EndReason reason)
    {
        if (m_playing)
            end(reason == sound::SoundOutput::EndReason::Drained);
    }

    // Ends the running playback and queues its one PlayEnd.
    void end(bool reachedEnd)
    {
        teardown();
        const quint64 serial = m_serial;
        QMetaObject::invokeMethod(
            this,
            [this, serial, reachedEnd] {
                if (serial != m_serial)
                    return;
                m_lastEndReachedEnd = reachedEnd;
                emit PlayEnd();
            },
            Qt::QueuedConnection);
    }

    void teardown()
    {
        m_decoder.shutdown();
        m_out.stop();
        m_ring.reset();
        m_playing = false;
        m_paused = false;
    }

    WorkerRunner m_decoder;
    sound::SoundOutput m_out;
    std::shared_ptr<engine::AudioReader> m_reader;
    std::unique_ptr<sound::PcmRing> m_ring;
    engine::PcmFormat m_format;
    QAudioDevice m_device;
    QString m_path;
    double m_length = 0;
    int64_t m_totalFrames = -1;  // output frames of the whole file; -1 when unknown
    int64_t m_baseFrame = 0;     // output frame at which the running output stream began
    bool m_playing = false;
    bool m_paused = false;
    bool m_lastEndReachedEnd = false;
    quint64 m_serial = 0;
    QHash<long, QString> m_errors;
};

}  // namespace

std::unique_ptr<cPlayer> CreatePlayer(QObject* parent) { return std::make_unique<Player>(parent); }
