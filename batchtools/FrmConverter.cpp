// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "batchtools/FrmConverter.h"

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
#include <QTimer>

namespace {

// Client area of the window, twips.
constexpr int kWidth = 8175;
constexpr int kHeight = 7530;

BatchToolSpec converterSpec()
{
    BatchToolSpec s;
    s.caption = QStringLiteral("Audio Converter");
    s.iconResource = QStringLiteral("replace2");
    s.tab1Caption = QStringLiteral("Converter") + QString(8, u' ');
    s.tab1Icon = 7;
    s.startCaption = QStringLiteral("Convert");
    s.verb = QStringLiteral("convert");
    return s;
}

}  // namespace

// The window's side of the row runner: the converter host's, plus the tags.
class FrmConverter::Host final : public ConverterRunnerHost<FrmConverter> {
public:
    using ConverterRunnerHost::ConverterRunnerHost;
    void SetID3Tags(long row) override { m_w.SetID3Tags(row); }
};

// The template's hand-over, plus the total seconds the estimate counts against.
class FrmConverter::HandOverPlus final : public RunnerHandOver<FrmConverter> {
public:
    using RunnerHandOver::RunnerHandOver;
};

FrmConverter::FrmConverter()
    : BatchToolWindow(converterSpec()),
      chkOverWrite(new QCheckBox(QStringLiteral("Overwrite existing files"), TabSettings)),
      lblTimeLeft(new QLabel(QStringLiteral("Time Left: 00:00:00"), this)),
      m_host(std::make_unique<Host>(*this)),
      m_runner(std::make_unique<RowRunner>(*m_host, RunnerControlsOf(*this, lblTimeLeft, chkOverWrite))),
      m_converterHandOver(std::make_unique<HandOverPlus>(*this)),
      Timer1(&m_runner->Timer1),
      g_ltmrItemSecsTotal(m_runner->g_ltmrItemSecsTotal),
      m_lCurrentRow(m_runner->m_lCurrentRow),
      m_bConvertError(m_bJobError),
      m_ltmrTicks(m_runner->m_lTimerTicks),
      m_ltmrItemSecs(m_runner->m_lItemSecs),
      m_ltmrItemSecsDone(m_runner->m_lItemSecsDone),
      m_ltmrSecsFinished(m_runner->m_lFinishedSecs)
{
    setObjectName(QStringLiteral("g_frmConverter"));
    chkOverWrite->setObjectName(QStringLiteral("chkOverWrite"));
    lblTimeLeft->setObjectName(QStringLiteral("lblTimeLeft"));

    // The settings tab's name templates, in place of the joiner's one name box.
    FileNameFormats::AddTo(*this);

    // This window's captions of the template's controls.
    chkPlaySound->setText(QStringLiteral("Play a sound"));
    chkNoticeApp->setText(QStringLiteral("Execute external program "));
    QFont bold = cmdConvert->font();
    bold.setBold(true);
    cmdConvert->setFont(bold);
    cmdEditTargetFormat->setFont(bold);
    QFont titleFont = lblTitle->font();
    titleFont.setPointSizeF(9.75);
    lblTitle->setFont(titleFont);
    lblFilesToConvert->setText(QStringLiteral("Files: 0/15"));
    lblCurrentTrack->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    cGrid1->setVisible(false);
    layOut();

    // The skin colour also on the overwrite box.
    SkinBackground({chkOverWrite});

    // The templates come before the target format: the template list is loaded, then the
    // format list is filled afresh and its default chosen.
    LoadFileNameFormats();
    FileNameFormats::ChooseDefault(cboFileName);
    LoadTargetFormats();
    CheckUnderFolderEna();

    UseConverter(CreateAudioConverter());
}

FrmConverter::~FrmConverter()
{
    if (cAudioConverter1)
        cAudioConverter1->Release();
}

void FrmConverter::layOut()
{
    setFixedSize(TwipsToPixels(kWidth), TwipsToPixels(kHeight));
    PlaceTw(picTitle, 360, 120, 7395, 375);
    PlaceTw(lblTitle, 120, 60, 7155, 255);
    PlaceTw(lblFilesToConvert, 360, 720, 5400, 255);
    // Its design place leaves too little room for the text in this font: it ends where the bars
    // end and grows to the left.
    PlaceTw(lblTimeLeft, 5280, 720, 2415, 255);
    lblTimeLeft->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    PlaceTw(prgTotal, 360, 960, 7335, 255);
    PlaceTw(lblCurrentTrack, 360, 1440, 7335, 255);
    PlaceTw(prgCurrnet, 360, 1680, 7335, 255);
    PlaceTw(cTabControl1, 360, 2160, 7335, 4335);
    PlaceTw(cmdConvert, 360, 6600, 1335, 375);
    PlaceTw(cmdAbort, 2280, 6600, 1335, 375);
    PlaceTw(cmdExit, 6480, 6600, 1215, 375);
    PlaceTw(cStatusBar1, 0, kHeight - 375, kWidth, 375);

    PlaceTabPanels();

    // Settings tab.
    PlaceTw(Label5, 360, 240, 2400, 255);
    PlaceTw(lblSetAsDefaultFormat, 4800, 240, 1215, 255);
    PlaceTw(cboTargetFormat, 360, 480, 5535, 315);
    PlaceTw(cmdEditTargetFormat, 6000, 480, 735, 315);
    PlaceTw(Label4, 360, 1215, 2280, 255);
    PlaceTw(lblSetAsDefaultDestination, 2760, 1200, 1215, 255);
    PlaceTw(imgOpenDestFolder, 4200, 1200, 255, 255);
    PlaceTw(lblOpenDestinationDestinationFolder, 4500, 1200, 2235, 255);
    PlaceTw(txtToPath, 360, 1440, 5535, 315);
    PlaceTw(cmdSelectPath, 6000, 1455, 435, 300);
    PlaceTw(chkCreateSubFolder, 360, 1800, 3600, 255);
    PlaceTw(txtUndeForlder, 360, 2085, 3105, 315);
    PlaceTw(Label21, 360, 2640, 2400, 255);
    PlaceTw(lblSetAsDefaultFileName, 4440, 2640, 1215, 255);
    PlaceTw(lblParameters, 6000, 2640, 1095, 255);
    PlaceTw(cboFileName, 360, 2880, 6465, 315);
    PlaceTw(chkOverWrite, 360, 3240, 3600, 255);

    // Events tab.
    PlaceTw(Label20, 360, 240, 3000, 255);
    PlaceTw(chkPlaySound, 600, 720, 4200, 255);
    PlaceTw(chkOpenDestFolder, 600, 1080, 4200, 255);
    PlaceTw(chkTurnOffComputer, 600, 1440, 4200, 255);
    PlaceTw(chkNoticeApp, 600, 1800, 4200, 255);
    PlaceTw(lblEventsSettings, 360, 2400, 2400, 255);
}

