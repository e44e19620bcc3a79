// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "batchtools/BatchToolWindow.h"

#include "batchtools/cProgressBar.h"
#include "commands/Templates.h"
#include "commands/ToolWindows.h"
#include "components/cGrid.h"
#include "foundation/BufferedLog.h"
#include "foundation/RegistryRoutines.h"
#include "foundation/mdlCommDialog.h"
#include "foundation/mdlFunctions.h"
#include "foundation/mdlModes.h"
#include "foundation/mdlShutDown.h"
#include "foundation/mdlSupportedDestination.h"
#include "foundation/mdlWindowUtils.h"
#include "itemsgrid/ItemRow.h"
#include "mainwindow/FrmMain.h"
#include "mainwindow/cStatusBar.h"
#include "mainwindow/cSysTray.h"
#include "platform/EndSound.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "platform/RegistryHive.h"
#include "settings/FrmAudioProp.h"
#include "settings/FrmOptions.h"
#include "settings/FrmProgParameters.h"
#include "settings/ProgramOptions.h"
#include "settings/controls/ColorSwatch.h"
#include "settings/controls/LinkLabel.h"
#include "settings/controls/TwipsGeometry.h"
#include "settings/controls/cTabControl.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabBar>

namespace {

// Design size of the window, twips.
constexpr int kWidth = 9360;
constexpr int kHeight = 8040;

void setBackColor(QWidget* w, const QColor& c)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, c);
    w->setPalette(p);
    // Buttons (check boxes, options) fill with their button colour unless told otherwise, which
    // drew them as bands of another colour over the panel.
    w->setBackgroundRole(QPalette::Window);
    w->setAutoFillBackground(true);
}

void setBackPicture(QWidget* w, const QPixmap& pic)
{
    QPalette p = w->palette();
    p.setBrush(QPalette::Window, pic);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

QLabel* label(const QString& text, QWidget* parent, int left, int top, int width)
{
    auto* l = new QLabel(text, parent);
    PlaceTw(l, left, top, width, 255);
    return l;
}

QCheckBox* checkBox(const QString& text, const char* name, QWidget* parent, int left, int top, int width)
{
    auto* c = new QCheckBox(text, parent);
    c->setObjectName(QLatin1String(name));
    PlaceTw(c, left, top, width, 285);
    return c;
}

LinkLabel* link(const QString& text, const QString& tip, QWidget* parent, int left, int top, int width)
{
    auto* l = new LinkLabel(text, parent, true);
    l->setToolTip(tip);
    PlaceTw(l, left, top, width, 255);
    return l;
}

QPushButton* button(const QString& text, QWidget* parent, int left, int top, int width, int height = 375)
{
    auto* b = new QPushButton(text, parent);
    PlaceTw(b, left, top, width, height);
    return b;
}

// Eats Enter in a text box. In the destination box the box's own Enter would put a history entry
// that matches the typed path in another letter case in its place, and the window's would press
// its default button, the folder chooser; the typed path is the one to keep.
class KeepEnterInBox final : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        return key == Qt::Key_Return || key == Qt::Key_Enter;
    }
};

// The hand-over the commands write through: each member lands in the control of its name.
class HandOverOf final : public ToolWindow {
public:
    explicit HandOverOf(BatchToolWindow& w) : m_w(&w) {}
    QWidget* Window() override { return m_w; }
    void lblFilesToConvert(const QString& caption) override
    {
        if (m_w)
            m_w->lblFilesToConvert->setText(caption);
    }
    void StatusPanelText(const QString& key, const QString& text) override
    {
        if (m_w)
            m_w->cStatusBar1->StatusPanelText(key, text);
    }
    void txtUndeForlder(const QString& text) override
    {
        if (m_w)
            m_w->txtUndeForlder->setText(text);
    }
    cGrid* Grid() override { return m_w ? m_w->cGrid1 : nullptr; }

private:
    QPointer<BatchToolWindow> m_w;
};

}  // namespace

