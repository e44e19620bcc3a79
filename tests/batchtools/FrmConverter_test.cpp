// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The converter window over a scripted converter: loading, the settings links, and the task as
// its user sees it (log, labels, caption, bars, end-of-task actions).
#include "tests/batchtools/ConverterFixture.h"

#include "foundation/FrmTurnOff.h"
#include "mainwindow/cStatusBar.h"
#include "platform/EndSound.h"
#include "platform/PowerOff.h"
#include "settings/FrmOptions.h"
#include "settings/controls/LinkLabel.h"
#include "settings/controls/cTabControl.h"
#include "tests/support/FakePower.h"

#include <QCheckBox>
#include <QTabBar>
#include <QTest>
#include <QTimer>

namespace {

const QString kTitle = QStringLiteral("Quillmere 1.2");

// An end sound that records what it was asked to play.
class FakeEndSound final : public platform::EndSoundService {
public:
    explicit FakeEndSound(QStringList* order) : m_order(order) { platform::setEndSoundService(this); }
    ~FakeEndSound() override { platform::setEndSoundService(nullptr); }
    void play(const QString& path) override { *m_order << QStringLiteral("sound:") + path; }
    void stop() override {}

private:
    QStringList* m_order;
};

TEST_F(ConverterTest, LoadsWithItsOwnControlsAndTheHandOver)
{
    ProgramOptions.chkNoticeApp = true;
    FrmConverter* w = openConverter(3);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Audio Converter"));
    EXPECT_EQ(w->lblTitle->text(), QStringLiteral("Audio Converter"));
    EXPECT_EQ(w->cmdConvert->text(), QStringLiteral("Convert"));
    EXPECT_TRUE(w->cmdConvert->font().bold());
    EXPECT_EQ(w->lblCurrentTrack->text(), QStringLiteral("Ready."));
    EXPECT_EQ(w->lblTimeLeft->text(), QStringLiteral("Time Left: 00:00:00"));
    EXPECT_EQ(w->lblFilesToConvert->text(), QStringLiteral("3 items to convert."));
    EXPECT_EQ(w->chkNoticeApp->text(), QStringLiteral("Execute external program "));
    EXPECT_TRUE(w->chkNoticeApp->isChecked());
    EXPECT_EQ(w->chkPlaySound->text(), QStringLiteral("Play a sound"));
    EXPECT_EQ(w->chkOverWrite->text(), QStringLiteral("Overwrite existing files"));
    EXPECT_FALSE(w->chkOverWrite->isChecked());
    EXPECT_EQ(w->cStatusBar1->StatusPanelText(QStringLiteral("Total Size")), QStringLiteral("Total Time: 0:00:03"));
    EXPECT_EQ(w->txtUndeForlder->text(), QStringLiteral("Songs"));
    EXPECT_FALSE(w->txtUndeForlder->isEnabled());
    EXPECT_EQ(w->width(), 545);  // 8175 twips
    EXPECT_EQ(w->height(), 502);

    ASSERT_EQ(w->cTabControl1->TabCount(), 3);
    EXPECT_EQ(w->cTabControl1->tabBar()->tabText(0), QStringLiteral("Converter        "));
    EXPECT_EQ(w->cTabControl1->tabBar()->tabText(1), QStringLiteral("Events        "));
    EXPECT_EQ(w->cTabControl1->tabBar()->tabText(2), QStringLiteral("Log             "));
    EXPECT_TRUE(w->TabSettings->isVisibleTo(w));

    // The items are in the hidden grid; the estimate counts against their total.
    EXPECT_FALSE(w->cGrid1->isVisibleTo(w));
    ASSERT_EQ(w->cGrid1->Rows(), 3);
    EXPECT_EQ(gridCell(w, 2, COL_FILE), QDir(sourceFolder).filePath(QStringLiteral("src2.wav")));
    EXPECT_EQ(w->g_ltmrItemSecsTotal, 3);
    EXPECT_EQ(w->m_ltmrTicks, 0);
    EXPECT_EQ(w->m_ltmrSecsFinished, 0);
    EXPECT_EQ(w->Timer1->interval(), 1000);
    EXPECT_FALSE(w->Timer1->isActive());

    // The six built-in templates, the second chosen when no default is stored.
    const QStringList templates{QStringLiteral("[file_name].[dest_extension]"),
                                QStringLiteral("[file_name].[source_extension].[dest_extension]"),
                                QStringLiteral("[file_name]_[123].[dest_extension]"),
                                QStringLiteral("[file_name]_[123].[source_extension].[dest_extension]"),
                                QStringLiteral("[123].[dest_extension]"),
                                QStringLiteral("[123].[source_extension].[dest_extension]")};
    QStringList shown;
    for (int i = 0; i < w->cboFileName->count(); ++i)
        shown << w->cboFileName->itemText(i);
    EXPECT_EQ(shown, templates);
    EXPECT_EQ(w->cboFileName->currentIndex(), 1);
    EXPECT_FALSE(w->cboFileName->isEditable());
    EXPECT_TRUE(w->lblSetAsDefaultFileName->isEnabled());
    EXPECT_EQ(w->lblSetAsDefaultFileName->toolTip(), QStringLiteral("Set as default file name format"));
}

TEST_F(ConverterTest, TheSkinColourReachesTheOverwriteBoxToo)
{
    const QString saved = g_sAppBackColor;
    g_sAppBackColor = QStringLiteral("255");  // red, as the options keep colours
    FrmConverter* w = g_frmConverter.get();
    for (QCheckBox* c : {w->chkOverWrite, w->chkCreateSubFolder, w->chkNoticeApp}) {
        EXPECT_TRUE(c->autoFillBackground()) << c->objectName().toStdString();
        EXPECT_EQ(c->palette().color(QPalette::Window), QColor(255, 0, 0)) << c->objectName().toStdString();
    }
    g_frmConverter.unload();
    g_sAppBackColor = QStringLiteral("no number");
    EXPECT_FALSE(g_frmConverter->chkOverWrite->autoFillBackground());
    g_sAppBackColor = saved;
}

TEST_F(ConverterTest, FileNameTemplatesFromTheFileAndTheStoredDefault)
{
    struct Case {
        QByteArray file;  // empty: no file
        QString stored;
        int selected;
        bool linkEnabled;
        int count;
    };
    const Case cases[] = {
        {"first [123]\r\n\r\nsecond [file_name]\r\n", QString(), 1, true, 2},
        {"only [123]\n", QString(), -1, true, 1},
        {QByteArray(), QStringLiteral("[123].[dest_extension]"), 4, false, 6},
        {QByteArray(), QStringLiteral("no such template"), -1, true, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.toStdString() + " / " + c.stored.toStdString());
        QFile::remove(FileNameFormatsPath());
        if (!c.file.isEmpty()) {
            ASSERT_TRUE(fixtures::writeFile(FileNameFormatsPath(), c.file));
        }
        ProgramOptions.cboFileName = c.stored;
        FrmConverter* w = g_frmConverter.get();
        EXPECT_EQ(w->cboFileName->count(), c.count);
        EXPECT_EQ(w->cboFileName->currentIndex(), c.selected);
        EXPECT_EQ(w->lblSetAsDefaultFileName->isEnabled(), c.linkEnabled);
        g_frmConverter.unload();
    }

    // "Set as default" stores the template in the settings and the options window.
    QFile::remove(FileNameFormatsPath());
    ProgramOptions.cboFileName.clear();
    FrmConverter* w = g_frmConverter.get();
    w->cboFileName->setCurrentIndex(3);
    EXPECT_TRUE(w->lblSetAsDefaultFileName->isEnabled());
    w->lblSetAsDefaultFileName_Click();
    EXPECT_FALSE(w->lblSetAsDefaultFileName->isEnabled());
    const QString chosen = w->cboFileName->itemText(3);
    EXPECT_EQ(ProgramOptions.cboFileName, chosen);
    EXPECT_EQ(frmOptions->cboFileName->currentText(), chosen);
    reg.Subkey(QStringLiteral("General"));
    EXPECT_EQ(reg.GetRegistryValue(QStringLiteral("cboFileName")).toString(), chosen);
    w->cboFileName->setCurrentIndex(0);
    EXPECT_TRUE(w->lblSetAsDefaultFileName->isEnabled());
    w->cboFileName->setCurrentIndex(3);
    EXPECT_FALSE(w->lblSetAsDefaultFileName->isEnabled());
}

TEST_F(ConverterTest, ATaskFromStartToDoneAndASecondOne)
{
    FrmConverter* w = openConverter(3);
    ASSERT_NE(w, nullptr);
    FakeConverter* conv = fake(w);
    selectFormat(w, "MP3");
    w->cboFileName->setCurrentIndex(2);  // "[file_name]_[123].[dest_extension]"
    setGridCell(w, 2, COL_RANGE_ALL, QStringLiteral("0"));
    setGridCell(w, 2, COL_RANGE_START_TIME, QStringLiteral("30"));
    setGridCell(w, 2, COL_RANGE_LENGTH_TIME, QStringLiteral("45"));
    for (long r = 1; r <= 3; ++r) {
        setGridCell(w, r, COL_TAG_TRACK, QStringLiteral("[TRACK_NUM]"));
        setGridCell(w, r, COL_TAG_TITLE, QStringLiteral("[SOURCE_NAME] by [PROG_NAME]"));
    }
    conv->script = {FakeConverter::done(), FakeConverter::hold()};

    w->cmdConvert_Click();
    EXPECT_TRUE(w->TabLog->isVisibleTo(w));
    EXPECT_FALSE(w->cmdConvert->isEnabled());
    EXPECT_FALSE(w->cmdExit->isEnabled());
    EXPECT_EQ(w->prgTotal->Max(), 300);
    EXPECT_EQ(conv->calls.mid(0, 2), (QStringList{"OutputFormat 3", "SetMp3Format"}));
    drain();
    // Row 2 holds at 30%: the caption shows both percentages.
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Converting... [ 30% / 43.3333333333333% ]"));
    EXPECT_EQ(w->lblFilesToConvert->text(), QStringLiteral("Files: 2/3"));
    EXPECT_EQ(w->lblCurrentTrack->text(), QStringLiteral("src2.wav"));
    // Closing is refused meanwhile.
    w->cmdExit_Click();
    EXPECT_TRUE(g_frmConverter.isLoaded());
    w->close();
    EXPECT_TRUE(g_frmConverter.isLoaded());

    conv->release(FakeConverter::done());
    drain();
    const QStringList first{QStringLiteral("Preparing to convert: 3 tracks."), QStringLiteral("Destination format: MP3"),
                            QStringLiteral("Start to convert: src1.wav..."),  QStringLiteral("Done."),
                            QStringLiteral("Start to convert: src2.wav..."),  QStringLiteral("Done."),
                            QStringLiteral("Start to convert: src3.wav..."),  QStringLiteral("Done.")};
    EXPECT_EQ(logLines(w), first);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Done."));
    EXPECT_EQ(w->lblCurrentTrack->text(), QStringLiteral("Done."));
    EXPECT_EQ(w->prgTotal->Value(), 300);
    EXPECT_EQ(w->prgCurrnet->Value(), 100);
    EXPECT_TRUE(w->cmdConvert->isEnabled());
    EXPECT_FALSE(w->Timer1->isActive());
    EXPECT_EQ(balloons, QStringList{QStringLiteral("Done.|") + kTitle});

    ASSERT_EQ(conv->started.size(), 3);
    const QString out = outFolder + QLatin1Char('/');
    EXPECT_EQ(conv->started[0].output, out + QStringLiteral("src1_1.mp3"));
    EXPECT_EQ(conv->started[1].output, out + QStringLiteral("src2_2.mp3"));
    EXPECT_EQ(conv->started[2].output, out + QStringLiteral("src3_3.mp3"));
    EXPECT_EQ(conv->started[1].rangeStart, 30);
    EXPECT_EQ(conv->started[1].rangeLength, 45);
    EXPECT_EQ(conv->started[2].rangeStart, -1);  // a whole row after a ranged one
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(conv->started[i].track, QString::number(i + 1));
        EXPECT_EQ(conv->started[i].title, QStringLiteral("src%1.wav by Quillmere").arg(i + 1));
    }
    EXPECT_EQ(w->m_ltmrSecsFinished, 1 + 45 + 1);

