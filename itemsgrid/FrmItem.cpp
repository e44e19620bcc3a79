// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "itemsgrid/FrmItem.h"

#include "components/cAudioConverter.h"
#include "components/cDateTimePick.h"
#include "components/cGrid.h"
#include "foundation/mdlFunctions.h"
#include "foundation/mdlModes.h"
#include "foundation/mdlWindowUtils.h"
#include "itemsgrid/ItemInfo.h"
#include "itemsgrid/ItemRow.h"
#include "mainwindow/FrmMain.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "platform/Shell.h"
#include "settings/FrmOptions.h"
#include "settings/FrmProgParameters.h"
#include "settings/ProgramOptions.h"
#include "settings/controls/ColorSwatch.h"
#include "settings/controls/LinkLabel.h"
#include "settings/controls/TwipsGeometry.h"
#include "settings/controls/cTabControl.h"
#include "settings/controls/cTreeView.h"

#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>

using namespace ItemProperties;

namespace {

void setBackColor(QWidget* w, const QColor& c)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, c);
    if (qobject_cast<QRadioButton*>(w))
        p.setColor(QPalette::Button, c);  // what an option button fills its background with
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

void setForeColor(QWidget* w, const QColor& c)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, c);
    w->setPalette(p);
}

void setBackPicture(QWidget* w, const QPixmap& pic)
{
    QPalette p = w->palette();
    p.setBrush(QPalette::Window, pic);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

QLabel* label(const QString& text, QWidget* parent, int left, int top, int width = 1215)
{
    auto* l = new QLabel(text, parent);
    PlaceTw(l, left, top, width, 255);
    return l;
}

QLineEdit* textBox(const char* name, QWidget* parent, int left, int top, int width)
{
    auto* t = new QLineEdit(parent);
    t->setObjectName(QLatin1String(name));
    PlaceTw(t, left, top, width, 315);
    return t;
}

}  // namespace

