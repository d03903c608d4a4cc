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
// timer, at most four times a second, when the minute turns and when the view has scrolled,
// never per quote: a flood costs them nothing. A rewrite computes the rows on screen and a
// screenful either side of them, and the strikes nearest the money (the underlying's row
// reads its volatility there); an option whose prices, underlying price and minute are
// unchanged keeps its texts.
class AnalyticsColumns {
public:
    static constexpr UINT_PTR TimerId = 0x5141;
    static constexpr UINT IntervalMs = 250;
    // Strikes on each side of the underlying's price computed wherever the view stands.
    static constexpr int MoneyBand = 3;

    // The rows of a grid a rewrite computes: the ones on screen and a screenful above and
    // below, so a scroll by a page meets figures already written.
    struct RowWindow {
        int first = 0;
        int last = -1;
        bool Holds(int row) const { return row >= first && row <= last; }
    };
    static RowWindow RowsNearTheView(const grid::CGridCtrl& grid);

    // After the columns changed: runs the owner's timer while either grid shows one.
    void Update(HWND owner, const grid::CGridCtrl* underlyingGrid, const grid::CGridCtrl* boardGrid);
    void Stop() { timer_.Stop(); }
    bool Shown() const { return shown_; }
    void MarkStale() { stale_ = true; }
    // On the owner's timer: whether a rewrite is due; `boardGrid` is the grid whose rows
    // it computes by view.
    bool Due(const grid::CGridCtrl* boardGrid) const;
    // After a rewrite.
    void Rewritten(const grid::CGridCtrl* boardGrid);

    // The analytics of an option (`code`, its quote, its underlying's code and price, its
    // terms), from the memory when nothing they rest on has moved.
    const AnalyticsTexts& OfOption(const std::string& code, const unsigned char* quote, const std::string& underlying,
                                   std::optional<double> underlyingPrice, const OptionTerms& terms);
    // The at-the-money volatility of the options of `underlying` last computed at this F.
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
    int viewTop_ = -1;  // the board grid's top row at the last rewrite
    framework::WindowTimer timer_;
};

}  // namespace quillon::board
