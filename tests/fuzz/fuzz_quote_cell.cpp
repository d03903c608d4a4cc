// One quote cell from whatever quote bytes arrive: any column id, any record length, any
// previous quote and tick. A cell shows a readable number, "-" or the update time, and
// never reads outside the records it was given.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "FuzzRequire.h"
#include "board/QuoteCellFormat.h"
#include "host/WireRecords.h"
#include "model/CodeFormat.h"

namespace {

using namespace quillon;
using board::QuoteTextColour;
namespace field = host::quote_record;

bool IsCountColumn(int id) {
    return id == 5 || id == 7 || id == 11 || id == 15;
}

bool HasNoColourRule(int id) {
    return IsCountColumn(id) || id == 8 || id == 10 || id == 16 || id == 19 || id == 20 || id == 21 || id == 22;
}

// "-" or an optionally negative decimal number with at most one point.
bool IsNumberOrDash(const std::string& text) {
    if (text == "-") return true;
    std::size_t at = !text.empty() && text[0] == '-' ? 1 : 0;
    bool digits = false;
    bool point = false;
    for (; at < text.size(); ++at) {
        if (text[at] >= '0' && text[at] <= '9') {
            digits = true;
        } else if (text[at] == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digits;
}

void CheckCell(int id, std::span<const unsigned char> quote, std::span<const unsigned char> previous, double tick) {
    std::optional<board::QuoteCellText> cell = board::FormatQuoteCell(id, quote, previous, tick);
    const bool shown = id >= board::FirstQuoteColumnId && id <= board::LastQuoteColumnId && quote.size() >= field::Size;
    FUZZ_REQUIRE(cell.has_value() == shown);
    if (!cell) return;

    // A previous quote too short to be one counts as none.
    if (previous.size() < field::Size) {
        std::optional<board::QuoteCellText> withoutPrevious = board::FormatQuoteCell(id, quote, {}, tick);
        FUZZ_REQUIRE(withoutPrevious && withoutPrevious->text == cell->text && withoutPrevious->colour == cell->colour);
    }
    FUZZ_REQUIRE(HasNoColourRule(id) == (cell->colour == QuoteTextColour::None));

    const std::string& text = cell->text;
    if (id == 22) {
        FUZZ_REQUIRE(text == host::ReadText(quote.data(), field::UpdateTimeOffset, field::UpdateTimeWidth));
        FUZZ_REQUIRE(text.size() <= field::UpdateTimeWidth && text.find('\0') == std::string::npos);
        return;
    }
    // Never "nan", "inf" or the marker's 309 digits; a count always has digits.
    FUZZ_REQUIRE(IsNumberOrDash(text));
    FUZZ_REQUIRE(text.size() < 400);
    if (IsCountColumn(id)) FUZZ_REQUIRE(text != "-");
    if (id == 11) {
        const bool hasPrevious = previous.size() >= field::Size;
        const std::int32_t traded =
            hasPrevious
                ? static_cast<std::int32_t>(static_cast<std::uint32_t>(host::ReadInt32(quote.data(), field::Volume)) -
                                            static_cast<std::uint32_t>(host::ReadInt32(previous.data(), field::Volume)))
                : 0;
        FUZZ_REQUIRE(text == std::to_string(traded));
    }
    if (id == 1) FUZZ_REQUIRE(text == model::FormatPrice(host::ReadDouble(quote.data(), field::LastPrice), tick));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 + sizeof(double)) return 0;
    // Byte 0: the column id, around the quote columns; bytes 1-8: the tick; then the
    // quote, and the previous quote from the quote record's end on. Both are copied to
    // buffers of exactly their size, so a read past either trips AddressSanitizer.
    const int id = static_cast<int>(static_cast<std::int8_t>(data[0]));
    double tick;
    std::memcpy(&tick, data + 1, sizeof tick);
    const std::uint8_t* rest = data + 1 + sizeof tick;
    const std::size_t restSize = size - 1 - sizeof tick;
    const std::size_t quoteSize = std::min(restSize, field::Size);
    std::vector<unsigned char> quote(rest, rest + quoteSize);
    std::vector<unsigned char> previous(rest + quoteSize, rest + restSize);

    CheckCell(id, quote, previous, tick);
    // Every column of the same quote, as a board row writes them all.
    for (int column = board::FirstQuoteColumnId - 1; column <= board::LastQuoteColumnId + 1; ++column) {
        CheckCell(column, quote, previous, tick);
    }
    // A quote longer than the record reads only the record.
    if (previous.size() >= field::Size) CheckCell(id, {rest, restSize}, quote, tick);
    return 0;
}
