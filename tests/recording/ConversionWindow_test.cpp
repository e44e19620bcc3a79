// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "recording/FrmAudioEditorProc.h"

#include "batchtools/cProgressBar.h"
#include "foundation/mdlModes.h"
#include "mainwindow/FrmMain.h"
#include "settings/OutputFormatOptions.h"
#include "settings/ProgramOptions.h"
#include "tests/commands/CommandsFixture.h"
#include "tests/recording/FakeConverter.h"
#include "tests/support/FakeClock.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class ConversionWindow : public CommandsFixture {
protected:
    void SetUp() override
    {
        CommandsFixture::SetUp();
        FrmAudioEditorProc::g_bConvertTo = false;
        FrmAudioEditorProc::g_sConvertToTarget.clear();
        FrmAudioEditorProc::converterFactory = [this] {
            auto c = std::make_unique<FakeConverter>(answer);
            fake = c.get();
            return c;
        };
    }
    void TearDown() override
    {
        FrmAudioEditorProc::converterFactory = nullptr;
        FrmAudioEditorProc::g_bConvertTo = false;
        FrmAudioEditorProc::g_sConvertToTarget.clear();
        CommandsFixture::TearDown();
    }
    // Loads the window and runs one conversion through its timer.
    QPointer<FrmAudioEditorProc> convert()
    {
        QPointer<FrmAudioEditorProc> w = g_frmAudioEditorProc.get();
        w->ConvertFile(QStringLiteral("/in/song.mp3"), QStringLiteral("/out/tmpeditor.wav"));
        EXPECT_TRUE(fake->calls.isEmpty()) << "started before the timer";
        QTest::qWait(50);
        return w;
    }
    FakeConverter::Answer answer = FakeConverter::Answer::Wait;
    FakeConverter* fake = nullptr;
};

TEST_F(ConversionWindow, TargetTextSelectsFormatByItsFirstThreeLetters)
{
    struct Case {
        const char* target;
        QStringList calls;
    } cases[] = {
        {"WAV - Waveform Audio Format (*.wav)", {"OutputFormat 1", "SetWavFormat"}},
        {"ACM - Waveform ACM Codecs (*.wav)", {"OutputFormat 2", "SetAcmFormat GSM 6.10|8,000 kHz, Mono"}},
        {"mp3 in lower case", {"OutputFormat 3", "SetMp3Format"}},
        {"WMA - Windows Media Audio files (*.wma)", {"OutputFormat 4", "SetWmaFormat"}},
        {"OGG - Ogg Media Format (*.ogg)", {"OutputFormat 5", "SetOggFormat"}},
        {"APE - Monkey 's Audio (*.ape)", {"OutputFormat 6", "SetApeLevel 3"}},
        {"MPEG Layer 3", {}},
        {"", {}},
    };
    OutputFormatOptions.cboTags = QStringLiteral("GSM 6.10");
    OutputFormatOptions.cboFormats = QStringLiteral("8,000 kHz, Mono");
    OutputFormatOptions.cboAPELevel = 3;
    FrmAudioEditorProc* w = g_frmAudioEditorProc.get();
    for (const Case& c : cases) {
        fake->calls.clear();
        FrmAudioEditorProc::g_sConvertToTarget = QLatin1String(c.target);
        w->SetDestination();
        EXPECT_EQ(fake->calls, c.calls) << c.target;
    }
    EXPECT_EQ(ConversionDestinationCode(QStringLiteral("Mp3")), 3);
    EXPECT_EQ(ConversionDestinationCode(QStringLiteral("MPEG")), 0);
}

TEST_F(ConversionWindow, WithoutConvertToItIsWavWithoutTagsWhateverTheTarget)
{
    FrmAudioEditorProc::g_sConvertToTarget = QStringLiteral("MP3 - MPEG-1 Audio Layer 3 (*.mp3)");
    convert();
    EXPECT_EQ(fake->calls, (QStringList{"OutputFormat 1", "SetWavFormat", "InputFile /in/song.mp3",
                                        "OutputFile /out/tmpeditor.wav", "Start"}));
}

TEST_F(ConversionWindow, ConvertToSetsTheFormatThenTheDefaultTags)
{
    FakeClock clock(QDateTime(QDate(2024, 12, 31), QTime(12, 34, 56)), QStringLiteral("MM/dd/yyyy"));
    ProgramOptions.txtTagAlbum = QStringLiteral("[PROG_NAME] [DATE]");
    ProgramOptions.txtTagArtist = QStringLiteral("[track_num]");
    ProgramOptions.txtTagComment = QString();
    ProgramOptions.txtTagGenre = QStringLiteral("Speech");
    ProgramOptions.txtTagSong = QStringLiteral("At [TIME]");
    ProgramOptions.txtTagTrack = QStringLiteral("[TRACK_NUM]");
    ProgramOptions.txtTagYear = QStringLiteral("[YEAR]");
    FrmAudioEditorProc::g_sConvertToTarget = QStringLiteral("MP3 - MPEG-1 Audio Layer 3 (*.mp3)");
    FrmAudioEditorProc::g_bConvertTo = true;
    g_sAppName = QStringLiteral("Quillmere");
    convert();
    EXPECT_EQ(fake->calls,
              (QStringList{"OutputFormat 3", "SetMp3Format", "TagAlbum Quillmere 12/31/2024", "TagArtist [track_num]",
                           "TagComment ", "TagGenre Speech", "TagTitle At 12:34:56", "TagTrack 1", "TagYear 2024",
                           "InputFile /in/song.mp3", "OutputFile /out/tmpeditor.wav", "Start"}));
}

