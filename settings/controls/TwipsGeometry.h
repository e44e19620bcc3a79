// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "foundation/Twips.h"

#include <QWidget>

// Window layouts are designed in twips; these place a widget from design values.
inline void PlaceTw(QWidget* w, int left, int top, int width, int height)
{
    w->setGeometry(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height));
}
inline void MoveTw(QWidget* w, int left, int top) { w->move(TwipsToPixels(left), TwipsToPixels(top)); }
inline int LeftTw(const QWidget* w) { return PixelsToTwips(w->x()); }
inline int TopTw(const QWidget* w) { return PixelsToTwips(w->y()); }
inline int WidthTw(const QWidget* w) { return PixelsToTwips(w->width()); }
inline int HeightTw(const QWidget* w) { return PixelsToTwips(w->height()); }
