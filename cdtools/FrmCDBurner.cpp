// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "cdtools/FrmCDBurner.h"

#include "batchtools/cProgressBar.h"
#include "cdtools/BurnerDrivePanel.h"
#include "cdtools/StatusLineFit.h"
#include "commands/Templates.h"
#include "commands/ToolWindows.h"
#include "components/cAudioBurner.h"
#include "components/cGrid.h"
#include "foundation/AppSettings.h"
#include "foundation/mdlFunctions.h"
#include "foundation/mdlModes.h"
#include "foundation/mdlShutDown.h"
#include "itemsgrid/ItemRow.h"
#include "mainwindow/cStatusBar.h"
#include "platform/EndSound.h"
#include "platform/MessageBox.h"
#include "settings/ProgramOptions.h"
#include "settings/controls/ColorSwatch.h"
#include "settings/controls/LinkLabel.h"
#include "settings/controls/TwipsGeometry.h"
#include "settings/controls/cTabControl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>

namespace {

BatchToolSpec burnerSpec()
{
    BatchToolSpec s;
    s.caption = QStringLiteral("Audio CD Burner");
    s.iconResource = QStringLiteral("cd_music");
    s.tab1Caption = QStringLiteral("Burner Options") + QString(3, u' ');
    s.tab1Icon = 73;
    s.startCaption = QStringLiteral("Burn");
    s.verb = QStringLiteral("burn");
    s.itemIcons = true;  // the rows come from the items grid with their type icons
    return s;
}

QLabel* label(const QString& text, QWidget* parent, int left, int top, int width)
{
    auto* l = new QLabel(text, parent);
    PlaceTw(l, left, top, width, 255);
    return l;
}

// What the command writes into the window: the template's members and the disc-fill gauge.
class BurnerHandOver final : public ToolWindow {
public:
    QWidget* Window() override { return g_frmCDBurner.get(); }
    void lblFilesToConvert(const QString& caption) override { g_frmCDBurner->HandOver().lblFilesToConvert(caption); }
    void StatusPanelText(const QString& key, const QString& text) override
    {
        g_frmCDBurner->HandOver().StatusPanelText(key, text);
    }
    cGrid* Grid() override { return g_frmCDBurner->cGrid1; }
    void prgSize(long value, long max) override
    {
        g_frmCDBurner->prgSize->Max(max);
        g_frmCDBurner->prgSize->Value(value);
    }
    void lblDataSize(const QString& caption) override
    {
        QLabel* l = g_frmCDBurner->lblDataSize;
        l->setText(caption);
        // The over-long warning is the only text the command sets that is not "Data Size: ...".
        const bool warning = !caption.startsWith(QStringLiteral("Data Size: "));
        QFont f = l->font();
        f.setBold(warning);
        l->setFont(f);
        if (warning)
            g_frmCDBurner->prgSize->BarColor(255);
    }
};

}  // namespace

