#include "app/ArrivalPump.h"

#include <algorithm>
#include <mutex>
#include <utility>

#include "app/BenchTrace.h"
#include "board/QuoteGrid.h"
#include "framework/ApplicationMessages.h"
#include "host/HostMessages.h"
#include "model/DataMutex.h"

namespace quillon::app {

namespace {

using host::ArrivalRecordPtr;

// The pump the callback hands arrivals to. The lock makes "clear the target, then clear
// the queue" final: once the target is cleared no record can slip in behind the clearing.
std::mutex targetLock;
ArrivalPump* target = nullptr;

// The log-in result (its failure box) and the selection reply (its warnings) may show a
// system-modal box from inside their dispatch.
bool MayOpenModalBox(int msgType) {
    return msgType == host::HOSTMSG_LOGIN_RESULT || msgType == host::HOSTMSG_SELECTED;
}

// DataMutex held from construction until Release or the end of the scope.
class TurnDataLock {
public:
    TurnDataLock() { model::LockData(); }
    ~TurnDataLock() { Release(); }
    TurnDataLock(const TurnDataLock&) = delete;
    TurnDataLock& operator=(const TurnDataLock&) = delete;
    void Release() {
        if (held_) model::UnlockData();
        held_ = false;
    }

private:
    bool held_ = true;
};

// Paints what the quotes of the last turns invalidated, in every window of this thread,
// when a flood would otherwise hold WM_PAINT back.
BOOL CALLBACK PaintPendingUpdates(HWND window, LPARAM) {
    if (IsWindowVisible(window)) RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    return TRUE;
}

}  // namespace

void ArrivalPump::Start(HWND window) {
    window_ = window;
    // Records whose wake-up could not be posted wait for the next arrival, or for this.
    rescueTimer_.Start(window_, RescueTimerId, 500);
    if (bench_trace::Enabled()) statsTimer_.Start(window_, BenchStatsTimerId, 1000);
    host::SetArrivalSink(&ArrivalPump::Hand);
    std::lock_guard<std::mutex> guard(targetLock);
    target = this;
}

void ArrivalPump::Stop() {
    {
        std::lock_guard<std::mutex> guard(targetLock);
        if (target == this) target = nullptr;
    }
    arrivals_.Clear();
    if (window_ == nullptr) return;
    MSG queued;
    const UINT message = framework::ApiMsgArriveMessage();
    while (PeekMessageW(&queued, window_, message, message, PM_REMOVE)) {
        // Wake-ups carry nothing; a record posted by itself is freed with its message.
        host::TakePostedArrival(queued.wParam, queued.lParam);
    }
    turnTimer_.Stop();
    rescueTimer_.Stop();
    repaintTimer_.Stop();
    board::FlushDeferredRepaints();
    statsTimer_.Stop();
    window_ = nullptr;
}

// Cross-thread hand-over: runs on the host library's thread. On success the record
// belongs to the pump's queue, and the pump frees it after dispatch (OnWake) or when it
// clears the queue (Stop); without a pump the callback frees it.
bool ArrivalPump::Hand(host::ArrivalRecord* record) {
    std::lock_guard<std::mutex> guard(targetLock);
    if (target == nullptr || framework::ApiMsgArriveMessage() == 0) return false;
    // A wake-up that cannot be posted (Windows' queue is full) is asked for again by the
    // next arrival; the records wait in the queue meanwhile.
    if (target->arrivals_.Push(ArrivalRecordPtr(record)) && !target->PostWake()) target->arrivals_.CancelWake();
    return true;
}

// The wake-up: "Quillon ApiMsg Arrive" with no record. A record posted by itself (wParam
// ArrivalRecordPostSize) is still taken, so the message keeps its one meaning.
bool ArrivalPump::PostWake() const {
    const UINT message = framework::ApiMsgArriveMessage();
    if (message == 0) return false;
    bench_trace::CountServerCall(bench_trace::ServerCall::Post);
    return PostMessageW(window_, message, 0, 0) != FALSE;
}

bool ArrivalPump::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == framework::ApiMsgArriveMessage()) {
        bench_trace::CountServerCall(bench_trace::ServerCall::Get);
        if (wParam == 0 && lParam == 0) {
            OnWake();
        } else if (ArrivalRecordPtr record = host::TakePostedArrival(wParam, lParam)) {
            dispatch_(std::move(record));
        }
        return true;
    }
    if (message != WM_TIMER) return false;
    if (wParam == TurnTimerId || wParam == RepaintTimerId) bench_trace::CountServerCall(bench_trace::ServerCall::Get);
    switch (wParam) {
        case TurnTimerId:
            StopTimer(turnTimer_);
            OnWake();
            return true;
        case RepaintTimerId:
            RepaintNow(std::chrono::steady_clock::now());
            return true;
        case RescueTimerId:
            if (arrivals_.Snapshot().queued != 0 && !arrivals_.WakeOutstanding()) OnWake();
            return true;
        case BenchStatsTimerId:
            WriteStats();
            return true;
    }
    return false;
}

