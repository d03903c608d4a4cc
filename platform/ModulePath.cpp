#include "platform/ModulePath.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>

#include <vector>
#endif

namespace quillon::platform {

std::string ExecutablePath() {
#ifdef _WIN32
    char buffer[MAX_PATH + 1] = {};
    DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    return std::string(buffer, length);
#else
    std::vector<char> buffer(4096);
    ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0) return {};
    return std::string(buffer.data(), static_cast<size_t>(length));
#endif
}

}  // namespace quillon::platform
