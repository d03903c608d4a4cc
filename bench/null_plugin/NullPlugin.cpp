// null_plugin: the cheapest possible plugin on our TesselAPI.dll. It logs in, asks the host
// for its contract list, subscribes every code in it and then only counts the quote pushes
// its callback receives, once a second. Quillon's ingest rate is read against this: what
// the link, the library's thread and Wine deliver when nothing is done with the quotes.
//
// Usage: null_plugin SECONDS [--latency]
//        null_plugin --load [TIMEOUT_SECONDS]
//   --latency   also reads the clock per quote and reports how long stamped quotes (hostsim
//               --stamp) took from the host's queue to the callback: p50, p99 and max in µs.
//   --load      the floor of the instrument load instead (LoadFloor.h); at most
//               TIMEOUT_SECONDS (default 600) for the whole load.
// Output lines: "null-plugin second=N quotes=Q", then one
// "null-plugin result seconds=S quotes=Q median=R min=R max=R subscribed=N" and, with
// --latency, "null-plugin latency n=N p50=U p99=U max=U". Exit status 1 when the log-in,
// the list or the quotes do not come.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "bench/null_plugin/LoadFloor.h"
#include "host/HostMessages.h"
#include "host/TesselAPI.h"
#include "host/WireText.h"

namespace {

using namespace quillon::host;

constexpr std::size_t MaxLatencySamples = 4u << 20;

std::atomic<std::uint64_t> quoteCount{0};
std::atomic<int> loginResult{1};
HANDLE loginEvent = nullptr;
HANDLE listEvent = nullptr;
std::mutex listMutex;
std::vector<std::string> contractList;

bool measureLatency = false;
// Written by the library's thread only, read after it has been stopped.
std::vector<std::uint32_t> latencies;
LARGE_INTEGER frequency;

std::uint64_t Microseconds() {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    const auto ticks = static_cast<std::uint64_t>(counter.QuadPart);
    const auto perSecond = static_cast<std::uint64_t>(frequency.QuadPart);
    return ticks / perSecond * 1000000u + ticks % perSecond * 1000000u / perSecond;
}

int Callback(int msgType, int value, const void* data, int dataLen, int requestId) {
    switch (static_cast<std::uint32_t>(msgType)) {
        case HOSTMSG_QUOTE_PUSH:
            quoteCount.fetch_add(1, std::memory_order_relaxed);
            if (measureLatency && requestId != 0 && latencies.size() < MaxLatencySamples) {
                // The stamp holds the low 32 bits of the host's clock; the difference
                // modulo 2^32 is right for any latency under an hour.
                latencies.push_back(static_cast<std::uint32_t>(Microseconds()) - static_cast<std::uint32_t>(requestId));
            }
            break;
        case HOSTMSG_LOGIN_RESULT:
            loginResult = value;
            SetEvent(loginEvent);
            break;
        case HOSTMSG_CONTRACT_LIST: {
            std::lock_guard lock(listMutex);
            contractList.clear();
            const auto* slots = static_cast<const char*>(data);
            for (int offset = 0; data != nullptr && offset + static_cast<int>(ExchangeSlotSize) <= dataLen;
                 offset += static_cast<int>(ExchangeSlotSize)) {
                std::string code = ReadTextSlot(slots + offset, ExchangeSlotSize);
                if (!code.empty()) contractList.push_back(std::move(code));
            }
            SetEvent(listEvent);
            break;
        }
        default:
            break;
    }
    return 0;
}

void Say(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

std::uint32_t Percentile(const std::vector<std::uint32_t>& sorted, double fraction) {
    if (sorted.empty()) return 0;
    const auto index = static_cast<std::size_t>(fraction * static_cast<double>(sorted.size() - 1) + 0.5);
    return sorted[std::min(index, sorted.size() - 1)];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--load") == 0) {
        const int timeout = argc > 2 ? std::atoi(argv[2]) : 600;
        if (timeout < 1 || timeout > 3600) {
            std::fprintf(stderr, "usage: null_plugin --load [TIMEOUT_SECONDS]\n");
            return 2;
        }
        return quillon::bench::RunLoadFloor(timeout);
    }
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 0;
    if (seconds < 1 || seconds > 3600) {
        std::fprintf(stderr, "usage: null_plugin SECONDS [--latency] | --load [TIMEOUT_SECONDS]\n");
        return 2;
    }
    measureLatency = argc > 2 && std::strcmp(argv[2], "--latency") == 0;
    if (measureLatency) latencies.reserve(MaxLatencySamples);
    QueryPerformanceFrequency(&frequency);
    loginEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    listEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);

