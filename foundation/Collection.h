// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QList>
#include <QString>
#include <QVariant>

// An ordered list of items, each optionally under a unique text key (keys ignore case).
// Positions are 1-based, as the windows' code counts them.
class Collection {
public:
    // False (and nothing added) when the key is already taken.
    bool Add(const QVariant& item, const QString& key = {});
    int Count() const { return static_cast<int>(m_items.size()); }
    QVariant Item(int index) const;           // 1-based; invalid when out of range
    QVariant Item(const QString& key) const;  // invalid when absent
    QString Key(int index) const;             // 1-based
    bool Contains(const QString& key) const;
    void Remove(int index);
    void Clear() { m_items.clear(); }

private:
    struct Entry {
        QString key;
        QVariant item;
    };
    QList<Entry> m_items;
};
