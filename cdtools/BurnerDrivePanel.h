// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QList>
#include <QObject>
#include <QString>

class QComboBox;
class QLabel;
class QPushButton;
class QWidget;
class StatusLineFit;
class cAudioBurner;

// The writer and speed panel of a CD-writing window: choose the writer and the write speed,
// see the size, capacity and state of its disc, open and close its tray. Every fact comes from
// the host's audio burner component, read afresh with the letter of the chosen entry at each
// call. The controls live on the host's settings page (`parent`); the panel is placed at a
// twips origin so each host can lay it out. The host owns the panel (no Qt parent) and the
// panel its controls. GUI thread; the component outlives the panel.
class BurnerDrivePanel : public QObject {
    Q_OBJECT
public:
    BurnerDrivePanel(cAudioBurner& component, QWidget* parent, int leftTw, int topTw);
    // Takes its controls off the host's page.
    ~BurnerDrivePanel() override;

    // The rules the panel shows, as plain functions.
    static QString SpeedEntryText(long kbs);          // "7056 KB/s (40x)"
    static long CapacityMinutes(double capacity);     // capacity / 153535 / 60, halves to even
    static constexpr long kMaxSpeed = 65535;

    void FillBurnerDrives();
    void FillBurnerSpeeds();
    void cboDrv_Click();
    void cmdOpenCD_Click();
    void cmdClose_Click();

    // The chosen writer's letter ("E") and root ("E:\"); "" when no writer is chosen.
    QString DriveLetter() const;
    QString DriveRoot() const;
    // The item data of the chosen speed entry; -1 when none is chosen.
    long SelectedSpeed() const;

    QLabel* Label1 = nullptr;
    QComboBox* cboDrv = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* cboSpeed = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* lblDiskSize = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* lblDiskCapacity = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* lblState = nullptr;
    QPushButton* cmdOpenCD = nullptr;
    QPushButton* cmdClose = nullptr;
    // The host's keeper of lblState's place, told of every new state; none by default.
    StatusLineFit* StateFit = nullptr;

private:
    QList<QWidget*> controls() const;

    cAudioBurner& m_component;
};
