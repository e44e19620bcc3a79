// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/engine/AudioEngine.h"

#include "components/engine/EncoderWriters.h"
#include "components/engine/FormatRecords.h"
#include "components/engine/WavFile.h"

namespace engine {

std::unique_ptr<AudioWriter> AudioWriter::create(const OutputSpec& spec, const QString& path, const AudioTags& tags,
                                                 QString* error)
{
    auto failWith = [&](const QString& text) -> std::unique_ptr<AudioWriter> {
        if (error)
            *error = text.arg(fileText(path));
        return nullptr;
    };
    switch (spec.destinationFormat) {
    case dfWAV: {
        const auto record = WavFormatRecord::fromBytes(spec.record);
        if (!record)
            return failWith(QStringLiteral("Cannot write the file '%1': no WAV format was given."));
        return createWavWriter(PcmFormat{record->SampleRate, record->Channels, record->BitsPerSample}, path, tags,
                               error);
    }
    case dfMP3: {
        const auto record = Mp3FormatRecord::fromBytes(spec.record);
        if (!record)
            return failWith(QStringLiteral("Cannot write the file '%1': no MP3 format was given."));
        return createMp3Writer(*record, path, tags, error);
    }
    case dfOGG: {
        const auto record = OggFormatRecord::fromBytes(spec.record);
        if (!record)
            return failWith(QStringLiteral("Cannot write the file '%1': no OGG format was given."));
        return createOggWriter(*record, spec.sourceFormat, path, tags, error);
    }
    case dfACM:
        return createAcmWriter(spec.acmTagName, spec.acmFormatName, path, tags, error);
    case dfWMA: {
        const auto record = WmaFormatRecord::fromBytes(spec.record);
        if (!record)
            return failWith(QStringLiteral("Cannot write the file '%1': no WMA format was given."));
        return createWmaWriter(*record, path, tags, error);
    }
    case dfAPE:
        return failWith(QStringLiteral("Cannot write the file '%1': APE (Monkey's Audio) encoding is not available "
                                       "in this version."));
    default:
        return failWith(QStringLiteral("Cannot write the file '%1': unknown output format ") +
                        QString::number(spec.destinationFormat) + QLatin1Char('.'));
    }
}

}  // namespace engine
