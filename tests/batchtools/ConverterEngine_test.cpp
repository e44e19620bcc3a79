// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The converter window over the real converter: rows become files, read back by other tools.
#include "tests/batchtools/ConverterFixture.h"
#include "tests/support/ReferenceAudio.h"

#include "platform/EndSound.h"
#include "settings/OutputFormatOptions.h"

#include <QCheckBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdlib>

#include <signal.h>
#include <unistd.h>

namespace {

using fixtures::Pcm;

class ConverterEngineTest : public ConverterTest {
protected:
    void SetUp() override
    {
        ConverterTest::SetUp();
        OutputFormatOptions = OutputFormatOptionsData{};
        OutputFormatOptions.cboMP3Bitrate = 128;
        OutputFormatOptions.cboMP3Samplerate = 44100;
        OutputFormatOptions.cboMP3Quality = 5;
        OutputFormatOptions.cboMP3Mode = 1;
        OutputFormatOptions.cboSamplesWAV = 44100;
        OutputFormatOptions.cboChannelsWAV = 1;
        OutputFormatOptions.cboBitrateWAV = 16;
    }

    QString source(const QString& name) const { return QDir(sourceFolder).filePath(name); }
    QString writeSource(const QString& name, const Pcm& pcm, int64_t frames)
    {
        const QString path = source(name);
        EXPECT_TRUE(fixtures::writeFile(path, fixtures::wavBytes(pcm, fixtures::sine(pcm, frames))));
        return path;
    }

    static bool runTask(FrmConverter* w, int timeoutMs = 120000)
    {
        w->cmdConvert_Click();
        return QTest::qWaitFor([&] { return w->cmdConvert->isEnabled(); }, timeoutMs);
    }

    // The program's output; nothing when it could not run or failed.
    static std::optional<QByteArray> run(const QString& program, const QStringList& args)
    {
        QProcess p;
        p.start(program, args);
        if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
            ADD_FAILURE() << program.toStdString() << ": " << p.readAllStandardError().toStdString();
            return std::nullopt;
        }
        return p.readAllStandardOutput();
    }

    // The first audio stream and the container's duration, as ffprobe reads them.
    static QJsonObject probe(const QString& path)
    {
        const QJsonObject o = QJsonDocument::fromJson(
                                  run(QStringLiteral("ffprobe"),
                                      {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
                                       QStringLiteral("stream=codec_name,sample_rate,channels,bit_rate:format=duration"),
                                       QStringLiteral("-of"), QStringLiteral("json"), path})
                                      .value_or(QByteArray()))
                                  .object();
        QJsonObject s = o[QStringLiteral("streams")].toArray().at(0).toObject();
        s[QStringLiteral("duration")] = o[QStringLiteral("format")].toObject()[QStringLiteral("duration")].toString().toDouble();
        return s;
    }

    static QStringList errors(FrmConverter* w)
    {
        QStringList out;
        for (const QString& l : logLines(w))
            if (l.startsWith(QStringLiteral("Error: ")))
                out << l;
        return out;
    }
};

