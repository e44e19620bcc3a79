// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "settings/OutputFormatOptions.h"

#include "foundation/mdlSupportedDestination.h"

using O = OutputFormatOptionsData;

const std::vector<FormatSetting>& FormatSettings()
{
    static const std::vector<FormatSetting> table = {
        {"Formats\\WAV", "cboSamplesWAV", StoredForm::ListText, MemberFrom::EntryNumber, &O::cboSamplesWAV},
        {"Formats\\WAV", "cboBitrateWAV", StoredForm::ListText, MemberFrom::EntryNumber, &O::cboBitrateWAV},
        {"Formats\\WAV", "cboChannelsWAV", StoredForm::ListIndex, MemberFrom::Position, &O::cboChannelsWAV},
        {"Formats\\ACM", "cboTags", StoredForm::ListText, MemberFrom::EntryText, &O::cboTags},
        {"Formats\\ACM", "cboFormats", StoredForm::ListText, MemberFrom::EntryText, &O::cboFormats},
        {"Formats\\MP3", "cboMP3Bitrate", StoredForm::ListText, MemberFrom::EntryNumber, &O::cboMP3Bitrate},
        {"Formats\\MP3", "cboMP3Quality", StoredForm::ListText, MemberFrom::EntryNumber, &O::cboMP3Quality},
        {"Formats\\MP3", "cboMP3Samplerate", StoredForm::ListText, MemberFrom::EntryNumber, &O::cboMP3Samplerate},
        {"Formats\\MP3", "cboMP3Mode", StoredForm::ListIndex, MemberFrom::Position, &O::cboMP3Mode},
        {"Formats\\MP3", "chkMP3ErrorProtect", StoredForm::Check, MemberFrom::Flag, &O::chkMP3ErrorProtect},
        {"Formats\\MP3", "chkMP3Original", StoredForm::Check, MemberFrom::Flag, &O::chkMP3Original},
        {"Formats\\MP3", "chkMP3Copyright", StoredForm::Check, MemberFrom::Flag, &O::chkMP3Copyright},
        {"Formats\\MP3", "chkMP3StrictISO", StoredForm::Check, MemberFrom::Flag, &O::chkMP3StrictISO},
        {"Formats\\MP3", "cboMP3VBRQuality", StoredForm::ListText, MemberFrom::Position, &O::cboMP3VBRQuality},
        {"Formats\\MP3", "cboMP3MinBitrate", StoredForm::ListText, MemberFrom::Position, &O::cboMP3MinBitrate},
        {"Formats\\MP3", "cboMP3MaxBitrate", StoredForm::ListText, MemberFrom::Position, &O::cboMP3MaxBitrate},
        {"Formats\\MP3", "chkMP3VBRTag", StoredForm::Check, MemberFrom::Flag, &O::chkMP3VBRTag},
        {"Formats\\MP3", "chkMP3VBRForceMinBitrate", StoredForm::Check, MemberFrom::Flag,
         &O::chkMP3VBRForceMinBitrate},
        {"Formats\\MP3", "chkMP3ABR", StoredForm::Check, MemberFrom::Flag, &O::chkMP3ABR},
        {"Formats\\MP3", "cboMP3ABRBitrate", StoredForm::ListText, MemberFrom::EntryNumber, &O::cboMP3ABRBitrate},
        {"Formats\\MP3", "lblMP3Advanced", StoredForm::Caption, MemberFrom::None, std::monostate{}},
        {"Formats\\WMA", "cboWMACodecs", StoredForm::ListIndex, MemberFrom::Position, &O::cboWMACodecs},
        {"Formats\\WMA", "cboWMAFormat", StoredForm::ListIndex, MemberFrom::Position, &O::cboWMAFormat},
        {"Formats\\OGG", "ptnQualityOGG", StoredForm::Option, MemberFrom::Flag, &O::ptnQualityOGG},
        {"Formats\\OGG", "sldOGG", StoredForm::Slider, MemberFrom::SliderValue, &O::sldOGG},
        {"Formats\\OGG", "optOggBit", StoredForm::Option, MemberFrom::Flag, &O::optOggBit},
        {"Formats\\OGG", "cboOggBitNom", StoredForm::ListText, MemberFrom::EntryNumber, &O::cboOggBitNom},
        {"Formats\\APE", "cboAPELevel", StoredForm::ListIndex, MemberFrom::Position, &O::cboAPELevel},
    };
    return table;
}

QStringList FormatSections()
{
    return {QStringLiteral("Formats\\WAV"), QStringLiteral("Formats\\ACM"), QStringLiteral("Formats\\MP3"),
            QStringLiteral("Formats\\WMA"), QStringLiteral("Formats\\OGG"), QStringLiteral("Formats\\APE")};
}

QStringList Mp3BitrateEntries()
{
    QStringList l;
    for (int kbps : engine::kMp3Bitrates)
        l.append(kbps < 10 ? QString::number(kbps) + QLatin1Char(' ') : QString::number(kbps));
    return l;
}

