// The path typed or chosen in the main window, as the Calculate command checks and opens it.
#pragma once

#include <QString>

#include <filesystem>

namespace glyphmeter::ui {

// True only when `text`, taken exactly as it is (no trimming), names an existing regular file
// that is neither hidden (a dot name on Unix, the hidden attribute on Windows) nor a Windows
// system file. Directories, FIFOs, devices, sockets, missing paths and the empty text fail:
// reading a device such as /dev/zero would never end.
bool namesOrdinaryFile(const QString& text);

// The same path in the form the file system functions take.
std::filesystem::path toFilesystemPath(const QString& text);

}  // namespace glyphmeter::ui
