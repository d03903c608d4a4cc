#include "hostsim/OptionPricing.h"

#include <algorithm>
#include <cmath>

namespace quillon::hostsim {
namespace {

double NormalCdf(double x) {
    return 0.5 * std::erfc(-x / std::sqrt(2.0));
}

}  // namespace

double Black76Price(bool isCall, double future, double strike, double volatility, double yearsToExpiry) {
    const double intrinsic = isCall ? std::max(future - strike, 0.0) : std::max(strike - future, 0.0);
    if (future <= 0 || strike <= 0 || volatility <= 0 || yearsToExpiry <= 0) return intrinsic;
    const double spread = volatility * std::sqrt(yearsToExpiry);
    const double d1 = (std::log(future / strike) + 0.5 * spread * spread) / spread;
    const double d2 = d1 - spread;
    const double value =
        isCall ? future * NormalCdf(d1) - strike * NormalCdf(d2) : strike * NormalCdf(-d2) - future * NormalCdf(-d1);
    return std::max(value, intrinsic);
}

double SmileVolatility(double atTheMoneyVolatility, double future, double strike) {
    if (future <= 0 || strike <= 0) return atTheMoneyVolatility;
    const double moneyness = std::log(strike / future);
    const double volatility = atTheMoneyVolatility + 0.6 * moneyness * moneyness - 0.08 * moneyness;
    return std::clamp(volatility, 0.05, 3.0);
}

}  // namespace quillon::hostsim
