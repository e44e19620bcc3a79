// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "cdtools/FrmFreeDB.h"

#include "batchtools/cProgressBar.h"
#include "commands/ToolWindows.h"
#include "components/cFreeDB.h"
#include "components/cGrid.h"
#include "foundation/mdlModes.h"
#include "foundation/mdlWindowUtils.h"
#include "itemsgrid/ItemRow.h"
#include "mainwindow/FrmMain.h"
#include "mainwindow/ItemsListTree.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "settings/ProgramOptions.h"
#include "settings/controls/ColorSwatch.h"
#include "settings/controls/TwipsGeometry.h"
#include "settings/controls/cTreeView.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include <algorithm>

namespace {

// Design size of the window, twips.
constexpr int kWidth = 5880;
constexpr int kHeight = 2040;
// The status line's place, and what lies below it, in twips.
constexpr int kStatusTop = 660;
constexpr int kStatusHeight = 255;
constexpr int kProgressTop = 1005;
constexpr int kAbortTop = 1425;

// The client fields the look-up announces in its hello.
const QString kClientUser = QStringLiteral("clsCDDB");
const QString kClientHost = QStringLiteral("localhost");
const QString kClientVersion = QStringLiteral("v0.5");
constexpr long kTimeoutSeconds = 20;

void setBackColor(QWidget* w, const QColor& c)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, c);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

void setBackPicture(QWidget* w, const QPixmap& pic)
{
    QPalette p = w->palette();
    p.setBrush(QPalette::Window, pic);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

class HandOverOf final : public ToolWindow {
public:
    explicit HandOverOf(FrmFreeDB& w) : m_w(&w) {}
    QWidget* Window() override { return m_w; }
    bool GetFreeDB() override { return m_w && m_w->GetFreeDB(); }

private:
    QPointer<FrmFreeDB> m_w;
};

}  // namespace

FrmFreeDB::FrmFreeDB()
{
    m_handOver = std::make_unique<HandOverOf>(*this);
    cFreeDB1 = CreateFreeDB();
    buildControls();
    connectComponent();
    Form_Load();
}

FrmFreeDB::~FrmFreeDB()
{
    if (!m_unloading)
        Form_Unload();
}

ToolWindow& FrmFreeDB::HandOver() { return *m_handOver; }

void FrmFreeDB::buildControls()
{
    setObjectName(QStringLiteral("g_frmFreeDB"));
    setWindowTitle(QStringLiteral("FreeDB"));
    setModal(true);
    setFixedSize(TwipsToPixels(kWidth), TwipsToPixels(kHeight));
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPointSizeF(8.25);
    setFont(tahoma);

    picTitle = new QFrame(this);
    picTitle->setObjectName(QStringLiteral("picTitle"));
    PlaceTw(picTitle, 0, 0, kWidth, 495);
    lblTitle = new QLabel(QStringLiteral("FreeDB"), picTitle);
    PlaceTw(lblTitle, 240, 90, kWidth - 480, 315);
    QFont titleFont = lblTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(11);
    lblTitle->setFont(titleFont);

    lblCurrentTrack = new QLabel(QStringLiteral("Ready."), this);
    lblCurrentTrack->setObjectName(QStringLiteral("lblCurrentTrack"));
    PlaceTw(lblCurrentTrack, 240, kStatusTop, kWidth - 480, kStatusHeight);
    lblCurrentTrack->setWordWrap(true);
    prgCurrnet = new cProgressBar(this);
    prgCurrnet->setObjectName(QStringLiteral("prgCurrnet"));
    PlaceTw(prgCurrnet, 240, kProgressTop, kWidth - 480, 180);
    cmdAbort = new QPushButton(QStringLiteral("Abort"), this);
    cmdAbort->setObjectName(QStringLiteral("cmdAbort"));
    PlaceTw(cmdAbort, kWidth - 1335, kAbortTop, 1095, 375);

    lblArtist = new QLabel(QStringLiteral("Album Name"), this);
    lblArtist->setObjectName(QStringLiteral("lblArtist"));
    lblArtist->setVisible(false);
    lblAlbumName = new QLabel(QStringLiteral("Album Name"), this);
    lblAlbumName->setObjectName(QStringLiteral("lblAlbumName"));
    lblAlbumName->setVisible(false);

    connect(cmdAbort, &QPushButton::clicked, this, [this] { cmdAbort_Click(); });
}

