// How the windowed program starts: its name and version, its command line (one optional FILE to
// open at once), and showing the main window with that file counted.
#pragma once

#include <QString>
#include <QStringList>
#include <string>

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

// The line standard error gets when the GLYPHMETER_KERNEL value `requested` names no kernel this
// processor has, ended by a line break; empty when the value is followed (or null or empty).
std::string kernelWarning(const char* requested);

// Writes kernelWarning() for the environment's GLYPHMETER_KERNEL to standard error, if any. The
// counting then uses the fastest kernel, as without the variable: the window has no other way to
// say the variable was not followed, and a user of the window has no use for a refusal.
void reportKernelChoice();

// Shows `window`. With a file, it then puts the file into the path box and calculates it, as the
// user would with Calculate Frequency, once the window has been painted: the window is on screen,
// with the hourglass, before a long count or a message starts.
void showWindow(ui::MainWindow& window, const QString& file);

}  // namespace glyphmeter::app
