// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "cdtools/FrmAudioCDDuplicator.h"

#include "batchtools/cProgressBar.h"
#include "cdtools/BurnerDrivePanel.h"
#include "cdtools/RipperRules.h"
#include "cdtools/StatusLineFit.h"
#include "commands/Templates.h"
#include "commands/ToolWindows.h"
#include "components/cAudioBurner.h"
#include "components/cAudioCDRipper.h"
#include "components/cGrid.h"
#include "foundation/mdlFunctions.h"
#include "foundation/mdlModes.h"
#include "foundation/mdlShutDown.h"
#include "itemsgrid/ItemRow.h"
#include "platform/EndSound.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "settings/ProgramOptions.h"
#include "settings/controls/LinkLabel.h"
#include "settings/controls/TwipsGeometry.h"
#include "settings/controls/cTabControl.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

namespace {

BatchToolSpec duplicatorSpec()
{
    BatchToolSpec s;
    s.caption = QStringLiteral("Audio CD Duplicator");
    s.iconResource = QStringLiteral("cd_music");
    s.tab1Caption = QStringLiteral("Duplicator Options") + QString(4, u' ');
    s.tab1Icon = 83;
    s.startCaption = QStringLiteral("Duplicate");
    s.verb = QStringLiteral("copy");
    s.itemIcons = true;
    return s;
}

QLabel* label(const QString& text, QWidget* parent, int left, int top, int width)
{
    auto* l = new QLabel(text, parent);
    PlaceTw(l, left, top, width, 255);
    return l;
}

QPushButton* button(const QString& text, const char* name, QWidget* parent, int left, int top)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    PlaceTw(b, left, top, 1095, 330);
    return b;
}

void setTextColour(QLabel* l, const QColor& c)
{
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, c);
    l->setPalette(p);
}

const QColor kRed(0xff, 0, 0);
const QColor kBlack(0, 0, 0);

// The duplicator takes nothing from the command: it reads its source disc itself.
class DuplicatorHandOver final : public ToolWindow {
public:
    QWidget* Window() override { return g_frmAudioCDDuplicator.get(); }
};

}  // namespace

