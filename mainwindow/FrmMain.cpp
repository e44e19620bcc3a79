// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "mainwindow/FrmMain.h"

#include "commands/PreviewStrip.h"
#include "commands/ToolWindows.h"
#include "components/cAudioCDRipper.h"
#include "components/cAudioConverter.h"
#include "components/cAudioGraph.h"
#include "components/cFreeDB.h"
#include "components/cPlayer.h"
#include "components/cSlider.h"
#include "components/cGrid.h"
#include "foundation/FrmAbout.h"
#include "foundation/FrmNotes.h"
#include "foundation/RegistryRoutines.h"
#include "foundation/Twips.h"
#include "foundation/mdlFunctions.h"
#include "foundation/mdlMain.h"
#include "foundation/mdlModes.h"
#include "foundation/mdlWindowUtils.h"
#include "itemsgrid/FrmStat.h"
#include "itemsgrid/GridColumns.h"
#include "itemsgrid/GridRows.h"
#include "itemsgrid/ItemRow.h"
#include "itemsgrid/ItemInfo.h"
#include "mainwindow/FrmDirProperties.h"
#include "mainwindow/ItemsListLoader.h"
#include "mainwindow/ItemsListTree.h"
#include "mainwindow/MainMenus.h"
#include "mainwindow/MainWindowRules.h"
#include "mainwindow/MenuIcons.h"
#include "mainwindow/cPopupMenu.h"
#include "mainwindow/cStatusBar.h"
#include "mainwindow/cSysTray.h"
#include "mainwindow/cToolbar.h"
#include "platform/Desktop.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "platform/RegistryHive.h"
#include "platform/Shell.h"
#include "settings/FrmOptions.h"
#include "settings/ProgramOptions.h"
#include "settings/controls/cTreeView.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QScreen>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <QWindow>
#include <QWindowStateChangeEvent>

#include <utility>

namespace {

QString programFile(const QString& name) { return QDir(platform::programFolder()).filePath(name); }

void setBackColor(QWidget* w, const QColor& color)
{
    if (!w)
        return;
    QPalette p = w->palette();
    p.setColor(QPalette::Window, color);
    p.setColor(QPalette::Button, color);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

QFrame* makeFrame(QWidget* parent, const char* name)
{
    auto* f = new QFrame(parent);
    f->setObjectName(QLatin1String(name));
    return f;
}

// A toolbar inside its host, which keeps the toolbar at its left edge.
void attach(QFrame* host, cToolbar* toolbar)
{
    auto* layout = new QHBoxLayout(host);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->setSpacing(0);
    layout->addWidget(toolbar, 0, Qt::AlignVCenter);
    layout->addStretch(1);
}

// What the tree of lists needs of this window.
class MainListHost final : public ItemsListHost {
public:
    explicit MainListHost(FrmMain& f) : m_f(f) {}
    bool PreviewIsPlaying() override { return m_f.cPlayer1 && m_f.cPlayer1->IsPlaying(); }
    void StopPreview() override { m_f.StopPreview(); }
    // The player's own stop at the start of every command. Its end event resets the strip and,
    // as the playback did not reach its end, starts no other row behind the tool window.
    void StopPlayer() override
    {
        if (m_f.cPlayer1 && m_f.cPlayer1->IsPlaying())
            m_f.cPlayer1->Stop();
    }
    void LoadItemToPlayer() override
    {
        if (m_f.m_strip)
            m_f.m_strip->LoadItemToPlayer();
    }
    void SetRowUnBold() override { m_f.SetRowUnBold(); }
    void SetCDPolling(bool on) override
    {
        if (on)
            m_f.tmrCDs->start();
        else
            m_f.tmrCDs->stop();
    }
    void ListCDTracks(const QString& sDrive) override { m_f.GetCDTracksToGrid(sDrive); }
    long CDDriveCount() override { return m_f.cAudioCDRipper1 ? m_f.cAudioCDRipper1->DeviceCount() : 0; }
    QString CDDriveName(long index) override { return m_f.cAudioCDRipper1 ? m_f.cAudioCDRipper1->DeviceName(index) : QString(); }
    void RefreshItemInfo() override { m_f.GetFileInfoToGridInfo(); }
    void SetStatusPanelText(const QString& sKey, const QString& sText) override { m_f.cStatusBar1->StatusPanelText(sKey, sText); }
    QString TotalSize(cGrid&) override { return m_f.GetTotalSize(false); }
    long TotalSeconds(cGrid&) override { return static_cast<long>(GridRows::TotalSeconds(*m_f.cGrid1, false)); }

private:
    FrmMain& m_f;
};

class QtStripTimer final : public StripTimer {
public:
    explicit QtStripTimer(QTimer* timer) : m_timer(timer) {}
    void Start() override { m_timer->start(); }
    void Stop() override { m_timer->stop(); }
    bool IsOn() const override { return m_timer->isActive(); }

private:
    QTimer* m_timer;
};

// What the preview strip needs of this window.
class MainStripHost final : public PreviewStripHost {
public:
    explicit MainStripHost(FrmMain& f) : m_f(f) {}
    long Rows() override { return m_f.cGrid1->Rows(); }
    long SelectedRow() override { return m_f.cGrid1->CurrentRow(); }
    void SelectRow(long row) override { m_f.cGrid1->CurrentRow(row); }
    QString RowFile(long row) override
    {
        const long col = m_f.cGrid1->ColumnIndex(COL_FILE);
        return row >= 1 && row <= m_f.cGrid1->Rows() && col > 0 ? m_f.cGrid1->Cell(row, col).Text() : QString();
    }
    bool RowMarked(long row) override { return ItemRow::IsMarked(*m_f.cGrid1, row); }
    void SetRowBold(long row, bool bold) override { m_f.SetRowBold(row, bold); }
    void SetRowUnBold() override { m_f.SetRowUnBold(); }
    QTreeWidgetItem* SelectedNode() override { return m_f.cTreeView1->SelectedNode(); }
    void SetNodePlaying(QTreeWidgetItem* node, bool playing) override
    {
        // A list removed while it played has taken its node with it.
        if (m_f.m_lists->HasNode(node))
            m_f.cTreeView1->NodePlaying(node, playing);
    }
    void SetTreeDisplayFlag() override { m_f.cTreeView1->DisplayPlaying(true); }
    void ClickSelectedNode() override { m_f.cTreeView1_NodeClick(m_f.cTreeView1->SelectedNode()); }
    void SetStatus(const QString& text, long icon) override
    {
        m_f.cStatusBar1->StatusPanelText(QStringLiteral("Main"), text);
        m_f.cStatusBar1->StatusPanelIcon(QStringLiteral("Main"), icon);
    }
    void SetTotalLengthText(const QString& text) override { m_f.lbTotalLengthSec->setText(text); }
    void SetPositionText(const QString& text) override { m_f.lblCurrentPositionSec->setText(text); }
    long SliderValue() override { return m_f.cSlider1->Value(); }
    void SetSliderValue(long value) override { m_f.cSlider1->Value(value); }
    void SetSliderMax(long value) override { m_f.cSlider1->Max(value); }
    QString ButtonKey(long index) override { return m_f.tlbrPlayButtons->ButtonKey(index); }
    bool ButtonPressed(const QString& key) override { return m_f.tlbrPlayButtons->ButtonPressed(key); }
    void SetButtonPressed(const QString& key, bool pressed) override { m_f.tlbrPlayButtons->ButtonPressed(key, pressed); }
    void SetButtonEnabled(const QString& key, bool enabled) override { m_f.tlbrPlayButtons->ButtonEnabled(key, enabled); }
    void GraphAudioData(bool amplitude, long handle) override { graph(amplitude)->AudioData(handle); }
    void GraphRedraw(bool amplitude) override { graph(amplitude)->Redraw(); }
    void GraphClear(bool amplitude) override { graph(amplitude)->Clear(); }

private:
    cAudioGraph* graph(bool amplitude) const { return amplitude ? m_f.cAudioGraphAmp : m_f.cAudioGraphFreq; }
    FrmMain& m_f;
};

}  // namespace

FrmMain::FrmMain()
{
    setObjectName(QStringLiteral("frmMain"));
    m_layout = InitialMainLayout();
    buildControls();
    Form_Load();
}

FrmMain::~FrmMain() { Form_Terminate(); }

// ---------------------------------------------------------------------------------------------
// Controls, as the window's design creates them

void FrmMain::buildControls()
{
    FillMenuImages(imgMenu);
    FillGridImages(imgGrid);
    FillPlayerImages(imgPlayer);
    FillGeneralImages(imgGeneral);

    picMain = new QWidget(this);
    picMain->setObjectName(QStringLiteral("picMain"));
    setCentralWidget(picMain);

    picTitle = makeFrame(picMain, "picTitle");
    lblTitle = new QLabel(picTitle);
    QFont titleFont = lblTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.15);
    lblTitle->setFont(titleFont);
    auto* titleLayout = new QHBoxLayout(picTitle);
    titleLayout->setContentsMargins(10, 0, 10, 0);
    titleLayout->addWidget(lblTitle);
    picTitle->setAutoFillBackground(true);