void FrmFreeDB::connectComponent()
{
    cFreeDB* db = cFreeDB1.get();
    connect(db, &cFreeDB::RequestHide, this, &FrmFreeDB::cFreeDB1_RequestHide);
    connect(db, &cFreeDB::LookupError, this, &FrmFreeDB::cFreeDB1_LookupError);
    connect(db, &cFreeDB::StateChanged, this, &FrmFreeDB::cFreeDB1_StateChanged);
    connect(db, &cFreeDB::Message, this, &FrmFreeDB::cFreeDB1_Message);
    connect(db, &cFreeDB::ArtistFound, this, &FrmFreeDB::cFreeDB1_ArtistFound);
    connect(db, &cFreeDB::AlbumFound, this, &FrmFreeDB::cFreeDB1_AlbumFound);
    connect(db, &cFreeDB::TrackFound, this, &FrmFreeDB::cFreeDB1_TrackFound);
}

void FrmFreeDB::UseFreeDBComponent(std::unique_ptr<cFreeDB> component)
{
    if (!component)
        return;
    if (cFreeDB1)
        cFreeDB1->Release();
    cFreeDB1 = std::move(component);
    connectComponent();
}

void FrmFreeDB::Form_Load()
{
    SetFormIcon(this, QStringLiteral("cd_music"), true);
    setBackColor(picTitle, ColorSwatch::ToQColor(ProgramOptions.picColor));
    QPalette titlePalette = lblTitle->palette();
    titlePalette.setColor(QPalette::WindowText, ColorSwatch::ToQColor(ProgramOptions.picTextColor));
    lblTitle->setPalette(titlePalette);
    bool ok = false;
    const long back = g_sAppBackColor.toLong(&ok);
    if (ok)
        setBackColor(this, ColorSwatch::ToQColor(static_cast<int32_t>(back)));
    prgCurrnet->BarColor(ProgramOptions.picColor);

    const QString view = platform::programFolder() + QStringLiteral("/View/");
    if (!g_sAppBackPicture.isEmpty()) {
        const QPixmap pic(view + g_sAppBackPicture);
        if (!pic.isNull())
            setBackPicture(this, pic);
    }
    if (!g_sAppTitlePicture.isEmpty()) {
        const QPixmap pic(view + g_sAppTitlePicture);
        if (!pic.isNull())
            setBackPicture(picTitle, pic);
    }
}

bool FrmFreeDB::GetFreeDB()
{
    setStatusText(QStringLiteral("Checking connection..."));
    // A mistyped server variable is not a missing connection: say what is wrong with it.
    const QString serverError = cFreeDB::ServerVariableError();
    if (!serverError.isEmpty()) {
        setStatusText(serverError);
        platform::MsgBox(serverError, platform::vbExclamation, QString(), this);
        unloadSelf();
        return false;
    }
    if (!cFreeDB1 || !cFreeDB1->IsConnected()) {
        setStatusText(QStringLiteral("No internet connection!"));
        platform::MsgBox(QStringLiteral("There is no internet connection.") + QStringLiteral("\r\n\r\n") +
                             QStringLiteral("Getting the information about the Audio CD (using the 'FreeDB') has failed."),
                         platform::vbInformation, QString(), this);
        unloadSelf();
        return false;
    }
    const QString host = cFreeDB::DefaultServerHost();
    setStatusText(QStringLiteral("Connecting to ") + host + QStringLiteral("..."));

    FrmMain* main = frmMain.loaded();
    m_node = main ? main->cTreeView1->SelectedNode() : nullptr;
    m_nodeKey = cTreeView::Key(m_node);
    cFreeDB1->SelectDrive(GetCDNameNode(m_nodeKey));

    cFreeDB1->Timeout(kTimeoutSeconds);
    cFreeDB1->ServerHost(host);
    cFreeDB1->ServerPort(cFreeDB::DefaultServerPort());
    cFreeDB1->UserName(kClientUser);
    cFreeDB1->ClientHost(kClientHost);
    cFreeDB1->ClientName(kClientUser);
    cFreeDB1->ClientVersion(kClientVersion);
    cFreeDB1->StartQuery();
    return true;
}

