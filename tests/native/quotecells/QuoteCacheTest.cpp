// A board's quote copies: the latest per code and the one before it.
#include <gtest/gtest.h>

#include <string>

#include "board/QuoteCache.h"

namespace quillon::board {
namespace {

QuoteRecordBytes Record(unsigned char fill) {
    QuoteRecordBytes record;
    record.fill(fill);
    return record;
}

TEST(QuoteCache, EachCodeKeepsItsLatestAndTheOneBefore) {
    QuoteCache cache;
    EXPECT_EQ(cache.Find("IF2301"), nullptr);
    const CachedQuote& first = cache.Put("IF2301", Record(1).data());
    EXPECT_EQ(first.latest, Record(1));
    EXPECT_EQ(first.Previous(), nullptr) << "one quote has nothing before it";

    cache.Put("IO2301-C-3900", Record(7).data());
    cache.Put("IF2301", Record(2).data());
    const CachedQuote& third = cache.Put("IF2301", Record(3).data());
    EXPECT_EQ(third.latest, Record(3));
    ASSERT_NE(third.Previous(), nullptr);
    EXPECT_EQ(third.previous, Record(2));
    EXPECT_EQ(cache.Find("IO2301-C-3900")->latest, Record(7)) << "codes do not mix";
    EXPECT_EQ(cache.size(), 2u);
}

}  // namespace
}  // namespace quillon::board
