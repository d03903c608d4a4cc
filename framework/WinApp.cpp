#include "framework/WinApp.h"

namespace quillon::framework {

namespace {
CWinApp* currentApplication = nullptr;
}

CWinApp::CWinApp() {
    currentApplication = this;
}

CWinApp::~CWinApp() {
    if (currentApplication == this) currentApplication = nullptr;
}

CWinApp* CWinApp::Current() {
    return currentApplication;
}

int CWinApp::RunApplication() {
    if (!InitInstance()) {
        if (mainWindow_) mainWindow_->DestroyWindow();
        // The quit the destroyed main window posted is for a loop that never ran.
        MSG quit;
        while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        exitCode_ = 0;
        return ExitInstance();
    }
    exitCode_ = Run();
    return ExitInstance();
}

int CWinApp::Run() {
    MSG message;
    for (;;) {
        BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(message.wParam);
        if (got < 0) return -1;
        if (!PreTranslate(message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

bool CWinApp::PreTranslateMessage(MSG& message) {
    return PreTranslateThroughWindows(message);
}

bool CWinApp::PreTranslate(MSG& message) {
    if (currentApplication) return currentApplication->PreTranslateMessage(message);
    return PreTranslateThroughWindows(message);
}

bool CWinApp::PreTranslateThroughWindows(MSG& message) {
    for (HWND window = message.hwnd; window; window = GetParent(window)) {
        if (CWnd* object = CWnd::FromHandle(window)) {
            if (object->PreTranslateMessage(message)) return true;
        }
        // Pre-translation stops at the top-level window.
        if (!(GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD)) break;
    }
    return false;
}

}  // namespace quillon::framework