    cToolbarHost1 = makeFrame(picMain, "cToolbarHost1");
    tlbrTop = new cToolbar(cToolbarHost1);
    picToolBarJPGPicHolder = new QLabel(cToolbarHost1);
    picToolBarJPGPicHolder->hide();

    picTitleProject = makeFrame(picMain, "picTitleProject");
    lblProjects = new QLabel(QStringLiteral("Items Lists"), picTitleProject);
    cTreeView1 = new cTreeView(picMain);
    froTreeControl = makeFrame(picMain, "froTreeControl");
    tlbrProjectsHost = makeFrame(froTreeControl, "tlbrProjectsHost");
    tlbrProjects = new cToolbar(tlbrProjectsHost);
    picResizer = makeFrame(picMain, "picResizer");
    picResizer->setCursor(Qt::SplitHCursor);

    picTitleList = makeFrame(picMain, "picTitleList");
    lblListName = new QLabel(picTitleList);
    QFont listFont = lblListName->font();
    listFont.setBold(true);
    lblListName->setFont(listFont);
    auto* listTitleLayout = new QHBoxLayout(picTitleList);
    listTitleLayout->setContentsMargins(6, 0, 6, 0);
    listTitleLayout->addWidget(lblListName);
    lblListName->installEventFilter(this);

    cGrid1 = new cGrid(picMain);
    cGrid1->setObjectName(QStringLiteral("cGrid1"));
    picEmptyMsg = makeFrame(picMain, "picEmptyMsg");
    lblEmptylist = new QLabel(QStringLiteral("The items list is empty."), picEmptyMsg);
    lblAddorDrag = new QLabel(QStringLiteral("Add files, or drag them here from a file manager."), picEmptyMsg);
    {
        auto* l = new QVBoxLayout(picEmptyMsg);
        l->setContentsMargins(4, 2, 4, 2);
        QFont f = lblEmptylist->font();
        f.setBold(true);
        lblEmptylist->setFont(f);
        lblEmptylist->setAlignment(Qt::AlignCenter);
        lblAddorDrag->setAlignment(Qt::AlignCenter);
        QPalette p = lblAddorDrag->palette();
        p.setColor(QPalette::WindowText, QColor(96, 104, 116));
        lblAddorDrag->setPalette(p);
        l->addWidget(lblEmptylist);
        l->addWidget(lblAddorDrag);
    }
    picEmptyMsg->hide();
    picEmptyMsg->installEventFilter(this);

    cGridInfo = new cGrid(picMain);
    cGridInfo->setObjectName(QStringLiteral("cGridInfo"));

    picPlayer = makeFrame(picMain, "picPlayer");
    picPlayer->setFrameShape(QFrame::StyledPanel);
    cAudioGraphAmp = new cAudioGraph(cAudioGraph::Amplitude, picPlayer);
    cAudioGraphAmp->setObjectName(QStringLiteral("cAudioGraphAmp"));
    cAudioGraphFreq = new cAudioGraph(cAudioGraph::Frequency, picPlayer);
    cAudioGraphFreq->setObjectName(QStringLiteral("cAudioGraphFreq"));
    cSlider1 = new cSlider(picPlayer);
    cSlider1->setObjectName(QStringLiteral("cSlider1"));
    picPlayTime = makeFrame(picPlayer, "picPlayTime");
    lblCurrentPositionSec = new QLabel(QStringLiteral("0:00:00"), picPlayTime);
    lblCurrentPositionSec->setObjectName(QStringLiteral("lblCurrentPositionSec"));
    lbTotalLengthSec = new QLabel(QStringLiteral("0:00:00"), picPlayTime);
    lbTotalLengthSec->setObjectName(QStringLiteral("lbTotalLengthSec"));
    {
        auto* l = new QHBoxLayout(picPlayTime);
        l->setContentsMargins(0, 0, 4, 0);
        l->setSpacing(4);
        l->addStretch(1);
        l->addWidget(lblCurrentPositionSec);
        l->addWidget(new QLabel(QStringLiteral("/"), picPlayTime));
        l->addWidget(lbTotalLengthSec);
    }
    cToolbarHostPlayer = makeFrame(picPlayer, "cToolbarHostPlayer");
    tlbrPlayButtons = new cToolbar(cToolbarHostPlayer);

