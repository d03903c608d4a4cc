// The analytics columns of an option: what each shows for a quote and its underlying's
// price, and "-" wherever nothing can be computed.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <string>
#include <vector>

#include "analytics/OptionPricing.h"
#include "board/AnalyticsCellFormat.h"
#include "board/AnalyticsSettings.h"
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

namespace quillon::board {
namespace {

TEST(AnalyticsTerms, AnOptionsCodeGivesItsStrikeSideStyleAndExpiry) {
    using namespace std::chrono;
    const auto now = sys_days{year{2026} / 12 / 8} + hours{2};  // 10:00 in Beijing
    const struct {
        const char* code;
        const char* exchange;
        bool isCall;
        double strike;
        ExerciseStyle style;
        int days;  // to the expiry date
    } cases[] = {
        {"IO2612-C-4000", "CFFEX", true, 4000, ExerciseStyle::European, 10},  // 18 December
        {"SR701P5200", "CZCE", false, 5200, ExerciseStyle::American, 3},      // 11 December
        {"m2701-C-2.25", "DCE", true, 2.25, ExerciseStyle::American, 8},      // 16 December
    };
    for (const auto& c : cases) {
        const std::optional<OptionTerms> terms = MakeOptionTerms(c.code, c.exchange, 0.2, now);
        ASSERT_TRUE(terms) << c.code;
        EXPECT_EQ(terms->isCall, c.isCall) << c.code;
        EXPECT_EQ(terms->strike, c.strike) << c.code;
        EXPECT_EQ(terms->style, c.style) << c.code;
        EXPECT_EQ(terms->daysToExpiry, c.days) << c.code;
        // Expiry at 15:00 in Beijing: five hours after 10:00, plus the days between.
        EXPECT_NEAR(terms->years, (c.days * 24 + 5) / (365.0 * 24), 1e-12) << c.code;
        EXPECT_EQ(terms->rate, SharedAnalyticsSettings().riskFreeRate);
    }
    // A product no rule covers has no expiry: its time-dependent columns show "-".
    const std::optional<OptionTerms> unknown = MakeOptionTerms("XX2612-C-10", "NOEX", 0.2, now);
    ASSERT_TRUE(unknown);
    EXPECT_LT(unknown->years, 0);
    EXPECT_FALSE(MakeOptionTerms("IF2612", "CFFEX", 0.2, now)) << "a future has no option terms";
}

// Past the calendar's listed closures, expiry dates count weekdays only: the user is told
// once, however many options and rewrites meet it.
TEST(AnalyticsTerms, ADatePastTheCalendarIsLoggedOnce) {
    static std::vector<std::string> lines;
    AnalyticsSettings& settings = SharedAnalyticsSettings();
    lines.clear();
    settings.log = [](const std::string& line) { lines.push_back(line); };
    settings.loggedPastCalendar = false;
    using namespace std::chrono;
    const int past = settings.schedule.CalendarThrough() + 1;
    const auto now = sys_days{year{past} / 1 / 5};
    const std::string month = std::to_string(past % 100) + "06";
    for (int rewrite = 0; rewrite < 3; ++rewrite) {
        ASSERT_TRUE(MakeOptionTerms("IO" + month + "-C-4000", "CFFEX", 0.2, now));
        ASSERT_TRUE(MakeOptionTerms("m" + month + "-P-3000", "DCE", 0.5, now));
    }
    settings.log = nullptr;
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("weekdays only"), std::string::npos) << lines[0];
}

TEST(AnalyticsTerms, TheRateIsTheInisNumberOrTheDefault) {
    const struct {
        const char* text;
        double rate;
    } cases[] = {{"0.02", 0.02}, {" 0.035 ", 0.035}, {"-0.001", -0.001}, {"", 0.015},
                 {"2%", 0.015},  {"5", 0.015},       {"nan", 0.015}};
    for (const auto& c : cases) EXPECT_EQ(ParseRiskFreeRate(c.text), c.rate) << c.text;
}

}  // namespace
}  // namespace quillon::board

namespace quillon::board {
namespace {

TEST(AnalyticsAtTheMoney, TheChainsVolatilityIsReadAtTheFuturesPrice) {
    const std::vector<StrikeVolatilities> chain = {
        {3800, 0.24, 0.26}, {3900, 0.22, std::nullopt}, {4000, std::nullopt, std::nullopt}, {4100, 0.20, 0.22}};
    const struct {
        double F;
        std::optional<double> volatility;
    } cases[] = {
        {3800, 0.25},          // a strike: the mean of its call and put
        {3850, 0.235},         // halfway to the next, which has a call only
        {4000, 0.215},         // between 3900 and 4100: 4000 has none
        {3799, std::nullopt},  // outside the chain
        {4101, std::nullopt},
    };
    for (const auto& c : cases) {
        const std::optional<double> found = AtTheMoneyVolatility(chain, c.F);
        ASSERT_EQ(found.has_value(), c.volatility.has_value()) << c.F;
        if (!found) continue;
        EXPECT_NEAR(*found, *c.volatility, 1e-12) << c.F;
    }
    const AnalyticsTexts row = FormatUnderlyingAnalyticsCells(0.2175, 10);
    EXPECT_EQ(row.For(52), "21.75");
    EXPECT_EQ(row.For(60), "10");
    EXPECT_EQ(row.For(53), "-");
    EXPECT_EQ(FormatUnderlyingAnalyticsCells(std::nullopt, -1).For(60), "-");
}

// Off the view, only the strikes around the money are computed: three on each side of F.
TEST(AnalyticsAtTheMoney, TheBandOfStrikesAroundTheFuturesPrice) {
    const std::vector<double> chain = {3600, 3700, 3800, 3900, 4000, 4100, 4200, 4300, 4400};
    const struct {
        double F;
        std::vector<double> near;
    } cases[] = {
        {3950, {3700, 3800, 3900, 4000, 4100, 4200}},
        {4000, {3700, 3800, 3900, 4000, 4100, 4200}},  // F on a strike: it counts as above
        {3500, {3600, 3700, 3800}},                    // below the chain
        {4450, {4200, 4300, 4400}},                    // above it
    };
    for (const auto& c : cases) {
        std::vector<double> near;
        for (double strike : chain) {
            if (NearTheMoney(chain, strike, c.F, 3)) near.push_back(strike);
        }
        EXPECT_EQ(near, c.near) << c.F;
    }
    EXPECT_FALSE(NearTheMoney(chain, 3950, 3950, 3)) << "not a strike of the chain";
    EXPECT_FALSE(NearTheMoney({}, 3900, 3900, 3));
}

}  // namespace
}  // namespace quillon::board
