// The focus rectangle of the designed controls, drawn by the style.
#include "FocusMark.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QWidget>

namespace glyphmeter::ui {

namespace {

// The Windows styles dot the frame in one colour, the opposite of the background colour given.
// Over a picture no one colour shows everywhere, so there the dots invert whatever lies under
// them instead, as the system's own focus rectangle does; over a plain background both come out
// the same.
bool dotsInvert(const QStyle& style) {
    const QString name = style.name();
    return name == QLatin1String("windows") || name == QLatin1String("windowsvista");
}

}  // namespace

void drawFocusMark(QPainter& painter, const QWidget& control, const QRect& around) {
    QStyleOptionFocusRect option;
    option.initFrom(&control);
    option.rect = around;
    option.state |= QStyle::State_HasFocus | QStyle::State_KeyboardFocusChange;
    painter.save();
    if (dotsInvert(*control.style())) {
        // Dots in white, XORed with what is under them.
        option.backgroundColor = Qt::black;
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    } else {
        option.backgroundColor = control.palette().color(QPalette::Window);
    }
    control.style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, &control);
    painter.restore();
}

}  // namespace glyphmeter::ui
