// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "settings/controls/cTreeView.h"

#include <QHeaderView>

namespace {
constexpr int kKeyRole = Qt::UserRole + 1;
constexpr int kPlayingRole = Qt::UserRole + 2;
}

cTreeView::cTreeView(QWidget* parent) : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int) { emit NodeClick(item); });
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current, QTreeWidgetItem*) {
        if (!m_silent && current)
            emit NodeSelected(current);
    });
}

QTreeWidgetItem* cTreeView::AddNode(const QString& key, const QString& text, int icon, int selectedIcon,
                                    QTreeWidgetItem* parent)
{
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
    item->setText(0, text);
    item->setData(0, kKeyRole, key);
    if (icon >= 0 && icon < m_icons.size()) {
        QIcon ic = m_icons.at(icon);
        if (selectedIcon >= 0 && selectedIcon < m_icons.size())
            ic.addPixmap(m_icons.at(selectedIcon).pixmap(16), QIcon::Selected);
        item->setIcon(0, ic);
    }
    return item;
}

QTreeWidgetItem* cTreeView::NodeByKey(const QString& key) const
{
    for (QTreeWidgetItemIterator it(const_cast<cTreeView*>(this)); *it; ++it)
        if ((*it)->data(0, kKeyRole).toString() == key)
            return *it;
    return nullptr;
}

QTreeWidgetItem* cTreeView::NodeAt(int position) const
{
    int n = 0;
    for (QTreeWidgetItemIterator it(const_cast<cTreeView*>(this)); *it; ++it)
        if (++n == position)
            return *it;
    return nullptr;
}

int cTreeView::NodeCount() const
{
    int n = 0;
    for (QTreeWidgetItemIterator it(const_cast<cTreeView*>(this)); *it; ++it)
        ++n;
    return n;
}

void cTreeView::SelectNode(QTreeWidgetItem* node)
{
    if (!node)
        return;
    m_silent = true;
    setCurrentItem(node);
    node->setSelected(true);
    m_silent = false;
}

void cTreeView::ClearNodes()
{
    m_silent = true;
    clear();
    m_silent = false;
}

QString cTreeView::Key(const QTreeWidgetItem* node) { return node ? node->data(0, kKeyRole).toString() : QString(); }
void cTreeView::SetKey(QTreeWidgetItem* node, const QString& key)
{
    if (node)
        node->setData(0, kKeyRole, key);
}

void cTreeView::NodePlaying(QTreeWidgetItem* node, bool playing)
{
    if (!node)
        return;
    node->setData(0, kPlayingRole, playing);
    showMark(node);
}

bool cTreeView::NodePlaying(const QTreeWidgetItem* node) { return node && node->data(0, kPlayingRole).toBool(); }

void cTreeView::DisplayPlaying(bool on)
{
    m_displayPlaying = on;
    for (QTreeWidgetItemIterator it(this); *it; ++it)
        showMark(*it);
}

void cTreeView::showMark(QTreeWidgetItem* node)
{
    QFont f = node->font(0);
    f.setBold(m_displayPlaying && NodePlaying(node));
    node->setFont(0, f);
}

QString cTreeView::Text(const QTreeWidgetItem* node) { return node ? node->text(0) : QString(); }
