// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// A converter that records every call in order ("OutputFormat 3", "SetMp3Format", "TagAlbum x")
// and answers Start as the test says: done (writing a small file), aborted, an error, or
// nothing until Abort.

#include "components/cAudioConverter.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTimer>

#include <functional>

class FakeConverter : public cAudioConverter {
public:
    enum class Answer { Done, Aborted, Error, Wait };
    explicit FakeConverter(Answer answer = Answer::Wait) : m_answer(answer) {}
    // The window that asked for the converter deletes it when it closes; a test that looks at
    // the calls after that takes a copy here.
    ~FakeConverter() override
    {
        if (onDestroyed)
            onDestroyed(*this);
    }

    long OpenSource(const QString&) override { return 0; }
    void CloseSource() override {}
    long SourceSampleRate() const override { return 44100; }
    long SourceChannels() const override { return 2; }
    long SourceBits() const override { return 16; }
    long SourceDuration() const override { return 0; }
    void ReadSourceTags(const QString&) override {}
    QString FormatTime(long) const override { return {}; }
    QString InputFile() const override { return m_in; }
    void InputFile(const QString& p) override { m_in = p; calls << QStringLiteral("InputFile ") + p; }
    QString OutputFile() const override { return m_out; }
    void OutputFile(const QString& p) override { m_out = p; calls << QStringLiteral("OutputFile ") + p; }
    long OutputFormat() const override { return m_format; }
    void OutputFormat(long f) override { m_format = f; calls << QStringLiteral("OutputFormat %1").arg(f); }
    void SetWavFormat(const engine::WavFormatRecord&) override { calls << QStringLiteral("SetWavFormat"); }
    void SetAcmFormat(const QString& t, const QString& f) override { calls << QStringLiteral("SetAcmFormat ") + t + QLatin1Char('|') + f; }
    void SetMp3Format(const engine::Mp3FormatRecord&) override { calls << QStringLiteral("SetMp3Format"); }
    void SetWmaFormat(const engine::WmaFormatRecord&) override { calls << QStringLiteral("SetWmaFormat"); }
    void SetOggFormat(const engine::OggFormatRecord&) override { calls << QStringLiteral("SetOggFormat"); }
    void SetApeLevel(long l) override { calls << QStringLiteral("SetApeLevel %1").arg(l); }
    long RangeStart() const override { return -1; }
    void RangeStart(long) override {}
    long RangeLength() const override { return -1; }
    void RangeLength(long) override {}
#define QM_FAKE_TAG(Name)                                                                \
    QString Name() const override { return {}; }                                          \
    void Name(const QString& t) override { calls << QStringLiteral(#Name " ") + t; }
    QM_FAKE_TAG(TagTrack)
    QM_FAKE_TAG(TagComment)
    QM_FAKE_TAG(TagGenre)
    QM_FAKE_TAG(TagYear)
    QM_FAKE_TAG(TagArtist)
    QM_FAKE_TAG(TagAlbum)
    QM_FAKE_TAG(TagTitle)
#undef QM_FAKE_TAG
    void Start() override
    {
        calls << QStringLiteral("Start");
        inputExistedAtStart = QFileInfo::exists(m_in);
        running = true;
        QTimer::singleShot(0, this, [this] {
            if (!running)
                return;
            switch (m_answer) {
            case Answer::Done: {
                QFile f(m_out);
                if (f.open(QIODevice::WriteOnly))
                    f.write(QByteArray(100, 'x'));
                running = false;
                emit Done();
                break;
            }
            case Answer::Aborted: running = false; emit Aborted(); break;
            case Answer::Error: running = false; emit Error(2, QStringLiteral("Cannot read the file")); break;
            case Answer::Wait: break;
            }
        });
    }
    void Abort() override
    {
        calls << QStringLiteral("Abort");
        if (running) {
            running = false;
            QTimer::singleShot(0, this, [this] { emit Aborted(); });
        }
    }
    void EnumAcmTags(long, long, long, long, long) override {}
    void EnumAcmFormats(const QString&) override {}
    long WmaCodecCount() const override { return 0; }
    QString WmaCodecName(long) const override { return {}; }
    long WmaFormatCount(long) const override { return 0; }
    QString WmaFormatName(long, long) const override { return {}; }
    void Release() override { calls << QStringLiteral("Release"); running = false; }

    std::function<void(const FakeConverter&)> onDestroyed;
    QStringList calls;
    bool running = false;
    bool inputExistedAtStart = false;

private:
    Answer m_answer;
    QString m_in, m_out;
    long m_format = 0;
};
