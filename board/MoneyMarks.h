#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// Where the money stands on a chain: which strike is at the money and which cells are in
// it. Portable, so the boards' marks are decided where they can be tested without windows.
namespace quillon::board {

// A strike as its code spells it, read as a number; nothing for text that is not one.
std::optional<double> StrikeValue(std::string_view text);

// What the underlying's price makes of one strike row.
struct RowMoney {
    bool callInTheMoney = false;  // strike below the price
    bool putInTheMoney = false;   // strike above it
    bool atTheMoney = false;      // the strike nearest the price
    friend bool operator==(const RowMoney&, const RowMoney&) = default;
};

// The rows of one chain, given their strikes in row order (nothing for a strike that is not
// a number) and the underlying's price (nothing yet: no marks). The at-the-money strike is
// the one nearest the price, the lower of two as near; of rows with the same strike value,
// the first.
std::vector<RowMoney> ChainMoney(const std::vector<std::optional<double>>& strikes, std::optional<double> price);

// Colours as COLORREF values (0x00BBGGRR). An in-the-money cell keeps its row's band a
// shade warmer, so the banding stays and the red and green texts read as before.
std::uint32_t InTheMoneyBackColour(std::uint32_t bandColour);
inline constexpr std::uint32_t AtTheMoneyBackColour = 0x0080D8FF;  // amber under the bold strike

}  // namespace quillon::board