// The queue's counters are only copied when the trace is on: this runs every turn.
void ArrivalPump::WriteStats() const {
    if (bench_trace::Enabled()) bench_trace::MaybeWriteStats(arrivals_.Snapshot());
}

void ArrivalPump::OnWake() {
    bench_trace::OnTurnStart();
    struct TurnEnd {
        ~TurnEnd() { bench_trace::OnTurnEnd(); }
    } turnEndTrace;
    const auto turnEnd = std::chrono::steady_clock::now() + TurnBudget;
    {
        board::RepaintBatch repaints;
        // One holding of DataMutex for the turn: every look-up inside it re-enters for free.
        TurnDataLock dataLock;
        while (ArrivalRecordPtr record = arrivals_.TakeOne()) {
            if (MayOpenModalBox(record->msgType)) {
                // A box runs its own message loop, whose turns must go on taking the
                // arrivals behind this one (the host's closing message among them): hand
                // the wake-up back first, and let a fresh one carry the rest of the queue.
                repaints.Flush();
                dataLock.Release();
                if (arrivals_.ReleaseWake() && !PostWake()) arrivals_.CancelWake();
                dispatch_(std::move(record));
                WriteStats();
                return;
            }
            dispatch_(std::move(record));
            if (std::chrono::steady_clock::now() >= turnEnd) break;
        }
        dataLock.Release();
        PaceRepaints(repaints);
    }
    WriteStats();
    if (!arrivals_.FinishTurn()) return;

    // More is waiting: a flood. Paint at the display's pace (or slower, when painting takes
    // more than a third of the time), let the user's input in, then come back for the next
    // turn. Posted messages come before input and paint, so while input waits the next
    // turn goes behind it on a timer.
    PaintUnderFlood();
    bench_trace::CountServerCall(bench_trace::ServerCall::QueueStatus);
    if (HIWORD(GetQueueStatus(QS_INPUT)) != 0 || !PostWake()) {
        if (!StartTimer(turnTimer_, TurnTimerId, 1)) arrivals_.CancelWake();
    }
}

// Repaints go out at most once a display frame: a paint of a whole board costs
// milliseconds, and quotes arriving steadily would otherwise have the boards painted after
// every turn. (Explicitly here also because a turn inside a modal box's loop runs within
// the turn that opened the box, whose batch would hold these repaints until the box closes.)
void ArrivalPump::PaceRepaints(board::RepaintBatch& repaints) {
    // A turn that changed nothing on screen (every reply of the load) costs no timer.
    if (!board::RepaintsPending()) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - lastRepaint_ >= FloodPaintInterval) {
        RepaintNow(now);
        return;
    }
    repaints.Defer();
    // Armed already for this frame's end (RepaintNow stops it): setting it again would only
    // cost a trip.
    if (repaintTimer_.IsRunning()) return;
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(FloodPaintInterval - (now - lastRepaint_));
    StartTimer(repaintTimer_, RepaintTimerId, static_cast<UINT>(std::max<long long>(1, wait.count())));
}

// Every repaint starts a display frame, and stops the timer armed for the last one's end,
// which would otherwise paint again within the new frame.
void ArrivalPump::RepaintNow(std::chrono::steady_clock::time_point now) {
    StopTimer(repaintTimer_);
    board::FlushDeferredRepaints();
    lastRepaint_ = now;
}

bool ArrivalPump::StartTimer(framework::WindowTimer& timer, UINT_PTR id, UINT intervalMs) {
    StopTimer(timer);
    bench_trace::CountServerCall(bench_trace::ServerCall::Timer);
    return timer.Start(window_, id, intervalMs);
}

void ArrivalPump::StopTimer(framework::WindowTimer& timer) {
    if (!timer.IsRunning()) return;
    bench_trace::CountServerCall(bench_trace::ServerCall::Timer);
    timer.Stop();
}

void ArrivalPump::PaintUnderFlood() {
    const auto now = std::chrono::steady_clock::now();
    if (now - lastFloodPaint_ < floodPaintInterval_) return;
    // The repaint timer cannot fire while wake-ups keep coming: its work is done here.
    RepaintNow(now);
    EnumThreadWindows(GetCurrentThreadId(), &PaintPendingUpdates, 0);
    lastFloodPaint_ = std::chrono::steady_clock::now();
    floodPaintInterval_ =
        std::max<std::chrono::steady_clock::duration>(FloodPaintInterval, 2 * (lastFloodPaint_ - now));
}

}  // namespace quillon::app
