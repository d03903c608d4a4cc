#pragma once

#include <memory>

namespace quillon::platform {

// A mutex the holding thread may take again; each Lock needs its Unlock. On Windows an
// unnamed Win32 mutex waited on without time-out, elsewhere a recursive std::mutex.
class ReentrantMutex {
public:
    ReentrantMutex();
    ~ReentrantMutex();
    ReentrantMutex(const ReentrantMutex&) = delete;
    ReentrantMutex& operator=(const ReentrantMutex&) = delete;

    void Lock();
    void Unlock();

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
