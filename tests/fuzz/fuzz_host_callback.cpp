// The host's thread entering the program: the type filter, the payload copy and the
// hand-over to the sink, for sinks that take the record, free it at once, refuse it, or
// are missing. Every record made is freed exactly once, whatever happens.
#include <cstdint>
#include <cstring>
#include <vector>

#include "FuzzRequire.h"
#include "host/HostCallback.h"

namespace {

using namespace quillon::host;

bool IsAcceptedByTheProtocol(int msgType) {
    if (msgType >= 0x1000 && msgType <= 0x1FFF) return true;
    for (int accepted : {0x3002, 0x3004, 0x3006, 0x6002, 0x7003, 0x7006, 0x7008, 0x700A, 0x7012, 0x8012}) {
        if (msgType == accepted) return true;
    }
    return false;
}

// What the message being delivered looks like, for the sinks to compare against.
struct Delivery {
    int msgType = 0;
    int value = 0;
    int requestId = 0;
    const unsigned char* data = nullptr;
    int dataLen = 0;
    int handedOver = 0;
};
Delivery current;
std::vector<ArrivalRecord*> kept;

void CheckRecord(const ArrivalRecord* record, const Delivery& delivery) {
    FUZZ_REQUIRE(record != nullptr);
    FUZZ_REQUIRE(record->msgType == delivery.msgType);
    FUZZ_REQUIRE(record->value == delivery.value);
    FUZZ_REQUIRE(record->requestId == delivery.requestId);
    const bool hasBytes = delivery.dataLen > 0 && delivery.data != nullptr;
    FUZZ_REQUIRE(record->dataLen == delivery.dataLen);
    FUZZ_REQUIRE((record->data != nullptr) == hasBytes);
    // The copy is the receiver's own: not the host's buffer, same bytes.
    if (hasBytes) {
        FUZZ_REQUIRE(record->data != delivery.data);
        FUZZ_REQUIRE(std::memcmp(record->data, delivery.data, std::size_t(record->dataLen)) == 0);
    }
}

bool SinkThatKeeps(ArrivalRecord* record) {
    CheckRecord(record, current);
    ++current.handedOver;
    kept.push_back(record);
    return true;
}

bool SinkThatFreesAtOnce(ArrivalRecord* record) {
    CheckRecord(record, current);
    ++current.handedOver;
    FreeArrivalRecord(record);
    return true;
}

bool SinkThatRefuses(ArrivalRecord* record) {
    CheckRecord(record, current);
    ++current.handedOver;
    return false;
}

constexpr ArrivalSink Sinks[] = {nullptr, SinkThatKeeps, SinkThatFreesAtOnce, SinkThatRefuses};

std::int32_t ReadWord(const std::uint8_t* bytes) {
    std::uint32_t word;
    std::memcpy(&word, bytes, sizeof word);
    return static_cast<std::int32_t>(word);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* input, std::size_t size) {
    const int backlogBefore = ArrivalBacklog();
    // A run of messages, each: sink byte, type, value, request id (int32 each), a length
    // byte, then that many payload bytes (fewer at the end of the input).
    constexpr std::size_t MessageHeader = 1 + 3 * 4 + 1;
    std::size_t at = 0;
    while (size - at >= MessageHeader) {
        const std::uint8_t how = input[at];
        ArrivalSink sink = Sinks[how % 4];
        current = Delivery{};
        // Mostly types near the protocol's, so the accepted ones are found often.
        const std::int32_t typeWord = ReadWord(input + at + 1);
        current.msgType = (how & 0x80) ? typeWord : 0x1000 * ((typeWord >> 12) & 0xF) + (typeWord & 0xFFF) % 0x20;
        current.value = ReadWord(input + at + 5);
        current.requestId = ReadWord(input + at + 9);
        const std::size_t announced = input[at + 13];
        at += MessageHeader;
        const std::size_t length = std::min(announced, size - at);
        std::vector<unsigned char> payload(input + at, input + at + length);
        at += length;
        current.data = payload.empty() || (how & 0x10) ? nullptr : payload.data();
        current.dataLen = (how & 0x20) ? -static_cast<int>(length) - 1 : static_cast<int>(length);

        SetArrivalSink(sink);
        const int backlog = ArrivalBacklog();
        const int result =
            HostCallback(current.msgType, current.value, current.data, current.dataLen, current.requestId);
        const bool accepted = IsAcceptedByTheProtocol(current.msgType);
        FUZZ_REQUIRE(IsAcceptedHostMessage(current.msgType) == accepted);
        FUZZ_REQUIRE(result == (accepted ? 0 : -1));
        FUZZ_REQUIRE(current.handedOver == (accepted && sink != nullptr ? 1 : 0));
        FUZZ_REQUIRE(ArrivalBacklog() == backlog + (accepted && sink == SinkThatKeeps ? 1 : 0));

        // The copy on its own, as receivers and tests make it.
        ArrivalRecordPtr record =
            MakeArrivalRecord(current.msgType, current.value, current.data, current.dataLen, current.requestId);
        CheckRecord(record.get(), current);
        FUZZ_REQUIRE(ArrivalBacklog() == backlog + (accepted && sink == SinkThatKeeps ? 2 : 1));
    }
    SetArrivalSink(nullptr);
    for (ArrivalRecord* record : kept) FreeArrivalRecord(record);
    kept.clear();
    FreeArrivalRecord(nullptr);
    FUZZ_REQUIRE(ArrivalBacklog() == backlogBefore);
    return 0;
}
