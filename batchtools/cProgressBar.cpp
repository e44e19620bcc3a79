// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "batchtools/cProgressBar.h"

#include "settings/controls/ColorSwatch.h"

#include <algorithm>

cProgressBar::cProgressBar(QWidget* parent) : QProgressBar(parent)
{
    setTextVisible(false);
    setRange(0, 100);
    setValue(0);
}

void cProgressBar::Value(long value)
{
    m_value = value;
    // QProgressBar paints at once, on the spot, whenever a new value moves the bar; a task
    // reporting many entries in a burst would paint the window once per report. The bar is
    // drawn with the window's next paint instead, like every other control.
    const bool updates = updatesEnabled();
    if (updates)
        setUpdatesEnabled(false);
    setValue(static_cast<int>(std::clamp<long>(value, 0, m_max)));
    if (updates) {
        setUpdatesEnabled(true);
        update();
    }
}

void cProgressBar::Max(long max)
{
    m_max = std::max<long>(max, 0);
    setRange(0, static_cast<int>(m_max));
    Value(m_value);
}

void cProgressBar::BarColor(int32_t color)
{
    m_barColor = color;
    QPalette p = palette();
    p.setColor(QPalette::Highlight, ColorSwatch::ToQColor(color));
    setPalette(p);
}
