// RunProcess.h with CreateProcessW: arguments are UTF-8 and reach the program as wide text, so
// names outside the ANSI code page survive; output and errors go to files in a temporary folder.
#include <windows.h>

#include <cstdio>
#include <cwctype>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <system_error>

#include "RunProcess.h"
#include "TempDir.h"

namespace glyphmeter::testing {

namespace {

[[noreturn]] void fail(const char* what) {
    throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(), what);
}

std::wstring wide(const std::string& utf8) {
    if (utf8.empty()) {
        return {};
    }
    const int size =
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring result(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), result.data(),
                          size);
    return result;
}

std::string utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string readWhole(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// One argument quoted so that the C runtime's parser (and CommandLineToArgvW) gives it back
// unchanged: backslashes count only before a quote.
void appendQuoted(std::wstring& commandLine, const std::wstring& argument) {
    commandLine += L' ';
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        commandLine += argument;
        return;
    }
    commandLine += L'"';
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        commandLine.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        commandLine += c;
    }
    commandLine.append(2 * backslashes, L'\\');
    commandLine += L'"';
}

bool sameName(const std::wstring& entry, const std::wstring& name) {
    if (entry.size() <= name.size() || entry[name.size()] != L'=') {
        return false;
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (std::towupper(entry[i]) != std::towupper(name[i])) {
            return false;
        }
    }
    return true;
}

// This process's environment with `changes` applied, as the block CreateProcessW takes.
std::wstring environmentWith(const std::vector<std::pair<std::string, std::string>>& changes) {
    std::wstring block;
    wchar_t* const strings = ::GetEnvironmentStringsW();
    for (const wchar_t* entry = strings; *entry != L'\0'; entry += std::wcslen(entry) + 1) {
        const std::wstring text = entry;
        bool replaced = false;
        for (const auto& change : changes) {
            replaced = replaced || sameName(text, wide(change.first));
        }
        if (!replaced) {
            block += text;
            block += L'\0';
        }
    }
    ::FreeEnvironmentStringsW(strings);
    for (const auto& [name, value] : changes) {
        block += wide(name) + L"=" + wide(value);
        block += L'\0';
    }
    block += L'\0';
    return block;
}

class Handle {
  public:
    explicit Handle(HANDLE handle = nullptr) : handle_(handle) {}
    ~Handle() { reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return handle_; }
    void reset(HANDLE handle = nullptr) {
        if (handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE) {
            ::CloseHandle(handle_);
        }
        handle_ = handle;
    }

  private:
    HANDLE handle_;
};

// A file handle the child inherits.
HANDLE inheritable(const std::filesystem::path& path, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const HANDLE handle = ::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        &inherit, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        fail("CreateFileW");
    }
    return handle;
}

// A started program: its process, and the writing end of its standard input's pipe (if any).
struct Started {
    Handle child;
    Handle inputWriter;
};

// Starts `program` with its standard handles. False, with GetLastError() telling why, when
// CreateProcessW fails; the handles made for the attempt are closed then.
bool start(const std::filesystem::path& program, std::wstring commandLine, std::wstring environment,
           const ProcessRun& run, const std::filesystem::path& outFile,
           const std::filesystem::path& errFile, Started& started) {
    Handle input;
    if (run.standardInput) {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE reader = nullptr;
        HANDLE writer = nullptr;
        if (!::CreatePipe(&reader, &writer, &inherit, 0)) {
            fail("CreatePipe");
        }
        input.reset(reader);
        started.inputWriter.reset(writer);
        ::SetHandleInformation(writer, HANDLE_FLAG_INHERIT, 0);
    } else {
        input.reset(inheritable("NUL", GENERIC_READ, OPEN_EXISTING));
    }
    const Handle output(inheritable(outFile, GENERIC_WRITE, CREATE_ALWAYS));
    const Handle errors(inheritable(errFile, GENERIC_WRITE, CREATE_ALWAYS));

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input.get();
    startup.hStdOutput = output.get();
    startup.hStdError = errors.get();
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                          CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW, environment.data(),
                          nullptr, &startup, &process)) {
        const DWORD error = ::GetLastError();
        started.inputWriter.reset();
        ::SetLastError(error);
        return false;
    }
    started.child.reset(process.hProcess);
    ::CloseHandle(process.hThread);
    // Only the child holds the reading end now (`input` closes ours), so writing fails once it
    // exits without reading.
    return true;
}

// How long a program under test may run.
constexpr DWORD timeLimitMs = 120000;

}  // namespace

ProcessResult runProcess(const std::filesystem::path& program, const ProcessRun& run) {
    const TempDir capture;
    const std::filesystem::path outFile = run.standardOutputFile.value_or(capture.path() / "out");
    const std::filesystem::path errFile = capture.path() / "err";

    std::wstring commandLine;
    appendQuoted(commandLine, program.wstring());
    commandLine.erase(0, 1);
    for (const std::string& argument : run.arguments) {
        appendQuoted(commandLine, wide(argument));
    }
    const std::wstring environment = environmentWith(run.environment);

    // Wine answers ERROR_INTERNAL_ERROR when the new process ended before it had finished
    // starting, with no exit status of its own: its Unix process went away before the program
    // itself ran. That is Wine's own fault (seen under heavy load), and the program never ran, so
    // starting it again is safe; any other failure, or the same one every time, fails the test.
    Started started;
    constexpr int attempts = 3;
    for (int attempt = 1; !start(program, commandLine, environment, run, outFile, errFile, started);
         ++attempt) {
        if (::GetLastError() != ERROR_INTERNAL_ERROR || attempt == attempts) {
            fail("CreateProcessW");
        }
        std::fprintf(stderr,
                     "runProcess: Wine could not start %s (CreateProcessW: ERROR_INTERNAL_ERROR, "
                     "the new process ended while starting); starting it again\n",
                     utf8(program).c_str());
    }
    const Handle& child = started.child;
    if (run.standardInput) {
        const std::string& text = *run.standardInput;
        std::size_t done = 0;
        while (done < text.size()) {
            DWORD wrote = 0;
            if (!::WriteFile(started.inputWriter.get(), text.data() + done,
                             static_cast<DWORD>(text.size() - done), &wrote, nullptr) ||
                wrote == 0) {
                break;  // the program stopped reading
            }
            done += wrote;
        }
        started.inputWriter.reset();
    }

    if (::WaitForSingleObject(child.get(), timeLimitMs) != WAIT_OBJECT_0) {
        ::TerminateProcess(child.get(), 1);
        ::WaitForSingleObject(child.get(), 10000);
        throw std::runtime_error(utf8(program) + " did not end within " +
                                 std::to_string(timeLimitMs / 1000) + " s");
    }
    DWORD exitCode = 0;
    ProcessResult result;
    if (::GetExitCodeProcess(child.get(), &exitCode)) {
        result.exitStatus = static_cast<int>(exitCode);
    }
    if (!run.standardOutputFile) {
        result.standardOutput = readWhole(outFile);
    }
    result.standardError = readWhole(errFile);
    return result;
}

}  // namespace glyphmeter::testing
