// A flat picture box: its picture at its natural size from the top-left corner, clipped at the
// box's edges and never scaled (see makePicture() in DesignedControls.h). A box that takes the
// keyboard focus (a link) shows the focus mark around its whole rectangle while it has it.
#pragma once

#include <QLabel>

namespace glyphmeter::ui {

class PictureBox : public QLabel {
    Q_OBJECT

  public:
    explicit PictureBox(QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace glyphmeter::ui
