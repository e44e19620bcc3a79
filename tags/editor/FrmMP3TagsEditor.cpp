// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tags/editor/FrmMP3TagsEditor.h"

#include "foundation/Twips.h"
#include "foundation/mdlCommDialog.h"
#include "foundation/mdlModes.h"
#include "foundation/mdlWindowUtils.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "settings/ProgramOptions.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>

namespace {

// Colours are stored as 0x00BBGGRR.
QColor colourFromBgr(long bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

void setBackground(QWidget* w, const QColor& colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colour);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

void setBackgroundPicture(QWidget* w, const QString& file)
{
    if (!QFileInfo::exists(file))
        return;
    QPalette p = w->palette();
    p.setBrush(QPalette::Window, QBrush(QPixmap(file)));
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

// Twips to pixels for a rectangle.
void place(QWidget* w, int left, int top, int width, int height)
{
    w->setGeometry(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height));
}

QLabel* label(QWidget* parent, const QString& text, int left, int top, int width = 1500)
{
    auto* l = new QLabel(text, parent);
    place(l, left, top + 40, width, 255);
    return l;
}

constexpr int kTabLeft = 120, kTabTop = 1560, kTabWidth = 6915, kTabHeight = 4335, kTabBarHeight = 360;
constexpr int kClientLeft = kTabLeft + 60 + 50;  // the panels are widened 50 twips to the left
constexpr int kClientTop = kTabTop + kTabBarHeight;
constexpr int kClientWidth = kTabWidth - 120 - 50;
constexpr int kClientHeight = kTabHeight - kTabBarHeight - 60;

}  // namespace

FrmMP3TagsEditor::FrmMP3TagsEditor()
{
    setWindowTitle(QStringLiteral("MP3 Tags Editor"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    resize(TwipsToPixels(7155), TwipsToPixels(6690));

    picTitle = new QWidget(this);
    place(picTitle, 0, 0, 7155, 495);
    lblTitleMain = new QLabel(QStringLiteral("MP3 Tags Editor"), picTitle);
    QFont titleFont = lblTitleMain->font();
    titleFont.setBold(true);
    lblTitleMain->setFont(titleFont);
    place(lblTitleMain, 120, 120, 5000, 285);

    lblSourceFIle = new QLabel(QStringLiteral("Source File:"), this);
    place(lblSourceFIle, 120, 600, 1200, 255);
    sSourceFile = new QPlainTextEdit(this);
    sSourceFile->setReadOnly(true);
    place(sSourceFile, 1320, 600, 5235, 495);
    cmdSelectFile = new QPushButton(QStringLiteral("..."), this);
    place(cmdSelectFile, 6615, 600, 420, 315);
    Label1 = new QLabel(QStringLiteral("Version:"), this);
    place(Label1, 120, 1170, 1200, 255);
    cboID3 = new QComboBox(this);
    cboID3->setEditable(false);
    place(cboID3, 1320, 1140, 2175, 315);

    cTabControl1 = new QTabBar(this);
    cTabControl1->setExpanding(false);
    place(cTabControl1, kTabLeft, kTabTop, kTabWidth, kTabBarHeight);

    froGeneral = new QWidget(this);
    froAdvanced = new QWidget(this);
    froLyric = new QWidget(this);

    const int boxLeft = 1650, boxWidth = kClientWidth - boxLeft - 170;
    label(froGeneral, QStringLiteral("Artist"), 170, 120);
    txtArtist = new QLineEdit(froGeneral);
    place(txtArtist, boxLeft, 120, boxWidth, 315);
    label(froGeneral, QStringLiteral("Title"), 170, 540);
    txtTitle = new QLineEdit(froGeneral);
    place(txtTitle, boxLeft, 540, boxWidth, 315);
    label(froGeneral, QStringLiteral("Album"), 170, 960);
    txtAlbum = new QLineEdit(froGeneral);
    place(txtAlbum, boxLeft, 960, boxWidth, 315);
    label(froGeneral, QStringLiteral("Comment"), 170, 1380);
    txtDescription = new QPlainTextEdit(froGeneral);
    txtDescription->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    place(txtDescription, boxLeft, 1380, boxWidth, 855);
    label(froGeneral, QStringLiteral("Year"), 170, 2340);
    txtYear = new QLineEdit(froGeneral);
    place(txtYear, boxLeft, 2340, 1200, 315);
    label(froGeneral, QStringLiteral("Genre"), 170, 2760);
    cboGenre = new QComboBox(froGeneral);
    cboGenre->setEditable(true);
    cboGenre->setInsertPolicy(QComboBox::NoInsert);
    place(cboGenre, boxLeft, 2760, 3000, 315);
    label(froGeneral, QStringLiteral("Track Number"), 170, 3180);
    txtTrackNum = new QLineEdit(froGeneral);
    place(txtTrackNum, boxLeft, 3180, 1200, 315);

    label(froAdvanced, QStringLiteral("Original Artist"), 170, 120);
    txtOriginalArtist = new QLineEdit(froAdvanced);
    place(txtOriginalArtist, boxLeft, 120, boxWidth, 315);
    label(froAdvanced, QStringLiteral("URL"), 170, 540);
    txtURL = new QLineEdit(froAdvanced);
    place(txtURL, boxLeft, 540, boxWidth, 315);
    label(froAdvanced, QStringLiteral("Encoded By"), 170, 960);
    txtEncodedBy = new QLineEdit(froAdvanced);
    place(txtEncodedBy, boxLeft, 960, boxWidth, 315);
    label(froAdvanced, QStringLiteral("Copyright"), 170, 1380);
    txtCopyright = new QLineEdit(froAdvanced);
    place(txtCopyright, boxLeft, 1380, boxWidth, 315);

    label(froLyric, QStringLiteral("Lyrics"), 170, 120);
    txtLyric = new QPlainTextEdit(froLyric);
    txtLyric->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    place(txtLyric, 170, 420, kClientWidth - 340, kClientHeight - 540);

    cmdApply = new QPushButton(QStringLiteral("Apply"), this);
    cmdApply->setEnabled(false);
    place(cmdApply, 4440, 6000, 1215, 375);
    cmdClose = new QPushButton(QStringLiteral("Close"), this);
    place(cmdClose, 5820, 6000, 1215, 375);

    connect(cboID3, &QComboBox::activated, this, [this] { cboID3_Click(); });
    connect(cTabControl1, &QTabBar::tabBarClicked, this, [this](int index) {
        if (index >= 0 && index != cTabControl1->currentIndex())
            cTabControl1->setCurrentIndex(index);
    });
    connect(cTabControl1, &QTabBar::currentChanged, this, [this] {
        if (!m_buildingTabs)
            cTabControl1_TabClick();
    });
    connect(cmdSelectFile, &QPushButton::clicked, this, [this] { cmdSelectFile_Click(); });
    connect(cmdApply, &QPushButton::clicked, this, [this] { cmdApply_Click(); });
    connect(cmdClose, &QPushButton::clicked, this, [this] { cmdClose_Click(); });

    Form_Load();

    // Window managers that place a new window by themselves put this one partly below a short
    // screen: it opens in the middle of the screen's free area instead.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        QRect frame(QPoint(), frameSize());
        frame.moveCenter(area.center());
        frame.moveLeft(std::max(area.left(), std::min(frame.left(), area.right() + 1 - frame.width())));
        frame.moveTop(std::max(area.top(), std::min(frame.top(), area.bottom() + 1 - frame.height())));
        move(frame.topLeft());
    }
}

void FrmMP3TagsEditor::Form_Load()
{
    SetFormIcon(this, QStringLiteral("text_align_left"), true);

    setBackground(picTitle, colourFromBgr(ProgramOptions.picColor));
    QPalette text = lblTitleMain->palette();
    text.setColor(QPalette::WindowText, colourFromBgr(ProgramOptions.picTextColor));
    lblTitleMain->setPalette(text);
    bool ok = false;
    const long back = g_sAppBackColor.toLong(&ok);
    if (ok)
        for (QWidget* w : {static_cast<QWidget*>(this), froGeneral, froAdvanced, froLyric})
            setBackground(w, colourFromBgr(back));
    const QString view = platform::programFolder() + QStringLiteral("/View/");
    if (!g_sAppBackPicture.isEmpty())
        for (QWidget* w : {static_cast<QWidget*>(this), froGeneral, froAdvanced, froLyric})
            setBackgroundPicture(w, view + g_sAppBackPicture);
    if (!g_sAppTitlePicture.isEmpty())
        setBackgroundPicture(picTitle, view + g_sAppTitlePicture);

    cboID3->addItems({QStringLiteral("ID3 v1"), QStringLiteral("ID3 v2"), QStringLiteral("ID3 v1+v2")});
    cboID3->setCurrentIndex(2);
    cboID3_Click();

    cboGenre->clear();
    for (const GenreEntry& g : m_presenter.genres())
        cboGenre->addItem(g.name, int(g.code));

    for (QWidget* panel : {froGeneral, froAdvanced, froLyric})
        place(panel, kClientLeft - 50, kClientTop, kClientWidth + 50, kClientHeight);
    froAdvanced->hide();
    froLyric->hide();
    froGeneral->show();
}

void FrmMP3TagsEditor::cboID3_Click()
{
    m_buildingTabs = true;
    while (cTabControl1->count() > 0)
        cTabControl1->removeTab(0);
    for (const QString& tab : m_presenter.VersionChanged(cboID3->currentIndex())) {
        const int at = cTabControl1->addTab(tab);
        cTabControl1->setTabData(at, tab);  // the key
    }
    m_buildingTabs = false;
    cTabControl1_TabClick();
    if (!sSourceFile->toPlainText().isEmpty())
        ReadTags(sSourceFile->toPlainText());
}

void FrmMP3TagsEditor::cTabControl1_TabClick()
{
    froGeneral->hide();
    froAdvanced->hide();
    froLyric->hide();
    const int index = cTabControl1->currentIndex();
    const QString key = index >= 0 ? cTabControl1->tabData(index).toString() : QString();
    if (key == QLatin1String("General"))
        froGeneral->show();
    else if (key == QLatin1String("Advanced"))
        froAdvanced->show();
    else if (key == QLatin1String("Lyrics"))
        froLyric->show();
}

void FrmMP3TagsEditor::cmdSelectFile_Click()
{
    g_FileDialog.lpstrFilter = QStringLiteral("MP3 Audio Files (*.mp3)") + QChar(0) + QStringLiteral("*.mp3") + QChar(0);
    g_FileDialog.lpstrTitle = QStringLiteral("Open MP3 audio file");
    const FileDialogResult r = ShowOpen(this, true);
    if (r.cancelled || r.fileNames.isEmpty())
        return;
    QString chosen = r.fileNames.at(0);
    if (chosen.isEmpty() && r.fileNames.size() > 1) {
        // Several files were picked: the editor works on the first.
        chosen = QDir(r.folder).filePath(r.fileNames.at(1));
    }
    sSourceFile->setPlainText(chosen);
    cmdApply->setEnabled(true);
    ReadTags(chosen);
}

void FrmMP3TagsEditor::ReadTags(const QString& path)
{
    showFields(m_presenter.ReadTags(path));
}

void FrmMP3TagsEditor::showFields(const MP3TagFields& f)
{
    txtArtist->setText(f.txtArtist);
    txtTitle->setText(f.txtTitle);
    txtAlbum->setText(f.txtAlbum);
    if (f.genreIndex >= 0) {
        cboGenre->setCurrentIndex(f.genreIndex);
        cboGenre->setEditText(cboGenre->itemText(f.genreIndex));
    } else {
        cboGenre->setEditText(f.genreText);
    }
    txtYear->setText(f.txtYear);
    txtDescription->setPlainText(f.txtDescription);
    txtTrackNum->setText(f.txtTrackNum);
    txtOriginalArtist->setText(f.txtOriginalArtist);
    txtLyric->setPlainText(f.txtLyric);
    txtCopyright->setText(f.txtCopyright);
    txtEncodedBy->setText(f.txtEncodedBy);
    txtURL->setText(f.txtURL);
}

MP3TagFields FrmMP3TagsEditor::fieldsFromBoxes() const
{
    MP3TagFields f;
    f.txtArtist = txtArtist->text();
    f.txtTitle = txtTitle->text();
    f.txtAlbum = txtAlbum->text();
    f.txtYear = txtYear->text();
    f.txtDescription = txtDescription->toPlainText();
    f.txtTrackNum = txtTrackNum->text();
    f.txtOriginalArtist = txtOriginalArtist->text();
    f.txtURL = txtURL->text();
    f.txtEncodedBy = txtEncodedBy->text();
    f.txtCopyright = txtCopyright->text();
    f.txtLyric = txtLyric->toPlainText();
    f.genreText = cboGenre->currentText();
    return f;
}

void FrmMP3TagsEditor::cmdApply_Click()
{
    MP3TagFields f = fieldsFromBoxes();
    const std::optional<MP3TagsEditorPresenter::ApplyError> error = m_presenter.Apply(f);
    cboGenre->setCurrentIndex(f.genreIndex);
    cboGenre->setEditText(f.genreText);
    if (error) {
        platform::MsgBox(MP3TagsEditorPresenter::ErrorText(*error), platform::vbInformation, QString(), this);
        return;
    }
    platform::MsgBox(QStringLiteral("Done."), platform::vbInformation, g_sAppName + QLatin1Char(' ') + g_sAppVersion, this);
}

void FrmMP3TagsEditor::cmdClose_Click()
{
    g_frmMP3TagsEditor.unload();
}
