// Platform.h on POSIX systems: arguments are bytes already, and streams have no text mode.
#include "Platform.h"

namespace glyphmeter::cli {

std::vector<Argument> commandLineArguments(int argc, char** argv) {
    std::vector<Argument> arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.emplace_back(argv[i]);
    }
    return arguments;
}

void useBinaryStandardStreams() {}

}  // namespace glyphmeter::cli
