// The focus rectangle of the designed controls, drawn by the style.
#include "FocusMark.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QWidget>

namespace glyphmeter::ui {

void drawFocusMark(QPainter& painter, const QWidget& control, const QRect& around) {
    QStyleOptionFocusRect option;
    option.initFrom(&control);
    option.rect = around;
    option.state |= QStyle::State_HasFocus | QStyle::State_KeyboardFocusChange;
    // The Windows style dots the frame in the opposite of this colour, so that it shows on it.
    option.backgroundColor = control.palette().color(QPalette::Window);
    painter.save();
    control.style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, &control);
    painter.restore();
}

}  // namespace glyphmeter::ui
