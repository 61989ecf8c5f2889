// Delivery of work to the thread that owns a window, and the marker that
// keeps the runtime's own property writes from raising control events.
#pragma once

#include <windows.h>

#include <functional>

namespace sorvane {

// Gives the calling thread a message-only window that runs closures sent or
// posted to it. Windows of the runtime are only created on such threads.
void EnsureDispatcherForThisThread();
void SetUiThread(DWORD threadId);
DWORD UiThreadId();

// Runs `work` on the thread that owns `window` and returns when it has run,
// but only while the window exists (checked on that thread). False when the
// window is gone or its thread has no dispatcher.
bool RunOnWindowThread(HWND window, const std::function<void()>& work);

// While one of these lives on a thread, the runtime is writing a property
// there and the controls' notifications are not raised as form events.
class PropertyWriteScope {
public:
    PropertyWriteScope();
    ~PropertyWriteScope();
    PropertyWriteScope(const PropertyWriteScope&) = delete;
    PropertyWriteScope& operator=(const PropertyWriteScope&) = delete;
    static bool Active();
};

}  // namespace sorvane
