// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QString>
#include <QToolBar>

#include <vector>

class QToolButton;
class cImageList;

// A toolbar of keyed buttons. Buttons count from 1 in the order added; separators count too.
// A click on a button raises ButtonClick with its number; a drop-down button raises
// ButtonDropDown when its arrow is clicked. GUI thread.
class cToolbar : public QToolBar {
    Q_OBJECT
public:
    enum Style : long { tbrNormal = 0, tbrSeparator = 1, tbrCheck = 2, tbrDropDown = 8 };

    explicit cToolbar(QWidget* parent = nullptr);

    void ToolbarImageList(const cImageList* images) { m_images = images; }
    // Image size in pixels; captions beside the icons when `textBeside`.
    void ToolbarCreate(int imageSize, bool, bool textBeside, bool);
    long ToolbarAddButton(const QString& tip, long icon, int width, const QString& caption, long style,
                          const QString& key);

    long ButtonCount() const { return static_cast<long>(m_buttons.size()); }
    QString ButtonKey(long index) const;
    long ButtonIndex(const QString& key) const;  // 0 when no button carries the key
    QString ButtonCaption(long index) const;
    QString ButtonTip(long index) const;
    long ButtonIcon(long index) const;
    long ButtonStyle(long index) const;
    bool ButtonPressed(long index) const;
    void ButtonPressed(long index, bool pressed);
    // The same by key; an unknown key reads false and changes nothing.
    bool ButtonPressed(const QString& key) const { return ButtonPressed(ButtonIndex(key)); }
    void ButtonPressed(const QString& key, bool pressed) { ButtonPressed(ButtonIndex(key), pressed); }
    bool ButtonEnabled(const QString& key) const;
    void ButtonEnabled(const QString& key, bool enabled);
    // Where a pop-up under the button opens: its bottom-left corner on the screen, pixels.
    void ButtonScreenPoint(long index, long& x, long& y) const;
    QToolButton* Button(long index) const;

    // What a user's click on the button does (check buttons toggle first).
    void Click(long index);
    void DropDown(long index);

signals:
    void ButtonClick(long index);
    void ButtonDropDown(long index);

private:
    struct Entry {
        QString key, tip, caption;
        long icon = -1;
        long style = tbrNormal;
        QToolButton* button = nullptr;  // null for separators
    };
    const Entry* entry(long index) const;

    std::vector<Entry> m_buttons;
    const cImageList* m_images = nullptr;
    bool m_textBeside = true;
};
