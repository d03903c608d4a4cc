#pragma once

#include <cmath>
#include <numbers>

namespace quillon::analytics {

// The standard normal distribution function, accurate to the last digits in both tails.
inline double NormalCdf(double x) {
    return 0.5 * std::erfc(-x / std::numbers::sqrt2);
}

inline double NormalDensity(double x) {
    return std::exp(-0.5 * x * x) / std::sqrt(2 * std::numbers::pi);
}

}  // namespace quillon::analytics
