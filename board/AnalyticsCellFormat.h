#pragma once

#include <chrono>
#include <optional>
#include <span>
#include <string>
#include <vector>

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

// The terms of an option from its code and exchange as the instrument table has them, its
// price tick and the shared settings at their clock's `now`: strike, side, exercise style,
// rate, and the time and days to its expiry (negative when no expiry date can be found,
// which shows as "-"). Nothing when the code is no option code of that exchange.
std::optional<OptionTerms> MakeOptionTerms(const std::string& optionCode, const std::string& exchange, double tick,
                                           std::chrono::system_clock::time_point now);

// The texts of the analytics columns 50 to 60 for one option, each computed once: at most
// three volatility solves (bid, ask, their middle) whatever columns are shown.
class AnalyticsTexts {
public:
    // "-" for an id that is not an analytics column.
    const std::string& For(ColumnId sideId) const;
    // Column 52's volatility, when it has one.
    std::optional<double> Volatility() const { return volatility_; }
    // Columns 50 and 51's: what the best bid and the best ask imply.
    std::optional<double> BidVolatility() const { return bidVolatility_; }
    std::optional<double> AskVolatility() const { return askVolatility_; }

private:
    friend AnalyticsTexts FormatAnalyticsCells(std::span<const unsigned char>, std::optional<double>,
                                               const OptionTerms&);
    friend AnalyticsTexts FormatUnderlyingAnalyticsCells(std::optional<double>, int);
    std::string texts_[LastAnalyticsColumnId - FirstAnalyticsColumnId + 1];
    std::optional<double> volatility_;
    std::optional<double> bidVolatility_;
    std::optional<double> askVolatility_;
};

// The option whose quote is `optionQuote` (a whole QuoteRecord, else every text is "-"):
// "-" for anything that cannot be computed (no underlying price, no usable option price, no
// volatility that gives the price, expired).
AnalyticsTexts FormatAnalyticsCells(std::span<const unsigned char> optionQuote, std::optional<double> underlyingPrice,
                                    const OptionTerms& terms);

// The underlying's own row: column 52 shows the chain's at-the-money volatility, 60 the
// days to the chain's expiry (below 0: unknown); the others "-".
AnalyticsTexts FormatUnderlyingAnalyticsCells(std::optional<double> atTheMoneyVolatility, int daysToExpiry);

// The volatilities of one strike's call and put (column 52's).
struct StrikeVolatilities {
    double strike = 0;
    std::optional<double> call;
    std::optional<double> put;
};

// The chain's volatility at F: at each strike the mean of its call's and put's where both
// have one, else the one there is; then the straight line between the two strikes around
// F. Nothing when F lies outside the strikes that have a volatility.
std::optional<double> AtTheMoneyVolatility(std::vector<StrikeVolatilities> strikes, double F);

// Whether `strike` is among the `band` strikes of a chain (`chainStrikes`, ascending) below
// F or the `band` at or above it.
bool NearTheMoney(const std::vector<double>& chainStrikes, double strike, double F, int band);

}  // namespace quillon::board
