#include "host/HostPayloads.h"

#include <cstring>

#include "host/WireText.h"

namespace quillon::host {

namespace {

template <std::size_t Size>
std::optional<std::array<unsigned char, Size>> CopyRecord(const void* data) {
    std::array<unsigned char, Size> record;
    std::memcpy(record.data(), data, Size);
    return record;
}

}  // namespace

std::optional<std::vector<std::string>> DecodeSlotList(const void* data, int dataLen, std::size_t slotSize) {
    if (dataLen < 0 || slotSize == 0) return std::nullopt;
    std::size_t length = static_cast<std::size_t>(dataLen);
    if (length % slotSize != 0) return std::nullopt;
    std::vector<std::string> texts;
    if (length == 0) return texts;
    if (data == nullptr) return std::nullopt;
    const char* bytes = static_cast<const char*>(data);
    texts.reserve(length / slotSize);
    for (std::size_t offset = 0; offset < length; offset += slotSize) {
        texts.push_back(ReadTextSlot(bytes + offset, slotSize));
    }
    return texts;
}

std::optional<std::vector<std::string>> DecodeExchangeList(int value, const void* data, int dataLen) {
    if (value != 0 || dataLen <= 0) return std::nullopt;
    return DecodeSlotList(data, dataLen, ExchangeSlotSize);
}

std::optional<std::vector<std::string>> DecodeExchangeCodes(int value, const void* data, int dataLen) {
    if (value != 0) return std::nullopt;
    return DecodeSlotList(data, dataLen, CodeSlotSize);
}

std::optional<InstrumentRecordBytes> DecodeInstrumentRecord(int value, const void* data, int dataLen) {
    if (value != 0 || data == nullptr || dataLen != static_cast<int>(instrument_record::Size)) return std::nullopt;
    return CopyRecord<instrument_record::Size>(data);
}

std::optional<std::string> DecodeHostText(int value, const void* data, int dataLen) {
    if (value != 0 || dataLen < 0) return std::nullopt;
    if (dataLen == 0) return std::string();
    if (data == nullptr) return std::nullopt;
    return ReadTextSlot(static_cast<const char*>(data), static_cast<std::size_t>(dataLen));
}

std::optional<std::vector<std::string>> DecodeContractListPush(int value, const void* data, int dataLen) {
    if (value != 0) return std::nullopt;
    return DecodeSlotList(data, dataLen, CodeSlotSize);
}

std::optional<std::vector<std::string>> DecodeContractList(int value, const void* data, int dataLen) {
    if (value != 0) return std::nullopt;
    return DecodeSlotList(data, dataLen, ExchangeSlotSize);
}

std::optional<std::string> DecodeSelectedCode(int value, const void* data, int dataLen) {
    if (value != 0 || data == nullptr || dataLen != static_cast<int>(CodeSlotSize)) return std::nullopt;
    return ReadTextSlot(static_cast<const char*>(data), CodeSlotSize);
}

std::optional<QuoteRecordBytes> DecodeQuote(int value, const void* data, int dataLen) {
    if (value != 0 || data == nullptr || dataLen < static_cast<int>(quote_record::Size)) return std::nullopt;
    return CopyRecord<quote_record::Size>(data);
}

}  // namespace quillon::host
