#include "platform/ReentrantMutex.h"

#include <stdexcept>

#ifdef _WIN32
#include <windows.h>

#include <atomic>
#else
#include <atomic>
#include <mutex>
#include <thread>
#endif

namespace quillon::platform {

#ifdef _WIN32

// The Win32 mutex is taken once per holding; taking it again from the holding thread only
// counts. Under Wine every wait on or release of a mutex is a trip to the window server
// (tens of microseconds), and the user-interface thread takes this one again and again
// within one holding while it works through a batch of quotes.
struct ReentrantMutex::Impl {
    HANDLE handle = nullptr;
    // The holding thread's id, 0 when free. Only the holder writes its own id, so a thread
    // reading its own id here holds the mutex.
    std::atomic<DWORD> owner{0};
    unsigned depth = 0;  // the holder's count of Locks not yet Unlocked
};

ReentrantMutex::ReentrantMutex() : impl_(std::make_unique<Impl>()) {
    impl_->handle = CreateMutexA(nullptr, FALSE, nullptr);
    if (impl_->handle == nullptr) throw std::runtime_error("CreateMutexA failed");
}

ReentrantMutex::~ReentrantMutex() {
    CloseHandle(impl_->handle);
}

void ReentrantMutex::Lock() {
    const DWORD self = GetCurrentThreadId();
    if (impl_->owner.load(std::memory_order_relaxed) == self) {
        ++impl_->depth;
        return;
    }
    WaitForSingleObject(impl_->handle, INFINITE);
    impl_->owner.store(self, std::memory_order_relaxed);
    impl_->depth = 1;
}

void ReentrantMutex::Unlock() {
    // An Unlock from a thread that does not hold the mutex changes nothing, as
    // ReleaseMutex would refuse it.
    if (impl_->owner.load(std::memory_order_relaxed) != GetCurrentThreadId() || impl_->depth == 0) return;
    if (--impl_->depth != 0) return;
    impl_->owner.store(0, std::memory_order_relaxed);
    ReleaseMutex(impl_->handle);
}

#else

// The same holding rules as on Windows, so a stray Unlock is refused here too rather than
// being undefined.
struct ReentrantMutex::Impl {
    std::mutex mutex;
    std::atomic<std::thread::id> owner{};
    unsigned depth = 0;
};

ReentrantMutex::ReentrantMutex() : impl_(std::make_unique<Impl>()) {}

ReentrantMutex::~ReentrantMutex() = default;

void ReentrantMutex::Lock() {
    const std::thread::id self = std::this_thread::get_id();
    if (impl_->owner.load(std::memory_order_relaxed) == self) {
        ++impl_->depth;
        return;
    }
    impl_->mutex.lock();
    impl_->owner.store(self, std::memory_order_relaxed);
    impl_->depth = 1;
}

void ReentrantMutex::Unlock() {
    if (impl_->owner.load(std::memory_order_relaxed) != std::this_thread::get_id() || impl_->depth == 0) return;
    if (--impl_->depth != 0) return;
    impl_->owner.store(std::thread::id(), std::memory_order_relaxed);
    impl_->mutex.unlock();
}

#endif

}  // namespace quillon::platform
