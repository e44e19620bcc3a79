// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// The FORMAT words of the command-line drivers (engine-driver, cd-driver), parsed into the code
// and settings record a task window hands to a component.

#include "components/cAudioConverter.h"

#include <QStringList>

#include <cmath>
#include <optional>

namespace formatwords {

inline std::optional<long> number(const QString& text)
{
    bool ok = false;
    const long v = text.toLong(&ok);
    return ok ? std::optional<long>(v) : std::nullopt;
}

// The output format as a task window hands it over: a code and that code's one settings call.
struct Format {
    long code = 1;
    engine::WavFormatRecord wav;
    QString acmTag, acmFormat;
    engine::Mp3FormatRecord mp3;
    engine::WmaFormatRecord wma;
    engine::OggFormatRecord ogg;
    long apeLevel = 0;

    template <class Component>
    void handTo(Component& c) const
    {
        switch (code) {
        case 1: c.SetWavFormat(wav); break;
        case 2: c.SetAcmFormat(acmTag, acmFormat); break;
        case 3: c.SetMp3Format(mp3); break;
        case 4: c.SetWmaFormat(wma); break;
        case 5: c.SetOggFormat(ogg); break;
        case 6: c.SetApeLevel(apeLevel); break;
        }
    }
};

// ACM names may be given by position in the component's own listings.
inline QString acmName(cAudioConverter& lister, const QString& given, const QString& tagForFormats)
{
    const auto index = number(given);
    if (!index)
        return given;
    QStringList names;
    QObject context;
    if (tagForFormats.isEmpty()) {
        QObject::connect(&lister, &cAudioConverter::TagFound, &context, [&](const QString& n) { names << n; });
        lister.EnumAcmTags(1, 44100, 2, 16, 0);
    } else {
        QObject::connect(&lister, &cAudioConverter::FormatFound, &context, [&](const QString& n) { names << n; });
        lister.EnumAcmFormats(tagForFormats);
    }
    return names.value(int(*index), given);
}

inline std::optional<Format> parseFormat(const QString& text, QString* why)
{
    const QStringList p = text.split(QLatin1Char(':'));
    const QString kind = p.value(0).toLower();
    Format f;
    auto bad = [&] {
        *why = QStringLiteral("bad format '") + text + QLatin1Char('\'');
        return std::nullopt;
    };
    if (kind == QLatin1String("wav") && p.size() == 4) {
        const auto rate = number(p[1]), channels = number(p[2]), bits = number(p[3]);
        if (!rate || !channels || !bits)
            return bad();
        f.code = 1;
        f.wav = {int32_t(*rate), int16_t(*channels), int16_t(*bits)};
    } else if (kind == QLatin1String("acm") && p.size() == 3) {
        f.code = 2;
        auto lister = CreateAudioConverter();
        f.acmTag = acmName(*lister, p[1], {});
        f.acmFormat = acmName(*lister, p[2], f.acmTag);
    } else if (kind == QLatin1String("mp3") && p.size() == 2) {
        const auto kbps = number(p[1]);
        if (!kbps)
            return bad();
        // Constant bitrate at the settings the lame command line uses by default.
        f.code = 3;
        f.mp3.Bitrate = int32_t(*kbps);
        f.mp3.ABRBitrate = int32_t(*kbps);
        f.mp3.SampleRate = 44100;
        f.mp3.Mode = engine::mp3JointStereo;
        f.mp3.Quality = 3;
        f.mp3.Original = -1;
        f.mp3.VBRMethod = engine::mp3Cbr;
        f.mp3.VBRMinBitrate = 9;
        f.mp3.VBRMaxBitrate = 11;
        f.mp3.VBRQuality = 4;
        f.mp3.WriteVBRTag = -1;
    } else if (kind == QLatin1String("wma") && p.size() == 3) {
        const auto codec = number(p[1]), format = number(p[2]);
        if (!codec || !format)
            return bad();
        f.code = 4;
        f.wma = {int32_t(*codec), int32_t(*format)};
    } else if (kind == QLatin1String("ogg") && p.size() == 3) {
        f.code = 5;
        if (p[1] == QLatin1String("q")) {
            // The scale oggenc's -q takes (fractions allowed); the record holds hundredths of
            // the encoder's 0..1 scale, which has no room for oggenc's -1.
            bool ok = false;
            const double q = p[2].toDouble(&ok);
            if (!ok || !(q >= 0.0 && q <= 10.0))
                return bad();
            f.ogg = {0, 0, int32_t(std::lround(q * 10.0))};
        } else if (p[1] == QLatin1String("b")) {
            const auto v = number(p[2]);
            if (!v)
                return bad();
            f.ogg = {2, int32_t(*v), 0};
        } else {
            return bad();
        }
    } else if (kind == QLatin1String("ape") && p.size() == 2) {
        const auto level = number(p[1]);
        if (!level)
            return bad();
        f.code = 6;
        f.apeLevel = *level;
    } else {
        return bad();
    }
    return f;
}

}  // namespace formatwords
