// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "recording/FrmMicRecorder.h"

#include "batchtools/cProgressBar.h"
#include "components/cSlider.h"
#include "components/sound/TakeRecovery.h"
#include "foundation/mdlCommDialog.h"
#include "foundation/mdlFileSystem.h"
#include "foundation/mdlModes.h"
#include "mainwindow/cStatusBar.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "platform/Shell.h"
#include "recording/RecordingUi.h"
#include "settings/ProgramOptions.h"
#include "settings/controls/ColorSwatch.h"
#include "settings/controls/TwipsGeometry.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include <cmath>

namespace {

// Client area 492 by 495 pixels.
constexpr int kWidth = 492 * 15;
constexpr int kHeight = 495 * 15;

QLabel* caption(const QString& text, QWidget* parent, int left, int top, int width)
{
    auto* l = new QLabel(text, parent);
    PlaceTw(l, left, top, width, 255);
    return l;
}

QPushButton* button(const QString& text, QWidget* parent, int left, int top, int width)
{
    auto* b = new QPushButton(text, parent);
    PlaceTw(b, left, top, width, 375);
    return b;
}

QComboBox* list(QWidget* parent, int left, int top, int width, const QStringList& items)
{
    auto* c = new QComboBox(parent);
    c->addItems(items);
    c->setCurrentIndex(-1);
    PlaceTw(c, left, top, width, 315);
    return c;
}

}  // namespace

cWave::WaveFormatEx RecorderWaveFormat(const QString& bits, const QString& rate, const QString& channels)
{
    cWave::WaveFormatEx f;
    f.wFormatTag = 1;
    f.nChannels = channels == QLatin1String("Stereo") ? 2 : 1;
    f.nSamplesPerSec = rate.toUInt();
    f.wBitsPerSample = static_cast<uint16_t>(bits.toUInt());
    f.nBlockAlign = static_cast<uint16_t>(std::lround(f.wBitsPerSample / 8.0 * f.nChannels));
    f.nAvgBytesPerSec = f.nBlockAlign * f.nSamplesPerSec;
    f.cbSize = 0;
    return f;
}

