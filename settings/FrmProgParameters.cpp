// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "settings/FrmProgParameters.h"

#include "foundation/mdlModes.h"
#include "platform/Paths.h"
#include "settings/ProgramOptions.h"
#include "settings/controls/ColorSwatch.h"
#include "settings/controls/TwipsGeometry.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>

namespace {

struct Row {
    const char* placeholder;
    const char* explanation;
};

void setBack(QWidget* w, const QColor& c)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, c);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

}  // namespace

FrmProgParameters::FrmProgParameters()
{
    setObjectName(QStringLiteral("g_frmProgParameters"));
    setWindowTitle(QStringLiteral("Parameters"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSizeF(8.25);
    setFont(font);
    setFixedSize(TwipsToPixels(6720), TwipsToPixels(6195));

    picTitle = new QWidget(this);
    PlaceTw(picTitle, 0, 0, 6735, 495);
    lblTitle = new QLabel(QStringLiteral("Parameters"), picTitle);
    QFont tf = font;
    tf.setItalic(true);
    tf.setPointSizeF(11.25);
    lblTitle->setFont(tf);
    PlaceTw(lblTitle, 120, 75, 4845, 270);

    auto* lbl = new QLabel(QStringLiteral("Sections:"), this);
    PlaceTw(lbl, 240, 720, 2000, 240);
    cboSections = new QComboBox(this);
    cboSections->setObjectName(QStringLiteral("cboSections"));
    PlaceTw(cboSections, 240, 960, 6135, 315);
    cboSections->addItems({QStringLiteral("Execute external application"), QStringLiteral("ID3 Audio Tags"),
                           QStringLiteral("File Name Format")});
    cboSections->setCurrentIndex(-1);

    const auto panel = [this](const char* name, std::initializer_list<Row> rows) {
        auto* f = new QWidget(this);
        f->setObjectName(QString::fromLatin1(name));
        PlaceTw(f, 240, 1320, 6135, 3855);
        int top = 480;
        for (const Row& r : rows) {
            auto* box = new QLineEdit(QString::fromLatin1(r.placeholder), f);
            box->setReadOnly(true);  // selectable and copyable, not editable
            PlaceTw(box, 240, top, 1935, 285);
            txtParameter.append(box);
            auto* dash = new QLabel(QStringLiteral("-"), f);
            PlaceTw(dash, 2400, top + 30, 300, 240);
            auto* text = new QLabel(QString::fromLatin1(r.explanation), f);
            PlaceTw(text, 2880, top + 30, 3200, 240);
            top += 360;
        }
        f->setVisible(false);
        return f;
    };
    fraAppNotic = panel("fraAppNotic", {{"[PROG_NAME]", "The program name."},
                                        {"[PROG_VERSION]", "The version."},
                                        {"[FILE_RECORDED]", "The created file path and name."},
                                        {"[FILE_SIZE]", "The created file size."},
                                        {"[FILE_TIME_LENGTH]", "The created file time length."},
                                        {"[FILE_CREATED]", "The date and time of the file."}});
    fraID3Tags = panel("fraID3Tags", {{"[PROG_NAME]", "The program name."},
                                      {"[PROG_VERSION]", "The version."},
                                      {"[DATE]", "The creation date of the file."},
                                      {"[TIME]", "The creation time of the file."},
                                      {"[TRACK_NUM]", "The item number."},
                                      {"[YEAR]", "The creation year of the file."},
                                      {"[SOURCE_NAME]", "The source file name."},
                                      {"[ITEM_NAME]", "The item name from the Items List."},
                                      {"[RANGE]", "The processed range."}});
    fraExt = panel("fraExt", {{"[file_name]", "The file name."},
                              {"[date]", "The current date."},
                              {"[time]", "The current time."},
                              {"[123]", "The track number."},
                              {"[source_extension]", "The extension of the source file."},
                              {"[dest_extension]", "The extension of the destination file."},
                              {"[item_name]", "The item name from the Items List."}});

    cmdOk = new QPushButton(QStringLiteral("OK"), this);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    PlaceTw(cmdOk, 240, 5520, 1575, 375);

    connect(cboSections, &QComboBox::currentIndexChanged, this, &FrmProgParameters::cboSections_Click);
    connect(cmdOk, &QPushButton::clicked, this, &FrmProgParameters::cmdOk_Click);
    Form_Load();
}

void FrmProgParameters::Form_Load()
{
    setBack(picTitle, ColorSwatch::ToQColor(ProgramOptions.picColor));
    QPalette p = lblTitle->palette();
    p.setColor(QPalette::WindowText, ColorSwatch::ToQColor(ProgramOptions.picTextColor));
    lblTitle->setPalette(p);

    bool ok = false;
    const long back = g_sAppBackColor.toLong(&ok);
    if (ok) {
        const QColor c = ColorSwatch::ToQColor(static_cast<int32_t>(back));
        for (QWidget* w : {static_cast<QWidget*>(this), fraAppNotic, fraID3Tags, fraExt})
            setBack(w, c);
    }
    const QString pictures = platform::programFolder() + QStringLiteral("/View/");
    if (!g_sAppTitlePicture.isEmpty()) {
        const QPixmap pic(pictures + g_sAppTitlePicture);
        if (!pic.isNull()) {
            QPalette tp = picTitle->palette();
            tp.setBrush(QPalette::Window, pic);
            picTitle->setPalette(tp);
        }
    }
    if (!g_sAppBackPicture.isEmpty()) {
        const QPixmap pic(pictures + g_sAppBackPicture);
        if (!pic.isNull()) {
            QPalette wp = palette();
            wp.setBrush(QPalette::Window, pic);
            setPalette(wp);
        }
    }
    const int top = TopTw(cboSections) + HeightTw(cboSections) + 50;
    for (QWidget* f : {fraAppNotic, fraID3Tags, fraExt})
        MoveTw(f, LeftTw(cboSections), top);
}

void FrmProgParameters::cboSections_Click()
{
    fraAppNotic->setVisible(false);
    fraID3Tags->setVisible(false);
    fraExt->setVisible(false);
    switch (cboSections->currentIndex()) {
    case 0: fraAppNotic->setVisible(true); break;
    case 1: fraID3Tags->setVisible(true); break;
    case 2: fraExt->setVisible(true); break;
    default: break;
    }
}

void FrmProgParameters::cmdOk_Click() { close(); }

void FrmProgParameters::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (g_frmProgParameters.loaded() == this)
        g_frmProgParameters.unload();
}

// Escape unloads the window as its close box does.
void FrmProgParameters::reject() { close(); }
