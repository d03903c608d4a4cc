#include <gtest/gtest.h>

#include "host/HostMessages.h"
#include "host/WireText.h"
#include "hostsim/FrameLog.h"
#include "hostsim/HostCommand.h"
#include "hostsim/HostSimOptions.h"

namespace quillon::hostsim {
namespace {

TEST(HostCommandTest, ReadsEachCommandAndRejectsWhatItCannotRun) {
    struct Case {
        const char* line;
        bool ok;
        CommandKind kind;
    };
    const Case cases[] = {
        {"invoke IO2612-C-3900", true, CommandKind::Invoke},
        {"  list IF2612 IO2612-C-3900 ", true, CommandKind::List},
        {"list", true, CommandKind::List},
        {"show", true, CommandKind::Show},
        {"show 1 2 3 4", true, CommandKind::Show},
        {"hide", true, CommandKind::Hide},
        {"close", true, CommandKind::Close},
        {"login fail", true, CommandKind::Login},
        {"rate 10", true, CommandKind::Rate},
        {"rate flood", true, CommandKind::Rate},
        {"rate quotes 20000", true, CommandKind::Rate},
        {"pause", true, CommandKind::Pause},
        {"resume", true, CommandKind::Resume},
        {"stats", true, CommandKind::Stats},
        {"quit", true, CommandKind::Quit},
        {"sleep 250", true, CommandKind::Sleep},
        {"wait loaded", true, CommandKind::Wait},
        {"invoke", false, {}},
        {"invoke A B", false, {}},
        {"invoke ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789", false, {}},
        {"show 1 2 3", false, {}},
        {"show 1 2 x 4", false, {}},
        {"login maybe", false, {}},
        {"rate 0", false, {}},
        {"rate -3", false, {}},
        {"rate nan", false, {}},
        {"rate quotes", false, {}},
        {"rate quotes 0", false, {}},
        {"rate quotes 2e7", false, {}},
        {"rate quotes many", false, {}},
        {"rate 10 20", false, {}},
        {"sleep", false, {}},
        {"sleep -1", false, {}},
        {"wait forever", false, {}},
        {"hide now", false, {}},
        {"launch", false, {}},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.line);
        std::string error;
        const auto command = ParseHostCommand(item.line, error);
        EXPECT_EQ(command.has_value(), item.ok);
        if (command) {
            EXPECT_EQ(command->kind, item.kind);
        } else {
            EXPECT_FALSE(error.empty());
        }
    }
    std::string error;
    EXPECT_FALSE(ParseHostCommand("   ", error));
    EXPECT_TRUE(error.empty());
    EXPECT_FALSE(ParseHostCommand("# note", error));
    EXPECT_TRUE(error.empty());

    const auto show = ParseHostCommand("show -5 20 800 600", error);
    ASSERT_TRUE(show && show->placement);
    EXPECT_EQ(*show->placement, (host::WindowPlacement{-5, 20, 800, 600}));
    const auto quotes = ParseHostCommand("rate quotes 20000", error);
    ASSERT_TRUE(quotes);
    EXPECT_EQ(quotes->quoteRate, 20000);
    EXPECT_FALSE(quotes->flood);
    const auto flood = ParseHostCommand("rate flood", error);
    ASSERT_TRUE(flood);
    EXPECT_EQ(flood->quoteRate, 0);
    const auto list = ParseHostCommand("list IF2612 IO2612-C-3900", error);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->codes, (std::vector<std::string>{"IF2612", "IO2612-C-3900"}));
}

