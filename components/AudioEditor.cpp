// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/cAudioEditor.h"

#include "components/FilePlayback.h"
#include "components/OutputTarget.h"
#include "components/PcmWavFile.h"
#include "components/engine/AudioEngine.h"
#include "components/engine/SourceFile.h"
#include "foundation/WorkerRunner.h"

#include <QFile>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <vector>

#include <unistd.h>

namespace {

constexpr int64_t kBucketFrames = 256;

QColor colorOf(int32_t bgr) { return QColor(bgr & 0xff, (bgr >> 8) & 0xff, (bgr >> 16) & 0xff); }

// One sample of a little-endian PCM frame as a fraction of full scale.
float sampleAt(const uint8_t* p, int bits)
{
    switch (bits) {
    case 8: return (static_cast<int>(*p) - 128) / 128.0f;
    case 16: {
        int16_t v;
        std::memcpy(&v, p, 2);
        return v / 32768.0f;
    }
    case 24: {
        const int32_t v = static_cast<int32_t>((uint32_t(p[0]) << 8) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 24)) >> 8;
        return v / 8388608.0f;
    }
    default: {
        int32_t v;
        std::memcpy(&v, p, 4);
        return static_cast<float>(v / 2147483648.0);
    }
    }
}

// The outline: the lowest and highest sample of every channel per bucket of frames, filled by
// the worker and read by the painter.
struct Peaks {
    std::mutex lock;
    int channels = 1;
    std::vector<float> low, high;  // bucket * channels + channel
    int64_t buckets = 0;           // buckets filled so far
};

int64_t msOf(int64_t frame, int rate) { return rate > 0 ? std::llround(frame * 1000.0 / rate) : 0; }

class AudioEditor final : public cAudioEditor {
public:
    explicit AudioEditor(QWidget* parent) : cAudioEditor(parent)
    {
        setMinimumSize(200, 80);
        setMouseTracking(false);
        connect(&m_runner, &WorkerRunner::progress, this, [this](int, int percent) {
            emit Progress(percent);
            update();
        });
        connect(&m_runner, &WorkerRunner::finished, this, [this](const WorkerResult& r) {
            update();
            if (r.outcome == WorkerResult::Failed) {
                m_message = r.text;
                emit Error(r.code, r.text);
            } else if (r.outcome == WorkerResult::Done) {
                emit Progress(100);
            }
        });
        connect(&m_player, &FilePlayback::Ended, this, [this] {
            m_cursor.stop();
            update();
            emit DonePlay();
        });
        m_cursor.setInterval(50);
        connect(&m_cursor, &QTimer::timeout, this, [this] { update(); });
    }
    ~AudioEditor() override { Release(); }

    long Load(const QString& path) override
    {
        Release();
        m_path = path;
        m_saveSource = path;
        m_message.clear();
        QString error;
        std::unique_ptr<engine::AudioReader> reader = engine::AudioReader::open(path, &error);
        if (!reader) {
            m_total = 0;
            m_message = error;
            update();
            later([this, error] { emit Error(2, error); });
            return 2;
        }
        m_info = reader->info();
        m_total = std::max<int64_t>(0, m_info.totalFrames);
        m_rate = m_info.format.sampleRate;
        m_viewStart = 0;
        m_viewEnd = m_total;
        m_selStart = 0;
        m_selEnd = 0;
        // Until the user selects, the reported stretch is the whole file.
        m_reportedStartMs = 0;
        m_reportedEndMs = m_total / std::max(1, m_rate) * 1000;
        m_reportedStart = 0;
        m_reportedEnd = m_total;
        m_saveStartMs = m_reportedStartMs;
        m_saveLengthMs = m_reportedEndMs;
        {
            m_peaks = std::make_shared<Peaks>();
            m_peaks->channels = std::max(1, m_info.format.channels);
        }
        const long seconds = static_cast<long>(m_total / std::max(1, m_rate));
        const engine::PcmFormat f = m_info.format;
        const long total = static_cast<long>(m_total);
        later([this, f, seconds, total] { emit FileInfo(f.sampleRate, f.bitsPerSample, f.channels, seconds, total); });
        buildPeaks(std::move(reader));
        update();
        return 0;
    }

