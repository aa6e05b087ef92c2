// glyphmeter-cli: counts the letters of files and writes the results as a table, CSV or JSON.
#include "Platform.h"
#include "Program.h"

int main(int argc, char** argv) {
    glyphmeter::cli::useBinaryStandardStreams();
    return glyphmeter::cli::runProgram(glyphmeter::cli::commandLineArguments(argc, argv));
}
