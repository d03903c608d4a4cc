#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

// What one quote shows in one quote column: the column-to-field table both boards follow.
// Pure and portable: raw quote bytes in, cell text and colour out.
namespace quillon::board {

// Side ids of the quote columns. On the T board the put side adds PutColumnOffset.
inline constexpr int FirstQuoteColumnId = 1;
inline constexpr int LastQuoteColumnId = 22;

// Text colours of the price columns, as Win32 COLORREF words (0x00BBGGRR).
inline constexpr std::uint32_t QuoteRiseColour = 0x0000FF;  // red: at or above the comparison
inline constexpr std::uint32_t QuoteFallColour = 0x00C900;  // green: below it

enum class QuoteTextColour {
    None,  // the column has no colour rule: the cell keeps its text colour unset
    Rise,  // red
    Fall,  // green
};

struct QuoteCellText {
    std::string text;  // code page 936 bytes, as the grid shows them
    QuoteTextColour colour = QuoteTextColour::None;
};

// A quote payload is only read when it holds a whole QuoteRecord.
bool IsCompleteQuote(std::size_t length);

// The price a quote's changes are measured against: its previous settlement price, or
// its open price when the settlement is the empty-price marker.
// `quote` holds at least a whole QuoteRecord.
double ReferencePrice(const unsigned char* quote);

// The text and colour of side column `sideId` (1 to 22) for `quote`. `previousQuote` is
// the quote received before it for the same contract, or empty when there is none; it
// only feeds "现量". `tick` is the instrument's price tick.
// Nothing when the id is not a quote column or the quote is not a whole record; a
// previous quote that is not a whole record counts as none.
std::optional<QuoteCellText> FormatQuoteCell(int sideId, std::span<const unsigned char> quote,
                                             std::span<const unsigned char> previousQuote, double tick);

// Which way the price of side column `sideId` moved from `previousQuote` to `quote`: 1 up,
// -1 down; 0 when it did not move, either price is the empty-price marker, or the column
// is not a price column. Both spans hold whole QuoteRecords, else 0.
int PriceChange(int sideId, std::span<const unsigned char> quote, std::span<const unsigned char> previousQuote);

}  // namespace quillon::board
