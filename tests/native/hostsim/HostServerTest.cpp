#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <set>

#include "PluginClient.h"
#include "host/HostMessages.h"
#include "host/WireRecords.h"
#include "host/WireText.h"
#include "hostsim/BuiltInMarket.h"
#include "hostsim/StampClock.h"

namespace quillon::hostsim::test {
namespace {

using namespace quillon::host;

Market SmallMarket() {
    BuiltInMarketOptions options;
    options.instrumentCount = 70;
    options.date = {2026, 11, 20};
    return BuildBuiltInMarket(options);
}

// Every exchange of a mixed market: one product each of several forms.
Market MixedMarket() {
    BuiltInMarketOptions options;
    options.instrumentCount = 400;
    options.date = {2026, 11, 20};
    return BuildBuiltInMarket(options);
}

TEST(HostServerTest, WholeLoadConversationAnswersEveryRequestWithItsId) {
    const Market reference = MixedMarket();
    HostServerOptions options;
    options.optionClass = '7';
    RunningServer running(MixedMarket(), options);
    PluginClient plugin(running.Port());

    plugin.SendHello();
    auto login = plugin.Expect(HOSTMSG_LOGIN_RESULT);
    ASSERT_TRUE(login);
    EXPECT_EQ(login->header.value, 0);

    std::int32_t id = 0;
    plugin.Send(HOSTMSG_REQ_HOST_TEXT, ++id);
    plugin.Send(HOSTMSG_REQ_EXCHANGES, ++id);
    auto text = plugin.Expect(HOSTMSG_HOST_TEXT);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->header.requestId, 1);
    EXPECT_NE(std::string(text->payload.begin(), text->payload.end()).find("hostsim"), std::string::npos);
    auto exchanges = plugin.Expect(HOSTMSG_EXCHANGES);
    ASSERT_TRUE(exchanges);
    EXPECT_EQ(exchanges->header.requestId, 2);
    const std::vector<std::string> exchangeList = ReadSlots(exchanges->payload, ExchangeSlotSize);
    EXPECT_EQ(exchangeList, reference.Exchanges());

    std::vector<std::pair<std::string, std::string>> codes;  // code, exchange
    for (const std::string& exchange : exchangeList) {
        plugin.Send(HOSTMSG_REQ_EXCHANGE_CODES, ++id, EncodeTextSlots({exchange}, ExchangeSlotSize));
        auto reply = plugin.Expect(HOSTMSG_EXCHANGE_CODES);
        ASSERT_TRUE(reply);
        EXPECT_EQ(reply->header.requestId, id);
        for (const std::string& code : ReadSlots(reply->payload, CodeSlotSize)) codes.emplace_back(code, exchange);
    }
    ASSERT_EQ(codes.size(), reference.Size());

    std::sort(codes.begin(), codes.end());
    for (const auto& [code, exchange] : codes) {
        plugin.SendCode(HOSTMSG_REQ_INSTRUMENT, code, ++id);
        auto record = plugin.Expect(HOSTMSG_INSTRUMENT);
        ASSERT_TRUE(record);
        EXPECT_EQ(record->header.requestId, id);
        EXPECT_EQ(record->header.value, 0);
        ASSERT_EQ(record->payload.size(), instrument_record::Size);
        const Instrument& instrument = reference.At(*reference.IndexOf(code));
        EXPECT_EQ(InstrumentCode(record->payload.data()), code);
        EXPECT_EQ(InstrumentExchange(record->payload.data()), exchange);
        EXPECT_EQ(InstrumentProductClass(record->payload.data()), instrument.isOption ? '7' : '1') << code;
        EXPECT_EQ(InstrumentPriceTick(record->payload.data()), instrument.tick) << code;
    }
    EXPECT_TRUE(running.WaitFor([](const HostServerStats& stats) { return stats.loaded; }));

