// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "cdtools/FrmCDRipper.h"

#include "batchtools/BatchToolRules.h"
#include "batchtools/ConverterNames.h"
#include "batchtools/FileNameFormats.h"
#include "batchtools/RunnerWindowParts.h"
#include "batchtools/cProgressBar.h"
#include "cdtools/RipperRules.h"
#include "commands/Templates.h"
#include "commands/ToolWindows.h"
#include "components/cAudioCDRipper.h"
#include "components/cGrid.h"
#include "foundation/mdlFunctions.h"
#include "foundation/mdlModes.h"
#include "foundation/mdlShutDown.h"
#include "mainwindow/cStatusBar.h"
#include "platform/Clock.h"
#include "settings/ProgramOptions.h"
#include "settings/controls/ColorSwatch.h"
#include "settings/controls/LinkLabel.h"
#include "settings/controls/TwipsGeometry.h"
#include "settings/controls/cTabControl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>

namespace {

// Client area of the window, twips: the template's, taller by the source panel and the
// template list the ripper adds to the settings tab.
constexpr int kWidth = 9360;
constexpr int kHeight = 8790;

BatchToolSpec ripperSpec()
{
    BatchToolSpec s;
    s.caption = QStringLiteral("Audio CD Ripper");
    s.iconResource = QStringLiteral("cd_music");
    s.tab1Caption = QStringLiteral("Ripper Options") + QString(4, u' ');
    s.tab1Icon = 25;
    s.startCaption = QStringLiteral("Rip");
    s.verb = QStringLiteral("rip");
    s.itemIcons = true;  // the copied marks and the audio and data track icons
    return s;
}

RowRunnerOptions ripperRunOptions()
{
    RowRunnerOptions o;
    o.verb = QStringLiteral("rip");
    o.markedRowsOnly = true;
    return o;
}

void setTextColor(QLabel* label, int bgr)
{
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, ColorSwatch::ToQColor(bgr));
    label->setPalette(p);
}

}  // namespace

// The window's side of the row runner: the row's position is the track to rip.
class FrmCDRipper::Host final : public RowRunnerHost {
public:
    explicit Host(FrmCDRipper& w) : m_w(w) {}
    QString ExpandFileNameTemplate(long row) override { return m_w.ExpandFileNameTemplate(row); }
    void SetID3Tags(long row) override { m_w.SetID3Tags(row); }
    void SetInput(long row, const QString&) override { m_w.cAudioCDRipper1->TrackNumber(row); }
    QString OutputFolder() override { return m_w.OutputFolder(); }
    void SetRangeStart(long seconds) override { m_w.cAudioCDRipper1->RangeStart(seconds); }
    void SetRangeLength(long seconds) override { m_w.cAudioCDRipper1->RangeLength(seconds); }
    void SetOutput(const QString& path) override { m_w.cAudioCDRipper1->OutputFile(path); }
    void StartRow() override { m_w.cAudioCDRipper1->Rip(); }
    void AbortRow() override { m_w.cAudioCDRipper1->Abort(); }
    void DoEndEvents() override { m_w.DoEndEvents(); }
    QString FailedRunText(long failed, long total) override { return RipperRules::TracksFailedText(failed, total); }

private:
    FrmCDRipper& m_w;
};

// The template's hand-over, plus the total seconds and the source drive controls.
class FrmCDRipper::HandOverPlus final : public RunnerHandOver<FrmCDRipper> {
public:
    using RunnerHandOver::RunnerHandOver;
    QComboBox* cboDevices() override { return m_w ? m_w->cboDevices : nullptr; }
    QWidget* cmdOpenCD() override { return m_w ? m_w->cmdOpenCD : nullptr; }
};

