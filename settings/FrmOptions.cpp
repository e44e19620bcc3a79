// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "settings/FrmOptions.h"

#include "foundation/mdlCommDialog.h"
#include "foundation/mdlFunctions.h"
#include "foundation/mdlModes.h"
#include "foundation/mdlRunOnStart.h"
#include "foundation/mdlSupportedDestination.h"
#include "foundation/mdlWindowUtils.h"
#include "platform/EndSound.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "platform/RegistryHive.h"
#include "platform/Shell.h"
#include "settings/EndSoundPlayer.h"
#include "settings/FrmAudioProp.h"
#include "settings/FrmProgParameters.h"
#include "settings/MainWindowLink.h"
#include "settings/ProgramOptions.h"
#include "settings/StoredForms.h"
#include "settings/controls/ColorSwatch.h"
#include "settings/controls/LinkLabel.h"
#include "settings/controls/TwipsGeometry.h"
#include "settings/controls/cTreeView.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>

namespace {

const QString kGeneral = QStringLiteral("General");
const QString kEvents = QStringLiteral("Events");
const QString kId3Tags = QStringLiteral("ID3 Tags");
const QString kDisplay = QStringLiteral("Display");

QWidget* makePage(QWidget* parent, const QString& name, const QString& heading)
{
    auto* page = new QWidget(parent);
    page->setObjectName(name);
    auto* h = new QLabel(heading, page);
    QFont f = h->font();
    f.setBold(true);
    f.setUnderline(true);
    h->setFont(f);
    MoveTw(h, 240, 120);
    h->adjustSize();
    return page;
}

QCheckBox* makeCheck(QWidget* page, const char* name, const QString& caption, int left, int top, int width = 5295)
{
    auto* c = new QCheckBox(caption, page);
    c->setObjectName(QString::fromLatin1(name));
    PlaceTw(c, left, top, width, 255);
    return c;
}

QLabel* makeLabel(QWidget* page, const QString& caption, int left, int top, int width = 2400)
{
    auto* l = new QLabel(caption, page);
    PlaceTw(l, left, top, width, 240);
    return l;
}

QComboBox* makeList(QWidget* page, const char* name, int left, int top, int width, bool editable = false)
{
    auto* c = new QComboBox(page);
    c->setObjectName(QString::fromLatin1(name));
    c->setEditable(editable);
    PlaceTw(c, left, top, width, 315);
    return c;
}

QPushButton* makeButton(QWidget* page, const char* name, const QString& caption, int left, int top, int width,
                        int height = 345)
{
    auto* b = new QPushButton(caption, page);
    b->setObjectName(QString::fromLatin1(name));
    PlaceTw(b, left, top, width, height);
    return b;
}

LinkLabel* makeLink(QWidget* page, const char* name, const QString& caption, const QString& tip, int left, int top,
                    int iconLeft = -1, int iconTop = -1, QStyle::StandardPixmap icon = QStyle::SP_MessageBoxQuestion)
{
    auto* l = new LinkLabel(caption, page);
    l->setObjectName(QString::fromLatin1(name));
    l->setToolTip(tip);
    MoveTw(l, left, top);
    l->adjustSize();
    if (iconLeft >= 0) {
        auto* pic = new QLabel(page);
        pic->setPixmap(page->style()->standardIcon(icon).pixmap(16, 16));
        PlaceTw(pic, iconLeft, iconTop, 240, 240);
    }
    return l;
}

QLineEdit* makeText(QWidget* page, const char* name, int left, int top, int width, int height = 285)
{
    auto* t = new QLineEdit(page);
    t->setObjectName(QString::fromLatin1(name));
    PlaceTw(t, left, top, width, height);
    return t;
}

QPlainTextEdit* makeMemo(QWidget* page, const char* name, int left, int top, int width, int height)
{
    auto* t = new QPlainTextEdit(page);
    t->setObjectName(QString::fromLatin1(name));
    PlaceTw(t, left, top, width, height);
    return t;
}

void separator(QWidget* page, int top)
{
    auto* line = new QFrame(page);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    PlaceTw(line, 240, top, 5295, 30);
}

void setBack(QWidget* w, const QColor& c)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, c);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

bool isChecked(const QCheckBox* box) { return stored::CheckValue(box) == 1; }

}  // namespace

FrmOptions::FrmOptions()
{
    setObjectName(QStringLiteral("frmOptions"));
    buildControls();
    Form_Load();
}

FrmOptions::~FrmOptions() = default;

