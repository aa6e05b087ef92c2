// Renders the windows to PNG files without a display: the main window empty as it opens, then
// after calculating the letters of a sample file, and the help window as Help opens it and with
// each of its links focused. Used by scripts/screenshot.
//
// usage: glyphmeter_screenshot OUTPUT_FOLDER SAMPLE_FILE
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTextStream>

#include <utility>

#include "help/HelpWindow.h"
#include "main/MainWindow.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 3) {
        QTextStream(stderr) << "usage: glyphmeter_screenshot OUTPUT_FOLDER SAMPLE_FILE\n";
        return 2;
    }
    const QDir output(QString::fromLocal8Bit(argv[1]));
    glyphmeter::ui::MainWindow::Services services;
    // A message would wait for a person: print it instead.
    services.messageBox = [](QWidget*, const QString& text) {
        QTextStream(stderr) << "message: " << text << '\n';
    };
    glyphmeter::ui::MainWindow window(services);
    window.show();
    QApplication::processEvents();

    const auto save = [&](QWidget& shown, const QString& name) {
        const QString file = output.filePath(name);
        if (!shown.grab().save(file)) {
            QTextStream(stderr) << "could not write " << file << '\n';
            return false;
        }
        QTextStream(stdout) << file << '\n';
        return true;
    };
    if (!save(window, QStringLiteral("main-window-empty.png"))) {
        return 1;
    }
    window.findChild<QLineEdit*>(QStringLiteral("txtSourceFile"))
        ->setText(QString::fromLocal8Bit(argv[2]));
    window.calculate();
    QApplication::processEvents();
    if (!save(window, QStringLiteral("main-window-calculated.png"))) {
        return 1;
    }
    window.showHelp();
    QApplication::processEvents();
    glyphmeter::ui::HelpWindow& help = *glyphmeter::ui::HelpWindow::instance();
    if (!save(help, QStringLiteral("help-window.png"))) {
        return 1;
    }
    // Each link with the keyboard focus, as Tab leaves it.
    for (const auto& [name, file] : {std::pair{"Label2", "help-window-address-focused.png"},
                                     std::pair{"AmazonLink", "help-window-banner-focused.png"}}) {
        help.activateWindow();
        help.findChild<QWidget*>(QLatin1String(name))->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        if (!save(help, QLatin1String(file))) {
            return 1;
        }
    }
    return 0;
}
