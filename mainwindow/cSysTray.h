// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QObject>
#include <QString>

class QSystemTrayIcon;

// The notification-area icon of the main window. A left click reports kind 1 (show or hide),
// the context click kind 2 (the tray menu). Where the desktop has no notification area the icon
// keeps its state but shows nothing. GUI thread.
class cSysTray : public QObject {
    Q_OBJECT
public:
    explicit cSysTray(QObject* parent = nullptr);
    ~cSysTray() override;

    void TrayAddIcon();
    void TrayRemoveIcon();
    bool TrayIconAdded() const { return m_added; }
    void TrayTip(const QString& tip);
    QString TrayTip() const { return m_tip; }
    // An icon file that cannot be read leaves the program's own icon in place.
    void TrayIconFile(const QString& path);
    QString TrayIconFile() const { return m_iconFile; }
    // A balloon at the icon: text, title, icon kind (1 information), seconds shown.
    void TrayBalloon(const QString& text, const QString& title, long icon, long seconds);

signals:
    void TrayClick(long kind);
    // Every balloon asked for, shown or not (a desktop without a notification area shows none).
    void BalloonShown(const QString& text, const QString& title);

private:
    void ensureIcon();

    QSystemTrayIcon* m_icon = nullptr;
    bool m_added = false;
    QString m_tip;
    QString m_iconFile;
};