void FrmOptions::buildControls()
{
    setWindowTitle(QStringLiteral("Options"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSizeF(8.25);
    setFont(font);
    setFixedSize(TwipsToPixels(8760), TwipsToPixels(5850));

    picTitle = new QWidget(this);
    picTitle->setObjectName(QStringLiteral("picTitle"));
    PlaceTw(picTitle, 0, 0, 8775, 495);
    picTitle->setAutoFillBackground(true);
    lblTitle = new QLabel(picTitle);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont = font;
    titleFont.setItalic(true);
    titleFont.setPointSizeF(11.25);
    lblTitle->setFont(titleFont);
    PlaceTw(lblTitle, 120, 75, 4845, 270);

    cTreeView1 = new cTreeView(this);
    cTreeView1->setObjectName(QStringLiteral("cTreeView1"));
    PlaceTw(cTreeView1, 120, 600, 2175, 4455);

    froGeneral = makePage(this, QStringLiteral("froGeneral"), QStringLiteral("General Properties:"));
    froEvents = makePage(this, QStringLiteral("froEvents"), QStringLiteral("Default Events When Done:"));
    froView = makePage(this, QStringLiteral("froView"), QStringLiteral("Program View:"));
    froTags = makePage(this, QStringLiteral("froTags"), QStringLiteral("Default ID3 Tags:"));
    froAdvanced = makePage(this, QStringLiteral("froAdvanced"), QStringLiteral("Advanced Properties:"));
    PlaceTw(froGeneral, 2495, 600, 5895, 4455);

    cmdOk = makeButton(this, "cmdOk", QStringLiteral("OK"), 7080, 5280, 1455, 375);
    QFont bold = font;
    bold.setBold(true);
    cmdOk->setFont(bold);
    cmdOk->setDefault(true);
    cmdCancel = makeButton(this, "cmdCancel", QStringLiteral("Cancel"), 5400, 5280, 1455, 375);
    auto* sep = new QFrame(this);
    sep->setFrameShape(QFrame::VLine);
    sep->setFrameShadow(QFrame::Sunken);
    PlaceTw(sep, 6960, 5280, 30, 360);

    chkDontSaveSilenceFile = makeCheck(
        this, "chkDontSaveSilenceFile",
        QStringLiteral("Do not save a file that contains a silence only ('empty file')"), 240, 6000);
    chkDontSaveSilenceFile->setVisible(false);
    lblAudioDevice = makeLabel(this, QStringLiteral("Record From:"), 240, 6360);
    lblAudioDevice->setObjectName(QStringLiteral("lblAudioDevice"));
    lblAudioDevice->setVisible(false);
    cboDevices = makeList(this, "cboDevices", 240, 6600, 4305);
    cboDevices->setVisible(false);

    // General
    QWidget* p = froGeneral;
    makeLabel(p, QStringLiteral("Default File Name Format:"), 240, 600, 3000);
    lblParameters = makeLink(p, "lblParameters", QStringLiteral("Parameters"), QStringLiteral("Parameters"), 4680,
                             600, 4365, 600);
    cboFileName = makeList(p, "cboFileName", 240, 840, 5295);
    makeLabel(p, QStringLiteral("Default Audio Format:"), 240, 1440, 3000);
    cboTargetFormat = makeList(p, "cboTargetFormat", 240, 1680, 4305);
    cmdEditTargetFormat = makeButton(p, "cmdEditTargetFormat", QStringLiteral("Edit"), 4560, 1680, 975, 320);
    cmdEditTargetFormat->setFont(bold);
    cmdEditTargetFormat->setToolTip(QStringLiteral("Edit Target Audio Formats"));
    chkGoToNextItem = makeCheck(p, "chkGoToNextItem", QStringLiteral("Go to next item when done playing an item"),
                                240, 2400);
    chkClearOnExit = makeCheck(p, "chkClearOnExit", QStringLiteral("Clear the 'Items List' on exit"), 240, 2760);
    chkSelectTheLastItem = makeCheck(p, "chkSelectTheLastItem", QStringLiteral("Auto select the last Item"), 240, 3120);
    chkAutoFreeDB = makeCheck(p, "chkAutoFreeDB", QStringLiteral("Open the FreeDB service automatically"), 240, 3480);
    chkAutoFreeDB->setVisible(false);
    lblMoreAdvancedOptions = makeLink(p, "lblMoreAdvancedOptions", QStringLiteral("More advanced options..."),
                                      QStringLiteral("More advanced options"), 240, 3960);

    // Events
    p = froEvents;
    chkPlaySound = makeCheck(p, "chkPlaySound", QStringLiteral("Play sound"), 240, 600);
    txtPlayAtEnd = makeText(p, "txtPlayAtEnd", 240, 840, 5295, 375);
    txtPlayAtEnd->setReadOnly(true);  // the path is chosen with "Add"; the box shows its name
    cmdAddSound = makeButton(p, "cmdAddSound", QStringLiteral("Add"), 3720, 1320, 855);
    cmdTestSound = makeButton(p, "cmdTestSound", QStringLiteral("Test"), 4680, 1320, 855);
    separator(p, 1800);
    chkNoticeApp = makeCheck(p, "chkNoticeApp", QStringLiteral("Execute external application"), 240, 1920);
    txtAppNotice = makeMemo(p, "txtAppNotice", 240, 2160, 5295, 615);
    lblNoticParameters = makeLink(p, "lblNoticParameters", QStringLiteral("Parameters"), QStringLiteral("Parameters"),
                                  555, 2880, 240, 2880);
    cmdTestApp = makeButton(p, "cmdTestApp", QStringLiteral("Test"), 4680, 2880, 855);
    separator(p, 3360);
    chkOpenDestFolder = makeCheck(p, "chkOpenDestFolder", QStringLiteral("Open the destination folder"), 240, 3480);
    chkTurnOffComputer = makeCheck(p, "chkTurnOffComputer", QStringLiteral("Turn off computer"), 240, 3840);

    // View
    p = froView;
    chkDisplayTitle = makeCheck(p, "chkDisplayTitle", QStringLiteral("Display Title"), 240, 600, 2800);
    chkDisplayPlayer = makeCheck(p, "chkDisplayPlayer", QStringLiteral("Display player"), 240, 960, 2800);
    chkDisplayAudioGraph = makeCheck(p, "chkDisplayAudioGraph", QStringLiteral("Display the 'Audio Graph'"), 240,
                                     1320, 2800);
    chkDisplayGridHotTrack = makeCheck(p, "chkDisplayGridHotTrack", QStringLiteral("Display grid hot track"), 3120,
                                       600, 2600);
    chkDisplayGridLine = makeCheck(p, "chkDisplayGridLine", QStringLiteral("Display grid lines"), 3120, 960, 2600);
    chkMenuXPStyle = makeCheck(p, "chkMenuXPStyle", QStringLiteral("Advanced menus style"), 3120, 1320, 2600);
    separator(p, 2400);
    lblAppColor = makeLabel(p, QStringLiteral("Application Color"), 240, 2760);
    lblAppColor->setObjectName(QStringLiteral("lblAppColor"));
    picColor = new ColorSwatch(p);
    picColor->setObjectName(QStringLiteral("picColor"));
    PlaceTw(picColor, 240, 3000, 5295, 255);
    lblFontColor = makeLabel(p, QStringLiteral("Text Color"), 240, 3360);
    lblFontColor->setObjectName(QStringLiteral("lblFontColor"));
    picTextColor = new ColorSwatch(p);
    picTextColor->setObjectName(QStringLiteral("picTextColor"));
    PlaceTw(picTextColor, 240, 3600, 5295, 255);

    // ID3 Tags
    p = froTags;
    chkCopyID3FromSource = makeCheck(p, "chkCopyID3FromSource", QStringLiteral("Copy the ID3 tags from source file"),
                                     240, 600);
    separator(p, 900);
    lblTagArtist = makeLabel(p, QStringLiteral("Artist:"), 240, 960);
    txtTagArtist = makeText(p, "txtTagArtist", 240, 1200, 5295);
    lblID3TagParameters = makeLink(p, "lblID3TagParameters", QStringLiteral("Parameters"), QStringLiteral("Parameters"),
                                   4680, 960, 4320, 960);
    lblTagSong = makeLabel(p, QStringLiteral("Song:"), 240, 1560);
    txtTagSong = makeText(p, "txtTagSong", 240, 1800, 2355);
    lblTagAlbum = makeLabel(p, QStringLiteral("Album:"), 3000, 1560);
    txtTagAlbum = makeText(p, "txtTagAlbum", 3000, 1800, 2535);
    lblTagGenre = makeLabel(p, QStringLiteral("Genre:"), 240, 2160);
    txtTagGenre = makeText(p, "txtTagGenre", 240, 2400, 2355);
    lblTagTrack = makeLabel(p, QStringLiteral("Track:"), 3000, 2160);
    txtTagTrack = makeText(p, "txtTagTrack", 3000, 2400, 2535);
    lblTagYear = makeLabel(p, QStringLiteral("Year:"), 240, 2760);
    txtTagYear = makeText(p, "txtTagYear", 240, 3000, 5295);
    lblTagComment = makeLabel(p, QStringLiteral("Comment:"), 240, 3480);
    txtTagComment = makeMemo(p, "txtTagComment", 240, 3720, 5295, 435);
    for (QWidget* box : {static_cast<QWidget*>(txtTagArtist), static_cast<QWidget*>(txtTagSong),
                         static_cast<QWidget*>(txtTagAlbum), static_cast<QWidget*>(txtTagGenre),
                         static_cast<QWidget*>(txtTagTrack), static_cast<QWidget*>(txtTagYear),
                         static_cast<QWidget*>(txtTagComment)}) {
        QPalette pal = box->palette();
        pal.setColor(QPalette::Base, Qt::white);
        box->setPalette(pal);
    }

    // Advanced
    p = froAdvanced;
    makeLabel(p, QStringLiteral("Items List Main Directory:"), 240, 600, 2400);
    lblOpenDestinationDestinationFolder =
        makeLink(p, "lblOpenDestinationDestinationFolder", QStringLiteral("Open destination folder"),
                 QStringLiteral("Open destination folder"), 3000, 600, 2685, 585, QStyle::SP_DirOpenIcon);
    txtToPath = makeList(p, "txtToPath", 240, 840, 4545, true);
    cmdSelectPath = makeButton(p, "cmdSelectPath", QStringLiteral("..."), 4800, 840, 735, 320);
    cmdSelectPath->setToolTip(QStringLiteral("Select a new directory"));
    chkDisplayMSGWhenErase = makeCheck(p, "chkDisplayMSGWhenErase",
                                       QStringLiteral("Display a confirmation message when erasing an item"), 240, 1680);
    chkDisplayMSGWhenExit = makeCheck(p, "chkDisplayMSGWhenExit",
                                      QStringLiteral("Display a confirmation message when exiting the program"), 240,
                                      2040);
    chkSaveLogWhenExit = makeCheck(p, "chkSaveLogWhenExit",
                                   QStringLiteral("Save the 'Log' to a text file when exiting the program"), 240, 2400);
    chkRunWhenWinStarts = makeCheck(p, "chkRunWhenWinStarts", QStringLiteral("Run this program when windows is started"),
                                    240, 2760);
    chkAutoUpdate = makeCheck(p, "chkAutoUpdate", QStringLiteral("Auto check for new updates"), 240, 3120);
    chkAutoUpdate->setVisible(false);
    chkDisplayLiveUpdateWindow = makeCheck(p, "chkDisplayLiveUpdateWindow",
                                           QStringLiteral("Display the Live Update window"), 240, 3480);
    chkDisplayLiveUpdateWindow->setVisible(false);

    connect(cmdOk, &QPushButton::clicked, this, &FrmOptions::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &FrmOptions::cmdCancel_Click);
    connect(cTreeView1, &cTreeView::NodeClick, this, &FrmOptions::cTreeView1_NodeClick);
    connect(cTreeView1, &cTreeView::NodeSelected, this,
            [this](QTreeWidgetItem*) { cTreeView1_NodeClick(cTreeView1->SelectedNode()); });
    connect(cmdAddSound, &QPushButton::clicked, this, &FrmOptions::cmdAddSound_Click);
    connect(cmdTestSound, &QPushButton::clicked, this, &FrmOptions::cmdTestSound_Click);
    connect(cmdTestApp, &QPushButton::clicked, this, &FrmOptions::cmdTestApp_Click);
    connect(cmdSelectPath, &QPushButton::clicked, this, &FrmOptions::cmdSelectPath_Click);
    connect(lblOpenDestinationDestinationFolder, &LinkLabel::Click, this,
            &FrmOptions::lblOpenDestinationDestinationFolder_Click);
    connect(cmdEditTargetFormat, &QPushButton::clicked, this, &FrmOptions::cmdEditTargetFormat_Click);
    connect(lblParameters, &LinkLabel::Click, this, &FrmOptions::lblParameters_Click);
    connect(lblNoticParameters, &LinkLabel::Click, this, &FrmOptions::lblNoticParameters_Click);
    connect(lblID3TagParameters, &LinkLabel::Click, this, &FrmOptions::lblID3TagParameters_Click);
    connect(lblMoreAdvancedOptions, &LinkLabel::Click, this, &FrmOptions::lblMoreAdvancedOptions_Click);
    connect(picColor, &ColorSwatch::Click, this, &FrmOptions::picColor_Click);
    connect(picTextColor, &ColorSwatch::Click, this, &FrmOptions::picTextColor_Click);
    // The enabling rules follow every change of their box, by the user or by loading.
    connect(chkPlaySound, &QCheckBox::stateChanged, this, &FrmOptions::SetPlaySoundControls);
    connect(chkNoticeApp, &QCheckBox::stateChanged, this, &FrmOptions::SetNoticeAppControls);
    connect(chkCopyID3FromSource, &QCheckBox::stateChanged, this, &FrmOptions::SetID3TagsControls);
}

void FrmOptions::Form_Load()
{
    EndSoundPlayer::Register();

    // Skin colour of the product profile.
    bool ok = false;
    const long back = g_sAppBackColor.toLong(&ok);
    if (ok) {
        const QColor c = ColorSwatch::ToQColor(static_cast<int32_t>(back));
        setBack(this, c);
        for (QWidget* page : {froGeneral, froEvents, froView, froTags, froAdvanced})
            setBack(page, c);
        // Check boxes draw no background of their own, so they show the page's skin colour.
    }
    chkAutoFreeDB->setVisible(g_lAppIncCDRipper == 1);
    const QString pictures = platform::programFolder() + QStringLiteral("/View/");
    if (!g_sAppBackPicture.isEmpty()) {
        const QPixmap pic(pictures + g_sAppBackPicture);
        if (!pic.isNull())
            for (QWidget* w : {static_cast<QWidget*>(this), froGeneral, froEvents, froView, froTags, froAdvanced}) {
                QPalette pal = w->palette();
                pal.setBrush(QPalette::Window, pic);
                w->setPalette(pal);
                w->setAutoFillBackground(true);
            }
    }
    if (!g_sAppTitlePicture.isEmpty()) {
        const QPixmap pic(pictures + g_sAppTitlePicture);
        if (!pic.isNull()) {
            QPalette pal = picTitle->palette();
            pal.setBrush(QPalette::Window, pic);
            picTitle->setPalette(pal);
        }
    }
    SetFormIcon(this, QStringLiteral("gears"), true);

    m_cReg.hkey(platform::HKEY_LOCAL_MACHINE);
    m_cReg.KeyRoot(SettingsKeyRoot());

    // Every page takes the rectangle right of the tree.
    MoveTw(froGeneral, LeftTw(cTreeView1) + WidthTw(cTreeView1) + 200, TopTw(froGeneral));
    for (QWidget* page : {froEvents, froView, froTags, froAdvanced})
        PlaceTw(page, LeftTw(froGeneral), TopTw(froGeneral), WidthTw(froGeneral), HeightTw(cTreeView1));

    LoadFileNameFormats();
    LoadPathHistory(txtToPath);
    if (txtToPath->currentText().isEmpty())
        txtToPath->setEditText(DefaultItemsListsFolder());
    CreateOptionsTree();
    FillDestinationFormats(cboTargetFormat);
    // Filling a list selects its first entry; the stored choice decides the selection.
    cboTargetFormat->setCurrentIndex(-1);
    GetOptions();
    cTreeView1_NodeClick(cTreeView1->NodeAt(1));
    SetPlaySoundControls();
    SetNoticeAppControls();
    SetID3TagsControls();
}

void FrmOptions::CreateOptionsTree()
{
    // Only five of the icon list's places are drawn; the rest stay empty.
    QList<QIcon> icons(64);
    icons[9] = style()->standardIcon(QStyle::SP_FileDialogDetailedView);
    icons[10] = style()->standardIcon(QStyle::SP_MediaVolume);
    icons[11] = style()->standardIcon(QStyle::SP_DesktopIcon);
    icons[6] = style()->standardIcon(QStyle::SP_FileDialogInfoView);
    icons[59] = style()->standardIcon(QStyle::SP_ComputerIcon);
    cTreeView1->SetImageList(icons);
    cTreeView1->AddNode(QStringLiteral("General"), QStringLiteral("General"), 9, -1);
    cTreeView1->AddNode(QStringLiteral("Events"), QStringLiteral("Events"), 10, -1);
    cTreeView1->AddNode(QStringLiteral("View"), QStringLiteral("View"), 11, -1);
    cTreeView1->AddNode(QStringLiteral("ID3 Tags"), QStringLiteral("Default ID3 Tags"), 6, -1);
    cTreeView1->AddNode(QStringLiteral("Advanced"), QStringLiteral("Advanced"), 59, -1);
}

void FrmOptions::HideAllPages()
{
    for (QWidget* page : {froGeneral, froEvents, froView, froTags, froAdvanced})
        page->setVisible(false);
}

void FrmOptions::cTreeView1_NodeClick(QTreeWidgetItem* node)
{
    if (!node)
        return;
    HideAllPages();
    const QString key = cTreeView::Key(node);
    const struct { const char* key; QWidget* page; } pages[] = {
        {"General", froGeneral}, {"Events", froEvents}, {"View", froView}, {"ID3 Tags", froTags},
        {"Advanced", froAdvanced}};
    for (const auto& pg : pages) {
        if (key == QLatin1String(pg.key)) {
            pg.page->setVisible(true);
            break;
        }
    }
    cTreeView1->SelectNode(node);
    lblTitle->setText(cTreeView::Text(node));
}

void FrmOptions::OpenPage(const QString& key)
{
    QTreeWidgetItem* node = cTreeView1->NodeByKey(key);
    if (!node)
        return;
    cTreeView1->SelectNode(node);
    cTreeView1_NodeClick(node);
}

void FrmOptions::LoadFileNameFormats()
{
    cboFileName->clear();
    cboFileName->addItems(LoadFileNameFormatList());
    cboFileName->setCurrentIndex(-1);
}

void FrmOptions::applyTitleColors(int32_t back, int32_t text)
{
    setBack(picTitle, ColorSwatch::ToQColor(back));
    QPalette p = lblTitle->palette();
    p.setColor(QPalette::WindowText, ColorSwatch::ToQColor(text));
    lblTitle->setPalette(p);
}

void FrmOptions::GetOptions()
{
    ProgramOptionsData& o = ProgramOptions;
    const auto value = [this](const char* name) { return m_cReg.GetRegistryValue(QString::fromLatin1(name)); };
    const auto check = [&](QCheckBox* box, bool& member) {
        stored::ApplyCheck(box, value(box->objectName().toLatin1().constData()), false);
        member = stored::CheckValue(box) != 0;
    };

    m_cReg.Subkey(kGeneral);
    stored::ApplyListIndex(cboDevices, value("cboDevices"), false, true);
    o.cboDevices = cboDevices->currentIndex();

    const QVariant target = value("cboTargetFormat");
    if (!target.toString().isEmpty()) {
        stored::ApplyListText(cboTargetFormat, target);
        o.cboTargetFormat = cboTargetFormat->currentText();
    }

    txtToPath->setEditText(value("txtToPath").toString());
    check(chkSelectTheLastItem, o.chkSelectTheLastItem);
    check(chkAutoFreeDB, o.chkAutoFreeDB);
    if (txtToPath->currentText().isEmpty()) {
        const QString folder = DefaultItemsListsFolder();
        txtToPath->setEditText(folder);
        if (!IsFolder(folder))
            CreateFolderPath(folder);
        SavePathHistory(txtToPath);
        LoadPathHistory(txtToPath);
    }
    o.txtToPath = txtToPath->currentText();

    stored::ApplyListText(cboFileName, value("cboFileName"));
    o.cboFileName = cboFileName->currentText();

    check(chkSaveLogWhenExit, o.chkSaveLogWhenExit);
    check(chkDisplayMSGWhenExit, o.chkDisplayMSGWhenExit);
    check(chkDisplayMSGWhenErase, o.chkDisplayMSGWhenErase);
    check(chkGoToNextItem, o.chkGoToNextItem);
    check(chkDisplayPlayer, o.chkDisplayPlayer);
    check(chkClearOnExit, o.chkClearOnExit);
    check(chkDisplayAudioGraph, o.chkDisplayAudioGraph);
    check(chkMenuXPStyle, o.chkMenuXPStyle);
    check(chkDisplayGridHotTrack, o.chkDisplayGridHotTrack);
    check(chkDisplayTitle, o.chkDisplayTitle);
    check(chkDisplayGridLine, o.chkDisplayGridLine);

    if (const auto c = stored::ColorValue(value("picColor")))
        picColor->SetBackColor(*c);
    o.picColor = picColor->BackColor();
    if (const auto c = stored::ColorValue(value("picTextColor")))
        picTextColor->SetBackColor(*c);
    o.picTextColor = picTextColor->BackColor();
    applyTitleColors(picColor->BackColor(), o.picTextColor);

    stored::SetCheckValue(chkRunWhenWinStarts, IsRunOnStartup() ? 1 : 0);
    check(chkDisplayLiveUpdateWindow, o.chkDisplayLiveUpdateWindow);
    check(chkAutoUpdate, o.chkAutoUpdate);

    m_cReg.Subkey(kEvents);
    check(chkOpenDestFolder, o.chkOpenDestFolder);
    check(chkTurnOffComputer, o.chkTurnOffComputer);
    check(chkPlaySound, o.chkPlaySound);
    SetPlayAtEnd(value("txtPlayAtEnd").toString());
    if (txtPlayAtEnd->text().isEmpty())
        SetPlayAtEnd(DefaultEndSoundPath());
    o.txtPlayAtEnd = PlayAtEndTag();
    check(chkNoticeApp, o.chkNoticeApp);
    txtAppNotice->setPlainText(value("txtAppNotice").toString());
    o.txtAppNotice = txtAppNotice->toPlainText();

    m_cReg.Subkey(kId3Tags);
    const QVariant copyTags = value("chkCopyID3FromSource");
    if (!copyTags.toString().isEmpty())
        stored::ApplyCheck(chkCopyID3FromSource, copyTags, false);
    else
        stored::SetCheckValue(chkCopyID3FromSource, 1);
    o.chkCopyID3FromSource = stored::CheckValue(chkCopyID3FromSource) != 0;
    const auto text = [&](QLineEdit* box, QString& member) {
        box->setText(value(box->objectName().toLatin1().constData()).toString());
        member = box->text();
    };
    text(txtTagArtist, o.txtTagArtist);
    text(txtTagSong, o.txtTagSong);
    text(txtTagAlbum, o.txtTagAlbum);
    text(txtTagTrack, o.txtTagTrack);
    text(txtTagGenre, o.txtTagGenre);
    text(txtTagYear, o.txtTagYear);
    txtTagComment->setPlainText(value("txtTagComment").toString());
    o.txtTagComment = txtTagComment->toPlainText();
    rememberShownValues();
}

QList<FrmOptions::StoredValue> FrmOptions::valuesToStore() const
{
    QList<StoredValue> out;
    const auto add = [&out](const QString& section, const QString& name, const QString& text) {
        out.append(StoredValue{section, name, text});
    };
    const auto addCheck = [&](const QString& section, QCheckBox* box) { add(section, box->objectName(), stored::CheckText(box)); };

    for (QCheckBox* box : {chkClearOnExit, chkDisplayAudioGraph, chkMenuXPStyle, chkSelectTheLastItem, chkAutoFreeDB,
                           chkDisplayPlayer, chkDisplayGridHotTrack, chkDisplayTitle, chkDisplayGridLine})
        addCheck(kGeneral, box);
    add(kGeneral, QStringLiteral("picColor"), QString::number(picColor->BackColor()));
    add(kGeneral, QStringLiteral("picTextColor"), QString::number(picTextColor->BackColor()));
    add(kGeneral, QStringLiteral("cboDevices"), QString::number(cboDevices->currentIndex()));
    add(kGeneral, QStringLiteral("cboTargetFormat"), cboTargetFormat->currentText());
    add(kGeneral, QStringLiteral("txtToPath"), txtToPath->currentText());
    add(kGeneral, QStringLiteral("cboFileName"), cboFileName->currentText());
    for (QCheckBox* box : {chkSaveLogWhenExit, chkDisplayMSGWhenExit, chkDisplayMSGWhenErase, chkGoToNextItem,
                           chkDisplayLiveUpdateWindow, chkAutoUpdate})
        addCheck(kGeneral, box);

    for (QCheckBox* box : {chkOpenDestFolder, chkTurnOffComputer, chkPlaySound})
        addCheck(kEvents, box);
    add(kEvents, QStringLiteral("txtPlayAtEnd"), PlayAtEndTag());
    addCheck(kEvents, chkNoticeApp);
    add(kEvents, QStringLiteral("txtAppNotice"), txtAppNotice->toPlainText());

    addCheck(kId3Tags, chkCopyID3FromSource);
    for (QLineEdit* box : {txtTagArtist, txtTagSong, txtTagAlbum, txtTagGenre, txtTagTrack, txtTagYear})
        add(kId3Tags, box->objectName(), box->text());
    add(kId3Tags, QStringLiteral("txtTagComment"), txtTagComment->toPlainText());
    return out;
}

void FrmOptions::rememberShownValues()
{
    m_shown.clear();
    for (const StoredValue& v : valuesToStore())
        m_shown.insert(v.section + QLatin1Char('\\') + v.name, v.text);
    m_shownRunOnStart = isChecked(chkRunWhenWinStarts);
}

void FrmOptions::cmdOk_Click()
{
    QStringList failedSections;
    QStringList reasons;

    // The folder comparison is exact: a change of letter case is a change of folder.
    const bool folderChanged = txtToPath->currentText() != ProgramOptions.txtToPath;
    ProgramOptions.txtToPath = txtToPath->currentText();

    // Another instance of the program may have stored options since this window read them:
    // only what was changed here is written, so its changes to other options stay. A value
    // the store does not hold yet is written as shown.
    for (const StoredValue& v : valuesToStore()) {
        m_cReg.Subkey(v.section);
        const auto shown = m_shown.constFind(v.section + QLatin1Char('\\') + v.name);
        if (shown != m_shown.cend() && *shown == v.text && m_cReg.GetRegistryValue(v.name).isValid())
            continue;
        if (m_cReg.SetRegistryValue(v.name, v.text, platform::REG_SZ))
            continue;
        if (!failedSections.contains(v.section))
            failedSections.append(v.section);
        if (!reasons.contains(m_cReg.LastWriteError()))
            reasons.append(m_cReg.LastWriteError());
    }
    if (isChecked(chkRunWhenWinStarts) != m_shownRunOnStart)
        SetRunOnStartup(isChecked(chkRunWhenWinStarts));

    if (!failedSections.isEmpty()) {
        // Re-reading now would put the stored values back into the controls and lose the
        // user's changes without a word: say so and keep the window open with the edits.
        platform::MsgBox(QStringLiteral("The options could not be saved (section: ") +
                             failedSections.join(QStringLiteral(", ")) +
                             QStringLiteral(").\r\n\r\nThe settings store is missing or cannot be written: ") +
                             reasons.join(QStringLiteral("; ")) +
                             QStringLiteral(".\r\n\r\nYour changes are still in this window."),
                         platform::vbExclamation, {}, this);
        if (folderChanged)
            mainWindowLink().ListsFolderChanged();
        return;
    }

    if (folderChanged)
        mainWindowLink().ListsFolderChanged();
    GetOptions();
    ProgramOptions.txtToPath = txtToPath->currentText();
    mainWindowLink().Relayout();
    mainWindowLink().SetGridHotTrack(ProgramOptions.chkDisplayGridHotTrack);
    mainWindowLink().SetGridLines(ProgramOptions.chkDisplayGridLine);
    close();
}

void FrmOptions::cmdCancel_Click()
{
    GetOptions();
    close();
}

void FrmOptions::closeEvent(QCloseEvent* event)
{
    if (!g_bMainUnloading) {
        event->ignore();
        hide();
    } else {
        event->accept();
        if (frmOptions.loaded() == this)
            frmOptions.unload();
    }
    platform::endSound().stop();
}

// Escape closes the window the way its close box does.
void FrmOptions::reject() { close(); }

void FrmOptions::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Form_Resize();
}

void FrmOptions::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    Form_Resize();
}

