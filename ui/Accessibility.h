// What screen readers hear of the windows' controls, where Qt's own description falls short: a
// control left out because another one speaks for it or because it only decorates, and a control
// heard in a role of its own (a link, a text) rather than as a nameless widget.
//
// Names are set with QWidget::setAccessibleName(); these functions only mark controls. Mark them
// before anything queries their accessible interfaces (in the window's constructor), since Qt keeps
// an interface once made.
#pragma once

#include <QAccessible>

class QWidget;

namespace glyphmeter::ui::accessibility {

// Leaves `control` out of what assistive technology reads of its parent.
void silence(QWidget* control);

// `control` is heard in `role`. A link also offers the press action, which clicks it as the
// left mouse button does.
void setRole(QWidget* control, QAccessible::Role role);

}  // namespace glyphmeter::ui::accessibility
