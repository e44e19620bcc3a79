// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The ACM converter window over a probing fake converter: loading, the codec lists as the
// command and the user drive them, the hand-over of the chosen pair, and the run as its user
// sees it (log, labels, caption, end-of-task actions).
#include "tests/batchtools/AcmConverterFixture.h"

#include "foundation/FrmTurnOff.h"
#include "mainwindow/cStatusBar.h"
#include "platform/EndSound.h"
#include "platform/PowerOff.h"
#include "settings/OutputFormatOptions.h"
#include "settings/controls/LinkLabel.h"
#include "settings/controls/cTabControl.h"
#include "tests/support/FakePower.h"

#include <QCheckBox>
#include <QTabBar>
#include <QTest>
#include <QTimer>

namespace {

using Listing = FakeProbeConverter::TagListing;
constexpr long kConvertible = 0x00100000;
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

TEST_F(AcmConverterTest, LoadsWithItsOwnControlsAndEveryCodecOfCdAudio)
{
    useFake();
    const QString saved = g_sAppBackColor;
    g_sAppBackColor = QStringLiteral("255");
    FrmACMConverter* w = g_frmACMConverter.get();
    g_sAppBackColor = saved;
    ASSERT_NE(probe, nullptr);

    EXPECT_EQ(w->windowTitle(), QStringLiteral("ACM Converter"));
    EXPECT_EQ(w->lblTitle->text(), QStringLiteral("ACM Converter"));
    EXPECT_EQ(w->cmdConvert->text(), QStringLiteral("Convert"));
    EXPECT_EQ(w->chkNoticeApp->text(), QStringLiteral("Execute external program"));
    EXPECT_EQ(w->chkPlaySound->text(), QStringLiteral("Play a sound"));
    EXPECT_EQ(w->chkOverWrite->text(), QStringLiteral("Overwrite existing files"));
    EXPECT_FALSE(w->chkOverWrite->isChecked());
    EXPECT_EQ(w->chkOverWrite->palette().color(QPalette::Window), QColor(255, 0, 0));
    EXPECT_EQ(w->Label1->text(), QStringLiteral("Best ACM Codecs According:"));
    EXPECT_EQ(w->lblTag->text(), QStringLiteral("Target ACM Tag:"));
    EXPECT_EQ(w->lblFormat->text(), QStringLiteral("Target ACM Format:"));
    EXPECT_EQ(w->Label21->text(), QStringLiteral("File Name Format:"));
    EXPECT_EQ(w->lblSetAsDefaultFileName->toolTip(), QStringLiteral("Set as default file name format"));
    EXPECT_EQ(w->lblCurrentTrack->text(), QStringLiteral("Ready."));
    EXPECT_EQ(w->lblTimeLeft->text(), QStringLiteral("Time Left: 00:00:00"));
    EXPECT_EQ(w->Timer1->interval(), 1000);
    EXPECT_FALSE(w->Timer1->isActive());
    ASSERT_EQ(w->cTabControl1->TabCount(), 3);
    EXPECT_EQ(w->cTabControl1->tabBar()->tabText(0), QStringLiteral("ACM Converter        "));
    EXPECT_EQ(w->cTabControl1->SelectedKey(), QStringLiteral("Settings"));

    // The codec lists stand in for the target format, which is neither shown nor filled.
    for (QWidget* gone : {static_cast<QWidget*>(w->Label5), static_cast<QWidget*>(w->cboTargetFormat),
                          static_cast<QWidget*>(w->cmdEditTargetFormat), static_cast<QWidget*>(w->lblSetAsDefaultFormat)})
        EXPECT_FALSE(gone->isVisibleTo(w));
    EXPECT_EQ(w->cboTargetFormat->count(), 0);
    EXPECT_EQ(w->txtJoinedFileName, nullptr);
    // Lists to pick from; only the destination takes typing.
    for (QComboBox* list : {w->cboBestAccordItem, w->cboTags, w->cboFormats, w->cboFileName})
        EXPECT_FALSE(list->isEditable()) << list->objectName().toStdString();
    EXPECT_TRUE(w->txtToPath->isEditable());
    EXPECT_EQ(w->cboFileName->count(), 6);
    EXPECT_EQ(w->cboFileName->currentIndex(), 1);

    // Every tag of 44100 Hz 16-bit stereo PCM, "PCM" and its first format chosen.
    EXPECT_EQ(probe->tagListings, (QList<Listing>{{1, 44100, 2, 16, 0}}));
    EXPECT_EQ(entries(w->cboTags), probe->tags);
    EXPECT_EQ(w->cboTags->currentText(), QStringLiteral("PCM"));
    EXPECT_EQ(entries(w->cboFormats), probe->formats.value(QStringLiteral("PCM")));
    EXPECT_EQ(w->cboFormats->currentIndex(), 0);
    EXPECT_EQ(w->cboBestAccordItem->count(), 0);

    EXPECT_EQ(w->g_ltmrItemSecsTotal, 0);
    EXPECT_EQ(w->m_lTimerTicks, 0);
    EXPECT_EQ(w->m_lFinishedSecs, 0);
    EXPECT_EQ(w->m_lItemSecs, 0);
}

TEST_F(AcmConverterTest, TheHandOverChoosesTheCurrentItemsFileAndTheUserChoosesAgain)
{
    const QString cd = source(QStringLiteral("cd.wav"), fixtures::Pcm{44100, 2, 16}, 1);
    const QString phone = source(QStringLiteral("phone.wav"), fixtures::Pcm{8000, 1, 16}, 2);
    const QString hifi = source(QStringLiteral("hifi.wav"), fixtures::Pcm{48000, 2, 24}, 1);
    useFake();
    // Row 2 is current.
    FrmACMConverter* w = openOn({cd, phone, hifi}, 2);
    ASSERT_NE(w, nullptr);

    EXPECT_EQ(entries(w->cboBestAccordItem), (QStringList{QStringLiteral("All ACM Codecs"), cd, phone, hifi}));
    EXPECT_EQ(w->cboBestAccordItem->currentText(), phone);
    // Adding the entries chose nothing: the one listing after the load's is the current file's.
    EXPECT_EQ(probe->tagListings, (QList<Listing>{{1, 44100, 2, 16, 0}, {1, 8000, 1, 16, kConvertible}}));
    EXPECT_EQ(probe->opened, phone);
    EXPECT_EQ(entries(w->cboTags), probe->convertibleTags);
    EXPECT_EQ(w->cboTags->currentText(), QStringLiteral("PCM"));
    EXPECT_EQ(w->cboFormats->currentIndex(), 0);
    EXPECT_EQ(w->lblFilesToConvert->text(), QStringLiteral("3 items to convert."));
    EXPECT_EQ(w->g_ltmrItemSecsTotal, 4);

    // "All ACM Codecs": every tag, for the file opened last, nothing opened anew.
    const qsizetype opens = probe->calls.filter(QStringLiteral("OpenSource")).size();
    choose(w->cboBestAccordItem, QStringLiteral("All ACM Codecs"));
    EXPECT_EQ(probe->tagListings.last(), (Listing{1, 8000, 1, 16, 0}));
    EXPECT_EQ(probe->calls.filter(QStringLiteral("OpenSource")).size(), opens);
    EXPECT_EQ(entries(w->cboTags), probe->tags);

    // Choosing a tag: its formats replace the others, the first chosen; a tag without formats
    // leaves the format list empty.
    choose(w->cboTags, QStringLiteral("IMA ADPCM"));
    EXPECT_EQ(entries(w->cboFormats), probe->formats.value(QStringLiteral("IMA ADPCM")));
    EXPECT_EQ(w->cboFormats->currentText(), QStringLiteral("8,000 kHz, 4 Bit, Mono"));
    choose(w->cboTags, QStringLiteral("Silent"));
    EXPECT_EQ(w->cboFormats->count(), 0);
    EXPECT_EQ(w->cboFormats->currentIndex(), -1);
    // Choosing a format only selects it.
    choose(w->cboTags, QStringLiteral("PCM"));
    const qsizetype formatListings = probe->formatListings.size();
    w->cboFormats->setCurrentIndex(1);
    EXPECT_EQ(probe->formatListings.size(), formatListings);

    // A file whose list has no "PCM": no tag chosen, the formats asked for the empty name.
    probe->convertibleTags = {QStringLiteral("IMA ADPCM"), QStringLiteral("GSM 6.10")};
    choose(w->cboBestAccordItem, hifi);
    EXPECT_EQ(probe->tagListings.last(), (Listing{1, 48000, 2, 24, kConvertible}));
    EXPECT_EQ(entries(w->cboTags), probe->convertibleTags);
    EXPECT_EQ(w->cboTags->currentIndex(), -1);
    EXPECT_EQ(probe->formatListings.last(), QString());
    EXPECT_EQ(w->cboFormats->count(), 0);

    // A file nothing converts from: both lists empty, no format listing at all.
    probe->convertibleTags.clear();
    const qsizetype before = probe->formatListings.size();
    choose(w->cboBestAccordItem, cd);
    EXPECT_EQ(w->cboTags->count(), 0);
    EXPECT_EQ(w->cboFormats->count(), 0);
    EXPECT_EQ(probe->formatListings.size(), before);
}

TEST_F(AcmConverterTest, ARunHandsTheChosenPairOverOnceAndAChoiceMeanwhileCountsFromTheNext)
{
    const QString a = source(QStringLiteral("a.mp3"), fixtures::Pcm{}, 1);
    const QString b = source(QStringLiteral("b.wav"), fixtures::Pcm{}, 1);
    useFake();
    FrmACMConverter* w = openOn({a, b});
    ASSERT_NE(w, nullptr);
    // Tags in the rows are not handed over.
    for (long r = 1; r <= 2; ++r) {
        setGridCell(w, r, COL_TAG_TITLE, QStringLiteral("[TRACK_NUM] title"));
        setGridCell(w, r, COL_TAG_TRACK, QStringLiteral("[TRACK_NUM]"));
    }
    // The converter's own compressed-WAV settings are not the window's choice.
    OutputFormatOptions.cboTags = QStringLiteral("GSM 6.10");
    OutputFormatOptions.cboFormats = QStringLiteral("8,000 kHz, Mono, 13 kbit/s");
    choose(w->cboTags, QStringLiteral("IMA ADPCM"));
    choose(w->cboFormats, QStringLiteral("44,100 kHz, 4 Bit, Stereo"));
    // Source extension and both destination extensions: the output is a WAV file.
    w->cboFileName->addItem(QStringLiteral("[file_name].[source_extension].[dest_extension].[convert_extension]"));
    w->cboFileName->setCurrentIndex(w->cboFileName->count() - 1);
    probe->calls.clear();

    w->cmdConvert_Click();
    EXPECT_FALSE(w->cmdConvert->isEnabled());
    EXPECT_TRUE(w->TabLog->isVisibleTo(w));
    EXPECT_EQ(probe->calls, (QStringList{QStringLiteral("OutputFormat:2"),
                                         QStringLiteral("SetAcmFormat:IMA ADPCM|44,100 kHz, 4 Bit, Stereo"),
                                         QStringLiteral("Start")}));
    ASSERT_EQ(probe->started.size(), 1);
    EXPECT_EQ(probe->started[0].input, a);
    EXPECT_EQ(probe->started[0].output, outFolder + QStringLiteral("/a.mp3.wav.wav"));

    // While row 1 runs the user narrows the lists to b.wav and picks another codec; the row and
    // the converter's settings stay as they were.
    choose(w->cboBestAccordItem, b);
    choose(w->cboTags, QStringLiteral("PCM"));
    choose(w->cboFormats, QStringLiteral("8,000 kHz, 8 Bit, Mono"));
    EXPECT_EQ(probe->opened, b);
    EXPECT_EQ(probe->input, a);
    EXPECT_EQ(probe->output, outFolder + QStringLiteral("/a.mp3.wav.wav"));
    EXPECT_EQ(probe->acmTag, QStringLiteral("IMA ADPCM"));
    EXPECT_EQ(probe->started.size(), 1);
    EXPECT_FALSE(w->cmdConvert->isEnabled());

    Q_EMIT probe->Progress(40);
    EXPECT_EQ(w->windowTitle(), kTitle);  // no percentages in this window's caption
    EXPECT_EQ(w->prgTotal->Value(), 40);
    Q_EMIT probe->Done();
    ASSERT_EQ(probe->started.size(), 2);
    EXPECT_EQ(probe->started[1].output, outFolder + QStringLiteral("/b.wav.wav.wav"));
    EXPECT_EQ(probe->started[1].acmTag, QStringLiteral("IMA ADPCM"));
    EXPECT_EQ(probe->started[1].acmFormat, QStringLiteral("44,100 kHz, 4 Bit, Stereo"));
    Q_EMIT probe->Done();
    for (const FakeProbeConverter::Started& s : probe->started) {
        EXPECT_TRUE(s.title.isEmpty());
        EXPECT_TRUE(s.track.isEmpty());
    }
    EXPECT_EQ(logLines(w->txtLog),
              (QStringList{QStringLiteral("Preparing to convert: 2 tracks."), QStringLiteral("Destination format: ACM WAV"),
                           QStringLiteral("Start to convert: a.mp3..."), QStringLiteral("Done."),
                           QStringLiteral("Start to convert: b.wav..."), QStringLiteral("Done.")}));
    EXPECT_TRUE(w->cmdConvert->isEnabled());
    EXPECT_EQ(w->lblCurrentTrack->text(), QStringLiteral("Done."));
    EXPECT_EQ(w->windowTitle(), kTitle);
    EXPECT_EQ(w->lblTimeLeft->text(), QStringLiteral("Time Left: 00:00:00"));
    EXPECT_EQ(w->prgTotal->Value(), 200);
    EXPECT_EQ(balloons, QStringList{QStringLiteral("Done.|") + kTitle});
    EXPECT_EQ(w->m_lFinishedSecs, 2);

    // The next run takes the choice made meanwhile.
    probe->calls.clear();
    w->cmdConvert_Click();
    EXPECT_EQ(probe->calls.mid(0, 2), (QStringList{QStringLiteral("OutputFormat:2"),
                                                   QStringLiteral("SetAcmFormat:PCM|8,000 kHz, 8 Bit, Mono")}));
    EXPECT_EQ(w->m_lFinishedSecs, 0);
    EXPECT_EQ(w->m_lTimerTicks, 1);
    Q_EMIT probe->Done();
    Q_EMIT probe->Done();
    EXPECT_TRUE(w->cmdConvert->isEnabled());

    // With no tags at all the run still starts and hands over two empty names.
    probe->convertibleTags.clear();
    choose(w->cboBestAccordItem, a);
    probe->calls.clear();
    w->cmdConvert_Click();
    EXPECT_EQ(probe->calls.mid(0, 2), (QStringList{QStringLiteral("OutputFormat:2"), QStringLiteral("SetAcmFormat:|")}));
    Q_EMIT probe->Error(5, QStringLiteral("No codec chosen."));
    Q_EMIT probe->Error(5, QStringLiteral("No codec chosen."));
    EXPECT_TRUE(w->cmdConvert->isEnabled());
}

TEST_F(AcmConverterTest, ErrorsAbortAndTheOverwriteQuestionAsThisWindowShowsThem)
{
    const QString a = source(QStringLiteral("a.wav"), fixtures::Pcm{}, 1);
    const QString b = source(QStringLiteral("b.wav"), fixtures::Pcm{}, 1);
    const QString c = source(QStringLiteral("c.wav"), fixtures::Pcm{}, 1);
    useFake();
    FrmACMConverter* w = openOn({a, b, c});
    ASSERT_NE(w, nullptr);
    w->cboFileName->setCurrentIndex(0);  // "[file_name].[dest_extension]"

    // An error is logged; label and caption do not show it, and the run goes on to an end that
    // counts the failed row.
    w->cmdConvert_Click();
    Q_EMIT probe->Progress(50);
    Q_EMIT probe->Error(7, QStringLiteral("Cannot code a.wav"));
    EXPECT_EQ(logLines(w->txtLog).mid(3, 1), QStringList{QStringLiteral("Error: Cannot code a.wav(7)")});
    EXPECT_EQ(w->lblCurrentTrack->text(), QStringLiteral("b.wav"));
    EXPECT_EQ(w->windowTitle(), kTitle);
    EXPECT_FALSE(w->cmdConvert->isEnabled());
    Q_EMIT probe->Done();
    Q_EMIT probe->Done();
    EXPECT_EQ(w->lblCurrentTrack->text(), QStringLiteral("1 of 3 failed. The log has the reasons."));
    EXPECT_EQ(w->windowTitle(), kTitle);
    EXPECT_EQ(balloons.last(), QStringLiteral("1 of 3 failed. The log has the reasons.|") + kTitle);
    EXPECT_EQ(w->m_bJobError, -1);

    // Existing outputs: No skips a.wav, the abort stops b.wav.
    for (const char* name : {"a.wav", "b.wav"})
        ASSERT_TRUE(fixtures::writeFile(outFolder + QLatin1Char('/') + QLatin1String(name), "kept"));
    balloons.clear();
    w->txtLog->clear();
    box.answer(platform::vbNo);   // a.wav exists
    box.answer(platform::vbYes);  // b.wav exists
    box.answer(platform::vbYes);  // abort?
    w->cmdConvert_Click();
    ASSERT_EQ(probe->started.size(), 4);
    EXPECT_EQ(probe->started.last().input, b);
    w->cmdAbort_Click();
    EXPECT_TRUE(probe->calls.endsWith(QStringLiteral("Abort")));
    EXPECT_FALSE(w->Timer1->isActive());
    Q_EMIT probe->Aborted();
    EXPECT_EQ(logLines(w->txtLog),
              (QStringList{QStringLiteral("Preparing to convert: 3 tracks."), QStringLiteral("Destination format: ACM WAV"),
                           QStringLiteral("Start to convert: a.wav..."), QStringLiteral("File already exists."),
                           QStringLiteral("Start to convert: b.wav..."), QStringLiteral("File already exists."),
                           QStringLiteral("Overwrite it..."), QStringLiteral("Aborted.")}));
    EXPECT_EQ(w->lblCurrentTrack->text(), QStringLiteral("Aborted."));
    EXPECT_EQ(balloons, QStringList{QStringLiteral("Aborted.|") + kTitle});
    EXPECT_TRUE(w->cmdConvert->isEnabled());
    EXPECT_TRUE(w->cmdExit->isEnabled());
    // Idle again: Abort asks nothing, Exit closes and lets go of the converter.
    const qsizetype asked = box.shown.size();
    w->cmdAbort_Click();
    EXPECT_EQ(box.shown.size(), asked);
    w->cmdExit_Click();
    EXPECT_FALSE(g_frmACMConverter.isLoaded());
}

TEST_F(AcmConverterTest, EndOfTaskActionsRunInOrderAndTheTurnOffNeverAfterAnError)
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

