// A designed control that opens something when clicked or pressed from the keyboard: the help
// window's web address and store banner.
#pragma once

#include <functional>

class QCursor;
class QWidget;

namespace glyphmeter::ui {

// Makes `control` a link. It takes the mouse and shows `pointer` while the pointer is over it; a
// click on it (the left button released over it) calls `open` once. Tab reaches it, though a click
// leaves the focus where it was; while it has the focus, Enter or Space calls `open` once per
// press (a held key's repeats call nothing) and every other key does what it does elsewhere in
// the window. Screen readers hear it as a link whose press action clicks it. The control draws
// its own focus mark: Label and PictureBox do.
void makeLink(QWidget* control, const QCursor& pointer, std::function<void()> open);

}  // namespace glyphmeter::ui