FrmItem::FrmItem()
{
    setObjectName(QStringLiteral("g_frmItem"));
    setWindowTitle(QStringLiteral("Item Properties"));
    setModal(true);
    setFixedSize(TwipsToPixels(7110), TwipsToPixels(5835));
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPointSizeF(8.25);
    setFont(tahoma);

    picTitle = new QFrame(this);
    PlaceTw(picTitle, 240, 120, 6735, 375);
    lblTitle = new QLabel(QStringLiteral("App Name"), picTitle);
    PlaceTw(lblTitle, 120, 60, 6495, 255);
    QFont bold = lblTitle->font();
    bold.setBold(true);
    lblTitle->setFont(bold);

    cTabControl1 = new cTabControl(this);
    PlaceTw(cTabControl1, 240, 600, 6615, 4455);
    TabInfo = new QWidget(this);
    TabInfo->setObjectName(QStringLiteral("TabInfo"));
    TabRange = new QWidget(this);
    TabRange->setObjectName(QStringLiteral("TabRange"));
    TabTags = new QWidget(this);
    TabTags->setObjectName(QStringLiteral("TabTags"));

    // Page "Item Information": a name, a dash and the value on each line.
    const char* const names[] = {"Item Name", "File Name", "Location", "Total Time", "Total Size",
                                 "Created",   "Format",    "Samples",  "Bitrate",    "Channels"};
    for (int i = 0; i < 10; ++i) {
        label(QLatin1String(names[i]), TabInfo, 600, 360 * (i + 1) + 30);
        label(QStringLiteral("-"), TabInfo, 1920, 360 * (i + 1) + 30, 200);
    }
    txtItemName = textBox("txtItemName", TabInfo, 2160, 330, 3975);
    txtItemName->installEventFilter(this);
    lblFileName = new LinkLabel(QString(), TabInfo, true);
    lblFileName->setToolTip(QStringLiteral("Open file with external player"));
    PlaceTw(lblFileName, 2160, 750, 3975, 255);
    lblPath = new LinkLabel(QString(), TabInfo, true);
    lblPath->setToolTip(QStringLiteral("Open directory"));
    PlaceTw(lblPath, 2160, 1110, 3975, 255);
    QLabel** values[] = {&lblTotalTime, &lblTotalSize, &lblCreated, &lblFormat, &lblSamples, &lblBitrate, &lblChannels};
    for (int i = 0; i < 7; ++i)
        *values[i] = label(QString(), TabInfo, 2160, 1440 + 360 * i + 30, 3975);
    // Written on the "Samples" line, which stays empty when the file cannot be read.
    lblFileState = label(QString(), TabInfo, 2160, 2880 + 30, 3975);
    lblFileState->setObjectName(QStringLiteral("lblFileState"));
    setForeColor(lblFileState, QColor(176, 0, 0));

    // Page "Range To Process".
    ptnAllFile = new QRadioButton(QStringLiteral("Process all the file range"), TabRange);
    PlaceTw(ptnAllFile, 600, 480, 4500, 315);
    ptnConvertByTime = new QRadioButton(QStringLiteral("Process range by time"), TabRange);
    PlaceTw(ptnConvertByTime, 600, 1080, 4500, 315);
    ptnAllFile->setChecked(true);
    Label20 = label(QStringLiteral("Start after:"), TabRange, 840, 1560);
    dtStartAfter = new cDateTimePick(TabRange);
    dtStartAfter->setObjectName(QStringLiteral("dtStartAfter"));
    dtStartAfter->CustomFormat(QStringLiteral("HH:mm:ss"));
    PlaceTw(dtStartAfter, 840, 1800, 1215, 375);
    cmdGoTSoStart = new QPushButton(QStringLiteral("<<"), TabRange);
    cmdGoTSoStart->setToolTip(QStringLiteral("Go to start"));
    PlaceTw(cmdGoTSoStart, 2160, 1800, 495, 375);
    Label21 = label(QStringLiteral("Until:"), TabRange, 3240, 1560);
    dtUntil = new cDateTimePick(TabRange);
    dtUntil->setObjectName(QStringLiteral("dtUntil"));
    dtUntil->CustomFormat(QStringLiteral("HH:mm:ss"));
    PlaceTw(dtUntil, 3240, 1800, 1215, 375);
    cmdGoToEnd = new QPushButton(QStringLiteral(">>"), TabRange);
    cmdGoToEnd->setToolTip(QStringLiteral("Go to end"));
    PlaceTw(cmdGoToEnd, 4680, 1800, 495, 375);
    lblRangeNote = new QLabel(TabRange);
    lblRangeNote->setObjectName(QStringLiteral("lblRangeNote"));
    lblRangeNote->setWordWrap(true);
    PlaceTw(lblRangeNote, 840, 2400, 5400, 780);
    setForeColor(lblRangeNote, QColor(176, 0, 0));

    // Page "Destination ID3 Tags".
    label(QStringLiteral("Artist:"), TabTags, 600, 240);
    txtTagArtist = textBox("txtTagArtist", TabTags, 600, 480, 5130);
    label(QStringLiteral("Song:"), TabTags, 600, 840);
    txtTagSong = textBox("txtTagSong", TabTags, 600, 1080, 2475);
    label(QStringLiteral("Album:"), TabTags, 3240, 840);
    txtTagAlbum = textBox("txtTagAlbum", TabTags, 3240, 1080, 2475);
    label(QStringLiteral("Genre:"), TabTags, 600, 1440);
    txtTagGenre = textBox("txtTagGenre", TabTags, 600, 1680, 2475);
    label(QStringLiteral("Track:"), TabTags, 3240, 1440);
    txtTagTrack = textBox("txtTagTrack", TabTags, 3240, 1680, 2475);
    label(QStringLiteral("Year:"), TabTags, 600, 2040);
    txtTagYear = textBox("txtTagYear", TabTags, 600, 2280, 5130);
    label(QStringLiteral("Comment:"), TabTags, 600, 2880);
    txtTagComment = new QPlainTextEdit(TabTags);
    txtTagComment->setObjectName(QStringLiteral("txtTagComment"));
    txtTagComment->setTabChangesFocus(true);
    txtTagComment->document()->setDocumentMargin(1);  // two lines fit the low box
    PlaceTw(txtTagComment, 600, 3120, 5130, 435);
    lblID3TagParameters = new LinkLabel(QStringLiteral("Parameters"), TabTags, true);
    PlaceTw(lblID3TagParameters, 4920, 240, 1200, 255);
    lblDefaultID3Tags = new LinkLabel(QStringLiteral("Default ID3 Tags Options..."), TabTags, true);
    PlaceTw(lblDefaultID3Tags, 600, 3720, 3000, 255);

    cmdOk = new QPushButton(QStringLiteral("OK"), this);
    PlaceTw(cmdOk, 360, 5280, 1335, 375);
    cmdApply = new QPushButton(QStringLiteral("Apply"), this);
    PlaceTw(cmdApply, 1800, 5280, 1335, 375);
    cmdExit = new QPushButton(QStringLiteral("Exit"), this);
    PlaceTw(cmdExit, 3600, 5280, 1335, 375);
    cmdBack = new QPushButton(QStringLiteral("<<"), this);
    cmdBack->setToolTip(QStringLiteral("Previous item"));
    PlaceTw(cmdBack, 5760, 5280, 495, 375);
    cmdNext = new QPushButton(QStringLiteral(">>"), this);
    cmdNext->setToolTip(QStringLiteral("Next item"));
    PlaceTw(cmdNext, 6240, 5280, 495, 375);
    for (QPushButton* b : {cmdOk, cmdApply, cmdExit, cmdBack, cmdNext, cmdGoTSoStart, cmdGoToEnd})
        b->setAutoDefault(false);

    cAudioConverter1 = CreateAudioConverter();

    connect(cTabControl1, &cTabControl::TabClick, this, [this](int) { cTabControl1_TabClick(); });
    connect(cmdOk, &QPushButton::clicked, this, &FrmItem::cmdOk_Click);
    connect(cmdApply, &QPushButton::clicked, this, &FrmItem::cmdApply_Click);
    connect(cmdExit, &QPushButton::clicked, this, &FrmItem::cmdExit_Click);
    connect(cmdNext, &QPushButton::clicked, this, &FrmItem::cmdNext_Click);
    connect(cmdBack, &QPushButton::clicked, this, &FrmItem::cmdBack_Click);
    connect(ptnAllFile, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            ptnAllFile_Click();
    });
    connect(ptnConvertByTime, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            ptnConvertByTime_Click();
    });
    connect(dtStartAfter, &cDateTimePick::Change, this, &FrmItem::dtStartAfter_Change);
    connect(dtUntil, &cDateTimePick::Change, this, &FrmItem::dtUntil_Change);
    connect(cmdGoTSoStart, &QPushButton::clicked, this, &FrmItem::cmdGoTSoStart_Click);
    connect(cmdGoToEnd, &QPushButton::clicked, this, &FrmItem::cmdGoToEnd_Click);
    connect(lblFileName, &LinkLabel::Click, this, &FrmItem::lblFileName_Click);
    connect(lblPath, &LinkLabel::Click, this, &FrmItem::lblPath_Click);
    connect(lblID3TagParameters, &LinkLabel::Click, this, &FrmItem::lblID3TagParameters_Click);
    connect(lblDefaultID3Tags, &LinkLabel::Click, this, &FrmItem::lblDefaultID3Tags_Click);

    Form_Load();
}