TEST_F(ConverterEngineTest, AWavAnMp3AndARangedRowToMp3WithTheirTags)
{
    // Sources made by sox and lame, a different tone and level on each channel.
    const QString refs = QDir(sourceFolder).filePath(QStringLiteral("refs"));
    ASSERT_TRUE(QDir().mkpath(refs));
    const QString tone = refaudio::soxSource(sourceFolder, QStringLiteral("tone.wav"), 44100, 2, 24, 2.0);
    const QString mp3 = source(QStringLiteral("coded.mp3"));
    ASSERT_TRUE(run(QStringLiteral("lame"), {QStringLiteral("--quiet"), QStringLiteral("-b"), QStringLiteral("128"),
                                              refaudio::soxSource(refs, QStringLiteral("for-lame.wav"), 44100, 2, 16, 3.0), mp3})
                     .has_value());
    const QString longer = refaudio::soxSource(sourceFolder, QStringLiteral("longer.wav"), 22050, 1, 16, 6.0);
    // The ranged row comes before a whole one: the whole one must not inherit its range.
    FrmConverter* w = converterOn({tone, longer, mp3});
    ASSERT_NE(w, nullptr);
    setGridCell(w, 2, COL_RANGE_ALL, QStringLiteral("0"));
    setGridCell(w, 2, COL_RANGE_START_TIME, QStringLiteral("1"));
    setGridCell(w, 2, COL_RANGE_LENGTH_TIME, QStringLiteral("3"));
    for (long r = 1; r <= 3; ++r) {
        setGridCell(w, r, COL_TAG_TRACK, QStringLiteral("[TRACK_NUM]"));
        setGridCell(w, r, COL_TAG_TITLE, QStringLiteral("[ITEM_NAME] by [PROG_NAME]"));
        setGridCell(w, r, COL_TAG_ARTIST, QStringLiteral("The Testers"));
    }
    selectFormat(w, "MP3");
    w->cboFileName->setCurrentIndex(0);  // "[file_name].[dest_extension]"
    ASSERT_TRUE(runTask(w));
    ASSERT_EQ(w->lblCurrentTrack->text(), QStringLiteral("Done.")) << w->txtLog->toPlainText().toStdString();
    EXPECT_TRUE(errors(w).isEmpty());
    EXPECT_EQ(fixtures::folderEntries(outFolder),
              (QStringList{QStringLiteral("coded.mp3"), QStringLiteral("longer.mp3"), QStringLiteral("tone.mp3")}));

    struct Expect {
        const char* file;
        const char* track;
        const char* title;
        double seconds;
    };
    const Expect expected[] = {{"tone.mp3", "1", "tone.wav by Quillmere", 2.0},
                               {"longer.mp3", "2", "longer.wav by Quillmere", 3.0},
                               {"coded.mp3", "3", "coded.mp3 by Quillmere", 3.0}};
    for (const Expect& e : expected) {
        SCOPED_TRACE(e.file);
        const QString out = outFolder + QLatin1Char('/') + QLatin1String(e.file);
        const QJsonObject tags = QJsonDocument::fromJson(
                                     run(QStringLiteral("/usr/bin/python3"),
                                         {QStringLiteral("-c"),
                                          QStringLiteral("import json,sys,mutagen\n"
                                                         "f=mutagen.File(sys.argv[1]); t=f.tags\n"
                                                         "print(json.dumps({'kind':type(f).__name__,'title':str(t['TIT2']),"
                                                         "'artist':str(t['TPE1']),'track':str(t['TRCK']),"
                                                         "'length':f.info.length}))"),
                                          out})
                                         .value_or(QByteArray()))
                                     .object();
        EXPECT_EQ(tags[QStringLiteral("kind")].toString(), QStringLiteral("MP3"));
        EXPECT_EQ(tags[QStringLiteral("track")].toString(), QLatin1String(e.track));
        EXPECT_EQ(tags[QStringLiteral("title")].toString(), QLatin1String(e.title));
        EXPECT_EQ(tags[QStringLiteral("artist")].toString(), QStringLiteral("The Testers"));
        EXPECT_NEAR(tags[QStringLiteral("length")].toDouble(), e.seconds, 0.1);
    }

    // The samples, through the reference decoder, against what the reference encoder makes at
    // the same settings of sox's conversion of the same input (the ranged row cut by sox):
    // exactly as long, and within a tenth of the codec's own error (a shift by one frame is
    // twenty times as far).
    int refCount = 0;
    auto nextRef = [&](const char* ext = "wav") {
        return QDir(refs).filePath(QStringLiteral("r%1.%2").arg(refCount++).arg(QLatin1String(ext)));
    };
    struct Row {
        const char* file;
        QString input;     // what sox converts: the source, or the MP3 source as lame decodes it
        QStringList trim;  // sox's cut for a ranged row
        int64_t edge;      // frames of a resampled start and end left out: the filters differ there
    };
    const Row rows[] = {
        {"tone.mp3", tone, {}, 0},
        {"longer.mp3", longer, {QStringLiteral("trim"), QStringLiteral("1"), QStringLiteral("3")}, 64},
        {"coded.mp3", nextRef(), {}, 0},
    };
    refaudio::lameDecode(mp3, rows[2].input);
    for (const Row& r : rows) {
        SCOPED_TRACE(r.file);
        const QString input16 = nextRef();
        QStringList soxArgs{QStringLiteral("-D"), r.input, QStringLiteral("-r"), QStringLiteral("44100"), QStringLiteral("-c"),
                            QStringLiteral("2"), QStringLiteral("-b"), QStringLiteral("16"), input16};
        ASSERT_TRUE(run(QStringLiteral("sox"), soxArgs + r.trim).has_value());
        const QString lameMp3 = nextRef("mp3");
        ASSERT_TRUE(run(QStringLiteral("lame"), {QStringLiteral("--quiet"), QStringLiteral("-b"), QStringLiteral("128"),
                                                  QStringLiteral("-q"), QStringLiteral("5"), input16, lameMp3})
                        .has_value());
        const refaudio::Samples reference = refaudio::lameDecode(lameMp3, nextRef());
        const refaudio::Samples ours = refaudio::lameDecode(outFolder + QLatin1Char('/') + QLatin1String(r.file), nextRef());
        ASSERT_EQ(ours.channels, 2);
        ASSERT_EQ(ours.frames(), reference.frames());
        const refaudio::Difference d =
            refaudio::compare(ours, r.edge, reference, r.edge, reference.frames() - 2 * r.edge);
        EXPECT_LE(d.rms, 60.0) << "largest " << d.largest;
    }
}

