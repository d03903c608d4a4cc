// The option chain built from whatever instrument records the host sent: every option
// that parses is filed once, under its underlying and strike, and nothing else is.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzRequire.h"
#include "host/WireRecords.h"
#include "model/CodeFormat.h"
#include "model/MarketData.h"

namespace {

using namespace quillon;
using model::InstrumentRecordBytes;
using model::InstrumentTable;
using model::OptionChainIndex;
using model::OptionUnderlyingMap;

// One line of input per record: product class byte, exchange up to ',', then the code.
// Both texts are copied raw into their fields, so long ones fill them with no NUL.
std::vector<InstrumentRecordBytes> ReadRecords(std::string_view input) {
    std::vector<InstrumentRecordBytes> records;
    while (!input.empty()) {
        std::size_t end = input.find('\n');
        std::string_view line = input.substr(0, end);
        input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
        if (line.empty()) continue;

        InstrumentRecordBytes record{};
        record[host::instrument_record::ProductClassOffset] = static_cast<unsigned char>(line[0]);
        line.remove_prefix(1);
        std::size_t comma = line.find(',');
        std::string_view exchange = comma == std::string_view::npos ? std::string_view() : line.substr(0, comma);
        std::string_view code = comma == std::string_view::npos ? line : line.substr(comma + 1);
        std::copy_n(exchange.begin(), std::min(exchange.size(), host::instrument_record::ExchangeWidth),
                    record.begin() + host::instrument_record::ExchangeOffset);
        std::copy_n(code.begin(), std::min(code.size(), host::instrument_record::CodeWidth),
                    record.begin() + host::instrument_record::CodeOffset);
        records.push_back(record);
    }
    return records;
}

bool IsCffex(std::string_view exchange) {
    if (exchange.size() != 5) return false;
    for (std::size_t i = 0; i < 5; ++i) {
        if ((exchange[i] & ~0x20) != "CFFEX"[i]) return false;
    }
    return true;
}

// Filed as the program files them: under their own code, the first record of a code stays.
InstrumentTable MakeTable(const std::vector<InstrumentRecordBytes>& records, std::size_t count) {
    InstrumentTable table;
    for (std::size_t i = 0; i < count; ++i) table.try_emplace(host::InstrumentCode(records[i].data()), records[i]);
    return table;
}

void CheckChain(const InstrumentTable& table, const OptionUnderlyingMap& underlyings, const OptionChainIndex& chain) {
    std::size_t options = 0;
    for (const auto& [code, record] : table) {
        const std::string exchange = host::InstrumentExchange(record.data());
        std::optional<model::OptionCodeParts> parts = model::ParseOptionCode(code, exchange);
        const bool isOption =
            host::InstrumentProductClass(record.data()) == host::instrument_record::OptionClass && parts;
        auto entry = underlyings.find(code);
        FUZZ_REQUIRE((entry != underlyings.end()) == isOption);
        if (!isOption) continue;
        ++options;
        // Index options of CFFEX are filed under their future; everything else under the
        // underlying its code names.
        if (!IsCffex(exchange)) FUZZ_REQUIRE(entry->second == parts->underlying);
        FUZZ_REQUIRE(entry->second.size() == parts->underlying.size());
        auto strikes = chain.find(entry->second);
        FUZZ_REQUIRE(strikes != chain.end());
        auto codes = strikes->second.find(parts->strike);
        FUZZ_REQUIRE(codes != strikes->second.end());
        FUZZ_REQUIRE(codes->second.count(code) == 1);
    }
    FUZZ_REQUIRE(underlyings.size() == options);

    std::size_t filed = 0;
    for (const auto& [underlying, strikes] : chain) {
        FUZZ_REQUIRE(!underlying.empty() && !strikes.empty());
        for (const auto& [strike, codes] : strikes) {
            FUZZ_REQUIRE(!strike.empty() && !codes.empty());
            for (const std::string& code : codes) {
                auto entry = underlyings.find(code);
                FUZZ_REQUIRE(entry != underlyings.end() && entry->second == underlying);
                ++filed;
            }
        }
    }
    FUZZ_REQUIRE(filed == options);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<InstrumentRecordBytes> records =
        ReadRecords(std::string_view(reinterpret_cast<const char*>(data), size));
    const InstrumentTable table = MakeTable(records, records.size());

    OptionUnderlyingMap underlyings;
    OptionChainIndex chain;
    model::BuildOptionChain(table, underlyings, chain);
    CheckChain(table, underlyings, chain);

    // Built again over the same table, nothing changes.
    OptionUnderlyingMap underlyingsAgain = underlyings;
    OptionChainIndex chainAgain = chain;
    model::BuildOptionChain(table, underlyingsAgain, chainAgain);
    FUZZ_REQUIRE(underlyingsAgain == underlyings && chainAgain == chain);

    // Built in two steps as the records arrive, it ends where one build ends.
    OptionUnderlyingMap underlyingsInSteps;
    OptionChainIndex chainInSteps;
    model::BuildOptionChain(MakeTable(records, records.size() / 2), underlyingsInSteps, chainInSteps);
    model::BuildOptionChain(table, underlyingsInSteps, chainInSteps);
    FUZZ_REQUIRE(underlyingsInSteps == underlyings && chainInSteps == chain);
    return 0;
}