    const QString a = source(QStringLiteral("a.wav"), fixtures::Pcm{}, 1);
    useFake();
    FrmACMConverter* w = openOn({a});
    ASSERT_NE(w, nullptr);
    w->chkCreateSubFolder->setChecked(true);
    w->CheckUnderFolderEna();
    w->txtUndeForlder->setText(QStringLiteral("Coded"));
    for (QCheckBox* c : {w->chkPlaySound, w->chkOpenDestFolder, w->chkNoticeApp, w->chkTurnOffComputer})
        c->setChecked(true);
    QTimer countDown;
    QObject::connect(&countDown, &QTimer::timeout, [&] {
        if (FrmTurnOff* t = g_frmTurnOff.loaded()) {
            order << QStringLiteral("countdown");
            t->cmdCancel_Click();
        }
    });
    countDown.start(10);

    w->cmdConvert_Click();
    EXPECT_TRUE(QFileInfo(outFolder + QStringLiteral("/Coded")).isDir());
    const QString folder = outFolder + QStringLiteral("/Coded/");
    EXPECT_TRUE(probe->started.last().output.startsWith(folder));
    Q_EMIT probe->Done();
    ASSERT_TRUE(QTest::qWaitFor([&] { return order.contains(QStringLiteral("countdown")); }, 5000));
    EXPECT_EQ(order, (QStringList{QStringLiteral("sound:/sounds/end.wav"), QStringLiteral("folder:") + folder,
                                  QStringLiteral("notice:notify-prog --from|Quillmere"), QStringLiteral("countdown")}));

    // The only row fails: the end says so, and every action but the turn-off runs.
    order.clear();
    w->cmdConvert_Click();
    Q_EMIT probe->Error(1, QStringLiteral("bad"));
    QTest::qWait(100);
    EXPECT_EQ(w->lblCurrentTrack->text(), QStringLiteral("1 of 1 failed. The log has the reasons."));
    EXPECT_EQ(order.size(), 3);
    EXPECT_FALSE(order.contains(QStringLiteral("countdown")));
    EXPECT_EQ(power.powerOffCalls, 0);
    EXPECT_TRUE(platform::powerOffForbidden());
}

}  // namespace
