// Barone-Adesi and Whaley (1987), "Efficient Analytic Approximation of American Option
// Values", for an option on a future: the cost of carry is 0, so the European part is
// Black-76 and the early-exercise premium rests on the critical future price beyond which
// exercising at once is worth more than holding.
#include <algorithm>
#include <cmath>
#include <limits>

#include "analytics/NormalDistribution.h"
#include "analytics/OptionPricing.h"

namespace quillon::analytics {

namespace {

// The critical price is found to this relative accuracy: tight enough that the price is
// smooth in the volatility for the implied-volatility solver.
constexpr double CriticalPriceTolerance = 1e-12;
constexpr int CriticalPriceIterations = 200;

struct Setting {
    double K, T, r, sigma;
    double discount;  // e^(-rT)
    double spread;    // sigma sqrt(T)
    double q;         // the exponent of the early-exercise premium: q2 for calls, q1 for puts

    double D1(double F) const { return std::log(F / K) / spread + spread / 2; }
};

Setting MakeSetting(bool isCall, double K, double T, double r, double sigma) {
    Setting s{K, T, r, sigma, std::exp(-r * T), sigma * std::sqrt(T), 0};
    // With no carry, N = 2b / sigma^2 = 0: q = (1 +- sqrt(1 + 4M/k)) / 2.
    const double M = 2 * r / (sigma * sigma);
    const double k = -std::expm1(-r * T);
    const double root = std::sqrt(1 + 4 * M / k);
    s.q = isCall ? (1 + root) / 2 : (1 - root) / 2;
    return s;
}

// Newton's iteration on the boundary condition, from Barone-Adesi and Whaley's own seed.
double CriticalCallPrice(const Setting& s) {
    const double M = 2 * s.r / (s.sigma * s.sigma);
    const double qInfinite = (1 + std::sqrt(1 + 4 * M)) / 2;
    const double atInfinity = s.K / (1 - 1 / qInfinite);
    const double h = -2 * s.spread * s.K / (atInfinity - s.K);
    double F = s.K + (atInfinity - s.K) * (1 - std::exp(h));
    for (int i = 0; i < CriticalPriceIterations; ++i) {
        const double d1 = s.D1(F);
        const double cdf = NormalCdf(d1);
        const double lhs = F - s.K;
        const double rhs = Black76Price(true, F, s.K, s.T, s.r, s.sigma) + (1 - s.discount * cdf) * F / s.q;
        if (std::abs(lhs - rhs) <= CriticalPriceTolerance * s.K) break;
        const double slope = s.discount * cdf * (1 - 1 / s.q) + (1 - s.discount * NormalDensity(d1) / s.spread) / s.q;
        const double next = (s.K + rhs - slope * F) / (1 - slope);
        if (!std::isfinite(next) || next <= s.K) break;
        F = next;
    }
    return F;
}

double CriticalPutPrice(const Setting& s) {
    const double M = 2 * s.r / (s.sigma * s.sigma);
    const double qInfinite = (1 - std::sqrt(1 + 4 * M)) / 2;
    const double atInfinity = s.K / (1 - 1 / qInfinite);
    const double h = -2 * s.spread * s.K / (s.K - atInfinity);
    double F = atInfinity + (s.K - atInfinity) * std::exp(h);
    for (int i = 0; i < CriticalPriceIterations; ++i) {
        const double d1 = s.D1(F);
        const double cdf = NormalCdf(-d1);
        const double lhs = s.K - F;
        const double rhs = Black76Price(false, F, s.K, s.T, s.r, s.sigma) - (1 - s.discount * cdf) * F / s.q;
        if (std::abs(lhs - rhs) <= CriticalPriceTolerance * s.K) break;
        const double slope = -s.discount * cdf * (1 - 1 / s.q) - (1 + s.discount * NormalDensity(-d1) / s.spread) / s.q;
        const double next = (s.K - rhs + slope * F) / (1 + slope);
        if (!std::isfinite(next) || next <= 0 || next >= s.K) break;
        F = next;
    }
    return F;
}

}  // namespace

double BawPrice(bool isCall, double F, double K, double T, double r, double sigma) {
    const double european = Black76Price(isCall, F, K, T, r, sigma);
    if (!std::isfinite(european)) return european;
    const double intrinsic = std::max(isCall ? F - K : K - F, 0.0);
    if (T <= 0 || sigma <= 0) return intrinsic;
    // Without a positive rate, holding a future's option never loses to exercising it.
    if (r <= 0) return european;

    const Setting s = MakeSetting(isCall, K, T, r, sigma);
    if (isCall) {
        const double critical = CriticalCallPrice(s);
        if (F >= critical) return intrinsic;
        const double premium = critical / s.q * (1 - s.discount * NormalCdf(s.D1(critical)));
        return std::max(european + premium * std::pow(F / critical, s.q), intrinsic);
    }
    const double critical = CriticalPutPrice(s);
    if (F <= critical) return intrinsic;
    const double premium = -critical / s.q * (1 - s.discount * NormalCdf(-s.D1(critical)));
    return std::max(european + premium * std::pow(F / critical, s.q), intrinsic);
}

Greeks BawGreeks(bool isCall, double F, double K, double T, double r, double sigma) {
    const double price = BawPrice(isCall, F, K, T, r, sigma);
    if (!std::isfinite(price) || T <= 0 || sigma <= 0) {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        return {nan, nan, nan, nan};
    }
    auto at = [&](double f, double t, double v) { return BawPrice(isCall, f, K, t, r, v); };
    Greeks greeks;
    const double dF = F * 1e-3;
    const double up = at(F + dF, T, sigma);
    const double down = at(F - dF, T, sigma);
    greeks.delta = (up - down) / (2 * dF);
    greeks.gamma = (up - 2 * price + down) / (dF * dF);
    const double dSigma = std::min(1e-3, sigma / 2);
    greeks.vega = (at(F, T, sigma + dSigma) - at(F, T, sigma - dSigma)) / (2 * dSigma) * 0.01;
    const double dT = std::min(1e-3, T / 2);
    greeks.theta = -(at(F, T + dT, sigma) - at(F, T - dT, sigma)) / (2 * dT) / 365.0;
    return greeks;
}

}  // namespace quillon::analytics