    picList = makeFrame(picMain, "picList");
    rbrList = makeFrame(picList, "rbrList");
    tlbrList = new cToolbar(rbrList);
    froControl = makeFrame(picMain, "froControl");
    cToolbarHostRecorder = makeFrame(froControl, "cToolbarHostRecorder");
    tlbrRecorder = new cToolbar(cToolbarHostRecorder);

    cStatusBar1 = new cStatusBar(this);
    setStatusBar(cStatusBar1);
    prgStatus = new QProgressBar(cStatusBar1);
    prgStatus->setMaximumWidth(160);
    prgStatus->setTextVisible(false);
    prgStatus->hide();

    cSysTray1 = new cSysTray(this);
    cPlayer1 = CreatePlayer();
    cAudioConverter1 = CreateAudioConverter();
    cFreeDB1 = CreateFreeDB();
    cAudioCDRipper1 = CreateAudioCDRipper();
    m_probe = std::make_unique<ConverterProbe>(*cAudioConverter1);
    m_host = std::make_unique<MainListHost>(*this);
    const ItemsListControls c{cTreeView1, cGrid1, lblListName, prgStatus, picEmptyMsg, lblAddorDrag, &imgGrid, &imgMenu, lblEmptylist};
    m_lists = std::make_unique<ItemsListTree>(c, *m_probe, *m_host, this);
    picResizer->installEventFilter(this);
    tmrCDs = new QTimer(this);
    tmrCDs->setInterval(5000);
    tmrRemove = new QTimer(this);
    tmrRemove->setInterval(50);
    tmrRemove->setSingleShot(true);
    tmrPlayer = new QTimer(this);
    tmSlider = new QTimer(this);
    tmrAudioData = new QTimer(this);
    tmrPlayer->setInterval(200);
    tmSlider->setInterval(200);
    tmrAudioData->setInterval(100);
    m_stripTimers[0] = std::make_unique<QtStripTimer>(tmrPlayer);
    m_stripTimers[1] = std::make_unique<QtStripTimer>(tmSlider);
    m_stripTimers[2] = std::make_unique<QtStripTimer>(tmrAudioData);
    m_stripHost = std::make_unique<MainStripHost>(*this);
    m_strip = std::make_unique<PreviewStrip>(*cPlayer1, *m_stripHost, *m_stripTimers[0], *m_stripTimers[1], *m_stripTimers[2]);

    connect(tlbrTop, &cToolbar::ButtonClick, this, &FrmMain::tlbrTop_ButtonClick);
    connect(tlbrTop, &cToolbar::ButtonDropDown, this, &FrmMain::tlbrTop_ButtonDropDown);
    connect(tlbrProjects, &cToolbar::ButtonClick, this, &FrmMain::tlbrProjects_ButtonClick);
    connect(tlbrList, &cToolbar::ButtonClick, this, &FrmMain::tlbrList_ButtonClick);
    connect(tlbrRecorder, &cToolbar::ButtonClick, this, &FrmMain::tlbrRecorder_ButtonClick);
    connect(tlbrPlayButtons, &cToolbar::ButtonClick, this, &FrmMain::tlbrPlayButtons_ButtonClick);
    connect(cStatusBar1, &cStatusBar::PanelClick, this, &FrmMain::cStatusBar1_PanelClick);
    connect(cSysTray1, &cSysTray::TrayClick, this, &FrmMain::cSysTray1_TrayClick);
    connect(tmrRemove, &QTimer::timeout, this, &FrmMain::tmrRemove_Timer);
    connect(tmrCDs, &QTimer::timeout, this, &FrmMain::tmrCDs_Timer);
    connect(cAudioCDRipper1.get(), &cAudioCDRipper::Error, this, &FrmMain::cAudioCDRipper1_Error);
    connect(cPlayer1.get(), &cPlayer::PlayEnd, this, &FrmMain::cPlayer1_PlayEnd);
    connect(cSlider1, &cSlider::DragStart, this, &FrmMain::cSlider1_DragStart);
    connect(cSlider1, &cSlider::DragEnd, this, &FrmMain::cSlider1_DragEnd);
    connect(tmrPlayer, &QTimer::timeout, this, &FrmMain::tmrPlayer_Timer);
    connect(tmSlider, &QTimer::timeout, this, &FrmMain::tmSlider_Timer);
    connect(tmrAudioData, &QTimer::timeout, this, &FrmMain::tmrAudioData_Timer);
    connectGridEvents();
}

// ---------------------------------------------------------------------------------------------
// Loading

