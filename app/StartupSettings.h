#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "host/TesselAPI.h"

namespace quillon::app {

// RunMode 2 is the popup run mode; every other value is the normal (docked) run mode.
inline constexpr int PopupRunMode = 2;

// How the process was started: read once by InitInstance, read everywhere after.
struct StartupSettings {
    host::WindowHandle hostWindow = nullptr;
    int runMode = PopupRunMode;
    // First character of NewOptionType: instruments of this product class count as options.
    char newOptionType = '2';
};

StartupSettings& Settings();
inline bool IsPopupRunMode() {
    return Settings().runMode == PopupRunMode;
}

// The host's window handle from the first command-line argument, a decimal number read
// as atoi reads it (leading digits after an optional sign); 0 when there is no number.
std::uint32_t ParseHostWindowArgument(std::string_view argument);

// RunMode and NewOptionType from section Startup of the INI file at `iniPath`; the
// defaults (2 and '2') when the path is empty or the file or key is missing. The rate of
// [Analytics] and the boards' switches of [Board] come from the same file.
void ReadIniSettings(const std::string& iniPath, StartupSettings& settings);

// The text of the host's 0x3006 reply; nothing else reads it.
std::string& HostText();

}  // namespace quillon::app
