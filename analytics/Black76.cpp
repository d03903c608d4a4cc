#include <algorithm>
#include <cmath>
#include <limits>

#include "analytics/NormalDistribution.h"
#include "analytics/OptionPricing.h"

namespace quillon::analytics {

namespace {

bool PricesSomething(double F, double K, double T, double r, double sigma) {
    return std::isfinite(F) && std::isfinite(K) && std::isfinite(T) && std::isfinite(r) && std::isfinite(sigma) &&
           F > 0 && K > 0;
}

double Intrinsic(bool isCall, double F, double K) {
    return std::max(isCall ? F - K : K - F, 0.0);
}

}  // namespace

double Black76Price(bool isCall, double F, double K, double T, double r, double sigma) {
    if (!PricesSomething(F, K, T, r, sigma)) return std::numeric_limits<double>::quiet_NaN();
    if (T <= 0) return Intrinsic(isCall, F, K);
    const double discount = std::exp(-r * T);
    // A rate and a time whose discount factor overflows (or vanishes) price nothing.
    if (!std::isfinite(discount) || discount <= 0) return std::numeric_limits<double>::quiet_NaN();
    if (sigma <= 0) return discount * Intrinsic(isCall, F, K);
    const double spread = sigma * std::sqrt(T);
    const double d1 = std::log(F / K) / spread + spread / 2;
    const double d2 = d1 - spread;
    // N(-x) through erfc keeps the far tails' relative accuracy: deep out-of-the-money
    // prices stay exact enough to invert.
    const double price = isCall ? discount * (F * NormalCdf(d1) - K * NormalCdf(d2))
                                : discount * (K * NormalCdf(-d2) - F * NormalCdf(-d1));
    // The difference can round below the discounted intrinsic value, which bounds the price
    // from below, and even below zero (F and K a rounding apart, sigma sqrt(T) tiny).
    return std::max(price, discount * Intrinsic(isCall, F, K));
}

Greeks Black76Greeks(bool isCall, double F, double K, double T, double r, double sigma) {
    Greeks greeks;
    if (!PricesSomething(F, K, T, r, sigma) || T <= 0 || sigma <= 0 ||
        !std::isfinite(Black76Price(isCall, F, K, T, r, sigma))) {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        return {nan, nan, nan, nan};
    }
    const double discount = std::exp(-r * T);
    const double root = std::sqrt(T);
    const double spread = sigma * root;
    const double d1 = std::log(F / K) / spread + spread / 2;
    const double density = NormalDensity(d1);
    const double price = Black76Price(isCall, F, K, T, r, sigma);
    greeks.delta = isCall ? discount * NormalCdf(d1) : -discount * NormalCdf(-d1);
    greeks.gamma = discount * density / (F * spread);
    greeks.vega = discount * F * density * root * 0.01;
    // dV/dT = -r V + e^(-rT) F n(d1) sigma / (2 sqrt(T)); a day nearer expiry is -dT.
    const double perYear = r * price - discount * F * density * sigma / (2 * root);
    greeks.theta = perYear / 365.0;
    return greeks;
}

}  // namespace quillon::analytics
