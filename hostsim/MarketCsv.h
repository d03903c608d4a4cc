#pragma once

#include <istream>
#include <optional>
#include <string>

#include "hostsim/Market.h"

namespace quillon::hostsim {

// The longest code the quote record can carry with its NUL.
inline constexpr std::size_t MaxCodeLength = 30;

// A user's market: one instrument a line, "exchange,code,class,tick,reference price".
// Class '2' is an option; its code is read in its exchange's form (dashed, or letter form
// for CZCE, SHFE and INE) and priced from its underlying when the file lists it; its
// reference price is its previous settlement. Blank lines, lines starting with '#' and a
// header line starting with "exchange" are skipped. Any other unreadable line makes the
// whole file fail with an error naming the line: a half-read market would mislead.
std::optional<Market> LoadMarketCsv(std::istream& in, std::string& error);

}  // namespace quillon::hostsim
