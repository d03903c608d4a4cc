#include "framework/RegisteredMessage.h"

#include "framework/TextConversion.h"

#include <string>

namespace quillon::framework {

UINT RegisterMessageName(std::string_view name) {
    std::wstring wide = WideFromCodePage936(name);
    return wide.empty() ? 0 : RegisterWindowMessageW(wide.c_str());
}

}  // namespace quillon::framework
