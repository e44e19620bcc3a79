// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "mainwindow/cSysTray.h"

#include "foundation/mdlWindowUtils.h"
#include "platform/Desktop.h"

#include <QFileInfo>
#include <QSystemTrayIcon>

cSysTray::cSysTray(QObject* parent) : QObject(parent) {}

cSysTray::~cSysTray() { delete m_icon; }

void cSysTray::ensureIcon()
{
    if (m_icon || !platform::desktop().isSystemTrayAvailable())
        return;
    m_icon = new QSystemTrayIcon(LoadIconResource(QStringLiteral("AAA")));
    m_icon->setToolTip(m_tip);
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            emit TrayClick(1);
        else if (reason == QSystemTrayIcon::Context)
            emit TrayClick(2);
    });
}

void cSysTray::TrayAddIcon()
{
    m_added = true;
    ensureIcon();
    if (m_icon)
        m_icon->show();
}

void cSysTray::TrayRemoveIcon()
{
    m_added = false;
    if (m_icon)
        m_icon->hide();
}

void cSysTray::TrayTip(const QString& tip)
{
    m_tip = tip;
    if (m_icon)
        m_icon->setToolTip(tip);
}

void cSysTray::TrayIconFile(const QString& path)
{
    m_iconFile = path;
    if (!m_icon || !QFileInfo(path).isFile())
        return;
    const QIcon icon(path);
    if (!icon.availableSizes().isEmpty())
        m_icon->setIcon(icon);
}

void cSysTray::TrayBalloon(const QString& text, const QString& title, long, long seconds)
{
    Q_EMIT BalloonShown(text, title);
    if (m_icon && m_added)
        m_icon->showMessage(title, text, QSystemTrayIcon::Information, static_cast<int>(seconds * 1000));
}
