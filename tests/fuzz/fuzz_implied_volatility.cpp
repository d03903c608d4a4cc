// Prices, greeks and implied volatilities of whatever numbers a quote can carry: nothing
// traps, an answer is always a volatility in (0, 5] that gives back the price asked.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "FuzzRequire.h"
#include "analytics/OptionPricing.h"

namespace {

using namespace quillon::analytics;

double ReadDouble(const std::uint8_t* data, std::size_t size, std::size_t index) {
    double value = 0;
    if ((index + 1) * sizeof value <= size) std::memcpy(&value, data + index * sizeof value, sizeof value);
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const ExerciseStyle style = (data[0] & 1) != 0 ? ExerciseStyle::American : ExerciseStyle::European;
    const bool isCall = (data[0] & 2) != 0;
    ++data;
    --size;
    const double price = ReadDouble(data, size, 0);
    const double F = ReadDouble(data, size, 1);
    const double K = ReadDouble(data, size, 2);
    const double T = ReadDouble(data, size, 3);
    const double r = ReadDouble(data, size, 4);
    const double sigma = ReadDouble(data, size, 5);

    const double modelled = OptionPrice(style, isCall, F, K, T, r, sigma);
    FUZZ_REQUIRE(std::isnan(modelled) || modelled >= 0);
    OptionGreeks(style, isCall, F, K, T, r, sigma);

    const std::optional<double> found = ImpliedVolatility(style, isCall, price, F, K, T, r);
    if (!found) return 0;
    FUZZ_REQUIRE(*found > 0 && *found <= MaximumVolatility);
    // Where a market can be (prices of a millionth to a billion, thirty years at most, a
    // rate within 100 %), the answer reproduces the price it was given.
    auto plausible = [](double value) { return value >= 1e-6 && value <= 1e9; };
    if (!plausible(F) || !plausible(K) || !(T <= 30) || !(std::abs(r) <= 1.0)) return 0;
    const double back = OptionPrice(style, isCall, F, K, T, r, *found);
    FUZZ_REQUIRE(std::abs(back - price) <= 1e-7 * std::max({F, K, price}));
    return 0;
}
