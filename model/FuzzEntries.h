#pragma once

#include <cstddef>
#include <cstdint>

namespace quillon::model {

// Entries for a fuzzer: each takes arbitrary bytes, drives the routines with them and
// aborts when a result breaks what callers rely on. Both return 0.

// First byte: exchange length (mod 16); then that many exchange bytes; the rest is the
// code. Drives ParseOptionCode and MakeStrikeKey.
int FuzzOptionCode(const std::uint8_t* data, std::size_t size);

// Bytes 0-7: the value, bytes 8-15: the tick (missing bytes read as zero). Drives
// FormatPrice, CountDecimals and NearlyEqual.
int FuzzPriceFormat(const std::uint8_t* data, std::size_t size);

}  // namespace quillon::model
