// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/Collection.h"

bool Collection::Add(const QVariant& item, const QString& key)
{
    if (!key.isEmpty() && Contains(key))
        return false;
    m_items.append({key, item});
    return true;
}

QVariant Collection::Item(int index) const
{
    if (index < 1 || index > Count())
        return {};
    return m_items[index - 1].item;
}

QVariant Collection::Item(const QString& key) const
{
    for (const Entry& e : m_items)
        if (!e.key.isEmpty() && e.key.compare(key, Qt::CaseInsensitive) == 0)
            return e.item;
    return {};
}

QString Collection::Key(int index) const
{
    if (index < 1 || index > Count())
        return {};
    return m_items[index - 1].key;
}

bool Collection::Contains(const QString& key) const
{
    for (const Entry& e : m_items)
        if (!e.key.isEmpty() && e.key.compare(key, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

void Collection::Remove(int index)
{
    if (index >= 1 && index <= Count())
        m_items.removeAt(index - 1);
}
