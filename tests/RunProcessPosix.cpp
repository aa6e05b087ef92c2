// RunProcess.h with posix_spawn: output and errors go to files in a temporary folder.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>

#include "RunProcess.h"
#include "TempDir.h"

extern char** environ;

namespace glyphmeter::testing {

namespace {

[[noreturn]] void fail(const char* what, int error) {
    throw std::system_error(error, std::generic_category(), what);
}

std::string readWhole(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// This process's environment with `changes` applied.
std::vector<std::string> environmentWith(
    const std::vector<std::pair<std::string, std::string>>& changes) {
    std::vector<std::string> result;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        bool replaced = false;
        for (const auto& [name, value] : changes) {
            replaced = replaced || text.starts_with(name + "=");
        }
        if (!replaced) {
            result.push_back(text);
        }
    }
    for (const auto& [name, value] : changes) {
        result.push_back(name + "=" + value);
    }
    return result;
}

std::vector<char*> pointers(std::vector<std::string>& texts) {
    std::vector<char*> result;
    for (std::string& text : texts) {
        result.push_back(text.data());
    }
    result.push_back(nullptr);
    return result;
}

class FileActions {
  public:
    FileActions() { posix_spawn_file_actions_init(&actions_); }
    ~FileActions() { posix_spawn_file_actions_destroy(&actions_); }
    posix_spawn_file_actions_t* get() { return &actions_; }

  private:
    posix_spawn_file_actions_t actions_;
};

}  // namespace

ProcessResult runProcess(const std::filesystem::path& program, const ProcessRun& run) {
    // A program that exits without reading its input must not kill the test with SIGPIPE.
    ::signal(SIGPIPE, SIG_IGN);

    const TempDir capture;
    const std::filesystem::path outFile = run.standardOutputFile.value_or(capture.path() / "out");
    const std::filesystem::path errFile = capture.path() / "err";

    std::vector<std::string> argumentTexts{program.string()};
    argumentTexts.insert(argumentTexts.end(), run.arguments.begin(), run.arguments.end());
    std::vector<std::string> environmentTexts = environmentWith(run.environment);

    int inputPipe[2] = {-1, -1};
    FileActions actions;
    if (run.standardInput) {
        if (::pipe(inputPipe) != 0) {
            fail("pipe", errno);
        }
        posix_spawn_file_actions_adddup2(actions.get(), inputPipe[0], STDIN_FILENO);
        posix_spawn_file_actions_addclose(actions.get(), inputPipe[0]);
        posix_spawn_file_actions_addclose(actions.get(), inputPipe[1]);
    } else {
        posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    }
    posix_spawn_file_actions_addopen(actions.get(), STDOUT_FILENO, outFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(actions.get(), STDERR_FILENO, errFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);

    pid_t child = 0;
    const int spawnError =
        ::posix_spawn(&child, program.c_str(), actions.get(), nullptr,
                      pointers(argumentTexts).data(), pointers(environmentTexts).data());
    if (run.standardInput) {
        ::close(inputPipe[0]);
        if (spawnError == 0) {
            const std::string& text = *run.standardInput;
            std::size_t done = 0;
            while (done < text.size()) {
                const ssize_t wrote = ::write(inputPipe[1], text.data() + done, text.size() - done);
                if (wrote <= 0) {
                    break;  // the program stopped reading
                }
                done += static_cast<std::size_t>(wrote);
            }
        }
        ::close(inputPipe[1]);
    }
    if (spawnError != 0) {
        fail("posix_spawn", spawnError);
    }

    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            fail("waitpid", errno);
        }
    }
    ProcessResult result;
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (!run.standardOutputFile) {
        result.standardOutput = readWhole(outFile);
    }
    result.standardError = readWhole(errFile);
    return result;
}

}  // namespace glyphmeter::testing
