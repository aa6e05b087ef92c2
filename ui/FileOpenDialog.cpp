// The file-open dialog component over QFileDialog.
#include "FileOpenDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QWidget>
#include <utility>

namespace glyphmeter::ui {

std::optional<QString> nativeFileChooser(QWidget* parent, const QString& title) {
    // No filter: files of every type are listed. QFileDialog uses the platform's dialog by default.
    const QString path = QFileDialog::getOpenFileName(parent, title);
    if (path.isEmpty()) {
        return std::nullopt;
    }
    // Qt separates folders with "/" everywhere; the path box shows the system's own separator.
    return QDir::toNativeSeparators(path);
}

FileOpenDialog::FileOpenDialog(QWidget* window, FileChooser chooser)
    : QObject(window), chooser_(std::move(chooser)) {}

void FileOpenDialog::showOpen() {
    if (const std::optional<QString> chosen = chooser_(qobject_cast<QWidget*>(parent()), title_)) {
        fileName_ = *chosen;
    }
}

FileChooser FileOpenDialog::replaceChooser(FileChooser chooser) {
    return std::exchange(chooser_, std::move(chooser));
}

}  // namespace glyphmeter::ui
