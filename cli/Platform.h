// The few things the command-line tool does differently on each platform.
#pragma once

#include <vector>

#include "CommandLine.h"

namespace glyphmeter::cli {

// The program's arguments after its own name. Windows takes them from the wide command line, so
// file names outside the ANSI code page survive; elsewhere they are argv's bytes.
std::vector<Argument> commandLineArguments(int argc, char** argv);

// Makes the standard streams carry bytes unchanged: no "\r\n" for "\n" on Windows.
void useBinaryStandardStreams();

}  // namespace glyphmeter::cli
