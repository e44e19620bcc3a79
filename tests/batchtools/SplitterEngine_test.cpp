// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The splitter window over the real converter: parts on disk, checked to the sample.
#include "components/engine/AudioEngine.h"
#include "foundation/FrmTurnOff.h"
#include "tests/batchtools/SplitterFixture.h"
#include "tests/support/CompressedWavs.h"
#include "tests/support/FakePower.h"

#include <QFileInfo>
#include <QSignalSpy>

#include <sys/stat.h>

namespace {

using fixtures::Pcm;

constexpr int kRate = 44100;

// The frames a file decodes to through the engine's reader (gapless MP3 trimmed), as 16-bit
// stereo samples, or nothing when it cannot be read.
std::optional<QByteArray> decode(const QString& path)
{
    QString error;
    std::unique_ptr<engine::AudioReader> reader = engine::AudioReader::open(path, &error);
    if (!reader || !reader->setOutputFormat(engine::PcmFormat{kRate, 2, 16}, &error))
        return std::nullopt;
    QByteArray out;
    QByteArray buffer(4096 * 4, '\0');
    for (;;) {
        const int64_t got = reader->read(reinterpret_cast<uint8_t*>(buffer.data()), 4096, &error);
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            return out;
        out.append(buffer.constData(), qsizetype(got * 4));
    }
}

// The "fact" chunk's sample count of a compressed WAV, -1 when it has none.
int64_t factSamples(const QString& path)
{
    const QByteArray b = fixtures::readFile(path);
    for (qsizetype pos = 12; pos + 8 <= b.size();) {
        const uint32_t size = fixtures::get32(b, pos + 4);
        if (b.mid(pos, 4) == "fact")
            return fixtures::get32(b, pos + 8);
        pos += 8 + qsizetype(size) + qsizetype(size & 1);
    }
    return -1;
}

int formatTag(const QString& path)
{
    const QByteArray b = fixtures::readFile(path);
    for (qsizetype pos = 12; pos + 8 <= b.size();) {
        const uint32_t size = fixtures::get32(b, pos + 4);
        if (b.mid(pos, 4) == "fmt ")
            return fixtures::get16(b, pos + 8);
        pos += 8 + qsizetype(size) + qsizetype(size & 1);
    }
    return -1;
}

class SplitterEngineTest : public SplitterTest {
protected:
    void SetUp() override
    {
        SplitterTest::SetUp();
        OutputFormatOptions = OutputFormatOptionsData{};
        OutputFormatOptions.cboSamplesWAV = kRate;
        OutputFormatOptions.cboBitrateWAV = 16;
        OutputFormatOptions.cboChannelsWAV = 1;  // stereo
        OutputFormatOptions.cboMP3Bitrate = 128;
        OutputFormatOptions.cboMP3Samplerate = kRate;
        OutputFormatOptions.cboMP3Quality = 5;
        OutputFormatOptions.cboMP3Mode = 1;
        OutputFormatOptions.chkMP3VBRTag = -1;
    }

    // A 16-bit stereo WAV of `frames` frames of a position-dependent pattern.
    QString makeSource(const QString& name, int64_t frames)
    {
        const QString path = QDir(sourceFolder).filePath(name);
        const Pcm pcm{kRate, 2, 16};
        EXPECT_TRUE(fixtures::writeFile(path, fixtures::wavBytes(pcm, fixtures::sine(pcm, frames, 441.0))));
        return path;
    }

    // Starts the split as the Split button does and waits for its end.
    static bool runSplit(FrmSplitter* s, int timeoutMs = 120000)
    {
        s->cmdConvert_Click();
        return QTest::qWaitFor([&] { return s->cmdConvert->isEnabled(); }, timeoutMs);
    }

