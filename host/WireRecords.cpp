#include "host/WireRecords.h"

#include <algorithm>
#include <cstring>

namespace quillon::host {

double ReadDouble(const unsigned char* record, std::size_t offset) {
    double value;
    std::memcpy(&value, record + offset, sizeof value);
    return value;
}

std::int32_t ReadInt32(const unsigned char* record, std::size_t offset) {
    std::int32_t value;
    std::memcpy(&value, record + offset, sizeof value);
    return value;
}

void WriteDouble(unsigned char* record, std::size_t offset, double value) {
    std::memcpy(record + offset, &value, sizeof value);
}

void WriteInt32(unsigned char* record, std::size_t offset, std::int32_t value) {
    std::memcpy(record + offset, &value, sizeof value);
}

std::string ReadText(const unsigned char* record, std::size_t offset, std::size_t width) {
    const char* start = reinterpret_cast<const char*>(record + offset);
    const void* end = std::memchr(start, '\0', width);
    std::size_t length = end ? static_cast<std::size_t>(static_cast<const char*>(end) - start) : width;
    return std::string(start, length);
}

void WriteText(unsigned char* record, std::size_t offset, std::size_t width, const std::string& text) {
    if (width == 0) return;
    std::memset(record + offset, 0, width);
    std::size_t length = std::min(std::strlen(text.c_str()), width - 1);
    std::memcpy(record + offset, text.data(), length);
}

std::string InstrumentCode(const unsigned char* record) {
    return ReadText(record, instrument_record::CodeOffset, instrument_record::CodeWidth);
}

std::string InstrumentExchange(const unsigned char* record) {
    return ReadText(record, instrument_record::ExchangeOffset, instrument_record::ExchangeWidth);
}

char InstrumentProductClass(const unsigned char* record) {
    return static_cast<char>(record[instrument_record::ProductClassOffset]);
}

double InstrumentPriceTick(const unsigned char* record) {
    return ReadDouble(record, instrument_record::PriceTickOffset);
}

std::string QuoteCode(const unsigned char* record) {
    return ReadText(record, quote_record::CodeOffset, quote_record::CodeWidth);
}

}  // namespace quillon::host
