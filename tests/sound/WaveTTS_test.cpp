// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The speech component against the espeak-ng command of the same installation: voices, rendered
// samples and rates; speaking is checked on the private sound server.
#include "components/cWaveTTS.h"
#include "tests/support/PulseServer.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QLocale>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QtEndian>

#include <gtest/gtest.h>

#include <optional>
#include <set>

namespace {

const QString kText = QStringLiteral("Quiet rivers carry seven small boats home.");

struct Wav {
    int rate = 0, channels = 0, bits = 0;
    QByteArray data;
};

std::optional<Wav> readWav(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray b = f.readAll();
    if (b.size() < 12 || !b.startsWith("RIFF") || b.mid(8, 4) != "WAVE")
        return std::nullopt;
    Wav w;
    qsizetype at = 12;
    while (at + 8 <= b.size()) {
        const quint32 size = qFromLittleEndian<quint32>(b.constData() + at + 4);
        if (b.mid(at, 4) == "fmt ") {
            w.channels = qFromLittleEndian<quint16>(b.constData() + at + 10);
            w.rate = static_cast<int>(qFromLittleEndian<quint32>(b.constData() + at + 12));
            w.bits = qFromLittleEndian<quint16>(b.constData() + at + 22);
        } else if (b.mid(at, 4) == "data") {
            // The command writes its data size as it goes; a streamed size may be 0 or too big.
            w.data = b.mid(at + 8, size == 0 || size > b.size() - at - 8 ? b.size() - at - 8 : size);
            return w;
        }
        at += 8 + size + (size & 1);
    }
    return std::nullopt;
}

// 16-bit mono samples with the silence at both ends cut off.
QByteArray trimmed(const QByteArray& pcm)
{
    qsizetype a = 0, b = pcm.size() / 2;
    const auto loud = [&](qsizetype i) { return std::abs(qFromLittleEndian<qint16>(pcm.constData() + i * 2)) > 0; };
    while (a < b && !loud(a))
        ++a;
    while (b > a && !loud(b - 1))
        --b;
    return pcm.mid(a * 2, (b - a) * 2);
}

QString run(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral("espeak-ng"), args);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

class Speech : public testing::Test {
protected:
    void SetUp() override
    {
        dir = testenv::root() + QStringLiteral("/speech-") +
              QString::fromLatin1(testing::UnitTest::GetInstance()->current_test_info()->name());
        QDir().mkpath(dir);
        tts = CreateWaveTTS();
        ASSERT_GT(tts->VoiceCount(), 0) << "no voices installed";
    }
    // The position of a voice by the command's name for it.
    long voiceNamed(const QString& name)
    {
        for (long i = 1; i <= tts->VoiceCount(); ++i)
            if (tts->VoiceName(i) == name)
                return i - 1;
        return -1;
    }
    QString dir;
    std::unique_ptr<cWaveTTS> tts;
};

TEST_F(Speech, VoicesAreTheInstalledOnes)
{
    std::multiset<QString> installed, listed;
    const QStringList lines = run({QStringLiteral("--voices")}).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QStringList cols = lines[i].simplified().split(QLatin1Char(' '));
        if (cols.size() >= 4)
            installed.insert(cols[3]);
    }
    for (long i = 1; i <= tts->VoiceCount(); ++i)
        listed.insert(tts->VoiceName(i).replace(QLatin1Char(' '), QLatin1Char('_')));
    EXPECT_GT(installed.size(), 10u);
    EXPECT_EQ(listed, installed);
    EXPECT_EQ(tts->VoiceName(0), QString());
    EXPECT_EQ(tts->VoiceName(tts->VoiceCount() + 1), QString());
}

