#include "host/ArrivalQueue.h"

#include <utility>

#include "host/HostMessages.h"
#include "host/WireRecords.h"

namespace quillon::host {

namespace {

// Only a whole, successful snapshot may stand in for an earlier one.
bool IsFoldableQuote(const ArrivalRecord& record) {
    return (record.msgType == HOSTMSG_QUOTE_PUSH || record.msgType == HOSTMSG_QUOTE_REPLY) && record.value == 0 &&
           record.data != nullptr && static_cast<std::size_t>(record.dataLen) >= quote_record::Size;
}

}  // namespace

ArrivalQueue::~ArrivalQueue() {
    Clear();
}

bool ArrivalQueue::Push(ArrivalRecordPtr record) {
    if (!record) return false;
    std::lock_guard<std::mutex> guard(lock_);
    ++counters_.pushed;
    const bool folding = records_.size() >= ConflationThreshold;
    if (!folding || !IsFoldableQuote(*record)) {
        // Below the threshold nothing folds; a non-quote ends folding across it.
        waitingQuoteByCode_.clear();
    } else {
        std::string code = QuoteCode(record->data);
        auto waiting = waitingQuoteByCode_.find(code);
        if (waiting != waitingQuoteByCode_.end()) {
            ArrivalRecord& earlier = *records_[static_cast<std::size_t>(waiting->second - counters_.taken)];
            // The earlier record takes the newer snapshot in its place; the older contents
            // leave with `record`, which frees them.
            std::swap(earlier, *record);
            ++counters_.conflated;
            return false;
        }
        waitingQuoteByCode_.emplace(std::move(code), counters_.taken + records_.size());
    }
    records_.push_back(std::move(record));
    if (records_.size() > counters_.peakQueued) counters_.peakQueued = records_.size();
    if (wakeOutstanding_) return false;
    wakeOutstanding_ = true;
    return true;
}

void ArrivalQueue::CancelWake() {
    std::lock_guard<std::mutex> guard(lock_);
    wakeOutstanding_ = false;
}

ArrivalRecordPtr ArrivalQueue::TakeOne() {
    std::lock_guard<std::mutex> guard(lock_);
    if (records_.empty()) return nullptr;
    ArrivalRecordPtr record = std::move(records_.front());
    records_.pop_front();
    if (!waitingQuoteByCode_.empty() && IsFoldableQuote(*record)) {
        auto waiting = waitingQuoteByCode_.find(QuoteCode(record->data));
        if (waiting != waitingQuoteByCode_.end() && waiting->second == counters_.taken)
            waitingQuoteByCode_.erase(waiting);
    }
    ++counters_.taken;
    return record;
}

bool ArrivalQueue::FinishTurn() {
    std::lock_guard<std::mutex> guard(lock_);
    if (records_.empty()) {
        wakeOutstanding_ = false;
        return false;
    }
    wakeOutstanding_ = true;
    return true;
}

bool ArrivalQueue::ReleaseWake() {
    std::lock_guard<std::mutex> guard(lock_);
    wakeOutstanding_ = !records_.empty();
    return wakeOutstanding_;
}

void ArrivalQueue::Clear() {
    std::deque<ArrivalRecordPtr> discarded;
    {
        std::lock_guard<std::mutex> guard(lock_);
        discarded.swap(records_);
        waitingQuoteByCode_.clear();
        wakeOutstanding_ = false;
    }
    // Freed outside the lock: the library's thread may be waiting to push.
}

bool ArrivalQueue::WakeOutstanding() const {
    std::lock_guard<std::mutex> guard(lock_);
    return wakeOutstanding_;
}

ArrivalQueue::Counters ArrivalQueue::Snapshot() const {
    std::lock_guard<std::mutex> guard(lock_);
    Counters counters = counters_;
    counters.queued = records_.size();
    return counters;
}

}  // namespace quillon::host
