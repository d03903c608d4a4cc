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

void OnLogin();
void OnDataReady(std::size_t instruments);
// A quote's cells have been written; `stamp` is the host's send time (0: not stamped).
void OnQuoteWritten(std::int32_t stamp);
// Any grid has painted: every quote written before it has reached the screen.
void OnGridPainted();
void OnHostMessageDispatched(bool isQuote);

// A stats line, at most once a second.
void MaybeWriteStats(const host::ArrivalQueue::Counters& arrivals);

// The latency summaries, then the file is closed.
void Close();

}  // namespace quillon::app::bench_trace