BatchToolWindow::BatchToolWindow(BatchToolSpec spec, QWidget* parent) : QDialog(parent), m_spec(std::move(spec))
{
    m_handOver = std::make_unique<HandOverOf>(*this);
    buildControls();
    Form_Load();
}

BatchToolWindow::~BatchToolWindow() = default;

ToolWindow& BatchToolWindow::HandOver() { return *m_handOver; }

BatchToolWindow::TaskState BatchToolWindow::State() const
{
    if (!cmdConvert->isEnabled())
        return TaskState::Running;
    return m_preparing ? TaskState::Preparing : TaskState::Idle;
}

void BatchToolWindow::buildControls()
{
    setWindowTitle(m_spec.caption);
    setModal(true);
    setFixedSize(TwipsToPixels(kWidth), TwipsToPixels(kHeight));
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPointSizeF(8.25);
    setFont(tahoma);

    picTitle = new QFrame(this);
    picTitle->setObjectName(QStringLiteral("picTitle"));
    PlaceTw(picTitle, 0, 0, kWidth, 495);
    lblTitle = new QLabel(m_spec.caption, picTitle);
    PlaceTw(lblTitle, 240, 90, kWidth - 480, 315);
    QFont titleFont = lblTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(11);
    lblTitle->setFont(titleFont);

    cGrid1 = new cGrid(this);
    cGrid1->setObjectName(QStringLiteral("cGrid1"));
    PlaceTw(cGrid1, 120, 600, kWidth - 240, 2460);

    cTabControl1 = new cTabControl(this);
    cTabControl1->setObjectName(QStringLiteral("cTabControl1"));
    PlaceTw(cTabControl1, 120, 3150, kWidth - 240, 2700);
    TabSettings = new QWidget(this);
    TabSettings->setObjectName(QStringLiteral("TabSettings"));
    TabEvents = new QWidget(this);
    TabEvents->setObjectName(QStringLiteral("TabEvents"));
    TabLog = new QWidget(this);
    TabLog->setObjectName(QStringLiteral("TabLog"));
    txtLog = new QPlainTextEdit(TabLog);
    txtLog->setObjectName(QStringLiteral("txtLog"));
    txtLog->setReadOnly(true);
    m_entryLog = std::make_unique<BufferedLog>(txtLog);

    // Settings tab.
    // The label column is wider than the twips the layout was drawn with: the desktop's fonts
    // need it for "File Name Format:".
    Label4 = label(QStringLiteral("Destination:"), TabSettings, 240, 270, 1635);
    txtToPath = new QComboBox(TabSettings);
    txtToPath->setObjectName(QStringLiteral("txtToPath"));
    txtToPath->setEditable(true);
    txtToPath->setInsertPolicy(QComboBox::NoInsert);
    // The typed folder is the one used: the box's own completion would fill in a history entry
    // that merely starts with what was typed (or matches it in another case) and keep it when
    // the focus moves on. An entry is used only when picked from the list.
    txtToPath->setCompleter(nullptr);
    txtToPath->lineEdit()->installEventFilter(new KeepEnterInBox(txtToPath));
    PlaceTw(txtToPath, 1920, 225, 5040, 330);
    cmdSelectPath = button(QStringLiteral("..."), TabSettings, 7020, 225, 435, 330);
    cmdSelectPath->setToolTip(QStringLiteral("Select a new directory"));
    lblSetAsDefaultDestination =
        link(QStringLiteral("Set as default"), QStringLiteral("Set as default destination"), TabSettings, 7560, 270, 1395);
    imgOpenDestFolder = new QLabel(TabSettings);
    PlaceTw(imgOpenDestFolder, 1920, 630, 255, 255);
    lblOpenDestinationDestinationFolder = link(QStringLiteral("Open destination folder"),
                                               QStringLiteral("Open destination folder"), TabSettings, 2220, 645, 2400);
    chkCreateSubFolder =
        checkBox(QStringLiteral("Under a new directory name:"), "chkCreateSubFolder", TabSettings, 240, 1035, 2880);
    txtUndeForlder = new QLineEdit(TabSettings);
    txtUndeForlder->setObjectName(QStringLiteral("txtUndeForlder"));
    PlaceTw(txtUndeForlder, 3180, 1005, 3780, 315);
    Label5 = label(QStringLiteral("Audio Format:"), TabSettings, 240, 1500, 1635);
    cboTargetFormat = new QComboBox(TabSettings);
    cboTargetFormat->setObjectName(QStringLiteral("cboTargetFormat"));
    PlaceTw(cboTargetFormat, 1920, 1455, 5040, 330);
    cmdEditTargetFormat = button(QStringLiteral("Edit"), TabSettings, 7020, 1455, 615, 330);
    cmdEditTargetFormat->setToolTip(QStringLiteral("Edit Target Audio Formats"));
    lblSetAsDefaultFormat =
        link(QStringLiteral("Set as default"), QStringLiteral("Set as default format"), TabSettings, 7740, 1500, 1215);
    if (m_spec.joinedFileName) {
        Label21 = label(QStringLiteral("File Name Format:"), TabSettings, 240, 1935, 1635);
        txtJoinedFileName = new QLineEdit(QStringLiteral("Joined_File-[date]-[time].[dest_extension]"), TabSettings);
        txtJoinedFileName->setObjectName(QStringLiteral("txtJoinedFileName"));
        PlaceTw(txtJoinedFileName, 1920, 1890, 5040, 315);
        lblParameters = link(QStringLiteral("Parameters"), QStringLiteral("Parameters"), TabSettings, 7020, 1935, 1215);
    }
    Image1 = new QLabel(TabSettings);

    // Events tab.
    Label20 = label(QStringLiteral("Events When Done:"), TabEvents, 240, 270, 3000);
    QFont bold = Label20->font();
    bold.setBold(true);
    Label20->setFont(bold);
    chkOpenDestFolder = checkBox(QStringLiteral("Open the destination folder"), "chkOpenDestFolder", TabEvents, 480, 690, 3600);
    chkNoticeApp = checkBox(QStringLiteral("Notice application "), "chkNoticeApp", TabEvents, 480, 1050, 3600);
    chkTurnOffComputer = checkBox(QStringLiteral("Turn off computer"), "chkTurnOffComputer", TabEvents, 4440, 690, 3600);
    chkPlaySound = checkBox(QStringLiteral("Play sound"), "chkPlaySound", TabEvents, 4440, 1050, 3600);
    lblEventsSettings = link(QStringLiteral("Events Options..."), QStringLiteral("Parameters"), TabEvents, 480, 1590, 2400);

    // Task state and progress.
    lblFilesToConvert = label(QString(), this, 120, 5940, 5400);
    lblFilesToConvert->setObjectName(QStringLiteral("lblFilesToConvert"));
    lblCurrentTrack = label(QStringLiteral("Ready."), this, 5640, 5940, kWidth - 5760);
    lblCurrentTrack->setObjectName(QStringLiteral("lblCurrentTrack"));
    lblCurrentTrack->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    prgCurrnet = new cProgressBar(this);
    prgCurrnet->setObjectName(QStringLiteral("prgCurrnet"));
    PlaceTw(prgCurrnet, 120, 6240, kWidth - 240, 180);
    prgTotal = new cProgressBar(this);
    prgTotal->setObjectName(QStringLiteral("prgTotal"));
    PlaceTw(prgTotal, 120, 6480, kWidth - 240, 180);
    cmdConvert = button(m_spec.startCaption, this, kWidth - 3720, 6840, 1095);
    cmdConvert->setObjectName(QStringLiteral("cmdConvert"));
    cmdAbort = button(QStringLiteral("Abort"), this, kWidth - 2520, 6840, 1095);
    cmdAbort->setObjectName(QStringLiteral("cmdAbort"));
    cmdExit = button(QStringLiteral("Exit"), this, kWidth - 1320, 6840, 1095);
    cmdExit->setObjectName(QStringLiteral("cmdExit"));
    cStatusBar1 = new cStatusBar(this);
    cStatusBar1->setSizeGripEnabled(false);
    PlaceTw(cStatusBar1, 0, kHeight - 375, kWidth, 375);

    connect(cTabControl1, &cTabControl::TabClick, this, [this](int index) { cTabControl1_TabClick(index); });
    connect(cmdSelectPath, &QPushButton::clicked, this, [this] { cmdSelectPath_Click(); });
    connect(txtToPath, &QComboBox::currentIndexChanged, this, [this](int index) { txtToPath_Click(index); });
    connect(lblSetAsDefaultDestination, &LinkLabel::Click, this, [this] { lblSetAsDefaultDestination_Click(); });
    connect(lblOpenDestinationDestinationFolder, &LinkLabel::Click, this,
            [this] { lblOpenDestinationDestinationFolder_Click(); });
    connect(chkCreateSubFolder, &QCheckBox::clicked, this, [this] { chkCreateSubFolder_Click(); });
    connect(cboTargetFormat, &QComboBox::currentIndexChanged, this, [this] { cboTargetFormat_Click(); });
    connect(cmdEditTargetFormat, &QPushButton::clicked, this, [this] { cmdEditTargetFormat_Click(); });
    connect(lblSetAsDefaultFormat, &LinkLabel::Click, this, [this] { lblSetAsDefaultFormat_Click(); });
    connect(lblEventsSettings, &LinkLabel::Click, this, [this] { lblEventsSettings_Click(); });
    if (lblParameters)
        connect(lblParameters, &LinkLabel::Click, this, [this] { lblParameters_Click(); });
    connect(cmdConvert, &QPushButton::clicked, this, [this] { cmdConvert_Click(); });
    connect(cmdAbort, &QPushButton::clicked, this, [this] { cmdAbort_Click(); });
    connect(cmdExit, &QPushButton::clicked, this, [this] { cmdExit_Click(); });
}

