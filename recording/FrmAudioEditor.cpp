// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "recording/FrmAudioEditor.h"

#include "platform/MessageBox.h"

#include "batchtools/cProgressBar.h"
#include "components/cAudioEditor.h"
#include "foundation/mdlCommDialog.h"
#include "foundation/mdlFunctions.h"
#include "foundation/mdlModes.h"
#include "foundation/mdlWindowUtils.h"
#include "mainwindow/FrmMain.h"
#include "mainwindow/cToolbar.h"
#include "platform/Clock.h"
#include "platform/Paths.h"
#include "recording/RecordingUi.h"
#include "recording/cReBar.h"
#include "settings/ProgramOptions.h"
#include "settings/controls/TwipsGeometry.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cmath>
#include <utility>

namespace {

constexpr int kWidth = 9600;
constexpr int kHeight = 6780;

QLabel* infoRow(QGroupBox* box, int row, const QString& caption, bool bold = false)
{
    const int top = 300 + row * 300;
    auto* c = new QLabel(caption, box);
    PlaceTw(c, 120, top, 1560, 255);
    auto* dash = new QLabel(QStringLiteral("-"), box);
    PlaceTw(dash, 1740, top, 120, 255);
    auto* value = new QLabel(box);
    PlaceTw(value, 1920, top, 2580, 255);
    if (bold) {
        QFont f = value->font();
        f.setBold(true);
        value->setFont(f);
    }
    return value;
}

}  // namespace

bool TimeCaptionMs(const QString& caption, long* ms)
{
    const QString head = caption.section(QLatin1Char(' '), 0, 0);
    bool ok = false;
    const long v = head.toLong(&ok);
    if (ok)
        *ms = v;
    return ok;
}

QString TimeCaption(long ms)
{
    const auto seconds = static_cast<int32_t>(std::nearbyint(static_cast<double>(ms) / 1000.0));
    return QString::number(ms) + QStringLiteral(" ms [") + FormatSecondsHMS(seconds) + QLatin1Char(']');
}

