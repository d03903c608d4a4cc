#pragma once

#include <string>
#include <string_view>

namespace quillon::framework {

// Every narrow string inside the program is code page 936; these are the only places
// it becomes UTF-16 and back, at the wide Win32 calls.
std::wstring WideFromCodePage936(std::string_view text);
std::string CodePage936FromWide(std::wstring_view text);

// Equality of two code page 936 texts ignoring the case of ASCII letters, as a
// multibyte-aware comparison does: the trail byte of a double-byte character is never
// taken for a letter, so two different characters never compare equal.
bool EqualsIgnoringCaseCodePage936(std::string_view first, std::string_view second);

}  // namespace quillon::framework