void FrmOptions::Form_Resize()
{
    if (isVisible())
        cmdOk->setFocus();
}

void FrmOptions::SetPlaySoundControls()
{
    const bool on = isChecked(chkPlaySound);
    for (QWidget* w : {static_cast<QWidget*>(txtPlayAtEnd), static_cast<QWidget*>(cmdAddSound),
                       static_cast<QWidget*>(cmdTestSound)})
        w->setEnabled(on);
}

void FrmOptions::SetNoticeAppControls()
{
    const bool on = isChecked(chkNoticeApp);
    txtAppNotice->setEnabled(on);
    cmdTestApp->setEnabled(on);
}

void FrmOptions::SetID3TagsControls()
{
    const bool on = !isChecked(chkCopyID3FromSource);
    for (QWidget* w : std::initializer_list<QWidget*>{lblTagArtist, txtTagArtist, lblTagSong, txtTagSong, lblTagAlbum,
                                                     txtTagAlbum, lblTagGenre, txtTagGenre, lblTagTrack, txtTagTrack,
                                                     lblTagYear, txtTagYear, lblTagComment, txtTagComment})
        w->setEnabled(on);
}

QString FrmOptions::PlayAtEndTag() const { return txtPlayAtEnd->property("Tag").toString(); }

void FrmOptions::SetPlayAtEnd(const QString& path)
{
    txtPlayAtEnd->setProperty("Tag", path);
    txtPlayAtEnd->setText(GetFileName(path));
    txtPlayAtEnd->setToolTip(path);
}

