#pragma once

#include <optional>
#include <span>
#include <string>

#include "analytics/OptionPricing.h"
#include "board/ColumnCatalogue.h"

// What the analytics columns show for an option: implied volatilities, greeks, intrinsic
// and time value, moneyness and days to expiry, from the option's quote and its
// underlying's price. Pure and portable, like QuoteCellFormat: numbers in, cell text out.
namespace quillon::board {

// Side ids of the analytics columns; the put side adds PutColumnOffset.
inline constexpr ColumnId FirstAnalyticsColumnId = 50;
inline constexpr ColumnId LastAnalyticsColumnId = 60;

// Their captions, code page 936 bytes, in id order.
const ColumnCaptions& AnalyticsColumnCaptions();

// The underlying future's price the analytics use: the middle of its best bid and ask when
// both are quoted, else its last price; nothing without either. `quote` is a QuoteRecord.
std::optional<double> UnderlyingPrice(std::span<const unsigned char> underlyingQuote);

// What an option needs besides its quote.
struct OptionTerms {
    bool isCall = true;
    double strike = 0;
    double years = 0;      // to expiry
    int daysToExpiry = 0;  // calendar days
    double rate = 0.015;
    analytics::ExerciseStyle style = analytics::ExerciseStyle::American;
    double tick = 0;  // the option's price tick: intrinsic and time value print with it
};

// The texts of the analytics columns 50 to 60 for one option, each computed once: at most
// three volatility solves (bid, ask, their middle) whatever columns are shown.
class AnalyticsTexts {
public:
    // "-" for an id that is not an analytics column.
    const std::string& For(ColumnId sideId) const;

private:
    friend AnalyticsTexts FormatAnalyticsCells(std::span<const unsigned char>, std::optional<double>,
                                               const OptionTerms&);
    std::string texts_[LastAnalyticsColumnId - FirstAnalyticsColumnId + 1];
};

// The option whose quote is `optionQuote` (a whole QuoteRecord, else every text is "-"):
// "-" for anything that cannot be computed (no underlying price, no usable option price, no
// volatility that gives the price, expired).
AnalyticsTexts FormatAnalyticsCells(std::span<const unsigned char> optionQuote, std::optional<double> underlyingPrice,
                                    const OptionTerms& terms);

}  // namespace quillon::board
