#include "framework/MessageBox.h"

#include <string>

#include "framework/TextConversion.h"

namespace quillon::framework {

int ShowMessageBox(HWND owner, std::string_view text, std::string_view caption, UINT type) {
    std::wstring wideText = WideFromCodePage936(text);
    std::wstring wideCaption = WideFromCodePage936(caption);
    return MessageBoxW(owner, wideText.c_str(), wideCaption.c_str(), type);
}

}  // namespace quillon::framework
