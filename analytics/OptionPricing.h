#pragma once

#include <optional>

namespace quillon::analytics {

// Prices and sensitivities of options on a future. F: the future's price, K: the strike,
// T: years to expiry, r: the continuously compounded risk-free rate, sigma: the yearly
// volatility. Inputs that price nothing (a price or strike of 0 or below, anything not
// finite) give NaN; at T <= 0 an option is worth its intrinsic value, and at sigma <= 0
// its discounted intrinsic value (European) or its intrinsic value (American).

enum class ExerciseStyle { European, American };

// Sensitivities: delta and gamma per 1.0 of F, vega per volatility point (0.01), theta per
// calendar day (how fast the price changes as expiry nears, per day of 1/365 year).
struct Greeks {
    double delta = 0;
    double gamma = 0;
    double vega = 0;
    double theta = 0;
};

// Black-76: a European option on a future.
double Black76Price(bool isCall, double F, double K, double T, double r, double sigma);
Greeks Black76Greeks(bool isCall, double F, double K, double T, double r, double sigma);

// Barone-Adesi–Whaley's quadratic approximation for an American option on a future (cost of
// carry 0). Its greeks are central differences of its price.
double BawPrice(bool isCall, double F, double K, double T, double r, double sigma);
Greeks BawGreeks(bool isCall, double F, double K, double T, double r, double sigma);

// The model of the style: Black-76 for European, Barone-Adesi–Whaley for American.
double OptionPrice(ExerciseStyle style, bool isCall, double F, double K, double T, double r, double sigma);
Greeks OptionGreeks(ExerciseStyle style, bool isCall, double F, double K, double T, double r, double sigma);

// The volatility in (0, 5] whose price is `price`; empty when none reproduces it (a price
// below what the lowest volatility gives, above what 5.0 gives, non-finite input, T <= 0).
std::optional<double> ImpliedVolatility(ExerciseStyle style, bool isCall, double price, double F, double K, double T,
                                        double r);

// The highest volatility the solver looks at.
inline constexpr double MaximumVolatility = 5.0;

}  // namespace quillon::analytics