void FrmMain::Form_Load()
{
    // Every step stands alone: one that cannot be done is skipped and the next runs.
    m_reg = std::make_unique<RegistryRoutines>();
    m_reg->hkey(platform::HKEY_LOCAL_MACHINE);
    m_reg->KeyRoot(QStringLiteral("SOFTWARE\\") + g_sAppCompany + QLatin1Char('\\') + g_sAppName);

    SetTitleBackColor(ProgramOptions.picColor);
    SetTitleTextColor(ProgramOptions.picTextColor);
    cAudioGraphAmp->GraphColor1(ProgramOptions.picColor);
    cAudioGraphAmp->GraphColor2(ProgramOptions.picTextColor);
    cAudioGraphFreq->GraphColor1(ProgramOptions.picColor);
    cAudioGraphFreq->GraphColor3(ProgramOptions.picTextColor);
    prgStatus->setStyleSheet(QStringLiteral("QProgressBar::chunk { background: %1; }")
                                 .arg(ColorFromBgr(ProgramOptions.picColor).name()));

    cSysTray1->TrayAddIcon();
    cSysTray1->TrayTip(g_sAppName + QLatin1Char(' ') + g_sAppVersion);
    cSysTray1->TrayIconFile(programFile(QStringLiteral("SysIcon/systrayicon.ico")));

    SetFormIcon(this, QStringLiteral("AAA"), true);

    SetGridColumns(cGrid1);
    SetGridInfoColumns();

    cStatusBar1->StatusImageList(&imgMenu);
    cStatusBar1->StatusAddPanel(0, QString(), QString(), 47, 120, false, false, 0, QStringLiteral("Main"));
    cStatusBar1->StatusAddPanel(0, QString(), QString(), -1, 180, false, false, 0, QStringLiteral("Items List Properties"));
    const QString notes = GetNotesToStatus();
    cStatusBar1->StatusAddPanel(0, notes, QStringLiteral("Notes"), 8, 250, false, false, 0, QStringLiteral("Notes"));
    cStatusBar1->StatusAddPanel(0, QStringLiteral("Master Volume"), QString(), 79, 64, false, false, 0,
                                QStringLiteral("Master Volume"));
    cStatusBar1->addPermanentWidget(prgStatus);
    cStatusBar1->StatusPanelText(QStringLiteral("Main"), QStringLiteral("Ready."));

    CreateMenus();
    SetAppView();

    CreateToolsToolbar();
    attach(cToolbarHostRecorder, tlbrRecorder);
    cToolbarHostRecorder->resize(cToolbarHostRecorder->width(), TwipsToPixels(760));

    tlbrTop->ToolbarImageList(&imgMenu);
    tlbrTop->ToolbarCreate(16, false, true, true);
    BuildTopToolbar(*tlbrTop);
    attach(cToolbarHost1, tlbrTop);
    m_layout.cToolbarHost1.height = 740;

    tlbrProjects->ToolbarImageList(&imgMenu);
    tlbrProjects->ToolbarCreate(16, false, true, true);
    BuildProjectsToolbar(*tlbrProjects);
    attach(tlbrProjectsHost, tlbrProjects);

    tlbrList->ToolbarImageList(&imgMenu);
    tlbrList->ToolbarCreate(16, false, true, true);
    BuildListToolbar(*tlbrList);
    attach(rbrList, tlbrList);
    m_layout.tlbrListHeight = PixelsToTwips(tlbrList->sizeHint().height());

    tlbrPlayButtons->ToolbarImageList(&imgPlayer);
    tlbrPlayButtons->ToolbarCreate(24, false, false, true);
    BuildPlayToolbar(*tlbrPlayButtons);
    attach(cToolbarHostPlayer, tlbrPlayButtons);

    const QString caption = g_sAppName + QLatin1Char(' ') + g_sAppVersion;
    setWindowTitle(caption);
    lblTitle->setText(caption);

    setTree();

    if (g_lAppIncItemsLists == 1) {
        if (g_nodeMainItems && g_nodeMainItems->childCount() > 0)
            cTreeView1_NodeClick(g_nodeMainItems->child(0));
        else
            m_cMenu_Click(m_cMenu->MenuIndexOfKey(QStringLiteral("New Items List")));
    } else {
        if (g_nodeMainCDs && g_nodeMainCDs->childCount() > 0)
            cTreeView1_NodeClick(g_nodeMainCDs->child(0));
    }

    m_reg->Subkey(QStringLiteral("General"));
    RestoreWindowSize();
    m_loaded = true;
    Form_Resize();
}

void FrmMain::SetGridColumns(cGrid* grid)
{
    if (grid)
        SetItemGridColumns(*grid, &imgGrid);
}

void FrmMain::SetGridInfoColumns() { SetInfoGridColumns(*cGridInfo); }

void FrmMain::CreateMenus()
{
    delete m_cMenu;
    QFont font(QStringLiteral("Tahoma"));
    m_cMenu = new cPopupMenu(this);
    m_cMenu->MenuOwnerWindow(this);
    m_cMenu->MenuDrawStyle(0);
    m_cMenu->MenuFont(font);
    m_cMenu->MenuDrawStyle(ProgramOptions.chkMenuXPStyle ? 1 : 0);
    m_cMenu->MenuImageList(&imgMenu);
    BuildMainMenus(*m_cMenu);
    m_cMenu->MenuItemsReady(true);
    connect(m_cMenu, &cPopupMenu::Click, this, &FrmMain::m_cMenu_Click);
}

void FrmMain::CreateToolsToolbar()
{
    tlbrRecorder->ToolbarImageList(&imgGeneral);
    tlbrRecorder->ToolbarCreate(26, false, true, true);
    tlbrRecorder->setIconSize(QSize(24, 24));
    m_hostRecorderWidth = BuildToolsToolbar(*tlbrRecorder, m_hostRecorderWidth);
    cToolbarHostRecorder->resize(TwipsToPixels(m_hostRecorderWidth), cToolbarHostRecorder->height());
}

void FrmMain::SetAppView()
{
    if (!g_sAppBackColor.isEmpty()) {
        bool ok = false;
        const long value = g_sAppBackColor.toLong(&ok);
        if (ok) {
            const QColor back = ColorFromBgr(value);
            for (QWidget* w : std::initializer_list<QWidget*>{picMain, froControl, froTreeControl, picResizer,
                                                              cToolbarHostRecorder, cToolbarHost1, tlbrProjectsHost,
                                                              cStatusBar1, cSlider1, picList, rbrList, picPlayer,
                                                              cToolbarHostPlayer})
                setBackColor(w, back);
            cGridInfo->BackColor(back);
        }
    }
    const QString view = programFile(QStringLiteral("View"));
    if (!g_sAppBackPicture.isEmpty()) {
        const QPixmap back(QDir(view).filePath(g_sAppBackPicture));
        if (!back.isNull()) {
            QPalette p = picMain->palette();
            p.setBrush(QPalette::Window, QBrush(back));
            picMain->setPalette(p);
        }
        const QPixmap holder(QDir(view).filePath(g_sAppToolbarPicture));
        if (!holder.isNull()) {
            picToolBarJPGPicHolder->setPixmap(holder);
            cGridInfo->BackPicture(holder);
        }
    }
    if (!g_sAppTitlePicture.isEmpty()) {
        const QPixmap title(QDir(view).filePath(g_sAppTitlePicture));
        if (!title.isNull()) {
            QPalette p = picTitle->palette();
            p.setBrush(QPalette::Window, QBrush(title));
            picTitle->setPalette(p);
        }
    }
    if (!g_sAppToolbarPicture.isEmpty()) {
        const QPixmap holder(QDir(view).filePath(g_sAppToolbarPicture));
        if (!holder.isNull()) {
            picToolBarJPGPicHolder->setPixmap(holder);
            // The toolbar hosts draw the same picture behind their buttons.
            const QString bmp = platform::programFolder() + QStringLiteral("/tbbg.bmp");
            holder.save(bmp, "BMP");
            for (QFrame* host : {cToolbarHost1, tlbrProjectsHost}) {
                QPalette p = host->palette();
                p.setBrush(QPalette::Window, QBrush(QPixmap(bmp)));
                host->setPalette(p);
                host->setAutoFillBackground(true);
            }
        }
    }
}

