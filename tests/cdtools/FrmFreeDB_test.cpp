// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tests/cdtools/CDFixture.h"

#include "batchtools/cProgressBar.h"
#include "cdtools/FrmFreeDB.h"
#include "components/cFreeDB.h"
#include "tests/components_cd/CddbServer.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace {

using cddbfixture::CddbServer;

class FreeDBWindow : public CDFixture {
protected:
    void SetUp() override
    {
        CDFixture::SetUp();
        // The disc the server knows: tracks at 150 and 375 from the lead-in, lead-out at 675.
        cue = discimages::WriteBinCue(dir.path(), QStringLiteral("two"), {{true, 225}, {true, 300}});
        setDrives({cue});
        savedServer = qgetenv("QUILLMERE_CDDB_SERVER");
    }
    void TearDown() override
    {
        qputenv("QUILLMERE_CDDB_SERVER", savedServer);
        CDFixture::TearDown();
    }
    static void useServer(const CddbServer& server)
    {
        qputenv("QUILLMERE_CDDB_SERVER", QByteArray("127.0.0.1:") + QByteArray::number(server.port()));
    }
    // The main window with the drive node selected and its disc listed.
    FrmMain* mainOnDrive()
    {
        FrmMain* f = loadMain();
        click(f, driveNode(0));
        return f;
    }
    // Runs the command; a window still open after `ms` is closed as a user would close it.
    void runLookUp(FrmMain* f, int ms = 15000)
    {
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [] {
            if (FrmFreeDB* w = g_frmFreeDB.loaded())
                w->close();
        });
        guard.start(ms);
        f->RunCommand(QStringLiteral("FreeDB"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QStringList prompts() const
    {
        QStringList texts;
        for (const auto& r : box.shown)
            texts << r.prompt;
        return texts;
    }

    QString cue;
    QByteArray savedServer;
};

TEST_F(FreeDBWindow, TitlesReachTheRowsTheNodeAndTheListName)
{
    CddbServer server(CddbServer::Match);
    useServer(server);
    FrmMain* f = mainOnDrive();
    ASSERT_EQ(f->cGrid1->Rows(), 2);
    QStringList states;
    runLookUp(f);

    EXPECT_FALSE(g_frmFreeDB.isLoaded());
    EXPECT_TRUE(box.shown.isEmpty()) << prompts().join(QLatin1Char('|')).toStdString();
    cGrid* g = f->cGrid1;
    EXPECT_EQ(column(g, ItemRow::COL_ITEM_NAME), (QStringList{QStringLiteral("Première chanson.cda"), QStringLiteral("Second.cda")}));
    EXPECT_EQ(column(g, COL_TAG_ARTIST), QStringList(2, QStringLiteral("Les Artistes")));
    EXPECT_EQ(column(g, COL_TAG_ALBUM), QStringList(2, QStringLiteral("Été Album")));
    EXPECT_EQ(cTreeView::Text(driveNode(0)), QStringLiteral("Les Artistes - Été Album"));
    EXPECT_EQ(f->lblListName->text(), QStringLiteral("Les Artistes - Été Album"));
    // The key of the node stays the drive's.
    EXPECT_EQ(cTreeView::Key(driveNode(0)), QStringLiteral("##CDD: two.cue"));

    const QStringList lines = server.lines();
    EXPECT_TRUE(lines.contains(QStringLiteral("cddb hello clsCDDB localhost clsCDDB v0.5"))) << lines.join(QLatin1Char('\n')).toStdString();
    QStringList simplified;
    for (const QString& line : lines)
        simplified << line.simplified();
    EXPECT_TRUE(simplified.contains(QStringLiteral("cddb query 07000702 2 150 375 9"))) << lines.join(QLatin1Char('\n')).toStdString();
}

TEST_F(FreeDBWindow, NoMatchIsReportedAndClosesTheWindow)
{
    CddbServer server(CddbServer::NoMatch);
    useServer(server);
    FrmMain* f = mainOnDrive();
    runLookUp(f);
    EXPECT_FALSE(g_frmFreeDB.isLoaded());
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_TRUE(box.shown.at(0).prompt.endsWith(QStringLiteral("(2)"))) << box.shown.at(0).prompt.toStdString();
    EXPECT_EQ(box.shown.at(0).style, platform::vbExclamation);
    EXPECT_EQ(column(f->cGrid1, ItemRow::COL_ITEM_NAME), (QStringList{QStringLiteral("Track01.cda"), QStringLiteral("Track02.cda")}));
    EXPECT_EQ(cTreeView::Text(driveNode(0)), QStringLiteral("D:"));
}

TEST_F(FreeDBWindow, WithoutAConnectionTheWindowIsNeverShownAndTheGridStays)
{
    // The test main's server: a closed port on the loopback.
    FrmMain* f = mainOnDrive();
    bool shown = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] { shown = shown || (g_frmFreeDB.isLoaded() && g_frmFreeDB->isVisible()); });
    watch.start(5);
    runLookUp(f);
    EXPECT_FALSE(shown);
    EXPECT_FALSE(g_frmFreeDB.isLoaded());
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_EQ(box.shown.at(0).prompt, QStringLiteral("There is no internet connection.\r\n\r\n"
                                                     "Getting the information about the Audio CD (using the 'FreeDB') has failed."));
    EXPECT_EQ(box.shown.at(0).style, platform::vbInformation);
    EXPECT_EQ(column(f->cGrid1, ItemRow::COL_ITEM_NAME), (QStringList{QStringLiteral("Track01.cda"), QStringLiteral("Track02.cda")}));
}