FrmCDBurner::FrmCDBurner() : BatchToolWindow(burnerSpec())
{
    setObjectName(QStringLiteral("g_frmCDBurner"));

    // The output is the disc: no destination, format, sub-folder or name template.
    for (QWidget* w : std::initializer_list<QWidget*>{txtToPath, cmdSelectPath, lblSetAsDefaultDestination, imgOpenDestFolder,
                                                      chkCreateSubFolder, txtUndeForlder, cboTargetFormat, cmdEditTargetFormat,
                                                      lblSetAsDefaultFormat, Label21, txtJoinedFileName, lblParameters,
                                                      Image1, Label4, Label5})
        if (w)
            w->hide();

    // Settings page: the drive panel, the disc-fill gauge and the link to the disc.
    prgSize = new cProgressBar(TabSettings);
    prgSize->setObjectName(QStringLiteral("prgSize"));
    prgSize->BarColor(ProgramOptions.picColor);
    PlaceTw(prgSize, 240, 1470, 6360, 180);
    Label11 = label(QStringLiteral("0 MIN"), TabSettings, 240, 1680, 900);
    Label10 = label(QStringLiteral("80 MIN"), TabSettings, 5700, 1680, 900);
    Label10->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblDataSize = label(QStringLiteral("Data Size:"), TabSettings, 240, 1935, 8400);
    lblDataSize->setObjectName(QStringLiteral("lblDataSize"));
    lblOpenDestinationDestinationFolder->setText(QStringLiteral("Browse with explorer"));
    lblOpenDestinationDestinationFolder->setToolTip(QStringLiteral("Browse with the explorer."));
    PlaceTw(lblOpenDestinationDestinationFolder, 6780, 165, 1900, 255);
    lblOpenDestinationDestinationFolder->disconnect(this);
    connect(lblOpenDestinationDestinationFolder, &LinkLabel::Click, this, [this] { lblOpenDestinationDestinationFolder_Click(); });

    // Events page.
    chkOpenDestFolder->setText(QStringLiteral("Open the destination folder"));
    chkNoticeApp->setText(QStringLiteral("Execute external program "));
    chkTurnOffComputer->setText(QStringLiteral("Turn off computer"));
    chkPlaySound->setText(QStringLiteral("Play a sound"));
    chkOpenCDdrive = new QCheckBox(QStringLiteral("Open the CD drive"), TabEvents);
    chkOpenCDdrive->setObjectName(QStringLiteral("chkOpenCDdrive"));
    PlaceTw(chkOpenCDdrive, 4440, 1410, 3600, 285);
    chkOpenCDdrive->setPalette(chkPlaySound->palette());
    chkOpenCDdrive->setAutoFillBackground(chkPlaySound->autoFillBackground());

    // The burner's own start and abort; Exit is never disabled here.
    cmdConvert->disconnect(this);
    cmdAbort->disconnect(this);
    connect(cmdConvert, &QPushButton::clicked, this, [this] { cmdConvert_Click(); });
    connect(cmdAbort, &QPushButton::clicked, this, [this] { cmdAbort_Click(); });

    // A refusal naming the drive and its file is longer than the status's place.
    // It then takes the whole status line and, above it, the foot of the pages.
    auto* statusFit = new StatusLineFit(
        lblCurrentTrack, QRect(TwipsToPixels(120), TwipsToPixels(5400), TwipsToPixels(9360 - 240), TwipsToPixels(825)), StatusLineFit::Grow::Up);
    statusFit->Covers({lblFilesToConvert});

    UseBurnerComponent(CreateAudioBurner());
    chkOpenCDdrive->setChecked(GetSetting(g_sAppName, QStringLiteral("General"), QStringLiteral("chkOpenCDdrive"), QStringLiteral("0"))
                                   .toInt() == 1);
}

FrmCDBurner::~FrmCDBurner()
{
    if (cAudioBurner1)
        cAudioBurner1->Shutdown();
}

