// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "settings/controls/cTabControl.h"

#include "foundation/Twips.h"

#include <QPainter>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>

cTabControl::cTabControl(QWidget* parent) : QWidget(parent), m_bar(new QTabBar(this))
{
    m_bar->setDrawBase(false);
    m_bar->setExpanding(false);
    connect(m_bar, &QTabBar::currentChanged, this, [this](int i) {
        if (!m_silent && i >= 0)
            emit TabClick(i + 1);
    });
}

void cTabControl::AddTab(const QString& caption, const QString& key)
{
    m_silent = true;
    m_bar->addTab(caption);
    m_silent = false;
    m_keys.append(key);
    m_bar->resize(width(), m_bar->sizeHint().height());
}

int cTabControl::TabCount() const { return m_keys.size(); }
int cTabControl::TabIndex(const QString& key) const { return m_keys.indexOf(key) + 1; }
QString cTabControl::TabKey(int index) const { return index >= 1 && index <= m_keys.size() ? m_keys.at(index - 1) : QString(); }
int cTabControl::SelectedIndex() const { return m_bar->currentIndex() + 1; }

bool cTabControl::SelectTab(const QString& key)
{
    const int i = m_keys.indexOf(key);
    if (i < 0)
        return false;
    m_silent = true;
    m_bar->setCurrentIndex(i);
    m_silent = false;
    return true;
}

int cTabControl::ClientLeft() const { return PixelsToTwips(x() + 2); }
int cTabControl::ClientTop() const { return PixelsToTwips(y() + m_bar->sizeHint().height() + 2); }
int cTabControl::ClientWidth() const { return PixelsToTwips(qMax(0, width() - 4)); }
int cTabControl::ClientHeight() const { return PixelsToTwips(qMax(0, height() - m_bar->sizeHint().height() - 4)); }

void cTabControl::resizeEvent(QResizeEvent*) { m_bar->resize(width(), m_bar->sizeHint().height()); }

void cTabControl::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QStyleOptionTabWidgetFrame opt;
    opt.initFrom(this);
    opt.rect = rect().adjusted(0, m_bar->sizeHint().height() - 1, 0, 0);
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &opt, &p, this);
}
