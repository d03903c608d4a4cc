#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace quillon::host {

// A host message on its way from the library's thread to the user-interface thread.
// Made by HostCallback; from the moment it is handed to the sink it belongs to the
// receiver, which frees it with FreeArrivalRecord (or holds it in an ArrivalRecordPtr).
struct ArrivalRecord {
    std::int32_t requestId;  // never examined
    std::int32_t msgType;
    std::int32_t value;    // non-zero: the host reports failure
    std::int32_t dataLen;  // the length the host gave, a negative one included
    unsigned char* data;   // heap copy of exactly dataLen bytes; null when dataLen is 0 or
                           // below, or when the host passed no bytes (a malformed payload)
};
// Twenty bytes on i686, as the record of the host's own plug-ins; 24 on x86-64, where the
// pointer is wider. It never leaves the process.
static_assert(offsetof(ArrivalRecord, data) == 16, "four int32 fields, then the payload pointer");
static_assert(sizeof(void*) != 4 || sizeof(ArrivalRecord) == 20, "the posted record is 20 bytes on i686");

// The wParam that goes with the posted record: its size.
inline constexpr unsigned ArrivalRecordPostSize = 20;

void FreeArrivalRecord(ArrivalRecord* record);

struct ArrivalRecordDeleter {
    void operator()(ArrivalRecord* record) const { FreeArrivalRecord(record); }
};
using ArrivalRecordPtr = std::unique_ptr<ArrivalRecord, ArrivalRecordDeleter>;

// Records made and not yet freed: the user-interface thread's backlog, counted by the
// program itself rather than inferred from failed posts.
int ArrivalBacklog();

// The message types the callback takes: every id of 0x1000..0x1FFF and the ten replies
// and pushes the program handles.
bool IsAcceptedHostMessage(int msgType);

// Where accepted records go. Called on the library's thread; returns true when the
// record was handed over, and the receiver now owns it. On false the callback frees the
// record. The application's frame installs one that queues the record in its
// ArrivalQueue and posts "Quillon ApiMsg Arrive" as the batch's wake-up.
using ArrivalSink = bool (*)(ArrivalRecord* record);

// May be called from any thread; a callback already running may still use the old sink,
// so a sink must stay callable (and fail cleanly) after it has been replaced.
void SetArrivalSink(ArrivalSink sink);

// Copies an accepted message into a new ArrivalRecord and hands it to the sink; without
// a sink, or when the hand-over fails, the copy is freed again. Nothing accepted is
// dropped while the receiver takes it. Returns -1 for a type it does not accept
// (nothing is made), else 0. Never blocks (beyond the receiver's short queue lock),
// never throws.
int HostCallback(int msgType, int value, const void* data, int dataLen, int requestId);

// The receiving end of a posted arrival: takes ownership of the record carried in
// lParam. Null when wParam is not ArrivalRecordPostSize or lParam is null, so a stray
// message with the same number is never freed as a record.
ArrivalRecordPtr TakePostedArrival(std::uintptr_t wParam, std::intptr_t lParam);

// The copy HostCallback makes, for receivers and tests: null when memory runs out.
ArrivalRecordPtr MakeArrivalRecord(int msgType, int value, const void* data, int dataLen, int requestId);

}  // namespace quillon::host
