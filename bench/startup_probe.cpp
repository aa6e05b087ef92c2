// The program's start, up to the main window's first paint, and then its end: what main() does
// (application, window, show) followed by a quit as soon as the window has been drawn once.
// bench/main-window times it as a whole process.
#include <QApplication>
#include <QEvent>

#include "main/MainWindow.h"

namespace {

class QuitOnFirstPaint : public QObject {
  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            removeEventFilter(this);
            QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Glyphmeter"));
    QApplication::setApplicationVersion(QStringLiteral("1.05"));
    glyphmeter::ui::MainWindow window;
    QuitOnFirstPaint quit;
    window.installEventFilter(&quit);
    window.show();
    return app.exec();
}
