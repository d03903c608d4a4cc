// What a user types or writes for the simulator: console and script commands, and a
// market file. Each gives a usable value or a reason, never a half-read one.
#include <cmath>
#include <cstdint>
#include <set>
#include <sstream>
#include <string>

#include "FuzzRequire.h"
#include "hostsim/HostCommand.h"
#include "hostsim/MarketCsv.h"

namespace {

using namespace quillon::hostsim;

bool IsBlankOrComment(const std::string& line) {
    std::istringstream words(line);
    std::string first;
    return !(words >> first) || first[0] == '#';
}

void CheckCommand(const std::string& line) {
    std::string error = "stale";
    std::optional<HostCommand> command = ParseHostCommand(line, error);
    if (!command) {
        FUZZ_REQUIRE(error.empty() == IsBlankOrComment(line));
        return;
    }
    FUZZ_REQUIRE(error.empty());
    for (const std::string& code : command->codes) FUZZ_REQUIRE(!code.empty() && code.size() <= MaxCodeLength);
    if (command->kind == CommandKind::Invoke) FUZZ_REQUIRE(command->codes.size() == 1);
    if (command->placement) {
        for (std::int32_t value :
             {command->placement->x, command->placement->y, command->placement->width, command->placement->height}) {
            FUZZ_REQUIRE(value >= -1000000 && value <= 1000000);
        }
    }
    if (command->kind == CommandKind::Rate && !command->flood) {
        FUZZ_REQUIRE(std::isfinite(command->rate) && command->rate > 0 && command->rate <= 1000);
    }
    FUZZ_REQUIRE(command->sleepMs >= 0 && command->sleepMs <= 86400000);
}

void CheckMarket(const std::string& text) {
    std::istringstream in(text);
    std::string error;
    std::optional<Market> market = LoadMarketCsv(in, error);
    if (!market) {
        FUZZ_REQUIRE(!error.empty());
        return;
    }
    FUZZ_REQUIRE(market->Size() > 0);
    std::set<std::string> exchanges;
    for (std::size_t i = 0; i < market->Size(); ++i) {
        const Instrument& instrument = market->At(i);
        FUZZ_REQUIRE(!instrument.code.empty() && instrument.code.size() <= MaxCodeLength);
        FUZZ_REQUIRE(!instrument.exchange.empty() && instrument.exchange.size() <= 31);
        FUZZ_REQUIRE(market->IndexOf(instrument.code) == i);
        FUZZ_REQUIRE(std::isfinite(instrument.tick) && instrument.tick > 0);
        FUZZ_REQUIRE(std::isfinite(instrument.referencePrice) && instrument.referencePrice > 0);
        if (instrument.isOption) FUZZ_REQUIRE(std::isfinite(instrument.strike) && instrument.strike > 0);
        if (instrument.underlying != -1) {
            FUZZ_REQUIRE(instrument.isOption);
            FUZZ_REQUIRE(instrument.underlying >= 0 && std::size_t(instrument.underlying) < market->Size());
            FUZZ_REQUIRE(!market->At(std::size_t(instrument.underlying)).isOption);
        }
        exchanges.insert(instrument.exchange);
    }
    FUZZ_REQUIRE(exchanges.size() == market->Exchanges().size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    // A script is a file of command lines; the same bytes are also tried as a market.
    std::istringstream script(text);
    for (std::string line; std::getline(script, line);) CheckCommand(line);
    CheckMarket(text);
    return 0;
}
