// Running the built glyphmeter-cli from tests, and the output every system must give for
// "Hello, World".
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "RunProcess.h"

namespace glyphmeter::testing {

inline const std::filesystem::path cliProgram = GLYPHMETER_CLI_PATH;

// The CSV of "Hello, World" as every system writes it: plain "\n" line ends.
inline const std::string helloCsv =
    "letter,count,frequency\n"
    "A,0,0.0000\nB,0,0.0000\nC,0,0.0000\nD,1,0.1000\nE,1,0.1000\nF,0,0.0000\nG,0,0.0000\n"
    "H,1,0.1000\nI,0,0.0000\nJ,0,0.0000\nK,0,0.0000\nL,3,0.3000\nM,0,0.0000\nN,0,0.0000\n"
    "O,2,0.2000\nP,0,0.0000\nQ,0,0.0000\nR,1,0.1000\nS,0,0.0000\nT,0,0.0000\nU,0,0.0000\n"
    "V,0,0.0000\nW,1,0.1000\nX,0,0.0000\nY,0,0.0000\nZ,0,0.0000\n";

// Runs the tool; unless the run sets variables, the letter limit variable is emptied so the
// outer environment cannot matter.
inline ProcessResult cli(std::vector<std::string> arguments, ProcessRun run = {}) {
    run.arguments = std::move(arguments);
    if (run.environment.empty()) {
        run.environment.push_back({"GLYPHMETER_LETTER_LIMIT", ""});
    }
    return runProcess(cliProgram, run);
}

}  // namespace glyphmeter::testing