TEST(HostSimOptionsTest, ReadsTheCommandLine) {
    std::string error;
    auto defaults = ParseHostSimArguments({}, nullptr, error);
    ASSERT_TRUE(defaults);
    EXPECT_EQ(defaults->server.address, (host::LinkAddress{"127.0.0.1", 17310}));
    EXPECT_EQ(defaults->server.optionClass, '2');

    auto fromEnvironment = ParseHostSimArguments({}, "localhost:9000", error);
    ASSERT_TRUE(fromEnvironment);
    EXPECT_EQ(fromEnvironment->server.address, (host::LinkAddress{"localhost", 9000}));

    auto full = ParseHostSimArguments({"--listen", "127.0.0.1:0", "--seed", "9", "--instruments", "30000", "--flood",
                                       "--log", "--option-class", "8", "--date", "20270115", "--login", "fail",
                                       "--stamp", "--quote-rate", "20000", "--strikes", "100", "--print-market"},
                                      "localhost:9000", error);
    ASSERT_TRUE(full) << error;
    EXPECT_EQ(full->server.address, (host::LinkAddress{"127.0.0.1", 0}));
    EXPECT_EQ(full->server.seed, 9u);
    EXPECT_EQ(full->instrumentCount, 30000);
    EXPECT_TRUE(full->server.flood);
    EXPECT_TRUE(full->server.logFrames);
    EXPECT_EQ(full->server.optionClass, '8');
    EXPECT_FALSE(full->server.loginOk);
    EXPECT_TRUE(full->server.stamp);
    EXPECT_EQ(full->server.quoteRate, 20000);
    EXPECT_EQ(full->strikesPerExpiry, 100);
    EXPECT_TRUE(full->printMarket);
    EXPECT_FALSE(defaults->printMarket);
    EXPECT_FALSE(defaults->server.stamp);
    EXPECT_EQ(defaults->server.quoteRate, 0);
    EXPECT_EQ(defaults->strikesPerExpiry, 0);
    ASSERT_TRUE(full->date);
    EXPECT_EQ(full->date->month, 1);

    const std::vector<std::vector<std::string>> bad = {
        {"--listen", "127.0.0.1"}, {"--listen", "127.0.0.1:70000"},
        {"--listen", ":80"},       {"--seed"},
        {"--seed", "x"},           {"--instruments", "2"},
        {"--rate", "0"},           {"--option-class", "22"},
        {"--date", "20271301"},    {"--login", "yes"},
        {"--quote-rate", "0"},     {"--quote-rate", "fast"},
        {"--strikes", "0"},        {"--strikes", "1001"},
        {"--strikes"},
        {"--frobnicate"},
    };
    for (const auto& arguments : bad) {
        SCOPED_TRACE(arguments.front());
        EXPECT_FALSE(ParseHostSimArguments(arguments, nullptr, error));
        EXPECT_FALSE(error.empty());
    }
    EXPECT_FALSE(ParseHostSimArguments({}, "nonsense", error));
}

TEST(FrameLogTest, DescribesFramesInOneReadableLine) {
    const std::vector<unsigned char> slots = host::EncodeTextSlots({"IF2612", "IO2612-C-3900"}, host::CodeSlotSize);
    const host::FrameHeader list{host::HOSTMSG_EXCHANGE_CODES, 0, 3, static_cast<std::int32_t>(slots.size())};
    EXPECT_EQ(DescribeFrame(FrameDirection::ToPlugin, list, slots.data()),
              "-> 0x3002 EXCHANGE_CODES value=0 id=3 len=128 [2] IF2612 IO2612-C-3900");

    const std::string text = "a\nb\xC4\xA3";
    const host::FrameHeader hostText{host::HOSTMSG_HOST_TEXT, 0, 1, static_cast<std::int32_t>(text.size())};
    const std::string line =
        DescribeFrame(FrameDirection::ToPlugin, hostText, reinterpret_cast<const unsigned char*>(text.data()));
    EXPECT_EQ(line.find('\n'), std::string::npos);
    EXPECT_NE(line.find("a\\x0Ab\\xC4\\xA3"), std::string::npos);

    const host::FrameHeader unknown{0x4242, -1, 0, 0};
    EXPECT_EQ(DescribeFrame(FrameDirection::FromPlugin, unknown, nullptr), "<- 0x4242 0x4242 value=-1 id=0 len=0");
    // A slot list whose length is no multiple of the slot says so instead of reading past it.
    const host::FrameHeader ragged{host::HOSTMSG_QUOTE_SUBSCRIBE, 0, 0, 10};
    EXPECT_NE(DescribeFrame(FrameDirection::FromPlugin, ragged, slots.data()).find("not a whole number"),
              std::string::npos);
}

}  // namespace
}  // namespace quillon::hostsim
