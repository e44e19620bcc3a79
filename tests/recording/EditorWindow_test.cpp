// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The audio editor window over the real editor component: what its "Save As" and "Add
// Selection" write is compared with the samples the window showed as selected; the toolbar's
// and the buttons' abort; the checks before a saved selection is handed to the items list.
#include "batchtools/cProgressBar.h"
#include "components/cAudioEditor.h"
#include "itemsgrid/ItemRow.h"
#include "mainwindow/cToolbar.h"
#include "recording/FrmAudioEditor.h"
#include "recording/RecordingWindows.h"
#include "tests/commands/CommandsFixture.h"
#include "tests/sound/SoundFixtures.h"
#include "tests/support/SmallDisk.h"
#include "tests/support/WavBytes.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QtEndian>


#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

namespace {

using wavbytes::dataChunk;
using wavbytes::noise;

class EditorWindow : public CommandsFixture {
protected:
    void SetUp() override
    {
        CommandsFixture::SetUp();
        g_lAppIncEditor = 1;
        RegisterRecordingWindows();
    }
    void TearDown() override
    {
        for (const char* key : {"Audio Analyser", "Audio Recorder", "Text To Speech"})
            ToolWindows::Register(QLatin1String(key), {});
        CommandsFixture::TearDown();
        g_lAppIncEditor = 0;
    }
    // A PCM file of noise; its data bytes are kept in `data`.
    QString writeWav(const QString& name, int rate, int channels, int bits, double seconds, QByteArray* data)
    {
        const qint64 frames = static_cast<qint64>(rate * seconds);
        *data = noise(frames * channels * bits / 8, static_cast<uint32_t>(rate + channels + bits));
        const QString path = QDir(media).filePath(name);
        EXPECT_TRUE(soundfx::writeFile(path, soundfx::wavHeader(rate, channels, bits, data->size()) + *data));
        return path;
    }
    // Loads the file as the "Audio Analyser" command does and waits for its facts.
    FrmAudioEditor* openEditor(const QString& path)
    {
        FrmAudioEditor* e = g_frmAudioEditor.get();
        QSignalSpy info(e->cAudioEditor1, &cAudioEditor::FileInfo);
        e->txtWavFile(path);
        e->LoadEditorFile(path);
        EXPECT_TRUE(info.wait(5000)) << qPrintable(path);
        return e;
    }
    static void clickTool(FrmAudioEditor* e, const char* key)
    {
        const long index = e->tlbrList->ButtonIndex(QLatin1String(key));
        ASSERT_GT(index, 0) << key;
        e->tlbrList->Click(index);
    }
    QString out(const QString& name) const { return QDir(media).filePath(name); }
};

TEST_F(EditorWindow, SaveAsWritesExactlyTheSelectionShown)
{
    struct Format {
        const char* name;
        int rate, channels, bits;
    } formats[] = {{"8-bit mono", 8000, 1, 8}, {"16-bit stereo", 44100, 2, 16}, {"24-bit stereo", 48000, 2, 24}};
    enum class Sel { Untouched, Drag1500To4000, OneSample };
    int n = 0;
    for (const Format& f : formats) {
        for (const Sel sel : {Sel::Untouched, Sel::Drag1500To4000, Sel::OneSample}) {
            ++n;
            const QString what = QString::fromLatin1(f.name) + QStringLiteral(" case %1").arg(static_cast<int>(sel));
            const int block = f.channels * f.bits / 8;
            QByteArray data;
            // 2.5 s untouched: the half second past the last whole one must be saved too.
            const double seconds = sel == Sel::Untouched ? 2.5 : 4.5;
            const QString path = writeWav(QStringLiteral("src%1.wav").arg(n), f.rate, f.channels, f.bits, seconds, &data);
            FrmAudioEditor* e = openEditor(path);
            qint64 from = 0, to = data.size() / block;
            if (sel == Sel::Untouched) {
                EXPECT_EQ(e->lblTimeEnd->text(), QStringLiteral("2000 ms [0:00:02]")) << qPrintable(what);
                EXPECT_EQ(e->lblNumOfSamples->text(), QString::number(to)) << qPrintable(what);
            } else {
                if (sel == Sel::Drag1500To4000) {
                    from = f.rate * 3 / 2;
                    to = f.rate * 4;
                } else {
                    from = f.rate + 7;
                    to = from + 1;
                }
                QSignalSpy changed(e->cAudioEditor1, &cAudioEditor::SelectionChanged);
                e->cAudioEditor1->Select(from, to);
                ASSERT_TRUE(changed.wait(2000)) << qPrintable(what);
                EXPECT_EQ(e->lblSamplesStart->text(), QString::number(from)) << qPrintable(what);
                EXPECT_EQ(e->lblSamplesEnd->text(), QString::number(to)) << qPrintable(what);
            }
            if (sel == Sel::Drag1500To4000) {
                EXPECT_EQ(e->lblTimeStart->text(), QStringLiteral("1500 ms [0:00:02]"));
                EXPECT_EQ(e->lblTimeEnd->text(), QStringLiteral("4000 ms [0:00:04]"));
                EXPECT_EQ(e->lblSelectedTime->text(), QStringLiteral("2500 ms [0:00:02]"));
            }
            const QString saved = out(QStringLiteral("saved%1.wav").arg(n));
            dialogs.saveAs(saved);
            QSignalSpy done(e->cAudioEditor1, &cAudioEditor::Done);
            clickTool(e, "Save Selection");
            // Complete when the save returns; the buttons wait for Done.
            ASSERT_TRUE(QFileInfo::exists(saved)) << qPrintable(what);
            EXPECT_FALSE(e->cmdAddSelection->isEnabled());
            EXPECT_FALSE(e->tlbrList->ButtonEnabled(QStringLiteral("Save Selection")));
            ASSERT_TRUE(done.wait(2000)) << qPrintable(what);
            EXPECT_TRUE(e->cmdAddSelection->isEnabled());
            EXPECT_TRUE(e->tlbrList->ButtonEnabled(QStringLiteral("Save Selection")));
            const auto got = dataChunk(saved);
            ASSERT_TRUE(got) << qPrintable(what);
            EXPECT_EQ(got->size(), (to - from) * block) << qPrintable(what);
            EXPECT_TRUE(*got == data.mid(from * block, (to - from) * block)) << qPrintable(what);
            // The file shown is never written.
            EXPECT_EQ(dataChunk(path), data) << qPrintable(what);
            e->cmdExit_Click();
        }
    }
    ASSERT_FALSE(dialogs.requests.isEmpty());
    EXPECT_EQ(dialogs.requests.last().title, QStringLiteral("Save Selection As"));
}

// Save As onto a disk that fills: the user is told why, the bar no longer shows a finish, and
// both save controls work again; nothing half-written is left.
TEST_F(EditorWindow, SaveAsOntoAFullDiskSaysWhyAndGivesTheControlsBack)
{
    const QString small = out(QStringLiteral("small"));
    const smalldisk::SmallDisk disk(small, "64k");
    if (!disk.mounted())
        GTEST_SKIP() << disk.refusal();

    QByteArray data;
    const QString source = writeWav(QStringLiteral("big.wav"), 44100, 2, 16, 2.5, &data);
    FrmAudioEditor* e = g_frmAudioEditor.get();
    // The outline's own load ends with a full bar too; let it finish first, or its 100 lands
    // after the failed save and hides what the save did to the bar.
    QSignalSpy loaded(e->cAudioEditor1, &cAudioEditor::Progress);
    openEditor(source);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !loaded.isEmpty() && loaded.last().at(0).toInt() == 100; }, 5000));
    e->prgCurrnet->Value(100);  // as a save before this one left it
    const QString target = small + QStringLiteral("/cut.wav");
    dialogs.saveAs(target);
    QSignalSpy failed(e->cAudioEditor1, &cAudioEditor::Error);
    clickTool(e, "Save Selection");
    ASSERT_TRUE(failed.wait(3000));
    ASSERT_EQ(box.shown.size(), 1);
    const QString prompt = box.shown.first().prompt;
    EXPECT_TRUE(prompt.contains(target)) << qPrintable(prompt);
    EXPECT_TRUE(prompt.contains(QString::fromLocal8Bit(std::strerror(ENOSPC)))) << qPrintable(prompt);
    EXPECT_TRUE(e->tlbrList->ButtonEnabled(QStringLiteral("Save Selection")));
    EXPECT_TRUE(e->cmdAddSelection->isEnabled());
    EXPECT_EQ(e->prgCurrnet->Value(), 0);
    EXPECT_TRUE(QDir(small).entryList(QDir::Files | QDir::Hidden).isEmpty());

    // The controls really work again: the next save, to a disk with room, succeeds.
    box.shown.clear();
    const QString roomy = out(QStringLiteral("roomy.wav"));
    dialogs.saveAs(roomy);
    QSignalSpy done(e->cAudioEditor1, &cAudioEditor::Done);
    clickTool(e, "Save Selection");
    ASSERT_TRUE(done.wait(3000));
    EXPECT_TRUE(box.shown.isEmpty());
    EXPECT_EQ(dataChunk(roomy), data);
    e->cmdExit_Click();
}

