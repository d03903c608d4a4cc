#include "hostsim/Market.h"

#include <algorithm>
#include <cstdio>

namespace quillon::hostsim {

bool Market::Add(Instrument instrument) {
    if (indexByCode_.count(instrument.code) != 0) return false;
    if (std::find(exchanges_.begin(), exchanges_.end(), instrument.exchange) == exchanges_.end()) {
        exchanges_.push_back(instrument.exchange);
    }
    indexByCode_.emplace(instrument.code, instruments_.size());
    instruments_.push_back(std::move(instrument));
    return true;
}

std::optional<std::size_t> Market::IndexOf(const std::string& code) const {
    auto found = indexByCode_.find(code);
    if (found == indexByCode_.end()) return std::nullopt;
    return found->second;
}

std::vector<std::string> Market::CodesOf(const std::string& exchange) const {
    std::vector<std::string> codes;
    for (const Instrument& instrument : instruments_) {
        if (instrument.exchange == exchange) codes.push_back(instrument.code);
    }
    return codes;
}

std::string Market::Listing() const {
    std::string text;
    for (const Instrument& instrument : instruments_) {
        text += instrument.exchange + ' ' + instrument.code;
        if (!instrument.isOption) {
            text += " future\n";
            continue;
        }
        char strike[32];
        std::snprintf(strike, sizeof strike, "%.10g", instrument.strike);
        const std::string underlying =
            instrument.underlying >= 0 ? instruments_[static_cast<std::size_t>(instrument.underlying)].code : "-";
        text += std::string(instrument.isCall ? " call " : " put ") + underlying + ' ' + strike + '\n';
    }
    return text;
}

}  // namespace quillon::hostsim
