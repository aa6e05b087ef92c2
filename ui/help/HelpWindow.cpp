// The one help window of the program, created on demand and destroyed when closed.
#include "HelpWindow.h"

#include <QPointer>

#include "frmHelp.h"

namespace glyphmeter::ui::HelpWindow {

namespace {

// Cleared by Qt when the window is destroyed on closing.
QPointer<frmHelp>& reference() {
    static QPointer<frmHelp> window;
    return window;
}

}  // namespace

frmHelp* current() {
    return reference().data();
}

frmHelp* show() {
    QPointer<frmHelp>& window = reference();
    if (!window) {
        window = new frmHelp;
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

}  // namespace glyphmeter::ui::HelpWindow
