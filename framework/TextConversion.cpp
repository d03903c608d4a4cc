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
    int length = WideCharToMultiByte(CodePage936, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                     nullptr, nullptr);
    if (length <= 0) return {};
    std::string narrow(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CodePage936, 0, text.data(), static_cast<int>(text.size()), narrow.data(), length, nullptr,
                        nullptr);
    return narrow;
}

}  // namespace quillon::framework
