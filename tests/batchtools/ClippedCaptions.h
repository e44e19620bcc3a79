// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QAbstractButton>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QWidget>

// The controls on a panel whose text is cut off: wider than the control or past the panel.
inline QStringList clipped(QWidget* panel)
{
    QStringList out;
    for (QWidget* w : panel->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(panel))
            continue;
        QString text;
        int needed = 0;
        if (auto* l = qobject_cast<QLabel*>(w)) {
            text = l->text();
            needed = l->sizeHint().width();
        } else if (auto* p = qobject_cast<QPushButton*>(w)) {
            // A push button's size hint has a style minimum well beyond short texts.
            text = p->text();
            needed = p->fontMetrics().horizontalAdvance(text) + 6;
        } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            text = b->text();
            needed = b->sizeHint().width();
        }
        if (text.isEmpty())
            continue;
        if (needed > w->width() || w->geometry().right() > panel->width())
            out << text;
    }
    return out;
}

