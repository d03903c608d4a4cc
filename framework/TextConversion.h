#pragma once

#include <string>
#include <string_view>

namespace quillon::framework {

// Every narrow string inside the program is code page 936; these are the only places
// it becomes UTF-16 and back, at the wide Win32 calls.
std::wstring WideFromCodePage936(std::string_view text);
std::string CodePage936FromWide(std::wstring_view text);

}  // namespace quillon::framework
