#pragma once

namespace quillon::hostsim {

// Black-76 value of a European option on a future, undiscounted (futures options are
// margined, and a rate would only shift every price by the same small factor).
double Black76Price(bool isCall, double future, double strike, double volatility, double yearsToExpiry);

// The volatility smile: higher away from the money, a little higher for low strikes.
double SmileVolatility(double atTheMoneyVolatility, double future, double strike);

}  // namespace quillon::hostsim
