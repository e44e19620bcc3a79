// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// Shows the main window on a listed image drive after a look-up, the look-up window while it
// connects, and the ripper window on a drive, and checks what each shows: the rows, the states
// and that no caption is cut off. QM_SCREENSHOT_CD names a folder for the pictures, for a person
// to look at; under Xvfb with a window manager run it with QT_QPA_PLATFORM=xcb.
#include "tests/cdtools/CDFixture.h"

#include "cdtools/FrmCDRipper.h"
#include "cdtools/FrmFreeDB.h"
#include "components/cFreeDB.h"
#include "settings/controls/cTabControl.h"
#include "tests/batchtools/ClippedCaptions.h"
#include "tests/components_cd/CddbServer.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QTimer>

namespace {

using cddbfixture::CddbServer;

class CDPictures : public CDFixture {};

TEST_F(CDPictures, DriveNodeAfterALookUpAndTheLookUpWindow)
{
    g_lAppTreeRestore = 1;  // the tree pane, where the drive nodes are
    ProgramOptions.chkDisplayTitle = true;
    ProgramOptions.chkDisplayPlayer = true;
    ProgramOptions.chkDisplayGridLine = true;
    ProgramOptions.picColor = 8404992;
    ProgramOptions.picTextColor = 16777215;
    const QString cue = discimages::WriteBinCue(dir.path(), QStringLiteral("two"), {{true, 225}, {true, 300}});
    const QString iso = discimages::WriteIso(dir.path(), QStringLiteral("backup"), 300);
    setDrives({cue, iso});
    CddbServer server(CddbServer::Match);
    const QByteArray saved = qgetenv("QUILLMERE_CDDB_SERVER");
    qputenv("QUILLMERE_CDDB_SERVER", QByteArray("127.0.0.1:") + QByteArray::number(server.port()));

    FrmMain* f = loadMain();
    f->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f) || QGuiApplication::platformName() == QLatin1String("offscreen"));
    click(f, driveNode(0));
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] {
        if (FrmFreeDB* w = g_frmFreeDB.loaded())
            w->close();
    });
    guard.start(15000);
    f->RunCommand(QStringLiteral("FreeDB"));
    EXPECT_EQ(cTreeView::Text(driveNode(0)), QStringLiteral("Les Artistes - Été Album"));
    EXPECT_EQ(column(f->cGrid1, ItemRow::COL_ITEM_NAME), (QStringList{QStringLiteral("Première chanson.cda"), QStringLiteral("Second.cda")}));
    EXPECT_EQ(column(f->cGrid1, COL_TAG_ALBUM), QStringList(2, QStringLiteral("Été Album")));
    QTest::qWait(200);
    const QString folder = qEnvironmentVariable("QM_SCREENSHOT_CD");
    const QPixmap main = f->grab();
    EXPECT_FALSE(main.toImage().isNull());
    if (!folder.isEmpty()) {
        EXPECT_TRUE(main.save(folder + QStringLiteral("/cd-main.png"), "PNG"));
    }

    // The data drive: no track rows.
    click(f, driveNode(1));
    QTest::qWait(100);
    EXPECT_EQ(f->cGrid1->Rows(), 0);
    if (!folder.isEmpty()) {
        EXPECT_TRUE(f->grab().save(folder + QStringLiteral("/cd-data.png"), "PNG"));
    }

    // The look-up window as it connects.
    click(f, driveNode(0));
    FrmFreeDB* w = g_frmFreeDB.get();
    ASSERT_TRUE(w->GetFreeDB());
    w->cFreeDB1->StopQuery();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w) || QGuiApplication::platformName() == QLatin1String("offscreen"));
    QTest::qWait(200);
    const QPixmap lookup = w->grab();
    EXPECT_EQ(lookup.size(), w->size());
    EXPECT_EQ(w->lblCurrentTrack->text(), QStringLiteral("Connecting to 127.0.0.1..."));
    EXPECT_EQ(clipped(w), QStringList());
    if (!folder.isEmpty()) {
        EXPECT_TRUE(lookup.save(folder + QStringLiteral("/cd-freedb.png"), "PNG"));
        // The whole screen, frames and all, as the desktop shows the two windows.
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            EXPECT_TRUE(screen->grabWindow(0).save(folder + QStringLiteral("/cd-screen.png"), "PNG"));
        }
    }
    // A state longer than a line, as a long server name makes it: shown whole, the window grown
    // to hold it.
    w->cFreeDB1_StateChanged(QStringLiteral("Querying cddb.music-archive.example.org:%1 for the disc 1500a802...").arg(server.port()));
    QTest::qWait(200);
    EXPECT_GT(w->height(), lookup.height());
    EXPECT_EQ(clipped(w), QStringList());
    if (!folder.isEmpty()) {
        EXPECT_TRUE(w->grab().save(folder + QStringLiteral("/cd-freedb-querying.png"), "PNG"));
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            EXPECT_TRUE(screen->grabWindow(0).save(folder + QStringLiteral("/cd-screen-querying.png"), "PNG"));
        }
    }
    qputenv("QUILLMERE_CDDB_SERVER", saved);
    g_lAppTreeRestore = 0;
}

