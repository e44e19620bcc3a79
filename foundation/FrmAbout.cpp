// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/FrmAbout.h"

#include "foundation/Twips.h"
#include "foundation/WindowLinks.h"
#include "foundation/mdlFunctions.h"
#include "foundation/mdlModes.h"

#include <QMouseEvent>
#include <QTabBar>
#include <QVBoxLayout>

AboutLinkLabel::AboutLinkLabel(const QString& text, QWidget* parent)
    : QLabel(text, parent)
{
    setCursor(Qt::PointingHandCursor);
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, QColor(0, 0, 0xCC));
    setPalette(pal);
}

void AboutLinkLabel::click()
{
    if (!m_address.isEmpty())
        ShellOpen(window(), m_address);
}

void AboutLinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        click();
}

QString AboutDeveloperCompany() { return QStringLiteral("Oskerly Software"); }

QString AboutDeveloperAddress() { return QStringLiteral("https://www.oskerly-software.example"); }

QString AboutComponentsAddress() { return QStringLiteral("https://components.oskerly-software.example/"); }

QString JoinWebAddress(const QString& site, const QString& page)
{
    QString s = site;
    while (s.endsWith(QLatin1Char('/')))
        s.chop(1);
    QString p = page;
    while (p.startsWith(QLatin1Char('/')))
        p.remove(0, 1);
    return s + QLatin1Char('/') + p;
}

FrmAbout::FrmAbout()
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("About"));
    setModal(true);
    setFixedSize(TwipsToPixels(6600), TwipsToPixels(5400));

    picTitle = new QFrame(this);
    picTitle->setAutoFillBackground(true);
    picTitle->setGeometry(0, 0, width(), TwipsToPixels(495));
    lblTitle = new QLabel(picTitle);
    QFont titleFont = lblTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.25);
    lblTitle->setFont(titleFont);
    lblTitle->setGeometry(TwipsToPixels(120), 0, width() - TwipsToPixels(240), picTitle->height());

    cTabControl1 = new QTabWidget(this);
    cTabControl1->setGeometry(TwipsToPixels(120), TwipsToPixels(615), width() - TwipsToPixels(240), TwipsToPixels(4080));
    picAbout = new QWidget;
    auto* layout = new QVBoxLayout(picAbout);
    lblAppName = new QLabel(QStringLiteral("APP NAME"), picAbout);
    QFont nameFont = lblAppName->font();
    nameFont.setBold(true);
    lblAppName->setFont(nameFont);
    lblVersionInside = new QLabel(QStringLiteral("Inside version:"), picAbout);
    lblDesc = new QLabel(picAbout);
    lblDesc->setWordWrap(true);
    lblHomePage = new AboutLinkLabel(QStringLiteral("Home Page"), picAbout);
    lblSite = new AboutLinkLabel(QStringLiteral("Site"), picAbout);
    lblProducts = new AboutLinkLabel(QStringLiteral("More Products..."), picAbout);
    lblSupport = new AboutLinkLabel(QStringLiteral("Support"), picAbout);
    lblDeveloper = new AboutLinkLabel(QStringLiteral("Developer? - Click here for this product ActiveX"), picAbout);
    lblOskerly = new QLabel(picAbout);
    lblOskerlyAddress = new AboutLinkLabel(AboutDeveloperAddress(), picAbout);
    for (QWidget* w : std::initializer_list<QWidget*>{lblAppName, lblVersionInside, lblDesc, lblHomePage, lblSite,
                                                      lblProducts, lblSupport, lblDeveloper, lblOskerly, lblOskerlyAddress})
        layout->addWidget(w);
    layout->addStretch();

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setGeometry(width() - TwipsToPixels(1455), height() - TwipsToPixels(555), TwipsToPixels(1335), TwipsToPixels(375));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &FrmAbout::cmdOK_Click);
    connect(cTabControl1, &QTabWidget::tabBarClicked, this, &FrmAbout::cTabControl1_TabClick);
    Form_Load();
}

void FrmAbout::Form_Load()
{
    if (g_appColoursLink) {
        const AppColours colours = g_appColoursLink();
        QPalette strip = picTitle->palette();
        strip.setColor(QPalette::Window, colours.appColour);
        picTitle->setPalette(strip);
        QPalette title = lblTitle->palette();
        title.setColor(QPalette::WindowText, colours.titleTextColour);
        lblTitle->setPalette(title);
    }
    const QString nameVersion = g_sAppName + QLatin1Char(' ') + g_sAppVersion;
    lblAppName->setText(nameVersion);
    lblTitle->setText(nameVersion);
    lblHomePage->setText(nameVersion + QStringLiteral(" - Home Page"));
    lblHomePage->setAddress(g_sAppHomePage);
    lblSite->setText(g_sAppHomeURL);
    lblSite->setAddress(g_sAppHomeURL);
    lblProducts->setAddress(JoinWebAddress(g_sAppHomeURL, QStringLiteral("products.html")));
    lblSupport->setAddress(g_sAppSupportURL);
    lblDeveloper->setAddress(AboutComponentsAddress());
    lblOskerlyAddress->setAddress(lblOskerlyAddress->text());
    lblOskerly->setText(QStringLiteral("Developed by ") + AboutDeveloperCompany() + QLatin1Char('.'));
    lblVersionInside->setText(lblVersionInside->text() + QLatin1Char(' ') + g_sAppFullVersion);
    lblDesc->setText(g_sAppDescription);

    const QIcon icon = g_menuImageLink ? g_menuImageLink(18) : QIcon();
    const int index = cTabControl1->addTab(picAbout, icon, QStringLiteral("About   "));
    cTabControl1->tabBar()->setTabData(index, QStringLiteral("About"));
    cTabControl1_TabClick(index);
}

void FrmAbout::cTabControl1_TabClick(int index)
{
    // Every tab shows the page of its own key; there is only "About".
    if (cTabControl1->tabBar()->tabData(index).toString() == QLatin1String("About"))
        cTabControl1->setCurrentWidget(picAbout);
}

void FrmAbout::cmdOK_Click()
{
    frmAbout.unload();
}
