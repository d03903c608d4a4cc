#pragma once

#include <array>
#include <map>
#include <string>

#include "host/WireRecords.h"

// A board's copy of the quotes it was given: per code the latest QuoteRecord and the one
// before it ("现量" is their volume difference). Rows are written from these copies, never
// from the caller's buffer, and written again from them after a column change. Portable.
namespace quillon::board {

using QuoteRecordBytes = std::array<unsigned char, host::quote_record::Size>;

struct CachedQuote {
    QuoteRecordBytes latest{};
    QuoteRecordBytes previous{};
    bool hasPrevious = false;
    // The previous record, or null before a second quote of the code.
    const unsigned char* Previous() const { return hasPrevious ? previous.data() : nullptr; }
};

class QuoteCache {
public:
    using Entries = std::map<std::string, CachedQuote>;

    // Keeps `quote` (a whole QuoteRecord) as the latest of `code`; the latest it replaces
    // becomes the previous.
    const CachedQuote& Put(const std::string& code, const unsigned char* quote);
    const CachedQuote* Find(const std::string& code) const;

    Entries::const_iterator begin() const { return quotes_.begin(); }
    Entries::const_iterator end() const { return quotes_.end(); }
    std::size_t size() const { return quotes_.size(); }

private:
    Entries quotes_;
};

}  // namespace quillon::board