    long Play() override
    {
        if (m_path.isEmpty() || m_total <= 0)
            return 2;
        const bool none = m_selEnd <= m_selStart;
        m_playStart = none ? 0 : m_selStart;
        QString error;
        const long r = m_player.Start(m_path, m_playStart, none ? m_total : m_selEnd - m_selStart, -1, &error);
        if (r != 0) {
            m_message = error;
            update();
            return r;
        }
        m_cursor.start();
        return 0;
    }
    bool IsPaused() const override { return m_player.IsPaused(); }
    void Pause() override { m_player.Pause(); }
    void Resume() override { m_player.Resume(); }
    void Stop() override
    {
        if (!m_player.IsPlaying())
            return;
        m_player.Stop();
        m_cursor.stop();
        update();
        later([this] { emit DonePlay(); });
    }
    void Zoom() override
    {
        if (m_selEnd > m_selStart) {
            m_viewStart = m_selStart;
            m_viewEnd = m_selEnd;
            update();
        }
    }
    void Restore() override
    {
        m_viewStart = 0;
        m_viewEnd = m_total;
        update();
    }
    void Abort() override
    {
        const bool running = m_runner.isBusy() || m_player.IsPlaying();
        if (m_runner.isBusy())
            m_runner.requestStop();
        Stop();
        if (running)
            later([this] { emit Aborted(); });
    }
    void Release() override
    {
        m_runner.shutdown();
        m_player.Stop();
        m_cursor.stop();
        ++m_generation;  // drops whatever is still queued
    }

    QString SaveSource() const override { return m_saveSource; }
    void SaveSource(const QString& path) override { m_saveSource = path; }
    QString SaveOutput() const override { return m_saveOutput; }
    void SaveOutput(const QString& path) override { m_saveOutput = path; }
    long SelectionStart() const override { return static_cast<long>(m_saveStartMs); }
    void SelectionStart(long ms) override { m_saveStartMs = ms; }
    long SelectionLength() const override { return static_cast<long>(m_saveLengthMs); }
    void SelectionLength(long ms) override { m_saveLengthMs = ms; }

    void Save() override
    {
        QString error;
        const long code = saveNow(&error);
        if (code != 0) {
            later([this, code, error] { emit Error(code, error); });
            return;
        }
        later([this] {
            emit Progress(100);
            emit Done();
        });
    }

    void Select(int64_t startSample, int64_t endSample) override
    {
        m_selStart = std::clamp<int64_t>(std::min(startSample, endSample), 0, m_total);
        m_selEnd = std::clamp<int64_t>(std::max(startSample, endSample), 0, m_total);
        m_reportedStart = m_selStart;
        m_reportedEnd = m_selEnd;
        m_reportedStartMs = msOf(m_selStart, m_rate);
        m_reportedEndMs = msOf(m_selEnd, m_rate);
        update();
        const long s = static_cast<long>(m_selStart), e = static_cast<long>(m_selEnd);
        const long sm = static_cast<long>(m_reportedStartMs), em = static_cast<long>(m_reportedEndMs);
        later([this, s, e, sm, em] { emit SelectionChanged(s, e, sm, em); });
    }

