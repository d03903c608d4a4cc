#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::host {

// Instrument codes travel in 64-byte slots, exchange identifiers in 32-byte slots:
// NUL-terminated code page 936 bytes, zero-padded.
inline constexpr std::size_t CodeSlotSize = 64;
inline constexpr std::size_t ExchangeSlotSize = 32;

// Zero-fills the slot and copies at most slotSize - 1 bytes of text, so the slot always
// ends in a NUL. Bytes after a NUL inside `text` are not copied.
void WriteTextSlot(char* slot, std::size_t slotSize, std::string_view text);

// A list of texts as consecutive slots of slotSize bytes, each written as WriteTextSlot
// writes it.
std::vector<unsigned char> EncodeTextSlots(const std::vector<std::string>& texts, std::size_t slotSize);

// Reads the text at the start of a slot up to its first NUL, never past the slot.
std::string ReadTextSlot(const char* slot, std::size_t slotSize);

}  // namespace quillon::host
