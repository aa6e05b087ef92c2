// The file-open dialog component of a window: a settable title, a modal "open" dialog and the
// chosen file name. A thin layer over QFileDialog with a seam for tests.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace glyphmeter::ui {

// Shows a modal dialog over `parent` for choosing one existing file to open, with `title` as its
// caption, no filter and no start folder. Returns the full path of the confirmed file, or nothing
// when the user cancelled.
using FileChooser = std::function<std::optional<QString>(QWidget* parent, const QString& title)>;

// The platform's own file-open dialog where it has one (Qt's otherwise).
std::optional<QString> nativeFileChooser(QWidget* parent, const QString& title);

// A dialog component owned by a window: invisible itself, it shows the dialog on demand and then
// remembers the file name. Create it as a child of the window the dialog belongs to.
class FileOpenDialog : public QObject {
    Q_OBJECT

  public:
    explicit FileOpenDialog(QWidget* window, FileChooser chooser = nativeFileChooser);

    void setTitle(const QString& title) { title_ = title; }
    const QString& title() const { return title_; }

    // Shows the modal file-open dialog over the owning window and returns when the user closes it.
    // A cancel is not an error: it leaves fileName() as it was.
    void showOpen();

    // The full path of the file last confirmed; empty until the first confirmation.
    const QString& fileName() const { return fileName_; }

    // Replaces the dialog, for tests; returns the previous one.
    FileChooser replaceChooser(FileChooser chooser);

  private:
    FileChooser chooser_;
    QString title_;
    QString fileName_;
};

}  // namespace glyphmeter::ui