FrmCDRipper::FrmCDRipper()
    : BatchToolWindow(ripperSpec()),
      chkOverWrite(new QCheckBox(QStringLiteral("Overwrite existing files"), TabSettings)),
      chkOpenCDdrive(new QCheckBox(QStringLiteral("Eject the CD door"), TabEvents)),
      lblTimeLeft(new QLabel(QStringLiteral("Time Left: 00:00:00"), this)),
      m_host(std::make_unique<Host>(*this)),
      m_runner(std::make_unique<RowRunner>(*m_host, RunnerControlsOf(*this, lblTimeLeft, chkOverWrite), ripperRunOptions())),
      m_ripperHandOver(std::make_unique<HandOverPlus>(*this)),
      Timer1(&m_runner->Timer1),
      g_ltmrItemSecsTotal(m_runner->g_ltmrItemSecsTotal),
      m_lCurrentRow(m_runner->m_lCurrentRow),
      m_lItemSecs(m_runner->m_lItemSecs),
      m_lItemSecsDone(m_runner->m_lItemSecsDone),
      m_lFinishedSecs(m_runner->m_lFinishedSecs),
      m_lTimerTicks(m_runner->m_lTimerTicks)
{
    setObjectName(QStringLiteral("g_frmCDRipper"));
    buildRipperControls();
    layOut();

    // Templates before the target format: the template list is loaded and its default chosen,
    // then the format list is filled afresh and the options' default chosen.
    LoadFileNameFormats();
    FileNameFormats::ChooseDefault(cboFileName);
    LoadTargetFormats();
    CheckUnderFolderEna();

    // Neither box is stored: every opening starts with both unticked. The door stays shut
    // unless the user asks for it in this opening.
    chkOverWrite->setChecked(false);
    chkOpenCDdrive->setChecked(false);

    g_ltmrItemSecsTotal = 0;
    m_lItemSecsDone = 0;
    m_lTimerTicks = 0;
    m_lItemSecs = 0;
    m_lFinishedSecs = 0;

    cAudioCDRipper1 = CreateAudioCDRipper();
    wireRipper();
    FillSourceDevices();
}

FrmCDRipper::~FrmCDRipper()
{
    m_runner->Timer1.stop();
    if (cAudioCDRipper1)
        cAudioCDRipper1->Shutdown();
}

void FrmCDRipper::buildRipperControls()
{
    chkOverWrite->setObjectName(QStringLiteral("chkOverWrite"));
    chkOpenCDdrive->setObjectName(QStringLiteral("chkOpenCDdrive"));
    lblTimeLeft->setObjectName(QStringLiteral("lblTimeLeft"));

    // Source drive.
    Label1 = new QLabel(QStringLiteral("Audio CD:"), TabSettings);
    cboDevices = new QComboBox(TabSettings);
    cboDevices->setObjectName(QStringLiteral("cboDevices"));
    cmdOpenCD = new QPushButton(QStringLiteral("Open"), TabSettings);
    cmdOpenCD->setObjectName(QStringLiteral("cmdOpenCD"));
    lblCDStatus = new QLabel(QStringLiteral("Ready."), TabSettings);
    lblCDStatus->setObjectName(QStringLiteral("lblCDStatus"));
    connect(cboDevices, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            cboDevices_Click();
    });
    connect(cmdOpenCD, &QPushButton::clicked, this, [this] { cmdOpenCD_Click(); });

    // The name templates of the converter windows, in place of the joiner's one name box.
    FileNameFormats::AddTo(*this);

    // This window's captions of the template's event boxes.
    chkPlaySound->setText(QStringLiteral("Play a sound"));
    chkNoticeApp->setText(QStringLiteral("Execute external program"));
    chkOpenDestFolder->setText(QStringLiteral("Open the destination folder"));
    chkTurnOffComputer->setText(QStringLiteral("Turn off computer"));

    QFont bold = cmdConvert->font();
    bold.setBold(true);
    cmdConvert->setFont(bold);

    // The skin colour also on the two boxes of this window.
    SkinBackground({chkOverWrite, chkOpenCDdrive});
}

