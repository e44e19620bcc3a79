// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// Shows the audio CD burner over a blank image drive and a written one and saves pictures of its
// settings, events and log pages, for a person to look at. QM_SCREENSHOT_BURNER names the first file
// (the others go beside it as -events.png, -written.png, -log.png); without it the pictures are only checked to be drawn.
#include "cdtools/BurnerDrivePanel.h"
#include "cdtools/FrmCDBurner.h"
#include "cdtools/FrmDataBurner3.h"
#include "commands/ToolWindows.h"
#include "settings/OutputFormatOptions.h"
#include "settings/controls/cTabControl.h"
#include "tests/cdtools_burner/ShownWhole.h"
#include "tests/components_cd/BurnFixtures.h"
#include "tests/itemsgrid/ItemWindowFixture.h"
#include "tests/support/DiscImages.h"
#include "tests/support/PanelColour.h"

#include <QComboBox>
#include <QLabel>
#include <QImage>
#include <QPushButton>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>

namespace {

class BurnerPicture : public ItemWindowTest {};

TEST_F(BurnerPicture, SettingsAndLogPages)
{
    ProgramOptions.picColor = 8404992;
    ProgramOptions.picTextColor = 16777215;
    const QString blank = QDir(sourceFolder).filePath(QStringLiteral("blank.cue"));
    const QString written = discimages::WriteBinCue(sourceFolder, QStringLiteral("written"), {{true, 300}});
    // A drive whose data file is already there: its state and the burn's refusal are long.
    const QString taken = QDir(sourceFolder).filePath(QStringLiteral("Concert recorded live at the town hall.cue"));
    fixtures::writeFile(QDir(sourceFolder).filePath(QStringLiteral("Concert recorded live at the town hall.bin")), QByteArray(2352, 'B'));
    qputenv("QUILLMERE_DRIVES", (blank + QLatin1Char(':') + written + QLatin1Char(':') + taken).toUtf8());
    QStringList files;
    for (int i = 1; i <= 3; ++i)
        files << makeWav(QStringLiteral("Track %1.wav").arg(i), fixtures::Pcm{}, 1);
    makeListOf(QStringLiteral("Songs"), files);
    FrmMain* f = openMain();
    RegisterCDBurnerWindow();
    ToolWindow* h = ToolWindows::Load(QStringLiteral("Audio CD Maker"));
    f->CopyGridRows(*f->cGrid1, *h->Grid(), true);
    h->lblFilesToConvert(QStringLiteral("3 items to burn (0 minutes)."));
    h->StatusPanelText(QStringLiteral("Total Size"), QStringLiteral("0 Min / 80 Min."));
    h->prgSize(0, 83);
    h->lblDataSize(QStringLiteral("Data Size: 3 files, 0 Min / 80 Min."));
    FrmCDBurner* w = g_frmCDBurner.get();
    w->show();
    QTest::qWait(300);
    const QString out = qEnvironmentVariable("QM_SCREENSHOT_BURNER");
    QImage settings = w->grab().toImage();
    ASSERT_FALSE(settings.isNull());
    if (!out.isEmpty())
        settings.save(out);

    w->cTabControl1->SelectTab(QStringLiteral("Events"));
    w->cTabControl1_TabClick(w->cTabControl1->TabIndex(QStringLiteral("Events")));
    QTest::qWait(100);
    if (!out.isEmpty())
        w->grab().toImage().save(QString(out).replace(QStringLiteral(".png"), QStringLiteral("-events.png")));
    w->cTabControl1->SelectTab(QStringLiteral("Settings"));
    w->cTabControl1_TabClick(w->cTabControl1->TabIndex(QStringLiteral("Settings")));

    // The written drive's state in red, then a burn to the blank one, shown on the log page.
    w->DrivePanel->cboDrv->setCurrentIndex(1);
    w->DrivePanel->cboDrv_Click();
    QTest::qWait(100);
    if (!out.isEmpty())
        w->grab().toImage().save(QString(out).replace(QStringLiteral(".png"), QStringLiteral("-written.png")));
    // The long state, then the burn's long refusal (-long.png, -refused.png).
    w->DrivePanel->cboDrv->setCurrentIndex(2);
    Q_EMIT w->DrivePanel->cboDrv->activated(2);
    QTest::qWait(100);
    EXPECT_SHOWN_WHOLE(w->DrivePanel->lblState);
    if (!out.isEmpty())
        w->grab().toImage().save(QString(out).replace(QStringLiteral(".png"), QStringLiteral("-long.png")));
    w->cmdConvert->click();
    ASSERT_TRUE(burnfixtures::waitUntil([&] { return w->cmdConvert->isEnabled(); }));
    QTest::qWait(200);
    EXPECT_TRUE(w->lblCurrentTrack->text().endsWith(QStringLiteral("the image would replace it.(3)"))) << w->lblCurrentTrack->text().toStdString();
    EXPECT_SHOWN_WHOLE(w->lblCurrentTrack);
    if (!out.isEmpty())
        w->grab().toImage().save(QString(out).replace(QStringLiteral(".png"), QStringLiteral("-refused.png")));
    w->cTabControl1->SelectTab(QStringLiteral("Settings"));
    w->cTabControl1_TabClick(w->cTabControl1->TabIndex(QStringLiteral("Settings")));

    w->DrivePanel->cboDrv->setCurrentIndex(0);
    Q_EMIT w->DrivePanel->cboDrv->activated(0);
    EXPECT_EQ(w->lblCurrentTrack->text(), QStringLiteral("Ready."));
    w->cmdConvert->click();
    ASSERT_TRUE(burnfixtures::waitUntil([&] { return w->cmdConvert->isEnabled(); }));
    QTest::qWait(200);
    QImage log = w->grab().toImage();
    ASSERT_FALSE(log.isNull());
    if (!out.isEmpty())
        log.save(QString(out).replace(QStringLiteral(".png"), QStringLiteral("-log.png")));
    qputenv("QUILLMERE_DRIVES", "");
}

}  // namespace

