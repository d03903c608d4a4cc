#include "framework/FrameWnd.h"

#include "framework/WinApp.h"

namespace quillon::framework {

bool CFrameWnd::Create(const std::string& title, DWORD style, DWORD exStyle) {
    if (!RegisterWindowClassOnce(ClassName, CS_DBLCLKS, LoadCursorW(nullptr, IDC_ARROW),
                                 reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)))
        return false;
    return CreateEx(exStyle, ClassName, title, style, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                    nullptr, nullptr);
}

LRESULT CFrameWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCDESTROY) {
        CWinApp* application = CWinApp::Current();
        if (application && application->MainWindow() == this) PostQuitMessage(0);
    }
    return DefaultProc(message, wParam, lParam);
}

}  // namespace quillon::framework
