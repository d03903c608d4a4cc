// Every payload the host sends, through its shape check and decoder: a decoded value only
// for a well-shaped payload, never a byte read outside it, texts that fit their slots.
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "FuzzRequire.h"
#include "host/HostPayloads.h"
#include "host/WireText.h"

namespace {

using namespace quillon::host;

// The arrival as the callback would have made it.
struct Arrival {
    int value = 0;
    const unsigned char* data = nullptr;
    int dataLen = 0;
};

// Each text is the start of its slot up to the first NUL.
void CheckSlotTexts(const std::vector<std::string>& texts, const Arrival& arrival, std::size_t slotSize) {
    FUZZ_REQUIRE(texts.size() * slotSize == static_cast<std::size_t>(arrival.dataLen));
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const std::string& text = texts[i];
        const unsigned char* slot = arrival.data + i * slotSize;
        FUZZ_REQUIRE(text.size() <= slotSize);
        FUZZ_REQUIRE(text.find('\0') == std::string::npos);
        FUZZ_REQUIRE(std::memcmp(text.data(), slot, text.size()) == 0);
        FUZZ_REQUIRE(text.size() == slotSize || slot[text.size()] == '\0');
    }
}

bool IsSlotListShape(const Arrival& arrival, std::size_t slotSize) {
    if (arrival.value != 0 || arrival.dataLen < 0) return false;
    if (arrival.dataLen == 0) return true;
    return arrival.data != nullptr && static_cast<std::size_t>(arrival.dataLen) % slotSize == 0;
}

void CheckSlotList(const std::optional<std::vector<std::string>>& texts, const Arrival& arrival, std::size_t slotSize,
                   bool emptyAllowed) {
    const bool wellShaped = IsSlotListShape(arrival, slotSize) && (emptyAllowed || arrival.dataLen > 0);
    FUZZ_REQUIRE(texts.has_value() == wellShaped);
    if (texts) CheckSlotTexts(*texts, arrival, slotSize);
}

void CheckEveryDecoder(const Arrival& arrival) {
    const auto [value, data, dataLen] = arrival;
    const bool hasBytes = value == 0 && data != nullptr;

    CheckSlotList(DecodeExchangeList(value, data, dataLen), arrival, ExchangeSlotSize, false);
    CheckSlotList(DecodeExchangeCodes(value, data, dataLen), arrival, CodeSlotSize, true);
    CheckSlotList(DecodeContractListPush(value, data, dataLen), arrival, CodeSlotSize, true);
    CheckSlotList(DecodeContractList(value, data, dataLen), arrival, ExchangeSlotSize, true);

    std::optional<InstrumentRecordBytes> instrument = DecodeInstrumentRecord(value, data, dataLen);
    FUZZ_REQUIRE(instrument.has_value() == (hasBytes && dataLen == int(InstrumentRecordBytes().size())));
    if (instrument) FUZZ_REQUIRE(std::memcmp(instrument->data(), data, instrument->size()) == 0);

    std::optional<QuoteRecordBytes> quote = DecodeQuote(value, data, dataLen);
    FUZZ_REQUIRE(quote.has_value() == (hasBytes && dataLen >= int(QuoteRecordBytes().size())));
    if (quote) FUZZ_REQUIRE(std::memcmp(quote->data(), data, quote->size()) == 0);

    std::optional<std::string> selected = DecodeSelectedCode(value, data, dataLen);
    FUZZ_REQUIRE(selected.has_value() == (hasBytes && dataLen == int(CodeSlotSize)));
    if (selected) CheckSlotTexts({*selected}, arrival, CodeSlotSize);

    std::optional<std::string> hostText = DecodeHostText(value, data, dataLen);
    FUZZ_REQUIRE(hostText.has_value() == (value == 0 && (dataLen == 0 || (dataLen > 0 && data != nullptr))));
    if (hostText && dataLen > 0) CheckSlotTexts({*hostText}, {value, data, dataLen}, std::size_t(dataLen));
    if (hostText && dataLen == 0) FUZZ_REQUIRE(hostText->empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* input, std::size_t size) {
    if (size < 2) return 0;
    // Byte 0: how the host describes the payload; byte 1: a slot size for the generic
    // splitter; the rest: the payload, copied to a buffer of exactly its size.
    const std::uint8_t shape = input[0];
    const std::size_t slotSize = input[1];
    std::vector<unsigned char> payload(input + 2, input + size);
    const int length = static_cast<int>(payload.size());

    Arrival arrival{0, payload.empty() ? nullptr : payload.data(), length};
    if (shape & 1) arrival.value = (shape & 2) ? -1 : static_cast<int>(shape >> 2) + 1;
    switch ((shape >> 4) & 3) {
        case 1:  // a host that announces bytes it does not pass
            arrival.data = nullptr;
            break;
        case 2:  // a negative length
            arrival.dataLen = -length - 1;
            break;
        case 3:  // a length of zero with bytes behind it
            arrival.dataLen = 0;
            break;
    }
    CheckEveryDecoder(arrival);

    std::optional<std::vector<std::string>> slots = DecodeSlotList(arrival.data, arrival.dataLen, slotSize);
    if (slotSize == 0) {
        FUZZ_REQUIRE(!slots.has_value());
    } else {
        FUZZ_REQUIRE(slots.has_value() == IsSlotListShape({0, arrival.data, arrival.dataLen}, slotSize));
        if (slots) CheckSlotTexts(*slots, {0, arrival.data, arrival.dataLen}, slotSize);
    }
    return 0;
}