// A server variable without a port is a mistake to name, not a reason to ask the public server.
TEST_F(FreeDBWindow, AMalformedServerVariableIsNamedAndNothingIsAsked)
{
    qputenv("QUILLMERE_CDDB_SERVER", "127.0.0.1:");
    FrmMain* f = mainOnDrive();
    runLookUp(f);
    EXPECT_FALSE(g_frmFreeDB.isLoaded());
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_EQ(box.shown.at(0).prompt,
              QStringLiteral("QUILLMERE_CDDB_SERVER is set to \"127.0.0.1:\", which is not host:port; nothing was looked up."));
    EXPECT_EQ(column(f->cGrid1, ItemRow::COL_ITEM_NAME), (QStringList{QStringLiteral("Track01.cda"), QStringLiteral("Track02.cda")}));
}

TEST_F(FreeDBWindow, TheStatusLineFollowsTheLookUp)
{
    FrmMain* f = mainOnDrive();
    FrmFreeDB* w = g_frmFreeDB.get();
    EXPECT_EQ(w->lblCurrentTrack->text(), QStringLiteral("Ready."));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("FreeDB"));
    EXPECT_FALSE(w->lblArtist->isVisibleTo(w));
    EXPECT_EQ(w->lblAlbumName->text(), QStringLiteral("Album Name"));
    // Not connected: the window says so and goes.
    EXPECT_FALSE(w->GetFreeDB());
    EXPECT_FALSE(g_frmFreeDB.isLoaded());

    CddbServer server(CddbServer::Match);
    useServer(server);
    w = g_frmFreeDB.get();
    ASSERT_TRUE(w->GetFreeDB());
    EXPECT_EQ(w->lblCurrentTrack->text(), QStringLiteral("Connecting to 127.0.0.1..."));
    w->cFreeDB1_StateChanged(QStringLiteral("Querying"));
    EXPECT_EQ(w->lblCurrentTrack->text(), QStringLiteral("FreeDB State:Querying"));
    // An error other than 2 leaves the window open with the error in the status line.
    w->cFreeDB1_LookupError(5, QStringLiteral("Server busy"));
    EXPECT_EQ(w->lblCurrentTrack->text(), QStringLiteral("Server busy(5)"));
    EXPECT_TRUE(g_frmFreeDB.isLoaded());
    w->cmdAbort_Click();
    EXPECT_FALSE(g_frmFreeDB.isLoaded());
    (void)f;
}

// However long a state or an error is, the status line shows all of it inside the window, with
// the progress bar and Abort below it; a short text gives the window back its design size.
TEST_F(FreeDBWindow, TheStatusLineShowsTheWholeText)
{
    FrmFreeDB* w = g_frmFreeDB.get();
    w->show();
    const QSize designed = w->size();
    const QString error = QStringLiteral("The CD database 127.0.0.1:47520 sent no complete entry for the disc 1500a802: it did not "
                                         "answer within 20 seconds (time-out).");
    for (const bool isError : {false, true}) {
        SCOPED_TRACE(isError);
        QString text;
        if (isError) {
            w->cFreeDB1_LookupError(5, error);  // not 2: the window stays
            text = error + QStringLiteral("(5)");
        } else {
            w->cFreeDB1_StateChanged(QStringLiteral("Querying 127.0.0.1:47520 for the disc 1500a802..."));
            text = QStringLiteral("FreeDB State:Querying 127.0.0.1:47520 for the disc 1500a802...");
        }
        QLabel* l = w->lblCurrentTrack;
        EXPECT_EQ(l->text(), text);
        // What the label draws of it: every word within its width, every line within its height.
        const QRect need =
            l->fontMetrics().boundingRect(QRect(0, 0, l->width(), 100000), l->wordWrap() ? Qt::TextWordWrap : 0, text);
        EXPECT_LE(need.width(), l->width());
        EXPECT_LE(need.height(), l->height());
        EXPECT_LE(l->geometry().right(), w->width());
        EXPECT_LE(l->geometry().bottom(), w->prgCurrnet->geometry().top());
        EXPECT_LE(w->prgCurrnet->geometry().bottom(), w->cmdAbort->geometry().top());
        EXPECT_LE(w->cmdAbort->geometry().bottom(), w->height());
        EXPECT_EQ(w->width(), designed.width());
    }
    w->cFreeDB1_StateChanged(QStringLiteral("Done."));
    EXPECT_EQ(w->size(), designed);
    w->cmdAbort_Click();
}

