// The real shell binding on Windows, with ShellExecuteA itself replaced by a recording stand-in:
// the program's calls go through the import table entry __imp_ShellExecuteA, and a definition of
// that entry here wins over shell32's import library at link time. No browser is started.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HyperlinkModule.h"

namespace {

struct ShellCall {
    HWND window;
    std::string verb, file, parameters, directory;
    INT showCommand;
};

std::vector<ShellCall> shellCalls;

std::string text(LPCSTR value) {
    return value == nullptr ? "(null)" : value;
}

HINSTANCE WINAPI recordingShellExecuteA(HWND window, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                                        LPCSTR directory, INT showCommand) {
    shellCalls.push_back(
        {window, text(verb), text(file), text(parameters), text(directory), showCommand});
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));  // success, as shell32 says it
}

}  // namespace

extern "C" {
// The import table slot the compiler calls ShellExecuteA through.
HINSTANCE(WINAPI* __imp_ShellExecuteA)
(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT) = &recordingShellExecuteA;
}

namespace HyperlinkModule = glyphmeter::ui::HyperlinkModule;

TEST(HyperlinkModuleOnWindows, open_address_calls_ShellExecuteA_once_with_the_designed_arguments) {
    HyperlinkModule::replaceShell({});  // the real binding
    shellCalls.clear();
    HyperlinkModule::openAddress(0x1234, "http://www.example.org/");

    ASSERT_EQ(shellCalls.size(), 1u);
    const ShellCall& call = shellCalls.front();
    EXPECT_EQ(call.window, reinterpret_cast<HWND>(0x1234));
    EXPECT_EQ(call.verb, "open");
    EXPECT_EQ(call.file, "http://www.example.org/");
    EXPECT_EQ(call.parameters, "1");
    EXPECT_EQ(call.directory, "1");
    EXPECT_EQ(call.showCommand, SW_SHOWNORMAL);
}