void FrmOptions::cmdAddSound_Click()
{
    g_FileDialog.lpstrFilter = QStringLiteral("media files (*.wav; *.mp3)") + QChar(0) + QStringLiteral("*.wav; *.mp3") +
                               QChar(0) + QStringLiteral("mp3 (*.mp3)") + QChar(0) + QStringLiteral("*.mp3") +
                               QChar(0) + QStringLiteral("wav (*.wav)") + QChar(0) + QStringLiteral("*.wav") + QChar(0);
    g_FileDialog.lpstrTitle = QStringLiteral("Select files");
    const FileDialogResult r = ShowOpen(this, true);
    if (r.cancelled || r.fileNames.size() < 2)
        return;
    QString folder = r.folder;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    SetPlayAtEnd(folder + r.fileNames.at(1));
}

void FrmOptions::cmdTestSound_Click() { platform::endSound().play(PlayAtEndTag()); }

void FrmOptions::cmdTestApp_Click()
{
    // Run exactly as typed: no placeholder is replaced, no shell interprets the text.
    const QStringList args = platform::splitCommandLine(txtAppNotice->toPlainText());
    if (args.isEmpty())
        return;
    platform::shell().startProgram(args.first(), args.mid(1));
}

void FrmOptions::cmdSelectPath_Click()
{
    QString folder = BrowseForFolder(QStringLiteral("Select a new directory"), txtToPath->currentText(), this, true,
                                     QString(), true, false);
    if (folder.isEmpty())
        return;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    txtToPath->setEditText(folder);
    SavePathHistory(txtToPath);
    LoadPathHistory(txtToPath);
}

