// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/AudioJob.h"

#include "components/OutputTarget.h"
#include "components/engine/DiscTrackHook.h"
#include "components/engine/SourceFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

namespace components {

engine::OutputSpec OutputSettings::spec() const
{
    engine::OutputSpec s;
    s.destinationFormat = int(destinationFormat);
    switch (destinationFormat) {
    case engine::dfWAV: s.record = wav.toBytes(); break;
    case engine::dfACM:
        s.acmTagName = acmTagName;
        s.acmFormatName = acmFormatName;
        break;
    case engine::dfMP3: s.record = mp3.toBytes(); break;
    case engine::dfWMA: s.record = wma.toBytes(); break;
    case engine::dfOGG: s.record = ogg.toBytes(); break;
    case engine::dfAPE: s.apeLevel = int(apeLevel); break;
    default: break;
    }
    return s;
}

engine::Mp3FormatRecord OutputSettings::defaultMp3()
{
    engine::Mp3FormatRecord r;
    r.ABRBitrate = 96;
    r.Bitrate = 128;
    r.Copyright = -1;
    r.Original = -1;
    r.Mode = engine::mp3JointStereo;
    r.SampleRate = 44100;
    r.Quality = 5;
    r.VBRMethod = engine::mp3Cbr;
    r.VBRMinBitrate = 9;
    r.VBRMaxBitrate = 11;
    r.VBRQuality = 5;
    return r;
}

bool SameFile(const QString& a, const QString& b)
{
    struct stat sa {}, sb {};
    const QByteArray pa = QFile::encodeName(a), pb = QFile::encodeName(b);
    if (::stat(pa.constData(), &sa) == 0 && ::stat(pb.constData(), &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    return QDir::cleanPath(QFileInfo(a).absoluteFilePath()) == QDir::cleanPath(QFileInfo(b).absoluteFilePath());
}

namespace {

constexpr int64_t kChunkBytes = 1 << 20;
// The longest range, in seconds, whose frame count fits in 64 bits at any rate read or written.
constexpr long kMaxRangeSeconds = long(INT64_MAX / engine::kMaxSampleRate);

bool sameInode(const QString& path, const struct stat& other)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && st.st_dev == other.st_dev &&
           st.st_ino == other.st_ino;
}

QString quoted(const QString& path)
{
    return QLatin1Char('\'') + path + QLatin1Char('\'');
}

// The reader's own text names the file; make sure a bare library message does too.
QString readError(const QString& path, const QString& detail)
{
    if (detail.contains(path))
        return detail;
    QString text = QStringLiteral("Cannot read the file ") + quoted(path);
    if (!detail.isEmpty())
        text += QStringLiteral(": ") + detail;
    return text;
}

// How the user gave the range: whole seconds, -1 meaning from the start or to the end.
QString rangeText(const JobInput& input)
{
    const QString start = input.start == -1 ? QStringLiteral("from the start") : QStringLiteral("start %1 s").arg(input.start);
    const QString length = input.length == -1 ? QStringLiteral("to the end") : QStringLiteral("length %1 s").arg(input.length);
    return QStringLiteral("The range (") + start + QStringLiteral(", ") + length + QLatin1Char(')');
}

WorkerResult rangePastTheEnd(const JobInput& input, int64_t frames, int rate)
{
    QString text = rangeText(input) + QStringLiteral(" starts past the end of the file ") + quoted(input.path);
    if (frames >= 0 && rate > 0)
        text += QStringLiteral(", which lasts %1 ms").arg(frames * 1000 / rate);
    return WorkerResult::failed(errCannotRead, text + QLatin1Char('.'));
}

// One work buffer per job, grown on demand and never cleared: filling a fresh megabyte with
// zeros for every short input costs more than copying its samples.
class Buffer {
public:
    uint8_t* get(int64_t bytes)
    {
        if (bytes > m_size) {
            m_data.reset(new uint8_t[size_t(bytes)]);
            m_size = bytes;
        }
        return m_data.get();
    }

private:
    std::unique_ptr<uint8_t[]> m_data;
    int64_t m_size = 0;
};

struct Span {
    int64_t first = 0;
    int64_t count = -1;  // -1: to the end
};

// The frames of a range at the given rate; the end is clamped later to what the source holds.
Span spanOf(const JobInput& input, int sampleRate)
{
    Span s;
    if (input.start > 0)
        s.first = int64_t(input.start) * sampleRate;
    if (input.length >= 0)
        s.count = int64_t(input.length) * sampleRate;
    return s;
}

int percentOf(int64_t done, int64_t total)
{
    if (total <= 0)
        return 0;
    return int(std::clamp<int64_t>(done * 100 / total, 0, 100));
}

// Copies sample bytes of a PCM WAV whose format is the output's, cut at exact frame positions.
// Where both files share a file system the kernel copies the bytes; otherwise they are read and
// written here. A plain descriptor with positioned reads: a join of many short files pays per
// system call, and QFile adds several to every open and seek.
WorkerResult copyPcm(const JobInput& input, const engine::AudioReader& reader, engine::AudioWriter& writer, int stage,
                     Buffer& work, WorkerContext& context)
{
    const engine::SourceInfo& info = reader.info();
    const int bytesPerFrame = info.format.bytesPerFrame();
    const int64_t available = info.pcmDataBytes / bytesPerFrame;
    Span span = spanOf(input, info.format.sampleRate);
    span.first = std::min(span.first, available);
    const int64_t frames = span.count < 0 ? available - span.first : std::min(span.count, available - span.first);

    // The reader's own descriptor where it has one: the file is already open.
    struct Descriptor {
        int fd;
        bool owned;
        ~Descriptor()
        {
            if (owned && fd >= 0)
                ::close(fd);
        }
    } source{reader.plainPcmDescriptor(), false};
    if (source.fd < 0) {
        const engine::SourceOpen opened = engine::openSourceFile(input.path);
        if (opened.fd < 0)
            return WorkerResult::failed(errCannotRead, readError(input.path, engine::sourceOpenErrorText(input.path, opened)));
        source = {opened.fd, true};
    }
    const int fd = source.fd;

    QString error;
    auto truncated = [&] {
        return WorkerResult::failed(errCannotRead, QStringLiteral("The file ") + quoted(input.path) +
                                                       QStringLiteral(" is truncated: its sample data ends early."));
    };
    const int64_t framesPerChunk = std::clamp<int64_t>(kChunkBytes / bytesPerFrame, 1, std::max<int64_t>(frames, 1));
    const int64_t chunkBytes = framesPerChunk * bytesPerFrame;
    const int64_t start = info.pcmDataOffset + span.first * bytesPerFrame;
    const int64_t total = frames * bytesPerFrame;
    int64_t done = 0;
    bool sourceEnded = false;
    while (done < total) {
        if (context.stopRequested())
            return WorkerResult::aborted();
        const int64_t n = writer.copyFromFile(fd, start + done, std::min(total - done, chunkBytes), &error);
        if (n == engine::AudioWriter::kCopyUnsupported)
            break;
        if (n < 0)
            return WorkerResult::failed(errCannotWrite, error);
        if (n == 0) {
            // The source ends early, or a file system copies nothing: the reads below tell.
            sourceEnded = true;
            break;
        }
        done += n;
        context.progress(stage, percentOf(done / bytesPerFrame, frames));
    }
    if (done == total)
        return WorkerResult::done();
    // Stopped inside a frame: the rest cannot go on by frames.
    if (done % bytesPerFrame != 0)
        return sourceEnded ? truncated()
                           : WorkerResult::failed(errCannotWrite,
                                                  QStringLiteral("The copy stopped inside a sample frame."));

    uint8_t* buffer = work.get(chunkBytes);
    for (int64_t copied = done / bytesPerFrame; copied < frames;) {
        if (context.stopRequested())
            return WorkerResult::aborted();
        const int64_t want = std::min(framesPerChunk, frames - copied);
        const int64_t bytes = want * bytesPerFrame;
        int64_t got = 0;
        while (got < bytes) {
            const ssize_t n = ::pread(fd, buffer + got, size_t(bytes - got), off_t(start + copied * bytesPerFrame + got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return WorkerResult::failed(errCannotRead,
                                            readError(input.path, QString::fromLocal8Bit(std::strerror(errno))));
            if (n == 0)
                break;
            got += n;
        }
        if (got < bytes)
            return truncated();
        if (!writer.write(buffer, want, &error))
            return WorkerResult::failed(errCannotWrite, error);
        copied += want;
        context.progress(stage, percentOf(copied, frames));
    }
    return WorkerResult::done();
}

// Decodes any source into the writer's PCM format, cut at exact frames of that format.
WorkerResult decodeInto(const JobInput& input, engine::AudioReader& reader, engine::AudioWriter& writer, int stage,
                        Buffer& work, WorkerContext& context)
{
    const engine::PcmFormat target = writer.inputFormat();
    QString error;
    if (!reader.setOutputFormat(target, &error))
        return WorkerResult::failed(errCannotRead, readError(input.path, error));
    const Span span = spanOf(input, target.sampleRate);
    if (span.first > 0 && !reader.seekToFrame(span.first, &error))
        return WorkerResult::failed(errCannotRead, readError(input.path, error));

    const engine::SourceInfo& info = reader.info();
    // The source's length in output frames, when it states one.
    const int64_t total = info.totalFrames > 0 && info.format.sampleRate > 0
                              ? int64_t((__int128)info.totalFrames * target.sampleRate / info.format.sampleRate)
                              : -1;
    const int64_t rest = std::max<int64_t>(0, total - span.first);
    const int64_t expected = span.count >= 0 ? span.count : total >= 0 ? rest : -1;

    const int bytesPerFrame = target.bytesPerFrame();
    const int64_t framesPerChunk = std::max<int64_t>(1, (kChunkBytes / 4) / bytesPerFrame);
    uint8_t* buffer = work.get(framesPerChunk * bytesPerFrame);
    int64_t written = 0;
    while (span.count < 0 || written < span.count) {
        if (context.stopRequested())
            return WorkerResult::aborted();
        const int64_t want = span.count < 0 ? framesPerChunk : std::min(framesPerChunk, span.count - written);
        const int64_t got = reader.read(buffer, want, &error);
        if (got < 0)
            return WorkerResult::failed(errCannotRead, readError(input.path, error));
        if (got == 0)
            break;
        if (!writer.write(buffer, got, &error))
            return WorkerResult::failed(errCannotWrite, error);
        written += got;
        context.progress(stage, percentOf(written, expected));
    }
    // A source must deliver the length it states (within what that figure may be off by): a join
    // or conversion that quietly leaves out what did not decode would report success for audio
    // that is not there.
    const QString shortfall = engine::shortDecodeError(input.path, info, target.sampleRate, span.first, span.count, written);
    if (!shortfall.isEmpty())
        return WorkerResult::failed(errCannotRead, shortfall);
    // A source whose length was not known beforehand: the start lay beyond what it holds.
    if (written == 0 && span.first > 0)
        return rangePastTheEnd(input, -1, 0);
    return WorkerResult::done();
}

WorkerResult writeInputs(const AudioJob& job, engine::AudioWriter& writer, WorkerContext& context)
{
    Buffer work;
    for (int i = 0; i < job.inputs.size(); ++i) {
        if (context.stopRequested())
            return WorkerResult::aborted();
        const JobInput& input = job.inputs.at(i);
        const int stage = i + 1;
        context.progress(stage, 0);
        QString error;
        std::unique_ptr<engine::AudioReader> reader = engine::AudioReader::open(input.path, &error);
        if (!reader)
            return WorkerResult::failed(errCannotRead, readError(input.path, error));
        // A PCM WAV whose data chunk claims more than the file holds was refused by the reader;
        // one that shrinks meanwhile ends the copy early, which says so.
        const engine::SourceInfo& info = reader->info();
        const bool lengthKnown = info.isPlainPcmWav || info.totalFrames > 0;
        if (input.start > 0 && lengthKnown && info.format.sampleRate > 0 &&
            int64_t(input.start) * info.format.sampleRate >= info.totalFrames)
            return rangePastTheEnd(input, info.totalFrames, info.format.sampleRate);
        const bool copyable = job.settings.destinationFormat == engine::dfWAV && info.isPlainPcmWav &&
                              info.format == writer.inputFormat() && info.format.bytesPerFrame() > 0;
        WorkerResult result;
        if (copyable) {
            result = copyPcm(input, *reader, writer, stage, work, context);
        } else {
            result = decodeInto(input, *reader, writer, stage, work, context);
        }
        if (result.outcome != WorkerResult::Done)
            return result;
        context.progress(stage, 100);
    }
    return WorkerResult::done();
}

}  // namespace

WorkerResult RunAudioJob(const AudioJob& job, WorkerContext& context)
{
    if (job.inputs.isEmpty())
        return WorkerResult::failed(errNoInput, QStringLiteral("There is no input file."));
    for (const JobInput& input : job.inputs)
        if (input.path.isEmpty())
            return WorkerResult::failed(errNoInput, QStringLiteral("An input file has no name."));
    if (job.output.isEmpty())
        return WorkerResult::failed(errCannotWrite, QStringLiteral("There is no output file."));
    // The output is looked at once; only an input that names the same file needs a second look.
    struct stat outputStat {};
    const bool outputExists = ::stat(QFile::encodeName(job.output).constData(), &outputStat) == 0;
    const QString outputName = QFileInfo(job.output).fileName();
    for (const JobInput& input : job.inputs)
        if (outputExists ? sameInode(input.path, outputStat)
                         : QFileInfo(input.path).fileName() == outputName && SameFile(input.path, job.output))
            return WorkerResult::failed(errOutputIsInput, QStringLiteral("The output file ") + quoted(job.output) +
                                                              QStringLiteral(" is one of the input files."));
    // A disc image of the drives is a disc, not a file to write over: ripping its own track onto
    // it would leave no disc at all.
    if (outputExists)
        for (const engine::DiscImageFile& disc : engine::ListDiscImageFiles())
            if (sameInode(disc.path, outputStat))
                return WorkerResult::failed(errOutputIsInput,
                                            QStringLiteral("The output file ") + quoted(job.output) +
                                                QStringLiteral(" is the file ") + quoted(disc.path) +
                                                QStringLiteral(" of the disc in the drive ") + quoted(disc.driveName) +
                                                QStringLiteral(": a disc is never written over."));
    const long code = job.settings.destinationFormat;
    if (code == engine::dfAPE)
        return WorkerResult::failed(errUnsupportedFormat,
                                    QStringLiteral("APE output is not available: there is no APE encoder here."));
    if (code < engine::dfWAV || code > engine::dfAPE)
        return WorkerResult::failed(errUnsupportedFormat,
                                    QStringLiteral("Unknown output format ") + QString::number(code) + QLatin1Char('.'));
    for (const JobInput& input : job.inputs)
        if (input.start < -1 || input.length < -1 || input.start > kMaxRangeSeconds || input.length > kMaxRangeSeconds)
            return WorkerResult::failed(errCannotRead, rangeText(input) + QStringLiteral(" of the file ") +
                                                           quoted(input.path) + QStringLiteral(" is not valid."));

    OutputTarget target;
    QString error;
    if (!target.resolve(job.output, &error))
        return WorkerResult::failed(errCannotWrite, error);
    if (!target.createPartFile(&error))
        return WorkerResult::failed(errCannotWrite, components::WriteError(job.output, error));
    const QString temporary = target.partFile();
    // The user knows the file by its own name, not by the temporary one.
    auto outputError = [&](QString detail) { return components::WriteError(job.output, detail.replace(temporary, job.output)); };
    engine::OutputSpec spec = job.settings.spec();
    if (code == engine::dfOGG) {
        // Vorbis settings name no rate or channels: the output keeps those of the first source.
        QString probeError;
        if (auto first = engine::AudioReader::open(job.inputs.first().path, &probeError))
            spec.sourceFormat = first->info().format;
    }
    std::unique_ptr<engine::AudioWriter> writer = engine::AudioWriter::create(spec, temporary, job.tags, &error);
    if (!writer) {
        target.discard();
        return WorkerResult::failed(errCannotWrite, outputError(error));
    }
    auto discard = [&](WorkerResult result) {
        writer.reset();
        target.discard();
        return result;
    };

    WorkerResult result = writeInputs(job, *writer, context);
    if (result.outcome == WorkerResult::Failed && result.code == errCannotWrite)
        result.text = outputError(result.text);
    if (result.outcome != WorkerResult::Done)
        return discard(result);
    if (!writer->finish(&error))
        return discard(WorkerResult::failed(errCannotWrite, outputError(error)));
    writer.reset();
    if (context.stopRequested())
        return discard(WorkerResult::aborted());
    if (!target.commit(&error))
        return discard(WorkerResult::failed(errCannotWrite, outputError(error)));
    return WorkerResult::done();
}

}  // namespace components