    plugin.Send(HOSTMSG_REQ_CONTRACT_LIST, ++id);
    auto list = plugin.Expect(HOSTMSG_CONTRACT_LIST);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->header.requestId, id);
    const std::vector<std::string> contracts = ReadSlots(list->payload, ExchangeSlotSize);
    ASSERT_FALSE(contracts.empty());
    for (const std::string& code : contracts) EXPECT_TRUE(reference.IndexOf(code)) << code;

    plugin.Send(HOSTMSG_REQ_SELECTED, ++id);
    auto selected = plugin.Expect(HOSTMSG_SELECTED);
    ASSERT_TRUE(selected);
    EXPECT_EQ(selected->header.requestId, id);
    ASSERT_EQ(selected->payload.size(), CodeSlotSize);
    EXPECT_TRUE(reference.IndexOf(ReadSlots(selected->payload, CodeSlotSize).front()));

    // An instrument the host does not list is a failure answer, not the end of the link.
    plugin.SendCode(HOSTMSG_REQ_INSTRUMENT, "XX9999", ++id);
    auto unknown = plugin.Expect(HOSTMSG_INSTRUMENT);
    ASSERT_TRUE(unknown);
    EXPECT_NE(unknown->header.value, 0);
    EXPECT_EQ(unknown->header.requestId, id);
}

TEST(HostServerTest, SubscriptionsDecideWhichQuotesArePushed) {
    const Market reference = SmallMarket();
    const std::string future = reference.At(0).code;
    const std::string option = reference.At(1).code;
    HostServerOptions options;
    options.rate = 50;
    RunningServer running(SmallMarket(), options);
    PluginClient plugin(running.Port());
    plugin.SendHello();
    ASSERT_TRUE(plugin.Expect(HOSTMSG_LOGIN_RESULT));

    // One snapshot at each subscription, whatever the market does.
    plugin.SendCode(HOSTMSG_QUOTE_SUBSCRIBE, future);
    auto snapshot = plugin.Expect(HOSTMSG_QUOTE_PUSH);
    ASSERT_TRUE(snapshot);
    EXPECT_EQ(QuoteCode(snapshot->payload.data()), future);
    plugin.SendCode(HOSTMSG_QUOTE_SUBSCRIBE, option);
    plugin.SendCode(HOSTMSG_QUOTE_SUBSCRIBE, option);  // a second subscription of the same code
    EXPECT_TRUE(running.WaitFor([](const HostServerStats& stats) { return stats.subscribed == 2; }));

    plugin.SendCode(HOSTMSG_QUOTE_UNSUBSCRIBE, future);
    plugin.SendCode(HOSTMSG_QUOTE_UNSUBSCRIBE, "NOT-A-CODE");
    EXPECT_TRUE(running.WaitFor([](const HostServerStats& stats) { return stats.subscribed == 1; }));
    // Drain what was pushed before the unsubscription reached the host.
    const auto drained = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
    while (std::chrono::steady_clock::now() < drained) plugin.Receive(20);
    std::set<std::string> pushed;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(600);
    while (std::chrono::steady_clock::now() < until) {
        auto frame = plugin.Receive(100);
        if (!frame) continue;
        ASSERT_EQ(frame->header.msgType, HOSTMSG_QUOTE_PUSH);
        ASSERT_EQ(frame->payload.size(), quote_record::Size);
        pushed.insert(QuoteCode(frame->payload.data()));
    }
    EXPECT_EQ(pushed, std::set<std::string>{option});

    // A quote request is answered with the current quote and its id, subscribed or not.
    plugin.SendCode(HOSTMSG_QUOTE_REQUEST, future, 77);
    auto reply = plugin.Expect(HOSTMSG_QUOTE_REPLY);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->header.requestId, 77);
    EXPECT_EQ(QuoteCode(reply->payload.data()), future);
    plugin.SendCode(HOSTMSG_QUOTE_REQUEST, "NOT-A-CODE", 78);
    auto failed = plugin.Expect(HOSTMSG_QUOTE_REPLY);
    ASSERT_TRUE(failed);
    EXPECT_NE(failed->header.value, 0);
}

