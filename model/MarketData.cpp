#include "model/MarketData.h"

#include <algorithm>
#include <utility>

#include "model/CodeFormat.h"
#include "model/DataMutex.h"

namespace quillon::model {

namespace {

bool EqualsIgnoringAsciiCase(std::string_view text, std::string_view upperCase) {
    return std::equal(text.begin(), text.end(), upperCase.begin(), upperCase.end(), [](char c, char upper) {
        return (c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c) == upper;
    });
}

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

// CFFEX index options name their index (IO, HO, MO) where the board needs the future they
// are listed against (IF, IH, IM); the chain is filed under the future so that a future's
// board finds its options.
std::string ChainUnderlying(std::string underlying, std::string_view exchange) {
    if (EqualsIgnoringAsciiCase(exchange, "CFFEX")) {
        ReplaceAll(underlying, "IO", "IF");
        ReplaceAll(underlying, "HO", "IH");
        ReplaceAll(underlying, "MO", "IM");
    }
    return underlying;
}

// Files one instrument record in the chain when it is an option whose code parses.
void AddToOptionChain(const unsigned char* record, OptionUnderlyingMap& underlyings, OptionChainIndex& chain) {
    if (host::InstrumentProductClass(record) != host::instrument_record::OptionClass) return;
    const std::string code = host::InstrumentCode(record);
    const std::string exchange = host::InstrumentExchange(record);
    std::optional<OptionCodeParts> parts = ParseOptionCode(code, exchange);
    if (!parts) return;

    std::string underlying = ChainUnderlying(std::move(parts->underlying), exchange);
    underlyings.emplace(code, underlying);
    chain[std::move(underlying)][std::move(parts->strike)].insert(code);
}

}  // namespace

void BuildOptionChain(const InstrumentTable& instruments, OptionUnderlyingMap& underlyings, OptionChainIndex& chain) {
    for (const auto& entry : instruments) AddToOptionChain(entry.second.data(), underlyings, chain);
}

bool MarketData::InsertInstrument(std::string_view code, std::span<const unsigned char> record) {
    if (record.size() != host::instrument_record::Size) return false;
    InstrumentRecordBytes whole;
    std::copy(record.begin(), record.end(), whole.begin());
    DataLock lock;
    return instruments_.Insert(code, whole);
}

std::optional<InstrumentRecordBytes> MarketData::FindInstrument(std::string_view code) const {
    DataLock lock;
    return instruments_.Find(code);
}

InstrumentTable MarketData::CopyInstrumentTable() const {
    DataLock lock;
    InstrumentTable table;
    instruments_.ForEach([&table](std::string_view code, const InstrumentRecordBytes& record) {
        table.emplace_hint(table.end(), code, record);
    });
    return table;
}

std::size_t MarketData::InstrumentCount() const {
    DataLock lock;
    return instruments_.size();
}

void MarketData::AddInstrumentCode(std::string_view code) {
    DataLock lock;
    instrumentCodes_.emplace(code);
}

InstrumentCodeSet MarketData::CopyInstrumentCodeSet() const {
    DataLock lock;
    return instrumentCodes_;
}

void MarketData::ReplaceExchangeSet(ExchangeSet exchanges) {
    DataLock lock;
    exchanges_ = std::move(exchanges);
}

ExchangeSet MarketData::CopyExchangeSet() const {
    DataLock lock;
    return exchanges_;
}

void MarketData::BuildOptionChain() {
    DataLock lock;
    instruments_.ForEach([this](std::string_view, const InstrumentRecordBytes& record) {
        AddToOptionChain(record.data(), optionUnderlyings_, optionChain_);
    });
}

std::optional<std::string> MarketData::UnderlyingOf(std::string_view optionCode) const {
    DataLock lock;
    auto entry = optionUnderlyings_.find(optionCode);
    if (entry == optionUnderlyings_.end()) return std::nullopt;
    return entry->second;
}

bool MarketData::IsUnderlying(std::string_view code) const {
    DataLock lock;
    return optionChain_.find(code) != optionChain_.end();
}

std::optional<StrikeMap> MarketData::StrikeMapOf(std::string_view underlying) const {
    DataLock lock;
    auto entry = optionChain_.find(underlying);
    if (entry == optionChain_.end()) return std::nullopt;
    return entry->second;
}

void MarketData::ClearForTests() {
    DataLock lock;
    instruments_.clear();
    instrumentCodes_.clear();
    exchanges_.clear();
    optionUnderlyings_.clear();
    optionChain_.clear();
    dataReady_.store(false);
}

MarketData& SharedMarketData() {
    // Like DataMutex, never destroyed: a late lookup during process exit still finds the
    // tables. Made on first use, so it is there for any static initialiser that needs it.
    static MarketData& shared = *new MarketData();
    return shared;
}

}  // namespace quillon::model