void FrmCDBurner::UseBurnerComponent(std::unique_ptr<cAudioBurner> component)
{
    if (cAudioBurner1)
        cAudioBurner1->Shutdown();
    DrivePanel.reset();
    cAudioBurner1 = std::move(component);
    if (!cAudioBurner1)
        return;
    cAudioBurner* c = cAudioBurner1.get();
    connect(c, &cAudioBurner::Progress, this, [this](int p, int t) { cAudioBurner1_Progress(p, t); });
    connect(c, &cAudioBurner::StepProgress, this, [this](int p, int) { cAudioBurner1_StepProgress(p); });
    connect(c, &cAudioBurner::ClosingSession, this, [this] { cAudioBurner1_ClosingSession(); });
    connect(c, &cAudioBurner::ClosingTrack, this, [this](int) { cAudioBurner1_ClosingTrack(); });
    connect(c, &cAudioBurner::CachingTrack, this, [this] { cAudioBurner1_CachingTrack(); });
    connect(c, &cAudioBurner::WritingTrack, this, [this] { cAudioBurner1_WritingTrack(); });
    connect(c, &cAudioBurner::Finished, this, [this] { cAudioBurner1_Finished(); });
    connect(c, &cAudioBurner::Error, this, [this](long code, const QString& text) { cAudioBurner1_Error(code, text); });
    DrivePanel = std::make_unique<BurnerDrivePanel>(*c, TabSettings, 240, 120);
    // The state runs to the page's right edge; a longer one takes the lines below it down to the
    // page's foot, the gauge hidden meanwhile (no disc can be burned to that drive anyway).
    PlaceTw(DrivePanel->lblState, 1500, 1200, 7260, 255);
    DrivePanel->StateFit = new StatusLineFit(DrivePanel->lblState,
                                             QRect(TwipsToPixels(1500), TwipsToPixels(1200), TwipsToPixels(7260), TwipsToPixels(9360)),
                                             StatusLineFit::Grow::Down);
    DrivePanel->StateFit->Covers({prgSize, Label10, Label11, lblDataSize});
    // What the last burn said was about the drive it went to, not the one chosen now.
    connect(DrivePanel->cboDrv, &QComboBox::activated, this, [this] {
        if (cmdConvert->isEnabled())
            lblCurrentTrack->setText(QStringLiteral("Ready."));
    });
    DrivePanel->FillBurnerDrives();
}

void FrmCDBurner::cmdConvert_Click()
{
    if (!cmdConvert->isEnabled())
        return;
    // 1. One empty line between burns.
    if (!txtLog->toPlainText().isEmpty()) {
        QTextCursor cursor(txtLog->document());
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(QStringLiteral("\r\n"));
    }
    // 2 to 5.
    Log(QStringLiteral("Preparing to burn: ") + QString::number(cGrid1->Rows()) + QStringLiteral(" tracks."));
    m_bJobError = 0;
    m_lLastTrack = 0;
    cTabControl1->SelectTab(QStringLiteral("Log"));
    cTabControl1_TabClick(cTabControl1->TabIndex(QStringLiteral("Log")));
    Log(QStringLiteral("List the files to burn..."));
    // 6. Refused files are only logged.
    const long fileCol = cGrid1->ColumnIndex(COL_FILE);
    for (long r = 1; r <= cGrid1->Rows(); ++r) {
        const QString path = cGrid1->Cell(r, fileCol).Text();
        if (!cAudioBurner1->AddTrack(path))
            Log(QStringLiteral("Cannot add ") + GetFileName(path));
    }
    // 7.
    BurnDisk();
}

void FrmCDBurner::BurnDisk()
{
    if (cAudioBurner1->TrackCount() < 1) {
        cmdConvert->setEnabled(true);
        platform::MsgBox(QStringLiteral("Nothing to burn."), platform::vbInformation | platform::vbOKOnly, QString(), this);
        return;
    }
    prgTotal->Max(cAudioBurner1->TrackCount());
    // With no writer or no speed entry the burn is still asked for, at the highest speed: the
    // component answers with an Error, which gives the button back.
    QString letter = DrivePanel->DriveLetter();
    long speed = DrivePanel->SelectedSpeed();
    if (speed < 0)
        speed = BurnerDrivePanel::kMaxSpeed;
    cAudioBurner1->BurnMode(true);
    cmdConvert->setEnabled(false);
    const QPointer<FrmCDBurner> self(this);
    cAudioBurner1->Burn(letter, speed);
    if (self)
        cAudioBurner1->ClearTracks();
}

void FrmCDBurner::cAudioBurner1_Progress(int percent, int track)
{
    prgCurrnet->Value(percent);
    prgTotal->Value(track);
    if (track != m_lLastTrack) {
        // The label names the track being written now.
        lblFilesToConvert->setText(QStringLiteral("Files: ") + QString::number(track) + QLatin1Char('/') +
                                   QString::number(cGrid1->Rows()));
        m_lLastTrack = track;
    }
}

