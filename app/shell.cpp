#include "app/shell.h"

#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <string>

#include "app/codepage.h"
#include "app/kernel_handle.h"

namespace sorvane {
namespace {

class GlobalMemory {
public:
    explicit GlobalMemory(std::size_t bytes) : handle_(GlobalAlloc(GMEM_MOVEABLE, bytes)) {}
    ~GlobalMemory() {
        if (handle_ != nullptr) GlobalFree(handle_);
    }
    GlobalMemory(const GlobalMemory&) = delete;
    GlobalMemory& operator=(const GlobalMemory&) = delete;
    HGLOBAL Get() const { return handle_; }
    // The clipboard took it over.
    void Release() { handle_ = nullptr; }

private:
    HGLOBAL handle_;
};

class ClipboardSession {
public:
    ClipboardSession() {
        // Another program may hold the clipboard for a moment.
        for (int attempt = 0; attempt < 10 && !open_; ++attempt) {
            open_ = OpenClipboard(nullptr) != FALSE;
            if (!open_) Sleep(10);
        }
    }
    ~ClipboardSession() {
        if (open_) CloseClipboard();
    }
    ClipboardSession(const ClipboardSession&) = delete;
    ClipboardSession& operator=(const ClipboardSession&) = delete;
    bool IsOpen() const { return open_; }

private:
    bool open_ = false;
};


}  // namespace

bool SetClipboardText(std::string_view gbk) {
    const std::wstring text = WideFromGbk(gbk);
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    GlobalMemory memory(bytes);
    if (memory.Get() == nullptr) return false;
    void* target = GlobalLock(memory.Get());
    if (target == nullptr) return false;
    std::memcpy(target, text.c_str(), bytes);
    GlobalUnlock(memory.Get());

    ClipboardSession clipboard;
    if (!clipboard.IsOpen() || !EmptyClipboard()) return false;
    if (SetClipboardData(CF_UNICODETEXT, memory.Get()) == nullptr) return false;
    memory.Release();
    return true;
}

void OpenWithShell(std::string_view address) {
    ShellExecuteW(nullptr, L"open", WideFromGbk(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

bool RunCommandLine(std::string_view commandLine, unsigned waitForInputIdleMs) {
    std::wstring line = WideFromGbk(commandLine);
    if (line.empty()) return false;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started))
        return false;
    const KernelHandle process(started.hProcess);
    const KernelHandle thread(started.hThread);
    WaitForInputIdle(process.Get(), waitForInputIdleMs);
    return true;
}

}  // namespace sorvane
