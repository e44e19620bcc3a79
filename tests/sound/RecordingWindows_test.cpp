// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The recorder and speech windows on the private sound server: the recorder opened by the
// program's own start-up records what the pipe source is fed and hands it to the items list;
// the speech window's "Say It" marks the words as they are heard.
#include "batchtools/cProgressBar.h"
#include "components/cWave.h"
#include "components/cWaveTTS.h"
#include "foundation/mdlMain.h"
#include "mainwindow/MainStartupWindows.h"
#include "components/cAudioEditor.h"
#include "mainwindow/cToolbar.h"
#include "recording/FrmAudioEditor.h"
#include "recording/FrmMicRecorder.h"
#include "recording/FrmWaveTTS.h"
#include "tests/commands/CommandsFixture.h"
#include "tests/sound/RecorderStartup.h"
#include "tests/sound/SoundFixtures.h"
#include "tests/support/PulseServer.h"

#include <QAudioDevice>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMediaDevices>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QtEndian>

#include <functional>

namespace {

class RecordingOnServer : public CommandsFixture {
protected:
    void SetUp() override
    {
        QString error;
        server = PulseServer::Shared(&error);
        ASSERT_TRUE(server) << qPrintable(error);
        CommandsFixture::SetUp();
    }
    void TearDown() override
    {
        watcher.reset();
        CommandsFixture::TearDown();
        g_lAppIncMicRec = 0;
        g_lAppIncTTS = 0;
    }
    // Runs `step` every 20 ms while a command's modal window is open.
    void watch(std::function<void()> step)
    {
        watcher = std::make_unique<QTimer>();
        watcher->setInterval(20);
        QObject::connect(watcher.get(), &QTimer::timeout, step);
        watcher->start();
    }
    PulseServer* server = nullptr;
    std::unique_ptr<QTimer> watcher;
};

// The position in the recorder's device list of the pipe source the test feeds.
int pipeSourceIndex()
{
    std::unique_ptr<cWave> probe = CreateWave();
    const long n = probe->GetDeviceCount(cWave::KindInput);
    for (long i = 0; i < n; ++i) {
        cWave::WaveDeviceCaps caps;
        long index = i;
        if (probe->GetDeviceCaps(index, caps, cWave::KindInput) == 0 && caps.szId == QLatin1String(PulseServer::kPipeSource))
            return static_cast<int>(i);
    }
    return -1;
}

QByteArray wavData(const QString& path, int* rate, int* channels, int* bits)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray b = f.readAll();
    if (b.size() < 44 || b.mid(36, 4) != "data")
        return {};
    *channels = qFromLittleEndian<quint16>(b.constData() + 22);
    *rate = static_cast<int>(qFromLittleEndian<quint32>(b.constData() + 24));
    *bits = qFromLittleEndian<quint16>(b.constData() + 34);
    return b.mid(44, qFromLittleEndian<quint32>(b.constData() + 40));
}

