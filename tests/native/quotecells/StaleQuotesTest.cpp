// Quiet instruments: muted after a minute without a quote while the board's other
// quotes kept coming, and only then.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board/StaleQuotes.h"

namespace quillon::board {
namespace {

using namespace std::chrono_literals;
using Codes = std::vector<std::string>;

TEST(StaleQuotes, AQuietInstrumentGoesStaleOnceAndWakesWithItsNextQuote) {
    StaleQuotes quotes;
    const StaleQuotes::Clock::time_point start{};
    quotes.Arrived("IF2301", start);
    quotes.Arrived("IO2301-C-3900", start);
    EXPECT_EQ(quotes.NewlyStale(), Codes{});

    // A minute of silence from both: the board has no newer quote, nothing is stale.
    EXPECT_EQ(quotes.NewlyStale(), Codes{});
    quotes.Arrived("IF2301", start + 60s);
    EXPECT_EQ(quotes.NewlyStale(), Codes{}) << "a minute exactly is not more than a minute";
    quotes.Arrived("IF2301", start + 61s);
    EXPECT_EQ(quotes.NewlyStale(), Codes{"IO2301-C-3900"});
    EXPECT_TRUE(quotes.IsStale("IO2301-C-3900"));
    quotes.Arrived("IF2301", start + 90s);
    EXPECT_EQ(quotes.NewlyStale(), Codes{}) << "said once";

    EXPECT_TRUE(quotes.Arrived("IO2301-C-3900", start + 95s)) << "its next quote unmutes it";
    EXPECT_FALSE(quotes.IsStale("IO2301-C-3900"));
    EXPECT_FALSE(quotes.Arrived("IO2301-C-3900", start + 96s));
    EXPECT_FALSE(quotes.IsStale("unknown"));
}

}  // namespace
}  // namespace quillon::board
