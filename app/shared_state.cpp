#include "app/shared_state.h"

namespace sorvane {

SharedState& Shared() {
    static SharedState state;
    return state;
}

void ResetSharedState() {
    SharedState& state = Shared();
    state.otherSitesText.clear();
    state.siteBoxes.fill(Control());
    state.resultCounter = 0;
    state.resultListLock.Close();
    for (ThreadHandle& slot : state.workerHandles) slot.Reset();
}

void StoreWorkerHandle(int serviceIndex, HANDLE thread) {
    if (serviceIndex < 1 || serviceIndex > kServiceCount) {
        if (thread != nullptr) CloseHandle(thread);
        return;
    }
    Shared().workerHandles[static_cast<std::size_t>(serviceIndex - 1)].Reset(thread);
}

void ReleaseSharedState() {
    // The skin engine's tables are released here first once it keeps any.
    SharedState& state = Shared();
    state.otherSitesText = std::string();
    state.siteBoxes.fill(Control());
    state.resultListLock.Close();
    for (ThreadHandle& slot : state.workerHandles) slot.Reset();
}

}  // namespace sorvane