FrmAudioEditor::FrmAudioEditor()
{
    setWindowTitle(QStringLiteral("Audio Editor"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSize(8);
    setFont(font);
    setFixedSize(TwipsToPixels(kWidth), TwipsToPixels(kHeight));

    picTitle = new QFrame(this);
    PlaceTw(picTitle, 0, 0, kWidth, 495);
    lblTitle = new QLabel(QStringLiteral("Audio Analyzer"), picTitle);
    QFont tf = lblTitle->font();
    tf.setBold(true);
    tf.setPointSize(10);
    lblTitle->setFont(tf);
    PlaceTw(lblTitle, 120, 105, 6000, 300);

    picList = new QFrame(this);
    PlaceTw(picList, 0, 540, kWidth, 450);
    rbrList = new cReBar(picList);
    PlaceTw(rbrList, 0, 0, kWidth, 450);
    tlbrList = new cToolbar(rbrList);

    cAudioEditor1 = CreateAudioEditor(this);
    PlaceTw(cAudioEditor1, 120, 1050, kWidth - 240, 2610);

    fraInfo = new QGroupBox(QStringLiteral("File Information"), this);
    PlaceTw(fraInfo, 120, 3780, 4620, 1860);
    lblInfoSamples = infoRow(fraInfo, 0, QStringLiteral("Info Samples"));
    lblInfoBits = infoRow(fraInfo, 1, QStringLiteral("Info Bits"));
    lblInfoChannels = infoRow(fraInfo, 2, QStringLiteral("Info Channels"));
    lblNumOfSamples = infoRow(fraInfo, 3, QStringLiteral("Total Samples"));
    lblLength = infoRow(fraInfo, 4, QStringLiteral("Time Length"), true);

    fraPosition = new QGroupBox(QStringLiteral("Selection Position"), this);
    PlaceTw(fraPosition, 4860, 3780, 4620, 1860);
    lblSamplesStart = infoRow(fraPosition, 0, QStringLiteral("Samples Start"));
    lblSamplesEnd = infoRow(fraPosition, 1, QStringLiteral("Samples End"));
    lblTimeStart = infoRow(fraPosition, 2, QStringLiteral("Time Start"));
    lblTimeEnd = infoRow(fraPosition, 3, QStringLiteral("Time End"));
    lblSelectedTime = infoRow(fraPosition, 4, QStringLiteral("Selected Time"));

    txtWavFileBox = new QLineEdit(this);
    txtWavFileBox->setObjectName(QStringLiteral("txtWavFile"));
    PlaceTw(txtWavFileBox, 120, 6240, 3600, 315);
    txtWavFileBox->setVisible(false);
    cmdSelectPath = new QPushButton(QStringLiteral("..."), this);
    PlaceTw(cmdSelectPath, 3780, 6240, 375, 315);
    cmdSelectPath->setVisible(false);

    prgCurrnet = new cProgressBar(this);
    PlaceTw(prgCurrnet, 120, 5760, kWidth - 240, 255);
    cmdAddSelection = new QPushButton(QStringLiteral("Add Selection"), this);
    PlaceTw(cmdAddSelection, 5400, 6240, 1560, 375);
    cmdAbort = new QPushButton(QStringLiteral("Abort"), this);
    PlaceTw(cmdAbort, 7020, 6240, 1140, 375);
    cmdExit = new QPushButton(QStringLiteral("Exit"), this);
    PlaceTw(cmdExit, 8220, 6240, 1140, 375);

    connect(tlbrList, &cToolbar::ButtonClick, this, [this](long i) { tlbrList_ButtonClick(i); });
    connect(cmdSelectPath, &QPushButton::clicked, this, [this] { cmdSelectPath_Click(); });
    connect(cmdAddSelection, &QPushButton::clicked, this, [this] { cmdAddSelection_Click(); });
    connect(cmdAbort, &QPushButton::clicked, this, [this] { cmdAbort_Click(); });
    connect(cmdExit, &QPushButton::clicked, this, [this] { cmdExit_Click(); });
    connect(cAudioEditor1, &cAudioEditor::FileInfo, this,
            [this](long r, long b, long c, long s, long n) { cAudioEditor1_FileInfo(r, b, c, s, n); });
    connect(cAudioEditor1, &cAudioEditor::SelectionChanged, this,
            [this](long a, long b, long c, long d) { cAudioEditor1_SelectionChanged(a, b, c, d); });
    connect(cAudioEditor1, &cAudioEditor::Progress, this, [this](int p) { cAudioEditor1_Progress(p); });
    connect(cAudioEditor1, &cAudioEditor::Done, this, [this] { cAudioEditor1_Done(); });
    connect(cAudioEditor1, &cAudioEditor::Aborted, this, [this] { cAudioEditor1_Aborted(); });
    connect(cAudioEditor1, &cAudioEditor::Error, this, [this](long c, const QString& t) { cAudioEditor1_Error(c, t); });
    connect(cAudioEditor1, &cAudioEditor::DonePlay, this, [this] { cAudioEditor1_DonePlay(); });
    Form_Load();
}

FrmAudioEditor::~FrmAudioEditor() = default;

void FrmAudioEditor::Form_Load()
{
    SetFormIcon(this, QStringLiteral("document_pulse"), true);
    recording::ApplyTitleColors(picTitle, lblTitle);
    recording::ApplyAppBackColor({this, fraInfo, fraPosition, picList});
    cAudioEditor1->Color1(ProgramOptions.picTextColor);
    cAudioEditor1->Color2(ProgramOptions.picColor);
    cAudioEditor1->Color3(ProgramOptions.picColor);
    prgCurrnet->BarColor(ProgramOptions.picColor);
    recording::ApplyViewPicture(this, g_sAppBackPicture);
    recording::ApplyViewPicture(picTitle, g_sAppTitlePicture);

    if (FrmMain* main = frmMain.loaded())
        tlbrList->ToolbarImageList(&main->imgMenu);
    tlbrList->ToolbarCreate(16, false, true, true);
    const auto add = [this](const char* key, const char* caption, const char* tip, long image) {
        tlbrList->ToolbarAddButton(QLatin1String(tip), image, 0, QLatin1String(caption), cToolbar::tbrNormal,
                                   QLatin1String(key));
    };
    const auto separator = [this] { tlbrList->ToolbarAddButton(QString(), -1, 0, QString(), cToolbar::tbrSeparator, QString()); };
    add("Play", "Play", "Play", 55);
    add("Pause", "Pause", "Pause", 67);
    add("Stop", "Stop", "Stop", 40);
    separator();
    add("Zoom", "Zoom", "Zoom", 68);
    add("Restore", "Restore", "Restore", 62);
    separator();
    add("Save Selection", "Save As", "Save Selection As...", 5);
    separator();
    add("Abort", "Abort", "Abort Operation", 27);
    rbrList->AddBandByHwnd(tlbrList, QString(), QStringLiteral("Toolbar1"));

    const platform::ClockService& clock = platform::clock();
    const QDateTime now = clock.now();
    txtWavFileBox->setText(platform::programFolder() + QStringLiteral("/Selection_") +
                           now.time().toString(QStringLiteral("HH:mm:ss")).replace(QLatin1Char(':'), QLatin1Char('-')) +
                           QLatin1Char('_') +
                           now.date().toString(clock.shortDateFormat()).replace(QLatin1Char('/'), QLatin1Char('-')) +
                           QStringLiteral(".wav"));
}

void FrmAudioEditor::txtWavFile(const QString& path) { txtWavFileBox->setText(path); }
void FrmAudioEditor::LoadEditorFile(const QString& path) { cAudioEditor1->Load(path); }
void FrmAudioEditor::Caption(const QString& caption) { setWindowTitle(caption); }

void FrmAudioEditor::cAudioEditor1_FileInfo(long rate, long bits, long channels, long seconds, long samples)
{
    lblInfoBits->setText(QString::number(bits));
    lblInfoChannels->setText(QString::number(channels));
    lblInfoSamples->setText(QString::number(rate));
    lblNumOfSamples->setText(QString::number(samples));
    lblLength->setText(FormatSecondsHMS(static_cast<int32_t>(seconds)));
    lblSamplesStart->setText(QStringLiteral("0"));
    lblSamplesEnd->setText(QString::number(samples));
    lblTimeStart->setText(QStringLiteral("0 ms [") + FormatSecondsHMS(0) + QLatin1Char(']'));
    lblTimeEnd->setText(QString::number(seconds * 1000) + QStringLiteral(" ms [") +
                        FormatSecondsHMS(static_cast<int32_t>(seconds)) + QLatin1Char(']'));
    lblSelectedTime->setText(lblTimeEnd->text());
}

void FrmAudioEditor::cAudioEditor1_SelectionChanged(long startSample, long endSample, long startMs, long endMs)
{
    lblSamplesStart->setText(QString::number(startSample));
    lblSamplesEnd->setText(QString::number(endSample));
    lblTimeStart->setText(TimeCaption(startMs));
    lblTimeEnd->setText(TimeCaption(endMs));
    lblSelectedTime->setText(TimeCaption(endMs - startMs));
}

void FrmAudioEditor::cAudioEditor1_Progress(int percent) { prgCurrnet->Value(percent); }

void FrmAudioEditor::cAudioEditor1_Done()
{
    m_saving = false;
    cmdAddSelection->setEnabled(true);
    tlbrList->ButtonEnabled(QStringLiteral("Save Selection"), true);
    if (std::exchange(m_savingOverShown, false) && !m_unloading) {
        // The file shown is now the selection: the wave, its facts and the items list's rows
        // of it show it as it is, so no later selection reaches past its new end.
        recording::RefreshMainListRows(txtWavFileBox->text());
        cAudioEditor1->Load(txtWavFileBox->text());
    }
    // "Add Selection" hands on only what its own save wrote.
    const QString toAdd = std::exchange(m_addWhenSaved, QString());
    if (toAdd.isEmpty() || m_unloading)
        return;
    // The file just written is the one handed on, so it is the one checked.
    if (!recording::CheckProducedFile(toAdd, this))
        return;
    recording::AddFileToMainList(toAdd);
    Form_Unload();
}

void FrmAudioEditor::cAudioEditor1_Aborted()
{
    m_saving = false;
    m_savingOverShown = false;
    m_addWhenSaved.clear();
    tlbrList->ButtonEnabled(QStringLiteral("Play"), true);
    cmdAddSelection->setEnabled(true);
    tlbrList->ButtonEnabled(QStringLiteral("Save Selection"), true);
}

void FrmAudioEditor::cAudioEditor1_Error(long, const QString& text)
{
    cmdAddSelection->setEnabled(true);
    if (!m_saving)
        return;  // a file that cannot be shown says so in the display itself
    // A failed save gives its controls back and says why; the bar no longer shows a finish.
    // Whatever stands at its path (an older file, or nothing) is not what the user selected,
    // so an "Add Selection" waiting for it adds nothing and the window stays open.
    m_saving = false;
    m_savingOverShown = false;
    m_addWhenSaved.clear();
    tlbrList->ButtonEnabled(QStringLiteral("Save Selection"), true);
    prgCurrnet->Value(0);
    if (!m_unloading)
        platform::MsgBox(text, platform::vbExclamation | platform::vbOKOnly, QString(), this);
}

void FrmAudioEditor::cAudioEditor1_DonePlay() { tlbrList->ButtonEnabled(QStringLiteral("Play"), true); }

void FrmAudioEditor::tlbrList_ButtonClick(long index)
{
    const QString key = tlbrList->ButtonKey(index);
    if (key == QLatin1String("Play")) {
        if (cAudioEditor1->Play() == 0)
            tlbrList->ButtonEnabled(QStringLiteral("Play"), false);
    } else if (key == QLatin1String("Pause")) {
        if (cAudioEditor1->IsPaused())
            cAudioEditor1->Resume();
        else
            cAudioEditor1->Pause();
    } else if (key == QLatin1String("Stop")) {
        cAudioEditor1->Stop();
        tlbrList->ButtonEnabled(QStringLiteral("Play"), true);
    } else if (key == QLatin1String("Zoom")) {
        cAudioEditor1->Zoom();
    } else if (key == QLatin1String("Restore")) {
        cAudioEditor1->Restore();
    } else if (key == QLatin1String("Save Selection")) {
        SaveSelectionAs();
    } else if (key == QLatin1String("Abort")) {
        // The toolbar's "Abort Operation" does what the "Abort" button does.
        cAudioEditor1->Abort();
    }
}

QString FrmAudioEditor::SaveSelectionAs()
{
    g_FileDialog.lpstrFilter = QStringLiteral("Wav Audio Files (*.wav)") + QChar(0) + QStringLiteral("*.wav") + QChar(0) + QChar(0);
    g_FileDialog.lpstrTitle = QStringLiteral("Save Selection As");
    g_FileDialog.lpstrFile.clear();
    g_FileDialog.lpstrDefExt = QStringLiteral("wav");
    const FileDialogResult r = ShowSave(this, QString());
    if (r.cancelled || r.fileNames.size() < 2)
        return {};
    const QString path = r.fileNames.at(1);
    cAudioEditor1->SaveSource(txtWavFileBox->text());
    cAudioEditor1->SaveOutput(path);
    long start = 0, end = 0;
    if (TimeCaptionMs(lblTimeStart->text(), &start)) {
        cAudioEditor1->SelectionStart(start);
        if (TimeCaptionMs(lblTimeEnd->text(), &end))
            cAudioEditor1->SelectionLength(end - start);
    }
    cmdAddSelection->setEnabled(false);
    tlbrList->ButtonEnabled(QStringLiteral("Save Selection"), false);
    m_saving = true;
    const QString shown = QFileInfo(txtWavFileBox->text()).canonicalFilePath();
    m_savingOverShown = !shown.isEmpty() && QFileInfo(path).canonicalFilePath() == shown;
    cAudioEditor1->Save();
    return path;
}

void FrmAudioEditor::cmdAddSelection_Click()
{
    const QString path = SaveSelectionAs();
    // A cancelled dialog saved nothing: there is nothing to check or add. Otherwise the
    // save's own Done or Error decides: a failed save may leave an older file at the path.
    if (path.isEmpty())
        return;
    m_addWhenSaved = path;
}

void FrmAudioEditor::cmdSelectPath_Click()
{
    g_FileDialog.lpstrFilter = QStringLiteral("Wav Audio Files (*.wav)") + QChar(0) + QStringLiteral("*.wav") + QChar(0) + QChar(0);
    g_FileDialog.lpstrTitle = QStringLiteral("Add audio files");
    const FileDialogResult r = ShowOpen(this);
    if (r.cancelled || r.fileNames.isEmpty())
        return;
    txtWavFileBox->setText(r.fileNames.at(0));
    cAudioEditor1->Load(r.fileNames.at(0));
}

void FrmAudioEditor::cmdAbort_Click() { cAudioEditor1->Abort(); }

void FrmAudioEditor::cmdExit_Click()
{
    cAudioEditor1->Abort();
    Form_Unload();
}

void FrmAudioEditor::StopPlayback()
{
    cAudioEditor1->Stop();
    tlbrList->ButtonEnabled(QStringLiteral("Play"), true);
}

void FrmAudioEditor::LoadWaveFile() { cAudioEditor1->Load(txtWavFileBox->text()); }

void FrmAudioEditor::Form_Unload()
{
    if (m_unloading)
        return;
    m_unloading = true;
    cAudioEditor1->Release();
    if (g_frmAudioEditor.loaded() == this)
        g_frmAudioEditor.unload();
    else
        hide();
}

void FrmAudioEditor::closeEvent(QCloseEvent* event)
{
    event->accept();
    Form_Unload();
}