    // A second task: an empty line, then every row again from the first; a failed row is shown
    // in the label and caption, and the end says that a row failed instead of "Done.".
    conv->script = {FakeConverter::done(), FakeConverter::error(2, QStringLiteral("Cannot read src2.wav"))};
    w->cmdConvert_Click();
    EXPECT_EQ(w->m_ltmrSecsFinished, 0);
    EXPECT_EQ(w->m_ltmrTicks, 1);
    drain();
    QStringList both = first;
    both << QString() << QStringLiteral("Preparing to convert: 3 tracks.") << QStringLiteral("Destination format: MP3")
         << QStringLiteral("Start to convert: src1.wav...") << QStringLiteral("Done.")
         << QStringLiteral("Start to convert: src2.wav...") << QStringLiteral("Error: Cannot read src2.wav(2)")
         << QStringLiteral("Start to convert: src3.wav...") << QStringLiteral("Done.")
         << QStringLiteral("1 of 3 failed. The log has the reasons.");
    EXPECT_EQ(logLines(w), both);
    EXPECT_EQ(w->m_bConvertError, -1);
    const QString failed = QStringLiteral("1 of 3 failed. The log has the reasons.");
    EXPECT_EQ(w->windowTitle(), failed);
    EXPECT_EQ(w->lblCurrentTrack->text(), failed);
    EXPECT_EQ(balloons, (QStringList{QStringLiteral("Done.|") + kTitle, failed + QLatin1Char('|') + kTitle}));
    EXPECT_EQ(conv->started.size(), 6);
}

