// The lock that lets one worker at a time write rows to the result list.
//
// It is open from the main window's creation to its destruction. Closing it
// wakes every thread still waiting for it, which then gives up, and returns
// once none waits any more; a holder that is stuck on the network is not
// waited for. Each opening has its own generation, so a worker that outlives
// its window can never write into a later one.
#pragma once

#include <windows.h>

namespace sorvane {

class ResultListLock {
public:
    ResultListLock() = default;
    ResultListLock(const ResultListLock&) = delete;
    ResultListLock& operator=(const ResultListLock&) = delete;

    // Makes the lock usable; returns the new generation.
    unsigned Open();
    // Ends this generation: waiters give up, later Acquire calls fail.
    void Close();

    // Waits for the lock. Gives the generation it was granted in, or 0 when
    // the lock is closed (or closes while waiting), or when `expected` is not
    // 0 and not the open generation.
    unsigned Acquire(unsigned expected = 0);
    // Releases a lock granted in `generation`; a stale generation is ignored.
    void Release(unsigned generation);
    // True while `generation` is the open one.
    bool IsOpen(unsigned generation) const;
    unsigned CurrentGeneration() const;

private:
    mutable SRWLOCK guard_ = SRWLOCK_INIT;
    CONDITION_VARIABLE changed_ = CONDITION_VARIABLE_INIT;
    unsigned generation_ = 0;  // the open generation, 0 while closed
    unsigned lastGeneration_ = 0;
    bool held_ = false;
    int waiting_ = 0;
};

// Holds the lock for one scope.
class ResultListLockScope {
public:
    explicit ResultListLockScope(ResultListLock& lock, unsigned expected = 0)
        : lock_(lock), generation_(lock.Acquire(expected)) {}
    ~ResultListLockScope() {
        if (generation_ != 0) lock_.Release(generation_);
    }
    ResultListLockScope(const ResultListLockScope&) = delete;
    ResultListLockScope& operator=(const ResultListLockScope&) = delete;
    bool granted() const { return generation_ != 0; }
    // False once the lock was closed under the holder.
    bool stillOpen() const { return generation_ != 0 && lock_.IsOpen(generation_); }

private:
    ResultListLock& lock_;
    unsigned generation_;
};

}  // namespace sorvane
