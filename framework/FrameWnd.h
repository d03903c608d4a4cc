#pragma once

#include <windows.h>

#include <string>

#include "framework/Wnd.h"

namespace quillon::framework {

// A top-level frame window of the framework's default frame class. When the
// application's main window is destroyed, the message loop ends (WM_QUIT).
class CFrameWnd : public CWnd {
public:
    // The frame class every CFrameWnd uses.
    static constexpr const wchar_t* ClassName = L"QuillonFrame";

    // Default class and position (CW_USEDEFAULT), no parent, no menu. `title` is code
    // page 936.
    bool Create(const std::string& title, DWORD style, DWORD exStyle = 0);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

}  // namespace quillon::framework
