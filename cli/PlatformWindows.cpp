// Platform.h on Windows: wide arguments and binary standard streams.
// windows.h first: shellapi.h depends on its declarations.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>

#include "Platform.h"

namespace glyphmeter::cli {

std::vector<std::filesystem::path> commandLineArguments(int, char**) {
    // argv holds the arguments converted to the ANSI code page, which loses every character
    // outside it; the wide command line has them all.
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::filesystem::path> arguments;
    if (wide != nullptr) {
        for (int i = 1; i < count; ++i) {
            arguments.emplace_back(wide[i]);
        }
        ::LocalFree(wide);
    }
    return arguments;
}

void useBinaryStandardStreams() {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
}

}  // namespace glyphmeter::cli
