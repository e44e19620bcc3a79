// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "mainwindow/FrmDirProperties.h"

#include "foundation/mdlFunctions.h"
#include "foundation/mdlModes.h"
#include "mainwindow/ItemsListTree.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "settings/ProgramOptions.h"
#include "settings/controls/ColorSwatch.h"
#include "settings/controls/LinkLabel.h"
#include "settings/controls/TwipsGeometry.h"
#include "settings/controls/cTabControl.h"
#include "settings/controls/cTreeView.h"

#include <QApplication>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>

namespace {

void setBackColor(QWidget* w, const QColor& c)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, c);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

void setForeColor(QWidget* w, const QColor& c)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, c);
    w->setPalette(p);
}

// A label keeps the desktop's text colour of its own, so the colour given to the page it sits on
// (the title-text colour, meant for a title strip) does not reach it.
void keepOwnForeColor(QLabel* label)
{
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, QApplication::palette(label).color(QPalette::WindowText));
    label->setPalette(p);
}

void setBackPicture(QWidget* w, const QPixmap& pic)
{
    QPalette p = w->palette();
    p.setBrush(QPalette::Window, pic);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

}  // namespace

FrmDirProperties::FrmDirProperties()
{
    setWindowTitle(QStringLiteral("Items List Properties"));
    setModal(false);
    setFixedSize(TwipsToPixels(5520), TwipsToPixels(4200));

    picTitle = new QFrame(this);
    PlaceTw(picTitle, 0, 0, 5520, 420);
    lblTitle = new QLabel(QStringLiteral("Properties"), picTitle);
    PlaceTw(lblTitle, 120, 90, 5000, 255);
    QFont bold = lblTitle->font();
    bold.setBold(true);
    lblTitle->setFont(bold);

    cTabControl1 = new cTabControl(this);
    PlaceTw(cTabControl1, 120, 540, 5280, 2940);
    TabGeneral = new QWidget(this);

    lblFolderName = new QLabel(QStringLiteral("Items List Name:"), TabGeneral);
    PlaceTw(lblFolderName, 120, 120, 4900, 255);
    txtFolderName = new QLineEdit(TabGeneral);
    txtFolderName->setObjectName(QStringLiteral("txtFolderName"));
    PlaceTw(txtFolderName, 120, 390, 4900, 315);
    txtFolderName->setEnabled(false);
    txtFolderName->installEventFilter(this);

    lblPath = new QLabel(QStringLiteral("Path:"), TabGeneral);
    PlaceTw(lblPath, 120, 840, 4900, 255);
    txtPath = new QLineEdit(TabGeneral);
    txtPath->setObjectName(QStringLiteral("txtPath"));
    txtPath->setReadOnly(true);
    PlaceTw(txtPath, 120, 1110, 4900, 315);

    lblThisFolderContain = new QLabel(QStringLiteral("This items list contains:"), TabGeneral);
    PlaceTw(lblThisFolderContain, 120, 1560, 4900, 255);
    lblContain = new QLabel(TabGeneral);
    PlaceTw(lblContain, 120, 1830, 4900, 255);

    imgOpenDestFolder = new QLabel(TabGeneral);
    PlaceTw(imgOpenDestFolder, 120, 2220, 240, 240);
    imgOpenDestFolder->setPixmap(style()->standardIcon(QStyle::SP_DirOpenIcon).pixmap(16, 16));
    lblOpenDestinationDestinationFolder = new LinkLabel(QStringLiteral("Open destination folder"), TabGeneral);
    PlaceTw(lblOpenDestinationDestinationFolder, 420, 2220, 3000, 255);

    for (QLabel* l : {lblFolderName, lblPath, lblThisFolderContain, lblContain})
        keepOwnForeColor(l);

    cmdOk = new QPushButton(QStringLiteral("OK"), this);
    PlaceTw(cmdOk, 2880, 3630, 1215, 375);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    PlaceTw(cmdCancel, 4185, 3630, 1215, 375);
    cmdOk->setDefault(true);

    connect(cmdOk, &QPushButton::clicked, this, &FrmDirProperties::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &FrmDirProperties::cmdCancel_Click);
    connect(lblOpenDestinationDestinationFolder, &LinkLabel::Click, this,
            &FrmDirProperties::lblOpenDestinationDestinationFolder_Click);
    Form_Load();
}

void FrmDirProperties::Form_Load()
{
    setBackColor(picTitle, ColorSwatch::ToQColor(ProgramOptions.picColor));
    const QColor text = ColorSwatch::ToQColor(ProgramOptions.picTextColor);
    setForeColor(lblTitle, text);
    setForeColor(TabGeneral, text);

    bool ok = false;
    const long back = g_sAppBackColor.toLong(&ok);
    if (ok)
        setBackColor(this, ColorSwatch::ToQColor(static_cast<int32_t>(back)));

    const QString view = platform::programFolder() + QStringLiteral("/View/");
    if (!g_sAppBackPicture.isEmpty()) {
        const QPixmap pic(view + g_sAppBackPicture);
        if (!pic.isNull()) {
            setBackPicture(this, pic);
            setBackPicture(TabGeneral, pic);
        }
    }
    if (!g_sAppTitlePicture.isEmpty()) {
        const QPixmap pic(view + g_sAppTitlePicture);
        if (!pic.isNull())
            setBackPicture(picTitle, pic);
    }

    TabAdd(QStringLiteral("Information"));
    TabGeneral->setGeometry(TwipsToPixels(cTabControl1->ClientLeft()), TwipsToPixels(cTabControl1->ClientTop()),
                            TwipsToPixels(cTabControl1->ClientWidth()), TwipsToPixels(cTabControl1->ClientHeight()));
    TabGeneral->raise();
}

