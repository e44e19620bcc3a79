// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/FrmTurnOff.h"

#include "foundation/Twips.h"
#include "foundation/WindowLinks.h"
#include "foundation/mdlModes.h"
#include "foundation/mdlShutDown.h"
#include "platform/MessageBox.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QStyle>

namespace {

QFont tahoma(double points, bool bold)
{
    QFont f(QStringLiteral("Tahoma"));
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

}  // namespace

FrmTurnOff::FrmTurnOff()
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                  // Topmost from the start: re-creating a shown modal dialog to raise it would end
                  // its modal loop.
                  | Qt::WindowStaysOnTopHint)
{
    setWindowTitle(QStringLiteral("Turn Off Computer"));
    setFixedSize(TwipsToPixels(5235), TwipsToPixels(1560));
    setModal(true);

    Image1 = new QLabel(this);
    Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
    Image1->move(TwipsToPixels(240), TwipsToPixels(240));
    lblStatus = new QLabel(QStringLiteral("Computer will shutdown in"), this);
    lblStatus->move(TwipsToPixels(1200), TwipsToPixels(240));
    lblSecToShutDown = new QLabel(this);
    lblSecToShutDown->setFont(tahoma(8.25, true));
    lblSecToShutDown->setGeometry(TwipsToPixels(3120), TwipsToPixels(240), TwipsToPixels(540), TwipsToPixels(255));
    lblSecToShutDown->setAlignment(Qt::AlignRight | Qt::AlignTop);
    lblSeconds = new QLabel(QStringLiteral("Seconds"), this);
    lblSeconds->move(TwipsToPixels(3720), TwipsToPixels(240));
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setGeometry(TwipsToPixels(1560), TwipsToPixels(840), TwipsToPixels(1695), TwipsToPixels(375));
    cmdTurnOffNow = new QPushButton(QStringLiteral("Shutdown Now"), this);
    cmdTurnOffNow->setGeometry(TwipsToPixels(3360), TwipsToPixels(840), TwipsToPixels(1695), TwipsToPixels(375));
    lblApplInfo = new QLabel(this);
    lblApplInfo->setFont(tahoma(6.75, false));
    lblApplInfo->move(TwipsToPixels(120), TwipsToPixels(1320));
    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);

    connect(Timer1, &QTimer::timeout, this, &FrmTurnOff::Timer1_Timer);
    connect(cmdCancel, &QPushButton::clicked, this, &FrmTurnOff::cmdCancel_Click);
    connect(cmdTurnOffNow, &QPushButton::clicked, this, &FrmTurnOff::cmdTurnOffNow_Click);

    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    Form_Load();
}

void FrmTurnOff::Form_Load()
{
    lblApplInfo->setText(g_sAppName + QLatin1Char(' ') + g_sAppVersion);
    lblApplInfo->adjustSize();
}

void FrmTurnOff::StartShutDown(long lSeconds)
{
    lSecondsLeft = lSeconds;
    lblSecToShutDown->setText(QString::number(lSeconds));
    Timer1->start();
    Timer1_Timer();
}

void FrmTurnOff::Timer1_Timer()
{
    lblSecToShutDown->setText(QString::number(lSecondsLeft));
    if (lSecondsLeft > 0) {
        --lSecondsLeft;
    } else {
        Timer1->stop();
        ShutDown();
    }
}

void FrmTurnOff::cmdTurnOffNow_Click()
{
    Timer1->stop();
    lSecondsLeft = 0;
    lblSecToShutDown->setText(QStringLiteral("0"));
    ShutDown();
}

void FrmTurnOff::cmdCancel_Click()
{
    Timer1->stop();
    g_frmTurnOff.unload();
}

void FrmTurnOff::ShutDown()
{
    Timer1->stop();
    ClearShutDownError();
    // The answer may wait for the user at a password prompt: the window goes now, and the
    // answer is acted on when it comes.
    ShutdownSystem(EWX_SHUTDOWN, [](bool accepted) {
        if (accepted) {
            if (g_unloadMainLink)
                g_unloadMainLink();
            return;
        }
        // Ending the program as if the computer were going down would leave the user with a
        // running machine and no word why.
        const std::optional<NumberedError> error = ShutDownError();
        const QString text = error ? error->description() + QStringLiteral(" (") + QString::number(error->number()) + QLatin1Char(')')
                                   : QStringLiteral("ShutdownSystem failed: ");
        platform::MsgBox(text, platform::vbExclamation | platform::vbOKOnly);
    });
    g_frmTurnOff.unload();
}

void FrmTurnOff::closeEvent(QCloseEvent* event)
{
    event->accept();
    Timer1->stop();
    g_frmTurnOff.unload();
}

void FrmTurnOff::reject()
{
    cmdCancel_Click();
}
