#include "board/QuoteCellFormat.h"

#include <array>
#include <charconv>
#include <cmath>
#include <system_error>

#include "host/WireRecords.h"
#include "model/CodeFormat.h"

namespace quillon::board {

namespace {

namespace field = host::quote_record;

bool IsEmptyPrice(double value) {
    return model::NearlyEqual(host::EmptyPrice, std::fabs(value));
}

// Red at or above the comparison, also when the two cannot be ordered (a NaN); green below.
QuoteTextColour Compare(double value, double comparison) {
    return value < comparison ? QuoteTextColour::Fall : QuoteTextColour::Rise;
}

// Fixed-point text, rounded as printf's "%.*f" rounds (exactly, ties to even) in every C
// runtime, written straight into a stack buffer: there are 22 of these per quote. A field
// holding the empty-price marker (or no number at all) prints "-": a trader must never see
// 309 digits or "nan" in a cell.
std::string FormatFixed(double value, int decimals) {
    if (IsEmptyPrice(value) || !std::isfinite(value)) return "-";
    std::array<char, 512> buffer;  // the largest finite double with 2 decimals needs 312
    auto [end, error] =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, decimals);
    if (error != std::errc{}) return "-";
    return std::string(buffer.data(), end);
}

std::string FormatCount(std::int32_t value) {
    return std::to_string(value);
}

// The host counts volume as a 32-bit word; the difference wraps as that word does.
std::int32_t VolumeDifference(std::int32_t volume, std::int32_t previousVolume) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(volume) - static_cast<std::uint32_t>(previousVolume));
}

QuoteCellText PriceAgainstReference(const unsigned char* quote, std::size_t offset, double reference, double tick) {
    double value = host::ReadDouble(quote, offset);
    return {model::FormatPrice(value, tick), Compare(value, reference)};
}

QuoteCellText PlainPrice(const unsigned char* quote, std::size_t offset, double tick) {
    return {model::FormatPrice(host::ReadDouble(quote, offset), tick), QuoteTextColour::None};
}

// "涨跌": last price minus the reference. When either side is empty there is no change to
// show; the subtraction would print a zero or the marker itself.
QuoteCellText Change(double last, double reference, double tick) {
    if (IsEmptyPrice(last) || IsEmptyPrice(reference)) return {"-", QuoteTextColour::Rise};
    double change = last - reference;
    if (!std::isfinite(change)) return {"-", Compare(change, 0.0)};
    return {model::FormatPrice(change, tick), Compare(change, 0.0)};
}

// "涨跌幅%": the change in percent of the reference. Without a usable reference (zero or
// empty) or last price the quotient is meaningless; it shows "-", red as any value that
// cannot be ordered.
QuoteCellText ChangePercent(double last, double reference) {
    if (IsEmptyPrice(last) || IsEmptyPrice(reference) || reference == 0.0) return {"-", QuoteTextColour::Rise};
    double percent = (last - reference) / reference * 100.0;
    if (!std::isfinite(percent)) return {"-", QuoteTextColour::Rise};
    return {FormatFixed(percent, 2), Compare(percent, 0.0)};
}

}  // namespace

bool IsCompleteQuote(std::size_t length) {
    return length >= field::Size;
}

double ReferencePrice(const unsigned char* quote) {
    double settlement = host::ReadDouble(quote, field::PreSettlement);
    return IsEmptyPrice(settlement) ? host::ReadDouble(quote, field::OpenPrice) : settlement;
}

