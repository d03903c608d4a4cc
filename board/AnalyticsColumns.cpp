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

int ViewTop(const grid::CGridCtrl* grid) {
    return grid != nullptr ? grid->GetTopLeftNonFixedCell().row : -1;
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

AnalyticsColumns::RowWindow AnalyticsColumns::RowsNearTheView(const grid::CGridCtrl& grid) {
    const grid::GridCellRange visible = grid.GetVisibleNonFixedCellRange();
    if (visible.minRow < 0 || visible.maxRow < visible.minRow) return {};
    const int span = visible.maxRow - visible.minRow + 1;
    return {visible.minRow - span, visible.maxRow + span};
}

bool AnalyticsColumns::Due(const grid::CGridCtrl* boardGrid) const {
    return shown_ && (stale_ || CurrentMinute() != minute_ || ViewTop(boardGrid) != viewTop_);
}

void AnalyticsColumns::Rewritten(const grid::CGridCtrl* boardGrid) {
    stale_ = false;
    minute_ = CurrentMinute();
    viewTop_ = ViewTop(boardGrid);
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
        // An option off the view keeps what it was computed from when the money moved.
        if (option.underlying != underlying || option.inputs[3] != F) continue;
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
