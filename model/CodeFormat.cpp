#include "model/CodeFormat.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "host/WireRecords.h"

namespace quillon::model {

namespace {

std::string_view UpToFirstNul(std::string_view text) {
    std::size_t nul = text.find('\0');
    return nul == std::string_view::npos ? text : text.substr(0, nul);
}

// The blanks a "%s" conversion skips and stops at, in the C locale.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// underlying-type-strike. The underlying and type fields run to the next '-' and may not
// be empty. The strike field is read the way "%s" reads: leading blanks skipped, the
// field ends at a blank, what follows it is ignored. A field longer than the limit is not
// a field of an option code, so the code fails rather than being cut short.
std::optional<OptionCodeParts> ParseDashedCode(std::string_view code) {
    std::array<std::string_view, 2> leadingFields;
    std::size_t position = 0;
    for (std::string_view& field : leadingFields) {
        std::size_t dash = code.find('-', position);
        if (dash == std::string_view::npos) return std::nullopt;
        field = code.substr(position, dash - position);
        if (field.empty() || field.size() > DashedFieldLimit) return std::nullopt;
        position = dash + 1;
    }
    while (position < code.size() && IsBlank(code[position])) ++position;
    std::size_t end = position;
    while (end < code.size() && !IsBlank(code[end])) ++end;
    std::string_view strike = code.substr(position, end - position);
    if (strike.empty() || strike.size() > DashedFieldLimit) return std::nullopt;

    OptionCodeParts parts;
    parts.underlying = std::string(leadingFields[0]);
    parts.isCall = leadingFields[1].front() == 'C';
    parts.strike = std::string(strike);
    return parts;
}

// underlying, 'C' or 'P', strike with no separator. The side letter is looked for from
// position 5 on, past the product letters and contract month (SR301, CF701), so the C of
// a product such as CF or CJ is never taken for a call.
std::optional<OptionCodeParts> ParseLetterCode(std::string_view code) {
    constexpr std::size_t MinimumLength = 6;
    constexpr std::size_t FirstSidePosition = 5;
    if (code.size() < MinimumLength) return std::nullopt;

    bool isCall = true;
    std::size_t split = code.find('C', FirstSidePosition);
    if (split == std::string_view::npos) {
        isCall = false;
        split = code.find('P', FirstSidePosition);
    }
    if (split == std::string_view::npos) return std::nullopt;
    // A code that ends at its side letter names no strike; it would make a board row
    // without one.
    if (split + 1 == code.size()) return std::nullopt;

    OptionCodeParts parts;
    parts.underlying = std::string(code.substr(0, split));
    parts.isCall = isCall;
    parts.strike = std::string(code.substr(split + 1));
    return parts;
}

// The unbiased exponent as stored: zero and subnormals give -1023, infinities and NaN 1024.
int StoredExponent(double x) {
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(x);
    return static_cast<int>((bits >> 52) & 0x7FF) - 1023;
}

// Fixed-point text with `decimals` digits after the point, rounded as printf's "%.*f"
// rounds, but the same in every C runtime and independent of the locale.
std::string FixedText(double value, int decimals) {
    // Wide enough for the largest double with six decimals.
    std::array<char, 512> buffer;
    auto [end, error] =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, decimals);
    if (error != std::errc{}) return "-";
    return std::string(buffer.data(), end);
}

bool IsEmptyMarker(double value) {
    return NearlyEqual(host::EmptyPrice, std::fabs(value));
}

}  // namespace

std::optional<OptionCodeParts> ParseOptionCode(std::string_view code, std::string_view exchange) {
    code = UpToFirstNul(code);
    // Case-sensitive on purpose: only the exact identifier means the letter form.
    if (UpToFirstNul(exchange) == "CZCE") return ParseLetterCode(code);
    return ParseDashedCode(code);
}

std::optional<std::string> MakeStrikeKey(std::string_view code, std::string_view exchange) {
    std::optional<OptionCodeParts> parts = ParseOptionCode(code, exchange);
    if (!parts) return std::nullopt;
    return parts->underlying + "-" + parts->strike;
}

bool NearlyEqual(double a, double b) {
    if (a == b) return true;
    const int differenceExponent = StoredExponent(b - a);
    return differenceExponent - StoredExponent(a) < -48 && differenceExponent - StoredExponent(b) < -48;
}

namespace {

int CountDecimalsOf(double tick) {
    std::string text = FixedText(tick, 6);
    std::size_t point = text.find('.');
    if (point == std::string::npos) return 0;  // "nan", "inf"
    while (text.back() == '0') text.pop_back();
    return static_cast<int>(text.size() - point - 1);
}

}  // namespace

int CountDecimals(double tick) {
    // Every price of a quote asks for its instrument's tick again: remember the last one.
    thread_local std::uint64_t lastTickBits = 0;
    thread_local int lastDecimals = -1;
    const auto bits = std::bit_cast<std::uint64_t>(tick);
    if (lastDecimals >= 0 && bits == lastTickBits) return lastDecimals;
    lastDecimals = CountDecimalsOf(tick);
    lastTickBits = bits;
    return lastDecimals;
}

std::string FormatPrice(double value, double tick) {
    // A non-number has no value to show, and its printf text differs between runtimes.
    if (!std::isfinite(value) || IsEmptyMarker(value)) return "-";
    if (IsEmptyMarker(tick)) return "-";
    return FixedText(value, CountDecimals(tick));
}

}  // namespace quillon::model
