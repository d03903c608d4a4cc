#pragma once

#include <string>

namespace quillon::platform {

// The full path of the running executable as a code page 936 string on Windows (the
// program's one narrow encoding), as the file system's bytes elsewhere. Empty if it cannot
// be read.
std::string ExecutablePath();

}  // namespace quillon::platform
