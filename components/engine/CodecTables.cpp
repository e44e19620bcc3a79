// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The compressed-WAV ("ACM") and WMA codec tables: what the format lists show and what each
// entry makes the encoder do.

#include "components/engine/EncoderWriters.h"

#include "components/engine/FfmpegWriter.h"
#include "components/engine/WavFile.h"

namespace engine {

namespace {

struct AcmTag {
    const char* name;
    const char* encoder;      // libavcodec encoder, "" for PCM (chosen by width)
    QList<int> rates;
    QList<int> bits;          // PCM widths; compressed tags list their coded width once
    QList<int> channels;
};

const QList<AcmTag>& acmTags()
{
    static const QList<AcmTag> tags = {
        {"PCM", "", {8000, 11025, 16000, 22050, 32000, 44100, 48000}, {8, 16}, {1, 2}},
        {"IMA ADPCM", "adpcm_ima_wav", {8000, 11025, 22050, 44100}, {4}, {1, 2}},
        {"Microsoft ADPCM", "adpcm_ms", {8000, 11025, 22050, 44100}, {4}, {1, 2}},
        {"CCITT A-Law", "pcm_alaw", {8000, 11025, 22050, 44100}, {8}, {1, 2}},
        {"CCITT u-Law", "pcm_mulaw", {8000, 11025, 22050, 44100}, {8}, {1, 2}},
        {"GSM 6.10", "libgsm_ms", {8000}, {0}, {1}},
    };
    return tags;
}

QString rateText(int rate)
{
    // "44,100 kHz": the rate in kHz with three decimals, grouped the way the lists always showed it.
    return QStringLiteral("%1,%2 kHz").arg(rate / 1000).arg(rate % 1000, 3, 10, QLatin1Char('0'));
}

QString channelText(int channels) { return channels == 1 ? QStringLiteral("Mono") : QStringLiteral("Stereo"); }

struct AcmEntry {
    AcmFormatInfo info;
    int codedBits;
};

QList<AcmEntry> acmEntries(const AcmTag& tag)
{
    QList<AcmEntry> out;
    for (int rate : tag.rates)
        for (int bits : tag.bits)
            for (int channels : tag.channels) {
                AcmEntry e;
                e.codedBits = bits;
                e.info.pcm = PcmFormat{rate, channels, bits == 8 && tag.encoder[0] == '\0' ? 8 : 16};
                if (bits > 0) {
                    e.info.name = QStringLiteral("%1, %2 Bit, %3").arg(rateText(rate)).arg(bits).arg(channelText(channels));
                } else {
                    // GSM has no sample width of its own; its fixed rate is what users know it by.
                    e.info.name = QStringLiteral("%1, %2, 13 kbit/s").arg(rateText(rate), channelText(channels));
                }
                out.append(e);
            }
    return out;
}

const AcmTag* findTag(const QString& name)
{
    for (const AcmTag& tag : acmTags())
        if (name == QLatin1String(tag.name))
            return &tag;
    return nullptr;
}

struct WmaFormat {
    int kbps;
    int rate;
    int channels;
};
struct WmaCodec {
    const char* name;
    const char* encoder;
    QList<WmaFormat> formats;
};

const QList<WmaCodec>& wmaCodecs()
{
    static const QList<WmaFormat> formats = {
        {192, 44100, 2}, {160, 44100, 2}, {128, 44100, 2}, {96, 44100, 2}, {64, 44100, 2}, {48, 44100, 2},
        {128, 48000, 2}, {64, 32000, 2},  {48, 22050, 2},  {32, 22050, 2}, {32, 22050, 1}, {24, 16000, 1},
    };
    static const QList<WmaCodec> codecs = {
        {"Windows Media Audio V2", "wmav2", formats},
        {"Windows Media Audio V1", "wmav1", formats},
    };
    return codecs;
}

QString wmaFormatName(const WmaFormat& f)
{
    return QStringLiteral("%1 kbps, %2 kHz, %3 CBR").arg(f.kbps).arg(f.rate / 1000).arg(f.channels == 1 ? QStringLiteral("mono") : QStringLiteral("stereo"));
}

}  // namespace

QStringList AcmTagNames(bool onlyConvertibleFrom, const PcmFormat& source)
{
    QStringList names;
    for (const AcmTag& tag : acmTags()) {
        // PCM converts from any PCM source; another tag converts from a source when one of
        // its formats keeps the source's rate and channels, so that only the coding changes.
        bool take = !onlyConvertibleFrom || tag.encoder[0] == '\0';
        for (const AcmEntry& e : acmEntries(tag))
            if (e.info.pcm.sampleRate == source.sampleRate && e.info.pcm.channels == source.channels)
                take = true;
        if (take)
            names.append(QString::fromLatin1(tag.name));
    }
    return names;
}

QList<AcmFormatInfo> AcmFormats(const QString& tagName)
{
    QList<AcmFormatInfo> out;
    if (const AcmTag* tag = findTag(tagName))
        for (const AcmEntry& e : acmEntries(*tag))
            out.append(e.info);
    return out;
}

QStringList WmaCodecNames()
{
    QStringList names;
    for (const WmaCodec& c : wmaCodecs())
        names.append(QString::fromLatin1(c.name));
    return names;
}

QStringList WmaFormatNames(int codec)
{
    QStringList names;
    if (codec >= 0 && codec < wmaCodecs().size())
        for (const WmaFormat& f : wmaCodecs()[codec].formats)
            names.append(wmaFormatName(f));
    return names;
}

std::unique_ptr<AudioWriter> createAcmWriter(const QString& tagName, const QString& formatName, const QString& path,
                                             const AudioTags& tags, QString* error)
{
    const AcmTag* tag = findTag(tagName);
    if (!tag) {
        if (error)
            *error = QStringLiteral("Cannot write the file '%1': there is no ACM codec named '%2'.").arg(fileText(path), tagName);
        return nullptr;
    }
    for (const AcmEntry& e : acmEntries(*tag)) {
        if (e.info.name != formatName)
            continue;
        if (tag->encoder[0] == '\0')
            return createWavWriter(e.info.pcm, path, tags, error);
        // G.711 is coded here, sample by sample as the standard gives it: the library's
        // tables put a few samples near the step boundaries into the neighbouring step.
        if (qstrcmp(tag->encoder, "pcm_alaw") == 0)
            return createWavWriter(e.info.pcm, path, tags, error, WavCoding::ALaw);
        if (qstrcmp(tag->encoder, "pcm_mulaw") == 0)
            return createWavWriter(e.info.pcm, path, tags, error, WavCoding::MuLaw);
        return createFfmpegWriter(FfmpegEncoding{"wav", tag->encoder, e.info.pcm, 0}, path, tags, error);
    }
    if (error)
        *error = QStringLiteral("Cannot write the file '%1': the ACM codec '%2' has no format '%3'.")
                     .arg(fileText(path), tagName, formatName);
    return nullptr;
}

std::unique_ptr<AudioWriter> createWmaWriter(const WmaFormatRecord& record, const QString& path,
                                             const AudioTags& tags, QString* error)
{
    const auto& codecs = wmaCodecs();
    if (record.CodecIndex < 0 || record.CodecIndex >= codecs.size() || record.FormatIndex < 0 ||
        record.FormatIndex >= codecs[record.CodecIndex].formats.size()) {
        if (error)
            *error = QStringLiteral("Cannot write the file '%1': there is no WMA codec %2 with format %3.")
                         .arg(fileText(path))
                         .arg(record.CodecIndex)
                         .arg(record.FormatIndex);
        return nullptr;
    }
    const WmaCodec& codec = codecs[record.CodecIndex];
    const WmaFormat& f = codec.formats[record.FormatIndex];
    return createFfmpegWriter(FfmpegEncoding{"asf", codec.encoder, PcmFormat{f.rate, f.channels, 16}, int64_t(f.kbps) * 1000},
                              path, tags, error);
}

}  // namespace engine
