// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QFont>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>

#include <vector>

#include <QMenu>
class QWidget;
class cImageList;

// The main window's menu object, which is also its table of commands: every item carries a
// command key, and toolbars, status panels and start-up code run a command by looking up the
// item of their key and handing its number to the dispatcher. Items count from 1; 0 is "no
// item". Groups (items with children) are only ever shown as pop-ups. GUI thread.
class cPopupMenu : public QObject {
    Q_OBJECT
public:
    struct Item {
        QString caption;  // "-" makes a separator
        QString helpText;
        QString key;
        long itemData = 0;
        long parent = 0;
        long icon = -1;
        bool checked = false;
        bool enabled = true;
        bool visible = true;
    };

    explicit cPopupMenu(QObject* parent = nullptr);
    ~cPopupMenu() override;

    void MenuOwnerWindow(QWidget* owner) { m_owner = owner; }
    void MenuDrawStyle(long style) { m_drawStyle = style; }
    long MenuDrawStyle() const { return m_drawStyle; }
    void MenuFont(const QFont& font) { m_font = font; }
    void MenuImageList(const cImageList* images) { m_images = images; }
    void MenuItemsReady(bool ready) { m_ready = ready; }
    bool MenuItemsReady() const { return m_ready; }

    long MenuAddItem(const QString& caption, const QString& helpText, long itemData, long parent, long icon,
                     bool checked, bool enabled, const QString& key);
    // The first item carrying the key (exact comparison); 0 when none does.
    long MenuIndexOfKey(const QString& key) const;
    QString MenuItemKey(long index) const;
    QString MenuItemCaption(long index) const;
    void MenuItemCaption(long index, const QString& caption);
    bool MenuItemChecked(long index) const;
    void MenuItemChecked(long index, bool checked);
    bool MenuItemVisible(long index) const;
    void MenuItemVisible(long index, bool visible);
    long MenuItemIcon(long index) const;
    long MenuItemParent(long index) const;

    long Count() const { return static_cast<long>(m_items.size()); }
    std::vector<long> Children(long parent) const;
    // Keys of a group's children in order, separators included (tests and the pop-ups read it).
    QStringList ChildKeys(long parent) const;

    // Pops up, at a screen point in pixels, the group that holds item `index`; a choice arrives
    // as Click. Returns at once; the menu closes itself.
    void MenuPopup(long x, long y, long index, bool = true);
    // The pop-up of the group that holds item `index`, built fresh (owned by the caller).
    QMenu* BuildPopup(long index, QWidget* parent) const;
    QMenu* LastPopup() const { return m_lastPopup.data(); }

signals:
    void Click(long itemNumber);

private:
    const Item* item(long index) const;
    Item* item(long index);

    std::vector<Item> m_items;
    QHash<QString, long> m_firstByKey;
    QPointer<QWidget> m_owner;
    QPointer<QMenu> m_lastPopup;
    const cImageList* m_images = nullptr;
    QFont m_font;
    long m_drawStyle = 0;
    bool m_ready = false;
};
