// Option codes from the host's instrument records: split into underlying, side and
// strike, and the strike key a call shares with its put.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzRequire.h"
#include "model/CodeFormat.h"
#include "model/FuzzEntries.h"

namespace {

using namespace quillon::model;

// The parts put back together give the code they came from (up to its first NUL).
void CheckPartsRebuildTheCode(std::string_view code, std::string_view exchange) {
    std::optional<OptionCodeParts> parts = ParseOptionCode(code, exchange);
    if (!parts) return;
    const std::string_view text = code.substr(0, code.find('\0'));
    if (exchange.substr(0, exchange.find('\0')) == "CZCE") {
        // Letter form: nothing between or around the three parts.
        FUZZ_REQUIRE(parts->underlying + (parts->isCall ? 'C' : 'P') + parts->strike == text);
        FUZZ_REQUIRE(parts->underlying.size() >= 5);
    } else {
        // Dashed form: underlying, '-', a side field, '-', then the strike (after blanks).
        FUZZ_REQUIRE(text.substr(0, parts->underlying.size() + 1) == parts->underlying + "-");
        const std::string_view side = text.substr(parts->underlying.size() + 1);
        FUZZ_REQUIRE(!side.empty() && side.front() != '-');
        FUZZ_REQUIRE(parts->isCall == (side.front() == 'C'));
        FUZZ_REQUIRE(parts->underlying.size() <= DashedFieldLimit && parts->strike.size() <= DashedFieldLimit);
        FUZZ_REQUIRE(parts->strike.find_first_of(" \t\n\v\f\r") == std::string::npos);
        FUZZ_REQUIRE(parts->underlying.find('-') == std::string::npos);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The model's own properties: parts and key agree, key is underlying-strike.
    FuzzOptionCode(data, size);

    // The same bytes as a code on each kind of exchange, and with the exchange they name.
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (std::string_view exchange : {"CZCE", "CFFEX", "DCE", ""}) {
        std::vector<std::uint8_t> framed;
        framed.push_back(static_cast<std::uint8_t>(exchange.size()));
        framed.insert(framed.end(), exchange.begin(), exchange.end());
        framed.insert(framed.end(), data, data + size);
        FuzzOptionCode(framed.data(), framed.size());
        CheckPartsRebuildTheCode(bytes, exchange);
    }
    if (size > 0) {
        const std::size_t exchangeLength = std::min<std::size_t>(data[0] % 16, size - 1);
        CheckPartsRebuildTheCode(bytes.substr(1 + exchangeLength), bytes.substr(1, exchangeLength));
    }
    return 0;
}
