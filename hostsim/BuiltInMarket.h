#pragma once

#include "hostsim/Market.h"

namespace quillon::hostsim {

struct ListingDate {
    int year = 2026;
    int month = 12;
    int day = 8;
};

struct BuiltInMarketOptions {
    // The market is sized to come close to this count (futures and options together).
    int instrumentCount = 1200;
    // Strikes per expiry when above 0 (the market then grows or shrinks to fit them);
    // otherwise as many as the count leaves room for.
    int strikesPerExpiry = 0;
    // Contract months and times to expiry are counted from this date.
    ListingDate date;
};

inline constexpr int MinInstrumentCount = 6;
inline constexpr int MaxInstrumentCount = 200000;
inline constexpr int MaxStrikesPerExpiry = 1000;

// The built-in universe: index futures and options of CFFEX, commodity futures and
// options of DCE, GFEX, CZCE, SHFE and INE, in the code forms the exchanges' feeds use,
// with the exchanges' strike intervals and price ticks.
Market BuildBuiltInMarket(const BuiltInMarketOptions& options);

// Today's date by the system clock (UTC).
ListingDate TodaysDate();

}  // namespace quillon::hostsim
