#pragma once

#include <cstdint>

namespace quillon::hostsim {

// Microseconds of the raw monotonic clock (CLOCK_MONOTONIC_RAW; under Windows the
// performance counter, which Wine reads from that same clock), so a plugin under Wine on
// this machine can tell how long ago a stamped frame was queued.
std::uint64_t MonotonicRawMicroseconds();

// What a stamped quote frame carries in its request id: the low 32 bits of the clock,
// never 0, which plugins read as "not stamped".
std::int32_t QuoteStamp(std::uint64_t microseconds);

}  // namespace quillon::hostsim