std::vector<unsigned char> Header(std::uint32_t type, std::int32_t length) {
    std::vector<unsigned char> bytes(FrameHeaderSize);
    const std::int32_t fields[4] = {static_cast<std::int32_t>(type), 0, 0, length};
    for (int field = 0; field < 4; ++field) {
        for (int byte = 0; byte < 4; ++byte) {
            bytes[field * 4 + byte] =
                static_cast<unsigned char>(static_cast<std::uint32_t>(fields[field]) >> (8 * byte));
        }
    }
    return bytes;
}

TEST(HostServerTest, MalformedFrameEndsOnlyThatConnection) {
    struct Case {
        const char* what;
        bool helloFirst;
        std::vector<unsigned char> bytes;
    };
    std::vector<unsigned char> shortSlot = Header(HOSTMSG_REQ_EXCHANGE_CODES, 5);
    shortSlot.resize(shortSlot.size() + 5, 'x');
    std::vector<unsigned char> unreadableHello = Header(LinkHelloType, 3);
    unreadableHello.insert(unreadableHello.end(), {'a', 'b', 'c'});
    const std::vector<unsigned char> hello = EncodeHello({"Quillon", "731", 1, 2});
    std::vector<unsigned char> secondHello = *EncodeFrame(LinkHelloType, 6, 0, hello.data(), hello.size());
    std::vector<unsigned char> textWithPayload = Header(HOSTMSG_REQ_HOST_TEXT, 1);
    textWithPayload.push_back('x');
    const std::vector<Case> cases = {
        {"request before the hello", false, Header(HOSTMSG_REQ_EXCHANGES, 0)},
        {"unreadable hello", false, unreadableHello},
        {"negative length", true, Header(HOSTMSG_REQ_EXCHANGES, -1)},
        {"length beyond the limit", true, Header(HOSTMSG_REQ_EXCHANGES, MaxFramePayload + 1)},
        {"exchange slot of the wrong size", true, shortSlot},
        {"payload where none belongs", true, textWithPayload},
        {"a host-to-plugin type", true, Header(HOSTMSG_QUOTE_PUSH, 0)},
        {"an unknown type", true, Header(0x12345678, 0)},
        {"second hello", true, secondHello},
    };
    RunningServer running(SmallMarket(), HostServerOptions{});
    std::size_t connections = 0;
    for (const Case& item : cases) {
        SCOPED_TRACE(item.what);
        PluginClient bad(running.Port());
        if (item.helloFirst) {
            bad.SendHello();
            ASSERT_TRUE(bad.Expect(HOSTMSG_LOGIN_RESULT));
        }
        bad.SendBytes(item.bytes);
        EXPECT_TRUE(bad.WaitForClose());

        PluginClient good(running.Port());
        good.SendHello();
        auto login = good.Expect(HOSTMSG_LOGIN_RESULT);
        ASSERT_TRUE(login);
        good.Send(HOSTMSG_REQ_EXCHANGES, 1);
        EXPECT_TRUE(good.Expect(HOSTMSG_EXCHANGES));
        connections += 2;
    }
    EXPECT_EQ(running.Server().Stats().connections, connections);
}

TEST(HostServerTest, AClientThatNeverSaysHelloGivesUpTheSlot) {
    HostServerOptions options;
    options.helloTimeoutMs = 200;
    RunningServer running(SmallMarket(), options);
    PluginClient silent(running.Port());
    EXPECT_TRUE(silent.WaitForClose());
    PluginClient plugin(running.Port());
    plugin.SendHello();
    EXPECT_TRUE(plugin.Expect(HOSTMSG_LOGIN_RESULT));
}

