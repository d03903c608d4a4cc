#include "board/AnalyticsSettings.h"

#include <charconv>
#include <cmath>

namespace quillon::board {

AnalyticsSettings& SharedAnalyticsSettings() {
    static AnalyticsSettings settings;
    return settings;
}

double ParseRiskFreeRate(const std::string& text) {
    const char* begin = text.data();
    const char* end = text.data() + text.size();
    while (begin != end && (*begin == ' ' || *begin == '\t')) ++begin;
    while (end != begin && (end[-1] == ' ' || end[-1] == '\t')) --end;
    double rate = 0;
    auto [stop, error] = std::from_chars(begin, end, rate);
    if (error != std::errc() || stop != end || begin == end || !std::isfinite(rate) || std::abs(rate) > 1)
        return DefaultRiskFreeRate;
    return rate;
}

}  // namespace quillon::board
