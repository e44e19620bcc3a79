// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// "Audio Analyser" and the speech window's "Add to Items List" through the main window, with
// the real converter, editor and speech engine (and a fake converter where an abort or an
// error must be forced).
#include "components/cAudioConverter.h"
#include "components/cAudioEditor.h"
#include "recording/FrmAudioEditor.h"
#include "recording/FrmAudioEditorProc.h"
#include "recording/FrmWaveTTS.h"
#include "recording/RecordingWindows.h"
#include "settings/OutputFormatOptions.h"
#include "tests/commands/CommandsFixture.h"
#include "tests/recording/FakeConverter.h"
#include "tests/support/FakeClock.h"

#include <QComboBox>
#include <QIcon>
#include <QImage>
#include <QToolButton>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <optional>

namespace {

class RecordingLaunchers : public CommandsFixture {
protected:
    void SetUp() override
    {
        CommandsFixture::SetUp();
        g_lAppIncEditor = 1;
        g_lAppIncTTS = 1;
        RegisterRecordingWindows();
        // The options of a fresh installation.
        OutputFormatOptions = OutputFormatOptionsData{};
        OutputFormatOptions.cboSamplesWAV = 44100;
        OutputFormatOptions.cboBitrateWAV = 16;
        OutputFormatOptions.cboChannelsWAV = 1;
        OutputFormatOptions.cboMP3Bitrate = 128;
        OutputFormatOptions.cboMP3Samplerate = 44100;
        OutputFormatOptions.cboMP3Mode = 1;
        OutputFormatOptions.cboMP3Quality = 5;
    }
    void TearDown() override
    {
        watcher.reset();
        FrmAudioEditorProc::converterFactory = nullptr;
        for (const char* key : {"Audio Analyser", "Audio Recorder", "Text To Speech"})
            ToolWindows::Register(QLatin1String(key), {});
        CommandsFixture::TearDown();
        g_lAppIncEditor = 0;
        g_lAppIncTTS = 0;
    }
    // Runs `step` every 20 ms while a command's modal windows are open.
    void watch(std::function<void()> step)
    {
        watcher = std::make_unique<QTimer>();
        watcher->setInterval(20);
        QObject::connect(watcher.get(), &QTimer::timeout, step);
        watcher->start();
    }
    QString mp3Of(const QString& wav)
    {
        const QString out = QDir(media).filePath(QFileInfo(wav).completeBaseName() + QStringLiteral(".mp3"));
        std::unique_ptr<cAudioConverter> c = CreateAudioConverter();
        QSignalSpy done(c.get(), &cAudioConverter::Done);
        QSignalSpy failed(c.get(), &cAudioConverter::Error);
        c->OutputFormat(3);
        c->SetMp3Format(BuildMp3FormatRecord());
        c->InputFile(wav);
        c->OutputFile(out);
        c->Start();
        EXPECT_TRUE(done.wait(20000)) << (failed.isEmpty() ? std::string() : failed.at(0).at(1).toString().toStdString());
        return out;
    }
    QString tmpEditor() const { return QDir(platform::programFolder()).filePath(QStringLiteral("tmpeditor.wav")); }
    void useFakeConverter(FakeConverter::Answer answer)
    {
        FrmAudioEditorProc::converterFactory = [answer] { return std::make_unique<FakeConverter>(answer); };
    }

