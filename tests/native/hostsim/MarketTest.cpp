#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>

#include "hostsim/BuiltInMarket.h"
#include "hostsim/MarketCsv.h"
#include "model/CodeFormat.h"

namespace quillon::hostsim {
namespace {

Market MarketOf(int count) {
    BuiltInMarketOptions options;
    options.instrumentCount = count;
    options.date = {2026, 11, 20};
    return BuildBuiltInMarket(options);
}

// The product letters at the front of a code: "IO" of IO2612-C-3900, "m" of m2701.
std::string ProductOf(const std::string& code) {
    std::size_t end = 0;
    while (end < code.size() && std::isalpha(static_cast<unsigned char>(code[end]))) ++end;
    return code.substr(0, end);
}

TEST(BuiltInMarketTest, CodesTakeTheFormTheirExchangeLists) {
    const Market market = MarketOf(1200);
    struct Case {
        const char* code;
        const char* exchange;
        bool isOption;
        const char* underlying;
    };
    const Case cases[] = {
        {"IF2612", "CFFEX", false, ""},
        {"IO2612-C-3900", "CFFEX", true, "IF2612"},
        {"HO2612-P-2700", "CFFEX", true, "IH2612"},
        {"MO2612-C-6000", "CFFEX", true, "IM2612"},
        {"m2701", "DCE", false, ""},
        {"m2701-C-2900", "DCE", true, "m2701"},
        {"i2701-P-800", "DCE", true, "i2701"},
        {"si2701-C-12000", "GFEX", true, "si2701"},
        {"SR701", "CZCE", false, ""},
        {"SR701C5800", "CZCE", true, "SR701"},
        {"MA701P2500", "CZCE", true, "MA701"},
        {"cu2701C75000", "SHFE", true, "cu2701"},
        {"sc2701P630", "INE", true, "sc2701"},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.code);
        const auto index = market.IndexOf(item.code);
        ASSERT_TRUE(index.has_value());
        const Instrument& instrument = market.At(*index);
        EXPECT_EQ(instrument.exchange, item.exchange);
        EXPECT_EQ(instrument.isOption, item.isOption);
        if (item.isOption) {
            ASSERT_GE(instrument.underlying, 0);
            EXPECT_EQ(market.At(static_cast<std::size_t>(instrument.underlying)).code, item.underlying);
        }
    }
    EXPECT_EQ(market.Exchanges(), (std::vector<std::string>{"CFFEX", "DCE", "CZCE", "SHFE", "GFEX", "INE"}));
}

TEST(BuiltInMarketTest, SizeFollowsTheRequestedCountWithTwoOrMoreExpiries) {
    for (int count : {70, 200, 1200, 5000, 30000}) {
        SCOPED_TRACE(count);
        const Market market = MarketOf(count);
        EXPECT_NEAR(static_cast<double>(market.Size()), count, count * 0.05);
        std::map<std::string, int> futuresPerProduct;
        std::map<std::size_t, std::pair<int, int>> sidesPerFuture;
        for (const Instrument& instrument : market.Instruments()) {
            EXPECT_LE(instrument.code.size(), MaxCodeLength);
            if (!instrument.isOption) {
                ++futuresPerProduct[ProductOf(instrument.code)];
                continue;
            }
            const Instrument& future = market.At(static_cast<std::size_t>(instrument.underlying));
            EXPECT_FALSE(future.isOption);
            EXPECT_EQ(future.exchange, instrument.exchange);
            auto& sides = sidesPerFuture[static_cast<std::size_t>(instrument.underlying)];
            (instrument.isCall ? sides.first : sides.second)++;
        }
        for (const auto& [product, futures] : futuresPerProduct) EXPECT_GE(futures, 2) << product;
        for (const auto& [future, sides] : sidesPerFuture) EXPECT_EQ(sides.first, sides.second);
    }
}

TEST(BuiltInMarketTest, StrikesPerExpiryMakeEveryChainThatLong) {
    BuiltInMarketOptions options;
    options.instrumentCount = 700;
    options.strikesPerExpiry = 100;
    options.date = {2026, 11, 20};
    const Market market = BuildBuiltInMarket(options);
    std::map<int, std::vector<double>> callStrikes;
    std::map<int, int> puts;
    std::size_t futures = 0;
    for (const Instrument& instrument : market.Instruments()) {
        if (!instrument.isOption) {
            ++futures;
        } else if (instrument.isCall) {
            callStrikes[instrument.underlying].push_back(instrument.strike);
        } else {
            ++puts[instrument.underlying];
        }
    }
    ASSERT_GE(futures, 2u);
    EXPECT_EQ(callStrikes.size(), futures);
    EXPECT_EQ(market.Size(), futures * 201);
    for (const auto& [future, strikes] : callStrikes) {
        SCOPED_TRACE(market.At(static_cast<std::size_t>(future)).code);
        EXPECT_EQ(strikes.size(), 100u);
        EXPECT_EQ(puts[future], 100);
        EXPECT_TRUE(std::is_sorted(strikes.begin(), strikes.end()));
        EXPECT_EQ(std::adjacent_find(strikes.begin(), strikes.end()), strikes.end());
        EXPECT_GT(strikes.front(), 0);
    }
    // Every code still fits its slot and is unique.
    std::set<std::string> codes;
    for (const Instrument& instrument : market.Instruments()) {
        EXPECT_LE(instrument.code.size(), MaxCodeLength);
        codes.insert(instrument.code);
    }
    EXPECT_EQ(codes.size(), market.Size());
}

TEST(BuiltInMarketTest, ListingNamesEachInstrumentWithItsUnderlyingAndStrike) {
    const Market market = MarketOf(70);
    std::istringstream listing(market.Listing());
    std::size_t index = 0;
    for (std::string line; std::getline(listing, line); ++index) {
        ASSERT_LT(index, market.Size());
        const Instrument& instrument = market.At(index);
        std::istringstream words(line);
        std::string exchange, code, kind, underlying;
        double strike = 0;
        words >> exchange >> code >> kind;
        EXPECT_EQ(exchange, instrument.exchange);
        EXPECT_EQ(code, instrument.code);
        if (!instrument.isOption) {
            EXPECT_EQ(kind, "future");
            continue;
        }
        words >> underlying >> strike;
        EXPECT_EQ(kind, instrument.isCall ? "call" : "put");
        EXPECT_EQ(underlying, market.At(static_cast<std::size_t>(instrument.underlying)).code);
        EXPECT_DOUBLE_EQ(strike, instrument.strike);
    }
    EXPECT_EQ(index, market.Size());

    std::istringstream csv("exchange,code,class,tick,reference price\nCZCE,SR701P5700,2,0.5,80\n");
    std::string error;
    const auto alone = LoadMarketCsv(csv, error);
    ASSERT_TRUE(alone) << error;
    EXPECT_EQ(alone->Listing(), "CZCE SR701P5700 put - 5700\n");
}

TEST(BuiltInMarketTest, StrikesStepByTheExchangeIntervals) {
    // product: (interval, below this price) ... as the exchanges set them.
    const std::map<std::string, std::vector<std::pair<double, double>>> bands = {
        {"m", {{25, 2000}, {50, 5000}, {100, 1e18}}},    {"i", {{5, 300}, {10, 1000}, {20, 1e18}}},
        {"SR", {{50, 3000}, {100, 10000}, {200, 1e18}}}, {"CF", {{100, 10000}, {200, 20000}, {400, 1e18}}},
        {"MA", {{25, 2500}, {50, 5000}, {100, 1e18}}},   {"MO", {{25, 2500}, {50, 5000}, {100, 10000}, {200, 1e18}}},
    };
    const Market market = MarketOf(30000);
    std::map<int, std::vector<double>> callStrikes;
    for (const Instrument& instrument : market.Instruments()) {
        if (instrument.isOption && instrument.isCall) callStrikes[instrument.underlying].push_back(instrument.strike);
    }
    int checked = 0;
    for (auto& [future, strikes] : callStrikes) {
        const std::string product = ProductOf(market.At(static_cast<std::size_t>(future)).code);
        const std::string optionProduct = product == "IM" ? "MO" : product;
        auto band = bands.find(optionProduct);
        if (band == bands.end()) continue;
        std::sort(strikes.begin(), strikes.end());
        for (std::size_t i = 0; i + 1 < strikes.size(); ++i) {
            const double strike = strikes[i];
            const auto interval = std::find_if(band->second.begin(), band->second.end(),
                                               [strike](const auto& item) { return strike < item.second; });
            EXPECT_EQ(strikes[i + 1] - strikes[i], interval->first) << product << " at " << strikes[i];
            ++checked;
        }
        EXPECT_GT(strikes.front(), 0);
    }
    EXPECT_GT(checked, 1000);
}

TEST(BuiltInMarketTest, OptionCodesReadAsTheBoardReadsThem) {
    const Market market = MarketOf(30000);
    int parsed = 0;
    for (const Instrument& option : market.Instruments()) {
        // The board reads SHFE's and INE's letter form as it reads dashed codes, so not at all.
        if (!option.isOption || option.exchange == "SHFE" || option.exchange == "INE") continue;
        SCOPED_TRACE(option.code);
        const auto parts = model::ParseOptionCode(option.code, option.exchange);
        ASSERT_TRUE(parts.has_value());
        EXPECT_EQ(parts->isCall, option.isCall);
        char strike[32];
        std::snprintf(strike, sizeof strike, "%.0f", option.strike);
        EXPECT_EQ(parts->strike, strike);
        // The board files IO and HO under IF and IH itself; MO keeps its own name.
        std::string underlying = market.At(static_cast<std::size_t>(option.underlying)).code;
        if (underlying.rfind("IF", 0) == 0) underlying.replace(0, 2, "IO");
        if (underlying.rfind("IH", 0) == 0) underlying.replace(0, 2, "HO");
        if (underlying.rfind("IM", 0) == 0) underlying.replace(0, 2, "MO");
        EXPECT_EQ(parts->underlying, underlying);
        ++parsed;
    }
    EXPECT_GT(parsed, 20000);
}

TEST(BuiltInMarketTest, TicksAreTheExchangesTicks) {
    const Market market = MarketOf(1200);
    const std::map<std::string, double> ticks = {
        {"IF2612", 0.2},      {"IO2612-C-3900", 0.2}, {"m2701", 1},        {"m2701-C-2900", 0.5}, {"i2701", 0.5},
        {"i2701-P-800", 0.1}, {"SR701", 1},           {"SR701C5800", 0.5}, {"CF701", 5},          {"MA701P2500", 0.5},
    };
    for (const auto& [code, tick] : ticks) {
        const auto index = market.IndexOf(code);
        ASSERT_TRUE(index) << code;
        EXPECT_EQ(market.At(*index).tick, tick) << code;
    }
}

TEST(MarketCsvTest, ReadsAMarketAndLinksOptionsToTheirFutures) {
    std::istringstream file(
        "exchange,code,class,tick,reference\n"
        "# index options\n"
        "CFFEX,IF2701,1,0.2,3900\n"
        "CFFEX,IO2701-C-3900,2,0.2,120\n"
        "\n"
        "CZCE, SR701 ,1,1,5800\n"
        "CZCE,SR701P5700,2,0.5,80\n"
        "DCE,m2701-C-2900,2,0.5,60\n");
    std::string error;
    const auto market = LoadMarketCsv(file, error);
    ASSERT_TRUE(market) << error;
    ASSERT_EQ(market->Size(), 5u);
    const Instrument& io = market->At(*market->IndexOf("IO2701-C-3900"));
    EXPECT_TRUE(io.isOption);
    EXPECT_TRUE(io.isCall);
    EXPECT_EQ(io.strike, 3900);
    EXPECT_EQ(io.underlying, static_cast<int>(*market->IndexOf("IF2701")));
    const Instrument& sr = market->At(*market->IndexOf("SR701P5700"));
    EXPECT_FALSE(sr.isCall);
    EXPECT_EQ(sr.strike, 5700);
    EXPECT_EQ(sr.underlying, static_cast<int>(*market->IndexOf("SR701")));
    // An option whose future is not in the file still trades, on its own.
    EXPECT_EQ(market->At(*market->IndexOf("m2701-C-2900")).underlying, -1);
}

TEST(MarketCsvTest, AnUnreadableLineFailsTheFileAndNamesTheLine) {
    const std::pair<const char*, const char*> cases[] = {
        {"CFFEX,IF2701,1,0.2\n", "line 1"},         {"CFFEX,IF2701,1,0.2,3900\nCFFEX,IF2701,1,0.2,3900\n", "line 2"},
        {"CFFEX,IF2701,1,zero,3900\n", "line 1"},   {"CFFEX,IF2701,1,0.2,-5\n", "line 1"},
        {"CFFEX,IF2701,1,0,3900\n", "line 1"},      {"DCE,m2701C2900,2,0.5,60\n", "line 1"},
        {"CZCE,SR701-C-5800,2,0.5,60\n", "line 1"}, {"CFFEX,IO2701-C-3900-EXTRA-LONG-CODE-X,2,0.2,1\n", "line 1"},
        {"# nothing\n", "no instruments"},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        std::istringstream file(text);
        std::string error;
        EXPECT_FALSE(LoadMarketCsv(file, error));
        EXPECT_NE(error.find(expected), std::string::npos) << error;
    }
}

}  // namespace
}  // namespace quillon::hostsim