FrmItem::~FrmItem()
{
    if (cAudioConverter1)
        cAudioConverter1->Release();
}

void FrmItem::Form_Load()
{
    SetFormIcon(this, QStringLiteral("document_music"), true);

    setBackColor(picTitle, ColorSwatch::ToQColor(ProgramOptions.picColor));
    setForeColor(lblTitle, ColorSwatch::ToQColor(ProgramOptions.picTextColor));
    bool ok = false;
    const long back = g_sAppBackColor.toLong(&ok);
    if (ok && !g_sAppBackColor.isEmpty()) {
        const QColor color = ColorSwatch::ToQColor(static_cast<int32_t>(back));
        for (QWidget* w : std::initializer_list<QWidget*>{this, TabInfo, TabRange, TabTags, ptnAllFile, ptnConvertByTime})
            setBackColor(w, color);
    }
    const QString view = platform::programFolder() + QStringLiteral("/View/");
    if (!g_sAppBackPicture.isEmpty()) {
        const QPixmap pic(view + g_sAppBackPicture);
        if (!pic.isNull())
            for (QWidget* w : std::initializer_list<QWidget*>{this, TabInfo, TabRange, TabTags})
                setBackPicture(w, pic);
    }
    if (!g_sAppTitlePicture.isEmpty()) {
        const QPixmap pic(view + g_sAppTitlePicture);
        if (!pic.isNull())
            setBackPicture(picTitle, pic);
    }

    FrmMain* main = frmMain.get();
    m_grid = main->cGrid1;
    struct TabDef {
        const char* caption;
        int image;
        const char* key;
    };
    const TabDef tabs[] = {{"Item Information", 39, "Item Information"},
                           {"Range To Process", 23, "Range"},
                           {"Destination ID3 Tags  ", 18, "ID3 Tags"}};
    for (const TabDef& t : tabs) {
        cTabControl1->AddTab(QLatin1String(t.caption), QLatin1String(t.key));
        cTabControl1->tabBar()->setTabIcon(cTabControl1->TabCount() - 1, main->imgMenu.Icon(t.image));
    }

    // The panels lie over the tab control's client area, 50 twips further left and wider.
    for (QWidget* panel : {TabInfo, TabRange, TabTags})
        PlaceTw(panel, cTabControl1->ClientLeft() - 50, cTabControl1->ClientTop(), cTabControl1->ClientWidth() + 50,
                cTabControl1->ClientHeight());
    HideTabPanels();
    TabInfo->show();
    TabInfo->raise();

    lItem = m_grid->CurrentRow();
    l_lGridRowNum = lItem;
    GetFileInfo();
    EnableRangeControls();
    GetRangeOptions();
    SetIDvTags();
    EnableSteps();
}

