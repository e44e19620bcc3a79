// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The joiner window over the real join component: from a filled window to the file on disk.
#include "tests/batchtools/JoinerFixture.h"
#include "tests/support/CompressedWavs.h"
#include "tests/support/ReferenceAudio.h"
#include "tests/support/ModalWindow.h"

#include "components/cDateTimePick.h"
#include "itemsgrid/FrmItem.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRadioButton>
#include <QStorageInfo>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

using fixtures::Pcm;

class JoinerEngineTest : public JoinerTest {
protected:
    void SetUp() override
    {
        JoinerTest::SetUp();
        OutputFormatOptions = OutputFormatOptionsData{};
        OutputFormatOptions.cboSamplesWAV = 44100;
        OutputFormatOptions.cboBitrateWAV = 16;
        OutputFormatOptions.cboChannelsWAV = 1;
        OutputFormatOptions.cboMP3Bitrate = 128;
        OutputFormatOptions.cboMP3Samplerate = 44100;
        OutputFormatOptions.cboMP3Quality = 5;
        OutputFormatOptions.cboMP3Mode = 1;
    }

    QString source(const QString& name) const { return QDir(sourceFolder).filePath(name); }
    QString writeSource(const QString& name, const Pcm& pcm, const QByteArray& data)
    {
        const QString path = source(name);
        EXPECT_TRUE(fixtures::writeFile(path, fixtures::wavBytes(pcm, data)));
        return path;
    }

    // The joiner on a list of these files, filled as the command fills it.
    FrmJoiner* joinerOn(const QStringList& sources)
    {
        makeListOf(QStringLiteral("Songs"), sources);
        FrmMain* f = openMain();
        if (!f || f->cGrid1->Rows() != sources.size())
            return nullptr;
        connect(f);
        FrmJoiner* j = fill(*f);
        j->txtJoinedFileName->setText(QStringLiteral("joined.[dest_extension]"));
        return j;
    }

    void selectFormat(FrmJoiner* j, const char* code)
    {
        j->cboTargetFormat->setCurrentIndex(j->cboTargetFormat->findText(QLatin1String(code), Qt::MatchStartsWith));
    }

    // Starts the task as the Join button does and waits for its end.
    static bool runTask(FrmJoiner* j, int timeoutMs = 120000)
    {
        j->cmdConvert_Click();
        return QTest::qWaitFor([&] { return j->cmdConvert->isEnabled(); }, timeoutMs);
    }

    static int count(const QStringList& lines, const QString& prefix)
    {
        int n = 0;
        for (const QString& l : lines)
            n += l.startsWith(prefix) ? 1 : 0;
        return n;
    }

    static bool run(const QString& program, const QStringList& args)
    {
        QProcess p;
        p.start(program, args);
        return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }
};

TEST_F(JoinerEngineTest, TwoWholeRowsAndARangedOneSampleExact)
{
    const Pcm cd{44100, 2, 16};
    const QByteArray a = fixtures::pattern(cd, 44100 * 2 + 17, 1);
    const QByteArray b = fixtures::pattern(cd, 44100 * 3 + 5, 2);
    const QByteArray c = fixtures::pattern(cd, 44100 * 6, 3);
    FrmJoiner* j = joinerOn({writeSource(QStringLiteral("a.wav"), cd, a), writeSource(QStringLiteral("b.wav"), cd, b),
                             writeSource(QStringLiteral("c.wav"), cd, c)});
    ASSERT_NE(j, nullptr);
    setGridCell(j, 3, COL_RANGE_ALL, QStringLiteral("0"));
    setGridCell(j, 3, COL_RANGE_START_TIME, QStringLiteral("2"));
    setGridCell(j, 3, COL_RANGE_LENGTH_TIME, QStringLiteral("3"));
    selectFormat(j, "WAV");
    ASSERT_TRUE(runTask(j));
    ASSERT_EQ(j->lblCurrentTrack->text(), QStringLiteral("Done.")) << j->txtLog->toPlainText().toStdString();

    const auto out = fixtures::parseWavFile(outFolder + QStringLiteral("/joined.wav"));
    ASSERT_TRUE(out);
    EXPECT_EQ(out->pcm, cd);
    const int fb = cd.bytesPerFrame();
    const QByteArray expected = a + b + c.mid(2 * 44100 * fb, 3 * 44100 * fb);
    ASSERT_EQ(out->data.size(), expected.size());
    EXPECT_TRUE(out->data == expected);
    const QStringList lines = logLines(j);
    EXPECT_EQ(lines.mid(lines.size() - 4),
              (QStringList{QStringLiteral("Add a.wav..."), QStringLiteral("Add b.wav..."), QStringLiteral("Add c.wav..."),
                           QStringLiteral("Done.")}));
    EXPECT_EQ(j->prgTotal->Value(), 300);
    EXPECT_EQ(fixtures::folderEntries(outFolder), QStringList{QStringLiteral("joined.wav")});
}

