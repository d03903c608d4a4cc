#include "host/ArrivalPoster.h"

#include <atomic>

#include "host/HostCallback.h"

namespace quillon::host {

namespace {

// Written on the user-interface thread, read on the library's. The message is stored
// before the window, so a reader that sees the window also sees its message.
std::atomic<UINT> arrivalMessage{0};
std::atomic<HWND> arrivalWindow{nullptr};

// Runs on the library's thread. On success the record now belongs to the frame's queue
// and is freed by the user-interface thread after dispatch.
bool PostArrival(ArrivalRecord* record) {
    HWND window = arrivalWindow.load(std::memory_order_acquire);
    UINT message = arrivalMessage.load(std::memory_order_relaxed);
    if (window == nullptr || message == 0) return false;
    return PostMessageW(window, message, ArrivalRecordPostSize, reinterpret_cast<LPARAM>(record)) != FALSE;
}

}  // namespace

void PostArrivalsTo(HWND frame, UINT arriveMessage) {
    arrivalMessage.store(arriveMessage, std::memory_order_relaxed);
    arrivalWindow.store(frame, std::memory_order_release);
    SetArrivalSink(frame != nullptr && arriveMessage != 0 ? &PostArrival : nullptr);
}

void StopPostingArrivals() {
    SetArrivalSink(nullptr);
    arrivalWindow.store(nullptr, std::memory_order_release);
}

}  // namespace quillon::host
