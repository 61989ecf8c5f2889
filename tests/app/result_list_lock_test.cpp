#include "app/result_list_lock.h"

#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace sorvane {
namespace {

TEST(ResultListLock, ClosedLockGrantsNothing) {
    ResultListLock lock;
    EXPECT_EQ(lock.Acquire(), 0u);
    const unsigned generation = lock.Open();
    EXPECT_NE(generation, 0u);
    EXPECT_EQ(lock.Acquire(), generation);
    lock.Release(generation);
    lock.Close();
    EXPECT_FALSE(lock.IsOpen(generation));
    EXPECT_EQ(lock.Acquire(), 0u);
}

TEST(ResultListLock, OneHolderAtATime) {
    ResultListLock lock;
    lock.Open();
    std::atomic<int> inside{0}, most{0}, total{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 200; ++i) {
                ResultListLockScope scope(lock);
                ASSERT_TRUE(scope.granted());
                const int now = ++inside;
                int seen = most.load();
                while (now > seen && !most.compare_exchange_weak(seen, now)) {
                }
                ++total;
                --inside;
            }
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(most.load(), 1);
    EXPECT_EQ(total.load(), 1600);
    lock.Close();
}

TEST(ResultListLock, CloseWakesWaitersAndIgnoresTheStuckHolder) {
    ResultListLock lock;
    const unsigned first = lock.Open();
    ASSERT_EQ(lock.Acquire(), first);  // a holder that never comes back in time
    std::atomic<int> gaveUp{0};
    std::vector<std::thread> waiters;
    for (int t = 0; t < 5; ++t)
        waiters.emplace_back([&] {
            if (lock.Acquire() == 0) ++gaveUp;
        });
    Sleep(50);
    const DWORD before = GetTickCount();
    lock.Close();
    EXPECT_LT(GetTickCount() - before, 2000u);
    for (auto& t : waiters) t.join();
    EXPECT_EQ(gaveUp.load(), 5);

    // The stuck holder comes back after a new window opened the lock again:
    // its release must not free the new generation's holder.
    const unsigned second = lock.Open();
    ASSERT_EQ(lock.Acquire(), second);
    lock.Release(first);
    EXPECT_FALSE(lock.IsOpen(first));
    std::atomic<bool> got{false};
    std::thread late([&] { got = lock.Acquire() != 0; });
    Sleep(50);
    EXPECT_FALSE(got.load());
    lock.Release(second);
    late.join();
    EXPECT_TRUE(got.load());
    lock.Close();
}

}  // namespace
}  // namespace sorvane
