// Renders the main window to PNG files without a display: empty as it opens, then after
// calculating the letters of a sample file. Used by scripts/screenshot.
//
// usage: glyphmeter_screenshot OUTPUT_FOLDER SAMPLE_FILE
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTextStream>

#include "main/frmGlyphmeter.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 3) {
        QTextStream(stderr) << "usage: glyphmeter_screenshot OUTPUT_FOLDER SAMPLE_FILE\n";
        return 2;
    }
    const QDir output(QString::fromLocal8Bit(argv[1]));
    glyphmeter::ui::frmGlyphmeter::Services services;
    // A message would wait for a person: print it instead.
    services.showMessage = [](QWidget*, const QString& text) {
        QTextStream(stderr) << "message: " << text << '\n';
    };
    glyphmeter::ui::frmGlyphmeter window(services);
    window.show();
    QApplication::processEvents();

    const auto save = [&](const QString& name) {
        const QString file = output.filePath(name);
        if (!window.grab().save(file)) {
            QTextStream(stderr) << "could not write " << file << '\n';
            return false;
        }
        QTextStream(stdout) << file << '\n';
        return true;
    };
    if (!save(QStringLiteral("main-window-empty.png"))) {
        return 1;
    }
    window.findChild<QLineEdit*>(QStringLiteral("txtSourceFile"))
        ->setText(QString::fromLocal8Bit(argv[2]));
    window.btnCalcFreq_Click();
    QApplication::processEvents();
    return save(QStringLiteral("main-window-calculated.png")) ? 0 : 1;
}
