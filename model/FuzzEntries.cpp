#include "model/FuzzEntries.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "model/CodeFormat.h"

namespace quillon::model {

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

double ReadDoubleOrZero(const std::uint8_t* data, std::size_t size, std::size_t offset) {
    unsigned char bytes[sizeof(double)] = {};
    if (offset < size) std::memcpy(bytes, data + offset, std::min(sizeof bytes, size - offset));
    double value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

}  // namespace

int FuzzOptionCode(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t exchangeLength = std::min<std::size_t>(data[0] % 16, size - 1);
    const char* text = reinterpret_cast<const char*>(data);
    const std::string_view exchange(text + 1, exchangeLength);
    const std::string_view code(text + 1 + exchangeLength, size - 1 - exchangeLength);
    const std::string_view codeToNul = code.substr(0, code.find('\0'));

    const std::optional<OptionCodeParts> parts = ParseOptionCode(code, exchange);
    const std::optional<std::string> key = MakeStrikeKey(code, exchange);
    Require(parts.has_value() == key.has_value());
    if (!parts) return 0;

    Require(!parts->underlying.empty() && !parts->strike.empty());
    Require(parts->underlying.size() + parts->strike.size() < codeToNul.size());
    Require(parts->underlying.find('\0') == std::string::npos && parts->strike.find('\0') == std::string::npos);
    Require(codeToNul.substr(0, parts->underlying.size()) == parts->underlying);
    Require(codeToNul.find(parts->strike) != std::string_view::npos);
    Require(*key == parts->underlying + "-" + parts->strike);
    return 0;
}

int FuzzPriceFormat(const std::uint8_t* data, std::size_t size) {
    const double value = ReadDoubleOrZero(data, size, 0);
    const double tick = ReadDoubleOrZero(data, size, sizeof(double));

    const int decimals = CountDecimals(tick);
    Require(decimals >= 0 && decimals <= 6);

    const std::string text = FormatPrice(value, tick);
    Require(!text.empty() && text.size() < 512);
    if (text != "-") {
        Require(std::isfinite(value));
        const std::size_t point = text.find('.');
        Require(decimals == 0 ? point == std::string::npos : text.size() - point - 1 == std::size_t(decimals));
    }

    Require(NearlyEqual(value, tick) == NearlyEqual(tick, value));
    Require(std::isnan(value) || NearlyEqual(value, value));
    return 0;
}

}  // namespace quillon::model
