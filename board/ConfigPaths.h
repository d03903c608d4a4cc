#pragma once

#include <string>
#include <string_view>

namespace quillon::board {

// Both configuration files sit beside the executable. The path forms take the module
// path as GetModuleFileNameA gives it (code page 936 bytes); the others use the running
// executable's own path.

// The module path with its last 4 bytes (".exe") replaced by ".INI"; empty when the path
// is shorter than 4 bytes.
std::string BuildIniPath(std::string_view modulePath);
std::string BuildIniPath();

// The module path cut after its last backslash, then "grid.xml"; the bare "grid.xml"
// when there is no backslash.
std::string BuildGridXmlPath(std::string_view modulePath);
std::string BuildGridXmlPath();

// Beside grid.xml: "ExpirySchedule.txt", the user's corrections of the exchanges' expiry
// rules, closures and exercise styles (analytics/ExpirySchedule.h has its lines).
std::string BuildExpirySchedulePath(std::string_view modulePath);
std::string BuildExpirySchedulePath();

}  // namespace quillon::board
