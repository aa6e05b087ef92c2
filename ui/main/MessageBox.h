// The program's message box: modal, titled with the program's name, no icon, one OK button.
#pragma once

#include <QString>

class QWidget;

namespace glyphmeter::ui {

inline constexpr char16_t programTitle[] = u"Glyphmeter";

// Shows `text` over `parent` and returns once the user has dismissed it.
void showMessageBox(QWidget* parent, const QString& text);

}  // namespace glyphmeter::ui