void BatchToolWindow::Form_Load()
{
    // 1. Icon.
    SetFormIcon(this, m_spec.iconResource, true);

    // 2. Colours.
    setBackColor(picTitle, ColorSwatch::ToQColor(ProgramOptions.picColor));
    QPalette titlePalette = lblTitle->palette();
    titlePalette.setColor(QPalette::WindowText, ColorSwatch::ToQColor(ProgramOptions.picTextColor));
    lblTitle->setPalette(titlePalette);
    bool ok = false;
    const long back = g_sAppBackColor.toLong(&ok);
    if (ok) {
        const QColor c = ColorSwatch::ToQColor(static_cast<int32_t>(back));
        for (QWidget* w : {static_cast<QWidget*>(this), TabSettings, TabEvents, TabLog,
                           static_cast<QWidget*>(chkPlaySound), static_cast<QWidget*>(chkOpenDestFolder),
                           static_cast<QWidget*>(chkTurnOffComputer), static_cast<QWidget*>(chkNoticeApp),
                           static_cast<QWidget*>(chkCreateSubFolder)})
            setBackColor(w, c);
    }
    prgCurrnet->BarColor(ProgramOptions.picColor);
    prgTotal->BarColor(ProgramOptions.picColor);

    // 3. Skin pictures; one that cannot be read leaves the colour.
    const QString view = platform::programFolder() + QStringLiteral("/View/");
    if (!g_sAppBackPicture.isEmpty()) {
        const QPixmap pic(view + g_sAppBackPicture);
        if (!pic.isNull())
            for (QWidget* w : {static_cast<QWidget*>(this), TabSettings, TabEvents, TabLog})
                setBackPicture(w, pic);
    }
    if (!g_sAppTitlePicture.isEmpty()) {
        const QPixmap pic(view + g_sAppTitlePicture);
        if (!pic.isNull())
            setBackPicture(picTitle, pic);
    }

    // 4. Tabs, with the main window's menu icons when it is there.
    const FrmMain* main = frmMain.loaded();
    const std::pair<QString, int> tabs[] = {{m_spec.tab1Caption, m_spec.tab1Icon},
                                            {QStringLiteral("Events") + QString(8, u' '), 10},
                                            {QStringLiteral("Log") + QString(13, u' '), 36}};
    const char* const keys[] = {"Settings", "Events", "Log"};
    for (int i = 0; i < 3; ++i) {
        cTabControl1->AddTab(tabs[i].first, QLatin1String(keys[i]));
        if (main)
            cTabControl1->tabBar()->setTabIcon(i, main->imgMenu.Icon(tabs[i].second));
    }

    // 5 to 7. Panels over the client area, the log inside its panel.
    PlaceTabPanels();
    HideTabPanels();
    TabSettings->setVisible(true);

    // 8.
    InitGrid(cGrid1, m_spec.itemIcons ? GridIcons::Items : GridIcons::Menu);

    // 9. Destination.
    LoadPathHistory(txtToPath);
    if (txtToPath->currentText().isEmpty())
        txtToPath->setEditText(DefaultItemsListsFolder());

    // 10. Target format: the default one of the options window.
    LoadTargetFormats();

    // 11 to 13.
    loadEventChecks();
    cStatusBar1->StatusAddPanel(0, QString(), QString(), -1, 200, false, false, 0, QStringLiteral("Total Size"));
    cStatusBar1->StatusAddPanel(0, QString(), QString(), -1, 64, false, false, 0, QStringLiteral("Total Time"));
    CheckUnderFolderEna();
}

