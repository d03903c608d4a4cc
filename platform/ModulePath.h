#pragma once

#include <string>

namespace quillon::platform {

// The full path of the running executable, in the system's narrow encoding
// (GetModuleFileNameA on Windows, /proc/self/exe elsewhere). Empty if it cannot be read.
std::string ExecutablePath();

}  // namespace quillon::platform