FrmAudioCDDuplicator::FrmAudioCDDuplicator() : BatchToolWindow(duplicatorSpec())
{
    setObjectName(QStringLiteral("g_frmAudioCDDuplicator"));

    // The task writes into its own folder in one format: no destination, format or templates.
    for (QWidget* w : std::initializer_list<QWidget*>{txtToPath, cmdSelectPath, lblSetAsDefaultDestination, imgOpenDestFolder,
                                                      lblOpenDestinationDestinationFolder, chkCreateSubFolder, txtUndeForlder,
                                                      cboTargetFormat, cmdEditTargetFormat, lblSetAsDefaultFormat, Label21,
                                                      txtJoinedFileName, lblParameters, Image1, Label4, Label5})
        if (w)
            w->hide();

    // Settings page: the source drive with its check, then the writer panel.
    lblSource = label(QStringLiteral("Source Audio CD:"), TabSettings, 240, 195, 2100);
    cboDevices = new QComboBox(TabSettings);
    cboDevices->setObjectName(QStringLiteral("cboDevices"));
    PlaceTw(cboDevices, 2400, 150, 3660, 330);
    cmdOpenCD = button(QStringLiteral("Open"), "cmdOpenCD", TabSettings, 6180, 150);
    cmdCloseCD = button(QStringLiteral("Close"), "cmdCloseCD", TabSettings, 7380, 150);
    lblCDStatus = label(QStringLiteral("Ready."), TabSettings, 2400, 555, 6075);
    lblCDStatus->setObjectName(QStringLiteral("lblCDStatus"));
    chkOnTheFly = new QCheckBox(QStringLiteral("On The Fly - Duplicate without using a temp folder"), TabSettings);
    chkOnTheFly->setObjectName(QStringLiteral("chkOnTheFly"));
    PlaceTw(chkOnTheFly, 240, 2070, 6000, 285);
    chkOnTheFly->hide();

    // Events page.
    chkOpenDestFolder->setText(QStringLiteral("Open the destination folder"));
    chkNoticeApp->setText(QStringLiteral("Execute external program "));
    chkTurnOffComputer->setText(QStringLiteral("Turn off computer"));
    chkPlaySound->setText(QStringLiteral("Play a sound"));
    chkOpenCDdrive = new QCheckBox(QStringLiteral("Eject the CD door"), TabEvents);
    chkOpenCDdrive->setObjectName(QStringLiteral("chkOpenCDdrive"));
    PlaceTw(chkOpenCDdrive, 4440, 1410, 3600, 285);
    chkOpenCDdrive->setChecked(true);  // as the layout stores it; not an option
    for (QCheckBox* c : {chkOpenCDdrive, chkOnTheFly}) {
        c->setPalette(chkPlaySound->palette());
        c->setAutoFillBackground(chkPlaySound->autoFillBackground());
    }

    lblTimeLeft = label(QStringLiteral("Time Left: 00:00:00"), this, 120, 5940, 2400);
    lblTimeLeft->setObjectName(QStringLiteral("lblTimeLeft"));
    lblTimeLeft->hide();
    lblFilesToConvert->setText(QStringLiteral("Files: 0/15"));
    // An ending or a writer's refusal is longer than the status's place: it then takes the whole
    // status line and, above it, the foot of the pages.
    auto* statusFit = new StatusLineFit(
        lblCurrentTrack, QRect(TwipsToPixels(120), TwipsToPixels(5400), TwipsToPixels(9360 - 240), TwipsToPixels(825)), StatusLineFit::Grow::Up);
    statusFit->Covers({lblFilesToConvert, lblTimeLeft});
    cmdConvert->setEnabled(false);

    // The duplicator's own start and abort.
    cmdConvert->disconnect(this);
    cmdAbort->disconnect(this);
    connect(cmdConvert, &QPushButton::clicked, this, [this] { cmdConvert_Click(); });
    connect(cmdAbort, &QPushButton::clicked, this, [this] { cmdAbort_Click(); });
    connect(cboDevices, &QComboBox::activated, this, [this] { cboDevices_Click(); });
    connect(cmdOpenCD, &QPushButton::clicked, this, [this] { cmdOpenCD_Click(); });
    connect(cmdCloseCD, &QPushButton::clicked, this, [this] { cmdCloseCD_Click(); });

    tmrState = new QTimer(this);
    tmrState->setInterval(3000);
    connect(tmrState, &QTimer::timeout, this, [this] { tmrState_Timer(); });

    g_ltmrItemSecsTotal = 0;
    txtToPath->setEditText(platform::programFolder() + QStringLiteral("/duptmp/"));
    UseComponents(CreateAudioCDRipper(), CreateAudioBurner());
    tmrState->start();
}

FrmAudioCDDuplicator::~FrmAudioCDDuplicator()
{
    // The task goes first: it listens to both components.
    Task.reset();
    if (cAudioCDRipper1)
        cAudioCDRipper1->Shutdown();
    if (cAudioBurner1)
        cAudioBurner1->Shutdown();
}

void FrmAudioCDDuplicator::UseComponents(std::unique_ptr<cAudioCDRipper> ripper, std::unique_ptr<cAudioBurner> burner)
{
    Task.reset();
    if (ripper) {
        if (cAudioCDRipper1)
            cAudioCDRipper1->Shutdown();
        cAudioCDRipper1 = std::move(ripper);
    }
    if (burner) {
        if (cAudioBurner1)
            cAudioBurner1->Shutdown();
        DrivePanel.reset();
        cAudioBurner1 = std::move(burner);
        DrivePanel = std::make_unique<BurnerDrivePanel>(*cAudioBurner1, TabSettings, 240, 960);
        placeWriterPanel();
    }
    Task = std::make_unique<DuplicationTask>(*cAudioCDRipper1, *cAudioBurner1, static_cast<DuplicationHost&>(*this));
    Task->TempFolder = txtToPath->currentText();
    FillBurnerDrives();
    cboDevices->clear();
    FillSourceDevices();
}

