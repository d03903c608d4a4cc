#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quillon::host {

// The empty-price marker: the largest finite double. It prints as "-".
inline constexpr double EmptyPrice = 1.7976931348623157e308;

// InstrumentRecord: the 400-byte payload of HOSTMSG_INSTRUMENT. Fields are read at their
// offsets with memcpy; the record is kept whole.
namespace instrument_record {
inline constexpr std::size_t Size = 400;
inline constexpr std::size_t CodeOffset = 0;
inline constexpr std::size_t CodeWidth = 64;
inline constexpr std::size_t ExchangeOffset = 64;
// The exchange text is NUL-terminated; it is read no further than the product class.
inline constexpr std::size_t ExchangeWidth = 232 - 64;
inline constexpr std::size_t ProductClassOffset = 232;
inline constexpr std::size_t PriceTickOffset = 264;
inline constexpr char OptionClass = '2';
static_assert(CodeOffset + CodeWidth <= ExchangeOffset && ExchangeOffset + ExchangeWidth <= ProductClassOffset &&
                  PriceTickOffset + sizeof(double) <= Size,
              "the instrument record's fields follow each other inside its 400 bytes");
}  // namespace instrument_record

// QuoteRecord: the 592-byte payload of HOSTMSG_QUOTE_PUSH and HOSTMSG_QUOTE_REPLY.
namespace quote_record {
inline constexpr std::size_t Size = 592;
inline constexpr std::size_t CodeOffset = 9;
inline constexpr std::size_t CodeWidth = 31;
inline constexpr std::size_t LastPrice = 120;
inline constexpr std::size_t PreSettlement = 128;
inline constexpr std::size_t PreClose = 136;
inline constexpr std::size_t PreOpenInterest = 144;
inline constexpr std::size_t OpenPrice = 152;
inline constexpr std::size_t HighPrice = 160;
inline constexpr std::size_t LowPrice = 168;
inline constexpr std::size_t Volume = 176;  // int32
inline constexpr std::size_t Turnover = 184;
inline constexpr std::size_t OpenInterest = 192;
inline constexpr std::size_t ClosePrice = 200;
inline constexpr std::size_t SettlementPrice = 208;
inline constexpr std::size_t UpperLimit = 216;
inline constexpr std::size_t LowerLimit = 224;
inline constexpr std::size_t UpdateTimeOffset = 248;
inline constexpr std::size_t UpdateTimeWidth = 16;
inline constexpr std::size_t BidPrice = 264;
inline constexpr std::size_t BidVolume = 272;  // int32
inline constexpr std::size_t AskPrice = 280;
inline constexpr std::size_t AskVolume = 288;  // int32
static_assert(CodeOffset + CodeWidth <= LastPrice && LowerLimit + sizeof(double) <= UpdateTimeOffset &&
                  UpdateTimeOffset + UpdateTimeWidth <= BidPrice && AskVolume + sizeof(std::int32_t) <= Size,
              "the quote record's fields follow each other inside its 592 bytes");
}  // namespace quote_record

// Field reads and writes at a byte offset. The caller guarantees the record is at least
// offset + width bytes long.
double ReadDouble(const unsigned char* record, std::size_t offset);
std::int32_t ReadInt32(const unsigned char* record, std::size_t offset);
void WriteDouble(unsigned char* record, std::size_t offset, double value);
void WriteInt32(unsigned char* record, std::size_t offset, std::int32_t value);
// NUL-terminated text within `width` bytes, never read past them.
std::string ReadText(const unsigned char* record, std::size_t offset, std::size_t width);
// Zero-fills `width` bytes and copies at most width - 1 bytes of text.
void WriteText(unsigned char* record, std::size_t offset, std::size_t width, const std::string& text);

// Named accessors of an InstrumentRecord (at least instrument_record::Size bytes).
std::string InstrumentCode(const unsigned char* record);
std::string InstrumentExchange(const unsigned char* record);
char InstrumentProductClass(const unsigned char* record);
double InstrumentPriceTick(const unsigned char* record);

// The code of a QuoteRecord (at least quote_record::Size bytes), read within its 31 bytes.
std::string QuoteCode(const unsigned char* record);

}  // namespace quillon::host
