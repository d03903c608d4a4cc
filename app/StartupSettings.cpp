#include "app/StartupSettings.h"

#include <windows.h>

#include <cctype>
#include <limits>

namespace quillon::app {

StartupSettings& Settings() {
    static StartupSettings settings;
    return settings;
}

std::string& HostText() {
    static std::string text;
    return text;
}

std::uint32_t ParseHostWindowArgument(std::string_view argument) {
    std::size_t at = 0;
    while (at < argument.size() && std::isspace(static_cast<unsigned char>(argument[at]))) ++at;
    bool negative = false;
    if (at < argument.size() && (argument[at] == '+' || argument[at] == '-')) negative = argument[at++] == '-';
    std::uint64_t value = 0;
    bool anyDigit = false;
    for (; at < argument.size() && argument[at] >= '0' && argument[at] <= '9'; ++at) {
        anyDigit = true;
        value = value * 10 + static_cast<unsigned>(argument[at] - '0');
        // A number past 32 bits names no window of this system.
        if (value > std::numeric_limits<std::uint32_t>::max()) return 0;
    }
    if (!anyDigit) return 0;
    auto handle = static_cast<std::uint32_t>(value);
    return negative ? 0u - handle : handle;
}

void ReadIniSettings(const std::string& iniPath, StartupSettings& settings) {
    settings.runMode = PopupRunMode;
    settings.newOptionType = '2';
    if (iniPath.empty()) return;
    // The path comes from GetModuleFileNameA, so the ANSI profile functions read it back
    // in the code page it was written in.
    settings.runMode = static_cast<int>(GetPrivateProfileIntA("Startup", "RunMode", PopupRunMode, iniPath.c_str()));
    char buffer[256] = {};
    GetPrivateProfileStringA("Startup", "NewOptionType", "2", buffer, sizeof buffer, iniPath.c_str());
    settings.newOptionType = buffer[0];
}

}  // namespace quillon::app
