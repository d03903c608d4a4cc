#include "hostsim/StampClock.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <time.h>
#endif

namespace quillon::hostsim {

std::uint64_t MonotonicRawMicroseconds() {
#if defined(_WIN32)
    LARGE_INTEGER frequency;
    LARGE_INTEGER counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    const auto ticks = static_cast<std::uint64_t>(counter.QuadPart);
    const auto perSecond = static_cast<std::uint64_t>(frequency.QuadPart);
    return ticks / perSecond * 1000000u + ticks % perSecond * 1000000u / perSecond;
#else
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC_RAW, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000u;
#endif
}

std::int32_t QuoteStamp(std::uint64_t microseconds) {
    const auto low = static_cast<std::uint32_t>(microseconds);
    return low == 0 ? 1 : static_cast<std::int32_t>(low);
}

}  // namespace quillon::hostsim
