// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// Inputs that come and go under the recorder, opened through the program's start-up on the
// private sound server: pipe sources loaded and unloaded by the test, each fed numbered frames
// of its own. A take holds only the chosen input's frames, however it goes; the device list
// follows what the server announces; Record on an input that is gone says so by name.
// A file of its own: it unloads the server's own pipe source.
#include "foundation/mdlMain.h"
#include "mainwindow/FrmMain.h"
#include "recording/FrmMicRecorder.h"
#include "tests/commands/CommandsFixture.h"
#include "tests/sound/RecorderStartup.h"
#include "tests/sound/SoundFixtures.h"
#include "tests/sound/Takes.h"
#include "tests/support/PulseServer.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QtEndian>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <functional>
#include <thread>

namespace {

QString pactl(const QStringList& args, bool* ok = nullptr)
{
    QProcess p;
    p.start(QStringLiteral("pactl"), args);
    const bool done = p.waitForFinished(5000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (ok)
        *ok = done;
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// Numbered frames as the counting fixture makes them, but marked as another input's: the right
// channel carries 0x6000 where the counting fixture has 0x4000, so a take that holds one of them
// does not read as the counted frames.
QByteArray otherInputPcm(qint64 first, qint64 frames)
{
    QByteArray pcm(static_cast<qsizetype>(frames * 4), '\0');
    for (qint64 i = 0; i < frames; ++i) {
        const qint64 n = first + i;
        qToLittleEndian<quint16>(static_cast<quint16>(n & 0xffff), pcm.data() + i * 4);
        qToLittleEndian<quint16>(static_cast<quint16>(0x6000 | ((n >> 16) & 0xfff)), pcm.data() + i * 4 + 2);
    }
    return pcm;
}

// A pipe source of the test's own (44100 Hz, s16, stereo), named `name` and described as
// `description`; unloaded when destroyed unless the test did so. feed() writes frames into it
// from a thread; live() keeps writing the other input's frames at the pace they are heard.
class PipeInput {
public:
    PipeInput(const QString& folder, const QString& name, const QString& description)
        : m_fifo(folder + QLatin1Char('/') + name + QStringLiteral(".fifo"))
    {
        bool ok = false;
        m_module = pactl({QStringLiteral("load-module"), QStringLiteral("module-pipe-source"),
                          QStringLiteral("source_name=") + name, QStringLiteral("file=") + m_fifo,
                          QStringLiteral("format=s16le"), QStringLiteral("rate=%1").arg(PulseServer::kRate),
                          QStringLiteral("channels=%1").arg(PulseServer::kChannels),
                          QStringLiteral("source_properties=device.description=") + description},
                         &ok);
        if (!ok)
            m_module.clear();
        else  // never waits: a source nobody records from reads nothing
            m_fd = ::open(QFile::encodeName(m_fifo).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    }
    ~PipeInput()
    {
        stop();
        unload();
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool loaded() const { return !m_module.isEmpty() && m_fd >= 0; }
    bool unload()
    {
        if (m_module.isEmpty())
            return true;
        bool ok = false;
        pactl({QStringLiteral("unload-module"), m_module}, &ok);
        m_module.clear();
        return ok;
    }
    void feed(const QByteArray& pcm)
    {
        join();
        m_fed = false;
        m_writer = std::thread([this, pcm] {
            qsizetype at = 0;
            QElapsedTimer clock;
            clock.start();
            while (at < pcm.size() && clock.elapsed() < 20000) {
                pollfd p{m_fd, POLLOUT, 0};
                if (::poll(&p, 1, 100) <= 0)
                    continue;
                const ssize_t n = ::write(m_fd, pcm.constData() + at, static_cast<size_t>(pcm.size() - at));
                if (n < 0 && errno != EAGAIN)
                    break;
                at += std::max<ssize_t>(n, 0);
            }
            m_fed = at == pcm.size();
        });
    }
    bool waitFed(int ms) { return PulseServer::waitUntil([this] { return m_fed.load(); }, ms); }
    // Writes 20 ms of the other input's frames every 20 ms until stop().
    void live()
    {
        join();
        m_live = true;
        m_writer = std::thread([this] {
            qint64 next = 0;
            QElapsedTimer clock;
            clock.start();
            while (m_live) {
                const qint64 due = clock.elapsed() * PulseServer::kRate / 1000 + PulseServer::kRate / 10;
                if (next < due) {
                    // What the pipe has no room for is not heard: the next frames follow in time.
                    // Writes of PIPE_BUF at most go in whole or not at all, so no frame is split.
                    for (; next < due; next += std::min<qint64>(due - next, 1024)) {
                        const QByteArray pcm = otherInputPcm(next, std::min<qint64>(due - next, 1024));
                        if (::write(m_fd, pcm.constData(), static_cast<size_t>(pcm.size())) < 0 && errno != EAGAIN)
                            m_live = false;
                    }
                }
                ::usleep(20000);
            }
        });
    }
    void stop()
    {
        m_live = false;
        join();
    }

private:
    void join()
    {
        if (m_writer.joinable())
            m_writer.join();
    }
    QString m_fifo;
    QString m_module;
    int m_fd = -1;
    std::thread m_writer;
    std::atomic<bool> m_fed{false};
    std::atomic<bool> m_live{false};
};

// The device list's entries without their numbers ("<name> - <channels>").
QStringList listedNames(const QComboBox* list)
{
    QStringList names;
    for (int i = 0; i < list->count(); ++i)
        names << list->itemText(i).section(QStringLiteral(" - "), 1);
    return names;
}

int indexOfName(const QComboBox* list, const QString& name)
{
    return static_cast<int>(listedNames(list).indexOf(name + QStringLiteral(" - 2")));
}

class RecorderInputs : public CommandsFixture {
protected:
    void SetUp() override
    {
        QString error;
        server = PulseServer::Shared(&error);
        ASSERT_TRUE(server) << qPrintable(error);
        ::signal(SIGPIPE, SIG_IGN);  // a write into a source that went is refused, not fatal
        CommandsFixture::SetUp();
    }
    void TearDown() override
    {
        CommandsFixture::TearDown();
        g_lAppIncMicRec = 0;
    }
    // Opens the recorder through the program's start-up and runs `scenario` once it is shown;
    // the recorder is closed after it. False when the recorder never showed.
    bool withRecorder(const std::function<void(FrmMicRecorder*)>& scenario)
    {
        RecorderProfileStartup windows;
        EXPECT_TRUE(Main(windows, {}));
        FrmMain* f = frmMain.loaded();
        if (!f)
            return false;
        bool ran = false;
        QTimer watcher;
        watcher.setInterval(20);
        QObject::connect(&watcher, &QTimer::timeout, [&] {
            FrmMicRecorder* w = g_frmMicRecorder.loaded();
            if (!w || !w->isVisible() || ran)
                return;
            watcher.stop();
            ran = true;
            scenario(w);
            if (g_frmMicRecorder.isLoaded())
                g_frmMicRecorder->cmdExit->click();
        });
        watcher.start();
        f->RunCommand(QStringLiteral("Audio Recorder"));
        return ran;
    }
    QString folder(const QString& name)
    {
        const QString dir = server->folder() + QLatin1Char('/') + name;
        EXPECT_TRUE(QDir().mkpath(dir));
        return dir;
    }
    PulseServer* server = nullptr;
};

// The chosen input is removed while another input is live, and the server's default: the take
// ends with the chosen input's last frame and holds nothing of the other; the box names the
// input that went.
TEST_F(RecorderInputs, RemovedInputEndsTheTakeWithItsOwnFramesOnly)
{
    const QString dir = folder(QStringLiteral("removed"));
    // The program's sound is up before the two inputs come: they are plugged in while it runs.
    CreateWave()->GetDeviceCount(cWave::KindInput);
    PipeInput chosen(dir, QStringLiteral("qmchosen"), QStringLiteral("ChosenInput"));
    PipeInput other(dir, QStringLiteral("qmother"), QStringLiteral("OtherInput"));
    ASSERT_TRUE(chosen.loaded() && other.loaded());
    bool ok = false;
    pactl({QStringLiteral("set-default-source"), QStringLiteral("qmother")}, &ok);
    ASSERT_TRUE(ok);
    other.live();
    const QString take = dir + QStringLiteral("/take.wav");
    const qint64 frames = PulseServer::kRate;

    bool stopped = false;
    ASSERT_TRUE(withRecorder([&](FrmMicRecorder* w) {
        ASSERT_TRUE(PulseServer::waitUntil([&] { return indexOfName(w->cboDevices, QStringLiteral("ChosenInput")) >= 0; }, 5000))
            << qPrintable(listedNames(w->cboDevices).join(QLatin1Char('|')));
        w->cboDevices->setCurrentIndex(indexOfName(w->cboDevices, QStringLiteral("ChosenInput")));
        w->txtAudioFile->setText(take);
        w->cmdRecord->click();
        ASSERT_FALSE(w->cmdRecord->isEnabled()) << qPrintable(prompts().join(QLatin1Char('|')));
        QTest::qWait(300);  // the stream is connected before the first fed sample
        chosen.feed(soundfx::countingPcm(frames));
        ASSERT_TRUE(chosen.waitFed(20000));
        QTest::qWait(600);
        ASSERT_TRUE(chosen.unload());
        stopped = PulseServer::waitUntil([&] { return w->cmdRecord->isEnabled(); }, 5000);
        QTest::qWait(500);  // what another input would have handed over meanwhile
    }));
    other.stop();
    ASSERT_TRUE(stopped) << "the recording went on after its input was gone";
    EXPECT_TRUE(takes::holdsCountedFrames(take, frames));
    const QStringList said = prompts();
    ASSERT_EQ(said.size(), 1) << qPrintable(said.join(QLatin1Char('|')));
    EXPECT_EQ(said.first(), QStringLiteral("The sound input 'ChosenInput' is gone; the recording ended there."));
}

// The list follows the server: an input removed while the recorder is open leaves the list, and
// Record on it says so by name and records nothing (not the default input under its name); an
// input added later is listed, and recorded once chosen.
TEST_F(RecorderInputs, ListFollowsInputsThatComeAndGo)
{
    const QString dir = folder(QStringLiteral("follow"));
    auto going = std::make_unique<PipeInput>(dir, QStringLiteral("qmgoing"), QStringLiteral("GoingInput"));
    ASSERT_TRUE(going->loaded());
    const QString take = dir + QStringLiteral("/take.wav");
    const QString later = dir + QStringLiteral("/later.wav");
    const qint64 frames = PulseServer::kRate / 2;
    QStringList before, afterRemoval, afterAdding;
    QString shownAfterRemoval, recordedWith;
    bool recordEnabledAfterGone = false, stopped = false;
    std::unique_ptr<PipeInput> coming;
    ASSERT_TRUE(withRecorder([&](FrmMicRecorder* w) {
        ASSERT_TRUE(PulseServer::waitUntil([&] { return indexOfName(w->cboDevices, QStringLiteral("GoingInput")) >= 0; }, 5000));
        w->cboDevices->setCurrentIndex(indexOfName(w->cboDevices, QStringLiteral("GoingInput")));
        before = listedNames(w->cboDevices);
        ASSERT_TRUE(going->unload());
        PulseServer::waitUntil([&] { return indexOfName(w->cboDevices, QStringLiteral("GoingInput")) < 0; }, 5000);
        afterRemoval = listedNames(w->cboDevices);
        shownAfterRemoval = w->cboDevices->currentText();
        w->txtAudioFile->setText(take);
        w->cmdRecord->click();
        recordEnabledAfterGone = w->cmdRecord->isEnabled();
        if (!recordEnabledAfterGone) {
            w->cmdStopRec->click();
            PulseServer::waitUntil([&] { return w->cmdRecord->isEnabled(); }, 5000);
        }

        coming = std::make_unique<PipeInput>(dir, QStringLiteral("qmcoming"), QStringLiteral("ComingInput"));
        ASSERT_TRUE(coming->loaded());
        PulseServer::waitUntil([&] { return indexOfName(w->cboDevices, QStringLiteral("ComingInput")) >= 0; }, 5000);
        afterAdding = listedNames(w->cboDevices);
        const int index = indexOfName(w->cboDevices, QStringLiteral("ComingInput"));
        ASSERT_GE(index, 0) << "an input added later is not listed: " << qPrintable(afterAdding.join(QLatin1Char('|')));
        w->cboDevices->setCurrentIndex(index);
        recordedWith = w->cboDevices->currentText();
        w->txtAudioFile->setText(later);
        w->cmdRecord->click();
        ASSERT_FALSE(w->cmdRecord->isEnabled()) << qPrintable(prompts().join(QLatin1Char('|')));
        QTest::qWait(300);
        coming->feed(soundfx::countingPcm(frames));
        ASSERT_TRUE(coming->waitFed(20000));
        QTest::qWait(600);
        w->cmdStopRec->click();
        stopped = PulseServer::waitUntil([&] { return w->cmdRecord->isEnabled(); }, 5000);
    }));
    EXPECT_TRUE(before.contains(QStringLiteral("GoingInput - 2")));
    EXPECT_FALSE(afterRemoval.contains(QStringLiteral("GoingInput - 2"))) << qPrintable(afterRemoval.join(QLatin1Char('|')));
    EXPECT_TRUE(shownAfterRemoval.isEmpty()) << "another input shown as the chosen one: " << qPrintable(shownAfterRemoval);
    EXPECT_TRUE(recordEnabledAfterGone) << "recorded although the chosen input was gone";
    EXPECT_FALSE(QFile::exists(take));
    const QStringList said = prompts();
    ASSERT_FALSE(said.isEmpty());
    EXPECT_EQ(said.first(), QStringLiteral("The sound input 'GoingInput' is gone; choose another input to record from."));
    EXPECT_EQ(said.size(), 1) << qPrintable(said.join(QLatin1Char('|')));
    // The numbers shown are the places in the list of now.
    EXPECT_TRUE(recordedWith.startsWith(QString::number(afterAdding.indexOf(QStringLiteral("ComingInput - 2"))) +
                                        QStringLiteral(" - ComingInput")))
        << qPrintable(recordedWith);
    EXPECT_TRUE(stopped);
    EXPECT_TRUE(takes::holdsCountedFrames(later, frames));
}

// With no input at all when the recorder opens, the first input the server announces is listed
// and chosen: Record records it instead of naming an input number -1.
TEST_F(RecorderInputs, FirstInputAddedAfterOpeningIsChosen)
{
    const QString dir = folder(QStringLiteral("first"));
    // The server's own pipe source goes, and with it every input (the sinks' monitors are not
    // listed as inputs).
    QString modules = pactl({QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("modules")});
    for (const QString& line : modules.split(QLatin1Char('\n')))
        if (line.contains(QStringLiteral("module-pipe-source")))
            pactl({QStringLiteral("unload-module"), line.section(QLatin1Char('\t'), 0, 0)});
    const QString take = dir + QStringLiteral("/take.wav");
    const qint64 frames = PulseServer::kRate / 2;
    int atOpening = -1;
    QString chosenText;
    bool stopped = false;
    std::unique_ptr<PipeInput> first;
    ASSERT_TRUE(withRecorder([&](FrmMicRecorder* w) {
        atOpening = w->cboDevices->count();
        first = std::make_unique<PipeInput>(dir, QStringLiteral("qmfirst"), QStringLiteral("FirstInput"));
        ASSERT_TRUE(first->loaded());
        PulseServer::waitUntil([&] { return w->cboDevices->count() > 0; }, 5000);
        chosenText = w->cboDevices->currentText();
        w->txtAudioFile->setText(take);
        w->cmdRecord->click();
        ASSERT_FALSE(w->cmdRecord->isEnabled()) << qPrintable(prompts().join(QLatin1Char('|')));
        QTest::qWait(300);
        first->feed(soundfx::countingPcm(frames));
        ASSERT_TRUE(first->waitFed(20000));
        QTest::qWait(600);
        w->cmdStopRec->click();
        stopped = PulseServer::waitUntil([&] { return w->cmdRecord->isEnabled(); }, 5000);
    }));
    EXPECT_EQ(atOpening, 0) << "an input was left at the opening";
    EXPECT_EQ(chosenText, QStringLiteral("0 - FirstInput - 2"));
    EXPECT_TRUE(stopped);
    EXPECT_TRUE(takes::holdsCountedFrames(take, frames));
    EXPECT_TRUE(prompts().isEmpty()) << qPrintable(prompts().join(QLatin1Char('|')));
}

}  // namespace
