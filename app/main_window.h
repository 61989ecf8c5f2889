// The main window: its form definition, its own event handlers, and the
// program's run from start-up to the end of the process.
#pragma once

#include "app/form_runtime.h"

namespace sorvane {

// The main window's definition: title, place, controls and the hidden
// "Tarnwick" menu.
const FormDef& MainFormDefinition();

// The loaded main window, or nullptr while none is open.
Form* MainWindow();

// Creates the main window, runs its creation steps (the result-list lock is
// opened, "url.txt" is read into the other-sites text, the site boxes are
// linked to the site table) and shows it. A main window already open is
// destroyed first.
Form& LoadMainWindow();

// The whole program: start-up, the message loop until the main window is
// destroyed, the release of the process-wide state. Ends the process itself
// (at once, without waiting for workers blocked on the network) and so does
// not return.
[[noreturn]] void RunProgram();

}  // namespace sorvane
