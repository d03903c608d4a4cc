// The log-in and load conversation as the host sees it.
#include "AppFixture.h"
#include "app/StartupSettings.h"
#include "host/HostCallback.h"
#include "host/HostMessages.h"
#include "model/MarketData.h"

namespace quillon::test {
namespace {

using namespace quillon::host;

class LoadConversation : public AppFixture {};

TEST_F(LoadConversation, RequestsGoOneAtATimeWithGrowingIdsAndEndWithTheContractList) {
    Start("[Startup]\r\nRunMode=0\r\n");
    FakeTesselApi& fake = FakeInstance();
    EXPECT_EQ(fake.registeredName, "Quillon");
    EXPECT_EQ(fake.accessCode, "731");
    EXPECT_EQ(fake.mode, 6);
    EXPECT_EQ(fake.hostWindow, reinterpret_cast<WindowHandle>(4660));
    EXPECT_EQ(fake.ownWindow, Frame().GetSafeHwnd());
    EXPECT_EQ(fake.startCalls, 1);
    EXPECT_TRUE(Sent().empty());

    Deliver(HOSTMSG_LOGIN_RESULT, 0);
    ASSERT_EQ(SentTypes(), (std::vector<int>{HOSTMSG_REQ_HOST_TEXT, HOSTMSG_REQ_EXCHANGES}));
    EXPECT_EQ(Sent()[0].requestId, 1);
    EXPECT_EQ(Sent()[1].requestId, 2);

    Deliver(HOSTMSG_HOST_TEXT, std::vector<unsigned char>{'h', 'o', 's', 't', 0, 'x'});
    EXPECT_EQ(app::HostText(), "host");

    Deliver(HOSTMSG_EXCHANGES, EncodeTextSlots({"CFFEX", "CZCE"}, 32));
    ASSERT_EQ(Sent().size(), 3u);
    EXPECT_EQ(Sent()[2].type, HOSTMSG_REQ_EXCHANGE_CODES);
    EXPECT_EQ(Sent()[2].payload.size(), 32u);
    EXPECT_EQ(Sent()[2].Text(), "CFFEX");
    EXPECT_EQ(Sent()[2].requestId, 3);

    Deliver(HOSTMSG_EXCHANGE_CODES, EncodeTextSlots({"IO2301-C-3900", "IF2301"}, 64));
    ASSERT_EQ(Sent().size(), 4u);
    EXPECT_EQ(Sent()[3].Text(), "CZCE");
    EXPECT_EQ(Sent()[3].requestId, 4);

    // A malformed reply (a negative length, or bytes announced and none passed) does not
    // move the load on as an exchange without codes would.
    Deliver(HOSTMSG_EXCHANGE_CODES, 0, nullptr, -64);
    Deliver(HOSTMSG_EXCHANGE_CODES, 0, nullptr, 64);
    ASSERT_EQ(Sent().size(), 4u);

    Deliver(HOSTMSG_EXCHANGE_CODES, 0, nullptr, 0);  // an exchange without codes
    ASSERT_EQ(Sent().size(), 5u);
    EXPECT_EQ(Sent()[4].type, HOSTMSG_REQ_INSTRUMENT);
    EXPECT_EQ(Sent()[4].payload.size(), 64u);
    EXPECT_EQ(Sent()[4].Text(), "IF2301");  // in code order, not arrival order

    Deliver(HOSTMSG_INSTRUMENT, InstrumentBytes({"IF2301", "CFFEX", '1', 0.2}));
    ASSERT_EQ(Sent().size(), 6u);
    EXPECT_EQ(Sent()[5].Text(), "IO2301-C-3900");
    EXPECT_EQ(Sent()[5].requestId, 6);
    EXPECT_FALSE(model::SharedMarketData().DataReady());

    Deliver(HOSTMSG_INSTRUMENT, InstrumentBytes({"IO2301-C-3900", "CFFEX", '2', 0.2}));
    EXPECT_TRUE(model::SharedMarketData().DataReady());
    EXPECT_TRUE(model::SharedMarketData().IsUnderlying("IF2301"));
    ASSERT_EQ(Sent().size(), 7u);
    EXPECT_EQ(Sent()[6].type, HOSTMSG_REQ_CONTRACT_LIST);
    EXPECT_EQ(Sent()[6].requestId, 7);
    EXPECT_TRUE(Sent()[6].payload.empty());
}

TEST_F(LoadConversation, AnExchangeListOfOneGoesStraightToTheInstruments) {
    Start("[Startup]\r\nRunMode=1\r\n");
    Deliver(HOSTMSG_LOGIN_RESULT, 0);
    Deliver(HOSTMSG_EXCHANGES, EncodeTextSlots({"SHFE"}, 32));
    Deliver(HOSTMSG_EXCHANGE_CODES, EncodeTextSlots({"cu2301"}, 64));
    EXPECT_EQ(SentTypes(), (std::vector<int>{HOSTMSG_REQ_HOST_TEXT, HOSTMSG_REQ_EXCHANGES, HOSTMSG_REQ_EXCHANGE_CODES,
                                             HOSTMSG_REQ_INSTRUMENT}));
}

TEST_F(LoadConversation, NoCodesAtAllEndTheLoadWithoutData) {
    Start("[Startup]\r\nRunMode=0\r\n");
    Deliver(HOSTMSG_LOGIN_RESULT, 0);
    Deliver(HOSTMSG_EXCHANGES, EncodeTextSlots({"CFFEX"}, 32));
    Deliver(HOSTMSG_EXCHANGE_CODES, 0, nullptr, 0);
    EXPECT_EQ(Sent().size(), 3u);
    EXPECT_FALSE(model::SharedMarketData().DataReady());
}

TEST_F(LoadConversation, AnInvocationDuringTheLoadIsAnsweredRightAfterTheLastInstrument) {
    Start("");  // no INI: popup run mode
    EXPECT_EQ(FakeInstance().registeredName, "QuillonPopup");
    EXPECT_EQ(FakeInstance().mode, 0);
    Deliver(HOSTMSG_LOGIN_RESULT, 0);
    Deliver(HOSTMSG_EXCHANGES, EncodeTextSlots({"CFFEX"}, 32));
    Deliver(HOSTMSG_INVOKE);
    EXPECT_EQ(Sent().back().type, HOSTMSG_REQ_EXCHANGE_CODES);
    EXPECT_TRUE(Frame().IsSelectionPending());
    Deliver(HOSTMSG_EXCHANGE_CODES, EncodeTextSlots({"IF2301", "IO2301-C-3900"}, 64));
    Deliver(HOSTMSG_INSTRUMENT, InstrumentBytes({"IF2301", "CFFEX", '1', 0.2}));
    EXPECT_EQ(Sent().back().type, HOSTMSG_REQ_INSTRUMENT);
    Deliver(HOSTMSG_INSTRUMENT, InstrumentBytes({"IO2301-C-3900", "CFFEX", '2', 0.2}));
    EXPECT_EQ(Sent().back().type, HOSTMSG_REQ_SELECTED);
    EXPECT_EQ(Sent().back().requestId, 6);
    // No contract list in popup run mode.
    for (const SentRequest& request : Sent()) EXPECT_NE(request.type, HOSTMSG_REQ_CONTRACT_LIST);

    // Invoked again once loaded: asked at once.
    std::size_t before = Sent().size();
    Deliver(HOSTMSG_INVOKE);
    ASSERT_EQ(Sent().size(), before + 1);
    EXPECT_EQ(Sent().back().type, HOSTMSG_REQ_SELECTED);
}

TEST_F(LoadConversation, AnInstrumentSentTwiceKeepsItsFirstRecordAndTheNewOptionTypeCountsAsOption) {
    struct Case {
        const char* ini;
        char productClass;
        bool option;
    };
    const Case cases[] = {
        {"[Startup]\r\nRunMode=0\r\nNewOptionType=7\r\n", '7', true},
        {"[Startup]\r\nRunMode=0\r\nNewOptionType=7\r\n", '2', true},
        {"[Startup]\r\nRunMode=0\r\nNewOptionType=\r\n", '\0', true},
        {"[Startup]\r\nRunMode=0\r\n", '7', false},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.ini);
        TearDown();
        SetUp();
        Start(test.ini);
        LoadMarket({{"IF2301", "CFFEX", '1', 0.2}, {"IO2301-C-3900", "CFFEX", test.productClass, 0.2}});
        EXPECT_TRUE(model::SharedMarketData().DataReady());
        EXPECT_EQ(model::SharedMarketData().IsUnderlying("IF2301"), test.option);
        auto stored = model::SharedMarketData().FindInstrument("IO2301-C-3900");
        ASSERT_TRUE(stored.has_value());
        EXPECT_EQ((*stored)[232], test.option ? '2' : test.productClass);
    }
    // A repeated instrument: the first record stays.
    Deliver(HOSTMSG_INSTRUMENT, InstrumentBytes({"IF2301", "CFFEX", '1', 5.0}));
    EXPECT_DOUBLE_EQ(ReadDouble(model::SharedMarketData().FindInstrument("IF2301")->data(), 264), 0.2);
}

TEST_F(LoadConversation, MalformedMessagesAreIgnoredAndEveryRecordIsFreed) {
    Start("[Startup]\r\nRunMode=0\r\n");
    std::vector<unsigned char> oneExchange = EncodeTextSlots({"CFFEX"}, 32);
    std::vector<unsigned char> record = InstrumentBytes({"IF2301", "CFFEX", '1', 0.2});
    struct Case {
        int type;
        int value;
        std::vector<unsigned char> payload;
        bool nullData;
    };
    const Case cases[] = {
        {HOSTMSG_EXCHANGES, 1, oneExchange, false},                               // failure value
        {HOSTMSG_EXCHANGES, 0, std::vector<unsigned char>(33, 'A'), false},       // not whole slots
        {HOSTMSG_EXCHANGES, 0, {}, true},                                         // no exchange at all
        {HOSTMSG_EXCHANGE_CODES, 0, std::vector<unsigned char>(65, 'A'), false},  // not whole slots
        {HOSTMSG_EXCHANGE_CODES, 2, EncodeTextSlots({"x"}, 64), false},           // failure value
        {HOSTMSG_INSTRUMENT, 0, std::vector<unsigned char>(record.begin(), record.end() - 1), false},
        {HOSTMSG_INSTRUMENT, 0, std::vector<unsigned char>(401, 0), false},
        {HOSTMSG_INSTRUMENT, 5, record, false},
        {HOSTMSG_CONTRACT_LIST, 0, std::vector<unsigned char>(31, 'A'), false},
        {HOSTMSG_CONTRACT_LIST_PUSH, 0, EncodeTextSlots({"IF2301"}, 64), false},  // before the load
        {HOSTMSG_QUOTE_PUSH, 0, QuoteBytes("IF2301", 591), false},                // short quote
        {HOSTMSG_QUOTE_REPLY, 3, QuoteBytes("IF2301"), false},
        {HOSTMSG_HOST_TEXT, 0, {}, true},
        {HOSTMSG_UNNAMED_7008, 0, {1, 2, 3}, false},
        {0x1FFF, 9, {1}, false},
        {0x2000, 0, {}, true},  // not accepted
    };
    Deliver(HOSTMSG_LOGIN_RESULT, 0);
    app::HostText() = "kept";
    std::size_t before = Sent().size();
    for (const Case& test : cases) {
        SCOPED_TRACE(test.type);
        Deliver(test.type, test.value, test.nullData ? nullptr : test.payload.data(),
                static_cast<int>(test.payload.size()));
        EXPECT_EQ(Sent().size(), before);
        EXPECT_EQ(ArrivalBacklog(), 0);
    }
    EXPECT_EQ(app::HostText(), "kept");
    EXPECT_TRUE(Frame().Board().Contracts().empty());
    EXPECT_EQ(Frame().Board().QuoteCount(), 0);
    EXPECT_FALSE(model::SharedMarketData().DataReady());
}

}  // namespace
}  // namespace quillon::test