QString FrmItem::CellText(long row, const QString& key) const
{
    if (!m_grid || row < 1 || row > m_grid->Rows())
        return {};
    const long col = m_grid->ColumnIndex(key);
    return col > 0 ? m_grid->model().Text(row, col) : QString();
}

std::optional<long> FrmItem::TotalSeconds() const { return DurationSeconds(lblTotalTime->text()); }

void FrmItem::GetFileInfo()
{
    const long row = l_lGridRowNum;
    lblTitle->setText(CellText(lItem, ItemRow::COL_ITEM_NAME));
    const QString path = CellText(row, COL_FILE);
    const AudioFacts facts = ProbeAudioFacts(*cAudioConverter1, path);
    txtItemName->setText(CellText(row, ItemRow::COL_ITEM_NAME));
    lblFileName->setText(GetFileName(path));
    lblTotalSize->setText(CellText(row, ItemRow::COL_SIZE));
    lblTotalTime->setText(CellText(row, ItemRow::COL_TIME));
    lblCreated->setText(CellText(row, ItemRow::COL_CREATED));
    lblFormat->setText(FormatText(path));
    lblSamples->setText(SamplesText(facts));
    lblBitrate->setText(BitsText(facts));
    lblChannels->setText(ChannelsText(facts));
    lblFileState->setText(facts.readable ? QString() : QStringLiteral("The file cannot be read."));
    lblPath->setText(GetFolderOfFile(path));
    cAudioConverter1->Release();

    dtStartAfter->Value(0);
    if (const std::optional<long> until = DurationSeconds(CellText(m_grid ? m_grid->CurrentRow() : 0, ItemRow::COL_TIME)))
        dtUntil->Value(*until);
}