TEST(HostServerTest, CommandsSendTheirFramesToThePlugin) {
    RunningServer running(SmallMarket(), HostServerOptions{});
    auto first = std::make_unique<PluginClient>(running.Port());
    PluginClient& plugin = *first;
    plugin.SendHello("QuillonPopup", 0);
    ASSERT_TRUE(plugin.Expect(HOSTMSG_LOGIN_RESULT));
    EXPECT_TRUE(running.WaitFor([](const HostServerStats& stats) { return stats.connected; }));

    running.Server().Post("invoke IO2612-C-3900");
    EXPECT_TRUE(plugin.Expect(HOSTMSG_INVOKE));
    plugin.Send(HOSTMSG_REQ_SELECTED, 9);
    auto selected = plugin.Expect(HOSTMSG_SELECTED);
    ASSERT_TRUE(selected);
    EXPECT_EQ(ReadSlots(selected->payload, CodeSlotSize), std::vector<std::string>{"IO2612-C-3900"});

    running.Server().Post("list IF2612 IO2612-C-3900 IO2612-P-3900");
    auto pushed = plugin.Expect(HOSTMSG_CONTRACT_LIST_PUSH);
    ASSERT_TRUE(pushed);
    const std::vector<std::string> listed{"IF2612", "IO2612-C-3900", "IO2612-P-3900"};
    EXPECT_EQ(ReadSlots(pushed->payload, CodeSlotSize), listed);
    plugin.Send(HOSTMSG_REQ_CONTRACT_LIST, 10);
    auto asked = plugin.Expect(HOSTMSG_CONTRACT_LIST);
    ASSERT_TRUE(asked);
    EXPECT_EQ(ReadSlots(asked->payload, ExchangeSlotSize), listed);

    running.Server().Post("show 10 20 800 600");
    auto show = plugin.Expect(LinkShowWindowType);
    ASSERT_TRUE(show);
    EXPECT_EQ(DecodeWindowPlacement(show->payload.data(), show->payload.size()), (WindowPlacement{10, 20, 800, 600}));
    running.Server().Post("show");
    auto plainShow = plugin.Expect(LinkShowWindowType);
    ASSERT_TRUE(plainShow);
    EXPECT_TRUE(plainShow->payload.empty());
    running.Server().Post("hide");
    EXPECT_TRUE(plugin.Expect(LinkHideWindowType));
    running.Server().Post("login fail");
    auto relogin = plugin.Expect(HOSTMSG_LOGIN_RESULT);
    ASSERT_TRUE(relogin);
    EXPECT_NE(relogin->header.value, 0);
    running.Server().Post("close");
    EXPECT_TRUE(plugin.Expect(HOSTMSG_HOST_CLOSING));

    first.reset();

    // The refusal holds for the next plugin too.
    PluginClient next(running.Port());
    next.SendHello();
    auto refused = next.Expect(HOSTMSG_LOGIN_RESULT);
    ASSERT_TRUE(refused);
    EXPECT_NE(refused->header.value, 0);
}

TEST(HostServerTest, ScriptWaitsForThePluginBeforeItsNextCommand) {
    HostServerOptions options;
    options.loginOk = false;
    RunningServer running(SmallMarket(), options, {"# a comment", "wait plugin", "sleep 50", "invoke m2701"});
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    PluginClient plugin(running.Port());
    plugin.SendHello();
    auto login = plugin.Expect(HOSTMSG_LOGIN_RESULT);
    ASSERT_TRUE(login);
    EXPECT_NE(login->header.value, 0);
    auto invoke = plugin.Receive();
    ASSERT_TRUE(invoke);
    EXPECT_EQ(invoke->header.msgType, HOSTMSG_INVOKE);
}

TEST(HostServerTest, FloodModeKeepsTheLinkFull) {
    const Market reference = SmallMarket();
    HostServerOptions options;
    options.flood = true;
    RunningServer running(SmallMarket(), options);
    PluginClient plugin(running.Port());
    plugin.SendHello();
    ASSERT_TRUE(plugin.Expect(HOSTMSG_LOGIN_RESULT));
    plugin.SendCode(HOSTMSG_QUOTE_SUBSCRIBE, reference.At(0).code);
    plugin.SendCode(HOSTMSG_QUOTE_SUBSCRIBE, reference.At(1).code);
    int quotes = 0;
    while (quotes < 2000) {
        auto frame = plugin.Receive();
        ASSERT_TRUE(frame);
        ASSERT_EQ(frame->header.msgType, HOSTMSG_QUOTE_PUSH);
        ++quotes;
    }
    EXPECT_GT(running.Server().Stats().rounds, 100u);
}

}  // namespace
}  // namespace quillon::hostsim::test

