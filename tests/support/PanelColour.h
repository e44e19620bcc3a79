// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QCheckBox>
#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

#include <initializer_list>

namespace panelcolour {

// Each box shows its panel's colour around its indicator and text: its top row of pixels,
// clear of both, is the panel's colour all along.
inline void expectOnPanelColour(QWidget* panel, std::initializer_list<QCheckBox*> boxes)
{
    const QImage picture = panel->grab().toImage();
    const QRgb back = panel->palette().color(QPalette::Window).rgb();
    for (QCheckBox* box : boxes) {
        ASSERT_EQ(box->parentWidget(), panel) << box->objectName().toStdString();
        int other = 0;
        for (int x = box->x(); x <= box->geometry().right(); ++x)
            other += picture.pixel(x, box->y()) != back ? 1 : 0;
        EXPECT_EQ(other, 0) << box->objectName().toStdString() << " draws a band of another colour";
    }
}

}  // namespace panelcolour
