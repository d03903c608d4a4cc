#include "hostsim/BuiltInMarket.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>

namespace quillon::hostsim {
namespace {

enum class CodeForm {
    Dashed,      // IO2612-C-3900, m2701-C-2900: four-digit year-month
    CzceLetter,  // SR701C5800: three-digit year-month
    ShfeLetter,  // cu2612C75000: four-digit year-month
};

// A strike interval applies to strikes below `upTo`.
struct StrikeBand {
    double upTo;
    double interval;
};

struct ProductTerms {
    const char* exchange;
    const char* future;
    const char* option;
    CodeForm form;
    double futureTick;
    double optionTick;
    double referencePrice;
    double limitFraction;
    double multiplier;
    double volatility;
    std::array<StrikeBand, 4> bands;
    bool quarterlyMonthsDouble;
    bool cffex;
};

constexpr double Above = std::numeric_limits<double>::infinity();

// Listed in the order a small market takes them: the first products give every code form.
// clang-format off
const ProductTerms Products[] = {
    // exchange, future, option, code form, future tick, option tick, reference price, limit, multiplier,
    // volatility; strike bands (interval below a price); quarterly months double; CFFEX index product
    {"CFFEX", "IF", "IO", CodeForm::Dashed,     0.2,  0.2,  3900,  0.10, 300,  0.20,
     {{{2500, 25}, {5000, 50}, {10000, 100}, {Above, 200}}}, true, true},
    {"DCE",   "m",  "m",  CodeForm::Dashed,     1,    0.5,  2900,  0.07, 10,   0.22,
     {{{2000, 25}, {5000, 50}, {Above, 100}, {Above, 100}}}, false, false},
    {"CZCE",  "SR", "SR", CodeForm::CzceLetter, 1,    0.5,  5800,  0.06, 10,   0.15,
     {{{3000, 50}, {10000, 100}, {Above, 200}, {Above, 200}}}, false, false},
    {"SHFE",  "cu", "cu", CodeForm::ShfeLetter, 10,   2,    75000, 0.07, 5,    0.18,
     {{{40000, 500}, {80000, 1000}, {Above, 2000}, {Above, 2000}}}, false, false},
    {"GFEX",  "si", "si", CodeForm::Dashed,     5,    1,    12000, 0.09, 5,    0.28,
     {{{20000, 100}, {40000, 200}, {Above, 400}, {Above, 400}}}, false, false},
    {"CFFEX", "IH", "HO", CodeForm::Dashed,     0.2,  0.2,  2700,  0.10, 300,  0.18,
     {{{2500, 25}, {5000, 50}, {10000, 100}, {Above, 200}}}, true, true},
    {"CFFEX", "IM", "MO", CodeForm::Dashed,     0.2,  0.2,  6000,  0.10, 200,  0.25,
     {{{2500, 25}, {5000, 50}, {10000, 100}, {Above, 200}}}, false, true},
    {"DCE",   "i",  "i",  CodeForm::Dashed,     0.5,  0.1,  800,   0.11, 100,  0.30,
     {{{300, 5}, {1000, 10}, {Above, 20}, {Above, 20}}}, false, false},
    {"CZCE",  "CF", "CF", CodeForm::CzceLetter, 5,    1,    14000, 0.06, 5,    0.16,
     {{{10000, 100}, {20000, 200}, {Above, 400}, {Above, 400}}}, false, false},
    {"CZCE",  "MA", "MA", CodeForm::CzceLetter, 1,    0.5,  2500,  0.07, 10,   0.25,
     {{{2500, 25}, {5000, 50}, {Above, 100}, {Above, 100}}}, false, false},
    {"INE",   "sc", "sc", CodeForm::ShfeLetter, 0.1,  0.05, 630,   0.10, 1000, 0.35,
     {{{250, 2}, {500, 5}, {Above, 10}, {Above, 10}}}, false, false},
    {"SHFE",  "au", "au", CodeForm::ShfeLetter, 0.02, 0.02, 880,   0.08, 1000, 0.16,
     {{{200, 2}, {400, 4}, {Above, 8}, {Above, 8}}}, false, false},
    {"DCE",   "c",  "c",  CodeForm::Dashed,     1,    0.5,  2300,  0.07, 10,   0.14,
     {{{1000, 10}, {3000, 20}, {Above, 40}, {Above, 40}}}, false, false},
    {"GFEX",  "lc", "lc", CodeForm::Dashed,     20,   2,    80000, 0.09, 1,    0.45,
     {{{100000, 1000}, {Above, 2000}, {Above, 2000}, {Above, 2000}}}, false, false},
};
// clang-format on

constexpr int ProductCount = static_cast<int>(std::size(Products));

double IntervalAt(const ProductTerms& product, double level, bool doubled) {
    for (const StrikeBand& band : product.bands) {
        if (level < band.upTo) return doubled ? band.interval * 2 : band.interval;
    }
    return product.bands.back().interval * (doubled ? 2 : 1);
}

double RoundToTick(double value, double tick) {
    return std::round(value / tick) * tick;
}

// Strikes around the money: as many below as above, stepping by the interval of the band
// each strike falls in; when the grid reaches zero the rest goes above.
std::vector<double> StrikeGrid(const ProductTerms& product, double future, int count, bool doubled) {
    double step = IntervalAt(product, future, doubled);
    double center = std::max(step, std::round(future / step) * step);
    std::vector<double> below;
    std::vector<double> above;
    int wantBelow = (count - 1) / 2;
    double strike = center;
    while (static_cast<int>(below.size()) < wantBelow) {
        double next = strike - IntervalAt(product, strike - 1e-9, doubled);
        if (next <= 0) break;
        below.push_back(next);
        strike = next;
    }
    strike = center;
    int wantAbove = count - 1 - static_cast<int>(below.size());
    while (static_cast<int>(above.size()) < wantAbove) {
        strike += IntervalAt(product, strike, doubled);
        above.push_back(strike);
    }
    std::vector<double> strikes(below.rbegin(), below.rend());
    strikes.push_back(center);
    strikes.insert(strikes.end(), above.begin(), above.end());
    return strikes;
}

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
long DaysFromCivil(int year, int month, int day) {
    year -= month <= 2;
    const long era = (year >= 0 ? year : year - 399) / 400;
    const long yearOfEra = year - era * 400;
    const long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

struct ContractMonth {
    int year;
    int month;
};

ContractMonth AddMonths(ContractMonth start, int months) {
    int total = start.year * 12 + (start.month - 1) + months;
    return {total / 12, total % 12 + 1};
}

// Index options expire on the third Friday of their month (about the 17th); commodity
// options early in the month before delivery (about the 7th).
long ExpiryDay(const ProductTerms& product, ContractMonth month) {
    if (product.cffex) return DaysFromCivil(month.year, month.month, 17);
    const ContractMonth before = AddMonths(month, -1);
    return DaysFromCivil(before.year, before.month, 7);
}

std::string MonthText(const ProductTerms& product, ContractMonth month) {
    char text[16];
    if (product.form == CodeForm::CzceLetter) {
        std::snprintf(text, sizeof text, "%d%02d", month.year % 10, month.month);
    } else {
        std::snprintf(text, sizeof text, "%02d%02d", month.year % 100, month.month);
    }
    return text;
}

std::string StrikeText(double strike) {
    char text[32];
    std::snprintf(text, sizeof text, "%.0f", strike);
    return text;
}

std::string OptionCode(const ProductTerms& product, const std::string& month, bool isCall, double strike) {
    std::string code = std::string(product.option) + month;
    if (product.form == CodeForm::Dashed) {
        code += isCall ? "-C-" : "-P-";
    } else {
        code += isCall ? "C" : "P";
    }
    return code + StrikeText(strike);
}

struct MarketShape {
    int products;
    int expiries;
    int strikesPerExpiry;
};

MarketShape ShapeFor(int count) {
    MarketShape shape;
    shape.products = std::clamp(count / 60, 1, ProductCount);
    shape.expiries = std::clamp(static_cast<int>(std::lround(count / (shape.products * 50.0))), 2, 12);
    int futures = shape.products * shape.expiries;
    shape.strikesPerExpiry = std::max(1, static_cast<int>(std::lround((count - futures) / (2.0 * futures))));
    return shape;
}

}  // namespace

Market BuildBuiltInMarket(const BuiltInMarketOptions& options) {
    MarketShape shape = ShapeFor(std::clamp(options.instrumentCount, MinInstrumentCount, MaxInstrumentCount));
    if (options.strikesPerExpiry > 0) shape.strikesPerExpiry = std::min(options.strikesPerExpiry, MaxStrikesPerExpiry);
    const long today = DaysFromCivil(options.date.year, options.date.month, options.date.day);
    const ContractMonth thisMonth{options.date.year, options.date.month};

    Market market;
    for (int p = 0; p < shape.products; ++p) {
        const ProductTerms& product = Products[p];
        // The first month is the nearest whose options have not expired yet.
        ContractMonth first = thisMonth;
        while (ExpiryDay(product, first) <= today + 2) first = AddMonths(first, 1);
        for (int e = 0; e < shape.expiries; ++e) {
            ContractMonth month = AddMonths(first, e);
            std::string monthText = MonthText(product, month);
            const long expiryDay = ExpiryDay(product, month);
            double years = std::max(expiryDay - today, 2L) / 365.0;

            Instrument future;
            future.code = std::string(product.future) + monthText;
            future.exchange = product.exchange;
            future.tick = product.futureTick;
            // Later months trade a little higher (carry).
            future.referencePrice = RoundToTick(product.referencePrice * (1.0 + 0.004 * e), product.futureTick);
            future.limitFraction = product.limitFraction;
            future.multiplier = product.multiplier;
            future.yearsToExpiry = years;
            future.atTheMoneyVolatility = product.volatility;
            future.derivedTurnover = product.form == CodeForm::CzceLetter;
            const int futureIndex = static_cast<int>(market.Size());
            market.Add(future);

            bool doubled = product.quarterlyMonthsDouble && e >= 2 && month.month % 3 == 0;
            for (double strike : StrikeGrid(product, future.referencePrice, shape.strikesPerExpiry, doubled)) {
                for (bool isCall : {true, false}) {
                    Instrument option = future;
                    option.code = OptionCode(product, monthText, isCall, strike);
                    option.isOption = true;
                    option.isCall = isCall;
                    option.strike = strike;
                    option.underlying = futureIndex;
                    option.tick = product.optionTick;
                    option.referencePrice = 0.0;
                    option.multiplier = product.cffex ? 100 : product.multiplier;
                    market.Add(option);
                }
            }
        }
    }
    return market;
}

ListingDate TodaysDate() {
    const auto days = std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now());
    const std::chrono::year_month_day date{days};
    return {static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
            static_cast<int>(static_cast<unsigned>(date.day()))};
}

}  // namespace quillon::hostsim
