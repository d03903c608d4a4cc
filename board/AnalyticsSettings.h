#pragma once

#include <chrono>
#include <string>

#include "analytics/ExpirySchedule.h"

// What the boards' analytics columns rest on besides the quotes: the expiry schedule (the
// exchanges' rules, the trading calendar, the exercise styles), the risk-free rate and the
// clock. Set on the user-interface thread at start-up; the boards read it there.
namespace quillon::board {

inline constexpr double DefaultRiskFreeRate = 0.015;

struct AnalyticsSettings {
    analytics::ExpirySchedule schedule = analytics::ExpirySchedule::Defaults();
    double riskFreeRate = DefaultRiskFreeRate;
    // The clock: the system's, or a test's.
    std::chrono::system_clock::time_point (*now)() = &std::chrono::system_clock::now;
    // Where a note for the user goes (the program's debug output); nowhere when null.
    void (*log)(const std::string& line) = nullptr;
    // Set once an expiry date past the calendar's listed closures was counted and logged:
    // the note is said once, not per option and rewrite.
    bool loggedPastCalendar = false;
};

AnalyticsSettings& SharedAnalyticsSettings();

// The rate as the INI spells it ("[Analytics] RiskFreeRate"): a number from -1 to 1, else
// the default.
double ParseRiskFreeRate(const std::string& text);

}  // namespace quillon::board