void BatchToolWindow::loadEventChecks()
{
    chkNoticeApp->setChecked(BatchTool::OptionToCheckValue(ProgramOptions.chkNoticeApp) == 1);
    chkOpenDestFolder->setChecked(BatchTool::OptionToCheckValue(ProgramOptions.chkOpenDestFolder) == 1);
    chkPlaySound->setChecked(BatchTool::OptionToCheckValue(ProgramOptions.chkPlaySound) == 1);
    chkTurnOffComputer->setChecked(BatchTool::OptionToCheckValue(ProgramOptions.chkTurnOffComputer) == 1);
}

void BatchToolWindow::InitGrid(cGrid* grid, GridIcons icons)
{
    grid->RowHeight(24);
    if (FrmMain* main = frmMain.loaded())
        grid->ImageList(icons == GridIcons::Items ? &main->imgGrid : &main->imgMenu);
    // The task grid shows the first seven columns with its own headers and widths; the order
    // is the items grid's, because rows are copied into it column by column.
    static const std::pair<const char*, int> shown[] = {{"", 20},        {"Type", 40},      {"Item Name", 160},
                                                        {"Size", 80},    {"Time-Length", 80}, {"Created", 140},
                                                        {"Range", 120}};
    int i = 0;
    for (const ItemRow::ColumnDef& c : ItemRow::Columns()) {
        if (i < 7)
            grid->AddColumn(QLatin1String(c.key), QLatin1String(shown[i].first), 0, -1, shown[i].second);
        else
            grid->AddColumn(QLatin1String(c.key), QLatin1String(c.key), 0, -1, -1, false);
        ++i;
    }
    grid->FullRowSelect(true);
    grid->GridLines(true);
    grid->MultiSelect(true);
    grid->HeaderVisible(true);
    grid->Editable(false);
    grid->ForeColor(QGuiApplication::palette().color(QPalette::WindowText));
    grid->HotTrack(true);
    grid->ColumnReorder(false);
}

