// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/FrmSplash.h"

#include "foundation/Twips.h"
#include "foundation/mdlModes.h"
#include "foundation/mdlWindowUtils.h"
#include "platform/Clock.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>

namespace {
QRect twipsRect(int x, int y, int w, int h)
{
    return {TwipsToPixels(x), TwipsToPixels(y), TwipsToPixels(w), TwipsToPixels(h)};
}
QFont makeFont(const char* family, double points, bool bold)
{
    QFont f(QString::fromLatin1(family));
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}
}  // namespace

FrmSplash::FrmSplash()
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::SplashScreen)
{
    setFixedSize(TwipsToPixels(4020), TwipsToPixels(1245));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xFF, 0xFF, 0xFF));
    pal.setColor(QPalette::WindowText, QColor(64, 64, 64));
    setPalette(pal);

    Shape1 = new QFrame(this);
    Shape1->setFrameStyle(QFrame::Box | QFrame::Plain);
    Shape1->setGeometry(twipsRect(0, 0, 4020, 1245));
    picTitle = new QFrame(this);
    picTitle->setAutoFillBackground(true);
    picTitle->setGeometry(twipsRect(120, 120, 3735, 255));
    lblAppTitle = new QLabel(picTitle);
    lblAppTitle->setFont(makeFont("Tahoma", 9.75, true));
    lblAppTitle->setGeometry(0, 0, picTitle->width(), picTitle->height());
    lblVersion = new QLabel(this);
    lblVersion->setFont(makeFont("Verdana", 8.25, true));
    lblVersion->move(TwipsToPixels(120), TwipsToPixels(480));
    lblStat = new QLabel(QStringLiteral("Loading..."), this);
    lblStat->setFont(makeFont("Tahoma", 8.25, false));
    lblStat->setGeometry(TwipsToPixels(120), TwipsToPixels(840), TwipsToPixels(3735), TwipsToPixels(255));

    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    Form_Load();
}

void FrmSplash::Form_Load()
{
    SetFormIcon(this, QStringLiteral("AAA"), true);
    lblAppTitle->setText(g_sAppName + QLatin1Char(' ') + g_sAppVersion);
    lblVersion->setText(QStringLiteral("Version ") + g_sAppFullVersion);
    lblVersion->adjustSize();
    // Layered and fully transparent until the fade gives it an alpha.
    SetTranslucency(this, 0);
    if (!g_sAppBackColor.isEmpty()) {
        bool ok = false;
        const uint bgr = g_sAppBackColor.toUInt(&ok);
        if (ok) {
            // Stored as a 0x00BBGGRR colour number.
            const QColor c(bgr & 0xff, (bgr >> 8) & 0xff, (bgr >> 16) & 0xff);
            for (QWidget* w : {static_cast<QWidget*>(this), static_cast<QWidget*>(picTitle)}) {
                QPalette pal = w->palette();
                pal.setColor(QPalette::Window, c);
                w->setPalette(pal);
            }
        }
    }
    SetTopMost(this, true);
}

void FrmSplash::FadeIn()
{
    const QPointer<FrmSplash> self(this);
    m_fadeSteps.clear();
    for (int alpha = 0; alpha <= 255; alpha += 10) {
        SetTranslucency(this, alpha);
        m_fadeSteps.append(alpha);
        const uint32_t start = platform::clock().tickCount();
        while (platform::clock().tickCount() - start < 6) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            if (!self || !g_frmSplash.isLoaded())
                return;  // unloaded by a double-click while fading
        }
    }
    SetTranslucency(this, 255);
    m_fadeSteps.append(255);
}

void FrmSplash::Form_DblClick() { g_frmSplash.unload(); }

void FrmSplash::mouseDoubleClickEvent(QMouseEvent*) { Form_DblClick(); }