void FrmOptions::lblOpenDestinationDestinationFolder_Click()
{
    if (!txtToPath->currentText().endsWith(QLatin1Char('/')))
        txtToPath->setEditText(txtToPath->currentText() + QLatin1Char('/'));
    const QString path = txtToPath->currentText();
    if (!IsFolder(path)) {
        const int answer = platform::MsgBox(QStringLiteral("The folder ") + path + QStringLiteral(" does not exist.") +
                                                QString(44, QLatin1Char(' ')) +
                                                QStringLiteral("\r\n\r\nWould you like to create it?"),
                                            platform::vbYesNo | platform::vbInformation, {}, this);
        if (answer != platform::vbYes)
            return;
        if (CreateFolderPath(path) != 0) {
            // Nothing to open: handing a missing folder to the file manager only brings up
            // the desktop's own error.
            platform::MsgBox(QStringLiteral("The path: ") + path + QStringLiteral(" cannot be created."),
                             platform::vbOKOnly, {}, this);
            return;
        }
        SavePathHistory(txtToPath);
        LoadPathHistory(txtToPath);
    }
    ShellOpen(this, path);
}

void FrmOptions::cmdEditTargetFormat_Click()
{
    FrmAudioProp* prop = g_frmAudioProp.get();
    prop->OpenOnFormat(cboTargetFormat->currentText());
    prop->exec();
}

