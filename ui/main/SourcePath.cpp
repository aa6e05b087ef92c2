// Checking and converting the source file's path.
#include "SourcePath.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace glyphmeter::ui {

namespace {

bool isSystemFile([[maybe_unused]] const QString& text) {
#ifdef Q_OS_WIN
    const DWORD attributes = GetFileAttributesW(reinterpret_cast<LPCWSTR>(text.utf16()));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_SYSTEM) != 0;
#else
    return false;
#endif
}

}  // namespace

bool namesOrdinaryFile(const QString& text) {
    if (text.isEmpty()) {
        return false;
    }
    const QFileInfo info(text);
    // isFile() holds for regular files (and links to them) only, not for FIFOs or devices.
    return info.exists() && info.isFile() && !info.isHidden() && !isSystemFile(text);
}

std::filesystem::path toFilesystemPath(const QString& text) {
#ifdef Q_OS_WIN
    return std::filesystem::path(text.toStdWString());
#else
    const QByteArray encoded = QFile::encodeName(text);
    return std::filesystem::path(encoded.toStdString());
#endif
}

}  // namespace glyphmeter::ui
