// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/AudioJob.h"
#include "components/cAudioConverter.h"

#include <QMetaObject>
#include <QPointer>

namespace {

using components::AudioJob;
using components::JobInput;

// The converter over the audio engine. Probing and listing run on the caller's thread with
// readers of their own; a conversion runs on the runner's thread with a snapshot of the settings,
// so neither disturbs the other.
class AudioConverter final : public cAudioConverter {
public:
    AudioConverter()
    {
        connect(&m_runner, &WorkerRunner::progress, this, [this](int, int percent) { emit Progress(percent); });
        connect(&m_runner, &WorkerRunner::finished, this, [this](const WorkerResult& r) { report(r); });
    }
    ~AudioConverter() override { m_runner.shutdown(); }

    long OpenSource(const QString& path) override
    {
        CloseSource();
        QString error;
        m_source = engine::AudioReader::open(path, &error);
        return m_source ? 0L : long(components::errCannotRead);
    }
    void CloseSource() override { m_source.reset(); }
    long SourceSampleRate() const override { return m_source ? m_source->info().format.sampleRate : 0; }
    long SourceChannels() const override { return m_source ? m_source->info().format.channels : 0; }
    long SourceBits() const override { return m_source ? m_source->info().format.bitsPerSample : 0; }
    long SourceDuration() const override { return m_source ? long(m_source->info().durationMs) : 0; }

    void ReadSourceTags(const QString& path) override
    {
        QString error;
        const std::unique_ptr<engine::AudioReader> reader = engine::AudioReader::open(path, &error);
        m_tags = reader ? reader->info().tags : engine::AudioTags{};
    }

    QString FormatTime(long seconds) const override
    {
        const long s = std::max(0L, seconds);
        return QStringLiteral("%1:%2:%3")
            .arg(s / 3600, 2, 10, QLatin1Char('0'))
            .arg((s / 60) % 60, 2, 10, QLatin1Char('0'))
            .arg(s % 60, 2, 10, QLatin1Char('0'));
    }

    QString InputFile() const override { return m_input; }
    void InputFile(const QString& path) override
    {
        m_input = path;
        m_rangeStart = -1;
        m_rangeLength = -1;
    }
    QString OutputFile() const override { return m_output; }
    void OutputFile(const QString& path) override { m_output = path; }

    long OutputFormat() const override { return m_settings.destinationFormat; }
    void OutputFormat(long code) override { m_settings.destinationFormat = code; }
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

    long RangeStart() const override { return m_rangeStart; }
    void RangeStart(long seconds) override { m_rangeStart = seconds; }
    long RangeLength() const override { return m_rangeLength; }
    void RangeLength(long seconds) override { m_rangeLength = seconds; }

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

    void Start() override
    {
        AudioJob job;
        job.inputs.append(JobInput{m_input, m_rangeStart, m_rangeLength});
        job.output = m_output;
        job.settings = m_settings;
        job.tags = m_tags;
        if (m_input.isEmpty()) {
            refuse(components::errNoInput, QStringLiteral("There is no input file."));
            return;
        }
        if (!m_runner.start([job](WorkerContext& context) { return components::RunAudioJob(job, context); }))
            refuse(components::errBusy, QStringLiteral("A conversion is already running."));
    }

    void Abort() override { m_runner.requestStop(); }

    void EnumAcmTags(long tag, long rate, long channels, long bits, long flags) override
    {
        const bool onlyConvertible = (flags & 0x100000) != 0;
        engine::PcmFormat source;
        if (rate > 0)
            source.sampleRate = int(rate);
        if (channels > 0)
            source.channels = int(channels);
        if (bits > 0)
            source.bitsPerSample = int(bits);
        Q_UNUSED(tag);  // sources are always described as PCM
        for (const QString& name : engine::AcmTagNames(onlyConvertible, source))
            emit TagFound(name);
    }
    void EnumAcmFormats(const QString& tagName) override
    {
        for (const engine::AcmFormatInfo& format : engine::AcmFormats(tagName))
            emit FormatFound(format.name);
    }
    long WmaCodecCount() const override { return long(engine::WmaCodecNames().size()); }
    QString WmaCodecName(long index) const override { return engine::WmaCodecNames().value(int(index)); }
    long WmaFormatCount(long codec) const override { return long(engine::WmaFormatNames(int(codec)).size()); }
    QString WmaFormatName(long codec, long index) const override
    {
        return engine::WmaFormatNames(int(codec)).value(int(index));
    }

    void Release() override
    {
        ++m_generation;
        m_runner.shutdown();
        m_source.reset();
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
    // A start that cannot begin still answers, later, on the event loop.
    void refuse(long code, const QString& text)
    {
        QMetaObject::invokeMethod(
            this, [self = QPointer<AudioConverter>(this), generation = m_generation, code, text] {
                if (self && self->m_generation == generation)
                    emit self->Error(code, text);
            },
            Qt::QueuedConnection);
    }

    WorkerRunner m_runner;
    std::unique_ptr<engine::AudioReader> m_source;
    QString m_input, m_output;
    long m_rangeStart = -1, m_rangeLength = -1;
    components::OutputSettings m_settings;
    engine::AudioTags m_tags;
    quint64 m_generation = 0;  // a Release() drops refusals still queued
};

}  // namespace

std::unique_ptr<cAudioConverter> CreateAudioConverter()
{
    return std::make_unique<AudioConverter>();
}
