#pragma once

#include <cstddef>
#include <cstdint>

#include "host/ArrivalQueue.h"

// The program's own measurements for the benchmarks: off unless the environment
// variable QUILLON_BENCH_LOG names a file, to which it then appends lines of the form
// `kind key=value ...`. Times are microseconds of QueryPerformanceCounter, the clock the
// host simulator stamps quotes with (both count the system's raw monotonic clock), so a
// quote's requestId, when the host stamps it, gives its age on arrival at the screen.
// User-interface thread only.
namespace quillon::app::bench_trace {

// Reads the environment; afterwards every call below is cheap when the trace is off.
void Open();
bool Enabled();

// Calls into the window server that the program's side of a host message costs. Counted
// always (a relaxed increment, from any thread); the load-trace line at DataReady gives
// them per instrument from log-in on, which is how the load's cost per reply is read.
enum class ServerCall {
    Post,         // a wake-up posted by the library's thread
    Get,          // a message taken off the queue for the pump (a wake-up or its timer)
    QueueStatus,  // a look at the queue for waiting input
    Send,         // a request written to the link
    Timer,        // a timer set or killed by the pump
    Wait,         // DataMutex found held by another thread (DataMutex counts these itself)
};
void CountServerCall(ServerCall call);

void OnLogin();
void OnDataReady(std::size_t instruments);
// A quote's cells have been written; `stamp` is the host's send time (0: not stamped).
void OnQuoteWritten(std::int32_t stamp);
// Any grid has painted: every quote written before it has reached the screen.
void OnGridPainted();
void OnHostMessageDispatched(bool isQuote);
// A turn through the arrival queue is starting or has ended: the stats line reports the
// time the interface thread spent in turns.
void OnTurnStart();
void OnTurnEnd();

// A stats line, at most once a second.
void MaybeWriteStats(const host::ArrivalQueue::Counters& arrivals);

// The latency summaries, then the file is closed.
void Close();

}  // namespace quillon::app::bench_trace