FrmMicRecorder::FrmMicRecorder()
{
    recording::SetUpFixedWindow(this, QStringLiteral("Audio Recorder"), kWidth, kHeight, &picTitle, &lblTitle);

    caption(QStringLiteral("Devices:"), this, 120, 600, 3000);
    cboDevices = list(this, 120, 840, kWidth - 240, {});
    caption(QStringLiteral("Destination Wave File:"), this, 120, 1260, 3000);
    txtAudioFile = new QLineEdit(QDir::homePath() + QStringLiteral("/wave_file.wav"), this);
    PlaceTw(txtAudioFile, 120, 1500, kWidth - 840, 315);
    cmdPath = new QPushButton(QStringLiteral("..."), this);
    PlaceTw(cmdPath, kWidth - 660, 1500, 540, 315);

    caption(QStringLiteral("Bits per sample:"), this, 120, 1920, 2220);
    cboBitPerSample = list(this, 120, 2160, 2220, {QStringLiteral("8"), QStringLiteral("16")});
    caption(QStringLiteral("Samples per second:"), this, 2520, 1920, 2220);
    cboSamplesPerSec = list(this, 2520, 2160, 2220,
                            {QStringLiteral("8000"), QStringLiteral("11025"), QStringLiteral("22050"), QStringLiteral("44100")});
    caption(QStringLiteral("Channels:"), this, 4920, 1920, 2340);
    cboChannels = list(this, 4920, 2160, kWidth - 5040, {QStringLiteral("Mono"), QStringLiteral("Stereo")});

    // Stored hidden; nothing shows them.
    chkMeterIn = new QCheckBox(QStringLiteral("Display meter"), this);
    chkPreScreen = new QCheckBox(
        QStringLiteral("Play the recorded audio buffers to a diferent sound device (for pre-screen)"), this);
    chkCutSilence = new QCheckBox(QStringLiteral("Cut the silence section from the end of recorded audio file"), this);
    cmdFileDetails = new QPushButton(QStringLiteral("File Details"), this);
    for (QWidget* w : {static_cast<QWidget*>(chkMeterIn), static_cast<QWidget*>(chkPreScreen),
                       static_cast<QWidget*>(chkCutSilence), static_cast<QWidget*>(cmdFileDetails)})
        w->setVisible(false);

    fraRecorder = new QGroupBox(QStringLiteral("Recorder:"), this);
    PlaceTw(fraRecorder, 120, 2640, kWidth - 240, 1500);
    const int bw = (kWidth - 240 - 5 * 120) / 4;
    cmdRecord = button(QStringLiteral("Record"), fraRecorder, 120, 300, bw);
    cmdStopRec = button(QStringLiteral("Stop"), fraRecorder, 240 + bw, 300, bw);
    cmdPauseIn = button(QStringLiteral("Pause Record"), fraRecorder, 360 + 2 * bw, 300, bw);
    cmdUnPauseIn = button(QStringLiteral("Unpause Record"), fraRecorder, 480 + 3 * bw, 300, bw);
    prgMeter = new cProgressBar(fraRecorder);
    prgMeter->Max(120);
    PlaceTw(prgMeter, 120, 900, kWidth - 240 - 1560, 255);
    lblRecTime = new QLabel(QStringLiteral("0:00:00"), fraRecorder);
    lblRecTime->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    PlaceTw(lblRecTime, kWidth - 240 - 1320, 900, 1200, 255);

    fraPlayer = new QGroupBox(QStringLiteral("Player:"), this);
    PlaceTw(fraPlayer, 120, 4260, kWidth - 240, 1500);
    cmdPlay = button(QStringLiteral("Play"), fraPlayer, 120, 300, bw);
    cmdStop = button(QStringLiteral("Stop"), fraPlayer, 240 + bw, 300, bw);
    cmdPauseOut = button(QStringLiteral("Pause Play"), fraPlayer, 360 + 2 * bw, 300, bw);
    cmdUnPauseOut = button(QStringLiteral("Unpause Play"), fraPlayer, 480 + 3 * bw, 300, bw);
    lblCurrentPositionSec = new QLabel(QStringLiteral("0:00:00"), fraPlayer);
    PlaceTw(lblCurrentPositionSec, 120, 900, 900, 255);
    cSlider1 = new cSlider(fraPlayer);
    cSlider1->Max(100);
    PlaceTw(cSlider1, 1080, 870, kWidth - 240 - 2160, 315);
    lbTotalLengthSec = new QLabel(QStringLiteral("0:00:00"), fraPlayer);
    lbTotalLengthSec->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    PlaceTw(lbTotalLengthSec, kWidth - 240 - 1020, 900, 900, 255);

    cmdAdd = button(QStringLiteral("Add"), this, kWidth - 2880, 5940, 1320);
    cmdExit = button(QStringLiteral("Exit"), this, kWidth - 1440, 5940, 1320);
    cStatusBar1 = new cStatusBar(this);
    PlaceTw(cStatusBar1, 0, kHeight - 345, kWidth, 345);
    // Below the client area: written to, never seen.
    txtResults = new QPlainTextEdit(this);
    txtResults->setReadOnly(true);
    PlaceTw(txtResults, 120, kHeight + 120, kWidth - 240, 1800);

    tmrRec = new QTimer(this);
    tmrRec->setInterval(1000);
    tmSlider = new QTimer(this);
    tmSlider->setInterval(100);

    cWave1 = componentFactory ? componentFactory() : CreateWave();
    connect(cWave1.get(), &cWave::DonePlay, this, [this] { cWave1_DonePlay(); });
    connect(cWave1.get(), &cWave::DoneRecord, this, [this] { cWave1_DoneRecord(); });
    connect(cWave1.get(), &cWave::MeterLevel, this, [this](int level) { cWave1_MeterLevel(level); });
    connect(cWave1.get(), &cWave::DevicesChanged, this, [this] { FillDevices(); });
    connect(cboDevices, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index < 0)
            return;
        m_chosenInputId = cboDevices->itemData(index).toString();
        m_chosenInputName = cboDevices->itemData(index, Qt::UserRole + 1).toString();
    });
    connect(tmrRec, &QTimer::timeout, this, [this] { tmrRec_Timer(); });
    connect(tmSlider, &QTimer::timeout, this, [this] { tmSlider_Timer(); });
    connect(txtResults, &QPlainTextEdit::textChanged, this, [this] { txtResults_Change(); });
    connect(chkMeterIn, &QCheckBox::clicked, this, [this] { chkMeterIn_Click(); });
    connect(chkPreScreen, &QCheckBox::clicked, this, [this] { chkPreScreen_Click(); });
    connect(cmdFileDetails, &QPushButton::clicked, this, [this] { cmdFileDetails_Click(); });
    connect(cmdRecord, &QPushButton::clicked, this, [this] { cmdRecord_Click(); });
    connect(cmdStopRec, &QPushButton::clicked, this, [this] { cmdStopRec_Click(); });
    connect(cmdPauseIn, &QPushButton::clicked, this, [this] { cmdPauseIn_Click(); });
    connect(cmdUnPauseIn, &QPushButton::clicked, this, [this] { cmdUnPauseIn_Click(); });
    connect(cmdPlay, &QPushButton::clicked, this, [this] { cmdPlay_Click(); });
    connect(cmdStop, &QPushButton::clicked, this, [this] { cmdStop_Click(); });
    connect(cmdPauseOut, &QPushButton::clicked, this, [this] { cmdPauseOut_Click(); });
    connect(cmdUnPauseOut, &QPushButton::clicked, this, [this] { cmdUnPauseOut_Click(); });
    connect(cmdPath, &QPushButton::clicked, this, [this] { cmdPath_Click(); });
    connect(cmdAdd, &QPushButton::clicked, this, [this] { cmdAdd_Click(); });
    connect(cmdExit, &QPushButton::clicked, this, [this] { cmdExit_Click(); });
    Form_Load();
}

