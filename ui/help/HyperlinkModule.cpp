// The shell binding: ShellExecuteA on Windows, the desktop's URL handler elsewhere.
#include "HyperlinkModule.h"

#include <utility>

#ifdef _WIN32
#include <windows.h>
// shellapi.h needs the types of windows.h.
#include <shellapi.h>
#else
#include "DesktopOpener.h"
#endif

namespace glyphmeter::ui::HyperlinkModule {

namespace {

Shell& currentShell() {
    static Shell shell = systemShell;
    return shell;
}

}  // namespace

void systemShell(const ShellRequest& request) {
#ifdef _WIN32
    // The ANSI entry point: addresses are plain ASCII. The result (an instance handle above 32 on
    // success) is deliberately ignored; a missing browser is not the program's to report.
    ShellExecuteA(reinterpret_cast<HWND>(request.window), request.verb.c_str(),
                  request.file.c_str(), request.parameters.c_str(), request.directory.c_str(),
                  request.showCommand);
#else
    openWithDesktop(request.file);
#endif
}

Shell replaceShell(Shell shell) {
    if (!shell) {
        shell = systemShell;
    }
    return std::exchange(currentShell(), std::move(shell));
}

void openAddress(WindowHandle window, const std::string& address) {
    currentShell()({window, "open", address, "1", "1", showNormal});
}

}  // namespace glyphmeter::ui::HyperlinkModule
