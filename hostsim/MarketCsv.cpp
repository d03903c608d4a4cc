#include "hostsim/MarketCsv.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace quillon::hostsim {
namespace {

std::string Trim(const std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
    return text.substr(begin, end - begin);
}

std::vector<std::string> SplitFields(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream stream(line);
    std::string field;
    while (std::getline(stream, field, ',')) fields.push_back(Trim(field));
    if (!line.empty() && line.back() == ',') fields.emplace_back();
    return fields;
}

std::optional<double> ReadPositive(const std::string& text) {
    if (text.empty()) return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(value) || value <= 0) return std::nullopt;
    return value;
}

bool IsNumber(const std::string& text) {
    return ReadPositive(text).has_value();
}

struct OptionParts {
    std::string underlying;
    bool isCall;
    double strike;
};

// Dashed form: underlying-C-strike. Letter form: underlying, C or P, strike digits.
std::optional<OptionParts> SplitOptionCode(const std::string& code, const std::string& exchange) {
    const bool letterForm = exchange == "CZCE" || exchange == "SHFE" || exchange == "INE";
    if (!letterForm) {
        const std::size_t first = code.find('-');
        const std::size_t second = first == std::string::npos ? first : code.find('-', first + 1);
        if (second == std::string::npos || first == 0) return std::nullopt;
        const std::string side = code.substr(first + 1, second - first - 1);
        const std::string strike = code.substr(second + 1);
        if ((side != "C" && side != "P") || !IsNumber(strike)) return std::nullopt;
        std::string underlying = code.substr(0, first);
        if (exchange == "CFFEX" && underlying.size() > 2) {
            const std::string product = underlying.substr(0, 2);
            const std::string future = product == "IO"   ? "IF"
                                       : product == "HO" ? "IH"
                                       : product == "MO" ? "IM"
                                                         : product;
            underlying = future + underlying.substr(2);
        }
        return OptionParts{underlying, side == "C", *ReadPositive(strike)};
    }
    const std::size_t split = code.find_last_of("CP");
    if (split == std::string::npos || split == 0 || !IsNumber(code.substr(split + 1))) return std::nullopt;
    return OptionParts{code.substr(0, split), code[split] == 'C', *ReadPositive(code.substr(split + 1))};
}

}  // namespace

std::optional<Market> LoadMarketCsv(std::istream& in, std::string& error) {
    Market market;
    std::vector<std::string> underlyingCodes;
    std::string line;
    int lineNumber = 0;
    auto fail = [&](const std::string& why) {
        error = "line " + std::to_string(lineNumber) + ": " + why;
        return std::nullopt;
    };
    while (std::getline(in, line)) {
        ++lineNumber;
        const std::string trimmed = Trim(line);
        if (trimmed.empty() || trimmed[0] == '#') continue;
        const std::vector<std::string> fields = SplitFields(trimmed);
        if (lineNumber == 1 || market.Size() == 0) {
            if (fields[0] == "exchange") continue;
        }
        if (fields.size() != 5) return fail("expected exchange,code,class,tick,reference price");
        Instrument instrument;
        instrument.exchange = fields[0];
        instrument.code = fields[1];
        if (instrument.exchange.empty() || instrument.exchange.size() > 31) return fail("bad exchange");
        if (instrument.code.empty() || instrument.code.size() > MaxCodeLength) {
            return fail("code missing or longer than " + std::to_string(MaxCodeLength) + " characters");
        }
        if (fields[2].size() != 1) return fail("class is one character");
        const auto tick = ReadPositive(fields[3]);
        const auto reference = ReadPositive(fields[4]);
        if (!tick || !reference) return fail("tick and reference price must be positive numbers");
        instrument.tick = *tick;
        instrument.referencePrice = *reference;
        instrument.limitFraction = instrument.exchange == "CFFEX" ? 0.10 : 0.07;
        instrument.atTheMoneyVolatility = 0.25;
        instrument.yearsToExpiry = 0.1;
        instrument.derivedTurnover = instrument.exchange == "CZCE";
        std::string underlying;
        if (fields[2] == "2") {
            const auto parts = SplitOptionCode(instrument.code, instrument.exchange);
            if (!parts) return fail("option code " + instrument.code + " is not in its exchange's form");
            instrument.isOption = true;
            instrument.isCall = parts->isCall;
            instrument.strike = parts->strike;
            underlying = parts->underlying;
        }
        if (!market.Add(instrument)) return fail("code " + instrument.code + " listed twice");
        underlyingCodes.push_back(underlying);
    }
    if (market.Size() == 0) {
        error = "no instruments";
        return std::nullopt;
    }
    for (std::size_t i = 0; i < market.Size(); ++i) {
        if (underlyingCodes[i].empty()) continue;
        const auto future = market.IndexOf(underlyingCodes[i]);
        if (future && !market.At(*future).isOption) {
            Instrument& option = market.At(i);
            option.underlying = static_cast<int>(*future);
            option.limitFraction = market.At(*future).limitFraction;
        }
    }
    return market;
}

}  // namespace quillon::hostsim
