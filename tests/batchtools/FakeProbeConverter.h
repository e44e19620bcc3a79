// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// A converter component that does nothing by itself: it reports the source facts and codec
// lists the test gives it, records every start with what was set for it, and the test raises
// its events.

#include "components/cAudioConverter.h"

#include <QHash>
#include <QList>
#include <QStringList>

class FakeProbeConverter final : public cAudioConverter {
public:
    struct Facts {
        long durationMs = 0;
        long rate = 0, channels = 0, bits = 0;
    };
    struct Started {
        QString input, output;
        long rangeStart, rangeLength;
        long format;
        QString acmTag, acmFormat;
        QString title, track;
    };
    struct TagListing {
        long tag, rate, channels, bits, flags;
        bool operator==(const TagListing&) const = default;
    };

    long OpenSource(const QString& path) override
    {
        calls << QStringLiteral("OpenSource:") + path;
        opened = path;
        return sources.contains(path) ? 0 : 2;
    }
    void CloseSource() override {}
    long SourceSampleRate() const override { return sources.value(opened).rate; }
    long SourceChannels() const override { return sources.value(opened).channels; }
    long SourceBits() const override { return sources.value(opened).bits; }
    long SourceDuration() const override { return sources.value(opened).durationMs; }
    void ReadSourceTags(const QString&) override {}
    QString FormatTime(long) const override { return {}; }

    QString InputFile() const override { return input; }
    void InputFile(const QString& path) override
    {
        input = path;
        rangeStart = rangeLength = -1;
    }
    QString OutputFile() const override { return output; }
    void OutputFile(const QString& path) override { output = path; }
    long OutputFormat() const override { return format; }
    void OutputFormat(long code) override
    {
        format = code;
        calls << QStringLiteral("OutputFormat:%1").arg(code);
    }
    void SetWavFormat(const engine::WavFormatRecord&) override { calls << QStringLiteral("SetWavFormat"); }
    void SetAcmFormat(const QString& tag, const QString& f) override
    {
        acmTag = tag;
        acmFormat = f;
        calls << QStringLiteral("SetAcmFormat:") + tag + QLatin1Char('|') + f;
    }
    void SetMp3Format(const engine::Mp3FormatRecord&) override { calls << QStringLiteral("SetMp3Format"); }
    void SetWmaFormat(const engine::WmaFormatRecord&) override { calls << QStringLiteral("SetWmaFormat"); }
    void SetOggFormat(const engine::OggFormatRecord&) override { calls << QStringLiteral("SetOggFormat"); }
    void SetApeLevel(long) override { calls << QStringLiteral("SetApeLevel"); }
    long RangeStart() const override { return rangeStart; }
    void RangeStart(long s) override { rangeStart = s; }
    long RangeLength() const override { return rangeLength; }
    void RangeLength(long s) override { rangeLength = s; }
    QString TagTrack() const override { return track; }
    void TagTrack(const QString& t) override { track = t; }
    QString TagComment() const override { return {}; }
    void TagComment(const QString&) override {}
    QString TagGenre() const override { return {}; }
    void TagGenre(const QString&) override {}
    QString TagYear() const override { return {}; }
    void TagYear(const QString&) override {}
    QString TagArtist() const override { return {}; }
    void TagArtist(const QString&) override {}
    QString TagAlbum() const override { return {}; }
    void TagAlbum(const QString&) override {}
    QString TagTitle() const override { return title; }
    void TagTitle(const QString& t) override { title = t; }

    void Start() override
    {
        started.append(Started{input, output, rangeStart, rangeLength, format, acmTag, acmFormat, title, track});
        calls << QStringLiteral("Start");
    }
    void Abort() override { calls << QStringLiteral("Abort"); }
    void Release() override { calls << QStringLiteral("Release"); }

    // Every tag of `tags`, or, with the convert flag, those of `convertibleTags`.
    void EnumAcmTags(long tag, long rate, long channels, long bits, long flags) override
    {
        tagListings.append(TagListing{tag, rate, channels, bits, flags});
        for (const QString& name : (flags & 0x100000) ? convertibleTags : tags)
            Q_EMIT TagFound(name);
    }
    void EnumAcmFormats(const QString& tagName) override
    {
        formatListings << tagName;
        for (const QString& name : formats.value(tagName))
            Q_EMIT FormatFound(name);
    }
    long WmaCodecCount() const override { return 0; }
    QString WmaCodecName(long) const override { return {}; }
    long WmaFormatCount(long) const override { return 0; }
    QString WmaFormatName(long, long) const override { return {}; }

    // What the test sets up.
    QHash<QString, Facts> sources;
    QStringList tags, convertibleTags;
    QHash<QString, QStringList> formats;

    // What the window did.
    QStringList calls;
    QList<Started> started;
    QList<TagListing> tagListings;
    QStringList formatListings;
    QString opened, input, output, acmTag, acmFormat, title, track;
    long rangeStart = -1, rangeLength = -1, format = 0;
};
