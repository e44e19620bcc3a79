// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The "ACM Converter" command of a program started through Main opens the ACM converter on the
// marked rows with the current item's file chosen, and the window codes them.
#include "tests/batchtools/AcmConverterFixture.h"

#include "foundation/mdlMain.h"
#include "mainwindow/MainStartupWindows.h"
#include "mainwindow/cStatusBar.h"
#include "platform/Clock.h"
#include "tests/batchtools/AcmEngineChecks.h"
#include "tests/support/ModalWindow.h"

#include <QTest>
#include <QTimer>

namespace {

TEST_F(AcmConverterTest, TheCommandOfAStartedProgramOpensTheWindowOnTheMarkedRows)
{
    const QString song1 = makeWav(QStringLiteral("song1.wav"), fixtures::Pcm{44100, 2, 16}, 1);
    const QString phone = makeWav(QStringLiteral("phone.wav"), fixtures::Pcm{8000, 1, 16}, 2);
    const QString song3 = makeWav(QStringLiteral("song3.wav"), fixtures::Pcm{44100, 2, 16}, 1);
    makeListOf(QStringLiteral("Party Mix"), {song1, phone, song3});
    ToolWindows::Register(QStringLiteral("ACM Converter"), {});

    // The splash fades by the tick count, which a standing clock never moves.
    platform::setClockService(nullptr);
    MainStartupWindows windows;
    ASSERT_TRUE(Main(windows, {}));
    ASSERT_TRUE(ToolWindows::IsRegistered(QStringLiteral("ACM Converter")));
    FrmMain* f = frmMain.get();
    waitIdle(f);
    ASSERT_EQ(f->cGrid1->Rows(), 3);
    // Row 2 is not marked but current: its file decides the codec lists.
    f->cGrid1->SetCell(2, f->cGrid1->ColumnIndex(ItemRow::COL_INC), std::nullopt, 0, ItemRow::kUnmarked);
    f->cGrid1->CurrentRow(2);

    QString seenFiles, seenUnder, seenChoice, finalState, finalTitle;
    QStringList seenSources, seenTags;
    long seenRows = 0, seenTotal = 0;
    // Acts once the modal window is up, as its user would.
    modal::ActWhenShown(
        g_frmACMConverter,
        [&](FrmACMConverter* w) {
            seenFiles = w->lblFilesToConvert->text();
            seenUnder = w->txtUndeForlder->text();
            seenRows = w->cGrid1->Rows();
            seenTotal = w->g_ltmrItemSecsTotal;
            seenSources = entries(w->cboBestAccordItem);
            seenChoice = w->cboBestAccordItem->currentText();
            seenTags = entries(w->cboTags);
            w->txtToPath->setEditText(outFolder);
            choose(w->cboTags, QStringLiteral("IMA ADPCM"));
            w->cboFileName->setCurrentIndex(0);
            w->cmdConvert_Click();
            EXPECT_TRUE(QTest::qWaitFor([&] { return w->cmdConvert->isEnabled(); }, 30000));
            finalState = w->lblCurrentTrack->text();
            finalTitle = w->windowTitle();
            w->cmdExit_Click();
        },
        [&] { f->RunCommand(QStringLiteral("ACM Converter")); }, 60000);

    EXPECT_EQ(seenFiles, QStringLiteral("2 items to convert."));
    EXPECT_EQ(seenUnder, QStringLiteral("Party-Mix"));
    EXPECT_EQ(seenRows, 2);
    EXPECT_EQ(seenTotal, 2);
    EXPECT_EQ(seenSources, (QStringList{QStringLiteral("All ACM Codecs"), song1, phone, song3}));
    EXPECT_EQ(seenChoice, phone);
    // 8 kHz mono converts to GSM, which CD audio does not.
    EXPECT_TRUE(seenTags.contains(QStringLiteral("GSM 6.10")));
    EXPECT_TRUE(seenTags.contains(QStringLiteral("IMA ADPCM")));
    EXPECT_EQ(finalState, QStringLiteral("Done."));
    EXPECT_EQ(finalTitle, QStringLiteral("Quillmere 1.2"));
    EXPECT_FALSE(g_frmACMConverter.isLoaded());

    EXPECT_EQ(fixtures::folderEntries(outFolder), (QStringList{QStringLiteral("song1.wav"), QStringLiteral("song3.wav")}));
    for (const char* name : {"song1.wav", "song3.wav"}) {
        const QString out = outFolder + QLatin1Char('/') + QLatin1String(name);
        const QByteArray file = fixtures::readFile(out);
        EXPECT_EQ(acmcheck::formatTag(file), 0x11) << name;
        EXPECT_EQ(acmcheck::factCount(file), 8000) << name;  // one second at the first format's 8 kHz
        EXPECT_EQ(acmcheck::soxInfo(out).encoding, QStringLiteral("IMA ADPCM")) << name;
    }
    ToolWindows::Register(QStringLiteral("ACM Converter"), {});
}

}  // namespace
