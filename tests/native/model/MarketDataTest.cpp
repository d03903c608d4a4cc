#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "InstrumentRecords.h"
#include "host/WireRecords.h"
#include "model/MarketData.h"

namespace quillon::model {
namespace {

void InsertAll(MarketData& market, const std::vector<Instrument>& instruments) {
    for (const Instrument& instrument : instruments) {
        const InstrumentRecordBytes record = MakeRecord(instrument);
        market.InsertInstrument(instrument.code, record);
    }
}

// A trading day's universe in miniature: futures and options of each exchange in the
// spelling its feed uses, and instruments that must stay out of the chain.
const std::vector<Instrument> MixedUniverse = {
    {"IF2612", "CFFEX", '1', 0.2},        {"IH2612", "CFFEX", '1', 0.2},        {"IM2612", "CFFEX", '1', 0.2},
    {"IO2612-C-3900", "CFFEX", '2', 0.2}, {"IO2612-P-3900", "CFFEX", '2', 0.2}, {"IO2612-C-4000", "CFFEX", '2', 0.2},
    {"HO2612-C-2700", "CFFEX", '2', 0.2}, {"HO2612-P-2700", "CFFEX", '2', 0.2}, {"MO2612-C-6000", "CFFEX", '2', 0.2},
    {"MO2612-P-6000", "CFFEX", '2', 0.2}, {"IO2703-P-4100", "cffex", '2', 0.2}, {"TL2612-C-110", "CFFEX", '2', 0.01},
    {"SR701", "CZCE", '1', 1.0},          {"SR701C5800", "CZCE", '2', 0.5},     {"SR701P5800", "CZCE", '2', 0.5},
    {"SR701C6000", "CZCE", '2', 0.5},     {"CF701P12000", "CZCE", '2', 1.0},    {"SR70", "CZCE", '2', 0.5},
    {"m2701", "DCE", '1', 1.0},           {"m2701-C-2900", "DCE", '2', 0.5},    {"m2701-P-2900", "DCE", '2', 0.5},
    {"i2701-P-800", "DCE", '2', 0.1},     {"m2701-C-3000", "DCE", '1', 0.5},    {"cu2612C75000", "SHFE", '2', 10.0},
    {"sc2701P630", "INE", '2', 0.05},
};

TEST(MarketData, BuildsTheChainOfAMixedUniverse) {
    MarketData market;
    InsertAll(market, MixedUniverse);
    market.BuildOptionChain();

    const std::pair<const char*, const char*> underlyings[] = {
        {"IO2612-C-3900", "IF2612"}, {"IO2612-P-3900", "IF2612"}, {"HO2612-P-2700", "IH2612"},
        {"MO2612-C-6000", "IM2612"}, {"IO2703-P-4100", "IF2703"}, {"TL2612-C-110", "TL2612"},
        {"SR701C5800", "SR701"},     {"CF701P12000", "CF701"},    {"m2701-P-2900", "m2701"},
        {"i2701-P-800", "i2701"},
    };
    for (const auto& [option, underlying] : underlyings) {
        SCOPED_TRACE(option);
        EXPECT_EQ(market.UnderlyingOf(option), underlying);
    }
    for (const char* outside : {"SR70", "m2701-C-3000", "cu2612C75000", "sc2701P630", "IF2612", "IO2612-C-39"}) {
        SCOPED_TRACE(outside);
        EXPECT_EQ(market.UnderlyingOf(outside), std::nullopt);
    }

    for (const char* future : {"IF2612", "IH2612", "IM2612", "IF2703", "TL2612", "SR701", "CF701", "m2701", "i2701"}) {
        EXPECT_TRUE(market.IsUnderlying(future)) << future;
    }
    for (const char* other : {"IO2612", "HO2612", "MO2612", "cu2612", "SR70", "m2701-C-3000", "if2612", ""}) {
        EXPECT_FALSE(market.IsUnderlying(other)) << other;
    }

    EXPECT_EQ(market.StrikeMapOf("IF2612"),
              (StrikeMap{{"3900", {"IO2612-C-3900", "IO2612-P-3900"}}, {"4000", {"IO2612-C-4000"}}}));
    EXPECT_EQ(market.StrikeMapOf("IM2612"), (StrikeMap{{"6000", {"MO2612-C-6000", "MO2612-P-6000"}}}));
    EXPECT_EQ(market.StrikeMapOf("SR701"),
              (StrikeMap{{"5800", {"SR701C5800", "SR701P5800"}}, {"6000", {"SR701C6000"}}}));
    EXPECT_EQ(market.StrikeMapOf("m2701"), (StrikeMap{{"2900", {"m2701-C-2900", "m2701-P-2900"}}}));
    EXPECT_EQ(market.StrikeMapOf("cu2612"), std::nullopt);

    // Left out of the chain, still known as instruments.
    for (const char* code : {"SR70", "cu2612C75000", "m2701-C-3000"}) {
        EXPECT_TRUE(market.FindInstrument(code).has_value()) << code;
    }
}

TEST(MarketData, KeepsTheFirstRecordOfACode) {
    MarketData market;
    const InstrumentRecordBytes first = MakeRecord({"SR701C5800", "CZCE", '2', 0.5});
    const InstrumentRecordBytes second = MakeRecord({"SR701C5800", "DCE", '1', 1.0});
    EXPECT_TRUE(market.InsertInstrument("SR701C5800", first));
    EXPECT_FALSE(market.InsertInstrument("SR701C5800", second));
    EXPECT_EQ(market.FindInstrument("SR701C5800"), first);
    EXPECT_EQ(market.FindInstrument("SR701C580"), std::nullopt);

    const std::vector<unsigned char> shortRecord(host::instrument_record::Size - 1, 0);
    const std::vector<unsigned char> longRecord(host::instrument_record::Size + 1, 0);
    EXPECT_FALSE(market.InsertInstrument("m2701", shortRecord));
    EXPECT_FALSE(market.InsertInstrument("m2701", longRecord));
    EXPECT_EQ(market.FindInstrument("m2701"), std::nullopt);
    EXPECT_EQ(market.CopyInstrumentTable().size(), 1u);
}

TEST(MarketData, ASecondBuildOnlyAdds) {
    MarketData market;
    InsertAll(market, {{"IO2612-C-3900", "CFFEX", '2', 0.2}, {"SR701C5800", "CZCE", '2', 0.5}});
    market.BuildOptionChain();
    market.BuildOptionChain();
    EXPECT_EQ(market.StrikeMapOf("IF2612"), (StrikeMap{{"3900", {"IO2612-C-3900"}}}));

    // A late definition joins the existing strike, a new strike and a new underlying.
    InsertAll(
        market,
        {{"IO2612-P-3900", "CFFEX", '2', 0.2}, {"IO2612-C-4000", "CFFEX", '2', 0.2}, {"SR705P6000", "CZCE", '2', 0.5}});
    market.BuildOptionChain();
    EXPECT_EQ(market.StrikeMapOf("IF2612"),
              (StrikeMap{{"3900", {"IO2612-C-3900", "IO2612-P-3900"}}, {"4000", {"IO2612-C-4000"}}}));
    EXPECT_EQ(market.StrikeMapOf("SR701"), (StrikeMap{{"5800", {"SR701C5800"}}}));
    EXPECT_EQ(market.UnderlyingOf("SR705P6000"), "SR705");

    // What is already there is never changed, whatever the table now holds.
    InstrumentTable other;
    other["SR701C5800"] = MakeRecord({"SR701C5800", "CZCE", '2', 0.5});
    OptionUnderlyingMap underlyings{{"SR701C5800", "kept"}};
    OptionChainIndex chain{{"SR701", {{"5800", {"SR701P5800"}}}}};
    BuildOptionChain(other, underlyings, chain);
    EXPECT_EQ(underlyings, (OptionUnderlyingMap{{"SR701C5800", "kept"}}));
    EXPECT_EQ(chain, (OptionChainIndex{{"SR701", {{"5800", {"SR701C5800", "SR701P5800"}}}}}));
}

TEST(MarketData, OrdersEveryKeyByteWise) {
    MarketData market;
    InsertAll(market,
              {{"m2701-C-900", "DCE", '2', 0.5}, {"m2701-C-1000", "DCE", '2', 0.5}, {"m2701-C-950", "DCE", '2', 0.5}});
    market.BuildOptionChain();
    const auto strikes = market.StrikeMapOf("m2701");
    ASSERT_TRUE(strikes.has_value());
    std::vector<std::string> order;
    for (const auto& [strike, codes] : *strikes) order.push_back(strike);
    EXPECT_EQ(order, (std::vector<std::string>{"1000", "900", "950"}));

    // Code page 936 lead bytes (0x81 and up) sort after every ASCII byte, a prefix first.
    for (const char* code : {"\xB6\xB9\xC6\xC9", "m2701", "\x81", "M", "m", "m2701", "a\xFF", "a"}) {
        market.AddInstrumentCode(code);
    }
    const InstrumentCodeSet codes = market.CopyInstrumentCodeSet();
    EXPECT_EQ(std::vector<std::string>(codes.begin(), codes.end()),
              (std::vector<std::string>{"M", "a", "a\xFF", "m", "m2701", "\x81", "\xB6\xB9\xC6\xC9"}));

    const ByteOrder before;
    EXPECT_TRUE(before("\x7F", "\x80"));
    EXPECT_FALSE(before("\x80", "\x7F"));
    EXPECT_TRUE(before("", "\x01"));
    EXPECT_FALSE(before("", ""));
    EXPECT_TRUE(before(std::string_view("a\0", 2), std::string_view("a\0\0", 3)));
}

TEST(MarketData, SnapshotsDoNotFollowLaterChanges) {
    MarketData market;
    market.AddInstrumentCode("SR701");
    market.AddInstrumentCode("SR701");
    InsertAll(market, {{"SR701", "CZCE", '1', 1.0}});
    const InstrumentCodeSet codes = market.CopyInstrumentCodeSet();
    const InstrumentTable table = market.CopyInstrumentTable();

    market.AddInstrumentCode("m2701");
    InsertAll(market, {{"m2701", "DCE", '1', 1.0}});
    EXPECT_EQ(codes, (InstrumentCodeSet{"SR701"}));
    EXPECT_EQ(table.size(), 1u);
    EXPECT_EQ(market.CopyInstrumentCodeSet(), (InstrumentCodeSet{"SR701", "m2701"}));
    EXPECT_EQ(market.CopyInstrumentTable().size(), 2u);

    market.ReplaceExchangeSet({"CFFEX", "CZCE", "DCE"});
    market.ReplaceExchangeSet({"SHFE"});
    EXPECT_EQ(market.CopyExchangeSet(), (ExchangeSet{"SHFE"}));
}

TEST(MarketData, DataReadyStaysSetUntilATestClearsIt) {
    MarketData& shared = SharedMarketData();
    EXPECT_EQ(&shared, &SharedMarketData());
    shared.ClearForTests();
    EXPECT_FALSE(shared.DataReady());
    InsertAll(shared, {{"IO2612-C-3900", "CFFEX", '2', 0.2}});
    shared.AddInstrumentCode("IO2612-C-3900");
    shared.ReplaceExchangeSet({"CFFEX"});
    shared.BuildOptionChain();
    shared.SetDataReady();
    shared.BuildOptionChain();
    EXPECT_TRUE(shared.DataReady());
    EXPECT_TRUE(shared.IsUnderlying("IF2612"));

    shared.ClearForTests();
    EXPECT_FALSE(shared.DataReady());
    EXPECT_FALSE(shared.IsUnderlying("IF2612"));
    EXPECT_EQ(shared.UnderlyingOf("IO2612-C-3900"), std::nullopt);
    EXPECT_TRUE(shared.CopyInstrumentTable().empty());
    EXPECT_TRUE(shared.CopyInstrumentCodeSet().empty());
    EXPECT_TRUE(shared.CopyExchangeSet().empty());
}

}  // namespace
}  // namespace quillon::model