TEST(SpeechVoices, ListStartsWithTheDesktopsLanguageElseEnglish)
{
    const QStringList languages{QStringLiteral("af"), QStringLiteral("de"), QStringLiteral("en-029"),
                                QStringLiteral("en-gb"), QStringLiteral("en-us"), QStringLiteral("pt"),
                                QStringLiteral("pt-br")};
    const struct {
        const char* locale;
        int voice;
    } cases[] = {
        {"C", 3},       {"POSIX", 3},   {"", 3},           {"xx_YY", 3},     {"en_US", 4},
        {"en_AU", 3},   {"de_AT", 1},   {"pt_BR.UTF-8", 6}, {"pt_PT", 5},    {"af_ZA", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PreferredVoice(languages, QLatin1String(c.locale)), c.voice) << c.locale;
    EXPECT_EQ(PreferredVoice({QStringLiteral("af"), QStringLiteral("de")}, QStringLiteral("C")), -1);

    // The engine's own list, in this process's locale.
    auto tts = CreateWaveTTS();
    ASSERT_GT(tts->VoiceCount(), 1);
    if (QLocale::system().name() == QLatin1String("C")) {
        EXPECT_EQ(tts->VoiceName(1), QStringLiteral("English (Great Britain)"));
    }
}

TEST_F(Speech, FormatsAreListedInIdOrder)
{
    QSignalSpy found(tts.get(), &cWaveTTS::FormatFound);
    tts->ListFormats();
    ASSERT_EQ(found.count(), 36);
    EXPECT_EQ(found.at(0).at(0).toString(), QStringLiteral("SAFT8kHz8BitMono"));
    EXPECT_EQ(found.at(18).at(0).toString(), QStringLiteral("SAFT22kHz16BitMono"));
    EXPECT_EQ(found.at(35).at(0).toString(), QStringLiteral("SAFT48kHz16BitStereo"));
    for (int i = 0; i < found.count(); ++i)
        EXPECT_EQ(found.at(i).at(1).toLongLong(), i);
    EXPECT_EQ(tts->Format(), 18);
}

TEST_F(Speech, RenderingMatchesTheCommandAndRepeatsExactly)
{
    const long voice = voiceNamed(QStringLiteral("English (Great Britain)"));
    ASSERT_GE(voice, 0);
    tts->Voice(voice);
    tts->Rate(0);
    tts->Volume(100);
    tts->SpeakMode(11);
    const QString a = dir + QStringLiteral("/a.wav"), b = dir + QStringLiteral("/b.wav"), ref = dir + QStringLiteral("/ref.wav");
    ASSERT_EQ(tts->SpeakToFile(kText, a), 0) << qPrintable(tts->LastError());
    ASSERT_EQ(tts->SpeakToFile(kText, b), 0);
    run({QStringLiteral("-v"), QStringLiteral("gmw/en"), QStringLiteral("-s"), QStringLiteral("175"), QStringLiteral("-a"),
         QStringLiteral("100"), QStringLiteral("-w"), ref, kText});
    const auto wa = readWav(a), wb = readWav(b), wr = readWav(ref);
    ASSERT_TRUE(wa && wb && wr);
    EXPECT_EQ(wa->rate, 22050);
    EXPECT_EQ(wa->channels, 1);
    EXPECT_EQ(wa->bits, 16);
    EXPECT_GT(wa->data.size(), 22050 * 2);  // over a second of speech
    EXPECT_EQ(wa->data.size(), wb->data.size());
    EXPECT_TRUE(wa->data == wb->data);
    for (qsizetype i = 0; i < std::min(wa->data.size(), wb->data.size()); ++i)
        if (wa->data[i] != wb->data[i]) {
            ADD_FAILURE() << "first difference at byte " << i << " of " << wa->data.size();
            break;
        }
    const QByteArray ours = trimmed(wa->data), theirs = trimmed(wr->data);
    EXPECT_EQ(ours.size(), theirs.size());
    EXPECT_TRUE(ours == theirs);
}

TEST_F(Speech, FasterRateIsShorterAndFormatsConvert)
{
    tts->Voice(voiceNamed(QStringLiteral("English (Great Britain)")));
    const QString normal = dir + QStringLiteral("/normal.wav"), fast = dir + QStringLiteral("/fast.wav"),
                  small = dir + QStringLiteral("/small.wav");
    ASSERT_EQ(tts->SpeakToFile(kText, normal), 0);
    tts->Rate(10);
    ASSERT_EQ(tts->SpeakToFile(kText, fast), 0);
    const auto n = readWav(normal), f = readWav(fast);
    ASSERT_TRUE(n && f);
    EXPECT_LT(f->data.size() * 2, n->data.size());
    tts->Rate(0);
    tts->Format(1);  // SAFT8kHz8BitStereo
    ASSERT_EQ(tts->SpeakToFile(kText, small), 0) << qPrintable(tts->LastError());
    const auto s = readWav(small);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->rate, 8000);
    EXPECT_EQ(s->bits, 8);
    EXPECT_EQ(s->channels, 2);
    // The same length of speech, in 8000 two-byte frames a second instead of 22050.
    EXPECT_NEAR(s->data.size() / 2 / 8000.0, n->data.size() / 2 / 22050.0, 0.01);
}

TEST_F(Speech, FailedRenderingLeavesNothingAndKeepsAnExistingFile)
{
    const QString existing = dir + QStringLiteral("/keep.wav");
    {
        QFile f(existing);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old rendering");
    }
    QDir().mkpath(dir + QStringLiteral("/folder.wav"));
    EXPECT_EQ(tts->SpeakToFile(kText, dir + QStringLiteral("/missing/x.wav")), cWaveTTS::ErrFile);
    EXPECT_TRUE(tts->LastError().contains(QStringLiteral("x.wav")));
    EXPECT_EQ(tts->SpeakToFile(kText, dir + QStringLiteral("/folder.wav")), cWaveTTS::ErrFile);
    EXPECT_EQ(tts->SpeakToFile(QStringLiteral("   "), existing), cWaveTTS::ErrEmpty);
    QFile f(existing);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("old rendering"));
    EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("keep.wav")});
}

TEST(SpeechSound, SayItMovesThroughTheWordsThenTheWholeText)
{
    QString error;
    PulseServer* server = PulseServer::Shared(&error);
    ASSERT_TRUE(server) << qPrintable(error);
    std::unique_ptr<cWaveTTS> tts = CreateWaveTTS();
    QSignalSpy words(tts.get(), &cWaveTTS::TextPosition);
    QSignalSpy whole(tts.get(), &cWaveTTS::WholeText);
    const QString text = QStringLiteral("One two three four.");
    server->clearCapture();
    tts->Speak(text);
    EXPECT_TRUE(tts->Status());
    ASSERT_TRUE(whole.wait(15000));
    EXPECT_FALSE(tts->Status());
    QStringList heard;
    long last = -1;
    for (const QList<QVariant>& w : words) {
        const long start = w.at(0).toLongLong(), length = w.at(1).toLongLong();
        EXPECT_GT(start, last);
        last = start;
        heard << text.mid(start, length);
    }
    EXPECT_EQ(heard, (QStringList{QStringLiteral("One"), QStringLiteral("two"), QStringLiteral("three"), QStringLiteral("four")}));
    // The speech reached the output.
    const QByteArray played = server->captured();
    EXPECT_GT(played.size(), 44100 * 4 / 2);
    EXPECT_NE(played.count('\0'), played.size());
    // A new speech replaces a running one: one WholeText, for the second.
    whole.clear();
    tts->Speak(text);
    QTest::qWait(200);
    tts->Speak(QStringLiteral("Five."));
    ASSERT_TRUE(whole.wait(15000));
    QTest::qWait(300);
    EXPECT_EQ(whole.count(), 1);
}

}  // namespace
