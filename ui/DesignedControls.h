// The one factory for the windows' designed controls: a control placed at its designed rectangle
// under its objectName, a caption label, and a flat picture box.
#pragma once

#include <QPalette>
#include <QString>

#include "DesignWindow.h"

class QWidget;

namespace glyphmeter::ui {

class Label;
class PictureBox;

// Names `control` with the design's objectName and places it at the design's rectangle, each
// twips value rounded to a whole pixel on its own.
void placeControl(QWidget* control, const DesignedControl& design);

// A transparent label in `window` at its designed place, in the window's font, showing `caption`
// aligned to `horizontal` (Qt::AlignLeft, Qt::AlignRight or Qt::AlignHCenter). An element of a
// control array is named by its array when adopted.
Label* makeLabel(QWidget* window, const DesignedControl& design, const QString& caption = {},
                 Qt::Alignment horizontal = Qt::AlignLeft);

// A flat picture box in `window` at its designed place: the picture loaded from `resource` at its
// natural size from the top-left corner, clipped at the box's edges and never scaled, on the
// palette's `background` colour where the picture doesn't reach. It takes no keyboard focus and
// lets the mouse through to the window (a link takes both, Link.h).
PictureBox* makePicture(QWidget* window, const DesignedControl& design, const QString& resource,
                        QPalette::ColorRole background);

}  // namespace glyphmeter::ui
