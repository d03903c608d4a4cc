#include "model/InstrumentStore.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "model/ByteOrder.h"

namespace quillon::model {

namespace {

// An entry: the code's length (two bytes, low first), the code, then the record as runs.
// A run's head byte with the top bit set stands for (head & 0x7F) + 1 zero bytes; without
// it, (head + 1) bytes copied as they are follow the head.
constexpr unsigned char ZeroRunFlag = 0x80;
constexpr std::size_t LongestRun = 0x80;
constexpr std::size_t CodeLengthBytes = 2;

void AppendPacked(std::vector<unsigned char>& out, const InstrumentStore::Record& record) {
    std::size_t at = 0;
    while (at < record.size()) {
        std::size_t run = 0;
        if (record[at] == 0) {
            while (at + run < record.size() && record[at + run] == 0 && run < LongestRun) ++run;
            out.push_back(static_cast<unsigned char>(ZeroRunFlag | (run - 1)));
        } else {
            // Literal bytes go on until two zero bytes in a row, which a zero run stores in
            // fewer bytes than it takes to spell them out.
            while (at + run < record.size() && run < LongestRun &&
                   !(record[at + run] == 0 && at + run + 1 < record.size() && record[at + run + 1] == 0))
                ++run;
            out.push_back(static_cast<unsigned char>(run - 1));
            out.insert(out.end(), record.begin() + static_cast<std::ptrdiff_t>(at),
                       record.begin() + static_cast<std::ptrdiff_t>(at + run));
        }
        at += run;
    }
}

}  // namespace

std::string_view InstrumentStore::CodeAt(std::uint32_t offset) const {
    const std::size_t length = bytes_[offset] | (static_cast<std::size_t>(bytes_[offset + 1]) << 8);
    return {reinterpret_cast<const char*>(bytes_.data() + offset + CodeLengthBytes), length};
}

void InstrumentStore::Unpack(std::uint32_t offset, Record& record) const {
    const unsigned char* in = bytes_.data() + offset + CodeLengthBytes + CodeAt(offset).size();
    std::size_t at = 0;
    while (at < record.size()) {
        const unsigned char head = *in++;
        const std::size_t run = static_cast<std::size_t>(head & ~ZeroRunFlag) + 1;
        if ((head & ZeroRunFlag) != 0) {
            std::memset(record.data() + at, 0, run);
        } else {
            std::memcpy(record.data() + at, in, run);
            in += run;
        }
        at += run;
    }
}

std::vector<std::uint32_t>::const_iterator InstrumentStore::LowerBound(std::string_view code) const {
    return std::lower_bound(order_.begin(), order_.end(), code, [this](std::uint32_t offset, std::string_view key) {
        return ByteOrder{}(CodeAt(offset), key);
    });
}

bool InstrumentStore::Insert(std::string_view code, const Record& record) {
    // The host's codes fit 64 bytes; a code too long for the length field is no code of its.
    if (code.size() > 0xFFFF) return false;
    auto position = LowerBound(code);
    if (position != order_.end() && CodeAt(*position) == code) return false;
    const std::size_t offset = bytes_.size();
    // Worst case per entry: the code and one head byte per run of literal bytes.
    if (offset + CodeLengthBytes + code.size() + record.size() + record.size() / LongestRun + 1 >
        std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("instrument store full");
    const std::ptrdiff_t index = position - order_.begin();
    bytes_.push_back(static_cast<unsigned char>(code.size() & 0xFF));
    bytes_.push_back(static_cast<unsigned char>(code.size() >> 8));
    bytes_.insert(bytes_.end(), code.begin(), code.end());
    AppendPacked(bytes_, record);
    order_.insert(order_.begin() + index, static_cast<std::uint32_t>(offset));
    return true;
}

std::optional<InstrumentStore::Record> InstrumentStore::Find(std::string_view code) const {
    auto position = LowerBound(code);
    if (position == order_.end() || CodeAt(*position) != code) return std::nullopt;
    Record record;
    Unpack(*position, record);
    return record;
}

bool InstrumentStore::Contains(std::string_view code) const {
    auto position = LowerBound(code);
    return position != order_.end() && CodeAt(*position) == code;
}

void InstrumentStore::clear() {
    bytes_.clear();
    bytes_.shrink_to_fit();
    order_.clear();
    order_.shrink_to_fit();
}

}  // namespace quillon::model
