// Links: a click, Enter or Space on a control calls its one action.
#include "Link.h"

#include <QCursor>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include <utility>

#include "Accessibility.h"

namespace glyphmeter::ui {

namespace {

// Enter (either key) or Space on its own: the keys that press a focused link.
bool pressesLink(const QKeyEvent& key) {
    const bool pressKey =
        key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter || key.key() == Qt::Key_Space;
    return pressKey && (key.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

// Watches one control for its clicks and key presses; owned by the control.
class LinkActivation : public QObject {
  public:
    LinkActivation(QWidget* control, std::function<void()> open)
        : QObject(control), open_(std::move(open)) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        const auto* control = static_cast<QWidget*>(watched);
        if (event->type() == QEvent::MouseButtonRelease) {
            // A click is a left-button release over the control that took the press (Qt
            // delivers the release to that control).
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton &&
                control->rect().contains(mouse->position().toPoint())) {
                open_();
                return true;
            }
        } else if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (pressesLink(*key)) {
                // A key held down would otherwise open the page again with every repeat.
                if (!key->isAutoRepeat()) {
                    open_();
                }
                return true;
            }
        }
        return false;
    }

  private:
    std::function<void()> open_;
};

}  // namespace

void makeLink(QWidget* control, const QCursor& pointer, std::function<void()> open) {
    control->setAttribute(Qt::WA_TransparentForMouseEvents, false);
    control->setCursor(pointer);
    // Tab only: a click opens the link without moving the focus, and so without a focus mark.
    control->setFocusPolicy(Qt::TabFocus);
    control->installEventFilter(new LinkActivation(control, std::move(open)));
    accessibility::setRole(control, QAccessible::Link);
}

}  // namespace glyphmeter::ui
