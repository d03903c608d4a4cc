// Prices and greeks of options on a future against published figures and against the
// properties any price must have.
#include <gtest/gtest.h>

#include <cmath>

#include "analytics/OptionPricing.h"

namespace quillon::analytics {
namespace {

TEST(OptionPricing, ModelsGiveThePublishedFigures) {
    // Black-76: at the money the call and the put are worth the same.
    EXPECT_NEAR(Black76Price(true, 19, 19, 0.75, 0.10, 0.28), 1.7011, 5e-5);
    EXPECT_NEAR(Black76Price(false, 19, 19, 0.75, 0.10, 0.28), 1.7011, 5e-5);
    // Barone-Adesi–Whaley with no cost of carry.
    EXPECT_NEAR(BawPrice(true, 100, 100, 0.10, 0.10, 0.15), 1.8771, 3e-3);
    EXPECT_NEAR(BawPrice(false, 90, 100, 0.10, 0.10, 0.25), 10.2533, 3e-3);
    EXPECT_NEAR(BawPrice(true, 110, 100, 0.50, 0.10, 0.35), 15.5689, 3e-3);
}

TEST(OptionPricing, Black76KeepsPutCallParityAndTheAmericanPriceItsFloors) {
    for (double K : {50.0, 90.0, 100.0, 110.0, 180.0}) {
        for (double T : {1 / 365.0, 0.25, 2.0}) {
            for (double sigma : {0.05, 0.3, 1.5}) {
                SCOPED_TRACE(testing::Message() << "K " << K << " T " << T << " sigma " << sigma);
                const double call = Black76Price(true, 100, K, T, 0.03, sigma);
                const double put = Black76Price(false, 100, K, T, 0.03, sigma);
                EXPECT_NEAR(call - put, std::exp(-0.03 * T) * (100 - K), 1e-10 * 100);
                for (bool isCall : {true, false}) {
                    const double american = BawPrice(isCall, 100, K, T, 0.03, sigma);
                    EXPECT_GE(american, (isCall ? call : put) - 1e-12);
                    EXPECT_GE(american, std::max(isCall ? 100 - K : K - 100, 0.0));
                    // Without a rate there is nothing to gain by exercising early.
                    EXPECT_NEAR(BawPrice(isCall, 100, K, T, 0.0, sigma), Black76Price(isCall, 100, K, T, 0.0, sigma),
                                1e-12);
                }
            }
        }
    }
}

TEST(OptionPricing, EdgesGiveIntrinsicValueAndNonsenseGivesNaN) {
    EXPECT_EQ(Black76Price(true, 110, 100, 0, 0.05, 0.2), 10);
    EXPECT_EQ(BawPrice(false, 90, 100, -1, 0.05, 0.2), 10);
    EXPECT_DOUBLE_EQ(Black76Price(true, 110, 100, 1, 0.05, 0), 10 * std::exp(-0.05));
    EXPECT_EQ(BawPrice(true, 110, 100, 1, 0.05, 0), 10);
    // F and K a rounding apart with almost no time: the difference of the two terms can
    // round below zero, a price cannot.
    EXPECT_GE(Black76Price(true, 4.8578750597249416e-33, 4.8578750597249806e-33, 4.9e-33, -32.5, 32.4), 0);
    // A discount factor that overflows prices nothing.
    EXPECT_TRUE(std::isnan(Black76Price(true, 100, 100, 1e-30, -1e40, 0.2)));
    EXPECT_TRUE(std::isnan(BawPrice(true, 100, 100, 1e-30, -1e40, 0.2)));
    const double nan = std::nan("");
    const double bad[][3] = {{0, 100, 1}, {100, -1, 1}, {nan, 100, 1}, {100, 100, INFINITY}};
    for (const auto& input : bad) {
        EXPECT_TRUE(std::isnan(Black76Price(true, input[0], input[1], input[2], 0.05, 0.2)));
        EXPECT_TRUE(std::isnan(BawPrice(false, input[0], input[1], input[2], 0.05, 0.2)));
        EXPECT_TRUE(std::isnan(Black76Greeks(true, input[0], input[1], input[2], 0.05, 0.2).delta));
    }
}

TEST(OptionPricing, Black76GreeksAreTheSlopesOfItsPrice) {
    for (bool isCall : {true, false}) {
        for (double K : {80.0, 100.0, 125.0}) {
            for (double T : {10 / 365.0, 0.5, 2.0}) {
                const double F = 100, r = 0.02, sigma = 0.25;
                SCOPED_TRACE(testing::Message() << (isCall ? "call" : "put") << " K " << K << " T " << T);
                auto price = [&](double f, double t, double v) { return Black76Price(isCall, f, K, t, r, v); };
                const Greeks greeks = Black76Greeks(isCall, F, K, T, r, sigma);
                // Central differences agree to their own truncation error, a few parts in 1e6.
                auto near = [](double value, double slope) {
                    return std::abs(value - slope) <= 2e-5 * std::abs(slope) + 1e-7;
                };
                const double h = 1e-3;
                EXPECT_PRED2(near, greeks.delta, (price(F + h, T, sigma) - price(F - h, T, sigma)) / (2 * h));
                EXPECT_PRED2(near, greeks.gamma,
                             (price(F + h, T, sigma) - 2 * price(F, T, sigma) + price(F - h, T, sigma)) / (h * h));
                EXPECT_PRED2(near, greeks.vega, (price(F, T, sigma + h) - price(F, T, sigma - h)) / (2 * h) * 0.01);
                const double dT = 1e-5;
                EXPECT_PRED2(near, greeks.theta, -(price(F, T + dT, sigma) - price(F, T - dT, sigma)) / (2 * dT) / 365);
            }
        }
    }
}

TEST(OptionPricing, AmericanGreeksFollowTheExerciseBoundary) {
    // Deep in the money an American put is exercised: it moves one for one with F.
    const Greeks exercised = BawGreeks(false, 50, 100, 0.5, 0.05, 0.2);
    EXPECT_NEAR(exercised.delta, -1, 1e-9);
    EXPECT_NEAR(exercised.gamma, 0, 1e-6);
    // Near the money and near expiry the early-exercise premium is small: close to Black-76.
    const Greeks american = BawGreeks(true, 100, 100, 30 / 365.0, 0.015, 0.25);
    const Greeks european = Black76Greeks(true, 100, 100, 30 / 365.0, 0.015, 0.25);
    EXPECT_NEAR(american.delta, european.delta, 2e-3);
    EXPECT_NEAR(american.gamma, european.gamma, 2e-3 * european.gamma * 50);
    EXPECT_NEAR(american.vega, european.vega, 2e-3 * european.vega);
    EXPECT_NEAR(american.theta, european.theta, 2e-2 * std::abs(european.theta));
}

}  // namespace
}  // namespace quillon::analytics
