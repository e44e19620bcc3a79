// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "recording/FrmWaveTTS.h"

#include "components/cSlider.h"
#include "foundation/AppSettings.h"
#include "foundation/mdlCommDialog.h"
#include "foundation/mdlFileSystem.h"
#include "foundation/mdlModes.h"
#include "foundation/mdlSupportedDestination.h"
#include "mainwindow/FrmMain.h"
#include "mainwindow/cStatusBar.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "recording/FrmAudioEditorProc.h"
#include "recording/RecordingUi.h"
#include "settings/FrmAudioProp.h"
#include "settings/FrmOptions.h"
#include "settings/ProgramOptions.h"
#include "settings/controls/LinkLabel.h"
#include "settings/controls/TwipsGeometry.h"
#include "settings/controls/cTreeView.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QPointer>
#include <QToolButton>

namespace {

constexpr int kWidth = 7320;
constexpr int kHeight = 7620;

QLabel* caption(const QString& text, QWidget* parent, int left, int top, int width)
{
    auto* l = new QLabel(text, parent);
    PlaceTw(l, left, top, width, 255);
    return l;
}

QComboBox* dropDown(QWidget* parent, int left, int top, int width)
{
    auto* c = new QComboBox(parent);
    PlaceTw(c, left, top, width, 315);
    return c;
}

LinkLabel* link(const QString& text, const QString& tip, QWidget* parent, int left, int top, int width)
{
    auto* l = new LinkLabel(text, parent);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, Qt::blue);
    l->setPalette(p);
    l->setCursor(Qt::PointingHandCursor);
    l->setToolTip(tip);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    PlaceTw(l, left, top, width, 255);
    return l;
}

QString tmpTtsPath() { return QDir(platform::programFolder()).filePath(QStringLiteral("tmptts.wav")); }

// The hourglass of this window, undone on every way out.
class Hourglass {
public:
    explicit Hourglass(QWidget* w) : m_w(w) { w->setCursor(Qt::WaitCursor); }
    ~Hourglass() { release(); }
    void release()
    {
        if (m_w)
            m_w->unsetCursor();
        m_w = nullptr;
    }

private:
    QWidget* m_w;
};

}  // namespace

QString SpeechListFileName(const QString& made, const QString& targetFormat, const QString& folder)
{
    QString name = made;
    name.chop(std::min<qsizetype>(3, name.size()));
    name += targetFormat.left(3).toLower();
    // An earlier rendering of the same second keeps its file.
    const QDir dir(folder);
    if (!NameInUse(dir.filePath(name)))
        return name;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot < 0 ? name : name.left(dot), ext = dot < 0 ? QString() : name.mid(dot);
    for (int n = 2;; ++n) {
        const QString candidate = stem + QLatin1Char('_') + QString::number(n) + ext;
        if (!NameInUse(dir.filePath(candidate)))
            return candidate;
    }
}