    TesselAPI* api = TesselAPI::GetInstance();
    if (api == nullptr) {
        Say("null-plugin: no TesselAPI instance");
        return 1;
    }
    // Normal run mode (0), no windows: the host only needs the hello.
    api->Register("NullPlugin", "", Callback, nullptr, 0, nullptr);
    api->Start();
    if (WaitForSingleObject(loginEvent, 30000) != WAIT_OBJECT_0 || loginResult != 0) {
        Say("null-plugin: log-in failed or did not come");
        TesselAPI::DestroyInstance();
        return 1;
    }
    api->SendRequest(static_cast<int>(HOSTMSG_REQ_CONTRACT_LIST), nullptr, 0, 1);
    if (WaitForSingleObject(listEvent, 30000) != WAIT_OBJECT_0) {
        Say("null-plugin: no contract list");
        TesselAPI::DestroyInstance();
        return 1;
    }
    std::vector<std::string> codes;
    {
        std::lock_guard lock(listMutex);
        codes = contractList;
    }
    for (const std::string& code : codes) {
        char slot[CodeSlotSize];
        WriteTextSlot(slot, sizeof slot, code);
        api->SendRequest(static_cast<int>(HOSTMSG_QUOTE_SUBSCRIBE), slot, static_cast<int>(sizeof slot), 0);
    }
    Say("null-plugin: subscribed " + std::to_string(codes.size()) + " codes");

    std::vector<double> rates;
    std::uint64_t startCount = quoteCount.load();
    std::uint64_t lastCount = startCount;
    std::uint64_t lastTime = Microseconds();
    const std::uint64_t startTime = lastTime;
    for (int second = 1; second <= seconds; ++second) {
        const std::uint64_t target = startTime + static_cast<std::uint64_t>(second) * 1000000u;
        for (std::uint64_t now = Microseconds(); now < target; now = Microseconds()) {
            Sleep(static_cast<DWORD>(std::max<std::uint64_t>(1, (target - now) / 1000)));
        }
        const std::uint64_t now = Microseconds();
        const std::uint64_t count = quoteCount.load();
        const double rate = static_cast<double>(count - lastCount) * 1e6 / static_cast<double>(now - lastTime);
        rates.push_back(rate);
        char line[128];
        std::snprintf(line, sizeof line, "null-plugin second=%d quotes=%llu rate=%.0f", second,
                      static_cast<unsigned long long>(count - lastCount), rate);
        Say(line);
        lastCount = count;
        lastTime = now;
    }
    const std::uint64_t total = quoteCount.load() - startCount;
    TesselAPI::DestroyInstance();

    std::vector<double> sorted = rates;
    std::sort(sorted.begin(), sorted.end());
    char line[256];
    std::snprintf(line, sizeof line,
                  "null-plugin result seconds=%d quotes=%llu median=%.0f min=%.0f max=%.0f subscribed=%zu", seconds,
                  static_cast<unsigned long long>(total), sorted[sorted.size() / 2], sorted.front(), sorted.back(),
                  codes.size());
    Say(line);
    if (measureLatency) {
        std::sort(latencies.begin(), latencies.end());
        std::snprintf(line, sizeof line, "null-plugin latency n=%zu p50=%u p99=%u max=%u", latencies.size(),
                      Percentile(latencies, 0.5), Percentile(latencies, 0.99),
                      latencies.empty() ? 0u : latencies.back());
        Say(line);
    }
    return total > 0 ? 0 : 1;
}
