// The program's one reference to the help window.
#pragma once

namespace glyphmeter::ui {

class frmHelp;

namespace HelpWindow {

// The help window while it is open, otherwise nullptr.
frmHelp* current();

// Shows the help window modeless and without an owner, and brings it to the front. When none is
// open it is first built from its design, at its start position; closing it destroys it, so the
// next call builds a fresh one. There is never more than one.
frmHelp* show();

}  // namespace HelpWindow

}  // namespace glyphmeter::ui
