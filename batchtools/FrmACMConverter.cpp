// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "batchtools/FrmACMConverter.h"

#include "batchtools/ConverterHandOver.h"
#include "batchtools/ConverterNames.h"
#include "batchtools/FileNameFormats.h"
#include "batchtools/RunnerWindowParts.h"
#include "batchtools/cProgressBar.h"
#include "commands/ToolWindows.h"
#include "components/cAudioConverter.h"
#include "components/cGrid.h"
#include "foundation/mdlFunctions.h"
#include "foundation/mdlModes.h"
#include "mainwindow/cStatusBar.h"
#include "platform/Clock.h"
#include "settings/OutputFormatOptions.h"
#include "settings/ProgramOptions.h"
#include "settings/controls/LinkLabel.h"
#include "settings/controls/TwipsGeometry.h"
#include "settings/controls/cTabControl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>

namespace {

// Client area of the window, twips.
constexpr int kWidth = 8175;
constexpr int kHeight = 8130;

// The destination-type code of compressed WAV.
constexpr long kAcmWav = 2;

// Whatever codec is inside, the outputs are WAV files: the extension placeholders take the key
// of the WAV entry.
const QString kWavTarget = QStringLiteral("WAV - Waveform Audio Format (*.wav)");

BatchToolSpec acmSpec()
{
    BatchToolSpec s;
    s.caption = QStringLiteral("ACM Converter");
    s.iconResource = QStringLiteral("replace2");
    s.tab1Caption = QStringLiteral("ACM Converter") + QString(8, u' ');
    s.tab1Icon = 61;
    s.startCaption = QStringLiteral("Convert");
    s.verb = QStringLiteral("convert");
    return s;
}

RowRunnerOptions acmRunOptions()
{
    RowRunnerOptions o;
    o.progressInCaption = false;
    o.captionFollowsStatus = false;
    o.hourglass = false;
    o.resetCaptionAtEnd = true;
    return o;
}

}  // namespace

// The window's side of the row runner: the converter host's as it is; no tags.
class FrmACMConverter::Host final : public ConverterRunnerHost<FrmACMConverter> {
public:
    using ConverterRunnerHost::ConverterRunnerHost;
};

// The template's hand-over, plus the total seconds and the source list.
class FrmACMConverter::HandOverPlus final : public RunnerHandOver<FrmACMConverter> {
public:
    using RunnerHandOver::RunnerHandOver;
    // Adding selects nothing: only choosing the current item's file lists its codecs.
    void cboBestAccordItem_AddItem(const QString& entry) override
    {
        if (!m_w)
            return;
        const QSignalBlocker quiet(m_w->cboBestAccordItem);
        const int selected = m_w->cboBestAccordItem->currentIndex();
        m_w->cboBestAccordItem->addItem(entry);
        m_w->cboBestAccordItem->setCurrentIndex(selected);
    }
    void cboBestAccordItem_Text(const QString& text) override
    {
        if (!m_w)
            return;
        const int index = m_w->cboBestAccordItem->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (index >= 0)
            m_w->cboBestAccordItem->setCurrentIndex(index);
    }
};

FrmACMConverter::FrmACMConverter()
    : BatchToolWindow(acmSpec()),
      chkOverWrite(new QCheckBox(QStringLiteral("Overwrite existing files"), TabSettings)),
      lblTimeLeft(new QLabel(QStringLiteral("Time Left: 00:00:00"), this)),
      m_host(std::make_unique<Host>(*this)),
      m_runner(std::make_unique<RowRunner>(*m_host, RunnerControlsOf(*this, lblTimeLeft, chkOverWrite), acmRunOptions())),
      m_acmHandOver(std::make_unique<HandOverPlus>(*this)),
      Timer1(&m_runner->Timer1),
      g_ltmrItemSecsTotal(m_runner->g_ltmrItemSecsTotal),
      m_lCurrentRow(m_runner->m_lCurrentRow),
      m_lItemSecs(m_runner->m_lItemSecs),
      m_lItemSecsDone(m_runner->m_lItemSecsDone),
      m_lFinishedSecs(m_runner->m_lFinishedSecs),
      m_lTimerTicks(m_runner->m_lTimerTicks)
{
    setObjectName(QStringLiteral("g_frmACMConverter"));
    chkOverWrite->setObjectName(QStringLiteral("chkOverWrite"));
    lblTimeLeft->setObjectName(QStringLiteral("lblTimeLeft"));
    buildAcmControls();

    // This window's captions of the template's controls.
    chkPlaySound->setText(QStringLiteral("Play a sound"));
    chkNoticeApp->setText(QStringLiteral("Execute external program"));
    QFont bold = cmdConvert->font();
    bold.setBold(true);
    cmdConvert->setFont(bold);
    QFont titleFont = lblTitle->font();
    titleFont.setPointSizeF(9.75);
    lblTitle->setFont(titleFont);
    lblCurrentTrack->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The codec lists take the place of the target format; the items stay in the hidden grid.
    for (QWidget* w : {static_cast<QWidget*>(Label5), static_cast<QWidget*>(cboTargetFormat),
                       static_cast<QWidget*>(cmdEditTargetFormat), static_cast<QWidget*>(lblSetAsDefaultFormat),
                       static_cast<QWidget*>(cGrid1)})
        w->setVisible(false);
    {
        const QSignalBlocker quiet(cboTargetFormat);
        cboTargetFormat->clear();
    }
    layOut();

    // The skin colour also on the overwrite box.
    SkinBackground({chkOverWrite});

    // The name templates in place of the target format.
    LoadFileNameFormats();
    FileNameFormats::ChooseDefault(cboFileName);

    // After the status panels: every codec of CD audio.
    UseConverter(converterFactory ? converterFactory() : CreateAudioConverter());
    if (cAudioConverter1)
        m_lists->ListAtLoad(*cAudioConverter1);

    CheckUnderFolderEna();
    g_ltmrItemSecsTotal = 0;
    m_lItemSecsDone = 0;
    m_lTimerTicks = 0;
    m_lItemSecs = 0;
    m_lFinishedSecs = 0;
}