void FrmItem::SetIDvTags()
{
    const long row = l_lGridRowNum;
    txtTagAlbum->setText(CellText(row, COL_TAG_ALBUM));
    txtTagArtist->setText(CellText(row, COL_TAG_ARTIST));
    txtTagComment->setPlainText(CellText(row, COL_TAG_COMMENT));
    txtTagGenre->setText(CellText(row, COL_TAG_GEN));
    txtTagSong->setText(CellText(row, COL_TAG_TITLE));
    txtTagTrack->setText(CellText(row, COL_TAG_TRACK));
    txtTagYear->setText(CellText(row, COL_TAG_YEAR));
}

void FrmItem::GetRangeOptions()
{
    const RangeCells cells{CellText(lItem, COL_RANGE_ALL), CellText(lItem, COL_RANGE_START_TIME),
                           CellText(lItem, COL_RANGE_LENGTH_TIME)};
    const RangePage shown{ptnConvertByTime->isChecked(), dtStartAfter->Value(), dtUntil->Value(), {}};
    const RangePage page = ItemProperties::GetRangeOptions(cells, TotalSeconds(), shown);
    if (page.byTime)
        ptnConvertByTime->setChecked(true);
    else
        ptnAllFile->setChecked(true);
    dtStartAfter->Value(page.start);
    dtUntil->Value(page.until);
    lblRangeNote->setText(page.note);
}

void FrmItem::EnableRangeControls()
{
    const bool on = ptnConvertByTime->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{dtStartAfter, dtUntil, cmdGoTSoStart, cmdGoToEnd, Label20, Label21})
        w->setEnabled(on);
}

void FrmItem::HideTabPanels()
{
    TabInfo->hide();
    TabRange->hide();
    TabTags->hide();
}

void FrmItem::cTabControl1_TabClick()
{
    HideTabPanels();
    const QString key = cTabControl1->SelectedKey();
    QWidget* panel = nullptr;
    if (key == QLatin1String("Item Information"))
        panel = TabInfo;
    else if (key == QLatin1String("Range"))
        panel = TabRange;
    else if (key == QLatin1String("ID3 Tags"))
        panel = TabTags;
    if (panel) {
        panel->show();
        panel->raise();
    }
}

void FrmItem::EnableSteps()
{
    cmdNext->setEnabled(m_grid && StepTarget(*m_grid, l_lGridRowNum, +1) != 0);
    cmdBack->setEnabled(m_grid && StepTarget(*m_grid, l_lGridRowNum, -1) != 0);
}

void FrmItem::GoToRow(long row)
{
    if (!m_grid || row < 1 || row > m_grid->Rows())
        return;
    m_grid->CurrentRow(row);
    lItem = row;
    GetFileInfo();
    SetIDvTags();
    EnableRangeControls();
    GetRangeOptions();
    EnableSteps();
}

void FrmItem::cmdNext_Click()
{
    if (!m_grid)
        return;
    const long target = StepTarget(*m_grid, l_lGridRowNum, +1);
    if (target == 0)
        return;
    l_lGridRowNum = target;
    GoToRow(l_lGridRowNum);
}

void FrmItem::cmdBack_Click()
{
    if (!m_grid)
        return;
    const long target = StepTarget(*m_grid, l_lGridRowNum, -1);
    if (target == 0)
        return;
    l_lGridRowNum = target;
    GoToRow(l_lGridRowNum);
}

