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
#include "app/kernel_handle.h"
#include "app/result_list_lock.h"

namespace sorvane {

inline constexpr int kServiceCount = 22;

// The handle of one worker thread; assigning a new one closes the old.
using ThreadHandle = KernelHandle;

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