TEST_F(ConverterTest, AbortAndOverwriteQuestionsThroughTheWindow)
{
    FrmConverter* w = openConverter(3);
    ASSERT_NE(w, nullptr);
    FakeConverter* conv = fake(w);
    selectFormat(w, "WAV");
    w->cboFileName->setCurrentIndex(0);  // "[file_name].[dest_extension]"
    ASSERT_TRUE(fixtures::writeFile(outFolder + QStringLiteral("/src1.wav"), "kept"));
    conv->script = {FakeConverter::hold()};

    // No to the existing file, then Abort answered No and then Yes while row 2 runs.
    box.answer(platform::vbNo);
    w->cmdConvert_Click();
    drain();
    ASSERT_EQ(conv->started.size(), 1);
    EXPECT_EQ(QFileInfo(conv->started[0].input).fileName(), QStringLiteral("src2.wav"));
    EXPECT_EQ(box.shown[0].prompt, QStringLiteral("The file: '") + outFolder +
                                       QStringLiteral("/src1.wav' already exists.\r\n\r\nOverwrite it?"));
    box.answer(platform::vbNo);
    w->cmdAbort_Click();
    EXPECT_FALSE(conv->calls.contains(QStringLiteral("Abort")));
    EXPECT_TRUE(w->Timer1->isActive());
    box.answer(platform::vbYes);
    w->cmdAbort_Click();
    EXPECT_TRUE(conv->calls.contains(QStringLiteral("Abort")));
    EXPECT_FALSE(w->Timer1->isActive());
    EXPECT_EQ(balloons, QStringList{QStringLiteral("Aborted.|") + kTitle});
    drain();
    EXPECT_EQ(w->lblCurrentTrack->text(), QStringLiteral("Aborted."));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Aborted."));
    EXPECT_EQ(logLines(w).mid(2), (QStringList{"Start to convert: src1.wav...", "File already exists.",
                                               "Start to convert: src2.wav...", "Aborted."}));
    EXPECT_TRUE(w->cmdExit->isEnabled());
    EXPECT_EQ(conv->started.size(), 1);
    EXPECT_EQ(fixtures::readFile(outFolder + QStringLiteral("/src1.wav")), QByteArray("kept"));

    // Abort with no task: no question.
    const qsizetype asked = box.shown.size();
    w->cmdAbort_Click();
    EXPECT_EQ(box.shown.size(), asked);
    // Idle now, the window closes and lets go of its converter.
    w->cmdExit_Click();
    EXPECT_FALSE(g_frmConverter.isLoaded());
}

