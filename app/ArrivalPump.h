#pragma once

#include <windows.h>

#include <chrono>
#include <functional>

#include "framework/WindowTimer.h"
#include "host/ArrivalQueue.h"
#include "host/HostCallback.h"

namespace quillon::board {
class RepaintBatch;
}

namespace quillon::app {

// Host messages on their way from the library's thread to the user-interface thread, and
// their pacing there. The host callback hands each arrival record to the pump's queue and
// posts one wake-up ("Quillon ApiMsg Arrive" without a record) to the pump's window while
// none is outstanding. The window takes the records in turns: quotes for up to TurnBudget,
// or one message that may open a modal box; then the boards are repainted at most once a
// display frame, and under a flood the next turn waits behind the user's input.
//
// One pump takes arrivals at a time: the callback is a plain function, and finds the
// pump through a pointer set by Start and cleared by Stop.
class ArrivalPump {
public:
    // What the window does with one record, which is then the callee's.
    using Dispatch = std::function<void(host::ArrivalRecordPtr record)>;

    static constexpr UINT_PTR TurnTimerId = 0x5141;
    static constexpr UINT_PTR BenchStatsTimerId = 0x5142;
    static constexpr UINT_PTR RescueTimerId = 0x5143;
    static constexpr UINT_PTR RepaintTimerId = 0x5144;
    static constexpr std::chrono::milliseconds TurnBudget{8};
    // The boards are repainted at most this often: about the display's rate.
    static constexpr std::chrono::milliseconds FloodPaintInterval{16};

    explicit ArrivalPump(Dispatch dispatch) : dispatch_(std::move(dispatch)) {}
    ~ArrivalPump() { Stop(); }
    ArrivalPump(const ArrivalPump&) = delete;
    ArrivalPump& operator=(const ArrivalPump&) = delete;

    // From now on the callback hands arrivals to `window` (its WM_CREATE).
    void Start(HWND window);
    // The callback hands nothing more over, and the records still queued or posted are
    // freed (the window's WM_DESTROY).
    void Stop();
    // The window's procedure offers each message: true for "Quillon ApiMsg Arrive" and the
    // pump's timers, which the pump has handled.
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    // Cross-thread hand-over, on the host library's thread.
    static bool Hand(host::ArrivalRecord* record);
    bool PostWake() const;
    // One turn through the queue, then the next turn arranged if anything is left.
    void OnWake();
    // Repaints now, or on a timer once a display frame has passed since the last.
    void PaceRepaints(board::RepaintBatch& repaints);
    void RepaintNow(std::chrono::steady_clock::time_point now);
    void PaintUnderFlood();
    // The pump's timers, counted for the bench trace.
    bool StartTimer(framework::WindowTimer& timer, UINT_PTR id, UINT intervalMs);
    void StopTimer(framework::WindowTimer& timer);
    void WriteStats() const;

    Dispatch dispatch_;
    HWND window_ = nullptr;
    host::ArrivalQueue arrivals_;
    std::chrono::steady_clock::time_point lastFloodPaint_{};
    std::chrono::steady_clock::time_point lastRepaint_{};
    std::chrono::steady_clock::duration floodPaintInterval_ = FloodPaintInterval;
    framework::WindowTimer turnTimer_;
    framework::WindowTimer rescueTimer_;
    framework::WindowTimer repaintTimer_;
    framework::WindowTimer statsTimer_;
};

}  // namespace quillon::app
