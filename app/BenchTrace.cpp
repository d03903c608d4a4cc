#include "app/BenchTrace.h"

#include <windows.h>
// after windows.h, whose types it uses
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cinttypes>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "host/HostCallback.h"
#include "model/DataMutex.h"

namespace quillon::app::bench_trace {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Enough for a minute at 60,000 quotes a second; later samples are not kept.
constexpr std::size_t MaxSamples = 4'000'000;

struct Trace {
    std::unique_ptr<std::FILE, FileCloser> file;
    std::int64_t frequency = 1;
    std::uint64_t dispatched = 0;
    std::uint64_t quotes = 0;
    std::uint64_t paints = 0;
    std::int64_t turnStartUs = 0;
    std::int64_t turnUs = 0;  // time spent in turns so far
    int turnDepth = 0;
    std::int64_t lastStatsUs = 0;
    std::vector<std::uint32_t> writeLatencies;
    std::vector<std::uint32_t> paintLatencies;
    // Stamps of quotes written since the last paint.
    std::vector<std::int32_t> awaitingPaint;
};

Trace& State() {
    static Trace trace;
    return trace;
}

constexpr std::size_t ServerCallKinds = static_cast<std::size_t>(ServerCall::Wait) + 1;
constexpr const char* ServerCallNames[ServerCallKinds] = {"post", "get", "queue_status", "send", "timer", "wait"};
std::atomic<std::uint64_t> serverCalls[ServerCallKinds];
// The counts at log-in, so that the load's own calls are reported.
std::uint64_t serverCallsAtLogin[ServerCallKinds];

std::uint64_t ServerCallsSoFar(std::size_t kind) {
    if (kind == static_cast<std::size_t>(ServerCall::Wait)) return model::DataMutex().ContendedWaits();
    return serverCalls[kind].load(std::memory_order_relaxed);
}

std::int64_t NowUs() {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    const std::int64_t frequency = State().frequency;
    return counter.QuadPart / frequency * 1'000'000 + counter.QuadPart % frequency * 1'000'000 / frequency;
}

// The host stamps the low 32 bits of its microsecond clock; the difference modulo 2^32
// is the age as long as it is under 35 minutes.
std::uint32_t AgeUs(std::int64_t nowUs, std::int32_t stamp) {
    const auto age = static_cast<std::int32_t>(static_cast<std::uint32_t>(nowUs) - static_cast<std::uint32_t>(stamp));
    return age < 0 ? 0u : static_cast<std::uint32_t>(age);
}

void AddSample(std::vector<std::uint32_t>& samples, std::uint32_t value) {
    if (samples.size() < MaxSamples) samples.push_back(value);
}

void WriteLine(const std::string& line) {
    Trace& trace = State();
    if (!trace.file) return;
    std::fputs(line.c_str(), trace.file.get());
    std::fputc('\n', trace.file.get());
    std::fflush(trace.file.get());
}

void WriteLatency(const char* kind, std::vector<std::uint32_t>& samples) {
    if (samples.empty()) {
        WriteLine(std::string("latency kind=") + kind + " n=0");
        return;
    }
    std::sort(samples.begin(), samples.end());
    auto at = [&](double fraction) {
        return samples[std::min(samples.size() - 1,
                                static_cast<std::size_t>(fraction * static_cast<double>(samples.size())))];
    };
    char line[160];
    std::snprintf(line, sizeof line, "latency kind=%s n=%zu p50=%" PRIu32 " p99=%" PRIu32 " max=%" PRIu32, kind,
                  samples.size(), at(0.50), at(0.99), samples.back());
    WriteLine(line);
}

}  // namespace