void FrmAudioCDDuplicator::placeWriterPanel()
{
    BurnerDrivePanel& p = *DrivePanel;
    cboDrv = p.cboDrv;
    cboSpeed = p.cboSpeed;
    cmdOpenDestCD = p.cmdOpenCD;
    cmdOpenDestCD->setObjectName(QStringLiteral("cmdOpenDestCD"));
    cmdClose = p.cmdClose;
    lblDiskSize = p.lblDiskSize;
    lblDiskCapacity = p.lblDiskCapacity;
    lblState = p.lblState;
    // Lined up under the source row.
    p.Label1->setText(QStringLiteral("Destination Audio CD:"));
    PlaceTw(p.Label1, 240, 1005, 2100, 255);
    PlaceTw(cboDrv, 2400, 960, 3660, 330);
    PlaceTw(cmdOpenDestCD, 6180, 960, 1095, 330);
    PlaceTw(cmdClose, 7380, 960, 1095, 330);
    PlaceTw(p.Label2, 240, 1395, 2100, 255);
    PlaceTw(cboSpeed, 2400, 1350, 2400, 330);
    PlaceTw(p.Label3, 240, 1800, 2100, 255);
    PlaceTw(lblDiskSize, 2400, 1800, 1500, 255);
    PlaceTw(p.Label4, 4200, 1800, 1500, 255);
    PlaceTw(lblDiskCapacity, 5760, 1800, 1900, 255);
    // The disc-state row is kept, hidden, with its text and colour still set.
    p.Label5->hide();
    lblState->hide();
}

// ---------------------------------------------------------------------------------------------
// Source

void FrmAudioCDDuplicator::FillSourceDevices()
{
    const long n = cAudioCDRipper1->DeviceCount();
    for (long i = 0; i < n; ++i)
        cboDevices->addItem(cAudioCDRipper1->DeviceName(i));
    if (cboDevices->count() == 0)
        return;
    cboDevices->setCurrentIndex(0);
    cboDevices_Click();
}

void FrmAudioCDDuplicator::setStatus(const QString& text, const QColor* colour)
{
    lblCDStatus->setText(text);
    if (colour)
        setTextColour(lblCDStatus, *colour);
}

void FrmAudioCDDuplicator::cboDevices_Click()
{
    const QString x = cboDevices->currentText().left(2);
    cGrid1->Clear();
    // The ripper's own check, so both windows name a drive's root alike.
    const RipperRules::DiscCheck check = RipperRules::CheckDisc(*cAudioCDRipper1, cboDevices->currentIndex(), x);
    if (check.color != 0) {
        cmdConvert->setEnabled(false);
        setStatus(check.text, &kRed);
    } else {
        setStatus(check.text, &kBlack);
        cmdConvert->setEnabled(true);
        const QPointer<FrmAudioCDDuplicator> self(this);
        LoadCDTracks(x);
        if (!self)
            return;
    }
    lblFilesToConvert->setText(lblCDStatus->text());
    SetOnTheFly();
}

void FrmAudioCDDuplicator::LoadCDTracks(const QString& sDrive)
{
    const QString insert = QStringLiteral("Insert an Audio CD to the CD drive.");
    const long idx = cboDevices->currentIndex();
    cGrid1->Clear();
    cGrid1->Redraw(false);
    bool gone = false;
    if (cAudioCDRipper1->SelectDevice(idx)) {
        if (cAudioCDRipper1->IsAudioCD()) {
            const long n = cAudioCDRipper1->TrackCount();
            const long nameCol = cGrid1->ColumnIndex(ItemRow::COL_ITEM_NAME);
            const long fileCol = cGrid1->ColumnIndex(COL_FILE);
            for (long i = 1; i <= n; ++i) {
                // A disc taken out (or changed) meanwhile no longer has this track.
                if (i > cAudioCDRipper1->TrackCount()) {
                    gone = true;
                    break;
                }
                const QString name = QStringLiteral("Track") + QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0')) + QStringLiteral(".cda");
                cGrid1->Cell(i, nameCol).Text(name);
                cGrid1->Cell(i, fileCol).Text(sDrive + QLatin1Char('/') + name);
            }
        } else {
            cGrid1->Clear();
            lblCDStatus->setText(insert);
        }
    }
    cGrid1->Redraw(true);
    if (gone) {
        unsetCursor();
        lblCDStatus->setText(insert);
        // The check stays off while the box is open, so a second box never comes up behind it.
        const bool polling = tmrState->isActive();
        tmrState->stop();
        const QPointer<FrmAudioCDDuplicator> self(this);
        platform::MsgBox(QStringLiteral("There is no CD in the drive."), platform::vbInformation, QString(), this);
        if (self && polling && !TaskRunning())
            tmrState->start();
        return;
    }
    if (cGrid1->Rows() == 0)
        lblCDStatus->setText(insert);
    else
        cGrid1->CurrentRow(1);
}

void FrmAudioCDDuplicator::tmrState_Timer() { cboDevices_Click(); }

