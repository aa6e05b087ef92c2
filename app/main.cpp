// The program: the main window, shown until the last window closes; a FILE on the command line
// is counted at once.
#include <QApplication>

#include "StartUp.h"
#include "main/MainWindow.h"

int main(int argc, char** argv) {
    glyphmeter::app::nameProgram();
    glyphmeter::app::answerHelpAndVersion(argc, argv);
    glyphmeter::app::reportKernelChoice();
    QApplication app(argc, argv);
    const QString file = glyphmeter::app::fileToOpen(QApplication::arguments());
    glyphmeter::ui::MainWindow window;
    glyphmeter::app::showWindow(window, file);
    return app.exec();
}
