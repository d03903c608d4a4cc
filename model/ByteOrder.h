#pragma once

#include <algorithm>
#include <cstring>
#include <string_view>

namespace quillon::model {

// Plain byte-wise text order, bytes taken as unsigned (code page 936 lead bytes 0x81 and
// up sort after ASCII), a shorter prefix first. std::string's own operator< orders the
// same way (char_traits<char> compares as unsigned char); this comparator says so where
// the tables are declared, and lets lookups take a string_view without building a string.
struct ByteOrder {
    using is_transparent = void;

    bool operator()(std::string_view left, std::string_view right) const noexcept {
        const std::size_t common = std::min(left.size(), right.size());
        // memcmp compares as unsigned char; a zero length must not reach it with a null
        // data pointer.
        const int order = common == 0 ? 0 : std::memcmp(left.data(), right.data(), common);
        return order != 0 ? order < 0 : left.size() < right.size();
    }
};

}  // namespace quillon::model