void FrmCDRipper::layOut()
{
    setFixedSize(TwipsToPixels(kWidth), TwipsToPixels(kHeight));
    PlaceTw(cTabControl1, 120, 3150, kWidth - 240, 3750);
    PlaceTw(lblFilesToConvert, 120, 6990, 4200, 255);
    PlaceTw(lblCurrentTrack, 4440, 6990, kWidth - 4560, 255);
    PlaceTw(prgCurrnet, 120, 7290, kWidth - 240, 180);
    PlaceTw(prgTotal, 120, 7530, kWidth - 240, 180);
    PlaceTw(lblTimeLeft, 120, 7950, 3000, 255);
    PlaceTw(cmdConvert, kWidth - 3720, 7890, 1095, 375);
    PlaceTw(cmdAbort, kWidth - 2520, 7890, 1095, 375);
    PlaceTw(cmdExit, kWidth - 1320, 7890, 1095, 375);
    PlaceTw(cStatusBar1, 0, kHeight - 375, kWidth, 375);

    PlaceTabPanels();

    // Settings tab: the source drive heads it; the boxes start a little right of the template's,
    // so that "File Name Format:" fits in front of its list.
    PlaceTw(Label1, 240, 195, 1575, 255);
    PlaceTw(cboDevices, 1860, 150, 5100, 330);
    PlaceTw(cmdOpenCD, 7020, 150, 735, 330);
    PlaceTw(lblCDStatus, 1860, 525, 7080, 255);
    PlaceTw(Label4, 240, 945, 1575, 255);
    PlaceTw(txtToPath, 1860, 900, 5100, 330);
    PlaceTw(cmdSelectPath, 7020, 900, 435, 330);
    PlaceTw(lblSetAsDefaultDestination, 7560, 945, 1395, 255);
    PlaceTw(imgOpenDestFolder, 1860, 1290, 255, 255);
    PlaceTw(lblOpenDestinationDestinationFolder, 2160, 1305, 2400, 255);
    PlaceTw(chkCreateSubFolder, 240, 1650, 2880, 285);
    PlaceTw(txtUndeForlder, 3180, 1635, 3780, 315);
    PlaceTw(Label5, 240, 2100, 1575, 255);
    PlaceTw(cboTargetFormat, 1860, 2055, 5100, 330);
    PlaceTw(cmdEditTargetFormat, 7020, 2055, 615, 330);
    PlaceTw(lblSetAsDefaultFormat, 7740, 2100, 1215, 255);
    PlaceTw(Label21, 240, 2535, 1575, 255);
    PlaceTw(cboFileName, 1860, 2490, 5100, 330);
    PlaceTw(lblSetAsDefaultFileName, 7020, 2535, 1215, 255);
    PlaceTw(lblParameters, 7020, 2925, 1215, 255);
    PlaceTw(chkOverWrite, 1860, 2910, 3600, 285);

    // Events tab: the door below the template's four boxes.
    PlaceTw(chkOpenCDdrive, 480, 1410, 3600, 285);
    PlaceTw(lblEventsSettings, 480, 1950, 2400, 255);
}

ToolWindow& FrmCDRipper::RipperHandOver() { return *m_ripperHandOver; }

void FrmCDRipper::wireRipper()
{
    if (!cAudioCDRipper1)
        return;
    cAudioCDRipper* r = cAudioCDRipper1.get();
    connect(r, &cAudioCDRipper::Progress, this, [this](int percent) { cAudioCDRipper1_Progress(percent); });
    connect(r, &cAudioCDRipper::Done, this, [this] { cAudioCDRipper1_Done(); });
    connect(r, &cAudioCDRipper::Aborted, this, [this] { cAudioCDRipper1_Aborted(); });
    connect(r, &cAudioCDRipper::Error, this,
            [this](long code, const QString& text) { cAudioCDRipper1_Error(code, text); });
}

void FrmCDRipper::UseRipper(std::unique_ptr<cAudioCDRipper> ripper)
{
    if (cAudioCDRipper1)
        cAudioCDRipper1->Shutdown();
    cAudioCDRipper1 = std::move(ripper);
    wireRipper();
    {
        const QSignalBlocker quiet(cboDevices);
        cboDevices->clear();
    }
    lblCDStatus->setText(QStringLiteral("Ready."));
    setTextColor(lblCDStatus, 0);
    if (cAudioCDRipper1)
        FillSourceDevices();
}

// ---------------------------------------------------------------------------------------------
// Source drive

void FrmCDRipper::FillSourceDevices()
{
    // Built once, when the window loads: the list is not emptied first. Only the final choice
    // of the first entry runs the disc check.
    {
        const QSignalBlocker quiet(cboDevices);
        const long count = cAudioCDRipper1->DeviceCount();
        for (long i = 0; i < count; ++i)
            cboDevices->addItem(cAudioCDRipper1->DeviceName(i));
        cboDevices->setCurrentIndex(-1);
    }
    if (cboDevices->count() > 0)
        cboDevices->setCurrentIndex(0);
}