FrmMicRecorder::~FrmMicRecorder() = default;

void FrmMicRecorder::Log(const QString& message)
{
    const platform::ClockService& clock = platform::clock();
    txtResults->setPlainText(txtResults->toPlainText() + clock.now().time().toString(clock.timeFormat()) + message +
                             QStringLiteral("\r\n"));
}

void FrmMicRecorder::txtResults_Change()
{
    QTextCursor c = txtResults->textCursor();
    c.movePosition(QTextCursor::End);
    txtResults->setTextCursor(c);
    txtResults->ensureCursorVisible();
}

void FrmMicRecorder::Form_Load()
{
    recording::ApplyTitleColors(picTitle, lblTitle);
    recording::ApplyAppBackColor({this, cSlider1});
    prgMeter->BarColor(ProgramOptions.picColor);
    recording::ApplyViewPicture(this, g_sAppBackPicture);
    recording::ApplyViewPicture(prgMeter, g_sAppBackPicture);
    recording::ApplyViewPicture(picTitle, g_sAppTitlePicture);

    cboBitPerSample->setCurrentText(QStringLiteral("16"));
    cboSamplesPerSec->setCurrentText(QStringLiteral("44100"));
    cboChannels->setCurrentText(QStringLiteral("Stereo"));

    chkMeterIn->setChecked(true);
    chkMeterIn_Click();

    m_WaveFormat = RecorderWaveFormat(cboBitPerSample->currentText(), cboSamplesPerSec->currentText(),
                                      cboChannels->currentText());

    FillDevices();

    RecoverTakes(QString());
}

void FrmMicRecorder::FillDevices()
{
    // The user's choice is an input, not a place in the list: the numbers change as inputs come
    // and go.
    QList<QPair<QString, QString>> inputs;  // the server's name (else the shown one), the shown name
    QStringList texts;
    const long n = cWave1->GetDeviceCount(cWave::KindInput);
    for (long i = 0; i < n; ++i) {
        cWave::WaveDeviceCaps caps;
        long index = i;
        if (cWave1->GetDeviceCaps(index, caps, cWave::KindInput) != 0)
            continue;
        inputs.append({caps.szId.isEmpty() ? caps.szPname : caps.szId, caps.szPname});
        texts << QString::number(i) + QStringLiteral(" - ") + caps.szPname + QStringLiteral(" - ") +
                     QString::number(caps.wChannels);
    }
    const QSignalBlocker block(cboDevices);
    cboDevices->clear();
    int chosen = -1;
    for (int i = 0; i < inputs.size(); ++i) {
        cboDevices->addItem(texts.at(i), inputs.at(i).first);
        cboDevices->setItemData(i, inputs.at(i).second, Qt::UserRole + 1);
        if (!m_chosenInputId.isEmpty() && inputs.at(i).first == m_chosenInputId)
            chosen = i;
    }
    if (m_chosenInputId.isEmpty() && !inputs.isEmpty()) {
        chosen = 0;
        m_chosenInputId = inputs.first().first;
        m_chosenInputName = inputs.first().second;
    }
    cboDevices->setCurrentIndex(chosen);
}

