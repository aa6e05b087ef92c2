// A push button whose caption wraps at word boundaries to fit the button, centred in it.
//
// QPushButton draws its text on one line and lets it run past the edges; the windows' buttons
// have fixed sizes and captions such as "Calculate Frequency" that need two lines in a narrow
// button. text() stays the caption as given: only the drawing wraps.
#pragma once

#include <QPushButton>

namespace glyphmeter::ui {

class CommandButton : public QPushButton {
    Q_OBJECT

  public:
    CommandButton(const QString& caption, QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace glyphmeter::ui