TEST_F(JoinerEngineTest, ARangeSetInItemPropertiesIsTheSliceTheJoinedFileHolds)
{
    const Pcm cd{44100, 2, 16};
    const QByteArray a = fixtures::pattern(cd, 44100 * 5 + 11, 1);
    const QByteArray b = fixtures::pattern(cd, 44100 * 2 + 3, 2);
    makeListOf(QStringLiteral("Cut"), {writeSource(QStringLiteral("a.wav"), cd, a), writeSource(QStringLiteral("b.wav"), cd, b)});
    FrmMain* f = openMain();
    ASSERT_EQ(f->cGrid1->Rows(), 2);

    // The user opens row 1's properties and keeps 00:00:01 to 00:00:03 of it.
    QTimer::singleShot(0, [] {
        FrmItem* w = g_frmItem.loaded();
        ASSERT_TRUE(w);
        w->ptnConvertByTime->click();
        w->dtStartAfter->Value(1);
        w->dtUntil->Value(3);
        w->cmdOk->click();
    });
    f->cGrid1->CurrentRow(1);
    f->cGrid1_DblClick(1, 1);
    ASSERT_FALSE(g_frmItem.isLoaded());
    ASSERT_EQ(cell(1, COL_RANGE_START_TIME), QStringLiteral("1"));

    // Then joins the list through the command, as the program registers it at start.
    RegisterJoinerWindow();
    QString state, log;
    // Acts once the modal window is up, as its user would.
    modal::ActWhenShown(
        g_frmJoiner,
        [&](FrmJoiner* j) {
            j->txtToPath->setEditText(outFolder);
            j->txtJoinedFileName->setText(QStringLiteral("cut.wav"));
            selectFormat(j, "WAV");
            EXPECT_TRUE(runTask(j));
            state = j->lblCurrentTrack->text();
            log = j->txtLog->toPlainText();
            j->cmdExit_Click();
        },
        [&] { f->RunCommand(QStringLiteral("Audio Joiner")); }, 120000);
    ASSERT_EQ(state, QStringLiteral("Done.")) << log.toStdString();

    const auto out = fixtures::parseWavFile(outFolder + QStringLiteral("/cut.wav"));
    ASSERT_TRUE(out);
    EXPECT_EQ(out->pcm, cd);
    const int fb = cd.bytesPerFrame();
    const QByteArray expected = a.mid(1 * 44100 * fb, 2 * 44100 * fb) + b;
    ASSERT_EQ(out->data.size(), expected.size());
    EXPECT_TRUE(out->data == expected);
}

