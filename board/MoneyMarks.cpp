#include "board/MoneyMarks.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace quillon::board {

std::optional<double> StrikeValue(std::string_view text) {
    if (text.empty()) return std::nullopt;
    const std::string copy(text);  // strtod wants a terminated string
    char* end = nullptr;
    const double value = std::strtod(copy.c_str(), &end);
    if (end != copy.c_str() + copy.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::vector<RowMoney> ChainMoney(const std::vector<std::optional<double>>& strikes, std::optional<double> price) {
    std::vector<RowMoney> rows(strikes.size());
    if (!price || !std::isfinite(*price)) return rows;
    const double F = *price;
    std::optional<std::size_t> nearest;
    for (std::size_t i = 0; i < strikes.size(); ++i) {
        if (!strikes[i]) continue;
        const double K = *strikes[i];
        rows[i].callInTheMoney = K < F;
        rows[i].putInTheMoney = K > F;
        if (!nearest) {
            nearest = i;
            continue;
        }
        const double best = *strikes[*nearest];
        const double distance = std::abs(K - F), bestDistance = std::abs(best - F);
        if (distance < bestDistance || (distance == bestDistance && K < best)) nearest = i;
    }
    if (nearest) rows[*nearest].atTheMoney = true;
    return rows;
}

std::uint32_t InTheMoneyBackColour(std::uint32_t bandColour) {
    // Less blue, a little less green: white becomes a pale cream, the grey band a pale sand.
    const std::uint32_t red = bandColour & 0xFF;
    const std::uint32_t green = (bandColour >> 8) & 0xFF;
    const std::uint32_t blue = (bandColour >> 16) & 0xFF;
    return red | ((green * 246 / 255) << 8) | ((blue * 205 / 255) << 16);
}

}  // namespace quillon::board