    int32_t Color1() const override { return m_color1; }
    void Color1(int32_t c) override { m_color1 = c; update(); }
    int32_t Color2() const override { return m_color2; }
    void Color2(int32_t c) override { m_color2 = c; update(); }
    int32_t Color3() const override { return m_color3; }
    void Color3(int32_t c) override { m_color3 = c; update(); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), colorOf(m_color2));
        const int w = width(), h = height();
        if (!m_message.isEmpty()) {
            p.setPen(colorOf(m_color1));
            p.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap, m_message);
            return;
        }
        if (m_total <= 0 || m_viewEnd <= m_viewStart || !m_peaks)
            return;
        const int64_t span = m_viewEnd - m_viewStart;
        // The selection under the wave.
        if (m_selEnd > m_selStart) {
            const int x0 = xOf(std::max(m_selStart, m_viewStart)), x1 = xOf(std::min(m_selEnd, m_viewEnd));
            if (x1 >= x0) {
                QColor sel = colorOf(m_color3).lighter(150);
                p.fillRect(QRect(x0, 0, std::max(1, x1 - x0), h), sel);
            }
        }
        std::lock_guard lock(m_peaks->lock);
        const int ch = m_peaks->channels;
        const double lane = static_cast<double>(h) / ch;
        p.setPen(colorOf(m_color1));
        for (int x = 0; x < w; ++x) {
            const int64_t f0 = m_viewStart + span * x / w;
            const int64_t f1 = std::max(f0 + 1, m_viewStart + span * (x + 1) / w);
            const int64_t b0 = f0 / kBucketFrames;
            const int64_t b1 = std::min<int64_t>(std::max(b0 + 1, (f1 + kBucketFrames - 1) / kBucketFrames), m_peaks->buckets);
            for (int c = 0; c < ch; ++c) {
                float lo = 1, hi = -1;
                for (int64_t b = b0; b < b1; ++b) {
                    lo = std::min(lo, m_peaks->low[static_cast<size_t>(b * ch + c)]);
                    hi = std::max(hi, m_peaks->high[static_cast<size_t>(b * ch + c)]);
                }
                if (hi < lo)
                    continue;
                const double mid = lane * c + lane / 2;
                p.drawLine(x, static_cast<int>(mid - hi * lane / 2), x, static_cast<int>(mid - lo * lane / 2));
            }
        }
        p.setPen(QColor(128, 128, 128));
        for (int c = 1; c < ch; ++c)
            p.drawLine(0, static_cast<int>(lane * c), w, static_cast<int>(lane * c));
        if (m_player.IsPlaying()) {
            const int x = xOf(m_playStart + m_player.FramesHeard());
            p.setPen(colorOf(m_color3).darker(150));
            p.drawLine(x, 0, x, h);
        }
    }

    void mousePressEvent(QMouseEvent* e) override
    {
        if (e->button() != Qt::LeftButton || m_total <= 0)
            return;
        m_anchor = frameAt(e->position().x());
        m_dragging = true;
        m_selStart = m_selEnd = m_anchor;
        update();
    }
    void mouseMoveEvent(QMouseEvent* e) override
    {
        if (!m_dragging)
            return;
        const int64_t f = frameAt(e->position().x());
        m_selStart = std::min(m_anchor, f);
        m_selEnd = std::max(m_anchor, f);
        update();
    }
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        if (!m_dragging)
            return;
        m_dragging = false;
        const int64_t f = frameAt(e->position().x());
        Select(std::min(m_anchor, f), std::max(m_anchor, f));
    }

