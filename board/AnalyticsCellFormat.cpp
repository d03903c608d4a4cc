#include "board/AnalyticsCellFormat.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

#include "board/AnalyticsSettings.h"
#include "board/QuoteCellFormat.h"
#include "host/WireRecords.h"
#include "model/CodeFormat.h"

namespace quillon::board {

namespace {

namespace field = host::quote_record;
using analytics::ImpliedVolatility;

// A quoted price: neither the empty-price marker, nor zero or below (no bid), nor NaN.
std::optional<double> QuotedPrice(const unsigned char* quote, std::size_t offset) {
    const double value = host::ReadDouble(quote, offset);
    if (!std::isfinite(value) || value <= 0 || model::NearlyEqual(value, host::EmptyPrice)) return std::nullopt;
    return value;
}

std::string Fixed(double value, int decimals) {
    if (!std::isfinite(value)) return "-";
    std::array<char, 64> buffer;
    auto [end, error] =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, decimals);
    if (error != std::errc{}) return "-";
    std::string text(buffer.data(), end);
    // A value that rounds to zero shows no sign.
    if (text.find_first_not_of("-0.") == std::string::npos && text[0] == '-') text.erase(0, 1);
    return text;
}

std::string Percent(std::optional<double> volatility) {
    return volatility ? Fixed(*volatility * 100, 2) : "-";
}

// The price a quote stands for: the middle of bid and ask when both are quoted, else the
// last price. Column 52 takes it for the option, every column for the underlying's price.
std::optional<double> MiddleElseLast(const unsigned char* quote) {
    const auto bid = QuotedPrice(quote, field::BidPrice);
    const auto ask = QuotedPrice(quote, field::AskPrice);
    if (bid && ask) return (*bid + *ask) / 2;
    return QuotedPrice(quote, field::LastPrice);
}

}  // namespace

const ColumnCaptions& AnalyticsColumnCaptions() {
    static const ColumnCaptions captions = {
        {50, "买隐波"}, {51, "卖隐波"},   {52, "隐含波动率"}, {53, "Delta"},   {54, "Gamma"},    {55, "Vega"},
        {56, "Theta"},  {57, "内在价值"}, {58, "时间价值"},   {59, "虚实度%"}, {60, "剩余天数"},
    };
    return captions;
}

std::optional<double> UnderlyingPrice(std::span<const unsigned char> underlyingQuote) {
    if (!IsCompleteQuote(underlyingQuote.size())) return std::nullopt;
    return MiddleElseLast(underlyingQuote.data());
}

std::optional<OptionTerms> MakeOptionTerms(const std::string& optionCode, const std::string& exchange, double tick,
                                           std::chrono::system_clock::time_point now) {
    const std::optional<model::OptionCodeParts> parts = model::ParseOptionCode(optionCode, exchange);
    if (!parts) return std::nullopt;
    AnalyticsSettings& settings = SharedAnalyticsSettings();
    OptionTerms terms;
    terms.isCall = parts->isCall;
    terms.tick = tick;
    terms.rate = settings.riskFreeRate;
    terms.years = -1;
    terms.daysToExpiry = -1;
    double strike = 0;
    const std::string& text = parts->strike;
    auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), strike);
    if (error == std::errc() && stop == text.data() + text.size()) terms.strike = strike;
    const std::optional<analytics::ContractMonth> month =
        analytics::ParseContractMonth(parts->underlying, analytics::BeijingDate(now).year);
    if (!month) return terms;
    terms.style = settings.schedule.StyleOf(exchange, month->product);
    bool pastCalendar = false;
    const std::optional<analytics::CivilDate> expiry =
        settings.schedule.ExpiryDate(exchange, month->product, month->year, month->month, &pastCalendar);
    if (!expiry) return terms;
    if (pastCalendar && !settings.loggedPastCalendar) {
        settings.loggedPastCalendar = true;
        if (settings.log) {
            settings.log("expiry dates after " + std::to_string(settings.schedule.CalendarThrough()) +
                         " count weekdays only: no exchange closures are listed for those years");
        }
    }
    terms.years = analytics::YearsToExpiry(*expiry, now);
    terms.daysToExpiry = analytics::CalendarDaysToExpiry(*expiry, now);
    return terms;
}

const std::string& AnalyticsTexts::For(ColumnId sideId) const {
    static const std::string dash = "-";
    if (sideId < FirstAnalyticsColumnId || sideId > LastAnalyticsColumnId) return dash;
    return texts_[sideId - FirstAnalyticsColumnId];
}

