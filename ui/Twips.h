// Twips (1/1440 inch), the unit of every position and size in the windows' designs, and their
// one conversion to Qt's logical pixels.
//
// The designs assume 15 twips a pixel (96 dots per inch). Qt scales logical pixels on high-DPI
// screens by itself, so this ratio is fixed and nothing else in the program divides by 15.
#pragma once

#include <QPointF>
#include <QRect>

#include <cmath>

namespace glyphmeter::ui {

inline constexpr int twipsPerPixel = 15;

// The exact position in logical pixels, for drawing (line ends).
inline constexpr double toPixelsF(double twips) {
    return twips / twipsPerPixel;
}

// The nearest whole logical pixel (halves away from zero), for widget geometry.
inline int toPixels(double twips) {
    return static_cast<int>(std::lround(twips / twipsPerPixel));
}

inline QPointF toPixelsF(double xTwips, double yTwips) {
    return {toPixelsF(xTwips), toPixelsF(yTwips)};
}

// A widget rectangle from its design Left, Top, Width and Height, each rounded on its own.
inline QRect twipsRect(double left, double top, double width, double height) {
    return {toPixels(left), toPixels(top), toPixels(width), toPixels(height)};
}

}  // namespace glyphmeter::ui
