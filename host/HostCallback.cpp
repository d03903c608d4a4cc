#include "host/HostCallback.h"

#include <atomic>
#include <cstring>
#include <new>

#include "host/HostMessages.h"

namespace quillon::host {

namespace {

std::atomic<ArrivalSink> arrivalSink{nullptr};
std::atomic<int> outstandingRecords{0};

}  // namespace

void FreeArrivalRecord(ArrivalRecord* record) {
    if (record == nullptr) return;
    delete[] record->data;
    delete record;
    outstandingRecords.fetch_sub(1);
}

int ArrivalBacklog() {
    return outstandingRecords.load();
}

bool IsAcceptedHostMessage(int msgType) {
    if (msgType >= 0x1000 && msgType <= 0x1FFF) return true;
    switch (msgType) {
        case HOSTMSG_EXCHANGE_CODES:
        case HOSTMSG_INSTRUMENT:
        case HOSTMSG_HOST_TEXT:
        case HOSTMSG_EXCHANGES:
        case HOSTMSG_QUOTE_PUSH:
        case HOSTMSG_CONTRACT_LIST_PUSH:
        case HOSTMSG_UNNAMED_7008:
        case HOSTMSG_QUOTE_REPLY:
        case HOSTMSG_CONTRACT_LIST:
        case HOSTMSG_SELECTED:
            return true;
        default:
            return false;
    }
}

void SetArrivalSink(ArrivalSink sink) {
    arrivalSink.store(sink);
}

ArrivalRecordPtr MakeArrivalRecord(int msgType, int value, const void* data, int dataLen, int requestId) {
    ArrivalRecordPtr record(new (std::nothrow) ArrivalRecord{requestId, msgType, value, dataLen, nullptr});
    if (!record) return nullptr;
    outstandingRecords.fetch_add(1);
    // The length stays as the host gave it, so a handler can tell a malformed payload (a
    // negative length, or bytes announced and none passed) from an empty one. Bytes are
    // only read when there are both a length and a pointer.
    if (dataLen > 0 && data != nullptr) {
        record->data = new (std::nothrow) unsigned char[static_cast<std::size_t>(dataLen)];
        if (record->data == nullptr) return nullptr;
        std::memcpy(record->data, data, static_cast<std::size_t>(dataLen));
    }
    return record;
}

ArrivalRecordPtr TakePostedArrival(std::uintptr_t wParam, std::intptr_t lParam) {
    if (wParam != ArrivalRecordPostSize || lParam == 0) return nullptr;
    return ArrivalRecordPtr(reinterpret_cast<ArrivalRecord*>(lParam));
}

int HostCallback(int msgType, int value, const void* data, int dataLen, int requestId) {
    if (!IsAcceptedHostMessage(msgType)) return -1;
    ArrivalSink sink = arrivalSink.load();
    if (sink == nullptr) return 0;
    ArrivalRecordPtr record = MakeArrivalRecord(msgType, value, data, dataLen, requestId);
    if (!record) return 0;
    // Cross-thread hand-over: on success the sink has queued the record for the
    // user-interface thread, which frees it after dispatch. On failure (no frame, window
    // gone) it is still ours and the unique_ptr frees it here.
    if (sink(record.get())) record.release();
    return 0;
}

}  // namespace quillon::host
