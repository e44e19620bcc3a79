// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// The recorder window over a recorder component that records what it is asked: the format and
// file of every record start, the question before a file is replaced, the hand-over of a
// recording that is still running, and the checks of "Add".
#include "recording/FrmMicRecorder.h"

#include "batchtools/cProgressBar.h"
#include "recording/RecordingWindows.h"
#include "tests/commands/CommandsFixture.h"
#include "tests/recording/FakeWave.h"
#include "tests/support/FakeClock.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

class RecorderWindow : public CommandsFixture {
protected:
    void SetUp() override
    {
        CommandsFixture::SetUp();
        g_lAppIncMicRec = 1;
        FrmMicRecorder::componentFactory = [this] {
            auto w = std::make_unique<FakeWave>();
            if (noInputs)
                w->inputs.clear();
            fake = w.get();
            return w;
        };
    }
    void TearDown() override
    {
        FrmMicRecorder::componentFactory = nullptr;
        ToolWindows::Register(QStringLiteral("Audio Recorder"), {});
        CommandsFixture::TearDown();
        g_lAppIncMicRec = 0;
    }
    FrmMicRecorder* recorder(const QString& file)
    {
        FrmMicRecorder* w = g_frmMicRecorder.get();
        w->txtAudioFile->setText(file);
        return w;
    }
    // The log's messages without their times.
    static QStringList logged(FrmMicRecorder* w)
    {
        QStringList lines;
        const QString text = w->txtResults->toPlainText().remove(QLatin1Char('\r'));
        for (const QString& line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            lines << line.mid(8);
        return lines;
    }
    static QByteArray contents(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    FakeClock clock{QDateTime(QDate(2024, 3, 5), QTime(14, 5, 9)), QStringLiteral("dd.MM.yyyy"), QStringLiteral("HH:mm:ss")};
    FakeWave* fake = nullptr;
    bool noInputs = false;
};

TEST_F(RecorderWindow, RecordStartTakesTheFormatChosenJustBefore)
{
    struct Case {
        const char *bits, *rate, *channels;
        cWave::WaveFormatEx want;
    } cases[] = {
        {"16", "44100", "Stereo", {1, 2, 44100, 176400, 4, 16, 0}},
        {"8", "8000", "Mono", {1, 1, 8000, 8000, 1, 8, 0}},
        {"8", "22050", "Stereo", {1, 2, 22050, 44100, 2, 8, 0}},
        {"16", "11025", "Mono", {1, 1, 11025, 22050, 2, 16, 0}},
    };
    FrmMicRecorder* w = recorder(QDir(media).filePath(QStringLiteral("take.wav")));
    EXPECT_EQ(logged(w), QStringList{QStringLiteral(": MeterIn=True.")});
    EXPECT_EQ(w->cboDevices->currentText(), QStringLiteral("0 - Test input - 2"));
    for (const Case& c : cases) {
        // The lists are changed after the window opened; the start must follow them.
        w->cboBitPerSample->setCurrentText(QLatin1String(c.bits));
        w->cboSamplesPerSec->setCurrentText(QLatin1String(c.rate));
        w->cboChannels->setCurrentText(QLatin1String(c.channels));
        fake->calls.clear();
        w->txtResults->clear();
        box.answer(platform::vbYes);  // the file of the case before stands there now
        w->cmdRecord_Click();
        ASSERT_FALSE(fake->formats.isEmpty()) << c.rate;
        const cWave::WaveFormatEx got = fake->formats.last();
        EXPECT_EQ(got.wFormatTag, c.want.wFormatTag) << c.rate;
        EXPECT_EQ(got.nChannels, c.want.nChannels) << c.rate;
        EXPECT_EQ(got.nSamplesPerSec, c.want.nSamplesPerSec) << c.rate;
        EXPECT_EQ(got.nAvgBytesPerSec, c.want.nAvgBytesPerSec) << c.rate;
        EXPECT_EQ(got.nBlockAlign, c.want.nBlockAlign) << c.rate;
        EXPECT_EQ(got.wBitsPerSample, c.want.wBitsPerSample) << c.rate;
        EXPECT_EQ(got.cbSize, 0) << c.rate;
        EXPECT_EQ(fake->bufferMs, 1600);
        EXPECT_EQ(fake->calls, (QStringList{QStringLiteral("MeterIn 1"), QStringLiteral("PreScreenClose"),
                                            QStringLiteral("RecordStart 0 ") + w->txtAudioFile->text()}));
        EXPECT_EQ(logged(w), (QStringList{QStringLiteral(": MeterIn=True."), QStringLiteral(": PreScreenClose."),
                                          QStringLiteral(": RecordStart Success.")}));
        EXPECT_FALSE(w->cmdRecord->isEnabled());
        EXPECT_TRUE(w->tmrRec->isActive());
        w->cmdStopRec_Click();
        QTest::qWait(20);
        EXPECT_TRUE(w->cmdRecord->isEnabled()) << "DoneRecord enables Record again";
        EXPECT_FALSE(w->tmrRec->isActive());
    }
}

TEST_F(RecorderWindow, StartOntoAFileNotConfirmedAsksFirst)
{
    const QString existing = QDir(media).filePath(QStringLiteral("keep.wav"));
    const QString fresh = QDir(media).filePath(QStringLiteral("fresh.wav"));
    const QString question = QStringLiteral("The file ") + existing + QStringLiteral(" is already exists, overwrite it?");
    struct Case {
        const char* what;
        QString file;
        bool chooseThroughDialog;
        QList<int> answers;
        int questions;
        bool started;
    } cases[] = {
        {"typed over an existing file, No", existing, false, {platform::vbNo}, 1, false},
        {"typed over an existing file, Yes", existing, false, {platform::vbYes}, 1, true},
        {"chosen through ... and confirmed there", existing, true, {platform::vbYes}, 1, true},
        {"a new file", fresh, false, {}, 0, true},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(fixtures::writeFile(existing, QByteArray("earlier take")));
        QFile::remove(fresh);
        box.shown.clear();
        for (int a : c.answers)
            box.answer(a);
        FrmMicRecorder* w = recorder(QDir::homePath() + QStringLiteral("/wave_file.wav"));
        if (c.chooseThroughDialog) {
            dialogs.saveAs(c.file);
            w->cmdPath_Click();
            ASSERT_EQ(w->txtAudioFile->text(), c.file) << c.what;
        } else {
            w->txtAudioFile->setText(c.file);
        }
        w->cmdRecord_Click();
        ASSERT_EQ(box.shown.size(), c.questions) << c.what;
        if (c.questions > 0) {
            EXPECT_EQ(box.shown.first().prompt, question) << c.what;
            EXPECT_EQ(box.shown.first().style & 0xf, platform::vbYesNo) << c.what;
        }
        EXPECT_EQ(fake->calls.filter(QStringLiteral("RecordStart")).size(), c.started ? 1 : 0) << c.what;
        EXPECT_EQ(w->cmdRecord->isEnabled(), !c.started) << c.what;
        if (!c.started) {
            EXPECT_EQ(contents(existing), QByteArray("earlier take")) << c.what;
        }
        w->cmdExit_Click();
        ASSERT_FALSE(g_frmMicRecorder.isLoaded()) << c.what;
    }
}

TEST_F(RecorderWindow, AddDuringARecordingHandsOnTheFileOnceItIsComplete)
{
    const QString list = makeList(QStringLiteral("Takes"), makeWavs(1), {QStringLiteral("1")});
    FrmMain* f = openMain();
    openList(f, list);
    ASSERT_EQ(f->cGrid1->Rows(), 1);
    const QString take = QDir(media).filePath(QStringLiteral("live.wav"));
    FrmMicRecorder* w = recorder(take);
    w->cmdRecord_Click();
    ASSERT_TRUE(fake->IsRecording());

    w->cmdAdd_Click();
    // Stopped, but nothing handed on before the component says the file is in place.
    EXPECT_TRUE(fake->calls.contains(QStringLiteral("RecordStop")));
    EXPECT_EQ(f->cGrid1->Rows(), 1);
    EXPECT_TRUE(g_frmMicRecorder.isLoaded());
    EXPECT_TRUE(box.shown.isEmpty());

    QTest::qWait(50);
    EXPECT_TRUE(box.shown.isEmpty()) << qPrintable(box.shown.value(0).prompt);
    ASSERT_EQ(f->cGrid1->Rows(), 2);
    EXPECT_EQ(cell(f->cGrid1, 2, COL_FILE), take);
    EXPECT_FALSE(g_frmMicRecorder.isLoaded());
}

TEST_F(RecorderWindow, ClosingWhileRecordingStopsEverythingWithoutAQuestion)
{
    const QString take = QDir(media).filePath(QStringLiteral("closed.wav"));
    FrmMicRecorder* w = recorder(take);
    w->cmdRecord_Click();
    fake->calls.clear();
    const QPointer<FakeWave> component(fake);
    w->close();
    EXPECT_FALSE(g_frmMicRecorder.isLoaded());
    ASSERT_TRUE(component);  // deleted with the window, later
    EXPECT_EQ(component->calls, (QStringList{QStringLiteral("PlayStop"), QStringLiteral("RecordStop"), QStringLiteral("Release")}));
    EXPECT_TRUE(box.shown.isEmpty());
    EXPECT_GT(QFileInfo(take).size(), 64);
}

TEST_F(RecorderWindow, FailedStartsLogTheCauseAndLeaveRecordReady)
{
    struct Case {
        const char* what;
        bool noInputs;
        long result;
        QString device;
    } cases[] = {
        {"no input device", true, cWave::ErrNoDevice, QStringLiteral("-1")},
        {"destination not writable", false, cWave::ErrFile, QStringLiteral("0")},
    };
    for (const Case& c : cases) {
        noInputs = c.noInputs;
        const QString file = QDir(media).filePath(QStringLiteral("never.wav"));
        FrmMicRecorder* w = recorder(file);
        fake->startResult = c.result;
        EXPECT_EQ(w->cboDevices->count(), c.noInputs ? 0 : 1) << c.what;
        for (int press = 1; press <= 2; ++press) {
            w->cmdRecord_Click();
            EXPECT_EQ(fake->calls.filter(QStringLiteral("RecordStart")),
                      QStringList(press, QStringLiteral("RecordStart ") + c.device + QLatin1Char(' ') + file))
                << c.what;
            EXPECT_EQ(logged(w).last(), QStringLiteral(": Error RecordStart .error %1 on the test input").arg(c.result))
                << c.what;
            EXPECT_TRUE(w->cmdRecord->isEnabled()) << c.what;
            EXPECT_FALSE(w->tmrRec->isActive()) << c.what;
        }
        EXPECT_FALSE(QFileInfo::exists(file)) << c.what;
        // The player answers the same way when asked to play a file that is there.
        ASSERT_TRUE(fixtures::writeFile(file, QByteArray(100, 'x')));
        fake->playResult = cWave::ErrNoDevice;
        w->cmdPlay_Click();
        EXPECT_EQ(logged(w).last(), QStringLiteral(": Error Play Start:error 1 on the test input")) << c.what;
        EXPECT_FALSE(w->tmSlider->isActive()) << c.what;
        QFile::remove(file);
        w->cmdExit_Click();
    }
}

// The log lies below the visible window: a start that fails and a recording cut short (input
// gone, disk full) are told in a box; the meter drops to nothing once the recording has ended.
TEST_F(RecorderWindow, FailuresAreShownAndTheMeterDropsWhenTheRecordingEnds)
{
    const QString file = QDir(media).filePath(QStringLiteral("take.wav"));
    FrmMicRecorder* w = recorder(file);
    const QString why = QStringLiteral("error 3 on the test input");

    fake->startResult = cWave::ErrFile;
    w->cmdRecord_Click();
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_EQ(box.shown.first().prompt, why);
    EXPECT_EQ(box.shown.first().style & 0x70, platform::vbExclamation);
    fake->startResult = 0;

    struct Case {
        const char* what;
        long failure;  // 0: stopped by the user
    } cases[] = {{"stopped", 0}, {"disk full", cWave::ErrFile}, {"input gone", cWave::ErrNoDevice}};
    for (const Case& c : cases) {
        box.shown.clear();
        QFile::remove(file);  // no question about replacing the take before
        w->cmdRecord_Click();
        ASSERT_FALSE(w->cmdRecord->isEnabled()) << c.what;
        emit fake->MeterLevel(90);
        EXPECT_EQ(w->prgMeter->Value(), 90) << c.what;
        if (c.failure == 0)
            w->cmdStopRec_Click();
        else
            fake->failRecording(c.failure);
        ASSERT_TRUE(QTest::qWaitFor([&] { return w->cmdRecord->isEnabled(); }, 2000)) << c.what;
        EXPECT_EQ(w->prgMeter->Value(), 0) << c.what;
        if (c.failure == 0) {
            EXPECT_TRUE(box.shown.isEmpty()) << c.what;
            EXPECT_EQ(logged(w).last(), QStringLiteral(": DoneRecord Event.")) << c.what;
        } else {
            const QString text = QStringLiteral("error %1 on the test input").arg(c.failure);
            ASSERT_EQ(box.shown.size(), 1) << c.what;
            EXPECT_EQ(box.shown.first().prompt, text) << c.what;
            EXPECT_EQ(logged(w).last(), QStringLiteral(": Error Record .") + text) << c.what;
        }
        EXPECT_TRUE(QFileInfo(file).size() > 44) << "what was recorded is kept: " << c.what;
    }
    w->cmdExit_Click();
}

TEST_F(RecorderWindow, AddChecksTheFileBeforeHandingItOn)
{
    const QString list = makeList(QStringLiteral("Takes"), makeWavs(1), {QStringLiteral("1")});
    FrmMain* f = openMain();
    openList(f, list);
    const QString small = QDir(media).filePath(QStringLiteral("small.wav"));
    const QString missing = QDir(media).filePath(QStringLiteral("missing.wav"));
    const QString good = makeWav(QStringLiteral("good.wav"), 0.5);
    struct Case {
        QString file;
        int bytes;  // -1: leave as it is
        QString message;
        bool added;
    } cases[] = {
        {QString(), -1, QStringLiteral("The file: was not found."), false},
        {missing, -1, QStringLiteral("The file:") + missing + QStringLiteral(" was not found."), false},
        {small, 64, QStringLiteral("The file:") + small + QStringLiteral(" is empty."), false},
        {good, -1, QString(), true},
    };
    for (const Case& c : cases) {
        if (c.bytes >= 0) {
            ASSERT_TRUE(fixtures::writeFile(c.file, QByteArray(c.bytes, 'x')));
        }
        box.shown.clear();
        const long rows = f->cGrid1->Rows();
        FrmMicRecorder* w = recorder(c.file);
        w->cmdAdd_Click();
        if (c.message.isEmpty()) {
            EXPECT_TRUE(box.shown.isEmpty()) << qPrintable(c.file);
        } else {
            ASSERT_EQ(box.shown.size(), 1) << qPrintable(c.file);
            EXPECT_EQ(box.shown.first().prompt, c.message);
        }
        EXPECT_EQ(f->cGrid1->Rows(), rows + (c.added ? 1 : 0)) << qPrintable(c.file);
        EXPECT_EQ(g_frmMicRecorder.isLoaded(), !c.added) << qPrintable(c.file);
        if (g_frmMicRecorder.isLoaded())
            w->cmdExit_Click();
    }
    EXPECT_EQ(cell(f->cGrid1, f->cGrid1->Rows(), COL_FILE), good);
    // 65 bytes pass the window's own check; what the adding window makes of them is its own.
    ASSERT_TRUE(fixtures::writeFile(small, QByteArray(65, 'x')));
    box.shown.clear();
    recorder(small)->cmdAdd_Click();
    EXPECT_FALSE(g_frmMicRecorder.isLoaded());
    for (const auto& shown : box.shown)
        EXPECT_FALSE(shown.prompt.endsWith(QStringLiteral(" is empty."))) << qPrintable(shown.prompt);
}

}  // namespace
