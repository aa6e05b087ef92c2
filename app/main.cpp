// The program: the main window, shown until the last window closes.
#include <QApplication>

#include "main/frmGlyphmeter.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Glyphmeter"));
    QApplication::setApplicationVersion(QStringLiteral("1.05"));
    // Ties the windows to the installed menu entry glyphmeter.desktop (its icon on Wayland).
    QGuiApplication::setDesktopFileName(QStringLiteral("glyphmeter"));
    glyphmeter::ui::frmGlyphmeter window;
    window.show();
    return app.exec();
}