void FrmMain::RestoreWindowSize()
{
    const QSize stored = RestoredWindowSize(m_reg ? m_reg->GetRegistryValue(QStringLiteral("lWidth")) : QVariant(),
                                            m_reg ? m_reg->GetRegistryValue(QStringLiteral("lHeight")) : QVariant());
    const QScreen* display = screen() ? screen() : QGuiApplication::primaryScreen();
    const QRect freeArea = display ? display->availableGeometry() : QRect();
    const QSize twips = FitWindowSize(stored, freeArea.size());
    // A size cut to the screen leaves no room to spare: the window starts at the free area's
    // corner, its title bar on the screen.
    if (twips != stored)
        move(freeArea.topLeft());
    // The stored values are the outer size, frame included, as the exit saves them. Before the
    // window is first shown the desktop has not framed it and the frame measures 0: the size
    // is then set as if there were none, and corrected once the frame is known.
    m_pendingOuterSize = QSize(TwipsToPixels(twips.width()), TwipsToPixels(twips.height()));
    resize(m_pendingOuterSize);
    m_pendingInnerSize = size();
    // The frame is known once the desktop has framed and mapped the window, which the window
    // learns as an exposure; a move or resize need not come with it.
    if (!windowHandle())
        create();
    if (windowHandle())
        windowHandle()->installEventFilter(this);
    applyPendingOuterSize();
}

void FrmMain::applyPendingOuterSize()
{
    if (m_pendingOuterSize.isEmpty())
        return;
    if (size() != m_pendingInnerSize) {
        // Sized since by someone else (the user, the desktop): that size stands.
        m_pendingOuterSize = QSize();
        return;
    }
    // A window started in the tray or minimised keeps the size to set until it is shown.
    if (!isVisible() || isMinimized() || isMaximized())
        return;
    const QSize frame = frameSize();
    if (frame.isEmpty())
        return;
    const QSize outer = m_pendingOuterSize;
    m_pendingOuterSize = QSize();
    resize(std::max(1, outer.width() - frame.width()), std::max(1, outer.height() - frame.height()));
}

// ---------------------------------------------------------------------------------------------
// Layout

void FrmMain::Form_Resize()
{
    if (!m_loaded)
        return;
    LayoutInputs in;
    const QSize outer = frameGeometry().size();
    in.windowWidth = PixelsToTwips(outer.width());
    in.windowHeight = PixelsToTwips(outer.height());
    in.minimised = isMinimized();
    in.chkDisplayTitle = ProgramOptions.chkDisplayTitle;
    in.chkDisplayPlayer = ProgramOptions.chkDisplayPlayer;
    in.chkDisplayAudioGraph = ProgramOptions.chkDisplayAudioGraph;
    in.treeRestore = g_lAppTreeRestore;
    m_layout.statusBarHeight = PixelsToTwips(cStatusBar1->sizeHint().height());
    if (m_cMenu)
        m_cMenu->MenuDrawStyle(ProgramOptions.chkMenuXPStyle ? 1 : 0);
    if (LayOutMainWindow(m_layout, in))
        applyLayout();
}

void FrmMain::applyLayout()
{
    const auto place = [](QWidget* w, const PaneGeometry& g) {
        if (!w)
            return;
        w->setGeometry(TwipsToPixels(g.left), TwipsToPixels(g.top), TwipsToPixels(g.width), TwipsToPixels(g.height));
        w->setVisible(g.visible && g.width > 0 && g.height > 0);
    };
    const MainLayout& l = m_layout;
    place(picTitle, l.picTitle);
    place(cToolbarHost1, l.cToolbarHost1);
    place(picTitleProject, {l.picTitleProject.left, l.picTitleProject.top, l.picTitleProject.width, l.picTitleProject.height,
                            l.cTreeView1.visible});
    place(cTreeView1, l.cTreeView1);
    place(froTreeControl, {l.froTreeControl.left, l.froTreeControl.top, l.froTreeControl.width, l.froTreeControl.height,
                           l.cTreeView1.visible});
    tlbrProjectsHost->setGeometry(0, 0, TwipsToPixels(l.froTreeControl.width), TwipsToPixels(l.froTreeControl.height));
    place(picResizer, l.picResizer);
    place(picTitleList, l.picTitleList);
    place(cGrid1, l.cGrid1);
    place(cGridInfo, l.cGridInfo);
    place(picPlayer, l.picPlayer);
    place(picList, l.picList);
    rbrList->setGeometry(0, 0, TwipsToPixels(l.picList.width), TwipsToPixels(l.picList.height));
    place(froControl, l.froControl);
    cToolbarHostRecorder->setGeometry(0, (TwipsToPixels(l.froControl.height) - TwipsToPixels(760)) / 2,
                                      std::max(TwipsToPixels(m_hostRecorderWidth), tlbrRecorder->sizeHint().width() + 8),
                                      TwipsToPixels(760));

    // Inside the player strip: the two graphs side by side, the slider under them, the play
    // buttons and the time at the bottom.
    const int pw = TwipsToPixels(l.picPlayer.width);
    const int ph = TwipsToPixels(l.picPlayer.height);
    const int gh = std::max(0, ph - 4 - 22 - TwipsToPixels(500));
    const int half = (pw - 12) / 2;
    cAudioGraphFreq->setGeometry(4, 4, half, gh);
    cAudioGraphAmp->setGeometry(8 + half, 4, pw - 12 - half, gh);
    cAudioGraphFreq->setVisible(l.audioGraphsVisible);
    cAudioGraphAmp->setVisible(l.audioGraphsVisible);
    cSlider1->setGeometry(TwipsToPixels(l.cSlider1.left), 4 + gh, TwipsToPixels(l.cSlider1.width), 22);
    const int buttons = std::min(pw / 2, tlbrPlayButtons->sizeHint().width() + 4);
    cToolbarHostPlayer->setGeometry(2, ph - TwipsToPixels(500), buttons, TwipsToPixels(500));
    picPlayTime->setGeometry(buttons + 2, ph - TwipsToPixels(500), std::max(0, pw - buttons - 10), TwipsToPixels(500));

    placeEmptyMsg();
}