TEST_F(ConversionWindow, EveryEndingResetsConvertToAndKeepsTheTarget)
{
    makeList(QStringLiteral("Songs"), makeWavs(1));
    openMain();
    frmMain->g_bAbortedAudioEditor = false;
    struct Case {
        FakeConverter::Answer answer;
        bool staysOpen;
        QString label;
        bool aborted;
    } cases[] = {
        {FakeConverter::Answer::Done, false, QStringLiteral("Done."), false},
        {FakeConverter::Answer::Aborted, false, QStringLiteral("Aborted."), true},
        {FakeConverter::Answer::Error, true, QStringLiteral("Cannot read the file(2)"), false},
    };
    for (const Case& c : cases) {
        answer = c.answer;
        frmMain->g_bAbortedAudioEditor = false;
        FrmAudioEditorProc::g_bConvertTo = true;
        FrmAudioEditorProc::g_sConvertToTarget = QStringLiteral("OGG");
        QPointer<FrmAudioEditorProc> w = convert();
        QTest::qWait(50);
        EXPECT_FALSE(FrmAudioEditorProc::g_bConvertTo);
        EXPECT_EQ(FrmAudioEditorProc::g_sConvertToTarget, QStringLiteral("OGG"));
        EXPECT_EQ(g_frmAudioEditorProc.isLoaded(), c.staysOpen);
        EXPECT_EQ(frmMain->g_bAbortedAudioEditor, c.aborted);
        if (c.staysOpen) {
            EXPECT_EQ(w->lblCurrentTrack->text(), c.label);
            // Abort after the error only asks the converter; the window stays.
            w->cmdAbort_Click();
            QTest::qWait(30);
            EXPECT_TRUE(g_frmAudioEditorProc.isLoaded());
            EXPECT_EQ(fake->calls.last(), QStringLiteral("Abort"));
            // Closing it releases the converter and sets no flag.
            w->close();
            QTest::qWait(30);
            EXPECT_FALSE(g_frmAudioEditorProc.isLoaded());
            EXPECT_FALSE(frmMain->g_bAbortedAudioEditor);
        }
    }
}

// The error text is drawn whole: every line of it inside the label, the label inside the
// window, and the bar and the button below it, not under it.
TEST_F(ConversionWindow, ErrorTextFitsWhole)
{
    const QString longPath = QStringLiteral("/home/somebody/.local/share/Quillmere/a-rather-long-folder-name/tmptts.wav");
    const QString texts[] = {
        QStringLiteral("Cannot read the file"),
        QStringLiteral("The file '") + longPath + QStringLiteral("' cannot be read: it is not audio the program knows."),
        QStringLiteral("Cannot write the file '") + longPath + QStringLiteral("': No space left on device; ") +
            QStringLiteral("what was written is removed and the file that stood there is kept as it was."),
    };
    for (const QString& text : texts) {
        QPointer<FrmAudioEditorProc> w = convert();
        w->cAudioConverter1_Error(3, text);
        QLabel* l = w->lblCurrentTrack;
        const QString shown = text + QStringLiteral("(3)");
        ASSERT_EQ(l->text(), shown);
        const QFontMetrics fm(l->font());
        const QRect needed = fm.boundingRect(QRect(0, 0, l->width(), 100000), Qt::TextWordWrap, shown);
        EXPECT_TRUE(l->wordWrap() || fm.horizontalAdvance(shown) <= l->width()) << qPrintable(text);
        EXPECT_LE(needed.width(), l->width()) << qPrintable(text);
        EXPECT_LE(needed.height(), l->height()) << qPrintable(text);
        EXPECT_TRUE(w->rect().contains(l->geometry())) << qPrintable(text);
        EXPECT_TRUE(w->rect().contains(w->cmdAbort->geometry())) << qPrintable(text);
        EXPECT_GE(w->prgCurrnet->y(), l->geometry().bottom()) << qPrintable(text);
        EXPECT_GE(w->cmdAbort->y(), w->prgCurrnet->geometry().bottom()) << qPrintable(text);
        w->close();
        QTest::qWait(20);
    }
}

TEST_F(ConversionWindow, ProgressOfZeroLeavesTheBar)
{
    QPointer<FrmAudioEditorProc> w = convert();
    w->cAudioConverter1_Progress(40);
    w->cAudioConverter1_Progress(0);
    w->cAudioConverter1_Progress(-3);
    EXPECT_EQ(w->prgCurrnet->Value(), 40);
    EXPECT_EQ(w->lblCurrentTrack->text(), QStringLiteral("Preparing..."));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Preparing Audio Analyzer"));
}

}  // namespace
