// The program's single binding to the shell's "open" operation, which hands a web address to the
// system's default browser. This part is free of Qt, so it builds and is tested on its own (also
// in the Windows cross build).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace glyphmeter::ui::HyperlinkModule {

// A native top-level window handle (an HWND on Windows), or 0 for none.
using WindowHandle = std::uintptr_t;

// The show command SW_SHOWNORMAL: open the browser's window normally.
inline constexpr int showNormal = 1;

// One request to the shell, with the six arguments of ShellExecuteA in their order.
struct ShellRequest {
    WindowHandle window = 0;  // parent of any message the shell itself shows
    std::string verb;
    std::string file;  // the address to open
    std::string parameters;
    std::string directory;
    int showCommand = 0;

    bool operator==(const ShellRequest&) const = default;
};

// Something that carries out a shell request. Its outcome is never reported back: the program
// says nothing whether or not a browser opened.
using Shell = std::function<void(const ShellRequest&)>;

// The real shell: ShellExecuteA on Windows (its result ignored); elsewhere the desktop's handler
// for the address (verb, parameters, directory and show command have no counterpart there).
void systemShell(const ShellRequest& request);

// Makes `shell` the one that openAddress uses, and returns the one used until now. An empty
// function puts the real shell back. Tests use this to record requests instead of starting a
// browser.
Shell replaceShell(Shell shell);

// Asks the shell, once, to open `address` on behalf of `window`: verb "open", parameters "1",
// working directory "1", show command SW_SHOWNORMAL. Returns at once; nothing waits for the
// browser.
void openAddress(WindowHandle window, const std::string& address);

}  // namespace glyphmeter::ui::HyperlinkModule