FrmWaveTTS::FrmWaveTTS()
{
    recording::SetUpFixedWindow(this, QStringLiteral("Text To Speech"), kWidth, kHeight, &picTitle, &lblTitle);

    lblOutputs = caption(QStringLiteral("Audio Outputs:"), this, 120, 600, 3000);
    cboAudioOutputs = dropDown(this, 120, 840, kWidth - 240);
    lblVoices = caption(QStringLiteral("Voices:"), this, 120, 1260, 3000);
    cboVoices = dropDown(this, 120, 1500, 4320);
    lblFormats = caption(QStringLiteral("Formats:"), this, 4560, 1260, 2000);
    cboFormats = dropDown(this, 4560, 1500, kWidth - 4680);

    lblVolume = caption(QStringLiteral("Volume:"), this, 120, 1920, 2000);
    sldVolume = new cSlider(this);
    PlaceTw(sldVolume, 120, 2160, 2880, 315);
    lblValumeVal = caption(QStringLiteral("50"), this, 3060, 2190, 420);
    lblRate = caption(QStringLiteral("Rate:"), this, 3720, 1920, 2000);
    sldRate = new cSlider(this);
    PlaceTw(sldRate, 3720, 2160, 2880, 315);
    lblRateVal = caption(QStringLiteral("0"), this, 6660, 2190, 540);
    // The slider control's own range is 0..10; the window sets the volume's maximum and the
    // rate's minimum.
    sldVolume->Min(0);
    sldVolume->Max(100);
    sldRate->Max(10);
    sldRate->Min(-10);

    lblText = caption(QStringLiteral("Text:"), this, 120, 2640, 2000);
    lblClearText = link(QStringLiteral("Clear Text"), QStringLiteral("Clear Text"), this, kWidth - 1680, 2640, 1560);
    txtSpeak = new QPlainTextEdit(this);
    txtSpeak->setPlainText(QStringLiteral("This sample shows you how to use the 'Text To Speech'.\r\n"));
    PlaceTw(txtSpeak, 120, 2880, kWidth - 240, 2340);

    const auto toolIcon = [this](int index, int left, int top, const char* tip) {
        auto* b = new QToolButton(this);
        b->setAutoRaise(true);
        b->setToolTip(QLatin1String(tip));
        PlaceTw(b, left, top, 375, 375);
        cmdToolsIcon[static_cast<size_t>(index)] = b;
    };
    toolIcon(0, 120, 5340, "Say it");
    cmdSay = new QPushButton(QStringLiteral("Say It"), this);
    cmdSay->setToolTip(QStringLiteral("Say it"));
    PlaceTw(cmdSay, 540, 5340, 1560, 375);
    toolIcon(1, 2280, 5340, "Stop");
    cmdStop = new QPushButton(QStringLiteral("Stop"), this);
    cmdStop->setToolTip(QStringLiteral("Stop"));
    PlaceTw(cmdStop, 2700, 5340, 1560, 375);

    lblAudioFormat = caption(QStringLiteral("Destination Format:"), this, 120, 5880, 3000);
    lblID3Tags = link(QStringLiteral("ID3Tags"), QStringLiteral("Set the ID3 tags"), this, kWidth - 1680, 5880, 1560);
    cboTargetFormatList = dropDown(this, 120, 6120, kWidth - 1560);
    cboTargetFormatList->setObjectName(QStringLiteral("cboTargetFormat"));
    cmdEditTargetFormat = new QPushButton(QStringLiteral("Edit"), this);
    cmdEditTargetFormat->setToolTip(QStringLiteral("Edit Target Audio Formats"));
    PlaceTw(cmdEditTargetFormat, kWidth - 1320, 6120, 1200, 315);

    toolIcon(2, 120, 6600, "Save 'Text To Speech' as a wav file.");
    cmdSaveAs = new QPushButton(QStringLiteral("Save As..."), this);
    cmdSaveAs->setToolTip(QStringLiteral("Save 'Text To Speech' as..."));
    PlaceTw(cmdSaveAs, 540, 6600, 1560, 375);
    toolIcon(3, 2280, 6600, "Add to items list.");
    cmdAdd = new QPushButton(QStringLiteral("Add to Items List"), this);
    cmdAdd->setToolTip(QStringLiteral("Add to items list."));
    PlaceTw(cmdAdd, 2700, 6600, 1920, 375);

    cStatusBar1 = new cStatusBar(this);
    PlaceTw(cStatusBar1, 0, kHeight - 345, kWidth, 345);

    cWaveTTS1 = componentFactory ? componentFactory() : CreateWaveTTS();
    connect(cWaveTTS1.get(), &cWaveTTS::FormatFound, this,
            [this](const QString& name, long id) { cWaveTTS1_FormatFound(name, id); });
    connect(cWaveTTS1.get(), &cWaveTTS::TextPosition, this, [this](long s, long l) { cWaveTTS1_TextPosition(s, l); });
    connect(cWaveTTS1.get(), &cWaveTTS::WholeText, this, [this] { cWaveTTS1_WholeText(); });
    connect(cmdSay, &QPushButton::clicked, this, [this] { cmdSay_Click(); });
    connect(cmdStop, &QPushButton::clicked, this, [this] { cmdStop_Click(); });
    connect(cmdAdd, &QPushButton::clicked, this, [this] { cmdAdd_Click(); });
    connect(cmdSaveAs, &QPushButton::clicked, this, [this] { cmdSaveAs_Click(); });
    connect(cmdEditTargetFormat, &QPushButton::clicked, this, [this] { cmdEditTargetFormat_Click(); });
    connect(lblID3Tags, &LinkLabel::Click, this, [this] { lblID3Tags_Click(); });
    connect(lblClearText, &LinkLabel::Click, this, [this] { lblClearText_Click(); });
    connect(txtSpeak, &QPlainTextEdit::textChanged, this, [this] { txtSpeak_Change(); });
    connect(sldRate, &QSlider::valueChanged, this, [this] { sldRate_Change(); });
    connect(sldVolume, &QSlider::valueChanged, this, [this] { sldVolume_Change(); });
    Form_Load();
}

