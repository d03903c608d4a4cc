// Prices and ticks from quotes and instrument records: any double, any tick, including
// the empty-price marker, NaN, infinities and subnormals.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "FuzzRequire.h"
#include "host/WireRecords.h"
#include "model/CodeFormat.h"
#include "model/FuzzEntries.h"

namespace {

using namespace quillon;

double ReadDoubleOrZero(const std::uint8_t* data, std::size_t size, std::size_t offset) {
    unsigned char bytes[sizeof(double)] = {};
    if (offset < size) std::memcpy(bytes, data + offset, std::min(sizeof bytes, size - offset));
    double value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

bool IsPlainDecimal(const std::string& text) {
    std::size_t at = text[0] == '-' ? 1 : 0;
    std::size_t digits = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) ++digits;
    if (digits == 0) return false;
    if (at == text.size()) return true;
    if (text[at] != '.') return false;
    for (++at; at < text.size(); ++at) {
        if (text[at] < '0' || text[at] > '9') return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The model's own properties: decimals 0..6 and as many after the point, "-" only for
    // what cannot be shown, NearlyEqual symmetric and reflexive.
    model::FuzzPriceFormat(data, size);

    const double value = ReadDoubleOrZero(data, size, 0);
    const double tick = ReadDoubleOrZero(data, size, sizeof(double));
    const std::string text = model::FormatPrice(value, tick);
    if (text != "-") {
        // Digits a trader can read, within half a last decimal of the price.
        FUZZ_REQUIRE(IsPlainDecimal(text));
        const double shown = std::strtod(text.c_str(), nullptr);
        const double halfStep = 0.5 * std::pow(10.0, -model::CountDecimals(tick));
        FUZZ_REQUIRE(std::fabs(shown - value) <= halfStep + std::fabs(value) * 1e-15);
    }
    // The host's marker never shows as digits, on either side of the price.
    FUZZ_REQUIRE(model::FormatPrice(host::EmptyPrice, tick) == "-");
    FUZZ_REQUIRE(model::FormatPrice(-host::EmptyPrice, tick) == "-");
    FUZZ_REQUIRE(model::FormatPrice(value, host::EmptyPrice) == "-");
    FUZZ_REQUIRE(model::FormatPrice(std::nan(""), tick) == "-");
    return 0;
}
