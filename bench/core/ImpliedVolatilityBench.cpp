// Nanoseconds per implied-volatility solve and per price, for both models, over the
// options a 100-strike board shows (strikes 70 % to 130 % of the future, calls and puts,
// a month to expiry, volatilities from a smile):
//   build/bench-linux/bench/core/implied_volatility_bench
#include <chrono>
#include <cstdio>
#include <vector>

#include "analytics/OptionPricing.h"

namespace {

using namespace quillon::analytics;
using Clock = std::chrono::steady_clock;

struct Case {
    bool isCall;
    double K, sigma, price;
};

}  // namespace

int main() {
    const double F = 3900, T = 30 / 365.0, r = 0.015;
    for (ExerciseStyle style : {ExerciseStyle::European, ExerciseStyle::American}) {
        std::vector<Case> cases;
        for (int strike = 0; strike < 100; ++strike) {
            const double K = F * (0.7 + 0.6 * strike / 99);
            const double sigma = 0.2 + 0.3 * (K / F - 1) * (K / F - 1);
            for (bool isCall : {true, false})
                cases.push_back({isCall, K, sigma, OptionPrice(style, isCall, F, K, T, r, sigma)});
        }
        constexpr int Rounds = 200;
        double sink = 0;
        int solved = 0;
        auto start = Clock::now();
        for (int round = 0; round < Rounds; ++round) {
            for (const Case& c : cases) {
                if (auto sigma = ImpliedVolatility(style, c.isCall, c.price, F, c.K, T, r)) {
                    sink += *sigma;
                    ++solved;
                }
            }
        }
        const double solveNs = std::chrono::duration<double, std::nano>(Clock::now() - start).count() /
                               (static_cast<double>(Rounds) * cases.size());
        start = Clock::now();
        for (int round = 0; round < Rounds; ++round) {
            for (const Case& c : cases) sink += OptionPrice(style, c.isCall, F, c.K, T, r, c.sigma);
        }
        const double priceNs = std::chrono::duration<double, std::nano>(Clock::now() - start).count() /
                               (static_cast<double>(Rounds) * cases.size());
        std::printf("%s: %.0f ns per implied volatility (%d of %zu solved), %.0f ns per price (checksum %.3f)\n",
                    style == ExerciseStyle::European ? "Black-76" : "Barone-Adesi-Whaley", solveNs, solved / Rounds,
                    cases.size(), priceNs, sink);
    }
    return 0;
}
