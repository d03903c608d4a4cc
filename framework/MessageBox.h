#pragma once

#include <windows.h>

#include <string_view>

namespace quillon::framework {

// MessageBoxW with code page 936 text and caption; returns the button pressed.
int ShowMessageBox(HWND owner, std::string_view text, std::string_view caption, UINT type);

}  // namespace quillon::framework
