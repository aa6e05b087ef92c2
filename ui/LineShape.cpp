// Line shapes with twip ends.
#include "LineShape.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

#include "Twips.h"

namespace glyphmeter::ui {

LineShape::LineShape(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    applyGeometry();
}

void LineShape::setX1(float twips) {
    x1_ = twips;
    applyGeometry();
}

void LineShape::setY1(float twips) {
    y1_ = twips;
    applyGeometry();
}

void LineShape::setX2(float twips) {
    x2_ = twips;
    applyGeometry();
}

void LineShape::setY2(float twips) {
    y2_ = twips;
    applyGeometry();
}

void LineShape::setEnds(float x1, float y1, float x2, float y2) {
    x1_ = x1;
    y1_ = y1;
    x2_ = x2;
    y2_ = y2;
    applyGeometry();
}

void LineShape::setBorderWidth(int pixels) {
    borderWidth_ = std::max(1, pixels);
    applyGeometry();
}

QColor LineShape::borderColor() const {
    return borderColor_.isValid() ? borderColor_ : palette().color(QPalette::WindowText);
}

void LineShape::setBorderColor(const QColor& colour) {
    borderColor_ = colour;
    update();
}

void LineShape::copyAppearanceFrom(const LineShape& other) {
    setPalette(other.palette());
    borderColor_ = other.borderColor_;
    setBorderWidth(other.borderWidth_);
}

void LineShape::applyGeometry() {
    // The bounding box of both ends, widened by the pen's reach and a pixel for rounding.
    const QPointF a = toPixelsF(x1_, y1_);
    const QPointF b = toPixelsF(x2_, y2_);
    const double reach = borderWidth_ / 2.0 + 1.0;
    const int left = static_cast<int>(std::floor(std::min(a.x(), b.x()) - reach));
    const int top = static_cast<int>(std::floor(std::min(a.y(), b.y()) - reach));
    const int right = static_cast<int>(std::ceil(std::max(a.x(), b.x()) + reach));
    const int bottom = static_cast<int>(std::ceil(std::max(a.y(), b.y()) + reach));
    setGeometry(left, top, right - left, bottom - top);
    update();
}

void LineShape::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.translate(-pos());
    painter.setPen(QPen(borderColor(), borderWidth_, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(toPixelsF(x1_, y1_), toPixelsF(x2_, y2_));
}

}  // namespace glyphmeter::ui