TEST_F(RecordingOnServer, RecorderFromStartUpRecordsTheFedSamplesAndAddsTheFile)
{
    RecorderProfileStartup windows;
    ASSERT_TRUE(Main(windows, {}));
    FrmMain* f = frmMain.loaded();
    ASSERT_TRUE(f);
    waitIdle(f);
    const QString list = cTreeView::Key(f->cTreeView1->SelectedNode());
    ASSERT_TRUE(list.endsWith(QStringLiteral(".flst")));
    const long rowsBefore = f->cGrid1->Rows();
    const int device = pipeSourceIndex();
    ASSERT_GE(device, 0);

    const QString take = QDir(media).filePath(QStringLiteral("fed.wav"));
    const qint64 frames = PulseServer::kRate;
    enum { Open, Recording, Feeding, Fed, Stopping, Added } state = Open;
    QElapsedTimer since;
    QString log, deviceText;
    long loudest = 0;
    watch([&] {
        FrmMicRecorder* w = g_frmMicRecorder.loaded();
        if (!w || !w->isVisible())
            return;
        switch (state) {
        case Open:
            w->cboDevices->setCurrentIndex(device);
            deviceText = w->cboDevices->currentText();
            w->txtAudioFile->setText(take);
            w->cmdRecord->click();
            since.start();
            state = Recording;
            break;
        case Recording:
            if (since.elapsed() < 300)  // the stream is connected before the first fed sample
                return;
            server->feedSource(soundfx::countingPcm(frames));
            state = Feeding;
            break;
        case Feeding:
            loudest = std::max(loudest, w->prgMeter->Value());
            if (server->waitFed(0)) {
                since.restart();
                state = Fed;
            }
            break;
        case Fed:
            loudest = std::max(loudest, w->prgMeter->Value());
            if (since.elapsed() < 600)
                return;
            w->cmdStopRec->click();
            state = Stopping;
            break;
        case Stopping:
            if (!w->cmdRecord->isEnabled())  // until DoneRecord
                return;
            log = w->txtResults->toPlainText();
            state = Added;
            w->cmdAdd->click();
            break;
        case Added:
            break;
        }
    });
    f->RunCommand(QStringLiteral("Audio Recorder"));
    watcher.reset();
    ASSERT_EQ(state, Added) << "the recorder closed early " << qPrintable(prompts().join(QLatin1Char('|')));
    EXPECT_FALSE(g_frmMicRecorder.isLoaded());
    EXPECT_TRUE(deviceText.startsWith(QString::number(device) + QStringLiteral(" - "))) << qPrintable(deviceText);
    EXPECT_TRUE(deviceText.endsWith(QStringLiteral(" - 2"))) << qPrintable(deviceText);
    EXPECT_GE(loudest, 100) << "the meter followed the fed samples";

    int rate = 0, channels = 0, bits = 0;
    const QByteArray data = wavData(take, &rate, &channels, &bits);
    EXPECT_EQ(rate, 44100);
    EXPECT_EQ(channels, 2);
    EXPECT_EQ(bits, 16);
    const std::vector<qint64> heard = soundfx::heardNumbers(data);
    ASSERT_EQ(static_cast<qint64>(heard.size()), frames);
    for (qint64 i = 0; i < frames; ++i)
        ASSERT_EQ(heard[static_cast<size_t>(i)], i) << "at frame " << i;
    QStringList lines;
    for (const QString& line : log.remove(QLatin1Char('\r')).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        lines << line.mid(line.indexOf(QStringLiteral(": ")));
    EXPECT_EQ(lines, (QStringList{QStringLiteral(": MeterIn=True."), QStringLiteral(": MeterIn=True."),
                                  QStringLiteral(": PreScreenClose."), QStringLiteral(": RecordStart Success."),
                                  QStringLiteral(": RecordStop Success."), QStringLiteral(": DoneRecord Event.")}));

    ASSERT_EQ(f->cGrid1->Rows(), rowsBefore + 1);
    EXPECT_EQ(cell(f->cGrid1, f->cGrid1->Rows(), COL_FILE), take);
}

// While the input delivers nothing (the fed sound is over, the pipe source is silent) the meter
// falls to nothing within a second or so instead of standing at the last level heard.
TEST_F(RecordingOnServer, RecorderMeterFallsOnceTheInputDeliversNothing)
{
    RecorderProfileStartup windows;
    ASSERT_TRUE(Main(windows, {}));
    FrmMain* f = frmMain.loaded();
    ASSERT_TRUE(f);
    waitIdle(f);
    const int device = pipeSourceIndex();
    ASSERT_GE(device, 0);
    enum { Open, Recording, Feeding, Fed, Stopping, Done } state = Open;
    QElapsedTimer since;
    long loudest = 0, lastLevel = -1;
    qint64 fallMs = -1;
    bool stillRecording = false;
    watch([&] {
        FrmMicRecorder* w = g_frmMicRecorder.loaded();
        if (!w || !w->isVisible())
            return;
        switch (state) {
        case Open:
            w->cboDevices->setCurrentIndex(device);
            w->txtAudioFile->setText(QDir(media).filePath(QStringLiteral("meter.wav")));
            w->cmdRecord->click();
            since.start();
            state = Recording;
            break;
        case Recording:
            if (since.elapsed() < 300)
                return;
            server->feedSource(soundfx::countingPcm(PulseServer::kRate / 2));
            state = Feeding;
            break;
        case Feeding:
            loudest = std::max(loudest, w->prgMeter->Value());
            if (server->waitFed(0)) {
                since.restart();
                state = Fed;
            }
            break;
        case Fed:
            loudest = std::max(loudest, w->prgMeter->Value());
            lastLevel = w->prgMeter->Value();
            if (lastLevel > 0 && since.elapsed() < 4000)
                return;
            fallMs = since.elapsed();
            stillRecording = !w->cmdRecord->isEnabled();
            w->cmdStopRec->click();
            state = Stopping;
            break;
        case Stopping:
            if (!w->cmdRecord->isEnabled())
                return;
            state = Done;
            w->cmdExit->click();
            break;
        case Done:
            break;
        }
    });
    f->RunCommand(QStringLiteral("Audio Recorder"));
    watcher.reset();
    ASSERT_EQ(state, Done) << "the recorder closed early";
    EXPECT_GE(loudest, 100) << "the meter followed the fed samples";
    EXPECT_TRUE(stillRecording) << "the meter fell while the recording went on, not at its end";
    EXPECT_EQ(lastLevel, 0);
    EXPECT_LT(fallMs, 2500);
}

TEST_F(RecordingOnServer, SayItMarksEachWordAsItIsHeardThenTheWholeText)
{
    g_lAppIncTTS = 1;
    FrmWaveTTS* w = g_frmWaveTTS.get();
    ASSERT_GT(w->cboVoices->count(), 0);
    const QList<QAudioDevice> outputs = QMediaDevices::audioOutputs();
    int pipe = -1;
    for (int i = 0; i < outputs.size(); ++i)
        if (outputs.at(i).id() == QByteArray(PulseServer::kPipeSink))
            pipe = i;
    ASSERT_GE(pipe, 0);
    ASSERT_EQ(w->cboAudioOutputs->count(), outputs.size());
    w->cboAudioOutputs->setCurrentIndex(pipe);
    const QString text = QStringLiteral("Seven green boats sail home.");
    w->txtSpeak->setPlainText(text);

    // What the text box shows selected each time the component reports a word.
    QStringList marked;
    QObject::connect(w->cWaveTTS1.get(), &cWaveTTS::TextPosition, w,
                     [&] { marked << w->txtSpeak->textCursor().selectedText(); });
    QSignalSpy whole(w->cWaveTTS1.get(), &cWaveTTS::WholeText);
    server->clearCapture();
    w->cmdSay->click();
    ASSERT_TRUE(whole.wait(15000));
    QTest::qWait(20);
    EXPECT_EQ(marked, (QStringList{QStringLiteral("Seven"), QStringLiteral("green"), QStringLiteral("boats"),
                                   QStringLiteral("sail"), QStringLiteral("home")}));
    EXPECT_EQ(w->txtSpeak->textCursor().selectedText(), text);
    const QByteArray played = server->captured();
    EXPECT_GT(played.size(), 44100 * 4 / 2);
    EXPECT_NE(played.count('\0'), played.size());

    // "Stop" ends a running speech before its end; the next one is heard in full again.
    whole.clear();
    marked.clear();
    w->cmdSay->click();
    QTest::qWait(300);
    w->cmdStop->click();
    QTest::qWait(500);
    EXPECT_FALSE(w->cWaveTTS1->Status());
    EXPECT_LT(marked.size(), 5);
    w->cmdSay->click();
    ASSERT_TRUE(whole.wait(15000));
    EXPECT_EQ(w->txtSpeak->textCursor().selectedText(), text);
}

TEST_F(RecordingOnServer, EditorToolbarPlaysPausesByTheComponentsFlagAndStops)
{
    const QString path = QDir(media).filePath(QStringLiteral("counting.wav"));
    const QByteArray pcm = soundfx::countingPcm(PulseServer::kRate * 3 / 2);
    ASSERT_TRUE(soundfx::writeFile(path, soundfx::wavHeader(PulseServer::kRate, 2, 16, pcm.size()) + pcm));
    FrmAudioEditor* e = g_frmAudioEditor.get();
    QSignalSpy info(e->cAudioEditor1, &cAudioEditor::FileInfo);
    e->txtWavFile(path);
    e->LoadEditorFile(path);
    ASSERT_TRUE(info.wait(5000));
    e->cAudioEditor1->Select(10000, 30000);
    QTest::qWait(50);
    cToolbar* bar = e->tlbrList;
    const auto click = [bar](const char* key) { bar->Click(bar->ButtonIndex(QLatin1String(key))); };

    QSignalSpy ended(e->cAudioEditor1, &cAudioEditor::DonePlay);
    server->clearCapture();
    click("Play");
    EXPECT_FALSE(bar->ButtonEnabled(QStringLiteral("Play")));
    click("Pause");
    EXPECT_TRUE(e->cAudioEditor1->IsPaused());
    QTest::qWait(200);
    EXPECT_EQ(ended.count(), 0);
    click("Pause");
    EXPECT_FALSE(e->cAudioEditor1->IsPaused());
    EXPECT_FALSE(bar->ButtonEnabled(QStringLiteral("Play")));
    ASSERT_TRUE(ended.wait(5000));
    EXPECT_TRUE(bar->ButtonEnabled(QStringLiteral("Play")));
    const std::vector<qint64> heard = soundfx::heardAfterEnd(*server, 20000u);
    ASSERT_EQ(heard.size(), 20000u);
    EXPECT_EQ(heard.front(), 10000);
    EXPECT_EQ(heard.back(), 29999);

    // "Stop" gives the button back at once; closing while playing asks nothing.
    click("Play");
    EXPECT_FALSE(bar->ButtonEnabled(QStringLiteral("Play")));
    click("Stop");
    EXPECT_TRUE(bar->ButtonEnabled(QStringLiteral("Play")));
    click("Play");
    e->close();
    EXPECT_FALSE(g_frmAudioEditor.isLoaded());
    EXPECT_TRUE(box.shown.isEmpty());
}

}  // namespace