QTreeWidgetItem* FrmFreeDB::lookedUpNode() const
{
    FrmMain* main = frmMain.loaded();
    if (!main || !m_node || !main->m_lists->HasNode(m_node))
        return nullptr;
    if (main->cTreeView1->SelectedNode() != m_node || cTreeView::Key(m_node) != m_nodeKey)
        return nullptr;
    return m_node;
}

void FrmFreeDB::setStatusText(const QString& text)
{
    lblCurrentTrack->setText(text);
    // The whole text shows: a long one wraps, and the window grows by the lines it takes.
    const int width = lblCurrentTrack->width();
    const int oneLine = TwipsToPixels(kStatusHeight);
    const QRect drawn = lblCurrentTrack->fontMetrics().boundingRect(QRect(0, 0, width, 100000), Qt::TextWordWrap, text);
    const int extra = std::max({0, lblCurrentTrack->heightForWidth(width) - oneLine, drawn.height() - oneLine});
    lblCurrentTrack->resize(width, oneLine + extra);
    prgCurrnet->move(prgCurrnet->x(), TwipsToPixels(kProgressTop) + extra);
    cmdAbort->move(cmdAbort->x(), TwipsToPixels(kAbortTop) + extra);
    setFixedSize(TwipsToPixels(kWidth), TwipsToPixels(kHeight) + extra);
}

void FrmFreeDB::cFreeDB1_RequestHide() { hide(); }

void FrmFreeDB::cFreeDB1_LookupError(long code, const QString& text)
{
    const QString shown = text + QLatin1Char('(') + QString::number(code) + QLatin1Char(')');
    setStatusText(shown);
    platform::MsgBox(shown, platform::vbExclamation, QString(), this);
    if (code == 2)
        unloadSelf();
}

void FrmFreeDB::cFreeDB1_StateChanged(const QString& text)
{
    setStatusText(QStringLiteral("FreeDB State:") + text);
}

void FrmFreeDB::cFreeDB1_Message(const QString&) {}

void FrmFreeDB::cFreeDB1_ArtistFound(const QString& artist) { lblArtist->setText(artist); }

void FrmFreeDB::cFreeDB1_AlbumFound(const QString& album) { lblAlbumName->setText(album); }

void FrmFreeDB::cFreeDB1_TrackFound(const QString& artist, int track, const QString& title)
{
    // Results for a node no longer shown would land in another list's or drive's rows.
    QTreeWidgetItem* node = lookedUpNode();
    if (!node)
        return;
    FrmMain* main = frmMain.loaded();
    cGrid* grid = main->cGrid1;
    const long rows = grid->Rows();
    if (rows == 0)
        return;
    // Writing a row past the last would append one: a track the listing has not is ignored.
    if (track < 1 || track > rows)
        return;
    grid->SetCell(track, grid->ColumnIndex(ItemRow::COL_ITEM_NAME), QString(title + QStringLiteral(".cda")));
    grid->SetCell(track, grid->ColumnIndex(COL_TAG_ARTIST), artist);
    grid->SetCell(track, grid->ColumnIndex(COL_TAG_ALBUM), lblAlbumName->text());
    if (track != rows)
        return;

    const QString caption = lblArtist->text() + QStringLiteral(" - ") + lblAlbumName->text();
    node->setText(0, caption);
    bool cancel = false;
    main->m_lists->cTreeView1_AfterLabelEdit(node, caption, cancel);
    main->lblListName->setText(cTreeView::Text(node));
    unloadSelf();
}

void FrmFreeDB::cmdAbort_Click() { unloadSelf(); }

void FrmFreeDB::Form_Unload()
{
    m_unloading = true;
    if (cFreeDB1) {
        cFreeDB1->StopQuery();
        cFreeDB1->Release();
    }
}

void FrmFreeDB::closeEvent(QCloseEvent* event)
{
    event->accept();
    unloadSelf();
}

void FrmFreeDB::reject() { unloadSelf(); }

void FrmFreeDB::unloadSelf()
{
    // The look-up stops before the window goes, so nothing of it reaches a window on its way out.
    if (!m_unloading)
        Form_Unload();
    if (g_frmFreeDB.loaded() == this)
        g_frmFreeDB.unload();
    else
        hide();
}

void RegisterFreeDBWindow()
{
    ToolWindows::Register(QStringLiteral("FreeDB"), [] { return &g_frmFreeDB->HandOver(); });
}
