// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "mainwindow/cStatusBar.h"

#include "components/cImageList.h"

#include <QToolButton>

cStatusBar::cStatusBar(QWidget* parent) : QStatusBar(parent) { setSizeGripEnabled(true); }

long cStatusBar::StatusAddPanel(long, const QString& text, const QString& text2, long icon, long minWidth, bool, bool,
                                long, const QString& key)
{
    auto* b = new QToolButton(this);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    b->setIconSize(QSize(16, 16));
    b->setText(text);
    b->setToolTip(text2.isEmpty() ? key : text2);
    b->setMinimumWidth(static_cast<int>(minWidth));
    b->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    if (m_images && icon >= 0)
        b->setIcon(m_images->Icon(static_cast<int>(icon)));
    const long index = PanelCount() + 1;
    connect(b, &QToolButton::clicked, this, [this, index] { emit PanelClick(index); });
    // The list summary takes the room that is left; the others keep their own width.
    addWidget(b, key == QLatin1String("Items List Properties") ? 1 : 0);
    m_panels.push_back(Panel_{key, text, icon, b});
    return index;
}

cStatusBar::Panel_* cStatusBar::byKey(const QString& key)
{
    for (Panel_& p : m_panels)
        if (p.key == key)
            return &p;
    return nullptr;
}

const cStatusBar::Panel_* cStatusBar::byKey(const QString& key) const
{
    for (const Panel_& p : m_panels)
        if (p.key == key)
            return &p;
    return nullptr;
}

QString cStatusBar::StatusPanelKey(long index) const
{
    return index >= 1 && index <= PanelCount() ? m_panels[static_cast<size_t>(index - 1)].key : QString();
}

QString cStatusBar::StatusPanelText(const QString& key) const
{
    const Panel_* p = byKey(key);
    return p ? p->text : QString();
}

void cStatusBar::StatusPanelText(const QString& key, const QString& text)
{
    if (Panel_* p = byKey(key)) {
        p->text = text;
        p->button->setText(text);
    }
}

long cStatusBar::StatusPanelIcon(const QString& key) const
{
    const Panel_* p = byKey(key);
    return p ? p->icon : -1;
}

void cStatusBar::StatusPanelIcon(const QString& key, long icon)
{
    if (Panel_* p = byKey(key)) {
        p->icon = icon;
        p->button->setIcon(m_images && icon >= 0 ? m_images->Icon(static_cast<int>(icon)) : QIcon());
    }
}

QToolButton* cStatusBar::Panel(long index) const
{
    return index >= 1 && index <= PanelCount() ? m_panels[static_cast<size_t>(index - 1)].button : nullptr;
}

void cStatusBar::ClickPanel(long index)
{
    if (QToolButton* b = Panel(index))
        b->click();
}
