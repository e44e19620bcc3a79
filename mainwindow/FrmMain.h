// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "foundation/FormRef.h"

#include <QMainWindow>

class QMenu;
class QAction;

// The main window. Lives from start-up until the program ends.
class FrmMain : public QMainWindow {
    Q_OBJECT
public:
    FrmMain();
    void Form_Load();

    // The tray menu item keyed "RC Open" (show/hide).
    QAction* TrayOpenItem() const { return m_rcOpen; }
    bool m_bInTray = false;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QMenu* m_trayMenu = nullptr;
    QAction* m_rcOpen = nullptr;
};

inline FormRef<FrmMain> frmMain;