TEST_F(FreeDBWindow, ResultsForAnotherNodeOrAnotherTrackAreDropped)
{
    FrmMain* f = mainOnDrive();
    CddbServer server(CddbServer::Match);
    useServer(server);
    FrmFreeDB* w = g_frmFreeDB.get();
    ASSERT_TRUE(w->GetFreeDB());

    // The user opens a list before the answer comes: its rows and its node are left alone.
    QTreeWidgetItem* list = g_nodeMainItems->child(0);
    click(f, list);
    const long rows = f->cGrid1->Rows();
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 10000 && w->lblAlbumName->text() == QLatin1String("Album Name"))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_EQ(w->lblAlbumName->text(), QStringLiteral("Été Album"));  // the answer came
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 300)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(f->cGrid1->Rows(), rows);
    EXPECT_EQ(cTreeView::Text(list), QStringLiteral("New Items List 1"));
    EXPECT_EQ(cTreeView::Text(driveNode(0)), QStringLiteral("D:"));
    EXPECT_EQ(f->lblListName->text(), QStringLiteral("New Items List 1"));

    // Back on the drive, a track the listing has not is never appended.
    click(f, driveNode(0));
    w->cFreeDB1_TrackFound(QStringLiteral("A"), 3, QStringLiteral("Extra"));
    w->cFreeDB1_TrackFound(QStringLiteral("A"), 0, QStringLiteral("None"));
    EXPECT_EQ(f->cGrid1->Rows(), 2);
    EXPECT_EQ(column(f->cGrid1, ItemRow::COL_ITEM_NAME), (QStringList{QStringLiteral("Track01.cda"), QStringLiteral("Track02.cda")}));
    EXPECT_TRUE(g_frmFreeDB.isLoaded());
}

TEST_F(FreeDBWindow, AHiddenWindowStillFinishesTheLookUp)
{
    CddbServer server(CddbServer::Match);
    server.holdRead(true);  // the entry comes only once the window is hidden
    useServer(server);
    FrmMain* f = mainOnDrive();
    // As soon as the window is up, the component asks for it to be hidden.
    QTimer hide;
    QObject::connect(&hide, &QTimer::timeout, [&] {
        if (FrmFreeDB* w = g_frmFreeDB.loaded(); w && w->isVisible()) {
            hide.stop();
            emit w->cFreeDB1->RequestHide();
        }
    });
    hide.start(0);
    runLookUp(f);
    // The command has returned with the window hidden but loaded; it goes on and names the node.
    EXPECT_TRUE(g_frmFreeDB.isLoaded());
    EXPECT_FALSE(g_frmFreeDB.isLoaded() && g_frmFreeDB->isVisible());
    server.holdRead(false);
    QElapsedTimer t;
    t.start();
    while (g_frmFreeDB.isLoaded() && t.elapsed() < 15000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_FALSE(g_frmFreeDB.isLoaded());
    EXPECT_EQ(cTreeView::Text(driveNode(0)), QStringLiteral("Les Artistes - Été Album"));
    EXPECT_EQ(cell(f->cGrid1, 1, ItemRow::COL_ITEM_NAME), QStringLiteral("Première chanson.cda"));
}

TEST_F(FreeDBWindow, TheListingLooksTheDiscUpWhenTheOptionIsOn)
{
    CddbServer server(CddbServer::Match);
    useServer(server);
    ProgramOptions.chkAutoFreeDB = true;
    FrmMain* f = loadMain();
    QStringList commands;
    FrmMain::commandObserver = [&](const QString& key) { commands << key; };
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] {
        if (FrmFreeDB* w = g_frmFreeDB.loaded())
            w->close();
    });
    guard.start(15000);
    click(f, driveNode(0));
    EXPECT_EQ(commands, QStringList{QStringLiteral("FreeDB")});
    EXPECT_EQ(cTreeView::Text(driveNode(0)), QStringLiteral("Les Artistes - Été Album"));
    EXPECT_EQ(cell(f->cGrid1, 2, ItemRow::COL_ITEM_NAME), QStringLiteral("Second.cda"));
}

}  // namespace
