#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "board/QuoteCellFormat.h"
#include "host/WireRecords.h"

namespace {

namespace field = quillon::host::quote_record;
using quillon::board::FormatQuoteCell;
using quillon::board::QuoteTextColour;
using quillon::host::EmptyPrice;

constexpr QuoteTextColour None = QuoteTextColour::None;
constexpr QuoteTextColour Red = QuoteTextColour::Rise;
constexpr QuoteTextColour Green = QuoteTextColour::Fall;

// A whole QuoteRecord with every field the board reads set to something recognisable.
struct Quote {
    std::vector<unsigned char> bytes = std::vector<unsigned char>(field::Size, 0);

    Quote() {
        quillon::host::WriteText(bytes.data(), field::CodeOffset, field::CodeWidth, "IO2101-C-4500");
        Set(field::LastPrice, 4012.4);
        Set(field::PreSettlement, 4000.0);
        Set(field::PreClose, 3998.6);
        Set(field::PreOpenInterest, 1520.0);
        Set(field::OpenPrice, 4001.2);
        Set(field::HighPrice, 4020.0);
        Set(field::LowPrice, 3990.4);
        SetInt(field::Volume, 380);
        Set(field::Turnover, 152345678.126);
        Set(field::OpenInterest, 1633.0);
        Set(field::ClosePrice, 4011.8);
        Set(field::SettlementPrice, 4010.0);
        Set(field::UpperLimit, 4400.0);
        Set(field::LowerLimit, 3600.0);
        quillon::host::WriteText(bytes.data(), field::UpdateTimeOffset, field::UpdateTimeWidth, "14:59:58");
        Set(field::BidPrice, 4012.2);
        SetInt(field::BidVolume, 7);
        Set(field::AskPrice, 4012.6);
        SetInt(field::AskVolume, 12);
    }
    Quote& Set(std::size_t offset, double value) {
        quillon::host::WriteDouble(bytes.data(), offset, value);
        return *this;
    }
    Quote& SetInt(std::size_t offset, std::int32_t value) {
        quillon::host::WriteInt32(bytes.data(), offset, value);
        return *this;
    }
};

struct Expected {
    int id;
    std::string text;
    QuoteTextColour colour;
};

void ExpectCells(const Quote& quote, const Quote* previous, double tick, const std::vector<Expected>& expected,
                 const char* what) {
    std::span<const unsigned char> previousBytes;
    if (previous) previousBytes = previous->bytes;
    for (const Expected& e : expected) {
        auto cell = FormatQuoteCell(e.id, quote.bytes, previousBytes, tick);
        ASSERT_TRUE(cell.has_value()) << what << ", id " << e.id;
        EXPECT_EQ(cell->text, e.text) << what << ", id " << e.id;
        EXPECT_EQ(cell->colour, e.colour) << what << ", id " << e.id;
    }
}

TEST(QuoteCellFormat, EveryColumnShowsItsFieldWithItsFormatAndColour) {
    Quote quote;
    Quote previous;
    previous.SetInt(field::Volume, 350);
    ExpectCells(quote, &previous, 0.2,
                {
                    {1, "4012.4", Red},    {2, "12.4", Red},       {3, "0.31", Red},     {4, "4012.2", Red},
                    {5, "7", None},        {6, "4012.6", Red},     {7, "12", None},      {8, "1633", None},
                    {9, "4001.2", Red},    {10, "4000.0", None},   {11, "30", None},     {12, "4020.0", Red},
                    {13, "3990.4", Green}, {14, "4011.8", Red},    {15, "380", None},    {16, "152345678.13", None},
                    {17, "4400.0", Red},   {18, "3600.0", Green},  {19, "4010.0", None}, {20, "3998.6", None},
                    {21, "1520", None},    {22, "14:59:58", None},
                },
                "full quote, tick 0.2");
}

TEST(QuoteCellFormat, ChangeIsRedFromZeroUpAndGreenBelow) {
    struct Case {
        double last;
        double settlement;
        double tick;
        std::string price, change, percent;
        QuoteTextColour colour;
    };
    const Case cases[] = {
        {4012.4, 4000.0, 0.2, "4012.4", "12.4", "0.31", Red},
        {4000.0, 4000.0, 0.2, "4000.0", "0.0", "0.00", Red},  // no change is red
        {3987.6, 4000.0, 0.2, "3987.6", "-12.4", "-0.31", Green},
        {3999.0, 4000.0, 1.0, "3999", "-1", "-0.03", Green},
        {0.051, 0.05, 0.001, "0.051", "0.001", "2.00", Red},
        {0.049, 0.05, 0.001, "0.049", "-0.001", "-2.00", Green},
    };
    for (const Case& c : cases) {
        Quote quote;
        quote.Set(field::LastPrice, c.last).Set(field::PreSettlement, c.settlement);
        ExpectCells(quote, nullptr, c.tick, {{1, c.price, c.colour}, {2, c.change, c.colour}, {3, c.percent, c.colour}},
                    c.price.c_str());
    }
}

TEST(QuoteCellFormat, EmptySettlementMakesTheOpenPriceTheReference) {
    struct Case {
        double settlement;
        double open;
        double reference;
    };
    const Case cases[] = {
        {4000.0, 4100.0, 4000.0},
        {EmptyPrice, 4100.0, 4100.0},
        {-EmptyPrice, 4100.0, 4100.0},  // the marker counts with either sign
        {EmptyPrice, EmptyPrice, EmptyPrice},
        {0.0, 4100.0, 0.0},  // zero is a price, not the marker
    };
    for (const Case& c : cases) {
        Quote quote;
        quote.Set(field::PreSettlement, c.settlement).Set(field::OpenPrice, c.open);
        EXPECT_EQ(quillon::board::ReferencePrice(quote.bytes.data()), c.reference) << c.settlement;
    }

    Quote quote;
    quote.Set(field::PreSettlement, EmptyPrice).Set(field::OpenPrice, 4020.0).Set(field::LastPrice, 4012.4);
    ExpectCells(quote, nullptr, 0.2,
                {{1, "4012.4", Green},
                 {2, "-7.6", Green},
                 {3, "-0.19", Green},
                 {9, "4020.0", Red},  // the open price against itself
                 {10, "-", None}},
                "open price as reference");
}

TEST(QuoteCellFormat, CurrentVolumeIsTheDifferenceToThePreviousQuote) {
    struct Case {
        const char* what;
        bool havePrevious;
        std::size_t previousSize;
        std::int32_t previousVolume;
        std::int32_t volume;
        std::string shown;
    };
    const Case cases[] = {
        {"first quote", false, 0, 0, 380, "0"},
        {"volume grew", true, field::Size, 350, 380, "30"},
        {"volume unchanged", true, field::Size, 380, 380, "0"},
        {"host volume went down", true, field::Size, 400, 380, "-20"},
        {"previous record cut short", true, field::Size - 1, 350, 380, "0"},
        {"32-bit wrap", true, field::Size, INT_MIN, INT_MAX, "-1"},
    };
    for (const Case& c : cases) {
        Quote quote;
        quote.SetInt(field::Volume, c.volume);
        Quote previous;
        previous.SetInt(field::Volume, c.previousVolume);
        previous.bytes.resize(c.previousSize);
        ExpectCells(quote, c.havePrevious ? &previous : nullptr, 0.2,
                    {{11, c.shown, None}, {15, std::to_string(c.volume), None}}, c.what);
    }
}

TEST(QuoteCellFormat, EmptyOrMeaninglessValuesShowADash) {
    struct Case {
        const char* what;
        std::size_t offset;
        double value;
        std::vector<Expected> expected;
    };
    const double nan = std::nan("");
    const Case cases[] = {
        {"zero reference", field::PreSettlement, 0.0, {{2, "4012.4", Red}, {3, "-", Red}}},
        {"empty last price", field::LastPrice, EmptyPrice, {{1, "-", Red}, {2, "-", Red}, {3, "-", Red}}},
        {"empty bid", field::BidPrice, EmptyPrice, {{4, "-", Red}}},  // still compared: red
        {"empty open interest", field::OpenInterest, EmptyPrice, {{8, "-", None}}},
        {"negative marker", field::OpenInterest, -EmptyPrice, {{8, "-", None}}},
        {"empty turnover", field::Turnover, EmptyPrice, {{16, "-", None}}},
        {"empty previous open interest", field::PreOpenInterest, EmptyPrice, {{21, "-", None}}},
        {"not a number", field::Turnover, nan, {{16, "-", None}}},
        {"infinite", field::OpenInterest, INFINITY, {{8, "-", None}}},
        {"unordered last price", field::LastPrice, nan, {{1, "-", Red}, {3, "-", Red}}},
    };
    for (const Case& c : cases) {
        Quote quote;
        quote.Set(c.offset, c.value);
        ExpectCells(quote, nullptr, 0.2, c.expected, c.what);
    }

    Quote bothEmpty;
    bothEmpty.Set(field::LastPrice, EmptyPrice).Set(field::PreSettlement, EmptyPrice).Set(field::OpenPrice, EmptyPrice);
    ExpectCells(bothEmpty, nullptr, 0.2, {{1, "-", Red}, {2, "-", Red}, {3, "-", Red}}, "nothing traded, no reference");
}

// Which way a price column moved since the previous quote: what a change flash shows.
TEST(QuoteCellFormat, PriceChangeIsTheDirectionOfAPriceColumnsMove) {
    const Quote before;
    const struct {
        int id;
        std::size_t offset;
        double now;
        int change;
    } cases[] = {
        {1, field::LastPrice, 4012.6, 1},
        {1, field::LastPrice, 4012.4, 0},
        {4, field::BidPrice, 4012.0, -1},
        {6, field::AskPrice, 4013.0, 1},
        {12, field::HighPrice, 4021.0, 1},
        {13, field::LowPrice, 3990.0, -1},
        {19, field::SettlementPrice, 4009.8, -1},
        {1, field::LastPrice, EmptyPrice, 0},
        {5, field::BidVolume, 0, 0},       // a volume is not a price
        {2, field::LastPrice, 4100.0, 0},  // nor is the change
    };
    for (const auto& c : cases) {
        Quote after;
        if (c.id == 5) {
            after.SetInt(c.offset, 9);
        } else {
            after.Set(c.offset, c.now);
        }
        EXPECT_EQ(quillon::board::PriceChange(c.id, after.bytes, before.bytes), c.change) << c.id << " " << c.now;
    }
    Quote moved;
    moved.Set(field::LastPrice, 4100.0);
    EXPECT_EQ(quillon::board::PriceChange(1, moved.bytes, {}), 0) << "no previous quote";
    EXPECT_EQ(quillon::board::PriceChange(1, moved.bytes, std::span(before.bytes).first(field::Size - 1)), 0);
}

TEST(QuoteCellFormat, OnlyWholeQuotesAndQuoteColumnsAreFormatted) {
    Quote quote;
    for (int id : {0, 23, 24, 100, 101, 122, -1, INT_MAX}) {
        EXPECT_FALSE(FormatQuoteCell(id, quote.bytes, {}, 0.2).has_value()) << id;
    }
    std::vector<unsigned char> shortQuote(quote.bytes.begin(), quote.bytes.end() - 1);
    for (int id = 1; id <= 22; ++id) {
        EXPECT_FALSE(FormatQuoteCell(id, shortQuote, {}, 0.2).has_value()) << id;
        EXPECT_FALSE(FormatQuoteCell(id, {}, {}, 0.2).has_value()) << id;
    }
    EXPECT_FALSE(quillon::board::IsCompleteQuote(591));
    EXPECT_TRUE(quillon::board::IsCompleteQuote(592));
    EXPECT_TRUE(quillon::board::IsCompleteQuote(600));
}

TEST(QuoteCellFormat, UpdateTimeStopsAtItsSlotEvenWithoutANul) {
    Quote quote;
    for (std::size_t i = 0; i < field::UpdateTimeWidth; ++i) quote.bytes[field::UpdateTimeOffset + i] = '9';
    quote.bytes[field::UpdateTimeOffset + field::UpdateTimeWidth] = 'X';
    ExpectCells(quote, nullptr, 0.2, {{22, std::string(16, '9'), None}}, "time without NUL");
}

// Whatever bytes the host sends, every cell gets a bounded text and nothing reads past
// the record (the sanitizers watch).
TEST(QuoteCellFormat, ArbitraryBytesNeverBreakTheFormatting) {
    std::mt19937 random(20210101);
    std::uniform_int_distribution<int> byte(0, 255);
    const double ticks[] = {0.2, 0.0, 1e-9, EmptyPrice, -1.0, std::nan(""), 1e300};
    for (int round = 0; round < 300; ++round) {
        std::vector<unsigned char> quote(field::Size), previous(field::Size);
        for (auto& b : quote) b = static_cast<unsigned char>(byte(random));
        for (auto& b : previous) b = static_cast<unsigned char>(byte(random));
        for (double tick : ticks) {
            for (int id = 1; id <= 22; ++id) {
                auto cell = FormatQuoteCell(id, quote, previous, tick);
                ASSERT_TRUE(cell.has_value());
                EXPECT_LT(cell->text.size(), 512u) << "id " << id;
                EXPECT_EQ(cell->text.find("nan"), std::string::npos) << "id " << id << ": " << cell->text;
                EXPECT_EQ(cell->text.find("inf"), std::string::npos) << "id " << id << ": " << cell->text;
            }
        }
    }
}

}  // namespace