void FrmMain::placeEmptyMsg()
{
    // The designed box, grown where the desktop's font makes its texts longer, centred on the
    // grid as the designed one is.
    const PaneGeometry& g = m_layout.picEmptyMsg;
    const QSize need = picEmptyMsg->layout() ? picEmptyMsg->layout()->totalSizeHint() : QSize();
    const int w = std::max(TwipsToPixels(g.width), need.width());
    const int h = std::max(TwipsToPixels(g.height), need.height());
    const int centre = TwipsToPixels(g.left) + TwipsToPixels(g.width) / 2;
    picEmptyMsg->setGeometry(centre - w / 2, TwipsToPixels(g.top), w, h);
    picEmptyMsg->raise();
}

void FrmMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    applyPendingOuterSize();
    Form_Resize();
}

void FrmMain::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    // The desktop's framing of a newly shown window arrives as a move.
    applyPendingOuterSize();
}

void FrmMain::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    // A restored window is laid out again with the options of the moment.
    if (event->type() == QEvent::WindowStateChange && !isMinimized()) {
        applyPendingOuterSize();
        Form_Resize();
    }
}

void FrmMain::cTreeView1_DragDrop(QWidget*, double X, double)
{
    m_layout.cTreeView1.width = TreeWidthAfterTreeDrop(m_layout.cTreeView1.left, X);
    Form_Resize();
}

void FrmMain::cGrid1_DragDrop(QWidget*, double X, double)
{
    m_layout.cTreeView1.width = TreeWidthAfterGridDrop(m_layout.cTreeView1.left, X, m_layout.cTreeView1.width);
    Form_Resize();
}

// ---------------------------------------------------------------------------------------------
// What the options window changes

void FrmMain::SetGridHotTrack(bool on) { cGrid1->HotTrack(on); }
void FrmMain::SetGridLines(bool on) { cGrid1->GridLines(on); }

void FrmMain::SetTitleBackColor(int color) { setBackColor(picTitle, ColorFromBgr(color)); }

void FrmMain::SetTitleTextColor(int color)
{
    QPalette p = lblTitle->palette();
    p.setColor(QPalette::WindowText, ColorFromBgr(color));
    lblTitle->setPalette(p);
}

void FrmMain::SetGraphColor(int which, int color)
{
    for (cAudioGraph* g : {cAudioGraphAmp, cAudioGraphFreq}) {
        if (which == 1)
            g->GraphColor1(color);
        else if (which == 2)
            g->GraphColor2(color);
        else if (which == 3)
            g->GraphColor3(color);
    }
}

// ---------------------------------------------------------------------------------------------
// Unloading

void FrmMain::closeEvent(QCloseEvent* event)
{
    if (FrmStat::IsAdding()) {
        // Files are being added inside a handler of this window: that pass stops first.
        g_bCancelAdding = true;
        m_closeAfterAdding = true;
        event->ignore();
        return;
    }
    int Cancel = 0;
    Form_Unload(Cancel);
    if (Cancel != 0) {
        event->ignore();
        return;
    }
    event->accept();
    // The program ends once the window object is gone, after its terminate step has run.
    connect(this, &QObject::destroyed, qApp, &QCoreApplication::quit);
    frmMain.unload();
}

QSize FrmMain::frameSize() const
{
    // Asked of the window itself: the widget's copy of the frame is refreshed only by some
    // moves, and a window shown again from the tray may bring no move.
    const QMargins m = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    return QSize(m.left() + m.right(), m.top() + m.bottom());
}

QSize FrmMain::outerNormalSizeTwips() const
{
    // Never framed since the size was restored: the restored size is still the one it has.
    if (!m_pendingOuterSize.isEmpty() && size() == m_pendingInnerSize)
        return QSize(PixelsToTwips(m_pendingOuterSize.width()), PixelsToTwips(m_pendingOuterSize.height()));
    // A minimised or maximised window would store the size of its icon or of the screen; the
    // size to keep is the one the window has in its normal state.
    QSize inner = (isMinimized() || isMaximized() || !isVisible()) && normalGeometry().isValid() ? normalGeometry().size()
                                                                                                : geometry().size();
    if (inner.isEmpty())
        inner = size();
    const QSize frame = frameSize();
    return QSize(PixelsToTwips(inner.width() + frame.width()), PixelsToTwips(inner.height() + frame.height()));
}

void FrmMain::Form_Unload(int& Cancel)
{
    g_bMainUnloading = true;

    // A list the window holds but its file does not is asked about whatever the exit option
    // says; that question also asks whether to exit.
    if (m_lists && m_lists->IsUnsaved()) {
        if (!m_lists->AskSaveBeforeExit()) {
            Cancel = 1;
            g_bMainUnloading = false;
            return;
        }
    } else if (ProgramOptions.chkDisplayMSGWhenExit) {
        const int answer = platform::MsgBox(QStringLiteral("Are you sure you want to exit '") + g_sAppName + QLatin1Char(' ') +
                                                g_sAppVersion + QStringLiteral("' ?"),
                                            platform::vbInformation | platform::vbYesNo, QString(), this);
        if (answer == platform::vbNo) {
            Cancel = 1;
            g_bMainUnloading = false;
            return;
        }
    }

    SetTopMost(this, false);

    StopPreview();

    if (ProgramOptions.chkClearOnExit) {
        QTreeWidgetItem* node = cTreeView1->SelectedNode();
        if (node && !IsCDNode(cTreeView::Key(node)))
            DoClearTheList();
    }

    forms::unloadAllExcept(&frmMain);

    QFile::remove(programFile(QStringLiteral("tmpeditor.wav")));
    QFile::remove(programFile(QStringLiteral("tmptts.wav")));

    // The hosted components close in a fixed order: player, the two graphs, converter, CD
    // lookup, ripper.
    if (cPlayer1)
        cPlayer1->Release();
    cAudioGraphAmp->Release();
    cAudioGraphFreq->Release();
    if (cAudioConverter1)
        cAudioConverter1->Release();
    if (cFreeDB1)
        cFreeDB1->Release();
    if (cAudioCDRipper1)
        cAudioCDRipper1->Shutdown();

    if (m_reg) {
        m_reg->Subkey(QStringLiteral("General"));
        const QSize size = outerNormalSizeTwips();
        m_reg->SetRegistryValue(QStringLiteral("lHeight"), QString::number(size.height()), platform::REG_SZ);
        m_reg->SetRegistryValue(QStringLiteral("lWidth"), QString::number(size.width()), platform::REG_SZ);
    }
    m_reg.reset();

    cSysTray1->TrayRemoveIcon();
}