TEST_F(EditorWindow, AddSelectionChecksAndHandsOnTheFileJustSaved)
{
    const QString list = makeList(QStringLiteral("Edits"), makeWavs(1), {QStringLiteral("1")});
    FrmMain* f = openMain();
    openList(f, list);
    ASSERT_EQ(f->cGrid1->Rows(), 1);
    QByteArray data;
    const QString source = writeWav(QStringLiteral("shown.wav"), 8000, 1, 8, 1.5, &data);

    // A cancelled dialog ends it quietly.
    FrmAudioEditor* e = openEditor(source);
    dialogs.cancelSave();
    e->cmdAddSelection_Click();
    EXPECT_TRUE(box.shown.isEmpty()) << qPrintable(box.shown.value(0).prompt);
    EXPECT_TRUE(e->cmdAddSelection->isEnabled());
    EXPECT_TRUE(g_frmAudioEditor.isLoaded());

    // The save fails although the file shown is there: its own error is shown, nothing is
    // added and the window stays open.
    const QString nowhere = QDir(media).filePath(QStringLiteral("no-folder/cut.wav"));
    dialogs.saveAs(nowhere);
    QSignalSpy failed(e->cAudioEditor1, &cAudioEditor::Error);
    e->cmdAddSelection_Click();
    ASSERT_TRUE(failed.wait(2000));
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_TRUE(box.shown.first().prompt.contains(nowhere)) << qPrintable(box.shown.first().prompt);
    EXPECT_EQ(f->cGrid1->Rows(), 1);
    EXPECT_TRUE(g_frmAudioEditor.isLoaded());
    EXPECT_TRUE(e->cmdAddSelection->isEnabled());

    // A good save: that file becomes the new row and the window closes once the save is done.
    box.shown.clear();
    const QString cut = out(QStringLiteral("cut.wav"));
    dialogs.saveAs(cut);
    e->cmdAddSelection_Click();
    ASSERT_TRUE(QTest::qWaitFor([] { return !g_frmAudioEditor.isLoaded(); }, 3000));
    EXPECT_TRUE(box.shown.isEmpty()) << qPrintable(box.shown.value(0).prompt);
    ASSERT_EQ(f->cGrid1->Rows(), 2);
    EXPECT_EQ(cell(f->cGrid1, 2, COL_FILE), cut);
    EXPECT_EQ(dataChunk(cut), data);
}

