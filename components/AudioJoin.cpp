// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/AudioJob.h"
#include "components/cAudioJoin.h"

#include <QMetaObject>
#include <QPointer>

namespace {

using components::AudioJob;
using components::JobInput;

// The join component over the audio engine. Join() hands a snapshot of the list, output, format
// and tags to the runner's thread, so editing the list meanwhile changes only the next join.
class AudioJoin final : public cAudioJoin {
public:
    AudioJoin()
    {
        connect(&m_runner, &WorkerRunner::progress, this,
                [this](int entry, int percent) { emit Progress(entry, percent); });
        connect(&m_runner, &WorkerRunner::finished, this, [this](const WorkerResult& r) { report(r); });
    }
    ~AudioJoin() override { m_runner.shutdown(); }

    long DestinationFormat() const override { return m_settings.destinationFormat; }
    void DestinationFormat(long code) override { m_settings.destinationFormat = code; }
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

    long FileCount() const override { return long(m_files.size()); }
    void RemoveFile(long index) override
    {
        if (index >= 1 && index <= m_files.size())
            m_files.removeAt(int(index - 1));
    }
    void AddFile(const QString& path, long start, long length) override
    {
        m_files.append(JobInput{path, start, length});
    }
    QString GetFile(long index, long& start, long& length) const override
    {
        if (index < 1 || index > m_files.size()) {
            start = -1;
            length = -1;
            return {};
        }
        const JobInput& entry = m_files.at(int(index - 1));
        start = entry.start;
        length = entry.length;
        return entry.path;
    }

    QString OutputFile() const override { return m_output; }
    void OutputFile(const QString& path) override { m_output = path; }

    void Join() override
    {
        AudioJob job;
        job.inputs = m_files;
        job.output = m_output;
        job.settings = m_settings;
        job.tags = m_tags;
        if (!m_runner.start([job](WorkerContext& context) { return components::RunAudioJob(job, context); }))
            refuse(components::errBusy, QStringLiteral("A join is already running."));
    }
    void Abort() override { m_runner.requestStop(); }
    void Stop() override { m_runner.requestStop(); }
    void Shutdown() override
    {
        ++m_generation;
        m_runner.shutdown();
    }

private:
    void report(const WorkerResult& r)
    {
        switch (r.outcome) {
        case WorkerResult::Done: emit Done(); break;
        case WorkerResult::Aborted: emit Aborted(); break;
        case WorkerResult::Failed: emit Error(r.code, r.text); break;
        }
    }
    // A join that cannot begin still answers, later, on the event loop.
    void refuse(long code, const QString& text)
    {
        QMetaObject::invokeMethod(
            this, [self = QPointer<AudioJoin>(this), generation = m_generation, code, text] {
                if (self && self->m_generation == generation)
                    emit self->Error(code, text);
            },
            Qt::QueuedConnection);
    }

    WorkerRunner m_runner;
    QList<JobInput> m_files;
    QString m_output;
    components::OutputSettings m_settings;
    engine::AudioTags m_tags;
    quint64 m_generation = 0;  // a Shutdown() drops refusals still queued
};

}  // namespace

std::unique_ptr<cAudioJoin> CreateAudioJoin()
{
    return std::make_unique<AudioJoin>();
}
