// What the two fixed-layout windows share: a design rectangle in twips, the designed font with its
// stand-in, the window grey, and the set-up of a fixed-size window with only a close box.
#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

class QWidget;

namespace glyphmeter::ui {

// Left, Top, Width and Height of a control as designed, in twips.
struct Box {
    float left;
    float top;
    float width;
    float height;
};

QRect twipsRect(const Box& box);

// One control of a fixed-layout window: the objectName it is found by (tests and style sheets use
// it; an element of a control array adds its index, "name(3)") and its rectangle in twips.
struct DesignedControl {
    const char* objectName;
    Box box;
};

// A line shape: its objectName and its two ends in twips.
struct DesignedLine {
    const char* objectName;
    float x1;
    float y1;
    float x2;
    float y2;
};

// The background of both windows.
inline const QColor windowGrey(224, 224, 224);
// The text colour of the light desktop theme the backgrounds were chosen for.
inline const QColor controlText(0, 0, 0);

// Verdana at `points`, or DejaVu Sans, its metric-close stand-in, where Verdana is not installed.
QFont designFont(double points, bool bold = false);

// Makes `window` a fixed-size window with a close box only, its client area at `clientArea`
// (twips, on the screen), titled `title`, with the program's icon and a window-grey background.
// Its labels and lines draw in controlText: the backgrounds are fixed light greys, so the texts
// keep their dark colour even when the desktop theme's text colour is light.
void setUpFixedWindow(QWidget* window, const QString& objectName, const QString& title,
                      const Box& clientArea);

}  // namespace glyphmeter::ui
