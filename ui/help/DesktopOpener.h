// Opening a web address with the desktop's own handler, for systems without ShellExecuteA.
#pragma once

#include <string>

namespace glyphmeter::ui::HyperlinkModule {

// Hands `address` to the desktop's default browser; returns at once, whatever happens.
void openWithDesktop(const std::string& address);

}  // namespace glyphmeter::ui::HyperlinkModule
