#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "../app/AppFixture.h"
#include "board/AnalyticsSettings.h"
#include "host/WireRecords.h"

namespace quillon::test {

inline std::chrono::system_clock::time_point EighthOfDecember2022() {
    using namespace std::chrono;
    return sys_days{year{2022} / 12 / 8} + hours{2};  // 10:00 in Beijing
}

// The analytics read the clock of the test while this lives: IO2301 then has 43 days left.
class AnalyticsClockOfTheTest {
public:
    AnalyticsClockOfTheTest() { board::SharedAnalyticsSettings().now = &EighthOfDecember2022; }
    ~AnalyticsClockOfTheTest() { board::SharedAnalyticsSettings().now = &std::chrono::system_clock::now; }
    AnalyticsClockOfTheTest(const AnalyticsClockOfTheTest&) = delete;
    AnalyticsClockOfTheTest& operator=(const AnalyticsClockOfTheTest&) = delete;
};

inline std::vector<unsigned char> QuoteWithBook(const std::string& code, double bid, double ask) {
    std::vector<unsigned char> quote = QuoteBytes(code);
    host::WriteDouble(quote.data(), host::quote_record::LastPrice, (bid + ask) / 2);
    host::WriteDouble(quote.data(), host::quote_record::BidPrice, bid);
    host::WriteDouble(quote.data(), host::quote_record::AskPrice, ask);
    return quote;
}

}  // namespace quillon::test
