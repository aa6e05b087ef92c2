// How the windowed program starts: its name and version, its command line (one optional FILE to
// open at once), and showing the main window with that file counted.
#pragma once

#include <QString>
#include <QStringList>

namespace glyphmeter::ui {
class MainWindow;
}

namespace glyphmeter::app {

// Gives the toolkit the program's name, version and desktop entry. Callable before the
// application object exists.
void nameProgram();

// Answers --help and --version (also -h, -v) on standard output and ends the process with status
// 0; returns when neither is asked for. Runs before the windowed application exists, so both work
// without a display; every other argument, the toolkit's own options included, is left to
// fileToOpen().
void answerHelpAndVersion(int& argc, char** argv);

// Reads the windowed application's arguments (program name first, the toolkit's own options
// already taken out): the first FILE, or an empty text when none is given; further FILEs are
// ignored. An unknown option is reported on standard error and ends the process with status 1.
QString fileToOpen(const QStringList& arguments);

// Shows `window`. With a file, it then puts the file into the path box and calculates it, as the
// user would with Calculate Frequency, once the window has been painted: the window is on screen,
// with the hourglass, before a long count or a message starts.
void showWindow(ui::MainWindow& window, const QString& file);

}  // namespace glyphmeter::app
