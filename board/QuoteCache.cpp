#include "board/QuoteCache.h"

#include <cstring>

namespace quillon::board {

const CachedQuote& QuoteCache::Put(const std::string& code, const unsigned char* quote) {
    auto [entry, added] = quotes_.try_emplace(code);
    CachedQuote& cached = entry->second;
    if (!added) {
        cached.previous = cached.latest;
        cached.hasPrevious = true;
    }
    std::memcpy(cached.latest.data(), quote, cached.latest.size());
    return cached;
}

const CachedQuote* QuoteCache::Find(const std::string& code) const {
    auto entry = quotes_.find(code);
    return entry != quotes_.end() ? &entry->second : nullptr;
}

}  // namespace quillon::board
