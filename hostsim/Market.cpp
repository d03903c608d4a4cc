#include "hostsim/Market.h"

#include <algorithm>

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

}  // namespace quillon::hostsim