AnalyticsTexts FormatAnalyticsCells(std::span<const unsigned char> optionQuote, std::optional<double> underlyingPrice,
                                    const OptionTerms& terms) {
    AnalyticsTexts cells;
    for (std::string& text : cells.texts_) text.assign(1, '-');
    auto set = [&](ColumnId id, std::string text) { cells.texts_[id - FirstAnalyticsColumnId] = std::move(text); };
    if (!IsCompleteQuote(optionQuote.size())) return cells;
    const unsigned char* quote = optionQuote.data();
    if (terms.daysToExpiry >= 0) set(60, std::to_string(terms.daysToExpiry));  // 剩余天数
    if (!underlyingPrice || !(*underlyingPrice > 0) || !(terms.strike > 0)) return cells;
    const double F = *underlyingPrice;
    const double K = terms.strike;
    const double intrinsic = std::max(terms.isCall ? F - K : K - F, 0.0);

    auto volatilityOf = [&](std::optional<double> price) -> std::optional<double> {
        if (!price) return std::nullopt;
        return ImpliedVolatility(terms.style, terms.isCall, *price, F, K, terms.years, terms.rate);
    };
    cells.bidVolatility_ = volatilityOf(QuotedPrice(quote, field::BidPrice));
    cells.askVolatility_ = volatilityOf(QuotedPrice(quote, field::AskPrice));
    set(50, Percent(cells.bidVolatility_));  // 买隐波
    set(51, Percent(cells.askVolatility_));  // 卖隐波
    const std::optional<double> price = MiddleElseLast(quote);
    const std::optional<double> volatility = volatilityOf(price);
    set(52, Percent(volatility));  // 隐含波动率
    cells.volatility_ = volatility;
    if (volatility) {
        const analytics::Greeks greeks =
            analytics::OptionGreeks(terms.style, terms.isCall, F, K, terms.years, terms.rate, *volatility);
        set(53, Fixed(greeks.delta, 4));
        set(54, Fixed(greeks.gamma, 6));
        set(55, Fixed(greeks.vega, 4));
        set(56, Fixed(greeks.theta, 4));
    }
    set(57, model::FormatPrice(intrinsic, terms.tick));                      // 内在价值
    if (price) set(58, model::FormatPrice(*price - intrinsic, terms.tick));  // 时间价值
    set(59, Fixed((terms.isCall ? F - K : K - F) / K * 100, 2));             // 虚实度%
    return cells;
}

AnalyticsTexts FormatUnderlyingAnalyticsCells(std::optional<double> atTheMoneyVolatility, int daysToExpiry) {
    AnalyticsTexts cells;
    for (std::string& text : cells.texts_) text.assign(1, '-');
    cells.texts_[52 - FirstAnalyticsColumnId] = Percent(atTheMoneyVolatility);
    cells.volatility_ = atTheMoneyVolatility;
    if (daysToExpiry >= 0) cells.texts_[60 - FirstAnalyticsColumnId] = std::to_string(daysToExpiry);
    return cells;
}

std::optional<double> AtTheMoneyVolatility(std::vector<StrikeVolatilities> strikes, double F) {
    std::vector<std::pair<double, double>> points;  // strike, volatility
    for (const StrikeVolatilities& s : strikes) {
        if (s.call && s.put) {
            points.emplace_back(s.strike, (*s.call + *s.put) / 2);
        } else if (s.call || s.put) {
            points.emplace_back(s.strike, s.call ? *s.call : *s.put);
        }
    }
    std::sort(points.begin(), points.end());
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (points[i].first == F) return points[i].second;
        if (i + 1 < points.size() && points[i].first < F && F < points[i + 1].first) {
            const auto [k0, v0] = points[i];
            const auto [k1, v1] = points[i + 1];
            return v0 + (v1 - v0) * (F - k0) / (k1 - k0);
        }
    }
    return std::nullopt;
}

bool NearTheMoney(const std::vector<double>& chainStrikes, double strike, double F, int band) {
    const auto begin = chainStrikes.begin();
    const auto end = chainStrikes.end();
    const auto found = std::lower_bound(begin, end, strike);
    if (found == end || *found != strike) return false;
    const std::ptrdiff_t place = found - begin;
    const std::ptrdiff_t money = std::lower_bound(begin, end, F) - begin;
    return place >= money - band && place < money + band;
}

}  // namespace quillon::board