void Open() {
    Trace& trace = State();
    if (trace.file) return;
    wchar_t path[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"QUILLON_BENCH_LOG", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    trace.file.reset(_wfopen(path, L"ab"));
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    trace.frequency = frequency.QuadPart > 0 ? frequency.QuadPart : 1;
    trace.lastStatsUs = NowUs();
}

bool Enabled() {
    return State().file != nullptr;
}

void CountServerCall(ServerCall call) {
    serverCalls[static_cast<std::size_t>(call)].fetch_add(1, std::memory_order_relaxed);
}

void OnLogin() {
    if (!Enabled()) return;
    for (std::size_t kind = 0; kind < ServerCallKinds; ++kind) serverCallsAtLogin[kind] = ServerCallsSoFar(kind);
    WriteLine("login us=" + std::to_string(NowUs()));
}

void OnDataReady(std::size_t instruments) {
    if (!Enabled()) return;
    WriteLine("ready us=" + std::to_string(NowUs()) + " instruments=" + std::to_string(instruments));
    std::uint64_t made[ServerCallKinds];
    std::uint64_t total = 0;
    for (std::size_t kind = 0; kind < ServerCallKinds; ++kind) {
        made[kind] = ServerCallsSoFar(kind) - serverCallsAtLogin[kind];
        total += made[kind];
    }
    char figure[64];
    std::snprintf(figure, sizeof figure, "%.2f",
                  instruments == 0 ? 0.0 : static_cast<double>(total) / static_cast<double>(instruments));
    std::string line = "load-trace instruments=" + std::to_string(instruments) + " calls=" + std::to_string(total) +
                       " per_instrument=" + figure;
    for (std::size_t kind = 0; kind < ServerCallKinds; ++kind)
        line += std::string(" ") + ServerCallNames[kind] + "=" + std::to_string(made[kind]);
    WriteLine(line);
}

void OnQuoteWritten(std::int32_t stamp) {
    Trace& trace = State();
    if (!trace.file || stamp == 0) return;
    AddSample(trace.writeLatencies, AgeUs(NowUs(), stamp));
    if (trace.awaitingPaint.size() < MaxSamples) trace.awaitingPaint.push_back(stamp);
}

void OnGridPainted() {
    Trace& trace = State();
    if (!trace.file) return;
    ++trace.paints;
    if (trace.awaitingPaint.empty()) return;
    const std::int64_t now = NowUs();
    for (std::int32_t stamp : trace.awaitingPaint) AddSample(trace.paintLatencies, AgeUs(now, stamp));
    trace.awaitingPaint.clear();
}

void OnHostMessageDispatched(bool isQuote) {
    Trace& trace = State();
    ++trace.dispatched;
    if (isQuote) ++trace.quotes;
}

void OnTurnStart() {
    Trace& trace = State();
    if (!trace.file || trace.turnDepth++ != 0) return;
    trace.turnStartUs = NowUs();
}

void OnTurnEnd() {
    Trace& trace = State();
    if (!trace.file || trace.turnDepth == 0 || --trace.turnDepth != 0) return;
    trace.turnUs += NowUs() - trace.turnStartUs;
}

void MaybeWriteStats(const host::ArrivalQueue::Counters& arrivals) {
    Trace& trace = State();
    if (!trace.file) return;
    const std::int64_t now = NowUs();
    if (now - trace.lastStatsUs < 1'000'000) return;
    trace.lastStatsUs = now;

    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
    const DWORD gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    const DWORD user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);

    char line[400];
    std::snprintf(line, sizeof line,
                  "stats us=%" PRId64 " dispatched=%" PRIu64 " quotes=%" PRIu64
                  " backlog=%d peak=%zu conflated=%" PRIu64 " paints=%" PRIu64 " turns_us=%" PRId64
                  " private=%zu gdi=%lu user=%lu",
                  now, trace.dispatched, trace.quotes, host::ArrivalBacklog(), arrivals.peakQueued, arrivals.conflated,
                  trace.paints, trace.turnUs, static_cast<std::size_t>(memory.PrivateUsage),
                  static_cast<unsigned long>(gdi), static_cast<unsigned long>(user));
    WriteLine(line);
}

void Close() {
    Trace& trace = State();
    if (!trace.file) return;
    WriteLatency("write", trace.writeLatencies);
    WriteLatency("paint", trace.paintLatencies);
    trace.file.reset();
    trace.writeLatencies = {};
    trace.paintLatencies = {};
    trace.awaitingPaint = {};
}

}  // namespace quillon::app::bench_trace
