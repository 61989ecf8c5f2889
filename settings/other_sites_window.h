// The window in which the user lists extra sites to search, ";"-separated,
// kept in "url.txt" in the current directory.
#pragma once

#include <windows.h>

#include <string>

#include "app/form_runtime.h"

namespace sorvane {

const FormDef& OtherSitesFormDefinition();

// The help shown by the window's "帮助" button.
std::string OtherSitesHelpText();

// Opens the window modal to `owner` and returns when it has closed.
void OpenOtherSitesWindow(HWND owner);

}  // namespace sorvane
