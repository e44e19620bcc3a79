// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "recording/cReBar.h"

#include <QHBoxLayout>
#include <QLabel>

cReBar::cReBar(QWidget* parent) : QFrame(parent)
{
    setFrameShape(QFrame::NoFrame);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->setSpacing(4);
    layout->addStretch(1);
}

long cReBar::AddBandByHwnd(QWidget* child, const QString& text, const QString& key)
{
    auto* layout = static_cast<QHBoxLayout*>(this->layout());
    const int at = layout->count() - 1;  // before the stretch
    if (!text.isEmpty())
        layout->insertWidget(at, new QLabel(text, this));
    child->setParent(this);
    layout->insertWidget(layout->count() - 1, child);
    m_bands.push_back({child, text, key});
    return BandCount();
}

QString cReBar::BandKey(long band) const
{
    return band >= 1 && band <= BandCount() ? m_bands[static_cast<size_t>(band - 1)].key : QString();
}

QWidget* cReBar::BandChild(const QString& key) const
{
    for (const Band& b : m_bands)
        if (b.key == key)
            return b.child;
    return nullptr;
}
