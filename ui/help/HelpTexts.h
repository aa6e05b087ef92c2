// The texts of the help window's three text boxes.
#pragma once

#include <QString>

namespace glyphmeter::ui::HelpTexts {

// How to use the program: eight fixed lines, each ending in CR LF.
QString instructions();

// Passing the program on, and the store banner.
QString distributionNotice();

// Copyright, and no warranty or liability.
QString warrantyNotice();

}  // namespace glyphmeter::ui::HelpTexts
