// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "mainwindow/cPopupMenu.h"

#include "components/cImageList.h"

#include <QMenu>

cPopupMenu::cPopupMenu(QObject* parent) : QObject(parent) {}

cPopupMenu::~cPopupMenu()
{
    if (m_lastPopup)
        delete m_lastPopup.data();
}

const cPopupMenu::Item* cPopupMenu::item(long index) const
{
    return index >= 1 && index <= Count() ? &m_items[static_cast<size_t>(index - 1)] : nullptr;
}

cPopupMenu::Item* cPopupMenu::item(long index)
{
    return index >= 1 && index <= Count() ? &m_items[static_cast<size_t>(index - 1)] : nullptr;
}

long cPopupMenu::MenuAddItem(const QString& caption, const QString& helpText, long itemData, long parent, long icon,
                             bool checked, bool enabled, const QString& key)
{
    if (parent != 0 && !item(parent))
        return 0;
    m_items.push_back(Item{caption, helpText, key, itemData, parent, icon, checked, enabled, true});
    const long index = Count();
    if (!m_firstByKey.contains(key))
        m_firstByKey.insert(key, index);
    return index;
}

long cPopupMenu::MenuIndexOfKey(const QString& key) const { return m_firstByKey.value(key, 0); }

QString cPopupMenu::MenuItemKey(long index) const
{
    const Item* i = item(index);
    return i ? i->key : QString();
}

QString cPopupMenu::MenuItemCaption(long index) const
{
    const Item* i = item(index);
    return i ? i->caption : QString();
}

void cPopupMenu::MenuItemCaption(long index, const QString& caption)
{
    if (Item* i = item(index))
        i->caption = caption;
}

bool cPopupMenu::MenuItemChecked(long index) const
{
    const Item* i = item(index);
    return i && i->checked;
}

void cPopupMenu::MenuItemChecked(long index, bool checked)
{
    if (Item* i = item(index))
        i->checked = checked;
}

bool cPopupMenu::MenuItemVisible(long index) const
{
    const Item* i = item(index);
    return i && i->visible;
}

void cPopupMenu::MenuItemVisible(long index, bool visible)
{
    if (Item* i = item(index))
        i->visible = visible;
}

long cPopupMenu::MenuItemIcon(long index) const
{
    const Item* i = item(index);
    return i ? i->icon : -1;
}

long cPopupMenu::MenuItemParent(long index) const
{
    const Item* i = item(index);
    return i ? i->parent : 0;
}

std::vector<long> cPopupMenu::Children(long parent) const
{
    std::vector<long> out;
    for (long i = 1; i <= Count(); ++i)
        if (m_items[static_cast<size_t>(i - 1)].parent == parent)
            out.push_back(i);
    return out;
}

QStringList cPopupMenu::ChildKeys(long parent) const
{
    QStringList keys;
    for (long i : Children(parent))
        keys.append(MenuItemKey(i));
    return keys;
}

QMenu* cPopupMenu::BuildPopup(long index, QWidget* parent) const
{
    const Item* held = item(index);
    if (!held)
        return nullptr;
    auto* menu = new QMenu(parent);
    if (m_font != QFont())
        menu->setFont(m_font);
    menu->setSeparatorsCollapsible(false);
    auto* self = const_cast<cPopupMenu*>(this);
    for (long child : Children(held->parent)) {
        const Item& c = m_items[static_cast<size_t>(child - 1)];
        if (!c.visible)
            continue;
        if (c.caption == QLatin1String("-")) {
            menu->addSeparator();
            continue;
        }
        QAction* a = menu->addAction(c.caption);
        if (m_images && c.icon >= 0)
            a->setIcon(m_images->Icon(static_cast<int>(c.icon)));
        a->setEnabled(c.enabled);
        a->setCheckable(c.checked);
        a->setChecked(c.checked);
        a->setData(QVariant::fromValue(child));
        QObject::connect(a, &QAction::triggered, self, [self, child] { emit self->Click(child); });
    }
    return menu;
}

void cPopupMenu::MenuPopup(long x, long y, long index, bool)
{
    if (m_lastPopup)
        m_lastPopup->deleteLater();
    QMenu* menu = BuildPopup(index, m_owner);
    if (!menu)
        return;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    m_lastPopup = menu;
    menu->popup(QPoint(static_cast<int>(x), static_cast<int>(y)));
}