    QString part(int n, const QString& base, const char* code) const
    {
        return outFolder + QStringLiteral("/Part_%1_%2.%3").arg(n).arg(base, QLatin1String(code));
    }
};

TEST_F(SplitterEngineTest, SixPartsOfAWavSomeSamplesLongerThanAMinuteJoinToTheSourceByteForByte)
{
    const int64_t frames = int64_t(kRate) * 60 + 17;
    const QString source = makeSource(QStringLiteral("song.wav"), frames);
    FrmSplitter* s = splitterOn(source);
    ASSERT_NE(s, nullptr);
    selectFormat(s, "WAV");
    ASSERT_TRUE(runSplit(s));
    EXPECT_EQ(s->lblCurrentTrack->text(), QStringLiteral("Done.")) << s->txtLog->toPlainText().toStdString();

    QStringList expected;
    for (int n = 1; n <= 7; ++n)
        expected << QStringLiteral("Part_%1_song.WAV").arg(n);
    expected.sort();
    EXPECT_EQ(fixtures::folderEntries(outFolder), expected);

    const auto whole = fixtures::parseWavFile(source);
    ASSERT_TRUE(whole);
    QByteArray joined;
    for (int n = 1; n <= 7; ++n) {
        const auto p = fixtures::parseWavFile(part(n, QStringLiteral("song"), "WAV"));
        ASSERT_TRUE(p) << n;
        EXPECT_EQ(p->pcm, (Pcm{kRate, 2, 16}));
        EXPECT_EQ(p->data.size(), n < 7 ? qsizetype(kRate) * 10 * 4 : 17 * 4) << n;
        joined += p->data;
    }
    EXPECT_TRUE(joined == whole->data);
}

TEST_F(SplitterEngineTest, Mp3PartsDecodeGaplessToTheirRangesLength)
{
    const int64_t frames = int64_t(kRate) * 20 + 1500;
    const QString source = makeSource(QStringLiteral("song.wav"), frames);
    FrmSplitter* s = splitterOn(source);
    ASSERT_NE(s, nullptr);
    selectFormat(s, "MP3");
    s->txtSplitParts->setText(QStringLiteral("2"));
    ASSERT_TRUE(runSplit(s));
    EXPECT_EQ(s->lblCurrentTrack->text(), QStringLiteral("Done.")) << s->txtLog->toPlainText().toStdString();
    const int64_t lengths[] = {int64_t(kRate) * 10, int64_t(kRate) * 10, 1500};
    for (int n = 1; n <= 3; ++n) {
        const auto samples = decode(part(n, QStringLiteral("song"), "MP3"));
        ASSERT_TRUE(samples) << n;
        EXPECT_EQ(samples->size() / 4, lengths[n - 1]) << n;
    }
}

TEST_F(SplitterEngineTest, ImaAdpcmPartsCountTheirFramesInTheirFactChunk)
{
    OutputFormatOptions.cboTags = QStringLiteral("IMA ADPCM");
    OutputFormatOptions.cboFormats = QStringLiteral("44,100 kHz, 4 Bit, Stereo");
    const int64_t frames = int64_t(kRate) * 12 + 333;
    const QString source = makeSource(QStringLiteral("song.wav"), frames);
    FrmSplitter* s = splitterOn(source);
    ASSERT_NE(s, nullptr);
    selectFormat(s, "ACM");
    s->ptnSplitBySecs->click();
    s->txtSplitSecs->setText(QStringLiteral("5"));
    ASSERT_TRUE(runSplit(s));
    EXPECT_EQ(s->lblCurrentTrack->text(), QStringLiteral("Done.")) << s->txtLog->toPlainText().toStdString();
    const int64_t lengths[] = {int64_t(kRate) * 5, int64_t(kRate) * 5, int64_t(kRate) * 2 + 333};
    for (int n = 1; n <= 3; ++n) {
        const QString file = part(n, QStringLiteral("song"), "ACM");
        EXPECT_EQ(formatTag(file), 0x11) << n;
        EXPECT_EQ(factSamples(file), lengths[n - 1]) << n;
    }
    EXPECT_FALSE(QFileInfo::exists(part(4, QStringLiteral("song"), "ACM")));
}

TEST_F(SplitterEngineTest, PartsOfACompressedWavEqualTheMatchingStretchOfItsWholeDecode)
{
    const struct {
        const char* tag;
        const char* format;
    } codecs[] = {{"IMA ADPCM", "44,100 kHz, 4 Bit, Stereo"}, {"CCITT A-Law", "44,100 kHz, 8 Bit, Stereo"}};
    const QString pcmSource = makeSource(QStringLiteral("plain.wav"), int64_t(kRate) * 7 + 999);
    for (const auto& c : codecs) {
        // The compressed source, made by the converter itself.
        const QString source = QDir(sourceFolder).filePath(QStringLiteral("coded.wav"));
        QFile::remove(source);
        {
            std::unique_ptr<cAudioConverter> make = CreateAudioConverter();
            make->OutputFormat(2);
            make->SetAcmFormat(QLatin1String(c.tag), QLatin1String(c.format));
            make->InputFile(pcmSource);
            make->OutputFile(source);
            QSignalSpy done(make.get(), &cAudioConverter::Done);
            make->Start();
            ASSERT_TRUE(done.wait(60000)) << c.tag;
        }
        const auto whole = decode(source);
        ASSERT_TRUE(whole) << c.tag;
        ASSERT_GT(whole->size(), 0);

        for (const QString& e : fixtures::folderEntries(outFolder))
            QFile::remove(QDir(outFolder).filePath(e));
        FrmSplitter* s = splitterOn(source);
        ASSERT_NE(s, nullptr);
        selectFormat(s, "WAV");
        s->ptnSplitBySecs->click();
        s->txtSplitSecs->setText(QStringLiteral("3"));
        ASSERT_TRUE(runSplit(s));
        EXPECT_EQ(s->lblCurrentTrack->text(), QStringLiteral("Done.")) << s->txtLog->toPlainText().toStdString();
        QByteArray joined;
        for (int n = 1; n <= 3; ++n) {
            const auto p = fixtures::parseWavFile(part(n, QStringLiteral("coded"), "WAV"));
            ASSERT_TRUE(p) << c.tag << " part " << n;
            const qsizetype at = qsizetype(n - 1) * 3 * kRate * 4;
            EXPECT_TRUE(p->data == whole->mid(at, p->data.size())) << c.tag << " part " << n;
            joined += p->data;
        }
        EXPECT_EQ(joined.size(), whole->size()) << c.tag;
        g_frmSplitter.unload();
        forms::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(SplitterEngineTest, AFolderInThePathOfPartThreeFailsOnlyThatPart)
{
    FakePower power;
    const QString source = makeSource(QStringLiteral("song.wav"), int64_t(kRate) * 6);
    FrmSplitter* s = splitterOn(source);
    ASSERT_NE(s, nullptr);
    selectFormat(s, "WAV");
    s->chkTurnOffComputer->setChecked(true);
    ASSERT_TRUE(QDir().mkpath(part(3, QStringLiteral("song"), "WAV")));
    ASSERT_TRUE(runSplit(s));
    EXPECT_EQ(s->m_bJobError, -1);
    const QStringList log = logLines(s);
    EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const QString& l) { return l.startsWith(QStringLiteral("Error: ")); }), 1)
        << log.join(QLatin1Char('\n')).toStdString();
    for (int n : {1, 2, 4, 5, 6}) {
        const auto p = fixtures::parseWavFile(part(n, QStringLiteral("song"), "WAV"));
        ASSERT_TRUE(p) << n;
        EXPECT_EQ(p->data.size(), qsizetype(kRate) * 4) << n;
    }
    EXPECT_TRUE(QFileInfo(part(3, QStringLiteral("song"), "WAV")).isDir());
    EXPECT_EQ(balloons, QStringList{QStringLiteral("1 of 6 failed. The log has the reasons.")});
    EXPECT_EQ(s->lblCurrentTrack->text(), QStringLiteral("1 of 6 failed. The log has the reasons."));
    EXPECT_FALSE(g_frmTurnOff.isLoaded());
    EXPECT_EQ(power.powerOffCalls, 0);
    // Nothing but the parts and the folder in the way.
    EXPECT_EQ(fixtures::folderEntries(outFolder).size(), 6);
}

