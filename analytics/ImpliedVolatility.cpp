#include <algorithm>
#include <cmath>
#include <limits>

#include "analytics/NormalDistribution.h"
#include "analytics/OptionPricing.h"

namespace quillon::analytics {

namespace {

// The lowest volatility looked at: below it every option is worth its (discounted)
// intrinsic value to double precision.
constexpr double MinimumVolatility = 1e-6;
constexpr int SolverIterations = 200;

// d price / d sigma of Black-76, per 1.0 of volatility.
double Black76Vega(double F, double K, double T, double r, double sigma) {
    const double root = std::sqrt(T);
    const double spread = sigma * root;
    const double d1 = std::log(F / K) / spread + spread / 2;
    return std::exp(-r * T) * F * NormalDensity(d1) * root;
}

}  // namespace

double OptionPrice(ExerciseStyle style, bool isCall, double F, double K, double T, double r, double sigma) {
    return style == ExerciseStyle::European ? Black76Price(isCall, F, K, T, r, sigma)
                                            : BawPrice(isCall, F, K, T, r, sigma);
}

Greeks OptionGreeks(ExerciseStyle style, bool isCall, double F, double K, double T, double r, double sigma) {
    return style == ExerciseStyle::European ? Black76Greeks(isCall, F, K, T, r, sigma)
                                            : BawGreeks(isCall, F, K, T, r, sigma);
}

std::optional<double> ImpliedVolatility(ExerciseStyle style, bool isCall, double price, double F, double K, double T,
                                        double r) {
    if (!std::isfinite(price) || !std::isfinite(F) || !std::isfinite(K) || !std::isfinite(T) || !std::isfinite(r))
        return std::nullopt;
    if (price < 0 || F <= 0 || K <= 0 || T <= 0) return std::nullopt;

    auto excess = [&](double sigma) { return OptionPrice(style, isCall, F, K, T, r, sigma) - price; };
    // The price rises with the volatility: the root lies between a volatility whose price
    // is too low and one whose price is too high, and no step leaves that bracket.
    double low = MinimumVolatility;
    double high = MaximumVolatility;
    double lowExcess = excess(low);
    double highExcess = excess(high);
    if (!std::isfinite(lowExcess) || !std::isfinite(highExcess)) return std::nullopt;
    if (lowExcess > 0 || highExcess < 0) return std::nullopt;
    if (lowExcess == 0) return low;
    if (highExcess == 0) return high;

    const bool european = style == ExerciseStyle::European;
    const double priceRounding = 4 * std::numeric_limits<double>::epsilon() * std::max(F, K);
    // Start where an at-the-money option of this price would be (Brenner and Subrahmanyam).
    double sigma = price / (std::exp(-r * T) * F) * std::sqrt(2 * std::numbers::pi / T);
    if (!(sigma > low && sigma < high)) sigma = (low + high) / 2;
    int keptSide = 0;  // regula falsi: which end the last step moved (-1 low, 1 high)
    for (int i = 0; i < SolverIterations; ++i) {
        const double value = excess(sigma);
        // The price matched to its own rounding: nothing closer can be told apart.
        if (std::abs(value) <= priceRounding) return sigma;
        // Illinois: an end kept twice running has its weight halved, so it gives way.
        if (value < 0) {
            low = sigma;
            lowExcess = value;
            if (keptSide < 0) highExcess /= 2;
            keptSide = -1;
        } else {
            high = sigma;
            highExcess = value;
            if (keptSide > 0) lowExcess /= 2;
            keptSide = 1;
        }
        // Newton's step (Black-76's vega is cheap) or the regula falsi point, where it stays
        // inside the bracket; else the middle.
        double next = european ? sigma - value / Black76Vega(F, K, T, r, sigma)
                               : (low * highExcess - high * lowExcess) / (highExcess - lowExcess);
        if (!(next > low && next < high)) next = (low + high) / 2;
        // Done when the bracket or Newton's step is down to the last bits of sigma.
        if (high - low <= 4e-16 * high) return next;
        if (european && std::abs(next - sigma) <= 1e-15 * sigma) return next;
        sigma = next;
    }
    return sigma;
}

}  // namespace quillon::analytics