QStringList Mp3QualityEntries()
{
    QStringList l;
    for (int q = 0; q <= 9; ++q)
        l.append(QString::number(q) + QLatin1Char(' '));
    return l;
}

QStringList Mp3ModeEntries()
{
    return {QStringLiteral("STEREO_MODE = 0"),       QStringLiteral("JOINT_STEREO_MODE = 1"),
            QStringLiteral("DUAL_CHANNEL_MODE = 2"), QStringLiteral("MONO_MODE = 3"),
            QStringLiteral("NOT_SET_MODE = 4"),      QStringLiteral("FORCE_JOINT_STEREO_MODE = 5")};
}

QStringList Mp3SamplerateEntries()
{
    return {QStringLiteral("8000"),  QStringLiteral("11025"), QStringLiteral("12000"),
            QStringLiteral("16000"), QStringLiteral("22050"), QStringLiteral("24000"),
            QStringLiteral("32000"), QStringLiteral("44100"), QStringLiteral("48000")};
}

QStringList WavSampleEntries()
{
    return {QStringLiteral("44100"), QStringLiteral("22050"), QStringLiteral("11025"), QStringLiteral("8000")};
}

QStringList WavChannelEntries() { return {QStringLiteral("Mono"), QStringLiteral("Stereo")}; }

QStringList OggBitrateEntries()
{
    return {QStringLiteral("32"),  QStringLiteral("40"),  QStringLiteral("48"),  QStringLiteral("64"),
            QStringLiteral("80"),  QStringLiteral("96"),  QStringLiteral("128"), QStringLiteral("160"),
            QStringLiteral("196"), QStringLiteral("256"), QStringLiteral("350")};
}

QStringList ApeLevelEntries()
{
    return {QStringLiteral("Fast"), QStringLiteral("Normal"), QStringLiteral("High"), QStringLiteral("Extra high"),
            QStringLiteral("Slow")};
}

int32_t EntryNumber(const QString& entryText)
{
    bool ok = false;
    const int v = entryText.trimmed().toInt(&ok);
    return ok ? v : 0;
}

int32_t DestinationFormatOf(const QString& targetFormatText)
{
    return GetDestinationFormatIndex(targetFormatText) + 1;
}

QString DestinationFormatLogText(int32_t destinationFormat)
{
    switch (destinationFormat) {
    case 2: return QStringLiteral("Destination format: ACM WAV");
    case 3: return QStringLiteral("Destination format: MP3");
    case 4: return QStringLiteral("Destination format: WMA");
    case 5: return QStringLiteral("Destination format: OGG");
    case 6: return QStringLiteral("Destination format: APE");
    default: return QStringLiteral("Destination format: WAV");
    }
}

engine::WavFormatRecord BuildWavFormatRecord(const OutputFormatOptionsData& o)
{
    engine::WavFormatRecord r;
    r.SampleRate = o.cboSamplesWAV;
    r.Channels = static_cast<int16_t>(o.cboChannelsWAV + 1);
    r.BitsPerSample = static_cast<int16_t>(o.cboBitrateWAV);
    return r;
}

engine::Mp3FormatRecord BuildMp3FormatRecord(const OutputFormatOptionsData& o)
{
    engine::Mp3FormatRecord r;
    r.ABRBitrate = o.cboMP3ABRBitrate;
    r.Bitrate = o.cboMP3Bitrate;
    r.Copyright = o.chkMP3Copyright;
    r.ErrorProtection = o.chkMP3ErrorProtect;
    r.Mode = o.cboMP3Mode;
    r.Original = o.chkMP3Original;
    r.SampleRate = o.cboMP3Samplerate;
    r.Quality = o.cboMP3Quality;
    r.StrictISO = o.chkMP3StrictISO;
    r.VBRMethod = engine::mp3Cbr;
    r.WriteVBRTag = 0;
    if (o.chkMP3VBRTag == -1) {
        r.VBRMethod = engine::mp3Vbr;
        r.WriteVBRTag = -1;
    }
    // ABR is tested second and wins over the VBR tag's method.
    if (o.chkMP3ABR == -1)
        r.VBRMethod = engine::mp3Abr;
    r.VBRForceMin = o.chkMP3VBRForceMinBitrate;
    r.VBRMinBitrate = o.cboMP3MinBitrate;
    r.VBRMaxBitrate = o.cboMP3MaxBitrate;
    r.VBRQuality = o.cboMP3VBRQuality;
    return r;
}

engine::WmaFormatRecord BuildWmaFormatRecord(const OutputFormatOptionsData& o)
{
    engine::WmaFormatRecord r;
    r.CodecIndex = o.cboWMACodecs;
    r.FormatIndex = o.cboWMAFormat;
    return r;
}

engine::OggFormatRecord BuildOggFormatRecord(const OutputFormatOptionsData& o)
{
    engine::OggFormatRecord r;
    if (o.optOggBit == -1) {
        r.Mode = 2;
        r.NominalBitrate = o.cboOggBitNom;
    } else {
        r.Mode = 0;
        r.Quality = o.sldOGG;
    }
    return r;
}