TEST_F(ConverterEngineTest, EachOtherFormatWithItsSettings)
{
    const QString tone = writeSource(QStringLiteral("tone.wav"), Pcm{44100, 2, 16}, 44100 * 2);
    FrmConverter* w = converterOn({tone});
    ASSERT_NE(w, nullptr);
    w->cboFileName->setCurrentIndex(0);  // "[file_name].[dest_extension]"
    OutputFormatOptions.cboSamplesWAV = 22050;
    OutputFormatOptions.cboChannelsWAV = 0;  // mono
    OutputFormatOptions.cboBitrateWAV = 16;
    OutputFormatOptions.cboTags = QStringLiteral("IMA ADPCM");
    OutputFormatOptions.cboFormats = QStringLiteral("22,050 kHz, 4 Bit, Mono");
    OutputFormatOptions.cboWMACodecs = 0;
    OutputFormatOptions.cboWMAFormat = 2;  // 128 kbps, 44 kHz, stereo

    struct Case {
        const char* format;
        const char* file;
        const char* codec;
        int rate;
        int channels;
        const char* logLine;
    };
    const Case cases[] = {
        {"WAV", "tone.wav", "pcm_s16le", 22050, 1, "Destination format: WAV"},
        // The compressed WAV's name takes the format's key.
        {"ACM", "tone.acm", "adpcm_ima_wav", 22050, 1, "Destination format: ACM WAV"},
        {"WMA", "tone.wma", "wmav2", 44100, 2, "Destination format: WMA"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        selectFormat(w, c.format);
        ASSERT_TRUE(runTask(w));
        ASSERT_EQ(w->lblCurrentTrack->text(), QStringLiteral("Done.")) << w->txtLog->toPlainText().toStdString();
        EXPECT_TRUE(logLines(w).contains(QLatin1String(c.logLine)));
        const QJsonObject s = probe(outFolder + QLatin1Char('/') + QLatin1String(c.file));
        EXPECT_EQ(s[QStringLiteral("codec_name")].toString(), QLatin1String(c.codec));
        EXPECT_EQ(s[QStringLiteral("sample_rate")].toString().toInt(), c.rate);
        EXPECT_EQ(s[QStringLiteral("channels")].toInt(), c.channels);
        EXPECT_NEAR(s[QStringLiteral("duration")].toDouble(), 2.0, 0.1);
        if (QLatin1String(c.format) == QLatin1String("WMA")) {
            EXPECT_NEAR(s[QStringLiteral("bit_rate")].toString().toDouble(), 128000, 8000);
        }
    }
}

TEST_F(ConverterEngineTest, AnUnreadableRowIsLoggedAndTheNextIsStillConverted)
{
    const Pcm cd{44100, 2, 16};
    const QString one = writeSource(QStringLiteral("one.wav"), cd, 44100);
    const QString gone = writeSource(QStringLiteral("gone.wav"), cd, 44100);
    const QString three = writeSource(QStringLiteral("three.wav"), cd, 44100);
    FrmConverter* w = converterOn({one, gone, three});
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(QFile::remove(gone));
    selectFormat(w, "WAV");
    w->cboFileName->setCurrentIndex(0);
    ASSERT_TRUE(runTask(w));
    EXPECT_EQ(w->lblCurrentTrack->text(), QStringLiteral("1 of 3 failed. The log has the reasons."));
    const QStringList errs = errors(w);
    ASSERT_EQ(errs.size(), 1) << logLines(w).join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(errs[0].endsWith(QStringLiteral("(2)"))) << errs[0].toStdString();
    EXPECT_TRUE(errs[0].contains(QStringLiteral("gone.wav"))) << errs[0].toStdString();
    EXPECT_EQ(w->m_bConvertError, -1);
    EXPECT_EQ(fixtures::folderEntries(outFolder), (QStringList{QStringLiteral("one.wav"), QStringLiteral("three.wav")}));
}

// A destination folder that is not there: every row fails, and the end says so where "Done."
// would stand, while the end-of-task actions still run.
TEST_F(ConverterEngineTest, ADestinationThatIsNotThereEndsAsAFailureNotDone)
{
    ProgramOptions.chkPlaySound = true;
    ProgramOptions.txtPlayAtEnd = QStringLiteral("/sounds/end.wav");
    class EndSound final : public platform::EndSoundService {
    public:
        EndSound() { platform::setEndSoundService(this); }
        ~EndSound() override { platform::setEndSoundService(nullptr); }
        void play(const QString& path) override { played << path; }
        void stop() override {}
        QStringList played;
    } sound;
    const Pcm cd{44100, 2, 16};
    const QString one = writeSource(QStringLiteral("one.wav"), cd, 44100);
    const QString two = writeSource(QStringLiteral("two.wav"), cd, 44100);
    FrmConverter* w = converterOn({one, two});
    ASSERT_NE(w, nullptr);
    selectFormat(w, "WAV");
    w->cboFileName->setCurrentIndex(0);
    w->chkPlaySound->setChecked(true);
    const QString missing = outFolder + QStringLiteral("/not/there/");
    w->txtToPath->setEditText(missing);
    ASSERT_TRUE(runTask(w));
    EXPECT_EQ(errors(w).size(), 2) << logLines(w).join(QLatin1Char('\n')).toStdString();
    const QString end = QStringLiteral("2 of 2 failed. The log has the reasons.");
    EXPECT_EQ(w->lblCurrentTrack->text(), end);
    EXPECT_EQ(w->windowTitle(), end);
    ASSERT_FALSE(balloons.isEmpty());
    EXPECT_TRUE(balloons.last().startsWith(end + QLatin1Char('|'))) << balloons.last().toStdString();
    EXPECT_FALSE(logLines(w).contains(QStringLiteral("Done.")));
    EXPECT_EQ(sound.played, QStringList{QStringLiteral("/sounds/end.wav")});
    EXPECT_FALSE(QFileInfo::exists(missing));
}

// A closed terminal hangs up the program while a row is converting: the row's hidden part file
// goes with the process, as with SIGTERM. The program runs in a child of this test (gtest re-runs
// the test there), which finds the folders this process made through the environment.
TEST_F(ConverterEngineTest, AHangUpMidRowLeavesNoPartFile)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const bool child = !qEnvironmentVariableIsEmpty("QM_HANGUP_FOLDER");
    QTemporaryDir own;
    const QString shared = child ? qEnvironmentVariable("QM_HANGUP_FOLDER") : own.path();
    const QString source = QDir(shared).filePath(QStringLiteral("long.wav"));
    const QString out = QDir(shared).filePath(QStringLiteral("out"));
    if (!child) {
        const Pcm cd{44100, 2, 16};
        ASSERT_TRUE(fixtures::writeFile(source, fixtures::wavBytes(cd, fixtures::sine(cd, 44100 * 240))));
        ASSERT_TRUE(QDir().mkpath(out));
        ASSERT_TRUE(QDir().mkpath(QDir(shared).filePath(QStringLiteral("tmp"))));
    }
    FrmConverter* w = converterOn({source});
    ASSERT_NE(w, nullptr);
    selectFormat(w, "MP3");
    w->cboFileName->setCurrentIndex(0);
    w->txtToPath->setEditText(out + QLatin1Char('/'));

    // The child's own temporary folders go inside this test's, so they go with it.
    const QByteArray tmpBefore = qgetenv("TMPDIR");
    qputenv("QM_HANGUP_FOLDER", shared.toUtf8());
    qputenv("TMPDIR", QDir(shared).filePath(QStringLiteral("tmp")).toUtf8());
    EXPECT_EXIT(
        {
            w->cmdConvert_Click();
            if (!QTest::qWaitFor([&] { return !fixtures::folderEntries(out).isEmpty(); }, 30000))
                std::_Exit(3);  // never started writing: nothing would be proved
            QTest::qWait(50);  // well inside the encoding
            ::kill(::getpid(), SIGHUP);
            QTest::qWait(30000);
            std::_Exit(0);
        },
        testing::KilledBySignal(SIGHUP), "");
    qunsetenv("QM_HANGUP_FOLDER");
    if (tmpBefore.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", tmpBefore);
    EXPECT_EQ(fixtures::folderEntries(out), QStringList());
}

TEST_F(ConverterEngineTest, AnOutputNameTakenByALinkThatLeadsNowhereIsAskedAboutAndTheLinkItselfReplaced)
{
    const Pcm cd{44100, 2, 16};
    const QString in = writeSource(QStringLiteral("a.wav"), cd, 44100);
    FrmConverter* w = converterOn({in});
    ASSERT_NE(w, nullptr);
    selectFormat(w, "WAV");
    w->cboFileName->setCurrentIndex(0);  // "[file_name].[dest_extension]"
    const QString out = outFolder + QStringLiteral("/a.wav");
    // A folder outside the destination, where the output would land through the link.
    const QString outside = QDir(sourceFolder).filePath(QStringLiteral("outside"));
    ASSERT_TRUE(QDir().mkpath(outside));
    ASSERT_TRUE(QFile::link(outside + QStringLiteral("/a.wav"), out));
    const QString question = QStringLiteral("The file: '") + out + QStringLiteral("' already exists.\r\n\r\nOverwrite it?");

    box.answer(platform::vbNo);
    ASSERT_TRUE(runTask(w));
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_EQ(box.shown[0].prompt, question);
    EXPECT_TRUE(QFileInfo(out).isSymLink());

    box.answer(platform::vbYes);
    ASSERT_TRUE(runTask(w));
    ASSERT_EQ(box.shown.size(), 2);
    EXPECT_EQ(box.shown[1].prompt, question);
    EXPECT_EQ(errors(w), QStringList());
    EXPECT_FALSE(QFileInfo(out).isSymLink());
    const auto written = fixtures::parseWavFile(out);
    ASSERT_TRUE(written);
    EXPECT_EQ(written->data.size(), 44100 * 4);
    EXPECT_EQ(fixtures::folderEntries(outside), QStringList());
}

TEST_F(ConverterEngineTest, AbortMidRowLeavesNoPartialFileAndTheExistingOneUntouched)
{
    const Pcm cd{44100, 2, 16};
    const QString longOne = writeSource(QStringLiteral("long.wav"), cd, 44100 * 120);
    const QString second = writeSource(QStringLiteral("second.wav"), cd, 44100);
    FrmConverter* w = converterOn({longOne, second});
    ASSERT_NE(w, nullptr);
    selectFormat(w, "MP3");
    w->cboFileName->setCurrentIndex(0);
    const QString out = outFolder + QStringLiteral("/long.mp3");
    ASSERT_TRUE(fixtures::writeFile(out, "an older file"));
    box.answer(platform::vbYes);  // overwrite it
    w->cmdConvert_Click();
    ASSERT_FALSE(w->cmdConvert->isEnabled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->prgCurrnet->Value() > 0; }, 30000));
    box.answer(platform::vbYes);  // abort
    w->cmdAbort_Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->cmdConvert->isEnabled(); }, 30000));
    EXPECT_EQ(w->lblCurrentTrack->text(), QStringLiteral("Aborted."));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Aborted."));
    EXPECT_EQ(logLines(w).last(), QStringLiteral("Aborted."));
    QTest::qWait(100);  // nothing more starts
    EXPECT_EQ(fixtures::readFile(out), QByteArray("an older file"));
    EXPECT_EQ(fixtures::folderEntries(outFolder), QStringList{QStringLiteral("long.mp3")});
}

}  // namespace