FrmWaveTTS::~FrmWaveTTS() = default;

QString FrmWaveTTS::cboTargetFormat() { return cboTargetFormatList->currentText(); }

void FrmWaveTTS::Form_Load()
{
    if (FrmMain* main = frmMain.loaded()) {
        // The fourth sits beside "Add to Items List": the list-add picture (3 is the remove one).
        const int images[] = {84, 41, 47, 2};
        for (size_t i = 0; i < 4; ++i)
            cmdToolsIcon[i]->setIcon(main->imgMenu.Icon(images[i]));
    }
    recording::ApplyTitleColors(picTitle, lblTitle);
    recording::ApplyAppBackColor({this, sldVolume, sldRate});
    recording::ApplyViewPicture(this, g_sAppBackPicture);
    recording::ApplyViewPicture(picTitle, g_sAppTitlePicture);

    FillVoices();
    FillAudioOutputs();
    cWaveTTS1->ListFormats();
    const int format = cboFormats->findText(GetSetting(g_sAppName, QStringLiteral("TTS"), QStringLiteral("Format"),
                                                       QStringLiteral("SAFT22kHz16BitMono")));
    if (format >= 0)
        cboFormats->setCurrentIndex(format);
    const int voice = cboVoices->findText(GetSetting(g_sAppName, QStringLiteral("TTS"), QStringLiteral("Voice")));
    if (voice >= 0)
        cboVoices->setCurrentIndex(voice);

    sldVolume->Value(50);
    sldRate->Value(0);
    sldVolume_Change();
    sldRate_Change();
    txtSpeak->setPlainText(QStringLiteral("This sample shows you how to use the 'Text To Speech'."));

    FillDestinationFormats(cboTargetFormatList);
    if (FrmOptions* options = frmOptions.get())
        cboTargetFormatList->setCurrentIndex(options->cboTargetFormat->currentIndex());
}

void FrmWaveTTS::FillVoices()
{
    const long count = cWaveTTS1->VoiceCount();
    cboVoices->clear();
    for (long i = 1; i <= count; ++i)
        cboVoices->addItem(cWaveTTS1->VoiceName(i));
    if (cboVoices->count() > 0)
        cboVoices->setCurrentIndex(0);
}

void FrmWaveTTS::FillAudioOutputs()
{
    const long count = cWaveTTS1->OutputCount();
    cboAudioOutputs->clear();
    for (long i = 1; i <= count; ++i)
        cboAudioOutputs->addItem(cWaveTTS1->OutputName(i));
    if (cboAudioOutputs->count() > 0)
        cboAudioOutputs->setCurrentIndex(0);
}

void FrmWaveTTS::cWaveTTS1_FormatFound(const QString& name, long id)
{
    const int position = cboFormats->count();
    cboFormats->insertItem(position, name);
    cboFormats->setItemData(position, QVariant::fromValue<qlonglong>(id));
}

void FrmWaveTTS::cWaveTTS1_TextPosition(long start, long length)
{
    QTextCursor c = txtSpeak->textCursor();
    c.setPosition(static_cast<int>(std::clamp<long>(start, 0, txtSpeak->document()->characterCount() - 1)));
    c.setPosition(static_cast<int>(std::clamp<long>(start + length, 0, txtSpeak->document()->characterCount() - 1)),
                  QTextCursor::KeepAnchor);
    txtSpeak->setTextCursor(c);
}

void FrmWaveTTS::cWaveTTS1_WholeText()
{
    QTextCursor c = txtSpeak->textCursor();
    c.select(QTextCursor::Document);
    txtSpeak->setTextCursor(c);
}

void FrmWaveTTS::cmdSay_Click()
{
    if (!cWaveTTS1->Status()) {
        cWaveTTS1->Output(cboAudioOutputs->currentIndex());
        cWaveTTS1->Voice(cboVoices->currentIndex());
        cWaveTTS1->Rate(sldRate->Value());
        cWaveTTS1->Volume(sldVolume->Value());
        cWaveTTS1->SpeakMode(11);
        if (cboFormats->currentIndex() >= 0)
            cWaveTTS1->Format(cboFormats->currentData().toLongLong());
    }
    cWaveTTS1->Speak(txtSpeak->toPlainText());
}

void FrmWaveTTS::cmdStop_Click() { cWaveTTS1->Stop(); }

