#include "board/AnalyticsColumns.h"

#include <chrono>
#include <vector>

#include "board/AnalyticsSettings.h"
#include "board/QuoteGrid.h"
#include "host/WireRecords.h"

namespace quillon::board {

namespace {

long long CurrentMinute() {
    return std::chrono::duration_cast<std::chrono::minutes>(SharedAnalyticsSettings().now().time_since_epoch()).count();
}

}  // namespace

void AnalyticsColumns::Update(HWND owner, const grid::CGridCtrl* underlyingGrid, const grid::CGridCtrl* boardGrid) {
    shown_ = (underlyingGrid && HasAnalyticsColumns(*underlyingGrid)) || (boardGrid && HasAnalyticsColumns(*boardGrid));
    if (!shown_) {
        timer_.Stop();
        return;
    }
    stale_ = true;
    if (!timer_.IsRunning()) timer_.Start(owner, TimerId, IntervalMs);
}

bool AnalyticsColumns::Due() const {
    return shown_ && (stale_ || CurrentMinute() != minute_);
}

void AnalyticsColumns::Rewritten() {
    stale_ = false;
    minute_ = CurrentMinute();
}

const AnalyticsTexts& AnalyticsColumns::OfOption(const std::string& code, const unsigned char* quote,
                                                 const std::string& underlying, std::optional<double> underlyingPrice,
                                                 const OptionTerms& terms) {
    namespace field = host::quote_record;
    const std::array<double, 5> inputs = {
        host::ReadDouble(quote, field::BidPrice), host::ReadDouble(quote, field::AskPrice),
        host::ReadDouble(quote, field::LastPrice), underlyingPrice.value_or(-1), static_cast<double>(CurrentMinute())};
    auto [entry, added] = options_.try_emplace(code);
    Option& option = entry->second;
    if (added || option.inputs != inputs) {
        option.inputs = inputs;
        option.underlying = underlying;
        option.texts = FormatAnalyticsCells({quote, field::Size}, underlyingPrice, terms);
        option.volatilities.strike = terms.strike;
        (terms.isCall ? option.volatilities.call : option.volatilities.put) = option.texts.Volatility();
    }
    return option.texts;
}

std::optional<double> AnalyticsColumns::AtTheMoney(const std::string& underlying, double F) const {
    std::map<double, StrikeVolatilities> byStrike;
    for (const auto& [code, option] : options_) {
        if (option.underlying != underlying) continue;
        StrikeVolatilities& merged = byStrike[option.volatilities.strike];
        merged.strike = option.volatilities.strike;
        if (option.volatilities.call) merged.call = option.volatilities.call;
        if (option.volatilities.put) merged.put = option.volatilities.put;
    }
    std::vector<StrikeVolatilities> strikes;
    for (const auto& [strike, volatilities] : byStrike) strikes.push_back(volatilities);
    return AtTheMoneyVolatility(std::move(strikes), F);
}

}  // namespace quillon::board
