#include "board/AnalyticsCellFormat.h"

#include <array>
#include <charconv>
#include <cmath>

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

// The option's own price column 52 takes: the middle of bid and ask when both are
// quoted, else the last price.
std::optional<double> OptionPrice(const unsigned char* quote) {
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
    const unsigned char* quote = underlyingQuote.data();
    const auto bid = QuotedPrice(quote, field::BidPrice);
    const auto ask = QuotedPrice(quote, field::AskPrice);
    if (bid && ask) return (*bid + *ask) / 2;
    return QuotedPrice(quote, field::LastPrice);
}

std::optional<std::string> FormatAnalyticsCell(ColumnId sideId, std::span<const unsigned char> optionQuote,
                                               std::optional<double> underlyingPrice, const OptionTerms& terms) {
    if (sideId < FirstAnalyticsColumnId || sideId > LastAnalyticsColumnId) return std::nullopt;
    if (!IsCompleteQuote(optionQuote.size())) return std::nullopt;
    const unsigned char* quote = optionQuote.data();
    if (sideId == 60) return terms.daysToExpiry >= 0 ? std::to_string(terms.daysToExpiry) : std::string("-");
    if (!underlyingPrice || !(*underlyingPrice > 0) || !(terms.strike > 0)) return std::string("-");
    const double F = *underlyingPrice;
    const double K = terms.strike;
    const double intrinsic = std::max(terms.isCall ? F - K : K - F, 0.0);

    auto volatilityOf = [&](std::optional<double> price) -> std::optional<double> {
        if (!price) return std::nullopt;
        return ImpliedVolatility(terms.style, terms.isCall, *price, F, K, terms.years, terms.rate);
    };
    switch (sideId) {
        case 50:  // 买隐波
            return Percent(volatilityOf(QuotedPrice(quote, field::BidPrice)));
        case 51:  // 卖隐波
            return Percent(volatilityOf(QuotedPrice(quote, field::AskPrice)));
        case 52:  // 隐含波动率
            return Percent(volatilityOf(OptionPrice(quote)));
        case 53:
        case 54:
        case 55:
        case 56: {  // Delta, Gamma, Vega, Theta at column 52's volatility
            const std::optional<double> volatility = volatilityOf(OptionPrice(quote));
            if (!volatility) return std::string("-");
            const analytics::Greeks greeks =
                analytics::OptionGreeks(terms.style, terms.isCall, F, K, terms.years, terms.rate, *volatility);
            if (sideId == 53) return Fixed(greeks.delta, 4);
            if (sideId == 54) return Fixed(greeks.gamma, 6);
            if (sideId == 55) return Fixed(greeks.vega, 4);
            return Fixed(greeks.theta, 4);
        }
        case 57:  // 内在价值
            return model::FormatPrice(intrinsic, terms.tick);
        case 58: {  // 时间价值
            const std::optional<double> price = OptionPrice(quote);
            return price ? model::FormatPrice(*price - intrinsic, terms.tick) : std::string("-");
        }
        case 59:  // 虚实度%
            return Fixed((terms.isCall ? F - K : K - F) / K * 100, 2);
    }
    return std::nullopt;
}

}  // namespace quillon::board
