// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QTreeWidget>

// A tree of keyed nodes. A node is a QTreeWidgetItem carrying its key; positions count from 1.
// `NodeClick` follows a click on a node; `NodeSelected` follows any change of the selected node
// (keyboard included). GUI thread.
class cTreeView : public QTreeWidget {
    Q_OBJECT
public:
    explicit cTreeView(QWidget* parent = nullptr);

    // A top-level node (parent null) or a child of `parent`. selectedIcon -1: the same icon.
    QTreeWidgetItem* AddNode(const QString& key, const QString& text, int icon = -1, int selectedIcon = -1,
                             QTreeWidgetItem* parent = nullptr);
    void SetImageList(const QList<QIcon>& icons) { m_icons = icons; }
    QTreeWidgetItem* NodeByKey(const QString& key) const;  // exact key; nullptr when none
    QTreeWidgetItem* NodeAt(int position) const;           // in display order, 1 = first
    int NodeCount() const;
    QTreeWidgetItem* SelectedNode() const { return currentItem(); }
    void SelectNode(QTreeWidgetItem* node);                // marks it selected, raises no event
    void ClearNodes();

    // The playing mark of a node (an item of its list plays): drawn in bold while the display
    // flag is on. Switching the flag on also redraws the marks as they stand.
    void NodePlaying(QTreeWidgetItem* node, bool playing);
    static bool NodePlaying(const QTreeWidgetItem* node);
    void DisplayPlaying(bool on);
    bool DisplayPlaying() const { return m_displayPlaying; }

    static QString Key(const QTreeWidgetItem* node);
    static void SetKey(QTreeWidgetItem* node, const QString& key);
    static QString Text(const QTreeWidgetItem* node);

signals:
    void NodeClick(QTreeWidgetItem* node);
    void NodeSelected(QTreeWidgetItem* node);

private:
    QList<QIcon> m_icons;
    void showMark(QTreeWidgetItem* node);
    bool m_silent = false;
    bool m_displayPlaying = true;
};