void FrmAudioCDDuplicator::cmdOpenCD_Click() { cAudioCDRipper1->OpenTray(); }

void FrmAudioCDDuplicator::cmdCloseCD_Click() { cAudioCDRipper1->CloseTray(); }

// ---------------------------------------------------------------------------------------------
// Writer

void FrmAudioCDDuplicator::FillBurnerDrives()
{
    cboDrv->clear();
    const long n = cAudioBurner1->DriveCount();
    for (long i = 1; i <= n; ++i)
        cboDrv->addItem(cAudioBurner1->DriveName(i));
    if (cboDrv->count() == 0)
        return;
    cboDrv->setCurrentIndex(0);
    cboDrv_Click();
}

void FrmAudioCDDuplicator::cboDrv_Click()
{
    SetOnTheFly();
    DrivePanel->cboDrv_Click();
}

void FrmAudioCDDuplicator::cmdOpenDestCD_Click() { DrivePanel->cmdOpenCD_Click(); }

void FrmAudioCDDuplicator::cmdClose_Click() { DrivePanel->cmdClose_Click(); }

// ---------------------------------------------------------------------------------------------
// Task

bool FrmAudioCDDuplicator::DoOnFly() const { return chkOnTheFly->isEnabled() && chkOnTheFly->isChecked(); }

void FrmAudioCDDuplicator::SetDuplicatorControlsEnabled(bool enabled)
{
    for (QWidget* w : std::initializer_list<QWidget*>{cmdExit, cmdConvert, cboDevices, cmdOpenCD, cmdCloseCD, cboDrv, cboSpeed,
                                                      cmdOpenDestCD, cmdClose})
        if (w)
            w->setEnabled(enabled);
}

void FrmAudioCDDuplicator::cmdConvert_Click()
{
    if (TaskRunning() || !cmdConvert->isEnabled())
        return;
    // One empty line between runs; the temporary folder is no destination for the path history.
    if (!txtLog->toPlainText().isEmpty()) {
        QTextCursor cursor(txtLog->document());
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(QStringLiteral("\r\n"));
    }
    QStringList sources;
    const long fileCol = cGrid1->ColumnIndex(COL_FILE);
    for (long r = 1; r <= cGrid1->Rows(); ++r)
        sources << cGrid1->Cell(r, fileCol).Text();
    Task->TempFolder = txtToPath->currentText();
    Task->OnTheFly = DoOnFly();
    tmrState->stop();
    Task->Start(sources, cboDevices->currentIndex());
}

void FrmAudioCDDuplicator::cmdAbort_Click()
{
    if (!TaskRunning())
        return;
    const int answer = platform::MsgBox(QStringLiteral("Abort operation?") + QString(38, u' '),
                                        platform::vbInformation | platform::vbYesNo, QString(), this);
    // The task may have ended while the question was open.
    if (answer != platform::vbYes || !TaskRunning())
        return;
    Task->Abort();
}

void FrmAudioCDDuplicator::DoEndEvents()
{
    const QPointer<FrmAudioCDDuplicator> self(this);
    if (chkPlaySound->isChecked())
        platform::endSound().play(ProgramOptions.txtPlayAtEnd);
    if (chkNoticeApp->isChecked())
        RunNoticeApp();
    if (!self)
        return;
    if (chkOpenCDdrive->isChecked())
        cAudioCDRipper1->OpenTray();
    if (m_offerTurnOff && chkTurnOffComputer->isChecked())
        ShowTurnOffDialog(30);
}

void FrmAudioCDDuplicator::AbortComponent()
{
    if (Task)
        Task->Abort();
}

void FrmAudioCDDuplicator::Form_Unload(bool& Cancel)
{
    if (TaskRunning()) {
        Cancel = true;
        return;
    }
    ShutdownComponent();
}

void FrmAudioCDDuplicator::ShutdownComponent()
{
    tmrState->stop();
    if (cAudioCDRipper1)
        cAudioCDRipper1->Shutdown();
    if (cAudioBurner1) {
        cAudioBurner1->ClearTracks();
        cAudioBurner1->Shutdown();
    }
    DuplicationTask::EraseTempFiles(txtToPath->currentText());
}

void FrmAudioCDDuplicator::closeEvent(QCloseEvent* event)
{
    bool cancel = false;
    Form_Unload(cancel);
    if (cancel) {
        event->ignore();
        return;
    }
    event->accept();
    UnloadSelf();
}