void BatchToolWindow::HideTabPanels()
{
    TabSettings->setVisible(false);
    TabEvents->setVisible(false);
    TabLog->setVisible(false);
}

void BatchToolWindow::cTabControl1_TabClick(int)
{
    HideTabPanels();
    const QString key = cTabControl1->SelectedKey();
    if (key == QLatin1String("Settings"))
        TabSettings->setVisible(true);
    else if (key == QLatin1String("Events"))
        TabEvents->setVisible(true);
    else if (key == QLatin1String("Log"))
        TabLog->setVisible(true);
}

void BatchToolWindow::cmdExit_Click() { close(); }

void BatchToolWindow::Form_Unload(bool& Cancel)
{
    if (!cmdConvert->isEnabled() || m_preparing) {
        Cancel = true;
        return;
    }
    ShutdownComponent();
}

void BatchToolWindow::closeEvent(QCloseEvent* event)
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

// Escape closes as the close box does.
void BatchToolWindow::reject() { close(); }

void BatchToolWindow::keyPressEvent(QKeyEvent* event)
{
    // Enter in a box or on a check box would press the window's default button, which is
    // whichever button follows the focus ("..." after the destination, "Edit" after the format):
    // none of them is what Enter means there. A focused button still takes its own Enter.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

QString BatchToolWindow::GetUnderFolder() const
{
    return BatchTool::GetUnderFolder(chkCreateSubFolder->isChecked(), txtUndeForlder->text());
}

QString BatchToolWindow::OutputFolder() const { return BatchTool::OutputFolder(txtToPath->currentText(), GetUnderFolder()); }

void BatchToolWindow::CheckUnderFolderEna()
{
    if (chkCreateSubFolder->isChecked()) {
        txtUndeForlder->setEnabled(true);
        txtUndeForlder->setFocus();
        txtUndeForlder->selectAll();
    } else {
        txtUndeForlder->setEnabled(false);
    }
}

void BatchToolWindow::chkCreateSubFolder_Click() { CheckUnderFolderEna(); }

void BatchToolWindow::cmdSelectPath_Click()
{
    QString path = BrowseForFolder(QStringLiteral("Select a new directory"), txtToPath->currentText(), this, true, {},
                                   true, false);
    if (path.isEmpty())
        return;
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    txtToPath->setEditText(path);
    SavePathHistory(txtToPath);
    LoadPathHistory(txtToPath);
}

void BatchToolWindow::txtToPath_Click(int index)
{
    if (index < 0)
        return;  // the list is being emptied, nothing is selected
    lblSetAsDefaultDestination->setEnabled(BatchTool::DestinationLinkEnabled(index));
}

void BatchToolWindow::lblSetAsDefaultDestination_Click()
{
    SavePathHistory(txtToPath);
    LoadPathHistory(txtToPath);
    lblSetAsDefaultDestination->setEnabled(false);
}

void BatchToolWindow::lblOpenDestinationDestinationFolder_Click()
{
    if (!txtToPath->currentText().endsWith(QLatin1Char('/')))
        txtToPath->setEditText(txtToPath->currentText() + QLatin1Char('/'));
    const QString folder = txtToPath->currentText() + GetUnderFolder();
    if (!IsFolder(folder)) {
        const int answer = platform::MsgBox(QStringLiteral("The folder ") + folder + QStringLiteral(" does not exist.") +
                                                QString(44, u' ') + QStringLiteral("\r\n\r\nWould you like to create it?"),
                                            platform::vbInformation | platform::vbYesNo, QString(), this);
        if (answer != platform::vbYes)
            return;
        if (CreateFolderPath(folder) != 0) {
            platform::MsgBox(QStringLiteral("The path: ") + folder + QStringLiteral(" cannot be created."),
                             platform::vbOKOnly, QString(), this);
            return;  // nothing there to open
        }
        SavePathHistory(txtToPath);
        LoadPathHistory(txtToPath);
    }
    ShellOpen(this, folder);
}

void BatchToolWindow::cboTargetFormat_Click()
{
    lblSetAsDefaultFormat->setEnabled(
        BatchTool::DefaultLinkEnabled(cboTargetFormat->currentText(), ProgramOptions.cboTargetFormat));
}

void BatchToolWindow::cmdEditTargetFormat_Click()
{
    FrmAudioProp* prop = g_frmAudioProp.get();
    prop->OpenOnFormat(cboTargetFormat->currentText().left(3));
    prop->exec();
    cboTargetFormat->setCurrentIndex(frmOptions->cboTargetFormat->currentIndex());
    lblSetAsDefaultFormat_Click();
}

void BatchToolWindow::lblSetAsDefaultFormat_Click()
{
    StoreDefault(QStringLiteral("cboTargetFormat"), cboTargetFormat->currentText(), &FrmOptions::cboTargetFormat,
                 ProgramOptions.cboTargetFormat);
    lblSetAsDefaultFormat->setEnabled(false);
}

void BatchToolWindow::StoreDefault(const QString& valueName, const QString& text, QComboBox* FrmOptions::*optionsBox,
                                   QString& option)
{
    RegistryRoutines reg;
    reg.hkey(platform::HKEY_LOCAL_MACHINE);
    reg.KeyRoot(SettingsKeyRoot());
    reg.Subkey(QStringLiteral("General"));
    reg.SetRegistryValue(valueName, text, platform::REG_SZ);
    // The options window may load only now, after the value is stored.
    QComboBox* box = frmOptions.get()->*optionsBox;
    box->setCurrentIndex(box->findText(text));
    option = text;
}

void BatchToolWindow::lblEventsSettings_Click()
{
    FrmOptions* options = frmOptions.get();
    options->OpenPage(QStringLiteral("Events"));
    options->exec();
    loadEventChecks();
}

void BatchToolWindow::lblParameters_Click()
{
    FrmProgParameters* w = g_frmProgParameters.get();
    w->cboSections->setCurrentIndex(2);
    w->exec();
}

void BatchToolWindow::Log(const QString& message)
{
    m_entryLog->Flush();
    AddLogLine(message, txtLog);
}

void BatchToolWindow::LogEntry(const QString& message) { m_entryLog->Add(message); }

void BatchToolWindow::cmdConvert_Click()
{
    if (!cmdConvert->isEnabled() || m_preparing)
        return;
    m_preparing = true;
    // 1, 2.
    OpenTaskLog();
    // 3, 4.
    Log(QStringLiteral("Preparing to ") + m_spec.verb + QStringLiteral(": ") + QString::number(cGrid1->Rows()) +
        QStringLiteral(" tracks."));
    m_bJobError = 0;
    // 5.
    ShowLogTab();
    // 6, 7.
    SetDestination();
    CreateUnderFolder();
    // 8.
    StartTask();
    m_preparing = false;
}

void BatchToolWindow::OpenTaskLog()
{
    // One empty line between tasks.
    m_entryLog->Flush();
    if (!txtLog->toPlainText().isEmpty()) {
        QTextCursor cursor(txtLog->document());
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(QStringLiteral("\r\n"));
    }
    // The destination in use heads the history.
    const QString destination = txtToPath->currentText();
    SavePathHistory(txtToPath);
    LoadPathHistory(txtToPath);
    txtToPath->setEditText(destination);
}

void BatchToolWindow::ShowLogTab()
{
    cTabControl1->SelectTab(QStringLiteral("Log"));
    cTabControl1_TabClick(cTabControl1->TabIndex(QStringLiteral("Log")));
}

void BatchToolWindow::CreateUnderFolder()
{
    if (chkCreateSubFolder->isChecked()) {
        const QString folder = OutputFolder();
        CreateFolderPath(folder.left(folder.size() - 1));
    }
}

void BatchToolWindow::EnterRunning()
{
    cmdConvert->setEnabled(false);
    cmdExit->setEnabled(false);
    lblCurrentTrack->setText(QStringLiteral("Processing..."));
}

void BatchToolWindow::ReportProgress(long item, long percent)
{
    if (percent <= 0)
        return;
    prgCurrnet->Value(percent);
    prgTotal->Value((item - 1) * 100 + percent);
    lblFilesToConvert->setText(QStringLiteral("Files: ") + QString::number(item) + QLatin1Char('/') +
                               QString::number(cGrid1->Rows()));
    setWindowTitle(g_sAppName + QLatin1Char(' ') + g_sAppVersion);
}

void BatchToolWindow::ShowBalloon(const QString& text)
{
    if (FrmMain* main = frmMain.loaded())
        main->cSysTray1->TrayBalloon(text, g_sAppName + QLatin1Char(' ') + g_sAppVersion, 1, 30);
}

void BatchToolWindow::GoodEnd()
{
    const QPointer<BatchToolWindow> self(this);
    ShowBalloon(QStringLiteral("Done."));
    lblCurrentTrack->setText(QStringLiteral("Done."));
    cmdConvert->setEnabled(true);
    cmdExit->setEnabled(true);
    DoEndEvents();
    if (!self)
        return;  // the count-down turned the computer off and everything was unloaded
    Log(QStringLiteral("Done."));
    prgCurrnet->Value(100);
    prgTotal->Value((cGrid1->Rows() - 1) * 100 + 100);
}

void BatchToolWindow::AbortEnd()
{
    cmdConvert->setEnabled(true);
    cmdExit->setEnabled(true);
    Log(QStringLiteral("Aborted."));
    lblCurrentTrack->setText(QStringLiteral("Aborted."));
}

void BatchToolWindow::ErrorEnd(long code, const QString& text)
{
    m_bJobError = -1;
    Log(QStringLiteral("Error: ") + text + QLatin1Char('(') + QString::number(code) + QLatin1Char(')'));
    cmdConvert->setEnabled(true);
    cmdExit->setEnabled(true);
}

void BatchToolWindow::cmdAbort_Click()
{
    if (cmdConvert->isEnabled())
        return;
    const int answer = platform::MsgBox(QStringLiteral("Abort operation?") + QString(38, u' '),
                                        platform::vbInformation | platform::vbYesNo, QString(), this);
    // The question is modal and the task may have ended while it was open: stopping an idle
    // component and announcing an abort after "Done." would both be wrong.
    if (answer != platform::vbYes || cmdConvert->isEnabled())
        return;
    AbortComponent();
    ShowBalloon(QStringLiteral("Aborted."));
}

void BatchToolWindow::PlaceTabPanels()
{
    for (QWidget* panel : {TabSettings, TabEvents, TabLog}) {
        PlaceTw(panel, cTabControl1->ClientLeft() - 50, cTabControl1->ClientTop(), cTabControl1->ClientWidth() + 50,
                cTabControl1->ClientHeight());
        panel->raise();
    }
    PlaceTw(txtLog, 100, 100, WidthTw(TabLog) - 200, HeightTw(TabLog) - 200);
}

void BatchToolWindow::LoadTargetFormats()
{
    {
        // Filling selects nothing; only choosing the default entry runs the box's handler, so
        // without a stored default the box stays empty and its link enabled.
        const QSignalBlocker quiet(cboTargetFormat);
        FillDestinationFormats(cboTargetFormat);
        cboTargetFormat->setCurrentIndex(-1);
    }
    const int format = cboTargetFormat->findText(frmOptions->cboTargetFormat->currentText());
    if (format >= 0)
        cboTargetFormat->setCurrentIndex(format);
}

void BatchToolWindow::SkinBackground(std::initializer_list<QWidget*> widgets)
{
    bool ok = false;
    const long back = g_sAppBackColor.toLong(&ok);
    if (!ok)
        return;
    const QColor c = ColorSwatch::ToQColor(static_cast<int32_t>(back));
    for (QWidget* w : widgets)
        setBackColor(w, c);
}

void BatchToolWindow::DoEndEvents()
{
    if (RunEndActions())
        ShowTurnOffDialog(30);
}

bool BatchToolWindow::RunEndActions()
{
    const std::vector<BatchTool::EndAction> actions =
        BatchTool::EndActions(chkPlaySound->isChecked(), chkOpenDestFolder->isChecked(), chkNoticeApp->isChecked(),
                              chkTurnOffComputer->isChecked(), m_bJobError != 0);
    bool turnOff = false;
    for (BatchTool::EndAction action : actions) {
        switch (action) {
        case BatchTool::EndAction::PlaySound: platform::endSound().play(ProgramOptions.txtPlayAtEnd); break;
        case BatchTool::EndAction::OpenFolder: ShellOpen(this, OutputFolder()); break;
        case BatchTool::EndAction::NoticeApp: RunNoticeApp(); break;
        case BatchTool::EndAction::TurnOff: turnOff = true; break;
        }
    }
    return turnOff;
}