namespace quillon::hostsim::test {
namespace {

using namespace quillon::host;

bool HasLineStarting(const std::vector<std::string>& lines, const std::string& start) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) { return line.rfind(start, 0) == 0; });
}

TEST(HostServerTest, LongLoadReportsProgressAndStatsSummariseTheLink) {
    BuiltInMarketOptions marketOptions;
    marketOptions.instrumentCount = 3000;
    marketOptions.date = {2026, 11, 20};
    const Market reference = BuildBuiltInMarket(marketOptions);
    HostServerOptions options;
    options.logFrames = true;
    RunningServer running(BuildBuiltInMarket(marketOptions), options);
    PluginClient plugin(running.Port());
    plugin.SendHello();
    ASSERT_TRUE(plugin.Expect(HOSTMSG_LOGIN_RESULT));
    for (const Instrument& instrument : reference.Instruments()) {
        plugin.SendCode(HOSTMSG_REQ_INSTRUMENT, instrument.code, 1);
        ASSERT_TRUE(plugin.Expect(HOSTMSG_INSTRUMENT));
    }
    ASSERT_TRUE(running.WaitFor([](const HostServerStats& stats) { return stats.loaded; }));
    running.Server().Post("stats");
    // The key=value twin comes right after the line a person reads.
    ASSERT_TRUE(
        running.WaitFor([&](const HostServerStats&) { return HasLineStarting(running.Lines(), "host-stats "); }));

    const std::vector<std::string> lines = running.Lines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) { return line.rfind("loading instruments: ", 0) == 0; }),
              9);
    EXPECT_TRUE(HasLineStarting(lines, "plugin loaded all " + std::to_string(reference.Size()) + " instruments"));
    EXPECT_TRUE(HasLineStarting(lines, "<- 0x3003 REQ_INSTRUMENT value=0 id=1 len=64 [1] " + reference.At(0).code));
    EXPECT_TRUE(HasLineStarting(lines, "-> 0x3004 INSTRUMENT value=0 id=1 len=400 " + reference.At(0).code));
    const std::string frames = std::to_string(reference.Size() + 1);
    EXPECT_TRUE(HasLineStarting(lines, "stats: plugin connected, frames in " + frames + " out " + frames));
    // The same for the scripts, as key=value fields.
    EXPECT_TRUE(HasLineStarting(lines, "ready host=127.0.0.1 port=" + std::to_string(running.Port()) +
                                           " instruments=" + std::to_string(reference.Size())));
    EXPECT_TRUE(HasLineStarting(lines, "loaded instruments=" + std::to_string(reference.Size()) + " seconds="));
    EXPECT_TRUE(HasLineStarting(lines, "host-stats connected=1 frames_in=" + frames + " frames_out=" + frames));
}

}  // namespace
}  // namespace quillon::hostsim::test

