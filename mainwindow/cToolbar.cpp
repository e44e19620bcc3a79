// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "mainwindow/cToolbar.h"

#include "components/cImageList.h"

#include <QMenu>
#include <QMouseEvent>
#include <QStyleOptionToolButton>
#include <QToolButton>

namespace {

// A tool button whose arrow part reports a drop-down of its own instead of opening a menu.
class DropDownButton : public QToolButton {
public:
    std::function<void()> onArrow;
    using QToolButton::QToolButton;

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        QStyleOptionToolButton opt;
        initStyleOption(&opt);
        const QRect arrow = style()->subControlRect(QStyle::CC_ToolButton, &opt, QStyle::SC_ToolButtonMenu, this);
        if (event->button() == Qt::LeftButton && arrow.contains(event->position().toPoint())) {
            if (onArrow)
                onArrow();
            event->accept();
            return;
        }
        QToolButton::mousePressEvent(event);
    }
};

}  // namespace

cToolbar::cToolbar(QWidget* parent) : QToolBar(parent)
{
    setMovable(false);
    setFloatable(false);
}

void cToolbar::ToolbarCreate(int imageSize, bool, bool textBeside, bool)
{
    if (imageSize > 0)
        setIconSize(QSize(imageSize, imageSize));
    m_textBeside = textBeside;
}

long cToolbar::ToolbarAddButton(const QString& tip, long icon, int, const QString& caption, long style,
                                const QString& key)
{
    Entry e{key, tip, caption, icon, style, nullptr};
    if (style == tbrSeparator) {
        addSeparator();
        m_buttons.push_back(e);
        return ButtonCount();
    }
    const long index = ButtonCount() + 1;
    QToolButton* b = nullptr;
    if (style == tbrDropDown) {
        auto* d = new DropDownButton(this);
        d->onArrow = [this, index] { DropDown(index); };
        // The style draws the arrow part only for a button that has a menu; it is never opened.
        d->setMenu(new QMenu(d));
        d->setPopupMode(QToolButton::MenuButtonPopup);
        b = d;
    } else {
        b = new QToolButton(this);
    }
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setToolTip(tip);
    b->setText(caption);
    if (m_images && icon >= 0)
        b->setIcon(m_images->Icon(static_cast<int>(icon)));
    b->setIconSize(iconSize());
    b->setToolButtonStyle(caption.trimmed().isEmpty() ? Qt::ToolButtonIconOnly
                          : m_textBeside              ? Qt::ToolButtonTextBesideIcon
                                                      : Qt::ToolButtonTextUnderIcon);
    b->setCheckable(style == tbrCheck);
    b->setProperty("qm_key", key);
    connect(b, &QToolButton::clicked, this, [this, index] { emit ButtonClick(index); });
    addWidget(b);
    e.button = b;
    m_buttons.push_back(e);
    return index;
}

const cToolbar::Entry* cToolbar::entry(long index) const
{
    return index >= 1 && index <= ButtonCount() ? &m_buttons[static_cast<size_t>(index - 1)] : nullptr;
}

QString cToolbar::ButtonKey(long index) const
{
    const Entry* e = entry(index);
    return e ? e->key : QString();
}

long cToolbar::ButtonIndex(const QString& key) const
{
    for (long i = 1; i <= ButtonCount(); ++i)
        if (m_buttons[static_cast<size_t>(i - 1)].style != tbrSeparator && m_buttons[static_cast<size_t>(i - 1)].key == key)
            return i;
    return 0;
}

QString cToolbar::ButtonCaption(long index) const
{
    const Entry* e = entry(index);
    return e ? e->caption : QString();
}

QString cToolbar::ButtonTip(long index) const
{
    const Entry* e = entry(index);
    return e ? e->tip : QString();
}

long cToolbar::ButtonIcon(long index) const
{
    const Entry* e = entry(index);
    return e ? e->icon : -1;
}

long cToolbar::ButtonStyle(long index) const
{
    const Entry* e = entry(index);
    return e ? e->style : -1;
}

bool cToolbar::ButtonPressed(long index) const
{
    const Entry* e = entry(index);
    return e && e->button && e->button->isChecked();
}

void cToolbar::ButtonPressed(long index, bool pressed)
{
    const Entry* e = entry(index);
    if (e && e->button && e->button->isCheckable())
        e->button->setChecked(pressed);
}

bool cToolbar::ButtonEnabled(const QString& key) const
{
    const Entry* e = entry(ButtonIndex(key));
    return e && e->button && e->button->isEnabled();
}

void cToolbar::ButtonEnabled(const QString& key, bool enabled)
{
    const Entry* e = entry(ButtonIndex(key));
    if (e && e->button)
        e->button->setEnabled(enabled);
}

QToolButton* cToolbar::Button(long index) const
{
    const Entry* e = entry(index);
    return e ? e->button : nullptr;
}

void cToolbar::ButtonScreenPoint(long index, long& x, long& y) const
{
    const Entry* e = entry(index);
    const QWidget* w = e && e->button ? static_cast<const QWidget*>(e->button) : this;
    const QPoint p = w->mapToGlobal(QPoint(0, w->height()));
    x = p.x();
    y = p.y();
}

void cToolbar::Click(long index)
{
    const Entry* e = entry(index);
    if (!e || !e->button || !e->button->isEnabled())
        return;
    e->button->click();  // toggles a check button, then raises ButtonClick
}

void cToolbar::DropDown(long index)
{
    const Entry* e = entry(index);
    if (e && e->style == tbrDropDown)
        emit ButtonDropDown(index);
}