void FrmDirProperties::TabAdd(const QString& sCaption) { cTabControl1->AddTab(sCaption, sCaption); }

void FrmDirProperties::SetList(ItemsListTree* lists, const QString& sKey)
{
    m_lists = lists;
    m_key = sKey;
}

bool FrmDirProperties::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtFolderName && event->type() == QEvent::KeyPress) {
        const QString typed = static_cast<QKeyEvent*>(event)->text();
        if (typed.size() == 1 && typed.at(0).unicode() >= 32) {
            auto key = static_cast<int16_t>(typed.at(0).unicode());
            txtFolderName_KeyPress(key);
            if (key == 0)
                return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void FrmDirProperties::txtFolderName_KeyPress(int16_t& KeyAscii) { FilterFileNameKey(txtFolderName, KeyAscii); }

void FrmDirProperties::cmdCancel_Click() { g_frmDirProperties.unload(); }

void FrmDirProperties::cmdOk_Click()
{
    if (!bEditFolderName) {
        g_frmDirProperties.unload();
        return;
    }
    const QString name = txtFolderName->text().trimmed();
    txtFolderName->setText(name);
    if (name.isEmpty()) {
        platform::MsgBox(QStringLiteral("Empty Item Name.") + QString(42, u' '), platform::vbInformation, {}, this);
        txtFolderName->setFocus();
        return;
    }
    if (!IsValidFileName(name)) {
        platform::MsgBox(QStringLiteral("Illegal Item Name.") + QString(42, u' '), platform::vbInformation, {}, this);
        txtFolderName->setFocus();
        int16_t key = '?';
        FilterFileNameKey(txtFolderName, key);
        return;
    }

    // The list shown here, not whichever node has been selected since.
    QTreeWidgetItem* node = m_lists ? m_lists->NodeByKey(m_key) : nullptr;
    if (!node || name == cTreeView::Text(node)) {
        g_frmDirProperties.unload();
        return;
    }
    const QString key = cTreeView::Key(node);
    if (!IsCDNode(key) && !IsMainNode(key)) {
        QString error;
        switch (m_lists->RenameList(node, name, &error)) {
        case ItemsListTree::RenameResult::Exists:
            platform::MsgBox(QStringLiteral("Folder name already exists, please select a different name."),
                             platform::vbInformation, {}, this);
            txtFolderName->setFocus();
            return;
        case ItemsListTree::RenameResult::Failed:
            platform::MsgBox(error, platform::vbInformation, {}, this);
            txtFolderName->setFocus();
            return;
        case ItemsListTree::RenameResult::Renamed:
            break;
        }
    }
    if (m_lists->SelectedNode() == node)
        m_lists->SetListName(name);
    node->setText(0, name);
    g_frmDirProperties.unload();
}

void FrmDirProperties::lblOpenDestinationDestinationFolder_Click()
{
    QString path = txtPath->text();
    if (IsCDNode(path))
        return;  // a drive has no folder of ours
    if (path.startsWith(kMainItemsKeyPrefix))
        path = path.mid(kMainItemsKeyPrefix.size());
    if (QFileInfo(path).isFile()) {
        // A list's path names its file: the folder holding it is what there is to open.
        ShellOpen(this, GetFolderFromPath(path));
        return;
    }
    if (!path.endsWith(u'/'))
        path += u'/';
    txtPath->setText(path);
    if (!IsFolder(path)) {
        const QString ask = QStringLiteral("The folder ") + path + QStringLiteral(" does not exist.") + QString(44, u' ') +
                            QStringLiteral("\r\n\r\n") + QStringLiteral("Would you like to create it?");
        if (platform::MsgBox(ask, platform::vbInformation | platform::vbYesNo, {}, this) != platform::vbYes)
            return;
        if (CreateFolderPath(path) != 0)
            platform::MsgBox(QStringLiteral("The path: ") + path + QStringLiteral(" cannot be created."), platform::vbOKOnly, {}, this);
    }
    ShellOpen(this, path);
}

void ShowItemsListProperties(ItemsListTree& lists, QTreeWidgetItem* node, const QString& sContain)
{
    if (!node)
        return;
    FrmDirProperties* w = g_frmDirProperties.get();
    w->txtFolderName->setText(cTreeView::Text(node));
    w->lblContain->setText(sContain);
    w->txtPath->setText(cTreeView::Key(node));
    if (IsMainNode(cTreeView::Key(node))) {
        g_frmDirProperties.unload();
        return;
    }
    w->SetList(&lists, cTreeView::Key(node));
    w->bEditFolderName = true;
    w->txtFolderName->setEnabled(true);
    w->show();
}