void FrmWaveTTS::SpeakToFile(const QString& path)
{
    cWaveTTS1->Output(cboAudioOutputs->currentIndex());
    cWaveTTS1->Voice(cboVoices->currentIndex());
    cWaveTTS1->Rate(0);
    cWaveTTS1->Volume(100);
    cWaveTTS1->SpeakMode(11);
    if (cboFormats->currentIndex() >= 0)
        cWaveTTS1->Format(cboFormats->currentData().toLongLong());
    cWaveTTS1->SpeakToFile(txtSpeak->toPlainText(), path);
}

void FrmWaveTTS::ConvertRendering(const QString& destination)
{
    // A rendering that fails must not leave an earlier one behind to be converted in its place.
    QFile::remove(tmpTtsPath());
    SpeakToFile(tmpTtsPath());
    Hourglass hourglass(this);
    FrmAudioEditorProc* proc = g_frmAudioEditorProc.get();
    FrmAudioEditorProc::g_sConvertToTarget = cboTargetFormatList->currentText();
    FrmAudioEditorProc::g_bConvertTo = true;
    proc->ConvertFile(tmpTtsPath(), destination);
    hourglass.release();
    ToolWindows::ShowToolModal(*proc);
}

void FrmWaveTTS::cmdAdd_Click()
{
    QString made;
    if (FrmMain* main = frmMain.loaded())
        made = main->CreateFileName(QString());
    const QString folder = platform::programFolder();
    const QString name = SpeechListFileName(QStringLiteral("TTS_") + made, cboTargetFormatList->currentText(), folder);
    const QString destination = QDir(folder).filePath(name);
    const QPointer<FrmWaveTTS> self(this);
    ConvertRendering(destination);
    recording::AddFileToMainList(destination);
    if (FrmMain* main = frmMain.loaded()) {
        main->SaveGridToFile();
        main->DisplayGridInfoStatusBar();
        main->cTreeView1_NodeClick(main->cTreeView1->SelectedNode());
    }
    if (self)
        Form_Unload();
}

void FrmWaveTTS::cmdSaveAs_Click()
{
    const QString ext = cboTargetFormatList->currentText().left(3).toLower();
    g_FileDialog.lpstrFilter = QStringLiteral("Audio Files (*.") + ext + QLatin1Char(')') + QChar(0) + QStringLiteral("*.") +
                               ext + QChar(0) + QChar(0);
    g_FileDialog.lpstrTitle = QStringLiteral("Save As");
    g_FileDialog.lpstrDefExt = ext;
    const FileDialogResult r = ShowSave(this, QString(), true);
    if (r.cancelled || r.fileNames.size() < 2)
        return;
    ConvertRendering(r.fileNames.at(1));
}

void FrmWaveTTS::cmdEditTargetFormat_Click()
{
    FrmAudioProp* prop = g_frmAudioProp.get();
    prop->OpenOnFormat(cboTargetFormatList->currentText().left(3));
    prop->exec();
    cboTargetFormatList->setCurrentIndex(frmOptions->cboTargetFormat->currentIndex());
}

void FrmWaveTTS::lblID3Tags_Click()
{
    FrmOptions* options = frmOptions.get();
    options->OpenPage(QStringLiteral("ID3 Tags"));
    options->exec();
}

void FrmWaveTTS::lblClearText_Click()
{
    if (platform::MsgBox(QStringLiteral("This action will clear the Text-Box, continue?"),
                         platform::vbInformation | platform::vbYesNo, QString(), this) == platform::vbYes)
        txtSpeak->clear();
}

void FrmWaveTTS::txtSpeak_Change() { lblClearText->setEnabled(!txtSpeak->toPlainText().isEmpty()); }
void FrmWaveTTS::sldRate_Change() { lblRateVal->setText(QString::number(sldRate->Value())); }
void FrmWaveTTS::sldVolume_Change() { lblValumeVal->setText(QString::number(sldVolume->Value())); }

void FrmWaveTTS::Form_Unload()
{
    if (m_unloading)
        return;
    m_unloading = true;
    cWaveTTS1->Release();
    cWaveTTS1->disconnect(this);
    SaveSetting(g_sAppName, QStringLiteral("TTS"), QStringLiteral("Format"),
                cboFormats->currentIndex() >= 0 ? cboFormats->currentText() : QString());
    SaveSetting(g_sAppName, QStringLiteral("TTS"), QStringLiteral("Voice"),
                cboVoices->currentIndex() >= 0 ? cboVoices->currentText() : QString());
    if (g_frmWaveTTS.loaded() == this)
        g_frmWaveTTS.unload();
    else
        hide();
}

void FrmWaveTTS::closeEvent(QCloseEvent* event)
{
    event->accept();
    Form_Unload();
}
