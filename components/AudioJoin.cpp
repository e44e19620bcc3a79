// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/JobComponent.h"
#include "components/cAudioJoin.h"


namespace {

using components::AudioJob;
using components::JobInput;

// The join component over the audio engine. Join() hands a snapshot of the list, output, format
// and tags to the runner's thread, so editing the list meanwhile changes only the next join.
class AudioJoin final : public components::JobComponent<cAudioJoin> {
public:
    AudioJoin()
    {
        connect(&m_runner, &WorkerRunner::progress, this,
                [this](int entry, int percent) { emit Progress(entry, percent); });
    }

    long DestinationFormat() const override { return m_settings.destinationFormat; }
    void DestinationFormat(long code) override { m_settings.destinationFormat = code; }


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
        startJob(job, QStringLiteral("A join is already running."));
    }
    void Abort() override { m_runner.requestStop(); }
    void Stop() override { m_runner.requestStop(); }
    void Shutdown() override { silence(); }

private:
    QList<JobInput> m_files;
    QString m_output;
};

}  // namespace

std::unique_ptr<cAudioJoin> CreateAudioJoin()
{
    return std::make_unique<AudioJoin>();
}
