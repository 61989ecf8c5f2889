#include "app/message_box.h"

#include "app/codepage.h"

namespace sorvane {
namespace {

BeforeMessageBox g_beforeMessageBox = nullptr;

}  // namespace

void SetBeforeMessageBox(BeforeMessageBox prepare) { g_beforeMessageBox = prepare; }

int ShowMessage(HWND owner, std::string_view text, unsigned flags, std::string_view caption) {
    if (g_beforeMessageBox != nullptr) g_beforeMessageBox(owner);
    const int pressed = MessageBoxExW(owner, WideFromGbk(text).c_str(), WideFromGbk(caption).c_str(),
                                      flags, 0);
    return pressed - 1;
}

}  // namespace sorvane
