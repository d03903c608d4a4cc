#include "framework/Dialog.h"

#include "framework/WinApp.h"

namespace quillon::framework {

CDialog::~CDialog() {
    // The window's last messages must not reach a half-destroyed derived object.
    if (hwnd_ && ::IsWindow(hwnd_)) {
        SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
        HWND window = hwnd_;
        ReleaseFromWindow();
        ::DestroyWindow(window);
    }
}

bool CDialog::Create(HWND parent) {
    if (hwnd_) return false;
    HWND made = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), parent,
                                   &CDialog::StaticDialogProc, reinterpret_cast<LPARAM>(this));
    return made != nullptr && hwnd_ == made;
}

INT_PTR CDialog::DoModal(HWND parent) {
    if (hwnd_) return -1;
    // A child (a docked board) lends its top-level window: that is what the user must
    // not reach while the dialog is up, and what owns the dialog.
    if (parent) parent = GetAncestor(parent, GA_ROOT);
    modalResult_ = -1;
    inModalLoop_ = true;
    continueModal_ = true;
    HWND made = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), parent,
                                   &CDialog::StaticDialogProc, reinterpret_cast<LPARAM>(this));
    if (!made) {
        inModalLoop_ = continueModal_ = false;
        return -1;
    }
    bool parentWasEnabled = parent && IsWindowEnabled(parent);
    if (parentWasEnabled) EnableWindow(parent, FALSE);
    if (continueModal_) ::ShowWindow(made, SW_SHOW);

    MSG message;
    while (continueModal_) {
        BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (got < 0) break;
        if (!CWinApp::PreTranslate(message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    inModalLoop_ = continueModal_ = false;

    // The parent is enabled before the dialog goes, so activation returns to it.
    if (parentWasEnabled && ::IsWindow(parent)) {
        EnableWindow(parent, TRUE);
        if (hwnd_ && GetActiveWindow() == hwnd_) SetActiveWindow(parent);
    }
    if (hwnd_) ::DestroyWindow(hwnd_);
    return modalResult_;
}

void CDialog::EndDialog(INT_PTR result) {
    modalResult_ = result;
    if (inModalLoop_) {
        continueModal_ = false;
        // Wakes the loop if it is waiting for a message.
        if (hwnd_) ::PostMessageW(hwnd_, WM_NULL, 0, 0);
    }
    if (hwnd_) ::ShowWindow(hwnd_, SW_HIDE);
}

bool CDialog::PreTranslateMessage(MSG& message) {
    if (!hwnd_ || message.message < WM_KEYFIRST || message.message > WM_KEYLAST) return false;
    return IsDialogMessageW(hwnd_, &message) != FALSE;
}

INT_PTR CDialog::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog();
        case WM_COMMAND:
            return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)) ? TRUE : FALSE;
        case WM_TIMER:
            return OnTimer(static_cast<UINT_PTR>(wParam)) ? TRUE : FALSE;
        case WM_NOTIFY: {
            LRESULT result = 0;
            if (!OnNotify(static_cast<int>(wParam), reinterpret_cast<NMHDR*>(lParam), result)) return FALSE;
            SetMessageResult(result);
            return TRUE;
        }
    }
    return FALSE;
}

bool CDialog::OnCommand(int id, int /*notifyCode*/, HWND /*control*/) {
    switch (id) {
        case IDOK:
            OnOK();
            return true;
        case IDCANCEL:
            OnCancel();
            return true;
    }
    return false;
}

bool CDialog::OnNotify(int /*controlId*/, NMHDR* /*header*/, LRESULT& /*result*/) {
    return false;
}

void CDialog::SetMessageResult(LRESULT result) const {
    if (hwnd_) SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
}

INT_PTR CALLBACK CDialog::StaticDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lParam);
        if (!self) return FALSE;
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        self->BindToWindow(window);
    } else {
        self = reinterpret_cast<CDialog*>(GetWindowLongPtrW(window, DWLP_USER));
    }
    if (!self) return FALSE;
    if (message == WM_NCDESTROY) {
        self->DialogProc(message, wParam, lParam);
        SetWindowLongPtrW(window, DWLP_USER, 0);
        self->continueModal_ = false;
        self->ReleaseFromWindow();
        return FALSE;
    }
    return self->DialogProc(message, wParam, lParam);
}

}  // namespace quillon::framework
