// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QWidget>

class QTabBar;

// A row of keyed tabs over a framed client area. The pages are not children of the control:
// the owner places its own panels over ClientLeft/Top/Width/Height (twips, in the coordinates
// of the control's parent). Tab indexes count from 1; 0 means none. GUI thread.
class cTabControl : public QWidget {
    Q_OBJECT
public:
    explicit cTabControl(QWidget* parent = nullptr);

    void AddTab(const QString& caption, const QString& key);
    int TabCount() const;
    int TabIndex(const QString& key) const;  // 0 when no tab has that key
    QString TabKey(int index) const;         // empty outside 1..TabCount
    int SelectedIndex() const;
    QString SelectedKey() const { return TabKey(SelectedIndex()); }
    // Marks the tab selected without raising TabClick; false when no tab has that key.
    bool SelectTab(const QString& key);

    int ClientLeft() const;
    int ClientTop() const;
    int ClientWidth() const;
    int ClientHeight() const;

    QTabBar* tabBar() const { return m_bar; }

signals:
    void TabClick(int index);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QTabBar* m_bar;
    QStringList m_keys;
    bool m_silent = false;
};
