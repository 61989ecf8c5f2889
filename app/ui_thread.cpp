#include "app/ui_thread.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "app/form_runtime.h"

namespace sorvane {
namespace {

constexpr UINT kRunSentWork = WM_APP + 0x51;    // lParam: const std::function<void()>*
constexpr UINT kRunPostedWork = WM_APP + 0x52;  // lParam: std::function<void()>*, owned
constexpr wchar_t kDispatcherClass[] = L"SorvaneDispatcher";

std::mutex g_dispatchersMutex;
struct Dispatcher {
    DWORD thread;
    HWND window;
};
std::vector<Dispatcher> g_dispatchers;
std::atomic<DWORD> g_uiThread{0};
thread_local int t_propertyWriteDepth = 0;

void RunGuarded(const std::function<void()>& work) noexcept {
    try {
        if (work) work();
    } catch (...) {
        // Nothing may unwind through the window procedure.
    }
}

LRESULT CALLBACK DispatcherProcedure(HWND window, UINT message, WPARAM wParam,
                                     LPARAM lParam) noexcept {
    switch (message) {
    case kRunSentWork:
        RunGuarded(*reinterpret_cast<const std::function<void()>*>(lParam));
        return 1;
    case kRunPostedWork: {
        std::unique_ptr<std::function<void()>> work(
            reinterpret_cast<std::function<void()>*>(lParam));
        RunGuarded(*work);
        return 1;
    }
    case WM_NCDESTROY: {
        std::lock_guard<std::mutex> lock(g_dispatchersMutex);
        std::erase_if(g_dispatchers, [window](const Dispatcher& d) { return d.window == window; });
        break;
    }
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND DispatcherOf(DWORD thread) {
    std::lock_guard<std::mutex> lock(g_dispatchersMutex);
    for (const Dispatcher& d : g_dispatchers)
        if (d.thread == thread) return d.window;
    return nullptr;
}

}  // namespace

void EnsureDispatcherForThisThread() {
    const DWORD thread = GetCurrentThreadId();
    if (DispatcherOf(thread) != nullptr) return;
    static const ATOM registered = [] {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = DispatcherProcedure;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kDispatcherClass;
        return RegisterClassExW(&wc);
    }();
    (void)registered;
    HWND window = CreateWindowExW(0, kDispatcherClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    if (window == nullptr) return;
    std::lock_guard<std::mutex> lock(g_dispatchersMutex);
    g_dispatchers.push_back({thread, window});
}

void SetUiThread(DWORD threadId) { g_uiThread = threadId; }
DWORD UiThreadId() { return g_uiThread; }

bool RunOnWindowThread(HWND window, const std::function<void()>& work) {
    if (window == nullptr || !IsWindow(window)) return false;
    const DWORD owner = GetWindowThreadProcessId(window, nullptr);
    if (owner == 0) return false;
    bool ran = false;
    const std::function<void()> guarded = [&] {
        if (!IsWindow(window)) return;
        ran = true;
        work();
    };
    if (owner == GetCurrentThreadId()) {
        guarded();
        return ran;
    }
    HWND dispatcher = DispatcherOf(owner);
    if (dispatcher == nullptr) return false;
    // A sent message is dispatched by every message loop of the owner thread,
    // modal ones included, so this cannot wait on a message box or a menu.
    SendMessageW(dispatcher, kRunSentWork, 0, reinterpret_cast<LPARAM>(&guarded));
    return ran;
}

bool RunOnUiThread(const std::function<void()>& work) {
    const DWORD ui = g_uiThread;
    if (ui == 0) return false;
    if (ui == GetCurrentThreadId()) {
        RunGuarded(work);
        return true;
    }
    HWND dispatcher = DispatcherOf(ui);
    if (dispatcher == nullptr) return false;
    return SendMessageW(dispatcher, kRunSentWork, 0, reinterpret_cast<LPARAM>(&work)) != 0;
}

bool PostToUiThread(std::function<void()> work) {
    HWND dispatcher = DispatcherOf(g_uiThread);
    if (dispatcher == nullptr) return false;
    auto owned = std::make_unique<std::function<void()>>(std::move(work));
    if (!PostMessageW(dispatcher, kRunPostedWork, 0, reinterpret_cast<LPARAM>(owned.get())))
        return false;
    owned.release();
    return true;
}

PropertyWriteScope::PropertyWriteScope() { ++t_propertyWriteDepth; }
PropertyWriteScope::~PropertyWriteScope() { --t_propertyWriteDepth; }
bool PropertyWriteScope::Active() { return t_propertyWriteDepth > 0; }

}  // namespace sorvane
