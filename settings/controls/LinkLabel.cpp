// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "settings/controls/LinkLabel.h"

#include <QEvent>
#include <QMouseEvent>

LinkLabel::LinkLabel(const QString& text, QWidget* parent, bool underline) : QLabel(text, parent)
{
    // Blue only while enabled: setting the colour for every group would paint a disabled link
    // just like an enabled one.
    QPalette p = palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        p.setColor(group, QPalette::WindowText, QColor(0, 0, 255));
    setPalette(p);
    if (underline) {
        QFont f = font();
        f.setUnderline(true);
        setFont(f);
    }
    followEnabled();
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit Click();
}

void LinkLabel::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange)
        followEnabled();
    QLabel::changeEvent(event);
}

void LinkLabel::followEnabled()
{
    if (isEnabled())
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
}
