// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "settings/controls/LinkLabel.h"

#include <QMouseEvent>

LinkLabel::LinkLabel(const QString& text, QWidget* parent, bool underline) : QLabel(text, parent)
{
    QPalette p = palette();
    p.setColor(QPalette::WindowText, QColor(0, 0, 255));
    setPalette(p);
    if (underline) {
        QFont f = font();
        f.setUnderline(true);
        setFont(f);
    }
    setCursor(Qt::PointingHandCursor);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit Click();
}