FrmACMConverter::~FrmACMConverter()
{
    if (cAudioConverter1)
        cAudioConverter1->Release();
}

void FrmACMConverter::buildAcmControls()
{
    Label1 = new QLabel(QStringLiteral("Best ACM Codecs According:"), TabSettings);
    cboBestAccordItem = new QComboBox(TabSettings);
    cboBestAccordItem->setObjectName(QStringLiteral("cboBestAccordItem"));
    lblTag = new QLabel(QStringLiteral("Target ACM Tag:"), TabSettings);
    cboTags = new QComboBox(TabSettings);
    cboTags->setObjectName(QStringLiteral("cboTags"));
    lblFormat = new QLabel(QStringLiteral("Target ACM Format:"), TabSettings);
    cboFormats = new QComboBox(TabSettings);
    cboFormats->setObjectName(QStringLiteral("cboFormats"));
    // Source paths are long; the list opens wide enough to read them.
    cboBestAccordItem->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_lists = std::make_unique<AcmCodecLists>(cboTags, cboFormats);

    FileNameFormats::AddTo(*this);

    // Only a choice runs a handler: filling and clearing the lists are silent or pass -1.
    connect(cboBestAccordItem, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            cboBestAccordItem_Click();
    });
    connect(cboTags, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            cboTags_Click();
    });
}

void FrmACMConverter::layOut()
{
    setFixedSize(TwipsToPixels(kWidth), TwipsToPixels(kHeight));
    PlaceTw(picTitle, 360, 120, 7395, 375);
    PlaceTw(lblTitle, 120, 60, 7155, 255);
    PlaceTw(lblFilesToConvert, 360, 720, 5040, 255);
    PlaceTw(lblTimeLeft, 5280, 720, 2415, 255);
    lblTimeLeft->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    PlaceTw(prgTotal, 360, 960, 7335, 255);
    PlaceTw(lblCurrentTrack, 360, 1440, 7335, 255);
    PlaceTw(prgCurrnet, 360, 1680, 7335, 255);
    PlaceTw(cTabControl1, 360, 2160, 7335, 4935);
    PlaceTw(cmdConvert, 360, 7200, 1335, 375);
    PlaceTw(cmdAbort, 2280, 7200, 1335, 375);
    PlaceTw(cmdExit, 6480, 7200, 1215, 375);
    PlaceTw(cStatusBar1, 0, kHeight - 375, kWidth, 375);

    PlaceTabPanels();

    // Settings tab: the codec choice, then where and under which names the files go.
    PlaceTw(Label1, 360, 180, 3600, 255);
    PlaceTw(cboBestAccordItem, 360, 420, 6465, 315);
    PlaceTw(lblTag, 360, 840, 3000, 255);
    PlaceTw(cboTags, 360, 1080, 3135, 315);
    PlaceTw(lblFormat, 3690, 840, 3000, 255);
    PlaceTw(cboFormats, 3690, 1080, 3135, 315);
    PlaceTw(Label4, 360, 1575, 2280, 255);
    PlaceTw(lblSetAsDefaultDestination, 2760, 1560, 1215, 255);
    PlaceTw(imgOpenDestFolder, 4200, 1560, 255, 255);
    PlaceTw(lblOpenDestinationDestinationFolder, 4500, 1560, 2235, 255);
    PlaceTw(txtToPath, 360, 1800, 5985, 315);
    PlaceTw(cmdSelectPath, 6390, 1815, 435, 300);
    PlaceTw(chkCreateSubFolder, 360, 2220, 3600, 255);
    PlaceTw(txtUndeForlder, 360, 2505, 3135, 315);
    PlaceTw(Label21, 360, 3000, 2400, 255);
    PlaceTw(lblSetAsDefaultFileName, 4440, 3000, 1215, 255);
    PlaceTw(lblParameters, 5730, 3000, 1095, 255);
    PlaceTw(cboFileName, 360, 3240, 6465, 315);
    PlaceTw(chkOverWrite, 360, 3690, 3600, 255);

    // Events tab.
    PlaceTw(Label20, 360, 240, 3000, 255);
    PlaceTw(chkPlaySound, 600, 720, 4200, 255);
    PlaceTw(chkOpenDestFolder, 600, 1080, 4200, 255);
    PlaceTw(chkTurnOffComputer, 600, 1440, 4200, 255);
    PlaceTw(chkNoticeApp, 600, 1800, 4200, 255);
    PlaceTw(lblEventsSettings, 360, 2400, 2400, 255);
}