bool FrmMicRecorder::ChosenInputPresent(long* index)
{
    // The server's announcement may still be on its way: the list is read again now.
    FillDevices();
    *index = cboDevices->currentIndex();
    if (*index >= 0 || m_chosenInputId.isEmpty())
        return true;
    const QString why = QStringLiteral("The sound input '%1' is gone; choose another input to record from.")
                            .arg(m_chosenInputName);
    Log(QStringLiteral(": Error RecordStart .") + why);
    platform::MsgBox(why, platform::vbExclamation | platform::vbOKOnly, QString(), this);
    return false;
}

void FrmMicRecorder::RecoverTakes(const QString& recordingTo)
{
    const QString folder = QFileInfo(recordingTo.isEmpty() ? txtAudioFile->text() : recordingTo).absolutePath();
    QStringList told;
    for (const sound::RecoveredTake& take : sound::RecoverTakes({folder}, recordingTo)) {
        Log((take.file.isEmpty() ? QStringLiteral(": Error RecoverTake .") : QStringLiteral(": TakeRecovered .")) +
            take.text());
        told << take.text();
    }
    if (told.isEmpty())
        return;
    // The log lies below the visible window: a take the user did not know was kept is named in a
    // box of its own. At the window's opening the box follows once the window is shown.
    const QString text = told.join(QStringLiteral("\n\n"));
    const auto tell = [this, text] {
        if (!m_unloading)
            platform::MsgBox(text, platform::vbInformation | platform::vbOKOnly, QString(), this);
    };
    if (recordingTo.isEmpty())
        QTimer::singleShot(0, this, tell);
    else
        tell();
}

void FrmMicRecorder::chkMeterIn_Click()
{
    const bool on = chkMeterIn->isChecked();
    cWave1->MeterIn(on);
    Log(on ? QStringLiteral(": MeterIn=True.") : QStringLiteral(": MeterIn=False."));
}

void FrmMicRecorder::chkPreScreen_Click()
{
    if (chkPreScreen->isChecked()) {
        cWave1->PreScreenOpen(m_WaveFormat, 0);
        Log(QStringLiteral(": PreScreenOpen."));
    } else {
        cWave1->PreScreenClose();
        Log(QStringLiteral(": PreScreenClose."));
    }
}

void FrmMicRecorder::cmdRecord_Click()
{
    const QString path = txtAudioFile->text();
    // A take cut off in this folder is put in place first, never under the name recorded now.
    RecoverTakes(path);
    long device = -1;
    if (!ChosenInputPresent(&device))
        return;
    // A file the user did not choose through "..." is not replaced without asking.
    if (NameInUse(path) && path != m_confirmedPath) {
        if (platform::MsgBox(QStringLiteral("The file ") + path + QStringLiteral(" is already exists, overwrite it?"),
                             platform::vbYesNo | platform::vbInformation, QString(), this) != platform::vbYes)
            return;
        m_confirmedPath = path;
    }
    // The format chosen now, not the one of the window's opening.
    m_WaveFormat = RecorderWaveFormat(cboBitPerSample->currentText(), cboSamplesPerSec->currentText(),
                                      cboChannels->currentText());
    if (chkCutSilence->isChecked()) {
        cWave1->CutSilence(true);
        cWave1->CutSilenceValue(20);
        Log(QStringLiteral(": CutSilence=True, Val=20."));
    }
    if (chkMeterIn->isChecked()) {
        cWave1->MeterIn(true);
        Log(QStringLiteral(": MeterIn=True."));
    }
    if (chkPreScreen->isChecked()) {
        cWave1->PreScreenOpen(m_WaveFormat, 0);
        Log(QStringLiteral(": PreScreenOpen."));
    } else {
        cWave1->PreScreenClose();
        Log(QStringLiteral(": PreScreenClose."));
    }
    long result = cWave1->RecordStart(device, path, m_WaveFormat, 1600);
    if (result != 0) {
        const QString why = cWave1->GetErrorText(result);
        Log(QStringLiteral(": Error RecordStart .") + why);
        // The log lies below the visible window: the user is told in a box of its own.
        platform::MsgBox(why, platform::vbExclamation | platform::vbOKOnly, QString(), this);
        return;
    }
    m_lRecSeconds = 0;
    tmrRec->start();
    cmdRecord->setEnabled(false);
    Log(QStringLiteral(": RecordStart Success."));
    cmdFileDetails->setEnabled(false);
    chkCutSilence->setEnabled(false);
}

