#pragma once

#include <array>
#include <atomic>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>

#include "host/WireRecords.h"
#include "model/ByteOrder.h"
#include "model/InstrumentStore.h"

namespace quillon::model {

// A whole InstrumentRecord as the host sent it; only code, exchange, product class and
// price tick are read (host/WireRecords.h), the rest is kept as it came.
using InstrumentRecordBytes = std::array<unsigned char, host::instrument_record::Size>;

// Every key is ordered byte-wise, so strike texts sort as text: "1000" < "900" < "950".
using InstrumentTable = std::map<std::string, InstrumentRecordBytes, ByteOrder>;
using InstrumentCodeSet = std::set<std::string, ByteOrder>;
using ExchangeSet = std::set<std::string, ByteOrder>;
// option code -> underlying code
using OptionUnderlyingMap = std::map<std::string, std::string, ByteOrder>;
// The codes of one strike: normally its call and its put, not told apart here.
using OptionCodeSet = std::set<std::string, ByteOrder>;
// strike text -> the option codes at that strike
using StrikeMap = std::map<std::string, OptionCodeSet, ByteOrder>;
// underlying code -> its strikes
using OptionChainIndex = std::map<std::string, StrikeMap, ByteOrder>;

// Derives the option chain from the instrument table and adds it to `underlyings` and
// `chain`; nothing already there is changed or removed. Only class '2' instruments whose
// code parses for their exchange take part. "CFFEX" index options are filed under their
// future: IO under IF, HO under IH, MO under IM.
void BuildOptionChain(const InstrumentTable& instruments, OptionUnderlyingMap& underlyings, OptionChainIndex& chain);

// The picture of the market the host has described: its instruments and the option chain
// derived from them. The tables only grow while the program runs (the exchange set is
// replaced whole).
//
// Every operation holds DataMutex while it touches the tables. The mutex is re-entrant,
// so a caller that already holds it, to make several operations one step, may call them
// as well. Snapshots are copies, to be worked on after the mutex is released.
class MarketData {
public:
    MarketData() = default;
    MarketData(const MarketData&) = delete;
    MarketData& operator=(const MarketData&) = delete;

    // Adds the record under `code` unless the code is already there: the first record of
    // a code stays. False, and nothing added, when the record is not exactly
    // host::instrument_record::Size bytes or the code was present.
    bool InsertInstrument(std::string_view code, std::span<const unsigned char> record);
    std::optional<InstrumentRecordBytes> FindInstrument(std::string_view code) const;
    InstrumentTable CopyInstrumentTable() const;
    std::size_t InstrumentCount() const;

    void AddInstrumentCode(std::string_view code);
    InstrumentCodeSet CopyInstrumentCodeSet() const;

    void ReplaceExchangeSet(ExchangeSet exchanges);
    ExchangeSet CopyExchangeSet() const;

    // Derives the option chain from everything in the instrument table so far; a second
    // run only adds what is new.
    void BuildOptionChain();
    std::optional<std::string> UnderlyingOf(std::string_view optionCode) const;
    bool IsUnderlying(std::string_view code) const;
    // A copy of the strikes of an underlying, or nothing when it has no options.
    std::optional<StrikeMap> StrikeMapOf(std::string_view underlying) const;

    // Set once the first option chain has been built; never cleared.
    bool DataReady() const { return dataReady_.load(); }
    void SetDataReady() { dataReady_.store(true); }

    // Empties every table and clears DataReady, so each test starts from a fresh
    // process. The program itself never calls it.
    void ClearForTests();

private:
    InstrumentStore instruments_;
    InstrumentCodeSet instrumentCodes_;
    ExchangeSet exchanges_;
    OptionUnderlyingMap optionUnderlyings_;
    OptionChainIndex optionChain_;
    std::atomic<bool> dataReady_{false};
};

// The process-wide tables, alive from static initialisation to exit.
MarketData& SharedMarketData();

}  // namespace quillon::model