TEST_F(JoinerEngineTest, MixedSourcesToWavAndToMp3WithTheTagsOfRowOne)
{
    // Sources made by sox, lame and oggenc, a different tone and level on each channel; each
    // part of the join must be what sox, lame or oggdec make of its source.
    const QString refs = QDir(sourceFolder).filePath(QStringLiteral("refs"));
    ASSERT_TRUE(QDir().mkpath(refs));
    int refCount = 0;
    auto nextRef = [&] { return QDir(refs).filePath(QStringLiteral("r%1.wav").arg(refCount++)); };
    const QString tone = refaudio::soxSource(refs, QStringLiteral("tone.wav"), 44100, 2, 16, 1.0);
    const QString mp3 = source(QStringLiteral("lame.mp3"));
    const QString ogg = source(QStringLiteral("vorbis.ogg"));
    ASSERT_TRUE(run(QStringLiteral("lame"), {QStringLiteral("--quiet"), QStringLiteral("-b"), QStringLiteral("128"), tone, mp3}));
    ASSERT_TRUE(run(QStringLiteral("oggenc"), {QStringLiteral("--quiet"), QStringLiteral("-o"), ogg, tone}));
    const QStringList sources{
        refaudio::soxSource(sourceFolder, QStringLiteral("mono8.wav"), 44100, 1, 8, 1.0),
        refaudio::soxSource(sourceFolder, QStringLiteral("deep24.wav"), 44100, 2, 24, 1.0),
        refaudio::soxSource(sourceFolder, QStringLiteral("low22.wav"), 22050, 2, 16, 1.0),
        mp3,
        ogg,
    };
    struct Part {
        refaudio::Samples reference;
        int64_t tolerance;  // sox rounds where we truncate; two decoders differ by a few steps
        int64_t edge;       // two resamplers' filters differ where the signal starts and stops
    };
    const Part parts[] = {
        {refaudio::soxConversion(sources[0], nextRef(), 44100, 2, 16), 1, 0},
        {refaudio::soxConversion(sources[1], nextRef(), 44100, 2, 16), 1, 0},
        {refaudio::soxConversion(sources[2], nextRef(), 44100, 2, 16), 24, 32},
        {refaudio::lameDecode(mp3, nextRef()), 4, 0},
        {refaudio::oggDecode(ogg, nextRef()), 8, 0},
    };
    refaudio::Samples whole;
    for (const Part& p : parts)
        refaudio::append(whole, p.reference);
    FrmJoiner* j = joinerOn(sources);
    ASSERT_NE(j, nullptr);
    setGridCell(j, 1, COL_TAG_TITLE, QStringLiteral("Joined by [PROG_NAME]"));
    setGridCell(j, 1, COL_TAG_ARTIST, QStringLiteral("The Testers"));
    setGridCell(j, 1, COL_TAG_ALBUM, QStringLiteral("Seams"));
    setGridCell(j, 1, COL_TAG_YEAR, QStringLiteral("[YEAR]"));
    setGridCell(j, 1, COL_TAG_TRACK, QStringLiteral("[TRACK_NUM]"));
    setGridCell(j, 1, COL_TAG_COMMENT, QStringLiteral("five sources"));
    setGridCell(j, 1, COL_TAG_GEN, QStringLiteral("Rock"));
    setGridCell(j, 2, COL_TAG_TITLE, QStringLiteral("not this one"));

    selectFormat(j, "WAV");
    ASSERT_TRUE(runTask(j));
    ASSERT_EQ(j->lblCurrentTrack->text(), QStringLiteral("Done.")) << j->txtLog->toPlainText().toStdString();
    const refaudio::Samples wav = refaudio::readWav(outFolder + QStringLiteral("/joined.wav"));
    EXPECT_EQ(wav.rate, 44100);
    EXPECT_EQ(wav.bits, 16);
    ASSERT_EQ(wav.channels, 2);
    ASSERT_EQ(wav.frames(), whole.frames());
    int64_t at = 0;
    for (const Part& p : parts) {
        SCOPED_TRACE(at);
        const int64_t frames = p.reference.frames() - 2 * p.edge;
        const refaudio::Difference d = refaudio::compare(wav, at + p.edge, p.reference, p.edge, frames);
        EXPECT_LE(d.largest, p.tolerance) << "rms " << d.rms;
        at += p.reference.frames();
    }
    EXPECT_EQ(count(logLines(j), QStringLiteral("Add ")), 5);

    selectFormat(j, "MP3");
    ASSERT_TRUE(runTask(j));
    ASSERT_EQ(j->lblCurrentTrack->text(), QStringLiteral("Done.")) << j->txtLog->toPlainText().toStdString();
    const QString out = outFolder + QStringLiteral("/joined.mp3");
    // The MP3, through the reference decoder: exactly as long as the parts, and close to what
    // the reference encoder makes of them at the same settings. The codec's own error is ten
    // times the difference allowed; a shift by one frame, twenty.
    const refaudio::Samples decoded = refaudio::lameDecode(out, nextRef());
    ASSERT_EQ(decoded.channels, 2);
    ASSERT_EQ(decoded.frames(), whole.frames());
    const QString wholeWav = nextRef(), lameMp3 = QDir(refs).filePath(QStringLiteral("lame-joined.mp3"));
    ASSERT_TRUE(refaudio::writeWav16(whole, wholeWav));
    ASSERT_TRUE(run(QStringLiteral("lame"), {QStringLiteral("--quiet"), QStringLiteral("-b"), QStringLiteral("128"),
                                             QStringLiteral("-q"), QStringLiteral("5"), wholeWav, lameMp3}));
    const refaudio::Samples lameDecoded = refaudio::lameDecode(lameMp3, nextRef());
    ASSERT_EQ(lameDecoded.frames(), whole.frames());
    const refaudio::Difference d = refaudio::compare(decoded, 0, lameDecoded, 0, whole.frames());
    EXPECT_LE(d.rms, 60.0) << "largest " << d.largest;
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import json,sys,mutagen\n"
                                 "f=mutagen.File(sys.argv[1]); t=f.tags\n"
                                 "print(json.dumps({'kind':type(f).__name__,'title':str(t['TIT2']),'artist':str(t['TPE1']),"
                                 "'album':str(t['TALB']),'year':str(t.get('TYER',t.get('TDRC',''))),'track':str(t['TRCK']),"
                                 "'genre':str(t['TCON']),'comment':str(t.getall('COMM')[0].text[0]),'length':f.info.length}))"),
                  out});
    ASSERT_TRUE(python.waitForFinished(30000));
    ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    const QJsonObject tags = QJsonDocument::fromJson(python.readAllStandardOutput()).object();
    EXPECT_EQ(tags[QStringLiteral("kind")].toString(), QStringLiteral("MP3"));
    EXPECT_EQ(tags[QStringLiteral("title")].toString(), QStringLiteral("Joined by Quillmere"));
    EXPECT_EQ(tags[QStringLiteral("artist")].toString(), QStringLiteral("The Testers"));
    EXPECT_EQ(tags[QStringLiteral("album")].toString(), QStringLiteral("Seams"));
    EXPECT_EQ(tags[QStringLiteral("year")].toString(), QStringLiteral("2024"));
    EXPECT_EQ(tags[QStringLiteral("track")].toString(), QStringLiteral("1"));
    EXPECT_EQ(tags[QStringLiteral("comment")].toString(), QStringLiteral("five sources"));
    EXPECT_EQ(tags[QStringLiteral("genre")].toString(), QStringLiteral("Rock"));
    EXPECT_NEAR(tags[QStringLiteral("length")].toDouble(), 5.0, 0.1);
}