namespace {

// The data disc burner's settings page with each engine; QM_SCREENSHOT_DATABURNER names the
// first file (the second engine's page, the events page and the log of a converted burn go
// beside it as -second.png, -events.png and -log.png).
// The MP3 maker's status shows a burn's long refusal whole, and choosing another drive clears
// it; QM_SCREENSHOT_DATABURNER_LONG names the picture of the refusal.
TEST_F(BurnerPicture, DataBurnerLongStatus)
{
    OutputFormatOptions.cboMP3Bitrate = 128;
    OutputFormatOptions.cboMP3Samplerate = 44100;
    OutputFormatOptions.cboMP3Quality = 5;
    OutputFormatOptions.cboMP3Mode = 1;
    const QString missing = QDir(sourceFolder).filePath(QStringLiteral("a folder that is not there/Holiday pictures and songs.iso"));
    const QString blank = QDir(sourceFolder).filePath(QStringLiteral("blank.iso"));
    qputenv("QUILLMERE_DRIVES", (missing + QLatin1Char(':') + blank).toUtf8());
    makeListOf(QStringLiteral("Songs"), {makeWav(QStringLiteral("Track 1.wav"), fixtures::Pcm{}, 1)});
    FrmMain* f = openMain();
    RegisterDataBurnerWindow();
    ToolWindow* h = ToolWindows::Load(QStringLiteral("MP3 CD Maker"));
    h->cboTargetFormat_Text(QStringLiteral("MP3 - MPEG-1 Audio Layer 3 (*.mp3)"));
    h->txtCDName(QStringLiteral("Songs"));
    f->CopyGridRows(*f->cGrid1, *h->Grid(), true);
    FrmDataBurner3* w = g_frmDataBurner3.get();
    w->show();
    w->cmbEngine->setCurrentIndex(1);
    w->chkDoNotConvertSource->setChecked(true);
    w->cboDrv->setCurrentIndex(0);
    w->cmdConvert->click();
    ASSERT_TRUE(burnfixtures::waitUntil([&] { return w->cmdConvert->isEnabled() && w->cmdExit->isEnabled(); }));
    QTest::qWait(200);
    EXPECT_TRUE(w->lblCurrentTrack->text().contains(QStringLiteral("does not exist"))) << w->lblCurrentTrack->text().toStdString();
    EXPECT_SHOWN_WHOLE(w->lblCurrentTrack);
    const QString out = qEnvironmentVariable("QM_SCREENSHOT_DATABURNER_LONG");
    if (!out.isEmpty())
        w->grab().toImage().save(out);
    w->cboDrv->setCurrentIndex(1);
    EXPECT_EQ(w->lblCurrentTrack->text(), QStringLiteral("Ready."));
    w->repaint();
    EXPECT_SHOWN_WHOLE(w->lblCurrentTrack);
    EXPECT_FALSE(w->lblCurrentTrack->geometry().intersects(w->lblFilesToConvert->geometry()));
    qputenv("QUILLMERE_DRIVES", "");
}

TEST_F(BurnerPicture, DataBurnerSettingsPage)
{
    ProgramOptions.picColor = 8404992;
    ProgramOptions.picTextColor = 16777215;
    OutputFormatOptions.cboMP3Bitrate = 128;
    OutputFormatOptions.cboMP3Samplerate = 44100;
    OutputFormatOptions.cboMP3Quality = 5;
    OutputFormatOptions.cboMP3Mode = 1;
    qputenv("QUILLMERE_DRIVES", QDir(sourceFolder).filePath(QStringLiteral("blank.iso")).toUtf8());
    makeListOf(QStringLiteral("Songs"), {makeWav(QStringLiteral("Track 1.wav"), fixtures::Pcm{}, 1)});
    FrmMain* f = openMain();
    RegisterDataBurnerWindow();
    ToolWindow* h = ToolWindows::Load(QStringLiteral("MP3 CD Maker"));
    h->lblTitle(QStringLiteral("MP3 CD Maker"));
    h->Caption(QStringLiteral("MP3 CD Maker"));
    h->cboTargetFormat_Text(QStringLiteral("MP3 - MPEG-1 Audio Layer 3 (*.mp3)"));
    h->txtCDName(QStringLiteral("Songs"));
    f->CopyGridRows(*f->cGrid1, *h->Grid(), true);
    FrmDataBurner3* w = g_frmDataBurner3.get();
    w->show();
    QTest::qWait(300);
    panelcolour::expectOnPanelColour(w->TabSettings, {w->chkDoNotConvertSource});
    const QString out = qEnvironmentVariable("QM_SCREENSHOT_DATABURNER");
    QImage first = w->grab().toImage();
    ASSERT_FALSE(first.isNull());
    if (!out.isEmpty()) {
        first.save(out);
        QTest::qWait(500);
        if (QScreen* screen = QGuiApplication::primaryScreen())
            screen->grabWindow(0).save(QString(out).replace(QStringLiteral(".png"), QStringLiteral("-screen.png")));
    }
    w->cmbEngine->setCurrentIndex(1);
    QTest::qWait(100);
    QImage second = w->grab().toImage();
    ASSERT_FALSE(second.isNull());
    if (!out.isEmpty())
        second.save(QString(out).replace(QStringLiteral(".png"), QStringLiteral("-second.png")));
    w->cTabControl1->SelectTab(QStringLiteral("Events"));
    w->cTabControl1_TabClick(w->cTabControl1->TabIndex(QStringLiteral("Events")));
    QTest::qWait(100);
    panelcolour::expectOnPanelColour(w->TabEvents, {w->chkOpenCDdrive, w->chkEraseTempfiles, w->chkPlaySound});
    QImage events = w->grab().toImage();
    ASSERT_FALSE(events.isNull());
    if (!out.isEmpty())
        events.save(QString(out).replace(QStringLiteral(".png"), QStringLiteral("-events.png")));

    // A conversion-mode burn with the first engine, shown on the log page (-log.png).
    w->cmbEngine->setCurrentIndex(0);
    w->cboFileName->setEditText(QStringLiteral("[file_name].[dest_extension]"));
    w->cmdConvert->click();
    ASSERT_TRUE(burnfixtures::waitUntil([&] { return w->cmdConvert->isEnabled() && w->cmdExit->isEnabled(); }));
    EXPECT_EQ(w->lblCurrentTrack->text(), QStringLiteral("Done."));
    QTest::qWait(200);
    QImage log = w->grab().toImage();
    ASSERT_FALSE(log.isNull());
    if (!out.isEmpty())
        log.save(QString(out).replace(QStringLiteral(".png"), QStringLiteral("-log.png")));
    qputenv("QUILLMERE_DRIVES", "");
}

}  // namespace
