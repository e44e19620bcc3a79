// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "foundation/FormRef.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

// The turn-off count-down: counts the seconds down in front of all windows, then asks for the
// shut-down and ends the program. Cancel (or closing the window) stops it. GUI thread; modal
// while shown (ShowTurnOffDialog).
class FrmTurnOff : public QDialog {
    Q_OBJECT
public:
    FrmTurnOff();

    void StartShutDown(long lSeconds);
    // Asks for the shut-down and closes this window. When the answer comes: accepted unloads
    // the main window; a refusal is shown to the user and the program keeps running.
    void ShutDown();

    QLabel* Image1 = nullptr;
    QLabel* lblStatus = nullptr;
    QLabel* lblSecToShutDown = nullptr;
    QLabel* lblSeconds = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdTurnOffNow = nullptr;
    QLabel* lblApplInfo = nullptr;
    QTimer* Timer1 = nullptr;

    long lSecondsLeft = 0;

    void Timer1_Timer();
    void cmdCancel_Click();
    void cmdTurnOffNow_Click();

protected:
    void Form_Load();
    void closeEvent(QCloseEvent* event) override;
    void reject() override;  // Escape: as Cancel
};

inline FormRef<FrmTurnOff> g_frmTurnOff;