namespace quillon::hostsim::test {
namespace {

using namespace quillon::host;

TEST(HostServerTest, PauseHoldsThePushesAndResumeRestartsThem) {
    BuiltInMarketOptions marketOptions;
    marketOptions.instrumentCount = 70;
    marketOptions.date = {2026, 11, 20};
    HostServerOptions options;
    options.rate = 50;
    RunningServer running(BuildBuiltInMarket(marketOptions), options);
    PluginClient plugin(running.Port());
    plugin.SendHello();
    ASSERT_TRUE(plugin.Expect(HOSTMSG_LOGIN_RESULT));
    plugin.SendCode(HOSTMSG_QUOTE_SUBSCRIBE, "IF2612");
    ASSERT_TRUE(plugin.Expect(HOSTMSG_QUOTE_PUSH));

    running.Server().Post("pause");
    ASSERT_TRUE(running.WaitFor([](const HostServerStats& stats) { return stats.paused; }));
    while (plugin.Receive(100)) {
    }
    const std::uint64_t pausedAt = running.Server().Stats().rounds;
    EXPECT_FALSE(plugin.Receive(300));
    EXPECT_EQ(running.Server().Stats().rounds, pausedAt);

    running.Server().Post("resume");
    auto quote = plugin.Receive();
    ASSERT_TRUE(quote);
    EXPECT_EQ(quote->header.msgType, HOSTMSG_QUOTE_PUSH);
    EXPECT_EQ(QuoteCode(quote->payload.data()), "IF2612");
}

}  // namespace
}  // namespace quillon::hostsim::test

