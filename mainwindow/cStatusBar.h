// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QStatusBar>
#include <QString>

#include <vector>

class QToolButton;
class cImageList;

// The status bar of keyed panels. Each panel is a flat button with an icon and a text; a click
// raises PanelClick with the panel's number (from 1). GUI thread.
class cStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit cStatusBar(QWidget* parent = nullptr);

    void StatusImageList(const cImageList* images) { m_images = images; }
    // The minimum width is in pixels; the second text is shown as the panel's tip.
    long StatusAddPanel(long style, const QString& text, const QString& text2, long icon, long minWidth, bool, bool,
                        long itemData, const QString& key);
    long PanelCount() const { return static_cast<long>(m_panels.size()); }
    QString StatusPanelKey(long index) const;  // empty when there is no such panel
    QString StatusPanelText(const QString& key) const;
    void StatusPanelText(const QString& key, const QString& text);
    long StatusPanelIcon(const QString& key) const;
    void StatusPanelIcon(const QString& key, long icon);
    QToolButton* Panel(long index) const;
    void ClickPanel(long index);

signals:
    void PanelClick(long index);

private:
    struct Panel_ {
        QString key;
        QString text;
        long icon = -1;
        QToolButton* button = nullptr;
    };
    Panel_* byKey(const QString& key);
    const Panel_* byKey(const QString& key) const;

    std::vector<Panel_> m_panels;
    const cImageList* m_images = nullptr;
};
