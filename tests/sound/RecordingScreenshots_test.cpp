// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The recorder, the audio editor with a file loaded, the speech window and the conversion
// window as their user sees them, with the sound server's devices listed: no caption may be
// cut off by its control in the fonts this desktop has. With QM_SCREENSHOT_DIR set (run under
// Xvfb for a person to look at) each window is also saved there as a PNG.
#include "batchtools/cProgressBar.h"
#include "components/cAudioEditor.h"
#include "recording/FrmAudioEditor.h"
#include "recording/FrmAudioEditorProc.h"
#include "recording/FrmMicRecorder.h"
#include "recording/FrmWaveTTS.h"
#include "recording/RecordingWindows.h"
#include "tests/commands/CommandsFixture.h"
#include "tests/recording/FakeConverter.h"
#include "tests/sound/SoundFixtures.h"
#include "tests/support/PulseServer.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSignalSpy>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QtEndian>

#include <cmath>
#include <numbers>

namespace {

// Every visible caption whose text is wider or taller than the room its control gives it.
QStringList clippedCaptions(QWidget* window)
{
    QStringList clipped;
    const auto check = [&](QWidget* w, const QString& text, int room, int height) {
        if (text.isEmpty())
            return;
        const QFontMetrics fm(w->font());
        if (fm.horizontalAdvance(text) > room || fm.height() > height)
            clipped << QStringLiteral("%1 \"%2\": needs %3x%4, has %5x%6")
                           .arg(w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName(),
                                text)
                           .arg(fm.horizontalAdvance(text))
                           .arg(fm.height())
                           .arg(room)
                           .arg(height);
    };
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window))
            continue;
        if (auto* l = qobject_cast<QLabel*>(w); l && !l->wordWrap() && l->pixmap().isNull()) {
            check(l, l->text(), l->contentsRect().width(), l->contentsRect().height());
        } else if (auto* c = qobject_cast<QCheckBox*>(w)) {
            check(c, c->text(), c->width() - 20, c->height());
        } else if (auto* b = qobject_cast<QPushButton*>(w)) {
            check(b, b->text(), b->width() - 8, b->height() - 4);
        } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
            check(g, g->title(), g->width() - 16, g->height());
        }
    }
    return clipped;
}

// Seconds of plucked notes, stereo 16-bit: a wave with something to see.
QByteArray notes(double seconds)
{
    const int rate = 44100;
    const qint64 frames = static_cast<qint64>(seconds * rate);
    QByteArray pcm(static_cast<qsizetype>(frames * 4), '\0');
    const double pitches[] = {220.0, 277.2, 329.6, 246.9};
    for (qint64 i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / rate;
        const int note = static_cast<int>(t / 0.6) % 4;
        const double local = std::fmod(t, 0.6);
        const double v = 0.8 * std::exp(-4.0 * local) * std::sin(2 * std::numbers::pi * pitches[note] * t);
        const auto s = static_cast<qint16>(v * 32000);
        qToLittleEndian<qint16>(s, pcm.data() + i * 4);
        qToLittleEndian<qint16>(static_cast<qint16>(s / 2), pcm.data() + i * 4 + 2);
    }
    return pcm;
}

