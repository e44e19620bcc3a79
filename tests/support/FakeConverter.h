// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "components/cAudioConverter.h"

#include <QMetaObject>
#include <QPointer>
#include <QStringList>

// A converter that converts nothing: it records what it is handed and answers each Start() from
// a script. Events are queued, as the real converter's are, unless `synchronous` is set (to
// see that a window survives an engine that answers from inside Start()).
class FakeConverter final : public cAudioConverter {
public:
    struct Outcome {
        enum Kind { Done, Error, Hold } kind = Done;
        long code = 0;
        QString text;
        QList<int> progress{50, 100};
    };
    static Outcome done() { return {}; }
    static Outcome error(long code, const QString& text) { return {Outcome::Error, code, text, {30}}; }
    static Outcome hold() { return {Outcome::Hold, 0, {}, {30}}; }

    // What each started row was handed.
    struct Started {
        QString input;
        long rangeStart;
        long rangeLength;
        QString output;
        QString title;
        QString track;
    };

    long OpenSource(const QString&) override { return 0; }
    void CloseSource() override {}
    long SourceSampleRate() const override { return 44100; }
    long SourceChannels() const override { return 2; }
    long SourceBits() const override { return 16; }
    long SourceDuration() const override { return 0; }
    void ReadSourceTags(const QString&) override {}
    QString FormatTime(long seconds) const override { return QString::number(seconds); }

    QString InputFile() const override { return input; }
    void InputFile(const QString& path) override
    {
        input = path;
        rangeStart = rangeLength = -1;
        calls << QStringLiteral("InputFile");
    }
    QString OutputFile() const override { return output; }
    void OutputFile(const QString& path) override
    {
        output = path;
        calls << QStringLiteral("OutputFile");
    }
    long OutputFormat() const override { return code; }
    void OutputFormat(long c) override
    {
        code = c;
        calls << QStringLiteral("OutputFormat %1").arg(c);
    }
    void SetWavFormat(const engine::WavFormatRecord&) override { calls << QStringLiteral("SetWavFormat"); }
    void SetAcmFormat(const QString& tag, const QString& format) override
    {
        calls << QStringLiteral("SetAcmFormat %1|%2").arg(tag, format);
    }
    void SetMp3Format(const engine::Mp3FormatRecord& r) override
    {
        mp3 = r;
        calls << QStringLiteral("SetMp3Format");
    }
    void SetWmaFormat(const engine::WmaFormatRecord&) override { calls << QStringLiteral("SetWmaFormat"); }
    void SetOggFormat(const engine::OggFormatRecord&) override { calls << QStringLiteral("SetOggFormat"); }
    void SetApeLevel(long) override { calls << QStringLiteral("SetApeLevel"); }
    long RangeStart() const override { return rangeStart; }
    void RangeStart(long s) override { rangeStart = s; }
    long RangeLength() const override { return rangeLength; }
    void RangeLength(long s) override { rangeLength = s; }

    QString TagTrack() const override { return track; }
    void TagTrack(const QString& t) override { track = t; }
    QString TagComment() const override { return comment; }
    void TagComment(const QString& t) override { comment = t; }
    QString TagGenre() const override { return genre; }
    void TagGenre(const QString& t) override { genre = t; }
    QString TagYear() const override { return year; }
    void TagYear(const QString& t) override { year = t; }
    QString TagArtist() const override { return artist; }
    void TagArtist(const QString& t) override { artist = t; }
    QString TagAlbum() const override { return album; }
    void TagAlbum(const QString& t) override { album = t; }
    QString TagTitle() const override { return title; }
    void TagTitle(const QString& t) override { title = t; }

    void Start() override
    {
        calls << QStringLiteral("Start");
        started.append({input, rangeStart, rangeLength, output, title, track});
        const Outcome o = script.isEmpty() ? Outcome{} : script.takeFirst();
        for (int p : o.progress)
            raise([this, p] { Q_EMIT Progress(p); });
        if (o.kind == Outcome::Hold) {
            holding = true;
            return;
        }
        finish(o);
    }
    void Abort() override
    {
        calls << QStringLiteral("Abort");
        if (holding) {
            holding = false;
            raise([this] { Q_EMIT Aborted(); });
        }
    }
    // Ends a held row as `o` says.
    void release(const Outcome& o)
    {
        holding = false;
        finish(o);
    }

    void EnumAcmTags(long, long, long, long, long) override {}
    void EnumAcmFormats(const QString&) override {}
    long WmaCodecCount() const override { return 0; }
    QString WmaCodecName(long) const override { return {}; }
    long WmaFormatCount(long) const override { return 0; }
    QString WmaFormatName(long, long) const override { return {}; }
    void Release() override { calls << QStringLiteral("Release"); }

    QList<Outcome> script;  // one outcome for each Start(), then Done
    bool synchronous = false;
    bool holding = false;
    QList<Started> started;
    QStringList calls;
    long code = 0;
    engine::Mp3FormatRecord mp3{};
    QString input, output;
    long rangeStart = -1, rangeLength = -1;
    QString track, comment, genre, year, artist, album, title;

private:
    void finish(const Outcome& o)
    {
        if (o.kind == Outcome::Error)
            raise([this, o] { Q_EMIT Error(o.code, o.text); });
        else
            raise([this] { Q_EMIT Done(); });
    }
    template <class F>
    void raise(F f)
    {
        if (synchronous)
            f();
        else
            QMetaObject::invokeMethod(this, f, Qt::QueuedConnection);
    }
};