// The component's events are queued, so the window paints and answers clicks (Abort included)
// between any two of them without pumping messages here.
void FrmCDBurner::cAudioBurner1_StepProgress(int percent) { prgCurrnet->Value(percent); }

void FrmCDBurner::stageEvent(const QString& text)
{
    Log(text);
    lblCurrentTrack->setText(text);
}

void FrmCDBurner::cAudioBurner1_ClosingSession() { stageEvent(QStringLiteral("Closing session...")); }
void FrmCDBurner::cAudioBurner1_ClosingTrack() { stageEvent(QStringLiteral("Closing track...")); }
void FrmCDBurner::cAudioBurner1_CachingTrack() { stageEvent(QStringLiteral("Caching track...")); }
void FrmCDBurner::cAudioBurner1_WritingTrack() { stageEvent(QStringLiteral("Writing track...")); }

void FrmCDBurner::cAudioBurner1_Finished()
{
    prgTotal->Value(prgTotal->Max());
    Log(QStringLiteral("Finished."));
    lblCurrentTrack->setText(QStringLiteral("Finished."));
    cmdConvert->setEnabled(true);
    DoEndEvents();
}

void FrmCDBurner::cAudioBurner1_Error(long code, const QString& text)
{
    m_bJobError = -1;
    const QString message = QStringLiteral("Error:") + text + QLatin1Char('(') + QString::number(code) + QLatin1Char(')');
    Log(message);
    lblCurrentTrack->setText(message);
    cmdConvert->setEnabled(true);
}

void FrmCDBurner::cmdAbort_Click()
{
    if (cmdConvert->isEnabled())
        return;
    const int answer = platform::MsgBox(QStringLiteral("Abort operation?") + QString(38, u' '),
                                        platform::vbInformation | platform::vbYesNo, QString(), this);
    if (answer != platform::vbYes || cmdConvert->isEnabled())
        return;
    cAudioBurner1->Abort();
    cmdConvert->setEnabled(true);
    ShowBalloon(QStringLiteral("Aborted."));
}

void FrmCDBurner::lblOpenDestinationDestinationFolder_Click()
{
    // The drive root ("E:\") is shown as what it holds here: the disc's mount point or an image
    // drive's folder; a drive with neither opens nothing.
    const QString folder = cAudioBurner1->DriveRootFolder(DrivePanel->DriveLetter());
    if (!folder.isEmpty())
        ShellOpen(this, folder);
}

void FrmCDBurner::DoEndEvents()
{
    const QPointer<FrmCDBurner> self(this);
    if (chkPlaySound->isChecked())
        platform::endSound().play(ProgramOptions.txtPlayAtEnd);
    if (chkOpenDestFolder->isChecked())
        lblOpenDestinationDestinationFolder_Click();
    if (chkNoticeApp->isChecked())
        RunNoticeApp();
    if (!self)
        return;
    if (chkOpenCDdrive->isChecked())
        DrivePanel->cmdOpenCD_Click();
    if (m_bJobError == 0 && chkTurnOffComputer->isChecked())
        ShowTurnOffDialog(30);
}

void FrmCDBurner::AbortComponent() { cAudioBurner1->Abort(); }

void FrmCDBurner::ShutdownComponent()
{
    if (!cAudioBurner1)
        return;
    cAudioBurner1->ClearTracks();
    cAudioBurner1->Shutdown();
    SaveSetting(g_sAppName, QStringLiteral("General"), QStringLiteral("chkOpenCDdrive"),
                chkOpenCDdrive->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
}

void FrmCDBurner::UnloadSelf() { g_frmCDBurner.unload(); }

ToolWindow& CDBurnerHandOver()
{
    static BurnerHandOver handOver;
    return handOver;
}

void RegisterCDBurnerWindow()
{
    ToolWindows::Register(QStringLiteral("Audio CD Maker"), [] {
        g_frmCDBurner.get();
        return &CDBurnerHandOver();
    });
}
