#pragma once

#include <cstdint>
#include <memory>

namespace quillon::platform {

// A mutex the holding thread may take again; each Lock needs its Unlock, and an Unlock
// from a thread that does not hold it changes nothing. On Windows a critical section waited
// on without time-out, elsewhere a std::mutex.
class ReentrantMutex {
public:
    ReentrantMutex();
    ~ReentrantMutex();
    ReentrantMutex(const ReentrantMutex&) = delete;
    ReentrantMutex& operator=(const ReentrantMutex&) = delete;

    void Lock();
    void Unlock();
    // How many Locks so far found the mutex held by another thread and had to wait: only
    // those leave the process (on Windows, and under Wine, the uncontended path does not).
    std::uint64_t ContendedWaits() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Holds a ReentrantMutex for one scope, so no path forgets to release it.
class ReentrantLock {
public:
    explicit ReentrantLock(ReentrantMutex& mutex) : mutex_(mutex) { mutex_.Lock(); }
    ~ReentrantLock() { mutex_.Unlock(); }
    ReentrantLock(const ReentrantLock&) = delete;
    ReentrantLock& operator=(const ReentrantLock&) = delete;

private:
    ReentrantMutex& mutex_;
};

}  // namespace quillon::platform
