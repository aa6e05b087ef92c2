// Designed labels and picture boxes, placed in twips and named as designed.
#include "DesignedControls.h"

#include <QPixmap>

#include "Label.h"
#include "PictureBox.h"

namespace glyphmeter::ui {

void placeControl(QWidget* control, const DesignedControl& design) {
    control->setObjectName(QLatin1String(design.objectName));
    control->setGeometry(twipsRect(design.box));
}

Label* makeLabel(QWidget* window, const DesignedControl& design, const QString& caption,
                 Qt::Alignment horizontal) {
    auto* label = new Label(window);
    label->setObjectName(QLatin1String(design.objectName));
    const Box& box = design.box;
    label->setTwipsGeometry(box.left, box.top, box.width, box.height);
    label->setHorizontalAlignment(horizontal);
    label->setText(caption);
    return label;
}

PictureBox* makePicture(QWidget* window, const DesignedControl& design, const QString& resource,
                        QPalette::ColorRole background) {
    auto* picture = new PictureBox(window);
    placeControl(picture, design);
    // A box that never grows to its picture: a larger picture is clipped.
    picture->setFixedSize(picture->size());
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picture->setScaledContents(false);
    picture->setPixmap(QPixmap(resource));
    picture->setBackgroundRole(background);
    picture->setAutoFillBackground(true);
    picture->setFocusPolicy(Qt::NoFocus);
    picture->setAttribute(Qt::WA_TransparentForMouseEvents);
    return picture;
}

}  // namespace glyphmeter::ui
