// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QIcon>
#include <QList>
#include <QSize>

// An indexed list of icons of one size, shared by grids, menus, toolbars and status bars.
// Indexes count from 0; an index outside the list gives the null icon. GUI thread.
class cImageList {
public:
    explicit cImageList(QSize imageSize = QSize(16, 16)) : m_size(imageSize) {}

    void Add(const QIcon& icon) { m_icons.append(icon); }
    // Puts an icon at `index`, growing the list with null icons as needed.
    void Set(int index, const QIcon& icon)
    {
        if (index < 0)
            return;
        while (m_icons.size() <= index)
            m_icons.append(QIcon());
        m_icons[index] = icon;
    }
    int Count() const { return static_cast<int>(m_icons.size()); }
    QIcon Icon(int index) const { return index >= 0 && index < m_icons.size() ? m_icons.at(index) : QIcon(); }
    QSize ImageSize() const { return m_size; }

private:
    QSize m_size;
    QList<QIcon> m_icons;
};
