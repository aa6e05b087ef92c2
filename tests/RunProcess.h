// Runs a program directly (no shell) and collects what it wrote and its exit status, so tests can
// check a built executable from the outside.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace glyphmeter::testing {

struct ProcessRun {
    std::vector<std::string> arguments;  // after the program's name
    // Fed through a pipe when set; otherwise standard input is empty.
    std::optional<std::string> standardInput;
    // Standard output goes to this file instead of being collected (a full device, say).
    std::optional<std::filesystem::path> standardOutputFile;
    // Set in the program's environment, on top of this process's own; an empty value stays set.
    std::vector<std::pair<std::string, std::string>> environment;
};

struct ProcessResult {
    int exitStatus = -1;  // -1 when the program did not exit normally (killed by a signal)
    std::string standardOutput;
    std::string standardError;
};

ProcessResult runProcess(const std::filesystem::path& program, const ProcessRun& run);

}  // namespace glyphmeter::testing
