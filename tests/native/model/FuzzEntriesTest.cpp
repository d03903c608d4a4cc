#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "host/WireRecords.h"
#include "model/FuzzEntries.h"

namespace quillon::model {
namespace {

std::vector<std::uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

std::vector<std::uint8_t> CodeInput(const std::string& exchange, const std::string& code) {
    std::vector<std::uint8_t> input{static_cast<std::uint8_t>(exchange.size())};
    input.insert(input.end(), exchange.begin(), exchange.end());
    input.insert(input.end(), code.begin(), code.end());
    return input;
}

std::vector<std::uint8_t> PriceInput(double value, double tick) {
    std::vector<std::uint8_t> input(16);
    std::memcpy(input.data(), &value, 8);
    std::memcpy(input.data() + 8, &tick, 8);
    return input;
}

// The seeds a fuzzer starts from; each must pass the entry's own checks.
TEST(FuzzEntries, AcceptTheirSeedsAndTruncatedInput) {
    using namespace std::string_literals;
    const std::vector<std::vector<std::uint8_t>> codeInputs = {
        {},
        CodeInput("CFFEX", "IO2612-C-3900"),
        CodeInput("CZCE", "SR701C5800"),
        CodeInput("CZCE", "CF701P12000"),
        CodeInput("CZCE", "SR701C"),
        CodeInput("DCE", "m2701-C-" + std::string(40, '9')),
        CodeInput("DCE", "m2701-C-2900\0-1"s),
        CodeInput("CZ\0E"s, "SR701C5800"),
        Bytes("\x0F"
              "CZCE"),  // exchange length runs past the end
        Bytes("\xFF\xFF\xFF"),
    };
    for (const auto& input : codeInputs) EXPECT_EQ(FuzzOptionCode(input.data(), input.size()), 0);

    const std::vector<std::vector<std::uint8_t>> priceInputs = {
        {},
        {0x01, 0x02, 0x03},
        PriceInput(3901.2, 0.2),
        PriceInput(host::EmptyPrice, 0.2),
        PriceInput(-1e308, 0.000001),
        PriceInput(3901.2, host::EmptyPrice),
        PriceInput(0.0, 0.0),
        Bytes(std::string(16, '\xFF')),                                       // NaN value and tick
        Bytes(std::string(8, '\x00') + "\x00\x00\x00\x00\x00\x00\xF0\x7F"s),  // infinite tick
    };
    for (const auto& input : priceInputs) EXPECT_EQ(FuzzPriceFormat(input.data(), input.size()), 0);
}

}  // namespace
}  // namespace quillon::model
