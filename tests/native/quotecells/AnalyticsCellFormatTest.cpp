// The analytics columns of an option: what each shows for a quote and its underlying's
// price, and "-" wherever nothing can be computed.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "analytics/OptionPricing.h"
#include "board/AnalyticsCellFormat.h"
#include "host/WireRecords.h"

namespace quillon::board {
namespace {

namespace field = host::quote_record;
using analytics::ExerciseStyle;

std::vector<unsigned char> Quote(double last, double bid, double ask) {
    std::vector<unsigned char> bytes(field::Size, 0);
    host::WriteDouble(bytes.data(), field::LastPrice, last);
    host::WriteDouble(bytes.data(), field::BidPrice, bid);
    host::WriteDouble(bytes.data(), field::AskPrice, ask);
    return bytes;
}

std::string Cell(ColumnId id, const std::vector<unsigned char>& quote, std::optional<double> F,
                 const OptionTerms& terms) {
    return FormatAnalyticsCells(quote, F, terms).For(id);
}

// An IO call a month out, priced by Black-76 at 20 % (bid) and 22 % (ask) volatility.
struct Example : ::testing::Test {
    const double F = 3900, K = 4000, T = 30 / 365.0, r = 0.015;
    OptionTerms terms{true, K, T, 30, r, ExerciseStyle::European, 0.2};
    const double bid = analytics::Black76Price(true, F, K, T, r, 0.20);
    const double ask = analytics::Black76Price(true, F, K, T, r, 0.22);
};

TEST_F(Example, VolatilitiesArePercentsOfBidAskAndTheirMiddle) {
    const auto quote = Quote(60.0, bid, ask);
    EXPECT_EQ(Cell(50, quote, F, terms), "20.00");
    EXPECT_EQ(Cell(51, quote, F, terms), "22.00");
    const double mid = *analytics::ImpliedVolatility(ExerciseStyle::European, true, (bid + ask) / 2, F, K, T, r);
    char expected[16];
    std::snprintf(expected, sizeof expected, "%.2f", mid * 100);
    EXPECT_EQ(Cell(52, quote, F, terms), expected);
    // One side missing: column 52 takes the last price.
    const auto oneSided = Quote(ask, bid, host::EmptyPrice);
    EXPECT_EQ(Cell(51, oneSided, F, terms), "-");
    EXPECT_EQ(Cell(52, oneSided, F, terms), "22.00");
}

TEST_F(Example, GreeksValuesAndMoneynessFollowTheModel) {
    const auto quote = Quote(0, bid, bid);  // bid = ask: the middle is the 20 % price
    const analytics::Greeks greeks = analytics::Black76Greeks(true, F, K, T, r, 0.20);
    auto fixed = [](double value, int decimals) {
        char text[32];
        std::snprintf(text, sizeof text, "%.*f", decimals, value);
        return std::string(text);
    };
    EXPECT_EQ(Cell(53, quote, F, terms), fixed(greeks.delta, 4));
    EXPECT_EQ(Cell(54, quote, F, terms), fixed(greeks.gamma, 6));
    EXPECT_EQ(Cell(55, quote, F, terms), fixed(greeks.vega, 4));
    EXPECT_EQ(Cell(56, quote, F, terms), fixed(greeks.theta, 4));
    EXPECT_EQ(Cell(57, quote, F, terms), "0.0");  // out of the money
    EXPECT_EQ(Cell(58, quote, F, terms), fixed(bid, 1));
    EXPECT_EQ(Cell(59, quote, F, terms), "-2.50");  // (3900 - 4000) / 4000
    EXPECT_EQ(Cell(60, quote, F, terms), "30");
    // The put of the strike is in the money by 100.
    OptionTerms put = terms;
    put.isCall = false;
    const double putPrice = analytics::Black76Price(false, F, K, T, r, 0.20);
    const auto putQuote = Quote(0, putPrice, putPrice);
    EXPECT_EQ(Cell(57, putQuote, F, put), "100.0");
    EXPECT_EQ(Cell(59, putQuote, F, put), "2.50");
    EXPECT_EQ(Cell(52, putQuote, F, put), "20.00");
}

TEST_F(Example, WhatCannotBeComputedShowsADash) {
    const auto quote = Quote(60.0, bid, ask);
    OptionTerms expired = terms;
    expired.years = -0.001;
    expired.daysToExpiry = -1;
    const auto belowIntrinsic = Quote(1.0, 1.0, 1.0);
    OptionTerms deepCall = terms;
    deepCall.strike = 3000;
    const auto empty = Quote(host::EmptyPrice, 0, host::EmptyPrice);
    const struct {
        const char* what;
        ColumnId id;
        const std::vector<unsigned char>& quote;
        std::optional<double> F;
        const OptionTerms& terms;
    } cases[] = {
        {"no underlying price", 52, quote, std::nullopt, terms},
        {"no underlying price", 59, quote, std::nullopt, terms},
        {"expired", 52, quote, F, expired},
        {"expired", 60, quote, F, expired},
        {"below intrinsic value", 52, belowIntrinsic, F, deepCall},
        {"below intrinsic value", 53, belowIntrinsic, F, deepCall},
        {"no option price", 52, empty, F, terms},
        {"no option price", 58, empty, F, terms},
        {"no bid", 50, empty, F, terms},
    };
    for (const auto& c : cases) EXPECT_EQ(Cell(c.id, c.quote, c.F, c.terms), "-") << c.what << " " << c.id;
    EXPECT_EQ(Cell(49, quote, F, terms), "-");
    EXPECT_EQ(Cell(61, quote, F, terms), "-");
    EXPECT_EQ(Cell(60, std::vector<unsigned char>(field::Size - 1), F, terms), "-") << "no whole quote";
    EXPECT_EQ(AnalyticsColumnCaptions().size(), 11u);
}

TEST(AnalyticsUnderlying, TheFuturesPriceIsItsMiddleElseItsLast) {
    EXPECT_EQ(UnderlyingPrice(Quote(3901, 3900, 3902.4)), 3901.2);
    EXPECT_EQ(UnderlyingPrice(Quote(3901, 3900, host::EmptyPrice)), 3901);
    EXPECT_EQ(UnderlyingPrice(Quote(3901, 0, 3902)), 3901);
    EXPECT_FALSE(UnderlyingPrice(Quote(host::EmptyPrice, 0, 0)));
    EXPECT_FALSE(UnderlyingPrice(std::vector<unsigned char>(10)));
}

}  // namespace
}  // namespace quillon::board
