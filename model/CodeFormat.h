#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quillon::model {

// Codes and exchange identifiers are code page 936 bytes as the host sent them. Every
// text argument below ends at its first NUL byte, as it would in the host's slots.

// The dashed form (every exchange but "CZCE") allows this many bytes per field.
inline constexpr std::size_t DashedFieldLimit = 31;

struct OptionCodeParts {
    std::string underlying;
    bool isCall = false;
    std::string strike;
};

// Splits an option code into underlying, side and strike text: the letter form
// (SR301C5000) on "CZCE" exactly, the dashed form (IO2301-C-3900) on every other
// exchange. Nothing when the code is not an option code of that form.
std::optional<OptionCodeParts> ParseOptionCode(std::string_view code, std::string_view exchange);

// Underlying + "-" + strike: the one key a call and its put share.
std::optional<std::string> MakeStrikeKey(std::string_view code, std::string_view exchange);

// True when a and b are equal, or differ by less than about 2^-48 of both, judged on the
// stored binary exponents alone. NaN equals nothing.
bool NearlyEqual(double a, double b);

// How many decimals a price tick has, 0 to 6, as six-decimal fixed-point text shows it.
int CountDecimals(double tick);

// A price with exactly as many decimals as its tick; "-" for an empty price (the host's
// marker, either sign), for a non-number, and for any price when the tick is the marker.
std::string FormatPrice(double value, double tick);

}  // namespace quillon::model
