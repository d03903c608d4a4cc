#include "board/StaleQuotes.h"

namespace quillon::board {

bool StaleQuotes::Arrived(const std::string& code, Clock::time_point at) {
    if (at > latest_) latest_ = at;
    Entry& entry = codes_[code];
    entry.last = at;
    const bool wasStale = entry.stale;
    entry.stale = false;
    return wasStale;
}

std::vector<std::string> StaleQuotes::NewlyStale() {
    std::vector<std::string> stale;
    for (auto& [code, entry] : codes_) {
        if (entry.stale || latest_ - entry.last <= Quiet) continue;
        entry.stale = true;
        stale.push_back(code);
    }
    return stale;
}

bool StaleQuotes::IsStale(const std::string& code) const {
    auto entry = codes_.find(code);
    return entry != codes_.end() && entry->second.stale;
}

}  // namespace quillon::board
