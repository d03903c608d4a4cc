// The implied volatility solver: round trips over the whole range a board meets, and no
// answer where no volatility gives the price.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <span>

#include "analytics/OptionPricing.h"

namespace quillon::analytics {
namespace {

constexpr double Sigmas[] = {0.01, 0.05, 0.1, 0.2, 0.35, 0.5, 1.0, 2.0, 3.0};
constexpr double Moneyness[] = {0.5, 0.7, 0.85, 0.95, 1.0, 1.05, 1.2, 1.35, 1.5};
constexpr double Years[] = {1 / 365.0, 7 / 365.0, 30 / 365.0, 0.25, 1.0, 2.0};

// Whether a relative change of `relative` in sigma moves the price by more than its own
// rounding: elsewhere no solver can find sigma to that accuracy.
bool PriceResolves(ExerciseStyle style, bool isCall, double F, double K, double T, double r, double sigma,
                   double relative) {
    const double price = OptionPrice(style, isCall, F, K, T, r, sigma);
    const double moved = OptionPrice(style, isCall, F, K, T, r, sigma * (1 + relative));
    const double scale = std::max(F, K);
    return moved - price > 1e-13 * scale;
}

// Prices every option of the grid, solves for its volatility and checks the round trip to
// `tolerance` wherever the price resolves sigma that finely; returns how many it checked.
int CheckRoundTrips(ExerciseStyle style, double F, std::span<const double> moneyness, std::span<const double> years,
                    std::span<const double> sigmas, double tolerance) {
    const double r = 0.015;
    int checked = 0;
    for (bool isCall : {true, false}) {
        for (double m : moneyness) {
            for (double T : years) {
                for (double sigma : sigmas) {
                    const double K = F * m;
                    if (!PriceResolves(style, isCall, F, K, T, r, sigma, tolerance)) continue;
                    const double price = OptionPrice(style, isCall, F, K, T, r, sigma);
                    const std::optional<double> found = ImpliedVolatility(style, isCall, price, F, K, T, r);
                    EXPECT_TRUE(found && std::abs(*found / sigma - 1) <= tolerance)
                        << (isCall ? "call" : "put") << " K " << K << " T " << T << " sigma " << sigma << " found "
                        << found.value_or(-1);
                    ++checked;
                }
            }
        }
    }
    return checked;
}

TEST(ImpliedVolatility, Black76RoundTripsToOnePartInABillion) {
    // Most of the grid resolves; only the far tails of short, calm options are flat.
    EXPECT_GT(CheckRoundTrips(ExerciseStyle::European, 3900, Moneyness, Years, Sigmas, 1e-9), 600);
}

TEST(ImpliedVolatility, AmericanRoundTrips) {
    constexpr double moneyness[] = {0.7, 0.9, 1.0, 1.1, 1.3};
    constexpr double years[] = {7 / 365.0, 0.25, 1.0};
    constexpr double sigmas[] = {0.05, 0.2, 0.5, 1.5};
    EXPECT_GT(CheckRoundTrips(ExerciseStyle::American, 5800, moneyness, years, sigmas, 1e-6), 50);
}

TEST(ImpliedVolatility, NoVolatilityForAPriceNoneGives) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        const char* what;
        ExerciseStyle style;
        bool isCall;
        double price, F, K, T;
    } cases[] = {
        {"below the discounted intrinsic value", ExerciseStyle::European, true, 9.0, 110, 100, 0.5},
        {"below the intrinsic value", ExerciseStyle::American, false, 9.99, 90, 100, 0.5},
        {"above the price at the highest volatility", ExerciseStyle::European, true, 99.0, 100, 100, 0.5},
        {"above the future itself", ExerciseStyle::American, true, 150.0, 100, 100, 0.5},
        {"expired", ExerciseStyle::European, true, 5.0, 100, 100, 0.0},
        {"expiry passed", ExerciseStyle::American, false, 5.0, 100, 100, -0.1},
        {"negative price", ExerciseStyle::European, false, -1.0, 100, 100, 0.5},
        {"no price", ExerciseStyle::European, true, nan, 100, 100, 0.5},
        {"no future", ExerciseStyle::American, true, 5.0, inf, 100, 0.5},
        {"no strike", ExerciseStyle::European, true, 5.0, 100, 0, 0.5},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(ImpliedVolatility(c.style, c.isCall, c.price, c.F, c.K, c.T, 0.015)) << c.what;
    }
}

}  // namespace
}  // namespace quillon::analytics