// "Save As" over the file the editor shows: the file becomes the selection, and the editor and
// the items list show it as it now is, so the next selection is one of the file as it stands.
// A selection the file no longer holds (written over behind the editor's back) saves nothing
// and says so, naming the file; it never gives an empty file.
TEST_F(EditorWindow, SaveAsOverTheFileShownShowsItAnewAndNeverSavesLessThanSelected)
{
    QByteArray data;
    const QString shown = writeWav(QStringLiteral("ten.wav"), 44100, 2, 16, 10.0, &data);
    const int block = 4;
    const QString list = makeList(QStringLiteral("Takes"), {shown}, {QStringLiteral("1")});
    FrmMain* f = openMain();
    openList(f, list);
    ASSERT_EQ(f->cGrid1->Rows(), 1);
    EXPECT_EQ(cell(f->cGrid1, 1, ItemRow::COL_TIME), QStringLiteral("00:00:10"));

    FrmAudioEditor* e = openEditor(shown);
    ASSERT_EQ(e->lblNumOfSamples->text(), QStringLiteral("441000"));
    QSignalSpy changed(e->cAudioEditor1, &cAudioEditor::SelectionChanged);
    e->cAudioEditor1->Select(66150, 176400);  // 1.5 s to 4 s
    ASSERT_TRUE(changed.wait(2000));
    QSignalSpy info(e->cAudioEditor1, &cAudioEditor::FileInfo);
    dialogs.saveAs(shown);
    clickTool(e, "Save Selection");
    ASSERT_TRUE(info.wait(3000));
    EXPECT_TRUE(box.shown.isEmpty()) << qPrintable(box.shown.value(0).prompt);
    const QByteArray kept = data.mid(66150 * block, 110250 * block);
    EXPECT_EQ(dataChunk(shown), kept);
    // The facts, the whole-file selection and the items list's row are the 2.5 s file's.
    EXPECT_EQ(e->lblNumOfSamples->text(), QStringLiteral("110250"));
    EXPECT_EQ(e->lblSamplesEnd->text(), QStringLiteral("110250"));
    EXPECT_EQ(e->lblLength->text(), QStringLiteral("0:00:02"));
    EXPECT_EQ(cell(f->cGrid1, 1, ItemRow::COL_TIME), QStringLiteral("00:00:02"));
    EXPECT_EQ(f->cGrid1->Cell(1, f->cGrid1->ColumnIndex(COL_BYTES_SIZE)).Value().toLongLong(), QFileInfo(shown).size());

    // A drag to the far right ends at the new end, and that selection is saved whole.
    changed.clear();
    e->cAudioEditor1->Select(88200, 441000);
    ASSERT_TRUE(changed.wait(2000));
    EXPECT_EQ(e->lblSamplesEnd->text(), QStringLiteral("110250"));
    const QString tail = out(QStringLiteral("tail.wav"));
    dialogs.saveAs(tail);
    QSignalSpy done(e->cAudioEditor1, &cAudioEditor::Done);
    clickTool(e, "Save Selection");
    ASSERT_TRUE(done.wait(2000));
    EXPECT_EQ(dataChunk(tail), kept.mid(88200 * block));

    // The file shown is written over by another program; a selection past its new end is
    // refused, naming the file, and no file is made.
    changed.clear();
    e->cAudioEditor1->Select(88200, 100000);
    ASSERT_TRUE(changed.wait(2000));
    const QString replacement = out(QStringLiteral("one second.wav"));
    ASSERT_TRUE(soundfx::writeFile(replacement, soundfx::wavHeader(44100, 2, 16, 44100 * block) + kept.left(44100 * block)));
    ASSERT_EQ(::rename(QFile::encodeName(replacement).constData(), QFile::encodeName(shown).constData()), 0);
    const QString late = out(QStringLiteral("late.wav"));
    dialogs.saveAs(late);
    QSignalSpy failed(e->cAudioEditor1, &cAudioEditor::Error);
    clickTool(e, "Save Selection");
    ASSERT_TRUE(failed.wait(2000));
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_TRUE(box.shown.first().prompt.contains(shown)) << qPrintable(box.shown.first().prompt);
    EXPECT_TRUE(box.shown.first().prompt.contains(late)) << qPrintable(box.shown.first().prompt);
    EXPECT_FALSE(QFileInfo::exists(late));
    EXPECT_TRUE(e->cmdAddSelection->isEnabled());
    EXPECT_TRUE(e->tlbrList->ButtonEnabled(QStringLiteral("Save Selection")));
    e->cmdExit_Click();
}