void FrmMain::Form_Terminate() { SuppressErrorDialogs(); }

// ---------------------------------------------------------------------------------------------
// Commands

bool FrmMain::cmdTransparent(long item)
{
    const bool checked = m_cMenu->MenuItemChecked(item);
    SetTransparent(!checked);
    m_cMenu->MenuItemChecked(item, !checked);
    return true;
}

bool FrmMain::cmdOnTop(long item)
{
    const bool checked = m_cMenu->MenuItemChecked(item);
    m_cMenu->MenuItemChecked(m_cMenu->MenuIndexOfKey(QStringLiteral("On Top")), !checked);
    SetOnTop(!checked);
    return true;
}

bool FrmMain::cmdMinimize(long)
{
    setWindowState((windowState() & ~Qt::WindowMaximized) | Qt::WindowMinimized);
    return true;
}

bool FrmMain::cmdGoSysTray(long)
{
    // Without a notification area the window could not come back from hiding: it is only
    // minimised, and stays on the task bar.
    setWindowState(windowState() | Qt::WindowMinimized);
    if (!platform::desktop().isSystemTrayAvailable())
        return false;
    hide();
    SetTrayOpenCaption(QStringLiteral("Show"));
    m_bInTray = true;
    return false;
}

bool FrmMain::cmdExit(long)
{
    // Under a command's modal window (the tray menu still works there) nothing is unloaded:
    // that window comes forward instead.
    if (ToolWindows::BringModalWindowForward())
        return true;
    close();
    return true;  // runs only while the window is still loaded, i.e. after a cancelled exit
}

bool FrmMain::cmdMasterVolume(long)
{
    SetTopMost(this, false);
    // The desktop's mixer takes the place of the system volume control; whichever is
    // installed first is started.
    for (const char* program : {"pavucontrol", "pavucontrol-qt", "gnome-control-center"}) {
        const QStringList args = QLatin1String(program) == QLatin1String("gnome-control-center") ? QStringList{QStringLiteral("sound")}
                                                                                                 : QStringList{};
        if (platform::shell().startProgram(QLatin1String(program), args))
            break;
    }
    return true;
}

bool FrmMain::cmdOptionsPage(long item)
{
    SetTopMost(this, false);
    FrmOptions* options = frmOptions.get();
    options->OpenPage(m_cMenu->MenuItemKey(item));
    options->exec();
    return true;
}

bool FrmMain::cmdAbout(long)
{
    SetTopMost(this, false);
    frmAbout->exec();
    return true;
}

bool FrmMain::cmdNotes(long)
{
    SetTopMost(this, false);
    const bool wasLoaded = g_frmNotes.isLoaded();
    FrmNotes* notes = g_frmNotes.get();
    if (!wasLoaded) {
        // The panel shows the notes as they were left when the window goes.
        connect(notes, &QObject::destroyed, this, [this] {
            cStatusBar1->StatusPanelText(QStringLiteral("Notes"), GetNotesToStatus());
        });
    }
    notes->show();
    notes->raise();
    notes->activateWindow();
    return true;
}

bool FrmMain::cmdRcOpen(long)
{
    cSysTray1_TrayClick(1);
    return true;
}

bool FrmMain::cmdNewItemsList(long)
{
    const QString key = cTreeView::Key(cTreeView1->SelectedNode());
    if (IsMainNode(key) || IsCDNode(key))
        return false;
    m_lists->NewItemsList();
    return true;
}

bool FrmMain::cmdRenameItemsList(long)
{
    QTreeWidgetItem* node = cTreeView1->SelectedNode();
    if (!node || IsMainNode(cTreeView::Key(node)))
        return false;
    RunCommand(QStringLiteral("Items List Properties"));
    return true;
}

bool FrmMain::cmdRemoveItemsList(long)
{
    const QString key = cTreeView::Key(cTreeView1->SelectedNode());
    if (IsMainNode(key) || IsCDNode(key))
        return false;
    m_lists->RemoveItemsList();
    return true;
}

bool FrmMain::cmdItemsListProperties(long)
{
    QTreeWidgetItem* node = cTreeView1->SelectedNode();
    if (!node || IsMainNode(cTreeView::Key(node)))
        return false;
    ShowItemsListProperties(*m_lists, node, cStatusBar1->StatusPanelText(QStringLiteral("Items List Properties")));
    return true;
}

bool FrmMain::cmdClearTheList(long)
{
    if (cGrid1->Rows() == 0)
        return false;
    // Runs once the menu has closed, so the question is not asked over an open menu.
    m_sRemoveMode = QStringLiteral("All");
    tmrRemove->start();
    return true;
}

void FrmMain::tlbrPlayButtons_ButtonClick(long index) { m_strip->tlbrPlayButtons_ButtonClick(index); }
void FrmMain::StartPlay() { m_strip->StartPlay(); }
void FrmMain::StopPlay() { m_strip->StopPlay(); }
void FrmMain::StopPreview() { m_strip->StopRequest(); }
void FrmMain::cPlayer1_PlayEnd() { m_strip->cPlayer1_PlayEnd(); }
void FrmMain::cSlider1_DragStart() { m_strip->cSlider1_DragStart(); }
void FrmMain::cSlider1_DragEnd() { m_strip->cSlider1_DragEnd(); }
void FrmMain::tmrPlayer_Timer() { m_strip->tmrPlayer_Timer(); }
void FrmMain::tmSlider_Timer() { m_strip->tmSlider_Timer(); }
void FrmMain::tmrAudioData_Timer() { m_strip->tmrAudioData_Timer(); }
QTreeWidgetItem* FrmMain::NodePlaying() const { return m_strip->NodePlaying(); }

void FrmMain::cStatusBar1_PanelClick(long index)
{
    const QString key = cStatusBar1->StatusPanelKey(index);
    if (key.isEmpty() || key == QLatin1String("0"))
        return;
    // The "Main" panel carries a key no menu item has: its click finds item 0 and does nothing.
    m_cMenu_Click(m_cMenu->MenuIndexOfKey(key));
}

