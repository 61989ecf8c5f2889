// The program's process-wide variables.
//
// The user-interface thread is their only writer, except `resultCounter`,
// which workers increase while they hold `resultListLock`.
#pragma once

#include <windows.h>

#include <array>
#include <atomic>
#include <string>

#include "app/form_runtime.h"
#include "app/result_list_lock.h"

namespace sorvane {

inline constexpr int kServiceCount = 22;

// Owns one thread handle; assigning a new one closes the old.
class ThreadHandle {
public:
    ThreadHandle() = default;
    explicit ThreadHandle(HANDLE handle) : handle_(handle) {}
    ~ThreadHandle() { Reset(); }
    ThreadHandle(const ThreadHandle&) = delete;
    ThreadHandle& operator=(const ThreadHandle&) = delete;
    ThreadHandle(ThreadHandle&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
    ThreadHandle& operator=(ThreadHandle&& other) noexcept {
        if (this != &other) {
            Reset(other.handle_);
            other.handle_ = nullptr;
        }
        return *this;
    }
    void Reset(HANDLE handle = nullptr) {
        if (handle_ != nullptr && handle_ != handle) CloseHandle(handle_);
        handle_ = handle;
    }
    HANDLE Get() const { return handle_; }
    bool IsEmpty() const { return handle_ == nullptr; }

private:
    HANDLE handle_ = nullptr;
};

struct SharedState {
    std::string otherSitesText;                  // the extra sites, ";"-separated
    std::array<Control, kServiceCount> siteBoxes;  // index 0 is site 1
    // Reset by the dispatch without the lock while an earlier worker may still
    // count under it, so it is atomic.
    std::atomic<int> resultCounter{0};
    ResultListLock resultListLock;  // open from main-window creation to destruction
    std::array<ThreadHandle, kServiceCount> workerHandles;  // slot i-1 for service i
};

SharedState& Shared();

// Gives every variable its initial value (closing stored worker handles).
void ResetSharedState();

// Takes ownership of the handle of the worker started for built-in service
// `serviceIndex` (1 to 22); the slot's previous handle is closed. A handle
// for an index outside 1 to 22 is closed at once.
void StoreWorkerHandle(int serviceIndex, HANDLE thread);

// Run once the message loop has ended: frees every process-wide variable.
void ReleaseSharedState();

}  // namespace sorvane
