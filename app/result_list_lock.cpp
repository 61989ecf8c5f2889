#include "app/result_list_lock.h"

namespace sorvane {

unsigned ResultListLock::Open() {
    AcquireSRWLockExclusive(&guard_);
    generation_ = ++lastGeneration_;
    if (generation_ == 0) generation_ = ++lastGeneration_;
    held_ = false;
    const unsigned opened = generation_;
    ReleaseSRWLockExclusive(&guard_);
    return opened;
}

void ResultListLock::Close() {
    AcquireSRWLockExclusive(&guard_);
    generation_ = 0;
    held_ = false;
    WakeAllConditionVariable(&changed_);
    // Waiters see the closed state at once; wait only for them to leave.
    while (waiting_ > 0) SleepConditionVariableSRW(&changed_, &guard_, 50, 0);
    ReleaseSRWLockExclusive(&guard_);
}

unsigned ResultListLock::Acquire(unsigned expected) {
    AcquireSRWLockExclusive(&guard_);
    const unsigned wanted = expected != 0 ? expected : generation_;
    ++waiting_;
    while (generation_ != 0 && generation_ == wanted && held_)
        SleepConditionVariableSRW(&changed_, &guard_, INFINITE, 0);
    --waiting_;
    unsigned granted = 0;
    if (generation_ != 0 && generation_ == wanted) {
        held_ = true;
        granted = wanted;
    }
    WakeAllConditionVariable(&changed_);
    ReleaseSRWLockExclusive(&guard_);
    return granted;
}

void ResultListLock::Release(unsigned generation) {
    AcquireSRWLockExclusive(&guard_);
    if (generation != 0 && generation == generation_) {
        held_ = false;
        WakeAllConditionVariable(&changed_);
    }
    ReleaseSRWLockExclusive(&guard_);
}

bool ResultListLock::IsOpen(unsigned generation) const {
    AcquireSRWLockShared(&guard_);
    const bool open = generation != 0 && generation == generation_;
    ReleaseSRWLockShared(&guard_);
    return open;
}

unsigned ResultListLock::CurrentGeneration() const {
    AcquireSRWLockShared(&guard_);
    const unsigned current = generation_;
    ReleaseSRWLockShared(&guard_);
    return current;
}

}  // namespace sorvane
