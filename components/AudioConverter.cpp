// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/JobComponent.h"
#include "components/cAudioConverter.h"
#include "components/engine/FfmpegReader.h"

#include <optional>


namespace {

using components::AudioJob;
using components::JobInput;

// The converter over the audio engine. Probing and listing run on the caller's thread with
// readers of their own; a conversion runs on the runner's thread with a snapshot of the settings,
// so neither disturbs the other.
class AudioConverter final : public components::JobComponent<cAudioConverter> {
public:
    AudioConverter()
    {
        connect(&m_runner, &WorkerRunner::progress, this, [this](int, int percent) { emit Progress(percent); });
    }

    long OpenSource(const QString& path) override
    {
        CloseSource();
        QString error;
        engine::SourceInfo info;
        if (engine::probeAudioSource(path, &info, &error))
            m_source = std::move(info);
        m_sourcePath = m_source ? path : QString();
        m_sourceError = m_source ? QString() : error;
        return m_source ? 0L : long(components::errCannotRead);
    }
    QString SourceError() const override { return m_sourceError; }
    void CloseSource() override
    {
        m_source.reset();
        m_sourcePath.clear();
    }
    long SourceSampleRate() const override { return m_source ? m_source->format.sampleRate : 0; }
    long SourceChannels() const override { return m_source ? m_source->format.channels : 0; }
    long SourceBits() const override { return m_source ? m_source->format.bitsPerSample : 0; }
    // Rounded up to the next whole millisecond: a source a few samples longer than a whole
    // number of seconds must not read as ending on that second, or a split would lose its tail.
    long SourceDuration() const override
    {
        if (!m_source)
            return 0;
        const engine::SourceInfo& info = *m_source;
        const int64_t rate = info.format.sampleRate;
        if (info.totalFrames > 0 && rate > 0)
            return long((info.totalFrames * 1000 + rate - 1) / rate);
        return long(info.durationMs);
    }

    void ReadSourceTags(const QString& path) override
    {
        // The file just opened already holds its tags: adding thousands of files opens each once.
        if (m_source && path == m_sourcePath) {
            m_tags = m_source->tags;
            return;
        }
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

    long RangeStart() const override { return m_rangeStart; }
    void RangeStart(long seconds) override { m_rangeStart = seconds; }
    long RangeLength() const override { return m_rangeLength; }
    void RangeLength(long seconds) override { m_rangeLength = seconds; }


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
        startJob(job, QStringLiteral("A conversion is already running."));
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
        silence();
        m_source.reset();
    }

private:
    std::optional<engine::SourceInfo> m_source;
    QString m_sourcePath;  // the file m_source was opened from
    QString m_sourceError;  // why the last OpenSource failed
    QString m_input, m_output;
    long m_rangeStart = -1, m_rangeLength = -1;
};

}  // namespace

std::unique_ptr<cAudioConverter> CreateAudioConverter()
{
    return std::make_unique<AudioConverter>();
}
