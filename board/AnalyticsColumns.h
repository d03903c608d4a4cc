#pragma once

#include <windows.h>

#include <array>
#include <map>
#include <optional>
#include <string>

#include "board/AnalyticsCellFormat.h"
#include "framework/WindowTimer.h"
#include "grid/GridCtrl.h"

namespace quillon::board {

// The analytics columns of one board: whether its grids show any, when they are due for a
// rewrite, and each option's last texts with what they were computed from. A quote of the
// board only marks them stale; the board rewrites them from its cached quotes on its own
// timer, at most four times a second and when the minute turns, never per quote: a flood
// costs them nothing. An option whose prices, underlying price and minute are unchanged
// keeps its texts.
class AnalyticsColumns {
public:
    static constexpr UINT_PTR TimerId = 0x5141;
    static constexpr UINT IntervalMs = 250;

    // After the columns changed: runs the owner's timer while either grid shows one.
    void Update(HWND owner, const grid::CGridCtrl* underlyingGrid, const grid::CGridCtrl* boardGrid);
    void Stop() { timer_.Stop(); }
    bool Shown() const { return shown_; }
    void MarkStale() { stale_ = true; }
    // On the owner's timer: whether a rewrite is due.
    bool Due() const;
    // After a rewrite.
    void Rewritten();

    // The analytics of an option (`code`, its quote, its underlying's code and price, its
    // terms), from the memory when nothing they rest on has moved.
    const AnalyticsTexts& OfOption(const std::string& code, const unsigned char* quote, const std::string& underlying,
                                   std::optional<double> underlyingPrice, const OptionTerms& terms);
    // The at-the-money volatility of the options computed for `underlying`, at F.
    std::optional<double> AtTheMoney(const std::string& underlying, double F) const;

private:
    struct Option {
        std::array<double, 5> inputs{};  // bid, ask, last, underlying price, minute
        std::string underlying;
        AnalyticsTexts texts;
        StrikeVolatilities volatilities;
    };
    std::map<std::string, Option> options_;
    bool shown_ = false;
    bool stale_ = false;
    long long minute_ = 0;
    framework::WindowTimer timer_;
};

}  // namespace quillon::board