std::optional<QuoteCellText> FormatQuoteCell(int sideId, std::span<const unsigned char> quoteBytes,
                                             std::span<const unsigned char> previousBytes, double tick) {
    if (sideId < FirstQuoteColumnId || sideId > LastQuoteColumnId) return std::nullopt;
    if (!IsCompleteQuote(quoteBytes.size())) return std::nullopt;
    const unsigned char* quote = quoteBytes.data();
    const unsigned char* previous = IsCompleteQuote(previousBytes.size()) ? previousBytes.data() : nullptr;
    const double reference = ReferencePrice(quote);
    const double last = host::ReadDouble(quote, field::LastPrice);

    switch (sideId) {
        case 1:  // 最新价
            return PriceAgainstReference(quote, field::LastPrice, reference, tick);
        case 2:  // 涨跌
            return Change(last, reference, tick);
        case 3:  // 涨跌幅%
            return ChangePercent(last, reference);
        case 4:  // 买价
            return PriceAgainstReference(quote, field::BidPrice, reference, tick);
        case 5:  // 买量
            return QuoteCellText{FormatCount(host::ReadInt32(quote, field::BidVolume))};
        case 6:  // 卖价
            return PriceAgainstReference(quote, field::AskPrice, reference, tick);
        case 7:  // 卖量
            return QuoteCellText{FormatCount(host::ReadInt32(quote, field::AskVolume))};
        case 8:  // 持仓量
            return QuoteCellText{FormatFixed(host::ReadDouble(quote, field::OpenInterest), 0)};
        case 9:  // 开盘价
            return PriceAgainstReference(quote, field::OpenPrice, reference, tick);
        case 10:  // 昨结算价
            return PlainPrice(quote, field::PreSettlement, tick);
        case 11: {  // 现量: the volume traded since the previous quote
            std::int32_t difference = previous ? VolumeDifference(host::ReadInt32(quote, field::Volume),
                                                                  host::ReadInt32(previous, field::Volume))
                                               : 0;
            return QuoteCellText{FormatCount(difference)};
        }
        case 12:  // 最高价
            return PriceAgainstReference(quote, field::HighPrice, reference, tick);
        case 13:  // 最低价
            return PriceAgainstReference(quote, field::LowPrice, reference, tick);
        case 14:  // 收盘价
            return PriceAgainstReference(quote, field::ClosePrice, reference, tick);
        case 15:  // 成交量
            return QuoteCellText{FormatCount(host::ReadInt32(quote, field::Volume))};
        case 16:  // 成交金额
            return QuoteCellText{FormatFixed(host::ReadDouble(quote, field::Turnover), 2)};
        case 17:  // 涨停价
            return PriceAgainstReference(quote, field::UpperLimit, reference, tick);
        case 18:  // 跌停价
            return PriceAgainstReference(quote, field::LowerLimit, reference, tick);
        case 19:  // 结算价
            return PlainPrice(quote, field::SettlementPrice, tick);
        case 20:  // 昨收价
            return PlainPrice(quote, field::PreClose, tick);
        case 21:  // 昨持仓量
            return QuoteCellText{FormatFixed(host::ReadDouble(quote, field::PreOpenInterest), 0)};
        case 22:  // 更新时间
            return QuoteCellText{host::ReadText(quote, field::UpdateTimeOffset, field::UpdateTimeWidth)};
    }
    return std::nullopt;
}

int PriceChange(int sideId, std::span<const unsigned char> quote, std::span<const unsigned char> previousQuote) {
    if (!IsCompleteQuote(quote.size()) || !IsCompleteQuote(previousQuote.size())) return 0;
    std::size_t offset = 0;
    switch (sideId) {
        case 1:
            offset = field::LastPrice;
            break;
        case 4:
            offset = field::BidPrice;
            break;
        case 6:
            offset = field::AskPrice;
            break;
        case 9:
            offset = field::OpenPrice;
            break;
        case 10:
            offset = field::PreSettlement;
            break;
        case 12:
            offset = field::HighPrice;
            break;
        case 13:
            offset = field::LowPrice;
            break;
        case 14:
            offset = field::ClosePrice;
            break;
        case 17:
            offset = field::UpperLimit;
            break;
        case 18:
            offset = field::LowerLimit;
            break;
        case 19:
            offset = field::SettlementPrice;
            break;
        case 20:
            offset = field::PreClose;
            break;
        default:
            return 0;
    }
    const double now = host::ReadDouble(quote.data(), offset);
    const double before = host::ReadDouble(previousQuote.data(), offset);
    if (IsEmptyPrice(now) || IsEmptyPrice(before) || !std::isfinite(now) || !std::isfinite(before)) return 0;
    return now > before ? 1 : now < before ? -1 : 0;
}

}  // namespace quillon::board
