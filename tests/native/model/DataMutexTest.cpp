// Also built into the Win32 suite, where DataMutex is a critical section.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "model/DataMutex.h"
#include "model/MarketData.h"

namespace quillon::model {
namespace {

// Lets the other thread run; correctness never depends on how long this takes.
void GiveOtherThreadsAChance() {
    for (int i = 0; i < 20; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TEST(DataMutex, ExcludesASecondThreadWhileHeldReentrantly) {
    std::mutex signalMutex;
    std::condition_variable signal;
    bool otherIsWaiting = false;
    std::atomic<bool> ownerReleased{false};
    std::atomic<bool> otherAcquired{false};
    std::atomic<bool> otherSawOwnerReleased{false};
    std::thread other;
    const std::uint64_t waitsBefore = DataMutex().ContendedWaits();

    LockData();
    {
        DataLock again;  // the owner takes it a second time
        MarketData& shared = SharedMarketData();
        shared.ClearForTests();  // and a table operation takes it a third time

        other = std::thread([&] {
            {
                std::lock_guard<std::mutex> guard(signalMutex);
                otherIsWaiting = true;
            }
            signal.notify_one();
            DataLock lock;
            otherSawOwnerReleased = ownerReleased.load();
            otherAcquired = true;
        });
        {
            std::unique_lock<std::mutex> guard(signalMutex);
            signal.wait(guard, [&] { return otherIsWaiting; });
        }
        GiveOtherThreadsAChance();
        EXPECT_FALSE(otherAcquired.load());
    }
    // One release of two: still held.
    GiveOtherThreadsAChance();
    EXPECT_FALSE(otherAcquired.load());

    ownerReleased = true;
    UnlockData();
    other.join();
    EXPECT_TRUE(otherAcquired.load());
    EXPECT_TRUE(otherSawOwnerReleased.load());
    // The other thread waited once; the owner's re-entries never did.
    EXPECT_EQ(DataMutex().ContendedWaits(), waitsBefore + 1);

    // The other thread has let go again: this thread can take it.
    DataLock after;
}

TEST(DataMutex, AnUnlockFromAThreadThatDoesNotHoldItChangesNothing) {
    LockData();
    std::thread stray([] { UnlockData(); });
    stray.join();
    std::atomic<bool> otherAcquired{false};
    std::thread other([&] {
        DataLock lock;
        otherAcquired = true;
    });
    GiveOtherThreadsAChance();
    EXPECT_FALSE(otherAcquired.load()) << "a stray unlock let a second holder in";
    UnlockData();
    other.join();
    EXPECT_TRUE(otherAcquired.load());
}

}  // namespace
}  // namespace quillon::model