void FrmMicRecorder::tmrRec_Timer()
{
    cmdRecord->setEnabled(false);
    ++m_lRecSeconds;
    lblRecTime->setText(cWave1->FormatTime(m_lRecSeconds));
}

void FrmMicRecorder::cmdStopRec_Click()
{
    cWave1->RecordStop();
    Log(QStringLiteral(": RecordStop Success."));
}

void FrmMicRecorder::cmdPauseIn_Click()
{
    cWave1->RecordPause();
    Log(QStringLiteral(": RecordPause."));
}

void FrmMicRecorder::cmdUnPauseIn_Click()
{
    if (!cWave1->IsRecordPaused())
        return;
    cWave1->RecordUnPause();
    Log(QStringLiteral(": RecordUnPause."));
}

void FrmMicRecorder::cmdPlay_Click()
{
    const QString name = txtAudioFile->text();
    if (!QFileInfo(name).isFile()) {
        platform::MsgBox(QStringLiteral("The audio file ") + name + QStringLiteral(" doesn't exists"),
                         platform::vbInformation | platform::vbOKOnly, QString(), this);
        return;
    }
    if (cWave1->IsPlaying())
        return;
    cWave::WaveFileInfo info;
    cWave1->GetFileInfo(name, info);
    long result = cWave1->PlayStart(name, static_cast<int16_t>(cboDevices->currentIndex()), 8000);
    if (result != 0) {
        Log(QStringLiteral(": Error Play Start:") + cWave1->GetErrorText(result));
        return;
    }
    lbTotalLengthSec->setText(cWave1->FormatTime(info.SecondsLength));
    tmSlider->start();
    txtResults->setPlainText(txtResults->toPlainText() + QStringLiteral("\r\n"));
    Log(QStringLiteral(": PlayeStart Success."));
    cmdFileDetails->setEnabled(false);
}

void FrmMicRecorder::cmdStop_Click()
{
    long result = cWave1->PlayStop();
    if (result != 0)
        Log(QStringLiteral(": Error PlayStop .") + cWave1->GetErrorText(result));
    tmSlider->stop();
    cSlider1->Value(0);
    if (result == 0)
        Log(QStringLiteral(": PlayStop Success."));
}

void FrmMicRecorder::cmdPauseOut_Click()
{
    cWave1->PlayPause();
    Log(QStringLiteral(": PlayPause."));
}

void FrmMicRecorder::cmdUnPauseOut_Click()
{
    cWave1->PlayUnPause();
    Log(QStringLiteral(": PlayUnPause."));
}

void FrmMicRecorder::tmSlider_Timer()
{
    cSlider1->Value(cWave1->GetPlayPosition());
    lblCurrentPositionSec->setText(cWave1->FormatTime(cWave1->GetPlayPositionSeconds()));
}

void FrmMicRecorder::cmdPath_Click()
{
    g_FileDialog.lpstrFilter = QStringLiteral("Audio Wav File (*.wav)") + QChar(0) + QStringLiteral("*.wav") + QChar(0) + QChar(0);
    g_FileDialog.lpstrTitle = QStringLiteral("Save as WAV file");
    g_FileDialog.lpstrDefExt = QStringLiteral("wav");
    const FileDialogResult r = ShowSave(this, QString(), true);
    if (r.cancelled || r.fileNames.size() < 2)
        return;
    const QString name = r.fileNames.at(1);
    if (NameInUse(name) &&
        platform::MsgBox(QStringLiteral("The file ") + name + QStringLiteral(" is already exists, overwrite it?"),
                         platform::vbYesNo | platform::vbInformation, QString(), this) == platform::vbNo)
        return;
    txtAudioFile->setText(name);
    m_confirmedPath = name;
}

