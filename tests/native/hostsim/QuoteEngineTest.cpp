#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <map>
#include <sstream>

#include "host/WireRecords.h"
#include "hostsim/BuiltInMarket.h"
#include "hostsim/MarketCsv.h"
#include "hostsim/OptionPricing.h"
#include "hostsim/QuoteEngine.h"

namespace quillon::hostsim {
namespace {

using host::EmptyPrice;

Market MarketOf(int count) {
    BuiltInMarketOptions options;
    options.instrumentCount = count;
    options.date = {2026, 11, 20};
    return BuildBuiltInMarket(options);
}

std::vector<std::size_t> AllOf(const Market& market) {
    std::vector<std::size_t> all(market.Size());
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
    return all;
}

bool Empty(double price) {
    return price == EmptyPrice;
}

TEST(OptionPricingTest, BlackPricesKeepParityAndTheirBounds) {
    struct Case {
        double future, strike, volatility, years;
    };
    const Case cases[] = {
        {3900, 3900, 0.2, 0.1},    {3900, 3000, 0.2, 0.1}, {3900, 5000, 0.2, 0.1}, {800, 805, 0.3, 0.02},
        {75000, 60000, 0.18, 0.5}, {630, 630, 0.35, 1e-6}, {2900, 2900, 0.0, 0.2},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.strike);
        const double call = Black76Price(true, item.future, item.strike, item.volatility, item.years);
        const double put = Black76Price(false, item.future, item.strike, item.volatility, item.years);
        EXPECT_NEAR(call - put, item.future - item.strike, 1e-6 * item.future);
        EXPECT_GE(call, std::max(item.future - item.strike, 0.0));
        EXPECT_LE(call, item.future);
        EXPECT_GE(put, std::max(item.strike - item.future, 0.0));
        EXPECT_LE(put, item.strike);
    }
    // The smile: away from the money volatility only rises.
    EXPECT_GT(SmileVolatility(0.2, 3900, 3000), 0.2);
    EXPECT_GT(SmileVolatility(0.2, 3900, 5000), 0.2);
    EXPECT_NEAR(SmileVolatility(0.2, 3900, 3900), 0.2, 1e-12);
}

Market CsvMarket() {
    std::istringstream file(
        "CFFEX,IF2701,1,0.2,3900\n"
        "CFFEX,IO2701-C-3900,2,0.2,120\n"
        "CFFEX,IO2701-P-3900,2,0.2,118\n"
        "CZCE,SR701,1,1,5800\n"
        "CZCE,SR701P5700,2,0.5,80\n"
        "DCE,m2701-C-2900,2,0.5,60\n"
        "SHFE,au2702,1,0.02,880.04\n");
    std::string error;
    return *LoadMarketCsv(file, error);
}

void ExpectEveryPriceOnItsTickAndWithinItsLimits(const Market& market) {
    QuoteEngine engine(market, 7);
    const std::vector<std::size_t> all = AllOf(market);
    std::vector<std::int32_t> volumes(market.Size(), 0);
    for (int round = 0; round < 120; ++round) {
        engine.AdvanceRound(all);
        for (std::size_t i = 0; i < market.Size(); ++i) {
            const Instrument& instrument = market.At(i);
            const QuoteState& quote = engine.State(i);
            SCOPED_TRACE(instrument.code);
            ASSERT_LT(quote.lowerLimit, quote.upperLimit);
            const std::pair<const char*, double> prices[] = {
                {"last", quote.last},
                {"open", quote.open},
                {"high", quote.high},
                {"low", quote.low},
                {"bid", quote.bid},
                {"ask", quote.ask},
                {"pre settle", quote.preSettlement},
                {"pre close", quote.preClose},
                {"upper", quote.upperLimit},
                {"lower", quote.lowerLimit},
            };
            for (const auto& [name, price] : prices) {
                if (Empty(price)) continue;
                ASSERT_TRUE(IsOnTick(price, instrument.tick)) << name << " " << price;
                ASSERT_GE(price, quote.lowerLimit) << name;
                ASSERT_LE(price, quote.upperLimit) << name;
            }
            if (!Empty(quote.last)) {
                ASSERT_LE(quote.low, quote.last);
                ASSERT_GE(quote.high, quote.last);
            }
            if (!Empty(quote.bid) && !Empty(quote.ask)) {
                ASSERT_LT(quote.bid, quote.ask);
            }
            ASSERT_EQ(Empty(quote.bid), quote.bidVolume == 0);
            ASSERT_EQ(Empty(quote.ask), quote.askVolume == 0);
            ASSERT_GE(quote.volume, volumes[i]);
            ASSERT_GE(quote.openInterest, 0);
            volumes[i] = quote.volume;
        }
    }
}

TEST(QuoteEngineTest, EveryPriceIsOnItsTickAndWithinItsLimits) {
    {
        SCOPED_TRACE("built-in market");
        ExpectEveryPriceOnItsTickAndWithinItsLimits(MarketOf(1200));
    }
    {
        SCOPED_TRACE("market from a file");
        ExpectEveryPriceOnItsTickAndWithinItsLimits(CsvMarket());
    }
}

TEST(QuoteEngineTest, OptionPricesStayBetweenIntrinsicValueAndTheirBoundAndKeepParity) {
    const Market market = MarketOf(1200);
    QuoteEngine engine(market, 11);
    const std::vector<std::size_t> all = AllOf(market);
    // Call and put of one strike of one future.
    std::map<std::pair<int, double>, std::pair<std::size_t, std::size_t>> pairs;
    for (std::size_t i = 0; i < market.Size(); ++i) {
        const Instrument& option = market.At(i);
        if (!option.isOption) continue;
        auto& pair = pairs[{option.underlying, option.strike}];
        (option.isCall ? pair.first : pair.second) = i;
    }
    int parityChecks = 0;
    for (int round = 0; round < 40; ++round) {
        engine.AdvanceRound(all);
        for (const auto& [key, pair] : pairs) {
            const Instrument& call = market.At(pair.first);
            const double future = engine.State(static_cast<std::size_t>(key.first)).last;
            const double strike = key.second;
            const double callPrice = engine.State(pair.first).last;
            const double putPrice = engine.State(pair.second).last;
            SCOPED_TRACE(call.code);
            // Prices on the tick grid differ from exact differences by rounding noise only.
            constexpr double noise = 1e-9;
            if (!Empty(callPrice)) {
                ASSERT_GE(callPrice, std::max(future - strike, 0.0) - noise);
                ASSERT_LE(callPrice, future);
            }
            if (!Empty(putPrice)) {
                ASSERT_GE(putPrice, std::max(strike - future, 0.0) - noise);
                ASSERT_LE(putPrice, strike);
            }
            if (!Empty(callPrice) && !Empty(putPrice)) {
                ASSERT_LE(std::fabs(callPrice - putPrice - (future - strike)), 2 * call.tick + noise);
                ++parityChecks;
            }
        }
    }
    EXPECT_GT(parityChecks, 1000);
}

std::vector<std::array<unsigned char, host::quote_record::Size>> Records(const QuoteEngine& engine,
                                                                         const std::vector<std::size_t>& which) {
    std::vector<std::array<unsigned char, host::quote_record::Size>> records(which.size());
    for (std::size_t i = 0; i < which.size(); ++i) engine.WriteQuoteRecord(which[i], records[i].data());
    return records;
}

TEST(QuoteEngineTest, TheSameSeedGivesTheSameQuotes) {
    const Market market = MarketOf(300);
    const std::vector<std::size_t> watched = {0, 1, 2, 40, 41, 77};
    std::vector<std::size_t> more = watched;
    for (std::size_t i = 100; i < 160; ++i) more.push_back(i);

    QuoteEngine first(market, 42);
    QuoteEngine second(market, 42);
    QuoteEngine busier(market, 42);  // the same seed, more subscriptions
    QuoteEngine other(market, 43);
    for (int round = 0; round < 30; ++round) {
        first.AdvanceRound(watched);
        second.AdvanceRound(watched);
        busier.AdvanceRound(more);
        other.AdvanceRound(watched);
        ASSERT_EQ(Records(first, watched), Records(second, watched)) << "round " << round;
        ASSERT_EQ(Records(first, watched), Records(busier, watched)) << "round " << round;
    }
    EXPECT_NE(Records(first, watched), Records(other, watched));
}

TEST(QuoteEngineTest, QuoteRecordCarriesTheStateAtItsOffsets) {
    const Market market = MarketOf(70);
    QuoteEngine engine(market, 3);
    engine.AdvanceRound(AllOf(market));
    const QuoteState& quote = engine.State(1);
    std::array<unsigned char, host::quote_record::Size> record;
    engine.WriteQuoteRecord(1, record.data());
    namespace q = host::quote_record;
    EXPECT_EQ(host::QuoteCode(record.data()), market.At(1).code);
    EXPECT_EQ(host::ReadDouble(record.data(), q::LastPrice), quote.last);
    EXPECT_EQ(host::ReadDouble(record.data(), q::BidPrice), quote.bid);
    EXPECT_EQ(host::ReadInt32(record.data(), q::AskVolume), quote.askVolume);
    EXPECT_EQ(host::ReadInt32(record.data(), q::Volume), quote.volume);
    EXPECT_EQ(host::ReadDouble(record.data(), q::ClosePrice), EmptyPrice);
    EXPECT_EQ(host::ReadDouble(record.data(), q::SettlementPrice), EmptyPrice);
    const std::string time = host::ReadText(record.data(), q::UpdateTimeOffset, q::UpdateTimeWidth);
    EXPECT_EQ(time, QuoteEngine::ClockText(quote.updateSecond));
    EXPECT_EQ(time.size(), 8u);
}

TEST(QuoteEngineTest, ClockTextIsHoursMinutesSeconds) {
    const std::pair<int, const char*> cases[] = {
        {0, "00:00:00"},  {9 * 3600 + 30 * 60 + 5, "09:30:05"}, {86399, "23:59:59"}, {86400, "00:00:00"},
        {-1, "23:59:59"},
    };
    for (const auto& [second, text] : cases) EXPECT_EQ(QuoteEngine::ClockText(second), text);
}

TEST(QuoteEngineTest, CzceTurnoverIsDerivedAndMayFall) {
    const Market market = MarketOf(1200);
    QuoteEngine engine(market, 5);
    const std::size_t sugar = *market.IndexOf("SR701");
    const Instrument& instrument = market.At(sugar);
    for (int round = 0; round < 50; ++round) {
        engine.AdvanceRound({});
        const QuoteState& quote = engine.State(sugar);
        EXPECT_DOUBLE_EQ(quote.turnover, quote.volume * quote.last * instrument.multiplier);
    }
}

}  // namespace
}  // namespace quillon::hostsim
