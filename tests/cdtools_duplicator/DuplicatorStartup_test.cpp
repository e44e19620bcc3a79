// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The "Audio CD Duplicator" command of a program started through Main, and the command line
// driver's "duplicate" over the same task.
#include "tests/cdtools_duplicator/DuplicatorFixture.h"
#include "tests/support/ModalWindow.h"

#include "commands/ToolWindows.h"
#include "foundation/mdlMain.h"
#include "platform/Clock.h"
#include "settings/controls/cTreeView.h"

#include <QComboBox>
#include <QDialog>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <csignal>

#include <signal.h>

namespace {

class DuplicatorStartupTest : public DuplicatorTest {};

// Start-up with the duplicator in the product profile, as start-up itself runs.
class DuplicatorStartupWindows final : public StartupWindows {
public:
    void LoadOptions() override
    {
        m_real.LoadOptions();
        g_lAppIncDuplicator = 1;
    }
    void LoadAudioProp() override { m_real.LoadAudioProp(); }
    void LoadMain() override { m_real.LoadMain(); }
    void ShowMain() override { m_real.ShowMain(); }
    void ShowMainInTray() override { m_real.ShowMainInTray(); }
    void ShowMainMinimised() override { m_real.ShowMainMinimised(); }
    void RunStartupSwitches(const QString& commandLine) override { m_real.RunStartupSwitches(commandLine); }

private:
    MainStartupWindows m_real;
};

TEST_F(DuplicatorStartupTest, TheCommandOfAStartedProgramOpensTheDuplicatorUnderTheHourglass)
{
    const QString source = discimages::WriteBinCue(dir.path(), QStringLiteral("source"), {{true, 75}, {true, 40}, {true, 60}});
    const QString copy = QDir(dir.path()).filePath(QStringLiteral("copy.cue"));
    setDrives({source, copy});
    ToolWindows::Register(QStringLiteral("Audio CD Duplicator"), {});

    platform::setClockService(nullptr);  // the splash fades by the real tick count
    DuplicatorStartupWindows windows;
    ASSERT_TRUE(Main(windows, {}));
    ASSERT_TRUE(ToolWindows::IsRegistered(QStringLiteral("Audio CD Duplicator")));
    FrmMain* f = frmMain.get();
    waitIdle(f);
    f->tmrCDs->start();

    QString status;
    bool hourglass = false, polling = true, copied = false;
    // Acts once the modal window is up, as its user would.
    modal::ActWhenShown(
        g_frmAudioCDDuplicator,
        [&](FrmAudioCDDuplicator* w) {
            status = w->lblCDStatus->text();
            hourglass = f->testAttribute(Qt::WA_SetCursor) && f->cursor().shape() == Qt::WaitCursor;
            polling = f->tmrCDs->isActive();
            chooseWriter(w, QStringLiteral("E:"));
            w->cmdConvert->click();
            copied = QTest::qWaitFor([] { return !g_frmAudioCDDuplicator.isLoaded(); }, 60000);
        },
        [&] { f->RunCommand(QStringLiteral("Audio CD Duplicator")); }, 90000);

    EXPECT_EQ(status, QStringLiteral("OK: 3 CDA tracks"));
    EXPECT_TRUE(hourglass);
    EXPECT_FALSE(polling);
    ASSERT_TRUE(copied);
    EXPECT_NE(f->cursor().shape(), Qt::WaitCursor);
    const Toc original = toc(QStringLiteral("D:")), written = toc(QStringLiteral("E:"));
    EXPECT_EQ(written.starts, original.starts);
    EXPECT_EQ(written.lengths, original.lengths);
    for (int t = 1; t <= 3; ++t)
        EXPECT_TRUE(burnfixtures::ripTrack(QStringLiteral("E:"), t) == burnfixtures::ripTrack(QStringLiteral("D:"), t)) << t;
    ToolWindows::Register(QStringLiteral("Audio CD Duplicator"), {});
}

// A stand-in window that notes the main window's state while it is shown.
class NotingTool final : public ToolWindow {
public:
    QWidget* Window() override { return &window; }
    void ShowModal() override
    {
        ++shown;
        polling << frmMain->tmrCDs->isActive();
        hourglass << (frmMain->cursor().shape() == Qt::WaitCursor);
    }
    QDialog window;
    int shown = 0;
    QList<bool> polling, hourglass;
};

TEST_F(DuplicatorStartupTest, TheLauncherPausesThePollingAndOpensOnAnyNode)
{
    setDrives({discimages::WriteBinCue(dir.path(), QStringLiteral("disc"), {{true, 75}})});
    FrmMain* f = loadMain();
    NotingTool tool;
    ToolWindows::Register(QStringLiteral("Audio CD Duplicator"), [&] { return &tool; });
    click(f, driveNode(0));
    ASSERT_TRUE(f->tmrCDs->isActive());

    f->RunCommand(QStringLiteral("Audio CD Duplicator"));
    EXPECT_TRUE(f->tmrCDs->isActive());  // back on: a drive node is selected
    EXPECT_NE(f->cursor().shape(), Qt::WaitCursor);
    // A root node opens it as well; the polling stays off there.
    f->cTreeView1->setCurrentItem(g_nodeMainItems);
    f->cTreeView1_NodeClick(g_nodeMainItems);
    waitIdle(f);
    f->RunCommand(QStringLiteral("Audio CD Duplicator"));
    EXPECT_EQ(tool.shown, 2);
    EXPECT_EQ(tool.polling, (QList<bool>{false, false}));
    EXPECT_EQ(tool.hourglass, (QList<bool>{true, true}));
    EXPECT_FALSE(f->tmrCDs->isActive());
    EXPECT_TRUE(acting.shown.isEmpty());

    // Without a window the build says so, and the polling comes back on a drive node.
    ToolWindows::Register(QStringLiteral("Audio CD Duplicator"), {});
    click(f, driveNode(0));
    f->RunCommand(QStringLiteral("Audio CD Duplicator"));
    ASSERT_EQ(acting.shown.size(), 1);
    EXPECT_EQ(acting.shown[0].prompt, ToolWindows::NotPartOfThisVersion(QStringLiteral("Audio CD Duplicator")));
    EXPECT_TRUE(f->tmrCDs->isActive());
    EXPECT_NE(f->cursor().shape(), Qt::WaitCursor);
}

struct DriverRun {
    int status = -1;
    QString out, err;
};

DriverRun driver(const QStringList& drives, const QStringList& args, const QByteArray& input = {})
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUILLMERE_DRIVES"), drives.join(QLatin1Char(':')));
    p.setProcessEnvironment(env);
    p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/cd-driver"), args);
    p.write(input);
    p.closeWriteChannel();
    EXPECT_TRUE(p.waitForFinished(60000));
    DriverRun r;
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

TEST_F(DuplicatorStartupTest, TheDriverDuplicatesAndSucceedsOnlyWhenEveryTrackWasCopied)
{
    const QList<discimages::Track> tracks{{true, 75}, {true, 113}};
    const QString source = discimages::WriteBinCue(dir.path(), QStringLiteral("source"), tracks);
    const QString copy = QDir(dir.path()).filePath(QStringLiteral("copy.cue"));
    const QString dupe = QDir(dir.path()).filePath(QStringLiteral("again.cue"));

    DriverRun r = driver({source, copy}, {QStringLiteral("duplicate"), QStringLiteral("d"), QStringLiteral("E:")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("Start to rip: Track02.cda...")));
    EXPECT_TRUE(r.out.endsWith(QStringLiteral("Finished.\n"))) << r.out.toStdString();
    QFile a(QDir(dir.path()).filePath(QStringLiteral("source.bin"))), b(QDir(dir.path()).filePath(QStringLiteral("copy.bin")));
    ASSERT_TRUE(a.open(QIODevice::ReadOnly));
    ASSERT_TRUE(b.open(QIODevice::ReadOnly));
    EXPECT_TRUE(a.readAll() == b.readAll());

    // The written disc is not blank: the prompt comes, and the end of the input cancels it.
    r = driver({source, copy}, {QStringLiteral("duplicate"), QStringLiteral("D:"), QStringLiteral("E:")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Insert an empty media to drive E then click on 'OK'.")));
    // A data track cannot be copied, first or last: a copy without it is no copy, and the writer
    // is left as it was.
    for (const QList<discimages::Track>& tracks : {QList<discimages::Track>{{false, 30}, {true, 75}}, QList<discimages::Track>{{true, 75}, {false, 30}}}) {
        const QString mixed = discimages::WriteBinCue(dir.path(), QStringLiteral("mixed"), tracks);
        r = driver({mixed, dupe}, {QStringLiteral("duplicate"), QStringLiteral("D"), QStringLiteral("E")});
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(r.out.contains(QStringLiteral("Error: "))) << r.out.toStdString();
        EXPECT_TRUE(r.out.endsWith(QStringLiteral("1 of 2 tracks failed: nothing was burned; see the log.\n"))) << r.out.toStdString();
        EXPECT_FALSE(r.out.contains(QStringLiteral("Finished."))) << r.out.toStdString();
        EXPECT_FALSE(QFileInfo::exists(dupe));
        EXPECT_FALSE(QFileInfo::exists(QDir(dir.path()).filePath(QStringLiteral("again.bin"))));
    }
    // A writer that takes data only is said to be one, once; no disc put in would change it.
    const QString iso = QDir(dir.path()).filePath(QStringLiteral("data.iso"));
    r = driver({source, iso}, {QStringLiteral("duplicate"), QStringLiteral("D"), QStringLiteral("E")}, "ok\nok\nok\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(r.err.contains(QStringLiteral("Insert an empty media"))) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("Error:The drive 'E: data.iso' writes data discs only; audio cannot be burned to it.(9)")))
        << r.out.toStdString();
    EXPECT_FALSE(QFileInfo::exists(iso));
    // No disc in the source.
    r = driver({QDir(dir.path()).filePath(QStringLiteral("none.cue")), dupe},
               {QStringLiteral("duplicate"), QStringLiteral("D"), QStringLiteral("E")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, QStringLiteral("'D:/' is not an Audio CD.\n"));
}

// A duplication ended by a signal takes its ripped tracks and its temporary folder with it: the
// driver is killed while it waits at the disc prompt, every track ripped by then.
TEST_F(DuplicatorStartupTest, ASignalDuringTheDriversDuplicationLeavesNoRippedTrackBehind)
{
    const QString source = discimages::WriteBinCue(dir.path(), QStringLiteral("source"), {{true, 75}, {true, 90}, {true, 60}});
    const QString full = discimages::WriteBinCue(dir.path(), QStringLiteral("full"), {{true, 30}});
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(sig);
        QTemporaryDir temp;
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QUILLMERE_DRIVES"), QStringList{source, full}.join(QLatin1Char(':')));
        env.insert(QStringLiteral("TMPDIR"), temp.path());
        p.setProcessEnvironment(env);
        p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/cd-driver"),
                {QStringLiteral("duplicate"), QStringLiteral("D"), QStringLiteral("E")});
        QByteArray err;
        QElapsedTimer clock;
        clock.start();
        while (!err.contains("Insert an empty media") && clock.elapsed() < 30000 && p.state() != QProcess::NotRunning) {
            p.waitForReadyRead(100);
            err += p.readAllStandardError();
        }
        ASSERT_TRUE(err.contains("Insert an empty media")) << err.toStdString();
        // Every track lies ripped in the driver's folder while it waits.
        QDirIterator it(temp.path(), {QStringLiteral("*.wav")}, QDir::Files, QDirIterator::Subdirectories);
        QStringList ripped;
        while (it.hasNext())
            ripped << QFileInfo(it.next()).fileName();
        ripped.sort();
        ASSERT_EQ(ripped, (QStringList{QStringLiteral("1.wav"), QStringLiteral("2.wav"), QStringLiteral("3.wav")}));

        ASSERT_EQ(::kill(pid_t(p.processId()), sig), 0);
        ASSERT_TRUE(p.waitForFinished(20000));
        EXPECT_EQ(p.exitStatus(), QProcess::CrashExit);
        EXPECT_EQ(QDir(temp.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot), QStringList());
    }
}

// A reader that goes away (`| head -1`) ends the driver with SIGPIPE at its next line: the
// ripped tracks and the temporary folder go as they go on the other signals.
TEST_F(DuplicatorStartupTest, AReaderThatGoesAwayLeavesNoRippedTrackBehind)
{
    const QString source = discimages::WriteBinCue(dir.path(), QStringLiteral("source"), {{true, 75}, {true, 90}, {true, 60}});
    const QString full = discimages::WriteBinCue(dir.path(), QStringLiteral("full"), {{true, 30}});
    QTemporaryDir temp;
    const QString errors = QDir(dir.path()).filePath(QStringLiteral("errors.txt"));
    const QString leave = QDir(dir.path()).filePath(QStringLiteral("leave"));
    const QString gone = QDir(dir.path()).filePath(QStringLiteral("gone"));
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUILLMERE_DRIVES"), QStringList{source, full}.join(QLatin1Char(':')));
    env.insert(QStringLiteral("TMPDIR"), temp.path());
    p.setProcessEnvironment(env);
    // The reader takes the first line and stays until it is told to leave (the pipe holds what
    // comes meanwhile); then it closes the pipe and says it is gone. How the driver ended is
    // written after the reader's line.
    p.start(QStringLiteral("/bin/bash"),
            {QStringLiteral("-c"),
             QStringLiteral("\"$0\" duplicate D E 2>\"$1\" | { head -1; until [ -e \"$2\" ]; do sleep 0.05; done; exec 0<&-; : > \"$3\"; }; "
                            "echo \"status ${PIPESTATUS[0]}\""),
             QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/cd-driver"), errors, leave, gone});
    QByteArray out;
    QElapsedTimer clock;
    clock.start();
    // The reader has taken its line and gone; every track lies ripped while the prompt waits.
    while ((!out.contains('\n') || !fixtures::readFile(errors).contains("Insert an empty media")) && clock.elapsed() < 30000 &&
           p.state() != QProcess::NotRunning) {
        p.waitForReadyRead(100);
        out += p.readAllStandardOutput();
    }
    ASSERT_EQ(out, QByteArray("Preparing to copy: 3 tracks.\n"));
    ASSERT_TRUE(fixtures::readFile(errors).contains("Insert an empty media"));
    QDirIterator it(temp.path(), {QStringLiteral("*.wav")}, QDir::Files, QDirIterator::Subdirectories);
    QStringList ripped;
    while (it.hasNext())
        ripped << QFileInfo(it.next()).fileName();
    ripped.sort();
    ASSERT_EQ(ripped, (QStringList{QStringLiteral("1.wav"), QStringLiteral("2.wav"), QStringLiteral("3.wav")}));

    // The reader goes; then Cancel, whose line goes to the reader that is gone.
    fixtures::writeFile(leave, QByteArray());
    ASSERT_TRUE(burnfixtures::waitUntil([&] { return QFileInfo::exists(gone); }, 10000));
    p.write("no\n");
    p.closeWriteChannel();
    ASSERT_TRUE(p.waitForFinished(20000));
    out += p.readAllStandardOutput();
    EXPECT_TRUE(out.endsWith(QByteArray("status " + QByteArray::number(128 + SIGPIPE) + "\n"))) << out.toStdString();
    EXPECT_EQ(QDir(temp.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot), QStringList());
}

}  // namespace