    struct EditorSeen {
        int shown = 0;
        QString caption, wavFile, rate, channels;
    };
    // Records what the editor shows once its file facts are in (or after a while), then exits.
    void closeEditorWhenSeen(EditorSeen& seen, int* ticks)
    {
        FrmAudioEditor* e = g_frmAudioEditor.loaded();
        if (!e || !e->isVisible())
            return;
        if (e->lblInfoSamples->text().isEmpty() && ++*ticks < 25)
            return;
        *ticks = 0;
        ++seen.shown;
        seen.caption = e->windowTitle();
        seen.wavFile = e->txtWavFileBox->text();
        seen.rate = e->lblInfoSamples->text();
        seen.channels = e->lblInfoChannels->text();
        e->cmdExit_Click();
    }
    std::unique_ptr<QTimer> watcher;
};

TEST_F(RecordingLaunchers, AnalyserConvertsAnMp3ItemAndShowsTheConvertedAudio)
{
    const QString mp3 = mp3Of(makeWav(QStringLiteral("speech.wav"), 1.0));
    const QString list = makeList(QStringLiteral("Talks"), {makeWav(QStringLiteral("other.wav")), mp3},
                                  {QStringLiteral("1"), QStringLiteral("0")});
    FrmMain* f = openMain();
    openList(f, list);
    f->cGrid1->CurrentRow(2);  // row 1 is marked, row 2 is edited
    EditorSeen seen;
    int ticks = 0;
    watch([&] { closeEditorWhenSeen(seen, &ticks); });
    const int refreshes = preview.refreshes;
    f->RunCommand(QStringLiteral("Audio Analyser"));
    ASSERT_EQ(seen.shown, 1);
    EXPECT_EQ(seen.caption, cell(f->cGrid1, 2, ItemRow::COL_ITEM_NAME));
    EXPECT_EQ(seen.wavFile, tmpEditor());
    EXPECT_EQ(seen.rate, QStringLiteral("44100"));
    EXPECT_EQ(seen.channels, QStringLiteral("2"));
    EXPECT_TRUE(QFileInfo(tmpEditor()).size() > 44100);
    EXPECT_EQ(preview.refreshes, refreshes + 1);
    EXPECT_EQ(f->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(RecordingLaunchers, AnalyserOpensAWavItemItselfInAnyCase)
{
    const QString wav = makeWav(QStringLiteral("Take.WaV"), 0.5);
    const QString list = makeList(QStringLiteral("Takes"), {wav}, {QStringLiteral("1")});
    FrmMain* f = openMain();
    openList(f, list);
    EditorSeen seen;
    int ticks = 0;
    watch([&] { closeEditorWhenSeen(seen, &ticks); });
    f->RunCommand(QStringLiteral("Audio Analyser"));
    ASSERT_EQ(seen.shown, 1);
    EXPECT_EQ(seen.wavFile, wav);
    EXPECT_EQ(seen.rate, QStringLiteral("44100"));
    EXPECT_FALSE(QFileInfo::exists(tmpEditor()));
}

TEST_F(RecordingLaunchers, AnalyserWithNothingMarkedOnlySays)
{
    const QString list = makeList(QStringLiteral("Takes"), makeWavs(2), {QStringLiteral("0"), QStringLiteral("0")});
    FrmMain* f = openMain();
    openList(f, list);
    f->RunCommand(QStringLiteral("Audio Analyser"));
    EXPECT_EQ(prompts(), QStringList{QStringLiteral("Mark the item to edit.") + QString(29, u' ')});
    EXPECT_FALSE(g_frmAudioEditor.isLoaded());
}

TEST_F(RecordingLaunchers, AbortedOrFailedConversionNeverShowsAnEarlierItemsAudio)
{
    const QString mp3 = mp3Of(makeWav(QStringLiteral("speech.wav"), 1.0));
    const QString list = makeList(QStringLiteral("Talks"), {mp3}, {QStringLiteral("1")});
    FrmMain* f = openMain();
    openList(f, list);
    EditorSeen seen;
    int ticks = 0;

    // An earlier item's conversion is still in the program folder.
    QFile::copy(makeWav(QStringLiteral("earlier.wav"), 2.0), tmpEditor());

    // Abort: no editor.
    useFakeConverter(FakeConverter::Answer::Wait);
    watch([&] {
        if (FrmAudioEditorProc* p = g_frmAudioEditorProc.loaded(); p && p->isVisible())
            p->cmdAbort->click();
        closeEditorWhenSeen(seen, &ticks);
    });
    f->RunCommand(QStringLiteral("Audio Analyser"));
    EXPECT_EQ(seen.shown, 0);
    EXPECT_TRUE(f->g_bAbortedAudioEditor);
    EXPECT_FALSE(QFileInfo::exists(tmpEditor()));
    EXPECT_EQ(f->cursor().shape(), Qt::ArrowCursor);

    // An error: the window shows it until closed; the editor then opens on no audio at all.
    QFile::copy(QDir(media).filePath(QStringLiteral("earlier.wav")), tmpEditor());
    useFakeConverter(FakeConverter::Answer::Error);
    QString errorShown;
    watch([&] {
        if (FrmAudioEditorProc* p = g_frmAudioEditorProc.loaded(); p && p->isVisible() &&
                                                                  p->lblCurrentTrack->text().endsWith(QStringLiteral("(2)"))) {
            errorShown = p->lblCurrentTrack->text();
            p->close();
        }
        closeEditorWhenSeen(seen, &ticks);
    });
    f->RunCommand(QStringLiteral("Audio Analyser"));
    EXPECT_EQ(errorShown, QStringLiteral("Cannot read the file(2)"));
    ASSERT_EQ(seen.shown, 1);
    EXPECT_EQ(seen.rate, QString());
    EXPECT_FALSE(f->g_bAbortedAudioEditor);

    // The next launch converts and shows the item.
    FrmAudioEditorProc::converterFactory = nullptr;
    seen = EditorSeen();
    watch([&] { closeEditorWhenSeen(seen, &ticks); });
    f->RunCommand(QStringLiteral("Audio Analyser"));
    ASSERT_EQ(seen.shown, 1);
    EXPECT_EQ(seen.rate, QStringLiteral("44100"));
}

class SpeechAdd : public RecordingLaunchers {
protected:
    void SetUp() override
    {
        RecordingLaunchers::SetUp();
        list = makeList(QStringLiteral("Speech"), makeWavs(2), {QStringLiteral("1"), QStringLiteral("1")});
        main = openMain();
        openList(main, list);
        ASSERT_EQ(main->cGrid1->Rows(), 2);
    }
    FrmWaveTTS* speechWindow()
    {
        FrmWaveTTS* w = g_frmWaveTTS.get();
        const int mp3 = w->cboTargetFormatList->findText(QStringLiteral("MP3 - MPEG-1 Audio Layer 3 (*.mp3)"));
        EXPECT_GE(mp3, 0);
        w->cboTargetFormatList->setCurrentIndex(mp3);
        return w;
    }
    int recordsOnDisk() const
    {
        return ParseItemsListText(ReadItemsListFile(list).text).size();
    }
    FakeClock clock{QDateTime(QDate(2024, 12, 31), QTime(12, 34, 56)), QStringLiteral("MM/dd/yyyy")};
    QString list;
    FrmMain* main = nullptr;
};

TEST_F(SpeechAdd, AddToItemsListWritesTheTimedFileAddsItSavesAndCloses)
{
    const QString expected = QDir(platform::programFolder()).filePath(QStringLiteral("TTS_12-34-56_12-31-2024.mp3"));
    speechWindow()->cmdAdd_Click();
    QTest::qWait(50);
    EXPECT_TRUE(QFileInfo(expected).size() > 1000);
    ASSERT_EQ(main->cGrid1->Rows(), 3);
    EXPECT_EQ(cell(main->cGrid1, 3, COL_FILE), expected);
    EXPECT_EQ(recordsOnDisk(), 3);
    EXPECT_FALSE(g_frmWaveTTS.isLoaded());

    // The same second again: the first file stays, the second gets a name of its own.
    const QByteArray first = [&] { QFile f(expected); f.open(QIODevice::ReadOnly); return f.readAll(); }();
    FrmWaveTTS* w = speechWindow();
    w->txtSpeak->setPlainText(QStringLiteral("Another text."));
    w->cmdAdd_Click();
    QTest::qWait(50);
    EXPECT_EQ([&] { QFile f(expected); f.open(QIODevice::ReadOnly); return f.readAll(); }(), first);
    ASSERT_EQ(main->cGrid1->Rows(), 4);
    EXPECT_EQ(cell(main->cGrid1, 4, COL_FILE),
              QDir(platform::programFolder()).filePath(QStringLiteral("TTS_12-34-56_12-31-2024_2.mp3")));
}

TEST_F(SpeechAdd, PictureBesideAddToItemsListIsTheAddPicture)
{
    const auto picture = [](const QIcon& icon) { return icon.pixmap(16, 16).toImage(); };
    const QImage add = picture(main->imgMenu.Icon(2)), remove = picture(main->imgMenu.Icon(3));
    ASSERT_FALSE(add.isNull());
    ASSERT_NE(add, remove) << "the add and remove pictures cannot be told apart";
    FrmWaveTTS* w = speechWindow();
    EXPECT_EQ(picture(w->cmdToolsIcon[3]->icon()), add);
}

TEST_F(SpeechAdd, AbortedConversionAddsNothingAndLosesNothing)
{
    useFakeConverter(FakeConverter::Answer::Aborted);
    speechWindow()->cmdAdd_Click();
    QTest::qWait(50);
    EXPECT_EQ(main->cGrid1->Rows(), 2);
    EXPECT_EQ(recordsOnDisk(), 2);
    EXPECT_FALSE(QFileInfo::exists(QDir(platform::programFolder()).filePath(QStringLiteral("TTS_12-34-56_12-31-2024.mp3"))));
    EXPECT_FALSE(g_frmWaveTTS.isLoaded());
}

TEST_F(SpeechAdd, FailedRenderingLeavesNoEarlierFileToConvert)
{
    const QString tmp = QDir(platform::programFolder()).filePath(QStringLiteral("tmptts.wav"));
    QFile::copy(makeWav(QStringLiteral("old.wav")), tmp);
    // The window deletes its converter when it closes, before the checks below.
    struct Seen {
        QStringList calls;
        bool inputExistedAtStart = false;
    };
    std::optional<Seen> seen;
    bool made = false;
    FrmAudioEditorProc::converterFactory = [&seen, &made] {
        auto c = std::make_unique<FakeConverter>(FakeConverter::Answer::Error);
        made = true;
        c->onDestroyed = [&seen](const FakeConverter& gone) {
            seen = Seen{gone.calls, gone.inputExistedAtStart};
        };
        return c;
    };
    watch([] {
        if (FrmAudioEditorProc* p = g_frmAudioEditorProc.loaded(); p && p->isVisible() &&
                                                                  p->lblCurrentTrack->text() != QStringLiteral("Preparing..."))
            p->close();
    });
    FrmWaveTTS* w = speechWindow();
    w->txtSpeak->clear();  // nothing to say: the rendering fails
    dialogs.saveAs(QDir(media).filePath(QStringLiteral("saved.mp3")));
    w->cmdSaveAs_Click();
    ASSERT_TRUE(made);
    ASSERT_TRUE(seen) << "the closed window still holds its converter";
    EXPECT_TRUE(seen->calls.contains(QStringLiteral("InputFile ") + tmp));
    EXPECT_FALSE(seen->inputExistedAtStart);
    EXPECT_TRUE(g_frmWaveTTS.isLoaded());
    // The dialog offered the target's extension.
    ASSERT_FALSE(dialogs.requests.isEmpty());
    EXPECT_EQ(dialogs.requests.last().title, QStringLiteral("Save As"));
    EXPECT_TRUE(dialogs.requests.last().filter.contains(QStringLiteral("*.mp3")));
}

TEST(SpeechNames, ListNameTakesTheTargetLettersAndNeverReplacesAFile)
{
    const QString folder = testenv::root() + QStringLiteral("/names");
    QDir().mkpath(folder);
    struct Case {
        const char* made;
        const char* target;
        const char* name;
    } cases[] = {
        {"TTS_12-34-56_12-31-2024.mp3", "MP3 - MPEG-1 Audio Layer 3 (*.mp3)", "TTS_12-34-56_12-31-2024.mp3"},
        {"TTS_12-34-56_12-31-2024.wav", "ACM - Waveform ACM Codecs (*.wav)", "TTS_12-34-56_12-31-2024.acm"},
        {"TTS_01-02-03_01-02-2025.wma", "WMA - Windows Media Audio files (*.wma)", "TTS_01-02-03_01-02-2025.wma"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SpeechListFileName(QLatin1String(c.made), QLatin1String(c.target), folder), QLatin1String(c.name));
    QFile(folder + QStringLiteral("/TTS_1.mp3")).open(QIODevice::WriteOnly);
    QFile(folder + QStringLiteral("/TTS_1_2.mp3")).open(QIODevice::WriteOnly);
    EXPECT_EQ(SpeechListFileName(QStringLiteral("TTS_1.mp3"), QStringLiteral("MP3"), folder), QStringLiteral("TTS_1_3.mp3"));
}

}  // namespace
