#include "framework/RegisteredMessage.h"

#include <string>

#include "framework/TextConversion.h"

namespace quillon::framework {

UINT RegisterMessageName(std::string_view name) {
    std::wstring wide = WideFromCodePage936(name);
    return wide.empty() ? 0 : RegisterWindowMessageW(wide.c_str());
}

}  // namespace quillon::framework