ToolWindow& FrmConverter::ConverterHandOver() { return *m_converterHandOver; }

void FrmConverter::UseConverter(std::unique_ptr<cAudioConverter> converter)
{
    if (cAudioConverter1)
        cAudioConverter1->Release();
    cAudioConverter1 = std::move(converter);
    if (!cAudioConverter1)
        return;
    connect(cAudioConverter1.get(), &cAudioConverter::Progress, this,
            [this](int percent) { cAudioConverter1_Progress(percent); });
    connect(cAudioConverter1.get(), &cAudioConverter::Done, this, [this] { cAudioConverter1_Done(); });
    connect(cAudioConverter1.get(), &cAudioConverter::Aborted, this, [this] { cAudioConverter1_Aborted(); });
    connect(cAudioConverter1.get(), &cAudioConverter::Error, this,
            [this](long code, const QString& text) { cAudioConverter1_Error(code, text); });
}

QString FrmConverter::ExpandFileNameTemplate(long& row)
{
    const platform::ClockService& clock = platform::clock();
    return ConverterNames::ExpandFileNameTemplate(cboFileName->currentText(), ConverterNames::FactsOfRow(*cGrid1, row),
                                                  cboTargetFormat->currentText(), clock.now(), clock.shortDateFormat());
}

QString FrmConverter::CreateID3TagsString(const QString& text)
{
    const platform::ClockService& clock = platform::clock();
    // The track number is the grid's current row; the source, name and range are those of the
    // row being converted. During a task the two are the same row.
    ConverterNames::RowFacts facts = ConverterNames::FactsOfRow(*cGrid1, m_lCurrentRow);
    facts.row = cGrid1->CurrentRow();
    return ConverterNames::CreateID3TagsString(text, facts, clock.now(), clock.shortDateFormat(), clock.timeFormat());
}

void FrmConverter::SetID3Tags(long& row)
{
    const std::optional<ConverterNames::TagCells> cells = ConverterNames::TagCellsOfRow(*cGrid1, row);
    if (!cells)
        return;  // no cell to read: the converter keeps the tags it has
    ConverterNames::HandOverTags(*cAudioConverter1, *cells, [this](const QString& t) { return CreateID3TagsString(t); });
}

void FrmConverter::SetDestination()
{
    ConverterFormatCalls target(*cAudioConverter1);
    Log(BatchTool::HandOverDestination(target, cboTargetFormat->currentText()));
}

void FrmConverter::LoadFileNameFormats() { FileNameFormats::Load(cboFileName); }
void FrmConverter::cboFileName_Click() { FileNameFormats::Chosen(cboFileName, lblSetAsDefaultFileName); }
void FrmConverter::lblSetAsDefaultFileName_Click() { FileNameFormats::SetAsDefault(cboFileName, lblSetAsDefaultFileName); }

void FrmConverter::StartTask() { m_runner->Start(); }
void FrmConverter::ConvertTracks() { m_runner->ConvertTracks(); }
long FrmConverter::ConvertTask(long& row) { return m_runner->ConvertTask(row); }
void FrmConverter::Timer1_Timer() { m_runner->Timer1_Timer(); }
void FrmConverter::cAudioConverter1_Progress(long percent) { m_runner->Progress(percent); }
void FrmConverter::cAudioConverter1_Done() { m_runner->Done(); }
void FrmConverter::cAudioConverter1_Aborted() { m_runner->Aborted(); }
void FrmConverter::cAudioConverter1_Error(long code, const QString& text) { m_runner->Error(code, text); }

void FrmConverter::AbortComponent()
{
    cAudioConverter1->Abort();
    m_runner->Timer1.stop();
}

void FrmConverter::ShutdownComponent()
{
    if (cAudioConverter1)
        cAudioConverter1->Release();
}

void FrmConverter::UnloadSelf() { g_frmConverter.unload(); }

void RegisterConverterWindow()
{
    ToolWindows::Register(QStringLiteral("Audio Converter"), [] { return &g_frmConverter->ConverterHandOver(); });
}