void FrmOptions::ShowParameters(int section)
{
    FrmProgParameters* w = g_frmProgParameters.get();
    w->cboSections->setCurrentIndex(section);
    w->exec();
}

void FrmOptions::lblNoticParameters_Click() { ShowParameters(0); }
void FrmOptions::lblID3TagParameters_Click() { ShowParameters(1); }
void FrmOptions::lblParameters_Click() { ShowParameters(2); }

void FrmOptions::lblMoreAdvancedOptions_Click() { cTreeView1_NodeClick(cTreeView1->NodeByKey(QStringLiteral("Advanced"))); }

void FrmOptions::picColor_Click()
{
    const ColorDialogResult r = ShowColor(this, false);
    if (r.colour == -1)
        return;
    picColor->SetBackColor(r.colour);
    setBack(picTitle, ColorSwatch::ToQColor(r.colour));
    m_cReg.Subkey(kDisplay);
    m_cReg.SetRegistryValue(QStringLiteral("picColor"), QString::number(r.colour), platform::REG_SZ);
    mainWindowLink().SetTitleBackColor(r.colour);
    mainWindowLink().SetGraphColor(1, r.colour);
}

void FrmOptions::picTextColor_Click()
{
    const ColorDialogResult r = ShowColor(this, false);
    if (r.colour == -1)
        return;
    m_cReg.Subkey(kDisplay);
    m_cReg.SetRegistryValue(QStringLiteral("picTextColor"), QString::number(r.colour), platform::REG_SZ);
    picTextColor->SetBackColor(r.colour);
    QPalette p = lblTitle->palette();
    p.setColor(QPalette::WindowText, ColorSwatch::ToQColor(r.colour));
    lblTitle->setPalette(p);
    mainWindowLink().SetTitleTextColor(r.colour);
    mainWindowLink().SetGraphColor(2, r.colour);
}