TEST_F(SplitterEngineTest, APartsNameTakenByALinkIsAskedAboutThenALinkToAFileIsWrittenThroughAndAnyOtherReplaced)
{
    const QString source = makeSource(QStringLiteral("song.wav"), int64_t(kRate) * 6);
    FrmSplitter* s = splitterOn(source);
    ASSERT_NE(s, nullptr);
    selectFormat(s, "WAV");
    // Links in the destination that lead outside it: to nothing, to a file, to a named pipe.
    const QString outside = QDir(sourceFolder).filePath(QStringLiteral("outside"));
    ASSERT_TRUE(QDir().mkpath(outside));
    ASSERT_TRUE(fixtures::writeFile(outside + QStringLiteral("/kept.wav"), "kept"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(outside + QStringLiteral("/pipe")).constData(), 0644), 0);
    ASSERT_TRUE(QFile::link(outside + QStringLiteral("/nowhere.wav"), part(2, QStringLiteral("song"), "WAV")));
    ASSERT_TRUE(QFile::link(outside + QStringLiteral("/kept.wav"), part(3, QStringLiteral("song"), "WAV")));
    ASSERT_TRUE(QFile::link(outside + QStringLiteral("/pipe"), part(4, QStringLiteral("song"), "WAV")));
    for (int i = 0; i < 3; ++i)
        box.answer(platform::vbYes);
    ASSERT_TRUE(runSplit(s));
    EXPECT_EQ(s->lblCurrentTrack->text(), QStringLiteral("Done.")) << s->txtLog->toPlainText().toStdString();
    QStringList questions;
    for (const platform::MessageBoxRequest& r : box.shown)
        questions << r.prompt;
    QStringList expected;
    for (int n : {2, 3, 4})
        expected << QStringLiteral("The file: '") + part(n, QStringLiteral("song"), "WAV") +
                        QStringLiteral("' already exists.\r\n\r\nOverwrite it?");
    EXPECT_EQ(questions, expected);
    for (int n = 1; n <= 6; ++n) {
        const QFileInfo info(part(n, QStringLiteral("song"), "WAV"));
        EXPECT_EQ(info.isSymLink(), n == 3) << n;
        const auto p = fixtures::parseWavFile(n == 3 ? outside + QStringLiteral("/kept.wav") : info.filePath());
        ASSERT_TRUE(p) << n;
        EXPECT_EQ(p->data.size(), qsizetype(kRate) * 4) << n;
    }
    // Nothing was made where the dangling link pointed; the pipe is still a pipe.
    EXPECT_EQ(fixtures::folderEntries(outside), QStringList({QStringLiteral("kept.wav"), QStringLiteral("pipe")}));
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(outside + QStringLiteral("/pipe")).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST_F(SplitterEngineTest, PartsThatACompressedWavClaimsButDoesNotHoldFailNamingTheFile)
{
    const QByteArray mp3 = compressedwavs::mp3Tone(int64_t(kRate) * 2);
    ASSERT_FALSE(mp3.isEmpty());
    const struct {
        const char* name;
        QByteArray bytes;
        QList<int> made;  // the parts written; every other part fails
        int failing;      // parts whose error says the file holds less than it claims
    } cases[] = {
        // 4 s claimed by 176,400 bytes at 44,100 a second, and no MP3 frame among them.
        {"nothing.wav", compressedwavs::mp3InWav(QByteArray(176400, '\0'), 44100), {}, 4},
        // 2.06 s claimed, the first half there: the second part runs short, the third starts
        // where nothing is left.
        {"half.wav", compressedwavs::mp3InWav(compressedwavs::zeroSecondHalf(mp3)), {1}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString source = QDir(sourceFolder).filePath(QLatin1String(c.name));
        ASSERT_TRUE(fixtures::writeFile(source, c.bytes));
        FrmSplitter* s = splitterOn(source);
        ASSERT_NE(s, nullptr);
        selectFormat(s, "WAV");
        s->ptnSplitBySecs->click();
        s->txtSplitSecs->setText(QStringLiteral("1"));
        ASSERT_TRUE(runSplit(s));
        const QStringList log = logLines(s);
        const QString claim = QStringLiteral("Error: The file '") + source + QStringLiteral("' holds less audio than it claims");
        EXPECT_EQ(std::count_if(log.begin(), log.end(), [&](const QString& l) { return l.startsWith(claim); }), c.failing)
            << log.join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(s->m_bJobError, -1);
        const QString base = QString::fromLatin1(c.name).chopped(4);
        QStringList expected;
        for (int n : c.made)
            expected << QFileInfo(part(n, base, "WAV")).fileName();
        EXPECT_EQ(fixtures::folderEntries(outFolder), expected);
        for (const QString& e : fixtures::folderEntries(outFolder))
            QFile::remove(QDir(outFolder).filePath(e));
        g_frmSplitter.unload();
        forms::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(SplitterEngineTest, AnAbortMidPartLeavesNeitherThePartNorATemporaryFile)
{
    const QString source = makeSource(QStringLiteral("song.wav"), int64_t(kRate) * 120);
    FrmSplitter* s = splitterOn(source);
    ASSERT_NE(s, nullptr);
    selectFormat(s, "MP3");
    s->txtSplitParts->setText(QStringLiteral("1"));
    bool asked = false;
    QObject::connect(s->cAudioConverter1.get(), &cAudioConverter::Progress, s, [&](int percent) {
        if (asked || percent < 1)
            return;
        asked = true;
        box.answer(platform::vbYes);
        s->cmdAbort_Click();
    });
    ASSERT_TRUE(runSplit(s));
    EXPECT_TRUE(asked);
    EXPECT_EQ(s->lblCurrentTrack->text(), QStringLiteral("Aborted."));
    EXPECT_EQ(balloons, QStringList{QStringLiteral("Aborted.")});
    EXPECT_EQ(fixtures::folderEntries(outFolder), QStringList{});
}

}  // namespace
