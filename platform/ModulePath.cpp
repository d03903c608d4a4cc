#include "platform/ModulePath.h"

#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace quillon::platform {

std::string ExecutablePath() {
#ifdef _WIN32
    // The wide call and an explicit code page 936 conversion: the narrow call would give the
    // system's ANSI code page, which turns a Chinese folder name into '?' on most machines.
    std::vector<wchar_t> buffer(32768);
    DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0 || length >= buffer.size()) return {};
    int narrowLength = WideCharToMultiByte(936, 0, buffer.data(), static_cast<int>(length), nullptr, 0, nullptr,
                                           nullptr);
    if (narrowLength <= 0) return {};
    std::string path(static_cast<size_t>(narrowLength), '\0');
    WideCharToMultiByte(936, 0, buffer.data(), static_cast<int>(length), path.data(), narrowLength, nullptr,
                        nullptr);
    return path;
#else
    std::vector<char> buffer(4096);
    ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0) return {};
    return std::string(buffer.data(), static_cast<size_t>(length));
#endif
}

}  // namespace quillon::platform