TEST_F(ConverterTest, SubFolderIsMadeAndEndActionsRunInOrderWithoutTheTurnOffAfterAnError)
{
    ProgramOptions.txtPlayAtEnd = QStringLiteral("/sounds/end.wav");
    ProgramOptions.txtAppNotice = QStringLiteral("notify-prog --from \"[PROG_NAME]\"");
    FakePower power;
    QStringList order;
    FakeEndSound sound(&order);
    class OrderShell final : public FakeShell {
    public:
        explicit OrderShell(QStringList& order) : m_order(order) {}
        bool open(const QString& t) override
        {
            m_order << QStringLiteral("folder:") + t;
            return FakeShell::open(t);
        }
        bool startProgram(const QString& p, const QStringList& a, const QString& wf) override
        {
            m_order << QStringLiteral("notice:") + p + QLatin1Char(' ') + a.join(QLatin1Char('|'));
            return FakeShell::startProgram(p, a, wf);
        }
        QStringList& m_order;
    } orderShell(order);

    FrmConverter* w = openConverter(2);
    ASSERT_NE(w, nullptr);
    FakeConverter* conv = fake(w);
    w->chkCreateSubFolder->setChecked(true);
    w->CheckUnderFolderEna();
    w->txtUndeForlder->setText(QStringLiteral("Lists"));
    for (QCheckBox* c : {w->chkPlaySound, w->chkOpenDestFolder, w->chkNoticeApp, w->chkTurnOffComputer})
        c->setChecked(true);
    auto closeCountDown = [&] {
        if (FrmTurnOff* t = g_frmTurnOff.loaded()) {
            order << QStringLiteral("countdown");
            t->cmdCancel_Click();
        }
    };
    QTimer countDown;
    QObject::connect(&countDown, &QTimer::timeout, closeCountDown);
    countDown.start(10);

    w->cmdConvert_Click();
    EXPECT_TRUE(QFileInfo(outFolder + QStringLiteral("/Lists")).isDir());
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->cmdConvert->isEnabled() && order.contains("countdown"); }, 5000));
    const QString folder = outFolder + QStringLiteral("/Lists/");
    EXPECT_EQ(order, (QStringList{QStringLiteral("sound:/sounds/end.wav"), QStringLiteral("folder:") + folder,
                                  QStringLiteral("notice:notify-prog --from|Quillmere"), QStringLiteral("countdown")}));
    EXPECT_TRUE(conv->started[0].output.startsWith(folder));
    EXPECT_EQ(power.powerOffCalls, 0);

    // Every row fails: the end says so, the other actions run, the computer stays on.
    order.clear();
    conv->script = {FakeConverter::error(1, QStringLiteral("a")), FakeConverter::error(1, QStringLiteral("b"))};
    w->cmdConvert_Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->cmdConvert->isEnabled(); }, 5000));
    QTest::qWait(50);
    EXPECT_EQ(w->lblCurrentTrack->text(), QStringLiteral("2 of 2 failed. The log has the reasons."));
    EXPECT_EQ(order.size(), 3);
    EXPECT_FALSE(order.contains(QStringLiteral("countdown")));
    EXPECT_EQ(power.powerOffCalls, 0);
    EXPECT_TRUE(platform::powerOffForbidden());
}

TEST_F(ConverterTest, TheTimeLeftFollowsTheRows)
{
    FrmConverter* w = openConverter(2, 60);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->g_ltmrItemSecsTotal, 120);
    FakeConverter* conv = fake(w);
    conv->script = {{FakeConverter::Outcome::Hold, 0, {}, {25}}};
    w->cmdConvert_Click();
    drain();
    EXPECT_TRUE(w->Timer1->isActive());
    EXPECT_EQ(w->m_ltmrItemSecs, 60);
    EXPECT_EQ(w->m_ltmrItemSecsDone, 15);
    w->m_ltmrTicks = 4;
    w->Timer1_Timer();  // 5 s for 15 s of audio: 105 s of audio take 35 s
    EXPECT_EQ(w->lblTimeLeft->text(), QStringLiteral("Time Left: 00:00:35"));
    // The real timer ticks too.
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->m_ltmrTicks >= 6; }, 5000));
    EXPECT_EQ(w->lblTimeLeft->text(), QStringLiteral("Time Left: 00:00:42"));
}

}  // namespace
