#pragma once

#include <chrono>
#include <string>
#include <unordered_map>
#include <vector>

// Which instruments of a board have gone quiet: no quote for more than a minute while
// quotes of the board kept arriving. Only the board's own arrivals count as time passing,
// so a market that stops as a whole (a break, a lost link) mutes nothing. Portable.
namespace quillon::board {

class StaleQuotes {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::seconds Quiet{60};

    // A quote of `code` arrived at `at`. True when the code was stale until now: the
    // board takes its muted colour away.
    bool Arrived(const std::string& code, Clock::time_point at);
    // The codes gone stale since the last call: their last quote is more than Quiet older
    // than the board's latest.
    std::vector<std::string> NewlyStale();
    bool IsStale(const std::string& code) const;
    void Clear() { codes_.clear(); }

private:
    struct Entry {
        Clock::time_point last;
        bool stale = false;
    };
    std::unordered_map<std::string, Entry> codes_;
    Clock::time_point latest_{};
};

// The clock the boards read arrival times from: the steady clock, or a test's.
inline StaleQuotes::Clock::time_point (*BoardClock)() = &StaleQuotes::Clock::now;

}  // namespace quillon::board
