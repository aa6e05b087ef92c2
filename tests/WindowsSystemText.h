// What Windows says for an error code, in UTF-8 and without its line break: the reason texts the
// program reports.
#pragma once

#include <windows.h>

#include <string>

namespace glyphmeter::testing {

inline std::string systemText(DWORD error) {
    wchar_t text[512]{};
    DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                    nullptr, error, 0, text, 512, nullptr);
    while (length > 0 && (text[length - 1] == L'\r' || text[length - 1] == L'\n')) {
        --length;
    }
    std::string utf8(4 * length, '\0');
    utf8.resize(::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), utf8.data(),
                                      static_cast<int>(utf8.size()), nullptr, nullptr));
    return utf8;
}

}  // namespace glyphmeter::testing