bool FrmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == windowHandle() && event->type() == QEvent::Expose && !m_pendingOuterSize.isEmpty())
        QTimer::singleShot(0, this, &FrmMain::applyPendingOuterSize);
    // A new text on the empty-list box may need a bigger box.
    if (watched == picEmptyMsg && (event->type() == QEvent::LayoutRequest || event->type() == QEvent::Show))
        placeEmptyMsg();
    if (watched == lblListName && event->type() == QEvent::MouseButtonRelease)
        lblListName_Click();
    if (gridEventFilter(watched, event))
        return true;
    return QMainWindow::eventFilter(watched, event);
}

void FrmMain::lblListName_Click()
{
    QTreeWidgetItem* node = cTreeView1->SelectedNode();
    if (!node || IsMainNode(cTreeView::Key(node)))
        return;
    RunCommand(QStringLiteral("Items List Properties"));
}

// ---------------------------------------------------------------------------------------------
// Tray and window modes

void FrmMain::SetTrayOpenCaption(const QString& caption)
{
    if (m_cMenu)
        m_cMenu->MenuItemCaption(m_cMenu->MenuIndexOfKey(QStringLiteral("RC Open")), caption);
}

QString FrmMain::TrayOpenCaption() const
{
    return m_cMenu ? m_cMenu->MenuItemCaption(m_cMenu->MenuIndexOfKey(QStringLiteral("RC Open"))) : QString();
}

void FrmMain::cSysTray1_TrayClick(long kind)
{
    if (kind == 1) {
        // A window hidden into the tray counts as minimised whatever state the desktop last
        // reported: a withdrawn window has none, and after a start in the tray the desktop
        // may report the window normal once it is hidden.
        const MainWindowState state = m_bInTray && !isVisible() ? MainWindowState::Minimised
                                      : isMaximized()           ? MainWindowState::Maximised
                                      : isMinimized()           ? MainWindowState::Minimised
                                                                : MainWindowState::Normal;
        const TrayToggleResult step = TrayToggle(state, m_bInTray);
        if (!step.changes)
            return;
        if (step.show) {
            // Hidden in the tray the window is minimised, whatever the desktop reported when it
            // was withdrawn; only a restore from minimised maps it back as a normal window.
            if (!isVisible())
                setWindowState(windowState() | Qt::WindowMinimized);
            show();
            setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
            raise();
            activateWindow();
        } else {
            setWindowState(windowState() | Qt::WindowMinimized);
            // Hidden only where a tray icon can bring it back.
            if (platform::desktop().isSystemTrayAvailable())
                hide();
            else
                return;
        }
        SetTrayOpenCaption(step.caption);
        m_bInTray = step.inTray;
    } else if (kind == 2) {
        activateWindow();
        long x = 0;
        long y = 0;
        GetMousePosition(x, y);
        m_cMenu->MenuPopup(x, y, m_cMenu->MenuIndexOfKey(QStringLiteral("RC Open")), true);
    }
}

void FrmMain::SetOnTop(bool bVal)
{
    SetTopMost(this, bVal);
    if (m_cMenu)
        m_cMenu->MenuItemChecked(m_cMenu->MenuIndexOfKey(QStringLiteral("On Top")), bVal);
}

void FrmMain::SetTransparent(bool bVal)
{
    if (bVal)
        SetTranslucency(this, 90);
    else
        ClearTranslucency(this);
    if (m_cMenu)
        m_cMenu->MenuItemChecked(m_cMenu->MenuIndexOfKey(QStringLiteral("Transparent")), bVal);
}

void FrmMain::OpenDestFolder(const QString& sDir)
{
    QString path = sDir;
    // A list node's key is its list file: the folder to open is the one that holds it.
    if (path.endsWith(QLatin1String(".flst"), Qt::CaseInsensitive) || QFileInfo(path).isFile())
        path = QFileInfo(path).absolutePath();
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    if (!IsFolder(path)) {
        const int answer = platform::MsgBox(QStringLiteral("The folder ") + path + QStringLiteral(" does not exist.") +
                                                QString(44, QLatin1Char(' ')) + QStringLiteral("\r\n\r\n") +
                                                QStringLiteral("Would you like to create it?"),
                                            platform::vbInformation | platform::vbYesNo, QString(), this);
        if (answer != platform::vbYes)
            return;
        // The open is tried all the same: a folder that is not there is the shell's to report.
        if (CreateFolderPath(path) != 0 || !IsFolder(path))
            platform::MsgBox(QStringLiteral("The path: ") + path + QStringLiteral(" cannot be created."), platform::vbOKOnly,
                             QString(), this);
    }
    ShellOpen(this, path);
}

QString FrmMain::GetNotesToStatus()
{
    const QString file = programFile(QStringLiteral("Notes"));
    const bool exists = QFileInfo(file).isFile();
    return NotesStatusText(exists, exists ? ReadTextFile(file) : QString());
}

void FrmMain::GetFileInfoToGridInfo()
{
    if (FillItemInfoGrid(*cGrid1, *cGridInfo, *cAudioConverter1))
        unsetCursor();
}

// ---------------------------------------------------------------------------------------------
// The tree of lists

bool FrmMain::IsMainNode(const QString& key) { return ::IsMainNode(key); }

bool FrmMain::IsCDNode(const QString& key) { return ::IsCDNode(key); }

void FrmMain::setTree()
{
    m_lists->setTree();
    g_nodeMainItems = m_lists->g_nodeMainItems();
    g_nodeMainCDs = m_lists->g_nodeMainCDs();
}

void FrmMain::OpenFirstItemsList()
{
    if (!g_nodeMainItems)
        return;
    // As at start: the first list of the new folder, or a new list when it holds none.
    if (g_nodeMainItems->childCount() > 0)
        cTreeView1_NodeClick(g_nodeMainItems->child(0));
    else
        m_cMenu_Click(m_cMenu->MenuIndexOfKey(QStringLiteral("New Items List")));
    // No list could be made there: nothing of the old folder's list may stay on screen.
    if (!IsListNodeKey(cTreeView::Key(cTreeView1->SelectedNode())))
        m_lists->ShowNoList();
}

void FrmMain::cTreeView1_NodeClick(QTreeWidgetItem* node) { m_lists->cTreeView1_NodeClick(node); }

void FrmMain::DoClearTheList() { m_lists->DoClearTheList(); }

void FrmMain::SaveGridToFile() { m_lists->SaveGridToFile(); }

void FrmMain::DisplayGridInfoStatusBar() { m_lists->DisplayGridInfoStatusBar(); }