TEST_F(JoinerEngineTest, AbortMidJoinLeavesTheExistingFileAndNoPartFile)
{
    const Pcm cd{44100, 2, 16};
    const QByteArray tone = fixtures::sine(cd, 44100 * 60);
    FrmJoiner* j = joinerOn({writeSource(QStringLiteral("long1.wav"), cd, tone), writeSource(QStringLiteral("long2.wav"), cd, tone),
                             writeSource(QStringLiteral("long3.wav"), cd, tone)});
    ASSERT_NE(j, nullptr);
    selectFormat(j, "MP3");
    const QString out = outFolder + QStringLiteral("/joined.mp3");
    ASSERT_TRUE(fixtures::writeFile(out, "an older file"));
    box.answer(platform::vbYes);  // overwrite it
    j->cmdConvert_Click();
    ASSERT_FALSE(j->cmdConvert->isEnabled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return j->prgCurrnet->Value() > 0; }, 30000));
    box.answer(platform::vbYes);  // abort
    j->cmdAbort_Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return j->cmdConvert->isEnabled(); }, 30000));
    EXPECT_EQ(j->lblCurrentTrack->text(), QStringLiteral("Aborted."));
    EXPECT_EQ(logLines(j).last(), QStringLiteral("Aborted."));
    EXPECT_EQ(balloons, QStringList{QStringLiteral("Aborted.|Quillmere 1.2")});
    EXPECT_EQ(fixtures::readFile(out), QByteArray("an older file"));
    EXPECT_EQ(fixtures::folderEntries(outFolder), QStringList{QStringLiteral("joined.mp3")});
}

TEST_F(JoinerEngineTest, AMissingOrDamagedRowIsNamedAndNothingIsWritten)
{
    const Pcm cd{44100, 2, 16};
    FrmJoiner* j = joinerOn({writeSource(QStringLiteral("one.wav"), cd, fixtures::sine(cd, 44100)),
                             writeSource(QStringLiteral("two.wav"), cd, fixtures::sine(cd, 44100)),
                             writeSource(QStringLiteral("three.wav"), cd, fixtures::sine(cd, 44100))});
    ASSERT_NE(j, nullptr);
    selectFormat(j, "WAV");
    const QString damaged = source(QStringLiteral("damaged.wav"));
    ASSERT_TRUE(fixtures::writeFile(damaged, QByteArray("RIFF\x10\0\0\0WAVEjunk", 16)));
    const QString missing = source(QStringLiteral("gone.wav"));
    for (const QString& bad : {missing, damaged}) {
        j->txtLog->clear();
        setGridCell(j, 2, COL_FILE, bad);
        ASSERT_TRUE(runTask(j));
        const QStringList lines = logLines(j);
        QStringList errors;
        for (const QString& l : lines)
            if (l.startsWith(QStringLiteral("Error: ")))
                errors << l;
        ASSERT_EQ(errors.size(), 1) << lines.join(QLatin1Char('\n')).toStdString();
        EXPECT_TRUE(errors[0].endsWith(QStringLiteral("(2)"))) << errors[0].toStdString();
        EXPECT_TRUE(errors[0].contains(QFileInfo(bad).fileName())) << errors[0].toStdString();
        EXPECT_EQ(j->m_bJobError, -1);
        EXPECT_TRUE(fixtures::folderEntries(outFolder).isEmpty()) << fixtures::folderEntries(outFolder).join(u' ').toStdString();
    }
}