TEST_F(CDPictures, TheRipperOnADriveWithTwoTracksMarked)
{
    ProgramOptions.picColor = 8404992;
    ProgramOptions.picTextColor = 16777215;
    QList<discimages::Track> tracks;
    for (int t = 1; t <= 12; ++t)
        tracks << discimages::Track{true, 150 + 15 * t};
    const QString cue = discimages::WriteBinCue(dir.path(), QStringLiteral("twelve"), tracks);
    const QString iso = discimages::WriteIso(dir.path(), QStringLiteral("backup"), 300);
    setDrives({iso, cue});
    FrmMain* f = loadMain();
    click(f, driveNode(1));
    ASSERT_EQ(f->cGrid1->Rows(), 12);
    for (long r = 1; r <= 12; ++r)
        f->cGrid1->SetCell(r, f->cGrid1->ColumnIndex(ItemRow::COL_INC), std::nullopt, 0x40020,
                           r == 3 || r == 7 ? ItemRow::kMarked : ItemRow::kUnmarked);

    // The command fills and shows the window; the pictures are taken while it is up.
    const QString folder = qEnvironmentVariable("QM_SCREENSHOT_CD");
    QPixmap settings, events, lookingAtData;
    QStringList marked, clippedSettings, clippedEvents;
    QString dataStatus;
    QColor dataColour;
    QTimer::singleShot(300, [&] {
        FrmCDRipper* w = g_frmCDRipper.loaded();
        if (!w)
            return;
        QTest::qWait(200);
        settings = w->grab();
        for (long r = 1; r <= w->cGrid1->Rows(); ++r)
            if (w->cGrid1->Cell(r, w->cGrid1->ColumnIndex(ItemRow::COL_INC)).Icon() == ItemRow::kMarked)
                marked << w->cGrid1->Cell(r, w->cGrid1->ColumnIndex(ItemRow::COL_ITEM_NAME)).Text();
        clippedSettings = clipped(w->TabSettings);
        w->cTabControl1->SelectTab(QStringLiteral("Events"));
        w->cTabControl1_TabClick(w->cTabControl1->TabIndex(QStringLiteral("Events")));
        QTest::qWait(100);
        events = w->grab();
        clippedEvents = clipped(w->TabEvents);
        w->cTabControl1->SelectTab(QStringLiteral("Settings"));
        w->cTabControl1_TabClick(w->cTabControl1->TabIndex(QStringLiteral("Settings")));
        w->cboDevices->setEnabled(true);
        w->cboDevices->setCurrentIndex(0);  // the data drive: the check in red
        QTest::qWait(100);
        lookingAtData = w->grab();
        dataStatus = w->lblCDStatus->text();
        dataColour = w->lblCDStatus->palette().color(QPalette::WindowText);
        if (QScreen* screen = QGuiApplication::primaryScreen(); screen && !folder.isEmpty())
            screen->grabWindow(0).save(folder + QStringLiteral("/cd-ripper-screen.png"), "PNG");
        w->cmdExit_Click();
    });
    QTimer::singleShot(20000, [] {
        if (FrmCDRipper* w = g_frmCDRipper.loaded())
            w->hide();
    });
    f->RunCommand(QStringLiteral("Audio CD Ripper"));
    ASSERT_FALSE(settings.isNull());
    EXPECT_FALSE(events.isNull());
    EXPECT_FALSE(lookingAtData.isNull());
    EXPECT_EQ(marked, (QStringList{QStringLiteral("Track03.cda"), QStringLiteral("Track07.cda")}));
    EXPECT_EQ(clippedSettings, QStringList());
    EXPECT_EQ(clippedEvents, QStringList());
    EXPECT_TRUE(dataStatus.contains(QStringLiteral("not an Audio CD"))) << dataStatus.toStdString();
    EXPECT_EQ(dataColour, QColor(Qt::red));
    if (!folder.isEmpty()) {
        EXPECT_TRUE(settings.save(folder + QStringLiteral("/cd-ripper.png"), "PNG"));
        EXPECT_TRUE(events.save(folder + QStringLiteral("/cd-ripper-events.png"), "PNG"));
        EXPECT_TRUE(lookingAtData.save(folder + QStringLiteral("/cd-ripper-data.png"), "PNG"));
    }
}

}  // namespace