void FrmMicRecorder::cmdAdd_Click()
{
    // A recording still running is ended first; the file is handed on once it is complete.
    if (cWave1->IsRecording()) {
        m_addAfterRecord = true;
        cWave1->RecordStop();
        Log(QStringLiteral(": RecordStop Success."));
        return;
    }
    const QString name = txtAudioFile->text();
    if (!recording::CheckProducedFile(name, this))
        return;
    recording::AddFileToMainList(name);
    Form_Unload();
}

void FrmMicRecorder::cmdExit_Click() { Form_Unload(); }

void FrmMicRecorder::cmdFileDetails_Click()
{
    const QString name = txtAudioFile->text();
    if (!QFileInfo(name).isFile()) {
        platform::MsgBox(QStringLiteral("The audio file ") + name + QStringLiteral(" doesn't exists"),
                         platform::vbInformation | platform::vbOKOnly, QString(), this);
        return;
    }
    cWave::WaveFileInfo info;
    cWave1->GetFileInfo(name, info);
    const platform::ClockService& clock = platform::clock();
    QString text = txtResults->toPlainText() + clock.now().time().toString(clock.timeFormat()) + QStringLiteral(":");
    const auto line = [&](const QString& l) { text += l + QStringLiteral("\r\n"); };
    line(QStringLiteral("FileName: ") + info.FileName);
    line(QStringLiteral("FilePath: ") + info.FilePath);
    line(QStringLiteral("FileLen: ") + QString::number(QFileInfo(name).size()));
    line(QStringLiteral("SecondsLength: ") + QString::number(info.SecondsLength));
    line(QStringLiteral("cbSize: ") + QString::number(info.cbSize));
    line(QStringLiteral("wFormatTag: ") + QString::number(info.wFormatTag));
    line(QStringLiteral("nAvgBytesPerSec: ") + QString::number(info.nAvgBytesPerSec));
    line(QStringLiteral("nBlockAlign: ") + QString::number(info.nBlockAlign));
    line(QStringLiteral("nChannels: ") + QString::number(info.nChannels));
    line(QStringLiteral("nSamplesPerSec: ") + QString::number(info.nSamplesPerSec));
    line(QStringLiteral("wBitsPerSample: ") + QString::number(info.wBitsPerSample));
    txtResults->setPlainText(text);
}

void FrmMicRecorder::cWave1_DonePlay()
{
    Log(QStringLiteral(": DonePlay Event."));
    cmdFileDetails->setEnabled(true);
}

void FrmMicRecorder::cWave1_DoneRecord()
{
    Log(QStringLiteral(": DoneRecord Event."));
    cmdRecord->setEnabled(true);
    chkCutSilence->setEnabled(true);
    cmdFileDetails->setEnabled(true);
    tmrRec->stop();
    prgMeter->Value(0);  // nothing is heard any more
    long failure = cWave1->RecordError();
    if (failure != 0 && !m_unloading) {
        // A recording cut short (input gone, disk full) is said where the user sees it.
        const QString why = cWave1->GetErrorText(failure);
        Log(QStringLiteral(": Error Record .") + why);
        platform::MsgBox(why, platform::vbExclamation | platform::vbOKOnly, QString(), this);
    }
    if (m_addAfterRecord) {
        m_addAfterRecord = false;
        cmdAdd_Click();
    }
}

void FrmMicRecorder::cWave1_MeterLevel(int level) { prgMeter->Value(level); }

void FrmMicRecorder::ShowHelpTopic()
{
    platform::shell().open(platform::programFolder() + QStringLiteral("/Help.html"));
}

void FrmMicRecorder::Form_Unload()
{
    if (m_unloading)
        return;
    m_unloading = true;
    tmrRec->stop();
    tmSlider->stop();
    cWave1->PlayStop();
    cWave1->RecordStop();
    cWave1->Release();
    cWave1->disconnect(this);
    if (g_frmMicRecorder.loaded() == this)
        g_frmMicRecorder.unload();
    else
        hide();
}

void FrmMicRecorder::closeEvent(QCloseEvent* event)
{
    event->accept();
    Form_Unload();
}
