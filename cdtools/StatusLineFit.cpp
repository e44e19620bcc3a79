// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "cdtools/StatusLineFit.h"

#include <QEvent>
#include <QFontMetrics>
#include <QLabel>

#include <algorithm>

StatusLineFit::StatusLineFit(QLabel* label, const QRect& room, Grow grow)
    : QObject(label), m_label(label), m_own(label->geometry()), m_room(room), m_grow(grow), m_ownAlignment(label->alignment()),
      m_ownWrap(label->wordWrap()), m_ownFill(label->autoFillBackground())
{
    label->installEventFilter(this);
    fit();
}

bool StatusLineFit::eventFilter(QObject* watched, QEvent* event)
{
    // A new text always repaints the label: its place is settled before it is drawn. Shown,
    // the label's holder has its final size, which bounds the room.
    if (watched == m_label && ((event->type() == QEvent::Paint && m_label->text() != m_fitted) || event->type() == QEvent::Show))
        fit();
    return QObject::eventFilter(watched, event);
}

bool StatusLineFit::fitsOwnPlace() const
{
    const QFontMetrics metrics = m_label->fontMetrics();
    const int margins = 2 * m_label->margin();
    const int width = m_own.width() - margins;
    if (!m_ownWrap)
        return metrics.horizontalAdvance(m_label->text()) <= width;
    const QRect drawn = metrics.boundingRect(QRect(0, 0, width, 100000), Qt::TextWordWrap, m_label->text());
    return drawn.width() <= width && drawn.height() <= m_own.height() - margins;
}

void StatusLineFit::Covers(const QList<QWidget*>& widgets)
{
    for (QWidget* w : widgets)
        m_covered << w;
    if (m_inRoom)
        fit();
}

void StatusLineFit::refit()
{
    if (m_label->text() != m_fitted)
        fit();
}

void StatusLineFit::fit()
{
    m_fitted = m_label->text();
    if (fitsOwnPlace()) {
        if (m_inRoom) {
            m_inRoom = false;
            m_label->setWordWrap(m_ownWrap);
            m_label->setAlignment(m_ownAlignment);
            m_label->setAutoFillBackground(m_ownFill);
            m_label->setGeometry(m_own);
            for (const QPointer<QWidget>& w : std::as_const(m_hidden))
                if (w)
                    w->show();
            m_hidden.clear();
        }
        return;
    }
    m_inRoom = true;
    for (const QPointer<QWidget>& w : std::as_const(m_covered))
        if (w && !w->isHidden() && !m_hidden.contains(w)) {
            m_hidden << w;
            w->hide();
        }
    m_label->setWordWrap(true);
    m_label->setAlignment(Qt::AlignLeft | (m_grow == Grow::Down ? Qt::AlignTop : Qt::AlignBottom));
    // Drawn over what lies in the room, which would show through the lines.
    m_label->setAutoFillBackground(true);
    // The room ends where what holds the label ends, whose size is settled only once it is shown.
    const QRect room = m_label->parentWidget() ? m_room.intersected(m_label->parentWidget()->rect()) : m_room;
    const int margins = 2 * m_label->margin();
    const QRect drawn = m_label->fontMetrics().boundingRect(QRect(0, 0, room.width() - margins, 100000), Qt::TextWordWrap, m_fitted);
    const int height = std::clamp(drawn.height() + margins, std::min(m_own.height(), room.height()), room.height());
    m_label->setGeometry(m_grow == Grow::Down ? QRect(room.left(), room.top(), room.width(), height)
                                              : QRect(room.left(), room.bottom() + 1 - height, room.width(), height));
    m_label->raise();
}
