#include "framework/TextConversion.h"

#include <windows.h>

namespace quillon::framework {

namespace {
constexpr UINT CodePage936 = 936;
}

std::wstring WideFromCodePage936(std::string_view text) {
    if (text.empty()) return {};
    int length = MultiByteToWideChar(CodePage936, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CodePage936, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string CodePage936FromWide(std::wstring_view text) {
    if (text.empty()) return {};
    int length =
        WideCharToMultiByte(CodePage936, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string narrow(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CodePage936, 0, text.data(), static_cast<int>(text.size()), narrow.data(), length, nullptr,
                        nullptr);
    return narrow;
}

bool EqualsIgnoringCaseCodePage936(std::string_view first, std::string_view second) {
    if (first.size() != second.size()) return false;
    auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c; };
    for (std::size_t i = 0; i < first.size(); ++i) {
        auto a = static_cast<unsigned char>(first[i]);
        auto b = static_cast<unsigned char>(second[i]);
        if (a >= 0x81 && a <= 0xFE && i + 1 < first.size()) {
            // A double-byte character: both bytes must match exactly.
            if (a != b || first[i + 1] != second[i + 1]) return false;
            ++i;
            continue;
        }
        if (lower(a) != lower(b)) return false;
    }
    return true;
}

}  // namespace quillon::framework
