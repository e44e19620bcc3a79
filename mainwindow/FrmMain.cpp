// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "mainwindow/FrmMain.h"

#include "foundation/mdlModes.h"
#include "foundation/mdlWindowUtils.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenu>

FrmMain::FrmMain()
{
    m_trayMenu = new QMenu(this);
    m_rcOpen = m_trayMenu->addAction(QStringLiteral("Hide"));
    m_rcOpen->setData(QStringLiteral("RC Open"));
    Form_Load();
}

void FrmMain::Form_Load()
{
    setWindowTitle(g_sAppName + QLatin1Char(' ') + g_sAppVersion);
    SetFormIcon(this, QStringLiteral("AAA"), false);
    resize(800, 560);
}

void FrmMain::closeEvent(QCloseEvent* event)
{
    event->accept();
    QApplication::quit();
}
