// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The program's side of the engine functions that live in the codec module: each opens the
// module on first use and hands the call on, or fails with the module's own sentence. Only the
// program links this file; the module has the real functions under the same names.

#include "components/engine/CodecModule.h"
#include "components/engine/EncoderWriters.h"
#include "components/engine/FfmpegReader.h"
#include "components/engine/FfmpegWriter.h"
#include "components/engine/WavFile.h"

namespace engine {

namespace {

template <typename T>
std::unique_ptr<T> moduleMissing(const char* verb, const QString& path, const QString& why, QString* error)
{
    if (error)
        *error = QStringLiteral("Cannot %1 the file '%2': %3.").arg(QLatin1String(verb), fileText(path), why);
    return nullptr;
}

}  // namespace

std::unique_ptr<AudioReader> openFfmpegReader(const QString& path, QString* error)
{
    QString why;
    if (const CodecModuleApi* api = codecModule(&why))
        return api->openFfmpegReader(path, error);
    return moduleMissing<AudioReader>("read", path, why, error);
}

bool probeFfmpegSource(const QString& path, SourceInfo* info, QString* error)
{
    QString why;
    if (const CodecModuleApi* api = codecModule(&why))
        return api->probeFfmpegSource(path, info, error);
    moduleMissing<AudioReader>("read", path, why, error);
    return false;
}

std::unique_ptr<AudioWriter> createMp3Writer(const Mp3FormatRecord& record, const QString& path,
                                             const AudioTags& tags, QString* error)
{
    QString why;
    if (const CodecModuleApi* api = codecModule(&why))
        return api->createMp3Writer(record, path, tags, error);
    return moduleMissing<AudioWriter>("write", path, why, error);
}

std::unique_ptr<AudioWriter> createOggWriter(const OggFormatRecord& record, const PcmFormat& source,
                                             const QString& path, const AudioTags& tags, QString* error)
{
    QString why;
    if (const CodecModuleApi* api = codecModule(&why))
        return api->createOggWriter(record, source, path, tags, error);
    return moduleMissing<AudioWriter>("write", path, why, error);
}

std::unique_ptr<AudioWriter> createFfmpegWriter(const FfmpegEncoding& encoding, const QString& path,
                                                const AudioTags& tags, QString* error)
{
    QString why;
    if (const CodecModuleApi* api = codecModule(&why))
        return api->createFfmpegWriter(encoding, path, tags, error);
    return moduleMissing<AudioWriter>("write", path, why, error);
}

}  // namespace engine
