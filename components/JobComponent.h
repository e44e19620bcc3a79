// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "components/AudioJob.h"

#include <QMetaObject>
#include <QPointer>

namespace components {

// What the converter and the join component share: the output-format settings calls, the seven
// tag properties, the runner, and how a job's outcome (or a start refused at once) becomes
// exactly one queued terminal event. `Interface` is cAudioConverter or cAudioJoin, which
// declare these members alike. GUI thread; the job itself runs on the runner's thread.
template <class Interface>
class JobComponent : public Interface {
public:
    void SetWavFormat(const engine::WavFormatRecord& r) override { m_settings.wav = r; }
    void SetAcmFormat(const QString& tag, const QString& format) override
    {
        m_settings.acmTagName = tag;
        m_settings.acmFormatName = format;
    }
    void SetMp3Format(const engine::Mp3FormatRecord& r) override { m_settings.mp3 = r; }
    void SetWmaFormat(const engine::WmaFormatRecord& r) override { m_settings.wma = r; }
    void SetOggFormat(const engine::OggFormatRecord& r) override { m_settings.ogg = r; }
    void SetApeLevel(long level) override { m_settings.apeLevel = level; }

    QString TagTrack() const override { return m_tags.track; }
    void TagTrack(const QString& t) override { m_tags.track = t; }
    QString TagComment() const override { return m_tags.comment; }
    void TagComment(const QString& t) override { m_tags.comment = t; }
    QString TagGenre() const override { return m_tags.genre; }
    void TagGenre(const QString& t) override { m_tags.genre = t; }
    QString TagYear() const override { return m_tags.year; }
    void TagYear(const QString& t) override { m_tags.year = t; }
    QString TagArtist() const override { return m_tags.artist; }
    void TagArtist(const QString& t) override { m_tags.artist = t; }
    QString TagAlbum() const override { return m_tags.album; }
    void TagAlbum(const QString& t) override { m_tags.album = t; }
    QString TagTitle() const override { return m_tags.title; }
    void TagTitle(const QString& t) override { m_tags.title = t; }

protected:
    JobComponent()
    {
        QObject::connect(&m_runner, &WorkerRunner::finished, this, [this](const WorkerResult& r) { report(r); });
    }
    ~JobComponent() override { m_runner.shutdown(); }

    // Runs the job on the runner's thread, or answers `busyText` when one is running already.
    void startJob(const AudioJob& job, const QString& busyText)
    {
        if (!m_runner.start([job](WorkerContext& context) { return RunAudioJob(job, context); }))
            refuse(errBusy, busyText);
    }

    // A start that cannot begin still answers, later, on the event loop.
    void refuse(long code, const QString& text)
    {
        QMetaObject::invokeMethod(
            this,
            [self = QPointer<JobComponent>(this), generation = m_generation, code, text] {
                if (self && self->m_generation == generation)
                    Q_EMIT self->Error(code, text);
            },
            Qt::QueuedConnection);
    }

    // Stops the job and silences everything still queued, refusals included.
    void silence()
    {
        ++m_generation;
        m_runner.shutdown();
    }

    WorkerRunner m_runner;
    OutputSettings m_settings;
    engine::AudioTags m_tags;

private:
    void report(const WorkerResult& r)
    {
        switch (r.outcome) {
        case WorkerResult::Done: Q_EMIT this->Done(); break;
        case WorkerResult::Aborted: Q_EMIT this->Aborted(); break;
        case WorkerResult::Failed: Q_EMIT this->Error(r.code, r.text); break;
        }
    }

    quint64 m_generation = 0;
};

}  // namespace components
