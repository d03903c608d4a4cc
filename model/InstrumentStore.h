#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "host/WireRecords.h"

namespace quillon::model {

// The instrument records by code, packed. A record is kept whole, but most of its 400
// bytes are the NUL padding of its text fields, so each is stored with its runs of zero
// bytes counted instead of spelled out: a typical record shrinks to a tenth. Every entry
// (its code, then its packed record) lies in one growing buffer, and the index of entries
// in code order is one 32-bit offset each, so a table of tens of thousands of instruments
// costs a few bytes of bookkeeping per instrument instead of a tree node, a key string
// and a 400-byte array.
//
// Codes arrive in code order during the load, so an insert is normally an append; one
// out of order moves the offsets after it. Not thread-safe: MarketData locks around it.
class InstrumentStore {
public:
    using Record = std::array<unsigned char, host::instrument_record::Size>;

    // Adds `record` under `code` unless the code is already there.
    bool Insert(std::string_view code, const Record& record);
    std::optional<Record> Find(std::string_view code) const;
    bool Contains(std::string_view code) const;
    std::size_t size() const { return order_.size(); }
    void clear();

    // Calls visit(code, record) for every entry in code order.
    template <typename Visit>
    void ForEach(Visit&& visit) const {
        Record record;
        for (std::uint32_t offset : order_) {
            Unpack(offset, record);
            visit(CodeAt(offset), static_cast<const Record&>(record));
        }
    }

    // The bytes the store holds for its entries and its index (for measuring).
    std::size_t StoredBytes() const { return bytes_.size() + order_.size() * sizeof(std::uint32_t); }

private:
    std::string_view CodeAt(std::uint32_t offset) const;
    void Unpack(std::uint32_t offset, Record& record) const;
    // The first position in order_ whose code is not before `code`.
    std::vector<std::uint32_t>::const_iterator LowerBound(std::string_view code) const;

    std::vector<unsigned char> bytes_;
    std::vector<std::uint32_t> order_;
};

}  // namespace quillon::model
