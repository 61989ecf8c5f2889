// The clipboard, the shell's default handler and starting other programs.
#pragma once

#include <string_view>

namespace sorvane {

// Replaces the clipboard's contents with the GBK text (as Unicode text).
bool SetClipboardText(std::string_view gbk);

// Hands an address or document to the user's default handler ("open").
void OpenWithShell(std::string_view address);

// Starts a command line with its window shown normally and waits at most
// `waitForInputIdleMs` for it to become ready for input. False when the
// process could not be started.
bool RunCommandLine(std::string_view commandLine, unsigned waitForInputIdleMs);

}  // namespace sorvane
