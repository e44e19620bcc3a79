// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

// Text to speech: speaks a text on an audio output or renders it into a PCM WAV file, in one of
// the speech formats of FormatTable() ("SAFT8kHz8BitMono" .. "SAFT48kHz16BitStereo"; a format's
// id is its position there). Voices are the installed speech engine's, the desktop language's
// first; outputs are the sound server's. Rate -10..10 runs from 80 to 450 words a minute (0 is
// 175); volume is the engine's amplitude (100 normal). Text is plain: markup is read out.
//
// The engine exists once per process and every use of it holds one lock, so several instances
// take turns. Members are called on the GUI thread; Speak returns at once and synthesises on a
// worker thread, raising TextPosition as each word is heard and WholeText when the speech has
// been heard to its end. SpeakToFile is synchronous. Indexes of VoiceName and OutputName count
// from 1; Voice and Output take positions from 0 (-1: the first voice, the default output).
class cWaveTTS : public QObject {
    Q_OBJECT
public:
    // SpeakToFile results besides 0.
    enum Result : long { ErrEngine = 1, ErrVoice = 2, ErrFile = 3, ErrFormat = 4, ErrEmpty = 5 };

    using QObject::QObject;
    ~cWaveTTS() override = default;

    virtual long VoiceCount() = 0;
    virtual QString VoiceName(long index) = 0;
    virtual long OutputCount() = 0;
    virtual QString OutputName(long index) = 0;
    // Raises FormatFound once per speech format, before it returns.
    virtual void ListFormats() = 0;
    // True while a Speak runs (synthesising or still being heard).
    virtual bool Status() const = 0;

    virtual long Output() const = 0;
    virtual void Output(long position) = 0;
    virtual long Voice() const = 0;
    virtual void Voice(long position) = 0;
    virtual long Rate() const = 0;
    virtual void Rate(long rate) = 0;
    virtual long Volume() const = 0;
    virtual void Volume(long volume) = 0;
    // 11 (asynchronous, a new speech replaces a running one) is the one mode there is; the
    // value is kept as given.
    virtual long SpeakMode() const = 0;
    virtual void SpeakMode(long mode) = 0;
    virtual long Format() const = 0;
    virtual void Format(long id) = 0;

    virtual void Speak(const QString& text) = 0;
    virtual void Stop() = 0;
    // Writes the spoken text at `path`; complete when it returns 0. On failure nothing is left
    // at the path and an existing file stays as it was. The reason of the last failure is in
    // LastError().
    virtual long SpeakToFile(const QString& text, const QString& path) = 0;
    virtual QString LastError() const = 0;
    virtual void Release() = 0;

signals:
    void FormatFound(const QString& name, long id);
    // start counts characters from 0.
    void TextPosition(long start, long length);
    void WholeText();
};

std::unique_ptr<cWaveTTS> CreateWaveTTS();

struct SpeechFormat {
    QString name;
    int sampleRate;
    int bits;
    int channels;
};
// Every speech format in id order.
const std::vector<SpeechFormat>& SpeechFormatTable();
// Words a minute of a rate -10..10 (clamped).
int SpeechWordsPerMinute(long rate);
// Which voice the list starts with, given each voice's language ("en-gb", "de", ...) and the
// desktop's locale name ("de_DE", "pt_BR.UTF-8", "C"): its exact dialect, else its language, else
// English as the engine itself falls back to. -1 when no voice fits at all.
int PreferredVoice(const QStringList& languages, const QString& localeName);
