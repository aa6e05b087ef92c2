// Picture boxes with a focus mark.
#include "PictureBox.h"

#include <QPainter>

#include "FocusMark.h"

namespace glyphmeter::ui {

PictureBox::PictureBox(QWidget* parent) : QLabel(parent) {}

void PictureBox::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (hasFocus()) {
        QPainter painter(this);
        drawFocusMark(painter, *this, rect());
    }
}

}  // namespace glyphmeter::ui