private:
    int xOf(int64_t frame) const
    {
        const int64_t span = std::max<int64_t>(1, m_viewEnd - m_viewStart);
        return static_cast<int>((frame - m_viewStart) * width() / span);
    }
    int64_t frameAt(double x) const
    {
        const int64_t span = m_viewEnd - m_viewStart;
        const double f = m_viewStart + span * std::clamp(x, 0.0, static_cast<double>(width())) / std::max(1, width());
        return std::clamp<int64_t>(std::llround(f), 0, m_total);
    }

    // Runs `f` from the event loop, unless Release came first.
    template <class F>
    void later(F f)
    {
        const quint64 generation = m_generation;
        QTimer::singleShot(0, this, [this, generation, f] {
            if (generation == m_generation)
                f();
        });
    }

    void buildPeaks(std::unique_ptr<engine::AudioReader> reader)
    {
        std::shared_ptr<Peaks> peaks = m_peaks;
        auto shared = std::shared_ptr<engine::AudioReader>(std::move(reader));
        const QString path = m_path;
        const engine::PcmFormat own = m_info.format;
        const int64_t total = m_total;
        m_runner.start([peaks, shared, path, own, total](WorkerContext& ctx) -> WorkerResult {
            QString error;
            if (!shared->setOutputFormat(own, &error))
                return WorkerResult::failed(2, error);
            const int ch = std::max(1, own.channels);
            const int bpf = own.bytesPerFrame();
            const int step = (own.bitsPerSample + 7) / 8;
            std::vector<uint8_t> buffer(static_cast<size_t>(kBucketFrames * 64 * bpf));
            {
                std::lock_guard lock(peaks->lock);
                const size_t n = static_cast<size_t>((total + kBucketFrames - 1) / kBucketFrames * ch);
                peaks->low.assign(n, 0.f);
                peaks->high.assign(n, 0.f);
            }
            int64_t done = 0;
            std::vector<float> lo(static_cast<size_t>(ch)), hi(static_cast<size_t>(ch));
            while (!ctx.stopRequested()) {
                const int64_t got = shared->read(buffer.data(), kBucketFrames * 64, &error);
                if (got < 0)
                    return WorkerResult::failed(2, error);
                if (got == 0)
                    break;
                std::lock_guard lock(peaks->lock);
                for (int64_t b = 0; b * kBucketFrames < got; ++b) {
                    const int64_t bucket = (done + b * kBucketFrames) / kBucketFrames;
                    if (static_cast<size_t>((bucket + 1) * ch) > peaks->low.size()) {
                        peaks->low.resize(static_cast<size_t>((bucket + 1) * ch), 0.f);
                        peaks->high.resize(static_cast<size_t>((bucket + 1) * ch), 0.f);
                    }
                    std::fill(lo.begin(), lo.end(), 1.f);
                    std::fill(hi.begin(), hi.end(), -1.f);
                    const int64_t end = std::min(got, (b + 1) * kBucketFrames);
                    for (int64_t f = b * kBucketFrames; f < end; ++f)
                        for (int c = 0; c < ch; ++c) {
                            const float v = sampleAt(buffer.data() + f * bpf + c * step, own.bitsPerSample);
                            lo[static_cast<size_t>(c)] = std::min(lo[static_cast<size_t>(c)], v);
                            hi[static_cast<size_t>(c)] = std::max(hi[static_cast<size_t>(c)], v);
                        }
                    for (int c = 0; c < ch; ++c) {
                        peaks->low[static_cast<size_t>(bucket * ch + c)] = lo[static_cast<size_t>(c)];
                        peaks->high[static_cast<size_t>(bucket * ch + c)] = hi[static_cast<size_t>(c)];
                    }
                    peaks->buckets = bucket + 1;
                }
                done += got;
                if (total > 0)
                    ctx.progress(0, static_cast<int>(std::min<int64_t>(99, done * 100 / total)));
            }
            return ctx.stopRequested() ? WorkerResult::aborted() : WorkerResult::done();
        });
    }

    // The frame of a time of the save: the samples last reported for those very times, else
    // the nearest sample. `*selectedEnd`: for the times of the selection last reported on the
    // file shown, the frame after it, which the save must reach to write the selection whole;
    // -1 for other times.
    void saveRange(int64_t total, int rate, bool sameFile, int64_t* a, int64_t* b, int64_t* selectedEnd) const
    {
        // A stretch of other times reaching outside the file keeps only its part inside.
        const int64_t startMs = m_saveStartMs;
        const int64_t endMs = startMs + std::max<int64_t>(0, m_saveLengthMs);
        const bool isSelection = startMs == m_reportedStartMs && endMs == m_reportedEndMs;
        if (sameFile && isSelection) {
            *a = m_reportedStart;
            *b = m_reportedEnd;
        } else {
            *a = std::llround(startMs * static_cast<double>(rate) / 1000.0);
            *b = std::llround(endMs * static_cast<double>(rate) / 1000.0);
        }
        *selectedEnd = sameFile && isSelection ? std::max(*a, *b) : -1;
        *a = std::clamp<int64_t>(*a, 0, total);
        *b = std::clamp<int64_t>(*b, *a, total);
    }

    // The file holds fewer frames than the selection asks of it (it was written since it was
    // shown): nothing is saved.
    QString shortSourceText(int64_t holds, int64_t selectedEnd) const
    {
        return QStringLiteral("The selection cannot be saved to '%1': '%2' holds %3 samples now, and the selection ends at sample %4.")
            .arg(m_saveOutput, m_saveSource)
            .arg(holds)
            .arg(selectedEnd);
    }

    long saveNow(QString* error)
    {
        if (m_saveSource.isEmpty()) {
            *error = QStringLiteral("There is no file to save from.");
            return 1;
        }
        if (m_saveOutput.isEmpty()) {
            *error = QStringLiteral("There is no file to save to.");
            return 3;
        }
        std::unique_ptr<engine::AudioReader> reader = engine::AudioReader::open(m_saveSource, error);
        if (!reader)
            return 2;
        const engine::SourceInfo info = reader->info();
        const bool sameFile = QFileInfo(m_saveSource).canonicalFilePath() == QFileInfo(m_path).canonicalFilePath();
        int64_t a = 0, b = 0, selectedEnd = -1;
        const int64_t holds = std::max<int64_t>(0, info.totalFrames);
        saveRange(holds, info.format.sampleRate, sameFile, &a, &b, &selectedEnd);
        if (selectedEnd > holds) {
            *error = shortSourceText(holds, selectedEnd);
            return 2;
        }
        components::OutputTarget target;
        if (!target.resolve(m_saveOutput, error))
            return 3;
        if (!target.createPartFile(error)) {
            *error = components::WriteError(m_saveOutput, *error);
            return 3;
        }
        PcmWavFile out;
        if (!out.open(target.partFile(), m_saveOutput, info.format, error))
            return 3;
        const int bpf = info.format.bytesPerFrame();
        std::vector<char> buffer(static_cast<size_t>(65536 / bpf * bpf));
        const int64_t chunkFrames = static_cast<int64_t>(buffer.size()) / bpf;
        int64_t left = b - a;
        if (info.isPlainPcmWav) {
            // The sample bytes are copied as they stand.
            const engine::SourceOpen opened = engine::openSourceFile(m_saveSource);
            if (opened.fd < 0) {
                *error = engine::sourceOpenErrorText(m_saveSource, opened);
                return 2;
            }
            QFile in;
            if (!in.open(opened.fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
                ::close(opened.fd);
            if (!in.isOpen() || !in.seek(info.pcmDataOffset + a * bpf)) {
                *error = QStringLiteral("Cannot read the file '%1': %2").arg(m_saveSource, in.errorString());
                return 2;
            }
            while (left > 0) {
                const qint64 want = std::min(left, chunkFrames) * bpf;
                const qint64 got = in.read(buffer.data(), want);
                if (got != want) {
                    *error = QStringLiteral("Cannot read the file '%1': it ends early.").arg(m_saveSource);
                    return 2;
                }
                if (!out.write(buffer.data(), got, error))
                    return 3;
                left -= got / bpf;
            }
        } else {
            if (!reader->setOutputFormat(info.format, error) || (a > 0 && !reader->seekToFrame(a, error)))
                return 2;
            while (left > 0) {
                const int64_t got = reader->read(reinterpret_cast<uint8_t*>(buffer.data()), std::min(left, chunkFrames), error);
                if (got < 0)
                    return 2;
                if (got == 0) {
                    // A source that yields less than it claims would save less than selected.
                    *error = QStringLiteral("The selection cannot be saved to '%1': '%2' ends %3 samples before the selection does.")
                                 .arg(m_saveOutput, m_saveSource)
                                 .arg(left);
                    return 2;
                }
                if (!out.write(buffer.data(), got * bpf, error))
                    return 3;
                left -= got;
            }
        }
        if (!out.finish(-1, error) || !target.commit(error))
            return 3;
        return 0;
    }

    WorkerRunner m_runner;
    FilePlayback m_player;
    QTimer m_cursor;
    std::shared_ptr<Peaks> m_peaks;
    quint64 m_generation = 0;

    QString m_path, m_saveSource, m_saveOutput, m_message;
    engine::SourceInfo m_info;
    int64_t m_total = 0;
    int m_rate = 44100;
    int64_t m_viewStart = 0, m_viewEnd = 0;
    int64_t m_selStart = 0, m_selEnd = 0, m_anchor = 0;
    bool m_dragging = false;
    int64_t m_playStart = 0;
    int64_t m_reportedStart = 0, m_reportedEnd = 0, m_reportedStartMs = 0, m_reportedEndMs = 0;
    int64_t m_saveStartMs = 0, m_saveLengthMs = 0;
    int32_t m_color1 = 0x00000000, m_color2 = 0x00FFFFFF, m_color3 = 0x00FF8000;
};

}  // namespace

cAudioEditor* CreateAudioEditor(QWidget* parent) { return new AudioEditor(parent); }
