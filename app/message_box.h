// The message box through which the program tells the user something.
#pragma once

#include <windows.h>

#include <string_view>

namespace sorvane {

// Shows a modal box owned by `owner` with GBK text (CR LF starts a new line)
// and caption, and the platform's style flags (0: one OK button, no icon).
// Gives the identifier of the button that closed it minus 1.
int ShowMessage(HWND owner, std::string_view text, unsigned flags, std::string_view caption);

// Called just before every box of ShowMessage is created, with its owner;
// this is where the skin installs the hook that restyles the box.
using BeforeMessageBox = void (*)(HWND owner);
void SetBeforeMessageBox(BeforeMessageBox prepare);

}  // namespace sorvane
