#include "app/StartupSettings.h"

#include <windows.h>

#include <cctype>
#include <limits>

#include "board/AnalyticsSettings.h"
#include "board/BoardDisplay.h"
#include "framework/TextConversion.h"

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
    board::SharedAnalyticsSettings().riskFreeRate = board::DefaultRiskFreeRate;
    board::ReadBoardDisplay(iniPath);
    if (iniPath.empty()) return;
    // The path is code page 936 like every narrow string of ours; the ANSI profile
    // functions would read it in the system's code page and miss a Chinese folder.
    std::wstring path = framework::WideFromCodePage936(iniPath);
    settings.runMode = static_cast<int>(GetPrivateProfileIntW(L"Startup", L"RunMode", PopupRunMode, path.c_str()));
    wchar_t buffer[256] = {};
    GetPrivateProfileStringW(L"Startup", L"NewOptionType", L"2", buffer, 256, path.c_str());
    std::string value = framework::CodePage936FromWide(buffer);
    settings.newOptionType = value.empty() ? '\0' : value[0];
    GetPrivateProfileStringW(L"Analytics", L"RiskFreeRate", L"", buffer, 256, path.c_str());
    board::SharedAnalyticsSettings().riskFreeRate = board::ParseRiskFreeRate(framework::CodePage936FromWide(buffer));
}

}  // namespace quillon::app
