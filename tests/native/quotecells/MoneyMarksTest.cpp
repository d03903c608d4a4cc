// Where the money stands on a chain: the at-the-money strike, the in-the-money sides, and
// colours that keep the board's banding and its red and green texts readable.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "board/MoneyMarks.h"
#include "board/QuoteCellFormat.h"

namespace quillon::board {
namespace {

// Rows as letters: 'A' at the money, 'C' call in the money, 'P' put in the money, '.' neither.
std::string Marks(const std::vector<RowMoney>& rows) {
    std::string marks;
    for (const RowMoney& row : rows) {
        marks += row.atTheMoney ? 'A' : row.callInTheMoney ? 'C' : row.putInTheMoney ? 'P' : '.';
        if (row.atTheMoney && (row.callInTheMoney || row.putInTheMoney)) marks += row.callInTheMoney ? 'c' : 'p';
    }
    return marks;
}

TEST(MoneyMarks, TheStrikeNearestThePriceAndTheSidesInTheMoney) {
    const std::vector<std::optional<double>> chain = {3800, 3900, 4000, 4100};
    const struct {
        std::optional<double> F;
        const char* marks;
    } cases[] = {
        {3940, "CAcPP"},         // nearest 3900, below the price: its call is in the money
        {3960, "CCApP"},         // nearest 4000
        {3950, "CAcPP"},         // halfway: the lower strike
        {4000, "CCAP"},          // on a strike: neither of its sides is in the money
        {3000, "ApPPP"},         // below the chain: every put in, the lowest strike at the money
        {5000, "CCCAc"},         // above it
        {std::nullopt, "...."},  // no price yet: no marks
        {NAN, "...."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Marks(ChainMoney(chain, c.F)), c.marks) << (c.F ? std::to_string(*c.F) : "none");
    }
    // Strikes that are not numbers are never marked; of two rows of one value, the first.
    EXPECT_EQ(Marks(ChainMoney({std::nullopt, 2.3, 2.3, 2.5}, 2.31)), ".AcCP");
    EXPECT_EQ(Marks(ChainMoney({}, 1.0)), "");
}

TEST(MoneyMarks, StrikeTextsReadAsNumbers) {
    EXPECT_EQ(StrikeValue("4000"), 4000);
    EXPECT_EQ(StrikeValue("2.25"), 2.25);
    EXPECT_FALSE(StrikeValue(""));
    EXPECT_FALSE(StrikeValue("40a"));
    EXPECT_FALSE(StrikeValue("inf"));
}

double Luminance(std::uint32_t colour) {
    auto channel = [](std::uint32_t value) {
        const double c = value / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour & 0xFF) + 0.7152 * channel((colour >> 8) & 0xFF) +
           0.0722 * channel((colour >> 16) & 0xFF);
}

double Contrast(std::uint32_t a, std::uint32_t b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The shading keeps both bands apart and costs the rise and fall texts little contrast.
TEST(MoneyMarks, TheShadeKeepsTheBandsAndTheTextsReadable) {
    const std::uint32_t bands[] = {0xFFFFFF, 0xEBEBEB};  // the odd and even rows
    EXPECT_NE(InTheMoneyBackColour(bands[0]), InTheMoneyBackColour(bands[1]));
    EXPECT_GT(Contrast(InTheMoneyBackColour(bands[0]), InTheMoneyBackColour(bands[1])), 1.1);
    for (std::uint32_t band : bands) {
        const std::uint32_t shaded = InTheMoneyBackColour(band);
        EXPECT_NE(shaded, band);
        for (std::uint32_t text : {QuoteRiseColour, QuoteFallColour, std::uint32_t{0}}) {
            EXPECT_GE(Contrast(text, shaded), 0.9 * Contrast(text, band)) << std::hex << band << " " << text;
        }
    }
    EXPECT_GE(Contrast(0, AtTheMoneyBackColour), 7.0) << "the bold strike reads as black on amber";
}

}  // namespace
}  // namespace quillon::board