void FrmCDRipper::cboDevices_Click()
{
    const RipperRules::DiscCheck check =
        RipperRules::CheckDisc(*cAudioCDRipper1, cboDevices->currentIndex(), cboDevices->currentText());
    lblCDStatus->setText(check.text);
    setTextColor(lblCDStatus, check.color);
}

void FrmCDRipper::cmdOpenCD_Click() { cAudioCDRipper1->OpenTray(); }

// ---------------------------------------------------------------------------------------------
// Names, tags, format

QString FrmCDRipper::ExpandFileNameTemplate(long& row)
{
    const platform::ClockService& clock = platform::clock();
    return ConverterNames::ExpandFileNameTemplate(cboFileName->currentText(), ConverterNames::FactsOfRow(*cGrid1, row),
                                                  cboTargetFormat->currentText(), clock.now(), clock.shortDateFormat());
}

QString FrmCDRipper::CreateID3TagsString(const QString& text)
{
    // The track number is the grid's current row, which the task makes the row being ripped.
    const platform::ClockService& clock = platform::clock();
    return RipperRules::ExpandRowTags(text, cGrid1->CurrentRow(), clock.now(), clock.shortDateFormat(),
                                      clock.timeFormat());
}

void FrmCDRipper::SetID3Tags(long& row)
{
    const std::optional<ConverterNames::TagCells> cells = ConverterNames::TagCellsOfRow(*cGrid1, row);
    if (!cells)
        return;  // no cell to read: the ripper keeps the tags it has
    ConverterNames::HandOverTags(*cAudioCDRipper1, *cells, [this](const QString& t) { return CreateID3TagsString(t); });
}

void FrmCDRipper::SetDestination() { Log(BatchTool::HandOverDestination(*cAudioCDRipper1, cboTargetFormat->currentText())); }

void FrmCDRipper::LoadFileNameFormats() { FileNameFormats::Load(cboFileName); }
void FrmCDRipper::cboFileName_Click() { FileNameFormats::Chosen(cboFileName, lblSetAsDefaultFileName); }
void FrmCDRipper::lblSetAsDefaultFileName_Click() { FileNameFormats::SetAsDefault(cboFileName, lblSetAsDefaultFileName); }

// ---------------------------------------------------------------------------------------------
// Task

void FrmCDRipper::StartTask()
{
    // -1 when there is no drive at all: the component answers that rip with an Error.
    cAudioCDRipper1->DeviceIndex(cboDevices->currentIndex());
    m_runner->Start();
}

void FrmCDRipper::ConvertTracks() { m_runner->ConvertTracks(); }
long FrmCDRipper::ConvertTask(long& row) { return m_runner->ConvertTask(row); }
void FrmCDRipper::Timer1_Timer() { m_runner->Timer1_Timer(); }
void FrmCDRipper::cAudioCDRipper1_Progress(long percent) { m_runner->Progress(percent); }
void FrmCDRipper::cAudioCDRipper1_Done() { m_runner->Done(); }

void FrmCDRipper::cAudioCDRipper1_Aborted() { m_runner->Aborted(); }

void FrmCDRipper::cAudioCDRipper1_Error(long code, const QString& text) { m_runner->Error(code, text); }

void FrmCDRipper::DoEndEvents()
{
    const QPointer<FrmCDRipper> self(this);
    const bool turnOff = RunEndActions();
    if (!self)
        return;
    // The disc comes out before the count-down to turning off could start.
    if (chkOpenCDdrive->isChecked())
        cAudioCDRipper1->OpenTray();
    if (turnOff)
        ShowTurnOffDialog(30);
}

void FrmCDRipper::AbortComponent()
{
    cAudioCDRipper1->Abort();
    m_runner->Timer1.stop();
}

void FrmCDRipper::ShutdownComponent()
{
    if (cAudioCDRipper1)
        cAudioCDRipper1->Shutdown();
}

void FrmCDRipper::UnloadSelf() { g_frmCDRipper.unload(); }

void RegisterCDRipperWindow()
{
    ToolWindows::Register(QStringLiteral("Audio CD Ripper"), [] { return &g_frmCDRipper->RipperHandOver(); });
}
