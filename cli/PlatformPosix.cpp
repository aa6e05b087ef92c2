// Platform.h on POSIX systems: arguments are bytes already, and streams have no text mode.
#include "Platform.h"

namespace glyphmeter::cli {

std::vector<std::filesystem::path> commandLineArguments(int argc, char** argv) {
    std::vector<std::filesystem::path> arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.emplace_back(argv[i]);
    }
    return arguments;
}

void useBinaryStandardStreams() {}

}  // namespace glyphmeter::cli
