// The mark a control draws around itself, or around its text, while it has the keyboard focus.
#pragma once

class QPainter;
class QRect;
class QWidget;

namespace glyphmeter::ui {

// Draws the style's focus rectangle (QStyle::PE_FrameFocusRect: a dotted frame in the Windows
// styles, whose dots invert what lies under them so that they show on a picture too; Fusion's
// outline elsewhere) on `around`, with `painter` painting `control`. The mark is
// drawn whenever this is called: the designed controls that take the focus are reached only from
// the keyboard, so a style's habit of hiding the mark until the keyboard is used doesn't apply.
void drawFocusMark(QPainter& painter, const QWidget& control, const QRect& around);

}  // namespace glyphmeter::ui
