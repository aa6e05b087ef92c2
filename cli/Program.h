// What glyphmeter-cli does, from its arguments to its exit status.
#pragma once

#include <vector>

#include "CommandLine.h"

namespace glyphmeter::cli {

enum ExitStatus : int {
    exitSuccess = 0,  // results written, also when counting stopped at the letter limit
    exitFailure = 1,  // a file could not be read, or the output could not be written
    exitUsage = 2,    // a wrong command line or environment variable
};

// Counts the files the arguments name and writes the results to standard output; problems go to
// standard error as "glyphmeter-cli: SUBJECT: reason".
int runProgram(std::vector<Argument> arguments);

}  // namespace glyphmeter::cli