int FrmItem::ApplyItemProperties()
{
    Edits edits;
    edits.itemName = txtItemName->text();
    edits.byTime = ptnConvertByTime->isChecked();
    edits.start = dtStartAfter->Value();
    edits.until = dtUntil->Value();
    edits.tags = Tags{txtTagAlbum->text(), txtTagArtist->text(), txtTagComment->toPlainText(), txtTagGenre->text(),
                      txtTagSong->text(),  txtTagTrack->text(),  txtTagYear->text()};
    const ApplyResult r = ItemProperties::ApplyItemProperties(edits);
    txtItemName->setText(r.trimmedName);
    if (!r.message.isEmpty())
        platform::MsgBox(r.message, platform::vbInformation, {}, this);
    // The focus moves only when the name box can take it (its page is the one shown).
    if (r.focusName && TabInfo->isVisible())
        txtItemName->setFocus();
    if (r.illegalNameTip) {
        int16_t key = '?';
        FilterFileNameKey(txtItemName, key);
    }
    if (r.result != 0 || !m_grid)
        return r.result;
    WriteCells(*m_grid, r.writes, l_lGridRowNum, lItem);
    if (FrmMain* main = frmMain.loaded()) {
        main->SaveGridToFile();
        // A new range changes the list's total time on the status panel.
        main->DisplayGridInfoStatusBar();
    }
    return 0;
}

void FrmItem::cmdOk_Click()
{
    if (ApplyItemProperties() == 0)
        g_frmItem.unload();
}

void FrmItem::cmdApply_Click() { ApplyItemProperties(); }

void FrmItem::cmdExit_Click() { g_frmItem.unload(); }

void FrmItem::ptnAllFile_Click() { EnableRangeControls(); }
void FrmItem::ptnConvertByTime_Click() { EnableRangeControls(); }

void FrmItem::dtStartAfter_Change(long seconds)
{
    const long held = ClampToTotal(seconds, TotalSeconds());
    if (held != seconds)
        dtStartAfter->Value(held);
}

void FrmItem::dtUntil_Change(long seconds)
{
    const long held = ClampToTotal(seconds, TotalSeconds());
    if (held != seconds)
        dtUntil->Value(held);
}

void FrmItem::cmdGoTSoStart_Click() { dtStartAfter->Value(0); }

void FrmItem::cmdGoToEnd_Click()
{
    if (const std::optional<long> total = TotalSeconds())
        dtUntil->Value(*total);
}

bool FrmItem::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtItemName && event->type() == QEvent::KeyPress) {
        // One 16-bit character at a time is what the filter knows; a character beyond 16 bits
        // (two units) or an input method's text passes as typed.
        const QString typed = static_cast<QKeyEvent*>(event)->text();
        if (typed.size() == 1 && typed.at(0).unicode() >= 32 && !typed.at(0).isSurrogate()) {
            auto key = static_cast<int16_t>(typed.at(0).unicode());
            txtItemName_KeyPress(key);
            if (key == 0)
                return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void FrmItem::txtItemName_KeyPress(int16_t& KeyAscii) { FilterFileNameKey(txtItemName, KeyAscii); }

void FrmItem::lblFileName_Click() { platform::shell().open(CellText(m_grid ? m_grid->CurrentRow() : 0, COL_FILE)); }

void FrmItem::lblPath_Click() { ShellOpen(this, lblPath->text()); }

void FrmItem::lblID3TagParameters_Click()
{
    FrmProgParameters* w = g_frmProgParameters.get();
    w->cboSections->setCurrentIndex(1);
    w->exec();
}

void FrmItem::lblDefaultID3Tags_Click()
{
    FrmOptions* options = frmOptions.get();
    QTreeWidgetItem* node = options->cTreeView1->NodeByKey(QStringLiteral("ID3 Tags"));
    options->cTreeView1->SelectNode(node);
    options->cTreeView1_NodeClick(node);
    options->exec();
}

void ShowItemProperties(QWidget* owner)
{
    if (owner)
        owner->setCursor(Qt::WaitCursor);
    QPointer<FrmItem> w = g_frmItem.get();
    if (owner)
        owner->unsetCursor();
    if (w)
        w->exec();
}
