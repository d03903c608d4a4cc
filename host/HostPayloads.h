#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "host/WireRecords.h"

// Shape checks and decoders of every payload the program receives. Each takes the
// arrival's value word and raw bytes and gives the decoded value, or nothing when the
// message must be ignored: a non-zero value (the host reports failure), a negative or
// wrong length, a length that is not a whole number of slots, or missing bytes.
namespace quillon::host {

using InstrumentRecordBytes = std::array<unsigned char, instrument_record::Size>;
using QuoteRecordBytes = std::array<unsigned char, quote_record::Size>;

// HOSTMSG_EXCHANGES (0x6002): one or more 32-byte exchange slots.
std::optional<std::vector<std::string>> DecodeExchangeList(int value, const void* data, int dataLen);
// HOSTMSG_EXCHANGE_CODES (0x3002): 64-byte code slots; no bytes at all is an empty list.
std::optional<std::vector<std::string>> DecodeExchangeCodes(int value, const void* data, int dataLen);
// HOSTMSG_INSTRUMENT (0x3004): exactly 400 bytes, kept whole.
std::optional<InstrumentRecordBytes> DecodeInstrumentRecord(int value, const void* data, int dataLen);
// HOSTMSG_HOST_TEXT (0x3006): dataLen bytes of text, no NUL needed; bytes from the
// first NUL on are not part of it.
std::optional<std::string> DecodeHostText(int value, const void* data, int dataLen);
// HOSTMSG_CONTRACT_LIST_PUSH (0x7006): 64-byte code slots, empty allowed.
std::optional<std::vector<std::string>> DecodeContractListPush(int value, const void* data, int dataLen);
// HOSTMSG_CONTRACT_LIST (0x7012): 32-byte code slots, empty allowed.
std::optional<std::vector<std::string>> DecodeContractList(int value, const void* data, int dataLen);
// HOSTMSG_SELECTED (0x8012): exactly one 64-byte code slot.
std::optional<std::string> DecodeSelectedCode(int value, const void* data, int dataLen);
// HOSTMSG_QUOTE_PUSH / HOSTMSG_QUOTE_REPLY (0x7003 / 0x700A): at least 592 bytes, of
// which the first 592 are kept. A shorter quote is ignored rather than read past its end.
std::optional<QuoteRecordBytes> DecodeQuote(int value, const void* data, int dataLen);

// Splits dataLen bytes into slotSize-byte slots and reads each as NUL-terminated text.
// Nothing when dataLen is negative, not a multiple of slotSize, or data is missing.
std::optional<std::vector<std::string>> DecodeSlotList(const void* data, int dataLen, std::size_t slotSize);

}  // namespace quillon::host
