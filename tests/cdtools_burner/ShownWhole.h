// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QFontMetrics>
#include <QLabel>
#include <QString>

#include <gtest/gtest.h>

namespace shownwhole {

// Why a label does not show its whole text where a user sees it: cut at its own edge, or
// placed past the edge of what holds it; "" when it shows it all.
inline QString whyNotWhole(const QLabel* label)
{
    if (!label->isVisible())
        return QStringLiteral("hidden");
    const QRect inside = label->contentsRect();
    const QString text = label->text();
    if (label->wordWrap()) {
        const QRect drawn = label->fontMetrics().boundingRect(QRect(0, 0, inside.width(), 100000), Qt::TextWordWrap, text);
        if (drawn.width() > inside.width())
            return QStringLiteral("a word is %1 px wide in %2 px").arg(drawn.width()).arg(inside.width());
        if (drawn.height() > inside.height())
            return QStringLiteral("the lines take %1 px of %2 px").arg(drawn.height()).arg(inside.height());
    } else if (label->fontMetrics().horizontalAdvance(text) > inside.width()) {
        return QStringLiteral("one line of %1 px in %2 px").arg(label->fontMetrics().horizontalAdvance(text)).arg(inside.width());
    }
    for (const QWidget* w = label; w->parentWidget() && !w->isWindow(); w = w->parentWidget()) {
        const QRect mine = label->rect().translated(label->mapTo(w->parentWidget(), QPoint(0, 0)));
        if (!w->parentWidget()->rect().contains(mine))
            return QStringLiteral("past the edge of %1").arg(w->parentWidget()->objectName());
    }
    return {};
}

}  // namespace shownwhole

#define EXPECT_SHOWN_WHOLE(label) \
    EXPECT_EQ(shownwhole::whyNotWhole(label).toStdString(), std::string()) << (label)->text().toStdString()
