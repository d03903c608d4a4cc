#pragma once

#include <windows.h>

#include <string_view>

namespace quillon::framework {

// RegisterWindowMessageW of a code page 936 name; 0 when registration fails.
UINT RegisterMessageName(std::string_view name);

}  // namespace quillon::framework