// "Add Selection" onto a file that is there already, on a disk too small for the selection:
// the save fails and leaves the older file standing. That file is not what the user selected,
// so nothing reaches the items list and the editor stays open for another try.
TEST_F(EditorWindow, AddSelectionAddsNothingWhenItsSaveFailsOverAnOlderFile)
{
    const QString small = out(QStringLiteral("small"));
    const smalldisk::SmallDisk disk(small, "64k");
    if (!disk.mounted())
        GTEST_SKIP() << disk.refusal();

    const QString list = makeList(QStringLiteral("Edits"), makeWavs(1), {QStringLiteral("1")});
    FrmMain* f = openMain();
    openList(f, list);
    ASSERT_EQ(f->cGrid1->Rows(), 1);
    QByteArray data;
    const QString source = writeWav(QStringLiteral("shown.wav"), 44100, 2, 16, 2.5, &data);
    const QString target = small + QStringLiteral("/cut.wav");
    const QByteArray older = soundfx::wavHeader(8000, 1, 8, 4000) + noise(4000, 7);
    ASSERT_TRUE(soundfx::writeFile(target, older));

    FrmAudioEditor* e = openEditor(source);
    dialogs.saveAs(target);
    QSignalSpy failed(e->cAudioEditor1, &cAudioEditor::Error);
    e->cmdAddSelection->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !failed.isEmpty() || !g_frmAudioEditor.isLoaded(); }, 3000));
    QTest::qWait(100);  // anything the failure set off has run
    EXPECT_EQ(f->cGrid1->Rows(), 1);
    EXPECT_NE(cell(f->cGrid1, f->cGrid1->Rows(), COL_FILE).toStdString(), target.toStdString());
    ASSERT_TRUE(g_frmAudioEditor.isLoaded());
    ASSERT_EQ(failed.size(), 1);
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_TRUE(box.shown.first().prompt.contains(QString::fromLocal8Bit(std::strerror(ENOSPC)))) << qPrintable(box.shown.first().prompt);
    EXPECT_TRUE(e->cmdAddSelection->isEnabled());
    QFile kept(target);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_TRUE(kept.readAll() == older);

    // The window still works: the same add to a disk with room hands on the new file.
    box.shown.clear();
    const QString roomy = out(QStringLiteral("roomy.wav"));
    dialogs.saveAs(roomy);
    e->cmdAddSelection->click();
    ASSERT_TRUE(QTest::qWaitFor([] { return !g_frmAudioEditor.isLoaded(); }, 3000));
    EXPECT_TRUE(box.shown.isEmpty()) << qPrintable(box.shown.value(0).prompt);
    ASSERT_EQ(f->cGrid1->Rows(), 2);
    EXPECT_EQ(cell(f->cGrid1, 2, COL_FILE), roomy);
    EXPECT_EQ(dataChunk(roomy), data);
}

