// A straight line drawn on a window, such as a bar of the letter chart.
//
// The two ends are kept in twips as single-precision numbers, exactly as set, and are readable
// and writable as the Qt properties x1, y1, x2 and y2. The line is `borderWidth` pixels wide with
// round ends (so a line only a fraction of a pixel long still shows as a dot), drawn solid
// without anti-aliasing. Its colour is `borderColor`, or while that is unset the window-text
// colour of its palette. It takes no mouse input: clicks fall through to what lies behind it.
//
// The widget covers only the line's bounding box (plus the pen), and moves and resizes itself
// whenever an end changes.
#pragma once

#include <QColor>
#include <QWidget>

namespace glyphmeter::ui {

class LineShape : public QWidget {
    Q_OBJECT
    Q_PROPERTY(float x1 READ x1 WRITE setX1)
    Q_PROPERTY(float y1 READ y1 WRITE setY1)
    Q_PROPERTY(float x2 READ x2 WRITE setX2)
    Q_PROPERTY(float y2 READ y2 WRITE setY2)
    Q_PROPERTY(int borderWidth READ borderWidth WRITE setBorderWidth)
    Q_PROPERTY(QColor borderColor READ borderColor WRITE setBorderColor)

  public:
    // A 1-pixel line from (0, 0) to (0, 0).
    explicit LineShape(QWidget* parent);

    float x1() const { return x1_; }
    float y1() const { return y1_; }
    float x2() const { return x2_; }
    float y2() const { return y2_; }
    void setX1(float twips);
    void setY1(float twips);
    void setX2(float twips);
    void setY2(float twips);
    void setEnds(float x1, float y1, float x2, float y2);

    int borderWidth() const { return borderWidth_; }
    void setBorderWidth(int pixels);

    // The colour drawn: the one set, or the palette's window-text colour.
    QColor borderColor() const;
    void setBorderColor(const QColor& colour);

    // Takes line width and colours of `other`; the ends and visibility stay as they are.
    void copyAppearanceFrom(const LineShape& other);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void applyGeometry();

    float x1_ = 0;
    float y1_ = 0;
    float x2_ = 0;
    float y2_ = 0;
    int borderWidth_ = 1;
    QColor borderColor_;  // invalid: follow the palette
};

}  // namespace glyphmeter::ui
