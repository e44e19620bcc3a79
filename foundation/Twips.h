// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <cmath>

// Geometry is kept in twips; the screen takes pixels at 15 twips each, rounded half to even.
inline int TwipsToPixels(double twips)
{
    return static_cast<int>(std::nearbyint(twips / 15.0));  // default rounding mode: ties to even
}
inline constexpr int PixelsToTwips(int pixels) { return pixels * 15; }
