// The portable share of what the program does per host message, timed natively: the
// instrument load and chain build, and per quote the instrument look-ups, the option code
// and strike key, the 22 cell texts, and the trip through the arrival queue. Run it
// alone, or under callgrind to see where the instructions go:
//   build/bench-linux/bench/core/quote_path_bench
//   valgrind --tool=callgrind build/bench-linux/bench/core/quote_path_bench --quick
#include <chrono>
#include <cstdio>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "board/QuoteCellFormat.h"
#include "host/ArrivalQueue.h"
#include "host/HostMessages.h"
#include "host/WireRecords.h"
#include "model/CodeFormat.h"
#include "model/DataMutex.h"
#include "model/MarketData.h"

namespace {

using namespace quillon;
using Clock = std::chrono::steady_clock;

struct Instrument {
    std::string code;
    bool isOption;
};

// Index futures with dashed option chains of 100 strikes a side: the CFFEX shape.
std::vector<Instrument> MakeMarket(int count) {
    std::vector<Instrument> market;
    for (int future = 0; static_cast<int>(market.size()) < count; ++future) {
        const std::string underlying = "IF" + std::to_string(2300 + future);
        market.push_back({underlying, false});
        const std::string option = "IO" + std::to_string(2300 + future);
        for (int strike = 0; strike < 100 && static_cast<int>(market.size()) < count; ++strike) {
            for (const char* side : {"-C-", "-P-"}) {
                market.push_back({option + side + std::to_string(3000 + 50 * strike), true});
            }
        }
    }
    market.resize(static_cast<std::size_t>(count));
    return market;
}

std::vector<unsigned char> InstrumentRecord(const Instrument& instrument) {
    std::vector<unsigned char> record(host::instrument_record::Size, 0);
    host::WriteText(record.data(), host::instrument_record::CodeOffset, host::instrument_record::CodeWidth,
                    instrument.code);
    host::WriteText(record.data(), host::instrument_record::ExchangeOffset, 16, "CFFEX");
    record[host::instrument_record::ProductClassOffset] = instrument.isOption ? '2' : '1';
    host::WriteDouble(record.data(), host::instrument_record::PriceTickOffset, instrument.isOption ? 0.2 : 0.2);
    return record;
}

std::vector<unsigned char> QuoteRecord(const std::string& code, int serial) {
    namespace q = host::quote_record;
    std::vector<unsigned char> quote(q::Size, 0);
    host::WriteText(quote.data(), q::CodeOffset, q::CodeWidth, code);
    const double last = 3900.0 + 0.2 * (serial % 50);
    host::WriteDouble(quote.data(), q::LastPrice, last);
    host::WriteDouble(quote.data(), q::PreSettlement, 3890.0);
    host::WriteDouble(quote.data(), q::PreClose, 3891.2);
    host::WriteDouble(quote.data(), q::OpenPrice, 3895.0);
    host::WriteDouble(quote.data(), q::HighPrice, 3920.0);
    host::WriteDouble(quote.data(), q::LowPrice, 3880.0);
    host::WriteInt32(quote.data(), q::Volume, 1000 + serial);
    host::WriteDouble(quote.data(), q::Turnover, 1.0e9 + serial);
    host::WriteDouble(quote.data(), q::OpenInterest, 52000.0);
    host::WriteDouble(quote.data(), q::ClosePrice, host::EmptyPrice);
    host::WriteDouble(quote.data(), q::SettlementPrice, host::EmptyPrice);
    host::WriteDouble(quote.data(), q::UpperLimit, 4279.0);
    host::WriteDouble(quote.data(), q::LowerLimit, 3501.0);
    host::WriteText(quote.data(), q::UpdateTimeOffset, q::UpdateTimeWidth, "09:31:07");
    host::WriteDouble(quote.data(), q::BidPrice, last - 0.2);
    host::WriteInt32(quote.data(), q::BidVolume, 3);
    host::WriteDouble(quote.data(), q::AskPrice, last);
    host::WriteInt32(quote.data(), q::AskVolume, 5);
    return quote;
}

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// What the frame and a board work out for one quote before touching a window.
std::size_t QuoteWork(const std::vector<unsigned char>& quote, const std::vector<unsigned char>& previous) {
    model::MarketData& market = model::SharedMarketData();
    const std::string code = host::QuoteCode(quote.data());
    std::size_t produced = 0;
    double tick = 0.001;
    std::string exchange;
    bool isOption = false;
    {
        model::DataLock lock;
        if (auto instrument = market.FindInstrument(code)) {
            exchange = host::InstrumentExchange(instrument->data());
            tick = host::InstrumentPriceTick(instrument->data());
            isOption = host::InstrumentProductClass(instrument->data()) == '2';
            if (isOption) {
                if (auto parts = model::ParseOptionCode(code, exchange)) produced += parts->strike.size();
                if (auto underlying = market.UnderlyingOf(code)) produced += underlying->size();
            }
        }
    }
    // The board looks the instrument up again and keys the row by strike.
    if (auto instrument = market.FindInstrument(code)) produced += instrument->size();
    if (isOption) {
        if (auto key = model::MakeStrikeKey(code, exchange)) produced += key->size();
    }
    for (int side = board::FirstQuoteColumnId; side <= board::LastQuoteColumnId; ++side) {
        if (auto cell = board::FormatQuoteCell(side, quote, previous, tick)) produced += cell->text.size();
    }
    return produced;
}

}  // namespace