void FrmAudioCDDuplicator::UnloadSelf() { g_frmAudioCDDuplicator.unload(); }

// ---------------------------------------------------------------------------------------------
// What the task shows

void FrmAudioCDDuplicator::Log(const QString& line) { AddLogLine(line, txtLog); }
void FrmAudioCDDuplicator::Status(const QString& text) { lblCurrentTrack->setText(text); }
void FrmAudioCDDuplicator::Caption(const QString& text) { setWindowTitle(text); }
void FrmAudioCDDuplicator::FilesCounter(const QString& text) { lblFilesToConvert->setText(text); }
void FrmAudioCDDuplicator::ShowLog() { ShowLogTab(); }
void FrmAudioCDDuplicator::CurrentProgress(long value) { prgCurrnet->Value(value); }
void FrmAudioCDDuplicator::TotalMaximum(long max) { prgTotal->Max(max); }
void FrmAudioCDDuplicator::TotalProgress(long value) { prgTotal->Value(value); }
void FrmAudioCDDuplicator::CurrentRow(long row) { cGrid1->CurrentRow(row); }

void FrmAudioCDDuplicator::Busy(bool hourglass)
{
    if (hourglass)
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
}

void FrmAudioCDDuplicator::ControlsEnabled(bool enabled) { SetDuplicatorControlsEnabled(enabled); }

void FrmAudioCDDuplicator::SourceChecks(bool on)
{
    if (on)
        tmrState->start();
    else
        tmrState->stop();
}

QStringList FrmAudioCDDuplicator::RowTags(long row)
{
    QStringList cells;
    for (const QString& key : {COL_TAG_ALBUM, COL_TAG_ARTIST, COL_TAG_COMMENT, COL_TAG_GEN, COL_TAG_TITLE, COL_TAG_TRACK, COL_TAG_YEAR})
        cells << cGrid1->Cell(row, cGrid1->ColumnIndex(key)).Text();
    return cells;
}

void FrmAudioCDDuplicator::ShowRippedFiles(const QStringList& paths)
{
    cGrid1->Clear();
    cGrid1->Redraw(false);
    const long nameCol = cGrid1->ColumnIndex(ItemRow::COL_ITEM_NAME);
    const long fileCol = cGrid1->ColumnIndex(COL_FILE);
    long row = 0;
    for (const QString& path : paths) {
        ++row;
        cGrid1->Cell(row, nameCol).Text(GetFileName(path));
        cGrid1->Cell(row, fileCol).Text(path);
    }
    cGrid1->Redraw(true);
}

bool FrmAudioCDDuplicator::StopBeforeBurn() { return chkOnTheFly->isChecked(); }

QString FrmAudioCDDuplicator::WriterLetter() { return DrivePanel->DriveLetter(); }

long FrmAudioCDDuplicator::WriterSpeed()
{
    const long speed = DrivePanel->SelectedSpeed();
    return speed < 0 ? BurnerDrivePanel::kMaxSpeed : speed;
}

void FrmAudioCDDuplicator::OpenWriterTray() { cmdOpenDestCD_Click(); }

bool FrmAudioCDDuplicator::PromptForDisc(const QString& text)
{
    return platform::MsgBox(text, platform::vbOKCancel | platform::vbInformation, QString(), this) == platform::vbOK;
}

void FrmAudioCDDuplicator::NothingToBurn()
{
    platform::MsgBox(QStringLiteral("Nothing to burn."), platform::vbInformation, QString(), this);
}

void FrmAudioCDDuplicator::EndEvents(bool offerTurnOff)
{
    m_offerTurnOff = offerTurnOff;
    DoEndEvents();
}

void FrmAudioCDDuplicator::Balloon(const QString& text) { ShowBalloon(text); }

void FrmAudioCDDuplicator::Succeeded()
{
    const QPointer<FrmAudioCDDuplicator> self(this);
    platform::MsgBox(QStringLiteral("Done.") + QString(19, u' '), platform::vbInformation, QString(), this);
    if (self)
        close();
}

ToolWindow& AudioCDDuplicatorHandOver()
{
    static DuplicatorHandOver handOver;
    return handOver;
}

void RegisterAudioCDDuplicatorWindow()
{
    ToolWindows::Register(QStringLiteral("Audio CD Duplicator"), [] {
        g_frmAudioCDDuplicator.get();
        return &AudioCDDuplicatorHandOver();
    });
}
