// Platform.h on Windows: wide arguments and binary standard streams.
// windows.h first: shellapi.h depends on its declarations.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>

#include "Platform.h"

namespace glyphmeter::cli {

std::vector<Argument> commandLineArguments(int, char**) {
    // argv holds the arguments converted to the ANSI code page, which loses every character
    // outside it; the wide command line has them all.
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<Argument> arguments;
    if (wide != nullptr) {
        for (int i = 1; i < count; ++i) {
            arguments.emplace_back(wide[i]);
        }
        ::LocalFree(wide);
    }
    return arguments;
}

namespace {

UINT consoleCodePageAtStart = 0;

void restoreConsoleCodePage() {
    ::SetConsoleOutputCP(consoleCodePageAtStart);
}

bool isConsole(FILE* stream) {
    DWORD mode = 0;
    return ::GetConsoleMode(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))), &mode) != 0;
}

}  // namespace

void useBinaryStandardStreams() {
    // Every stream in binary: the output and the messages are the same bytes as on other
    // systems, with "\n" line ends, which Windows consoles and tools read as well.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    // The tool writes UTF-8 (file names in messages and JSON); a console shows its own code page
    // unless told otherwise, for the time the tool runs.
    if ((isConsole(stdout) || isConsole(stderr)) && ::GetConsoleOutputCP() != CP_UTF8) {
        consoleCodePageAtStart = ::GetConsoleOutputCP();
        ::SetConsoleOutputCP(CP_UTF8);
        std::atexit(restoreConsoleCodePage);
    }
}

}  // namespace glyphmeter::cli
