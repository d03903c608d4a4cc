#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <unordered_map>

#include "host/HostCallback.h"

namespace quillon::host {

// Arrivals on their way from the library's thread to the user-interface thread, in the
// order they came. One posted wake-up stands for a whole batch: under a quote flood a
// message per quote would fill Windows' queue of 10,000 posted messages within a second
// of stall (and grow Wine's without bound), and keep WM_PAINT, which only comes when no
// posted message waits, away for as long as the flood lasts.
//
// The wake-up protocol: Push answers true when no wake-up is outstanding, and the caller
// then posts one (or calls CancelWake when it cannot). The receiver takes records one at a
// time and ends each turn with FinishTurn, which keeps the wake-up outstanding when
// records remain (the receiver then arranges its next turn itself) and clears it when the
// queue is empty. Records are never lost to the protocol: whenever the queue holds
// records, a wake-up is outstanding or the next Push asks for one.
//
// While the backlog is at ConflationThreshold or above, a quote of an instrument that
// already has a quote waiting replaces that quote's payload in its place instead of
// queueing behind it. The screen ends where it would have; only the intermediate
// snapshot is never shown (and "现量", the volume since the previous quote, then spans
// both). A non-quote arrival ends the folding for the quotes before it, so no quote
// ever moves across another kind of message.
class ArrivalQueue {
public:
    static constexpr std::size_t ConflationThreshold = 20000;

    struct Counters {
        std::uint64_t pushed = 0;
        std::uint64_t taken = 0;
        std::uint64_t conflated = 0;
        std::size_t queued = 0;
        std::size_t peakQueued = 0;
    };

    ArrivalQueue() = default;
    ~ArrivalQueue();
    ArrivalQueue(const ArrivalQueue&) = delete;
    ArrivalQueue& operator=(const ArrivalQueue&) = delete;

    // Any thread. Takes the record (a null one is ignored). True: post a wake-up now.
    bool Push(ArrivalRecordPtr record);
    // The wake-up Push asked for could not be posted; the next Push asks again.
    void CancelWake();

    // The receiver's side: the oldest record, or null when none waits.
    ArrivalRecordPtr TakeOne();
    // Ends a turn. True: records remain and the wake-up stays outstanding, so the
    // receiver must come back by itself. False: the queue is empty, nothing outstanding.
    bool FinishTurn();
    // Hands the outstanding wake-up back before the receiver runs something that may
    // wait in a nested message loop (a modal box). True: records remain, and the caller
    // must post a wake-up for them now, as after a Push that answered true.
    bool ReleaseWake();

    // Frees every queued record and clears the outstanding wake-up.
    void Clear();

    Counters Snapshot() const;
    bool WakeOutstanding() const;

private:
    mutable std::mutex lock_;
    std::deque<ArrivalRecordPtr> records_;
    // Position of each instrument's waiting quote while folding: the index of its record
    // counted from the start of the queue's lifetime (takenCount_ + position in records_).
    std::unordered_map<std::string, std::uint64_t> waitingQuoteByCode_;
    bool wakeOutstanding_ = false;
    Counters counters_;
};

}  // namespace quillon::host
