#include "StartUp.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>

#include "LetterKernels.h"
#include "main/MainWindow.h"

namespace glyphmeter::app {

namespace {

// The parser both start-up steps share, so that --help describes what fileToOpen() accepts.
void describeCommandLine(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral("Counts how often each letter A to Z occurs in a text file."));
    // "-reverse" or "-stylesheet" are the toolkit's options, not letters run together.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(
        QStringLiteral("FILE"),
        QStringLiteral("Text file to count at once, as if chosen and calculated in the window. "
                       "When several are given, the first is opened and the rest are ignored."),
        QStringLiteral("[FILE...]"));
}

}  // namespace

void nameProgram() {
    QCoreApplication::setApplicationName(QStringLiteral("Glyphmeter"));
    QCoreApplication::setApplicationVersion(QStringLiteral(GLYPHMETER_VERSION_TEXT));
    // Ties the windows to the installed menu entry glyphmeter.desktop (its icon on Wayland).
    QGuiApplication::setDesktopFileName(QStringLiteral("glyphmeter"));
}

void answerHelpAndVersion(int& argc, char** argv) {
    // A console application reads the arguments as the windowed one will, without a display.
    const QCoreApplication console(argc, argv);
    QCommandLineParser parser;
    describeCommandLine(parser);
    // Unknown options are the toolkit's or wrong; fileToOpen() tells them apart.
    parser.parse(QCoreApplication::arguments());
    if (parser.isSet(QStringLiteral("help"))) {
        parser.showHelp(0);
    }
    if (parser.isSet(QStringLiteral("version"))) {
        parser.showVersion();
    }
}

QString fileToOpen(const QStringList& arguments) {
    QCommandLineParser parser;
    describeCommandLine(parser);
    parser.process(arguments);
    return parser.positionalArguments().value(0);
}

std::string kernelWarning(const char* requested) {
    const std::string problem = analysis::kernelChoiceProblem(requested);
    return problem.empty() ? problem
                           : "glyphmeter: GLYPHMETER_KERNEL: " + problem +
                                 "; counting with the fastest kernel instead\n";
}

void reportKernelChoice() {
    const std::string warning = kernelWarning(std::getenv("GLYPHMETER_KERNEL"));
    std::fwrite(warning.data(), 1, warning.size(), stderr);
    std::fflush(stderr);
}

void showWindow(ui::MainWindow& window, const QString& file) {
    window.show();
    if (!file.isEmpty()) {
        window.openFile(file);
    }
}

}  // namespace glyphmeter::app
