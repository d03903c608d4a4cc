#include "framework/Foreground.h"

#include <cwchar>

#include "framework/Dialog.h"

namespace quillon::framework {

void BringToForeground(HWND window) {
    if (!window) return;
    HWND foreground = GetForegroundWindow();
    DWORD ownThread = GetCurrentThreadId();
    DWORD foregroundThread = foreground ? GetWindowThreadProcessId(foreground, nullptr) : 0;
    bool attached = foregroundThread != 0 && foregroundThread != ownThread &&
                    AttachThreadInput(ownThread, foregroundThread, TRUE) != FALSE;
    ShowWindow(window, SW_SHOW);
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(window);
    SetFocus(window);
    if (attached) AttachThreadInput(ownThread, foregroundThread, FALSE);
}

namespace {

BOOL CALLBACK CloseIfOwnDialog(HWND window, LPARAM) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId != GetCurrentProcessId()) return TRUE;
    wchar_t className[1024] = {};
    GetClassNameW(window, className, 1024);
    if (_wcsicmp(className, L"#32770") != 0) return TRUE;

    // Asked before Cancel, which may end the loop and the object with it.
    auto* dialog = dynamic_cast<CDialog*>(CWnd::FromHandle(window));
    bool inModalLoop = dialog && dialog->IsRunningModalLoop();
    SendMessageW(window, WM_COMMAND, IDCANCEL, 0);
    SendMessageW(window, WM_COMMAND, IDNO, 0);
    if (inModalLoop) return TRUE;
    // The dialog may be gone after Cancel; the further commands then go nowhere.
    Sleep(10);
    if (!IsWindow(window)) return TRUE;
    SendMessageW(window, WM_COMMAND, IDOK, 0);
    SendMessageW(window, WM_COMMAND, IDYES, 0);
    return TRUE;
}

}  // namespace

void CloseOwnDialogs() {
    EnumWindows(&CloseIfOwnDialog, 0);
}

}  // namespace quillon::framework
