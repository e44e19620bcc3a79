// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// Shows the duplicator over image drives, checks what each page shows (rows, the drive states,
// the end of a copy, no caption cut off) and saves pictures of the pages for a person to look
// at: QM_SCREENSHOT_DUPLICATOR names the first file (the others go beside it as -events.png,
// -nodisc.png, -log.png).
#include "tests/cdtools_burner/ShownWhole.h"
#include "tests/cdtools_duplicator/DuplicatorFixture.h"

#include "settings/controls/cTabControl.h"
#include "tests/batchtools/ClippedCaptions.h"

#include <QImage>
#include <QPushButton>
#include <QTest>

namespace {

class DuplicatorPicture : public DuplicatorTest {};

TEST_F(DuplicatorPicture, SettingsEventsAndLogPages)
{
    ProgramOptions.picColor = 8404992;
    ProgramOptions.picTextColor = 16777215;
    const QString source = discimages::WriteBinCue(dir.path(), QStringLiteral("concert"), {{true, 75}, {false, 30}, {true, 60}});
    const QString written = discimages::WriteBinCue(dir.path(), QStringLiteral("written"), {{true, 30}});
    setDrives({source, QDir(dir.path()).filePath(QStringLiteral("blank.cue")), written});
    FrmAudioCDDuplicator* w = open();
    chooseWriter(w, QStringLiteral("E:"));
    w->show();
    QTest::qWait(300);
    const QString out = qEnvironmentVariable("QM_SCREENSHOT_DUPLICATOR");
    const auto save = [&](const QString& suffix) {
        const QImage picture = w->grab().toImage();
        ASSERT_FALSE(picture.isNull());
        if (!out.isEmpty())
            picture.save(suffix.isEmpty() ? out : QString(out).replace(QStringLiteral(".png"), suffix));
    };
    save({});
    EXPECT_EQ(w->cGrid1->Rows(), 3);
    EXPECT_EQ(w->lblCDStatus->text(), QStringLiteral("OK: 3 CDA tracks"));
    EXPECT_TRUE(w->cmdConvert->isEnabled());
    EXPECT_EQ(clipped(w->TabSettings), QStringList());

    w->cTabControl1->SelectTab(QStringLiteral("Events"));
    w->cTabControl1_TabClick(w->cTabControl1->TabIndex(QStringLiteral("Events")));
    QTest::qWait(100);
    save(QStringLiteral("-events.png"));
    EXPECT_EQ(clipped(w->TabEvents), QStringList());
    w->cTabControl1->SelectTab(QStringLiteral("Settings"));
    w->cTabControl1_TabClick(w->cTabControl1->TabIndex(QStringLiteral("Settings")));

    // A drive without an audio disc, in red.
    w->cboDevices->setCurrentIndex(1);
    w->cboDevices_Click();
    QTest::qWait(100);
    save(QStringLiteral("-nodisc.png"));
    EXPECT_EQ(w->cGrid1->Rows(), 0);
    EXPECT_FALSE(w->cmdConvert->isEnabled());
    EXPECT_EQ(w->lblCDStatus->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_EQ(clipped(w->TabSettings), QStringList());

    // A copy with a data track: the log page after it ended, nothing burned.
    w->cboDevices->setCurrentIndex(0);
    w->cboDevices_Click();
    w->cmdConvert->click();
    ASSERT_TRUE(waitFor([w] { return idle(w); }));
    QTest::qWait(200);
    save(QStringLiteral("-log.png"));
    // The data track is counted as failed, and a copy without it is not burned.
    EXPECT_TRUE(toc(QStringLiteral("E:")).starts.isEmpty());
    EXPECT_EQ(logLines(w).last(), QStringLiteral("1 of 3 tracks failed: nothing was burned; see the log."));
    EXPECT_EQ(w->lblCurrentTrack->text(), logLines(w).last());
    EXPECT_SHOWN_WHOLE(w->lblCurrentTrack);
    EXPECT_TRUE(w->TabLog->isVisibleTo(w));
}

}  // namespace
