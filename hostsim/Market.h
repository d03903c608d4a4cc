#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quillon::hostsim {

// One listed instrument as the simulated host knows it: what it sends in the instrument
// record and what the quote engine needs to move its prices.
struct Instrument {
    std::string code;
    std::string exchange;
    bool isOption = false;
    bool isCall = false;
    double strike = 0.0;
    // Index of the underlying future in the market, or -1 (futures, and options whose
    // underlying the market does not list: those move on their own).
    int underlying = -1;
    double tick = 1.0;
    // Futures: the previous settlement. Options: filled by the quote engine from the
    // underlying's previous settlement unless the market gives one.
    double referencePrice = 0.0;
    // Daily price limit as a fraction of the (underlying's) previous settlement.
    double limitFraction = 0.07;
    double multiplier = 10.0;
    double yearsToExpiry = 0.1;
    double atTheMoneyVolatility = 0.2;
    // CZCE feeds carry no turnover: it is derived from volume and last price, so it can fall.
    bool derivedTurnover = false;
};

// The listed universe: instruments in listing order, exchanges in order of first listing.
class Market {
public:
    // Returns false (and adds nothing) when the code is already listed.
    bool Add(Instrument instrument);

    std::size_t Size() const { return instruments_.size(); }
    const Instrument& At(std::size_t index) const { return instruments_[index]; }
    Instrument& At(std::size_t index) { return instruments_[index]; }
    const std::vector<Instrument>& Instruments() const { return instruments_; }

    std::optional<std::size_t> IndexOf(const std::string& code) const;
    const std::vector<std::string>& Exchanges() const { return exchanges_; }
    // The codes of one exchange in listing order; empty for an exchange not listed.
    std::vector<std::string> CodesOf(const std::string& exchange) const;

    // One instrument a line in listing order, for scripts that pick codes:
    // "EXCHANGE CODE future" or "EXCHANGE CODE call|put UNDERLYING STRIKE" (the
    // underlying "-" when the market does not list it).
    std::string Listing() const;

private:
    std::vector<Instrument> instruments_;
    std::vector<std::string> exchanges_;
    std::map<std::string, std::size_t> indexByCode_;
};

}  // namespace quillon::hostsim