ToolWindow& FrmACMConverter::AcmHandOver() { return *m_acmHandOver; }

void FrmACMConverter::UseConverter(std::unique_ptr<cAudioConverter> converter)
{
    if (cAudioConverter1)
        cAudioConverter1->Release();
    cAudioConverter1 = std::move(converter);
    if (!cAudioConverter1)
        return;
    cAudioConverter* c = cAudioConverter1.get();
    connect(c, &cAudioConverter::Progress, this, [this](int percent) { cAudioConverter1_Progress(percent); });
    connect(c, &cAudioConverter::Done, this, [this] { cAudioConverter1_Done(); });
    connect(c, &cAudioConverter::Aborted, this, [this] { cAudioConverter1_Aborted(); });
    connect(c, &cAudioConverter::Error, this,
            [this](long code, const QString& text) { cAudioConverter1_Error(code, text); });
    // The listings raise their names before they return: the lists must hear them at once.
    connect(c, &cAudioConverter::TagFound, this, [this](const QString& name) { cAudioConverter1_TagFound(name); },
            Qt::DirectConnection);
    connect(c, &cAudioConverter::FormatFound, this,
            [this](const QString& name) { cAudioConverter1_FormatFound(name); }, Qt::DirectConnection);
}

// Probing and listing read files of their own and leave the converter's job settings alone, so
// a choice here never reaches a row already running; the pair is handed over at the next start.
void FrmACMConverter::cboBestAccordItem_Click()
{
    if (cAudioConverter1)
        m_lists->ListForSource(*cAudioConverter1, cboBestAccordItem->currentText());
}

void FrmACMConverter::cboTags_Click()
{
    if (cAudioConverter1)
        m_lists->ListFormats(*cAudioConverter1);
}

void FrmACMConverter::cAudioConverter1_TagFound(const QString& name) { m_lists->TagFound(name); }
void FrmACMConverter::cAudioConverter1_FormatFound(const QString& name) { m_lists->FormatFound(name); }

QString FrmACMConverter::ExpandFileNameTemplate(long& row)
{
    const platform::ClockService& clock = platform::clock();
    return ConverterNames::ExpandFileNameTemplate(cboFileName->currentText(), ConverterNames::FactsOfRow(*cGrid1, row),
                                                  kWavTarget, clock.now(), clock.shortDateFormat());
}

void FrmACMConverter::SetDestination()
{
    // The window's own lists name the codec, not the compressed-WAV settings of the format
    // window. Empty lists hand over two empty names; the converter answers each row then.
    ConverterFormatCalls calls(*cAudioConverter1);
    calls.DestinationFormat(kAcmWav);
    calls.SetAcmFormat(cboTags->currentText(), cboFormats->currentText());
    Log(DestinationFormatLogText(kAcmWav));
}

void FrmACMConverter::LoadFileNameFormats() { FileNameFormats::Load(cboFileName); }
void FrmACMConverter::cboFileName_Click() { FileNameFormats::Chosen(cboFileName, lblSetAsDefaultFileName); }
void FrmACMConverter::lblSetAsDefaultFileName_Click()
{
    FileNameFormats::SetAsDefault(cboFileName, lblSetAsDefaultFileName);
}

void FrmACMConverter::StartTask() { m_runner->Start(); }
void FrmACMConverter::ConvertTracks() { m_runner->ConvertTracks(); }
long FrmACMConverter::ConvertTask(long& row) { return m_runner->ConvertTask(row); }
void FrmACMConverter::Timer1_Timer() { m_runner->Timer1_Timer(); }
void FrmACMConverter::cAudioConverter1_Progress(long percent) { m_runner->Progress(percent); }
void FrmACMConverter::cAudioConverter1_Done() { m_runner->Done(); }
void FrmACMConverter::cAudioConverter1_Aborted() { m_runner->Aborted(); }
void FrmACMConverter::cAudioConverter1_Error(long code, const QString& text) { m_runner->Error(code, text); }

void FrmACMConverter::AbortComponent()
{
    cAudioConverter1->Abort();
    m_runner->Timer1.stop();
}

void FrmACMConverter::ShutdownComponent()
{
    if (cAudioConverter1)
        cAudioConverter1->Release();
}

void FrmACMConverter::UnloadSelf() { g_frmACMConverter.unload(); }

void RegisterACMConverterWindow()
{
    ToolWindows::Register(QStringLiteral("ACM Converter"), [] { return &g_frmACMConverter->AcmHandOver(); });
}
