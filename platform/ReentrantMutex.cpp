#include "platform/ReentrantMutex.h"

#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <mutex>
#endif

namespace quillon::platform {

#ifdef _WIN32

struct ReentrantMutex::Impl {
    HANDLE handle = nullptr;
};

ReentrantMutex::ReentrantMutex() : impl_(std::make_unique<Impl>()) {
    impl_->handle = CreateMutexA(nullptr, FALSE, nullptr);
    if (impl_->handle == nullptr) throw std::runtime_error("CreateMutexA failed");
}

ReentrantMutex::~ReentrantMutex() { CloseHandle(impl_->handle); }

void ReentrantMutex::Lock() { WaitForSingleObject(impl_->handle, INFINITE); }

void ReentrantMutex::Unlock() { ReleaseMutex(impl_->handle); }

#else

struct ReentrantMutex::Impl {
    std::recursive_mutex mutex;
};

ReentrantMutex::ReentrantMutex() : impl_(std::make_unique<Impl>()) {}

ReentrantMutex::~ReentrantMutex() = default;

void ReentrantMutex::Lock() { impl_->mutex.lock(); }

void ReentrantMutex::Unlock() { impl_->mutex.unlock(); }

#endif

}  // namespace quillon::platform