int main(int argc, char** argv) {
    const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
    const int instruments = quick ? 2000 : 30000;
    const int quotes = quick ? 20000 : 200000;

    const std::vector<Instrument> market = MakeMarket(instruments);
    model::MarketData& data = model::SharedMarketData();
    auto start = Clock::now();
    for (const Instrument& instrument : market) {
        data.AddInstrumentCode(instrument.code);
        data.InsertInstrument(instrument.code, InstrumentRecord(instrument));
    }
    const double insertMs = MillisecondsSince(start);
    start = Clock::now();
    data.BuildOptionChain();
    const double chainMs = MillisecondsSince(start);
    std::printf("load: %d instruments inserted in %.1f ms, chain built in %.1f ms\n", instruments, insertMs, chainMs);

    std::vector<std::vector<unsigned char>> records;
    for (int i = 0; i < 512; ++i)
        records.push_back(QuoteRecord(market[static_cast<std::size_t>(i * 7919 % instruments)].code, i));
    std::size_t sink = 0;
    start = Clock::now();
    for (int i = 0; i < quotes; ++i) {
        const auto& quote = records[static_cast<std::size_t>(i % 512)];
        sink += QuoteWork(quote, records[static_cast<std::size_t>((i + 1) % 512)]);
    }
    const double quoteMs = MillisecondsSince(start);
    std::printf("quote: %d quotes in %.1f ms, %.2f us each (checksum %zu)\n", quotes, quoteMs,
                1000.0 * quoteMs / quotes, sink);

    host::ArrivalQueue queue;
    start = Clock::now();
    for (int i = 0; i < quotes; ++i) {
        const auto& quote = records[static_cast<std::size_t>(i % 512)];
        queue.Push(
            host::MakeArrivalRecord(host::HOSTMSG_QUOTE_PUSH, 0, quote.data(), static_cast<int>(quote.size()), i));
        if (i % 64 == 63) {
            while (host::ArrivalRecordPtr record = queue.TakeOne()) sink += static_cast<std::size_t>(record->dataLen);
            queue.FinishTurn();
        }
    }
    while (host::ArrivalRecordPtr record = queue.TakeOne()) sink += static_cast<std::size_t>(record->dataLen);
    const double queueMs = MillisecondsSince(start);
    std::printf("queue: %d records copied, queued and taken in %.1f ms, %.2f us each\n", quotes, queueMs,
                1000.0 * queueMs / quotes);
    return sink == 0 ? 1 : 0;
}
