// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "settings/controls/ColorSwatch.h"

#include <QMouseEvent>
#include <QPainter>

ColorSwatch::ColorSwatch(QWidget* parent) : QWidget(parent) { setCursor(Qt::PointingHandCursor); }

void ColorSwatch::SetBackColor(int32_t color)
{
    m_color = color;
    update();
}

QColor ColorSwatch::ToQColor(int32_t color)
{
    const auto c = static_cast<uint32_t>(color);
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

int32_t ColorSwatch::FromQColor(const QColor& color)
{
    return static_cast<int32_t>(uint32_t(color.red()) | (uint32_t(color.green()) << 8) | (uint32_t(color.blue()) << 16));
}

void ColorSwatch::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), ToQColor(m_color));
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void ColorSwatch::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit Click();
}