class RecordingPictures : public CommandsFixture {
protected:
    void SetUp() override
    {
        QString error;
        ASSERT_TRUE(PulseServer::Shared(&error)) << qPrintable(error);
        CommandsFixture::SetUp();
        g_lAppIncEditor = g_lAppIncMicRec = g_lAppIncTTS = 1;
        RegisterRecordingWindows();
        ProgramOptions.picColor = 8404992;  // the installer's first colours
        ProgramOptions.picTextColor = 16777215;
        openMain();  // the windows take their toolbar icons from it
    }
    void TearDown() override
    {
        FrmAudioEditorProc::converterFactory = nullptr;
        for (const char* key : {"Audio Analyser", "Audio Recorder", "Text To Speech"})
            ToolWindows::Register(QLatin1String(key), {});
        CommandsFixture::TearDown();
        g_lAppIncEditor = g_lAppIncMicRec = g_lAppIncTTS = 0;
    }
    // Shows the window, checks its captions and saves its picture when asked to.
    void look(QWidget* w, const char* name)
    {
        w->show();
        QTest::qWait(200);
        EXPECT_EQ(clippedCaptions(w), QStringList()) << name;
        const QPixmap shot = w->grab();
        ASSERT_FALSE(shot.isNull()) << name;
        const QString dir = qEnvironmentVariable("QM_SCREENSHOT_DIR");
        if (!dir.isEmpty()) {
            EXPECT_TRUE(shot.save(QDir(dir).filePath(QLatin1String(name) + QStringLiteral(".png")))) << name;
            // The whole screen too, once the window manager has framed the window.
            QTest::qWait(500);
            if (QScreen* screen = QGuiApplication::primaryScreen())
                screen->grabWindow(0).save(QDir(dir).filePath(QLatin1String(name) + QStringLiteral("-screen.png")));
        }
    }
};

TEST_F(RecordingPictures, RecorderWindow)
{
    FrmMicRecorder* w = g_frmMicRecorder.get();
    EXPECT_GT(w->cboDevices->count(), 0);
    w->prgMeter->Value(84);
    look(w, "recorder");
}

TEST_F(RecordingPictures, EditorWithAFileLoadedAndASelection)
{
    const QByteArray pcm = notes(6.5);
    const QString path = QDir(media).filePath(QStringLiteral("Harbour Walk.wav"));
    ASSERT_TRUE(soundfx::writeFile(path, soundfx::wavHeader(44100, 2, 16, pcm.size()) + pcm));
    FrmAudioEditor* e = g_frmAudioEditor.get();
    QSignalSpy progress(e->cAudioEditor1, &cAudioEditor::Progress);
    QSignalSpy info(e->cAudioEditor1, &cAudioEditor::FileInfo);
    e->txtWavFile(path);
    e->LoadEditorFile(path);
    e->Caption(QStringLiteral("Harbour Walk.wav"));
    ASSERT_TRUE(info.wait(5000));
    ASSERT_TRUE(PulseServer::waitUntil([&] { return !progress.isEmpty() && progress.last().at(0).toInt() == 100; }, 10000));
    QSignalSpy changed(e->cAudioEditor1, &cAudioEditor::SelectionChanged);
    e->cAudioEditor1->Select(44100 * 3 / 2, 44100 * 4);
    ASSERT_TRUE(changed.wait(2000));
    EXPECT_EQ(e->lblSelectedTime->text(), QStringLiteral("2500 ms [0:00:02]"));
    look(e, "editor");
}

TEST_F(RecordingPictures, SpeechWindow)
{
    // The installer's default target format, which the window follows.
    ASSERT_GT(frmOptions->cboTargetFormat->count(), 0);
    frmOptions->cboTargetFormat->setCurrentIndex(0);
    FrmWaveTTS* w = g_frmWaveTTS.get();
    EXPECT_EQ(w->cboTargetFormatList->currentText(), frmOptions->cboTargetFormat->currentText());
    EXPECT_GT(w->cboVoices->count(), 0);
    look(w, "speech");
}

TEST_F(RecordingPictures, ConversionWindowMidway)
{
    FakeConverter* fake = nullptr;
    FrmAudioEditorProc::converterFactory = [&fake] {
        auto c = std::make_unique<FakeConverter>(FakeConverter::Answer::Wait);
        fake = c.get();
        return c;
    };
    FrmAudioEditorProc* w = g_frmAudioEditorProc.get();
    w->ConvertFile(QDir(media).filePath(QStringLiteral("talk.mp3")), QDir(media).filePath(QStringLiteral("talk.wav")));
    ASSERT_TRUE(fake);
    w->show();
    QTest::qWait(50);
    emit fake->Progress(42);
    look(w, "conversion");
}

}  // namespace
