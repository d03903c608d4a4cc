// The instrument load as the host sees it: one request outstanding, exchanges in the
// list's order, then instruments in code order, and the market ready after the last.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "InstrumentRecords.h"
#include "model/InstrumentLoader.h"

namespace quillon::model {
namespace {

using Texts = std::vector<std::string>;

// Each request as "X:<exchange>" or "I:<code>", in the order sent.
class RecordedRequests : public InstrumentLoader::Requests {
public:
    void ExchangeCodes(const std::string& exchange) override { sent.push_back("X:" + exchange); }
    void Instrument(const std::string& code) override { sent.push_back("I:" + code); }
    // What was sent since the last call.
    Texts Take() { return std::exchange(sent, {}); }
    Texts sent;
};

class InstrumentLoaderTest : public ::testing::Test {
protected:
    MarketData market;
    RecordedRequests requests;
    InstrumentLoader loader{market, requests, '7'};  // this host's options come as class '7'
};

TEST_F(InstrumentLoaderTest, EachReplyAsksForTheNextAndTheLastMakesTheMarketReady) {
    loader.OnExchanges({"DCE", "CFFEX"});
    EXPECT_EQ(requests.Take(), Texts{"X:DCE"});
    EXPECT_EQ(market.CopyExchangeSet(), (ExchangeSet{"CFFEX", "DCE"}));
    loader.OnExchangeCodes({"m2301", "m2301-C-2900"});
    EXPECT_EQ(requests.Take(), Texts{"X:CFFEX"});
    loader.OnExchangeCodes({"IO2301-C-3900", "IF2301"});
    EXPECT_EQ(requests.Take(), Texts{"I:IF2301"}) << "codes in byte order, whichever exchange sent them";

    const std::vector<Instrument> replies = {{"IF2301", "CFFEX", '1', 0.2},
                                             {"IO2301-C-3900", "CFFEX", '7', 0.2},
                                             {"m2301", "DCE", '1', 1.0},
                                             {"m2301-C-2900", "DCE", '7', 0.5}};
    const Texts next = {"I:IO2301-C-3900", "I:m2301", "I:m2301-C-2900"};
    for (std::size_t i = 0; i < replies.size(); ++i) {
        EXPECT_FALSE(market.DataReady());
        EXPECT_EQ(loader.OnInstrument(MakeRecord(replies[i])), i + 1 == replies.size());
        EXPECT_EQ(requests.Take(), i < next.size() ? Texts{next[i]} : Texts{});
    }
    EXPECT_TRUE(market.DataReady());
    EXPECT_EQ(market.UnderlyingOf("IO2301-C-3900"), "IF2301");
    EXPECT_EQ(market.UnderlyingOf("m2301-C-2900"), "m2301");
    const auto option = market.FindInstrument("m2301-C-2900");
    ASSERT_TRUE(option.has_value());
    EXPECT_EQ((*option)[host::instrument_record::ProductClassOffset], host::instrument_record::OptionClass);
}

TEST_F(InstrumentLoaderTest, ALoadWithNothingToLoadAsksNothingAndNeverBecomesReady) {
    loader.OnExchanges({});
    EXPECT_TRUE(requests.Take().empty());
    loader.OnExchanges({"SHFE"});
    EXPECT_EQ(requests.Take(), Texts{"X:SHFE"});
    loader.OnExchangeCodes({});
    EXPECT_TRUE(requests.Take().empty());
    EXPECT_FALSE(market.DataReady());
}

TEST_F(InstrumentLoaderTest, ANewExchangeListStartsTheRoundAgain) {
    loader.OnExchanges({"DCE", "CZCE"});
    loader.OnExchanges({"INE", "SHFE"});
    EXPECT_EQ(requests.Take(), (Texts{"X:DCE", "X:INE"}));
    loader.OnExchangeCodes({"sc2701"});
    EXPECT_EQ(requests.Take(), Texts{"X:SHFE"}) << "CZCE is no longer listed";
    EXPECT_EQ(market.CopyExchangeSet(), (ExchangeSet{"INE", "SHFE"}));
}

}  // namespace
}  // namespace quillon::model
