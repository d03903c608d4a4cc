#include "platform/ReentrantMutex.h"

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

// A critical section: re-entrant and waited on without time-out like the unnamed kernel
// mutex it replaced, but taken and released inside the process when nobody else holds it.
// Under Wine every wait on or release of a kernel mutex is a trip to the window server, and
// the load took and released this one once for every instrument it asked for.
//
// The holder's id is kept beside it so that an Unlock from a thread that does not hold it
// changes nothing (LeaveCriticalSection from such a thread would corrupt the section).
struct ReentrantMutex::Impl {
    CRITICAL_SECTION section;
    // The holding thread's id, 0 when free. Only the holder writes its own id, so a thread
    // reading its own id here holds the section.
    std::atomic<DWORD> owner{0};
    unsigned depth = 0;  // the holder's count of Locks not yet Unlocked
    std::atomic<std::uint64_t> contendedWaits{0};
};

ReentrantMutex::ReentrantMutex() : impl_(std::make_unique<Impl>()) {
    InitializeCriticalSection(&impl_->section);
}

ReentrantMutex::~ReentrantMutex() {
    DeleteCriticalSection(&impl_->section);
}

void ReentrantMutex::Lock() {
    const DWORD self = GetCurrentThreadId();
    if (impl_->owner.load(std::memory_order_relaxed) == self) {
        ++impl_->depth;
        return;
    }
    if (!TryEnterCriticalSection(&impl_->section)) {
        impl_->contendedWaits.fetch_add(1, std::memory_order_relaxed);
        EnterCriticalSection(&impl_->section);
    }
    impl_->owner.store(self, std::memory_order_relaxed);
    impl_->depth = 1;
}

void ReentrantMutex::Unlock() {
    if (impl_->owner.load(std::memory_order_relaxed) != GetCurrentThreadId() || impl_->depth == 0) return;
    if (--impl_->depth != 0) return;
    impl_->owner.store(0, std::memory_order_relaxed);
    LeaveCriticalSection(&impl_->section);
}

#else

// The same holding rules as on Windows, so a stray Unlock is refused here too rather than
// being undefined.
struct ReentrantMutex::Impl {
    std::mutex mutex;
    std::atomic<std::thread::id> owner{};
    unsigned depth = 0;
    std::atomic<std::uint64_t> contendedWaits{0};
};

ReentrantMutex::ReentrantMutex() : impl_(std::make_unique<Impl>()) {}

ReentrantMutex::~ReentrantMutex() = default;

void ReentrantMutex::Lock() {
    const std::thread::id self = std::this_thread::get_id();
    if (impl_->owner.load(std::memory_order_relaxed) == self) {
        ++impl_->depth;
        return;
    }
    if (!impl_->mutex.try_lock()) {
        impl_->contendedWaits.fetch_add(1, std::memory_order_relaxed);
        impl_->mutex.lock();
    }
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

std::uint64_t ReentrantMutex::ContendedWaits() const {
    return impl_->contendedWaits.load(std::memory_order_relaxed);
}

}  // namespace quillon::platform