namespace quillon::hostsim::test {
namespace {

using namespace quillon::host;

// The stamp is the low 32 bits of a microsecond clock: how far `later` is past it.
std::uint32_t MicrosecondsSince(std::int32_t stamp, std::uint64_t later) {
    return static_cast<std::uint32_t>(later) - static_cast<std::uint32_t>(stamp);
}

TEST(HostServerTest, StampedPushesCarryTheRawMonotonicClockAndRepliesKeepTheirIds) {
    BuiltInMarketOptions marketOptions;
    marketOptions.instrumentCount = 70;
    marketOptions.date = {2026, 11, 20};
    HostServerOptions options;
    options.stamp = true;
    options.rate = 50;
    RunningServer running(BuildBuiltInMarket(marketOptions), options);
    PluginClient plugin(running.Port());
    plugin.SendHello();
    ASSERT_TRUE(plugin.Expect(HOSTMSG_LOGIN_RESULT));

    const std::uint64_t before = MonotonicRawMicroseconds();
    plugin.SendCode(HOSTMSG_QUOTE_SUBSCRIBE, "IF2612");
    std::vector<std::int32_t> stamps;
    while (stamps.size() < 5) {
        auto quote = plugin.Receive();
        ASSERT_TRUE(quote);
        ASSERT_EQ(quote->header.msgType, HOSTMSG_QUOTE_PUSH);
        stamps.push_back(quote->header.requestId);
    }
    const std::uint64_t after = MonotonicRawMicroseconds();
    // Each stamp was taken between the subscription and its arrival, in order.
    for (std::size_t i = 0; i < stamps.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_NE(stamps[i], 0);
        EXPECT_LE(MicrosecondsSince(stamps[i], after), after - before);
        if (i > 0) {
            EXPECT_LE(MicrosecondsSince(stamps[i], after), MicrosecondsSince(stamps[i - 1], after));
        }
    }

    plugin.SendCode(HOSTMSG_QUOTE_REQUEST, "IF2612", 77);
    auto reply = plugin.Expect(HOSTMSG_QUOTE_REPLY);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->header.requestId, 77);
}

TEST(HostServerTest, QuoteStampIsTheClocksLowBitsAndNeverZero) {
    EXPECT_EQ(QuoteStamp(123456789u), 123456789);
    EXPECT_EQ(QuoteStamp(0x1'0000'0005ull), 5);
    EXPECT_EQ(QuoteStamp(0xFFFF'FFFFull), -1);
    EXPECT_EQ(QuoteStamp(0), 1);
    EXPECT_EQ(QuoteStamp(0x7'0000'0000ull), 1);
}

TEST(HostServerTest, PacedQuotesGoRoundTheSubscriptionsAtTheirRateAndReportWhatWasSent) {
    BuiltInMarketOptions marketOptions;
    marketOptions.instrumentCount = 70;
    marketOptions.date = {2026, 11, 20};
    const Market reference = BuildBuiltInMarket(marketOptions);
    HostServerOptions options;
    options.quoteRate = 1000;
    RunningServer running(BuildBuiltInMarket(marketOptions), options);
    PluginClient plugin(running.Port());
    plugin.SendHello();
    ASSERT_TRUE(plugin.Expect(HOSTMSG_LOGIN_RESULT));
    const std::vector<std::string> codes = {reference.At(0).code, reference.At(1).code, reference.At(2).code};
    for (const std::string& code : codes) plugin.SendCode(HOSTMSG_QUOTE_SUBSCRIBE, code);
    for (std::size_t i = 0; i < codes.size(); ++i) ASSERT_TRUE(plugin.Expect(HOSTMSG_QUOTE_PUSH));

    // 300 quotes at 1,000 a second cannot all be there in much less than 0.3 s, however
    // fast the machine; each code gets its share.
    const auto start = std::chrono::steady_clock::now();
    std::map<std::string, int> perCode;
    for (int i = 0; i < 300; ++i) {
        auto quote = plugin.Receive();
        ASSERT_TRUE(quote);
        ASSERT_EQ(quote->header.msgType, HOSTMSG_QUOTE_PUSH);
        ++perCode[QuoteCode(quote->payload.data())];
    }
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(250));
    ASSERT_EQ(perCode.size(), codes.size());
    for (const auto& [code, count] : perCode) EXPECT_NEAR(count, 100, 2) << code;

    running.Server().Post("stats");
    ASSERT_TRUE(running.WaitFor([&](const HostServerStats&) { return HasLineStarting(running.Lines(), "stats: "); }));
    const std::vector<std::string> lines = running.Lines();
    const auto stats =
        std::find_if(lines.begin(), lines.end(), [](const std::string& line) { return line.rfind("stats: ", 0) == 0; });
    EXPECT_NE(stats->find("paced at 1000.00/s"), std::string::npos) << *stats;

    // Flood takes over from the pace, and a pace can be set again by command.
    running.Server().Post("rate flood");
    running.Server().Post("rate quotes 500");
    ASSERT_TRUE(plugin.Expect(HOSTMSG_QUOTE_PUSH));
}

TEST(HostServerTest, TheFirstRequestAfterTheLoadIsTimedFromTheHello) {
    BuiltInMarketOptions marketOptions;
    marketOptions.instrumentCount = 70;
    marketOptions.date = {2026, 11, 20};
    const Market reference = BuildBuiltInMarket(marketOptions);
    RunningServer running(BuildBuiltInMarket(marketOptions), HostServerOptions{});
    PluginClient plugin(running.Port());
    plugin.SendHello();
    ASSERT_TRUE(plugin.Expect(HOSTMSG_LOGIN_RESULT));
    // A request before the load is not the one timed.
    plugin.Send(HOSTMSG_REQ_SELECTED, 1);
    ASSERT_TRUE(plugin.Expect(HOSTMSG_SELECTED));
    for (const Instrument& instrument : reference.Instruments()) {
        plugin.SendCode(HOSTMSG_REQ_INSTRUMENT, instrument.code, 2);
        ASSERT_TRUE(plugin.Expect(HOSTMSG_INSTRUMENT));
    }
    plugin.Send(HOSTMSG_REQ_CONTRACT_LIST, 3);
    ASSERT_TRUE(plugin.Expect(HOSTMSG_CONTRACT_LIST));
    plugin.Send(HOSTMSG_REQ_SELECTED, 4);
    ASSERT_TRUE(plugin.Expect(HOSTMSG_SELECTED));
    const std::string timed = "plugin's first request after the load: ";
    ASSERT_TRUE(running.WaitFor([&](const HostServerStats&) { return HasLineStarting(running.Lines(), timed); }));
    const std::vector<std::string> lines = running.Lines();
    EXPECT_EQ(
        std::count_if(lines.begin(), lines.end(), [&](const std::string& line) { return line.rfind(timed, 0) == 0; }),
        1);
    EXPECT_TRUE(HasLineStarting(lines, timed + "REQ_CONTRACT_LIST, "));
}

}  // namespace
}  // namespace quillon::hostsim::test