TEST_F(JoinerEngineTest, AFailedJoinSaysItFailedAndShowsItsOwnProgress)
{
    const Pcm cd{44100, 2, 16};
    const QString first = writeSource(QStringLiteral("first.wav"), cd, fixtures::sine(cd, 44100));
    FrmJoiner* j = joinerOn({first, writeSource(QStringLiteral("second.wav"), cd, fixtures::sine(cd, 44100)),
                             writeSource(QStringLiteral("third.wav"), cd, fixtures::sine(cd, 44100))});
    ASSERT_NE(j, nullptr);
    selectFormat(j, "WAV");
    const QString handedOver = j->lblFilesToConvert->text();
    ASSERT_TRUE(runTask(j));
    ASSERT_EQ(j->lblCurrentTrack->text(), QStringLiteral("Done.")) << j->txtLog->toPlainText().toStdString();
    ASSERT_EQ(j->prgTotal->Value(), 300);
    ASSERT_EQ(j->lblFilesToConvert->text(), QStringLiteral("Files: 3/3"));
    const QString goodCaption = j->windowTitle();
    balloons.clear();

    const QString failed = QStringLiteral("The join failed. The log has the reasons.");
    const QString destination = j->txtToPath->currentText();
    const QByteArray firstBytes = fixtures::readFile(first);
    struct Case {
        const char* what;
        std::function<void()> spoil;
        std::function<void()> mend;
    };
    const Case cases[] = {
        {"a destination that is not there", [&] { j->txtToPath->setEditText(outFolder + QStringLiteral("/not-there/")); },
         [&] { j->txtToPath->setEditText(destination); }},
        {"a source that turned bad after it was added",
         [&] {
             ASSERT_TRUE(fixtures::writeFile(first, QByteArray("RIFF\x10\0\0\0WAVEjunk", 16)));
             box.answer(platform::vbYes);  // the joined file of the first run is there
         },
         [&] { ASSERT_TRUE(fixtures::writeFile(first, firstBytes)); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.spoil();
        ASSERT_TRUE(runTask(j));
        // The log names the error; label and caption say the join failed, not that it runs.
        EXPECT_TRUE(logLines(j).last().startsWith(QStringLiteral("Error: "))) << logLines(j).last().toStdString();
        EXPECT_EQ(j->lblCurrentTrack->text(), failed);
        EXPECT_EQ(j->windowTitle(), failed);
        // Nothing of this run got anywhere: no bar of the last run's, no "Files: 3/3".
        EXPECT_EQ(j->prgTotal->Value(), 0);
        EXPECT_EQ(j->prgCurrnet->Value(), 0);
        EXPECT_EQ(j->lblFilesToConvert->text(), handedOver);
        EXPECT_TRUE(balloons.isEmpty());
        EXPECT_EQ(j->m_bJobError, -1);
        EXPECT_TRUE(j->cmdConvert->isEnabled());

        // The next run no longer says the last one failed.
        c.mend();
        box.answer(platform::vbYes);
        j->cmdConvert_Click();
        EXPECT_EQ(j->lblCurrentTrack->text(), QStringLiteral("Processing..."));
        EXPECT_NE(j->windowTitle(), failed);
        ASSERT_TRUE(QTest::qWaitFor([&] { return j->cmdConvert->isEnabled(); }, 120000));
        EXPECT_EQ(j->lblCurrentTrack->text(), QStringLiteral("Done.")) << j->txtLog->toPlainText().toStdString();
        EXPECT_EQ(j->windowTitle(), goodCaption);
        EXPECT_EQ(j->prgTotal->Value(), 300);
        balloons.clear();
    }
}

TEST_F(JoinerEngineTest, SourcesAreJoinedAtTheLengthTheyHoldAndRefusedWhenTheyHoldLess)
{
    const Pcm cd{44100, 2, 16};
    const QString one = writeSource(QStringLiteral("one.wav"), cd, fixtures::sine(cd, 44100));

    // Two MP3 files appended to one another, as the encoder wrote them; its decoder is the peer.
    const QString a = writeSource(QStringLiteral("a.wav"), cd, fixtures::sine(cd, 44100 * 3, 440.0));
    const QString b = writeSource(QStringLiteral("b.wav"), cd, fixtures::sine(cd, 44100 * 2, 660.0));
    ASSERT_TRUE(run(QStringLiteral("lame"), {QStringLiteral("--quiet"), QStringLiteral("-b"), QStringLiteral("128"), a,
                                             source(QStringLiteral("a.mp3"))}));
    ASSERT_TRUE(run(QStringLiteral("lame"), {QStringLiteral("--quiet"), QStringLiteral("-V"), QStringLiteral("2"), b,
                                             source(QStringLiteral("b.mp3"))}));
    const QString appended = source(QStringLiteral("appended.mp3"));
    ASSERT_TRUE(fixtures::writeFile(appended, fixtures::readFile(source(QStringLiteral("a.mp3"))) +
                                                  fixtures::readFile(source(QStringLiteral("b.mp3")))));
    const QString peer = source(QStringLiteral("peer.wav"));
    ASSERT_TRUE(run(QStringLiteral("lame"), {QStringLiteral("--quiet"), QStringLiteral("--decode"), appended, peer}));
    const auto peerWav = fixtures::parseWavFile(peer);
    ASSERT_TRUE(peerWav);
    const qsizetype peerFrames = peerWav->data.size() / 4;

    // An MP3-in-WAV without "fact" whose last tenth is zeros.
    QByteArray mp3 = compressedwavs::mp3Tone(44100 * 10);
    ASSERT_FALSE(mp3.isEmpty());
    const qsizetype keep = mp3.size() - mp3.size() / 10;
    mp3.replace(keep, mp3.size() - keep, QByteArray(mp3.size() - keep, '\0'));
    const QString zeroed = source(QStringLiteral("zeroed.wav"));
    ASSERT_TRUE(fixtures::writeFile(zeroed, compressedwavs::mp3InWav(mp3)));

    // An Ogg Vorbis file whose first audio page no longer matches its checksum.
    const QString ogg = source(QStringLiteral("page lost.ogg"));
    ASSERT_TRUE(run(QStringLiteral("oggenc"), {QStringLiteral("-Q"), QStringLiteral("-o"), ogg, a}));
    QByteArray oggBytes = fixtures::readFile(ogg);
    qsizetype page = 0;
    while ((page = oggBytes.indexOf("OggS", page + 1)) > 0 && oggBytes.mid(page + 6, 8) == QByteArray(8, '\0')) {
    }
    ASSERT_GT(page, 0);
    oggBytes.replace(page + 27 + uint8_t(oggBytes[page + 26]), 200, QByteArray(200, '\x55'));
    ASSERT_TRUE(fixtures::writeFile(ogg, oggBytes));

    FrmJoiner* j = joinerOn({one, appended});
    ASSERT_NE(j, nullptr);
    selectFormat(j, "WAV");
    ASSERT_TRUE(runTask(j));
    ASSERT_EQ(j->lblCurrentTrack->text(), QStringLiteral("Done.")) << j->txtLog->toPlainText().toStdString();
    const auto joined = fixtures::parseWavFile(outFolder + QStringLiteral("/joined.wav"));
    ASSERT_TRUE(joined);
    // The WAV's second and every frame of the MP3s.
    ASSERT_EQ(joined->pcm.rate, 44100);
    EXPECT_EQ(joined->data.size() / joined->pcm.bytesPerFrame(), 44100 + peerFrames);
    QFile::remove(outFolder + QStringLiteral("/joined.wav"));

    for (const QString& bad : {zeroed, ogg}) {
        SCOPED_TRACE(bad.toStdString());
        j->txtLog->clear();
        setGridCell(j, 2, COL_FILE, bad);
        ASSERT_TRUE(runTask(j));
        const QStringList lines = logLines(j);
        EXPECT_EQ(count(lines, QStringLiteral("Error: The file '") + bad + QStringLiteral("' holds less audio than it claims")), 1)
            << lines.join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(j->m_bJobError, -1);
        EXPECT_TRUE(fixtures::folderEntries(outFolder).isEmpty()) << fixtures::folderEntries(outFolder).join(u' ').toStdString();
    }
}

}  // namespace
