// Helpers for in-process GUI tests: pumping with a deadline, a watcher that
// answers message boxes, actions that run inside a modal loop once a window
// shows, a temporary current directory, and a fixture with the main window.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "app/form_runtime.h"

namespace sorvane::gui_test {

// Pumps the calling thread's messages until `done` is true (checked after
// every batch) or the deadline passes. True when `done` became true.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs);

// A visible top-level window of this process with that title (GBK), or null.
HWND FindProcessWindow(std::string_view titleGbk);

// Sends BM_CLICK, as a user's click would, so the button's events run.
void Click(const Control& button);
void Click(HWND button);

// The GBK window text of any window.
std::string WindowText(HWND window);

// One message box as the watcher saw it.
struct SeenBox {
    HWND owner = nullptr;
    std::string caption;  // GBK
    std::string text;     // GBK
};

// Watches, on a background thread, for message boxes ("#32770") of this
// process while it lives. For each new box it records owner, caption and
// text, calls `respond` (on the watcher thread; it must return soon and gives
// the button to press, e.g. IDOK) and presses that button; without a
// response it presses OK.
class MessageBoxWatcher {
public:
    using Respond = std::function<int(const SeenBox& box)>;
    explicit MessageBoxWatcher(Respond respond = {});
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    std::vector<SeenBox> Seen() const;
    std::size_t Count() const;

private:
    void Watch();
    Respond respond_;
    mutable std::mutex mutex_;
    std::vector<SeenBox> seen_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Runs `action` on the calling (user-interface) thread from whatever message
// loop it is in (a modal form's, a message box's) once a visible top-level
// window of this process with that title exists. At the deadline a window of
// that title still open is sent WM_CLOSE, so a modal loop under test ends
// even when the action did not close it.
class WhenWindowShown {
public:
    WhenWindowShown(std::string_view titleGbk, std::function<void(HWND window)> action,
                    int timeoutMs = 10000);
    ~WhenWindowShown();
    WhenWindowShown(const WhenWindowShown&) = delete;
    WhenWindowShown& operator=(const WhenWindowShown&) = delete;

    bool Fired() const { return fired_; }
    bool TimedOut() const { return timedOut_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) noexcept;
    void Check();
    std::string title_;
    std::function<void(HWND)> action_;
    DWORD deadline_;
    UINT_PTR timer_ = 0;
    bool fired_ = false;
    bool timedOut_ = false;
};

// A fresh empty directory made the current directory; on destruction the old
// current directory comes back and the directory is removed with its files.
class TemporaryCurrentDirectory {
public:
    TemporaryCurrentDirectory();
    ~TemporaryCurrentDirectory();
    TemporaryCurrentDirectory(const TemporaryCurrentDirectory&) = delete;
    TemporaryCurrentDirectory& operator=(const TemporaryCurrentDirectory&) = delete;
    const std::string& Path() const { return path_; }  // GBK, no trailing backslash

private:
    std::wstring previous_;
    std::string path_;
};

// The first child window with that class and (GBK) text; an empty text
// matches any.
HWND FindChild(HWND parent, std::wstring_view className, std::string_view textGbk = {});

// The main window loaded, with fresh process-wide state, in a temporary
// current directory (so "url.txt" is the test's own). Destroyed afterwards.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Destroys the main window and loads it again (e.g. after writing url.txt).
    void ReloadMainWindow();
    Control Find(std::string_view formName) const;
    HWND MainHandle() const;
    const TemporaryCurrentDirectory& Directory() const { return *directory_; }

private:
    std::unique_ptr<TemporaryCurrentDirectory> directory_;
};

}  // namespace sorvane::gui_test