TEST_F(EditorWindow, ToolbarAbortAbortsLikeTheButtonAndExitAbortsFirst)
{
    // An hour of silence as a sparse file: its outline takes long enough to be aborted.
    const QString hour = out(QStringLiteral("hour.wav"));
    {
        QFile f(hour);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        const qint64 bytes = qint64(44100) * 4 * 3600;
        f.write(soundfx::wavHeader(44100, 2, 16, bytes));
        ASSERT_TRUE(f.resize(44 + bytes));
    }
    for (const char* how : {"toolbar", "button"}) {
        FrmAudioEditor* e = openEditor(hour);
        EXPECT_EQ(e->lblLength->text(), QStringLiteral("1:00:00")) << how;
        QSignalSpy aborted(e->cAudioEditor1, &cAudioEditor::Aborted);
        e->tlbrList->ButtonEnabled(QStringLiteral("Play"), false);  // as after a play
        if (QLatin1String(how) == QLatin1String("toolbar"))
            clickTool(e, "Abort");
        else
            e->cmdAbort->click();
        ASSERT_TRUE(aborted.wait(3000)) << how;
        EXPECT_TRUE(e->tlbrList->ButtonEnabled(QStringLiteral("Play"))) << how;
        EXPECT_TRUE(g_frmAudioEditor.isLoaded()) << how;
        e->cmdExit_Click();
        EXPECT_FALSE(g_frmAudioEditor.isLoaded()) << how;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // Exit while the outline builds: aborted and closed, with nothing left running.
    FrmAudioEditor* e = openEditor(hour);
    const QPointer<cAudioEditor> component(e->cAudioEditor1);
    e->cmdExit->click();
    EXPECT_FALSE(g_frmAudioEditor.isLoaded());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(component);
}

}  // namespace
