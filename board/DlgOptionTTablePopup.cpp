#include "board/DlgOptionTTablePopup.h"

#include "framework/ApplicationMessages.h"
#include "grid/GridCtrl.h"
#include "res/ResourceIds.h"

namespace quillon::board {

CDlgOptionTTablePopup::CDlgOptionTTablePopup() : CDialog(IDD_OPTION_TTABLE_POPUP) {}

bool CDlgOptionTTablePopup::Create() {
    // The template's two grids need their window class before the dialog is made.
    grid::CGridCtrl::RegisterWindowClass();
    return CDialog::Create(nullptr);
}

void CDlgOptionTTablePopup::ShowUnderlying(const std::string& code) {
    underlyingCode = code;
    SetText("期权T型报价--" + code);
}

void CDlgOptionTTablePopup::OnQuote(const unsigned char* quote, bool /*isOption*/, bool /*isCall*/,
                                    const std::string& /*strike*/, double /*tick*/) {
    if (quote) ++quoteCount_;
}

void CDlgOptionTTablePopup::ReloadColumns() {
    ++columnReloads_;
}

BOOL CDlgOptionTTablePopup::OnInitDialog() {
    RECT window = GetWindowRect();
    initialSize_ = {window.right - window.left, window.bottom - window.top};
    return TRUE;
}

INT_PTR CDlgOptionTTablePopup::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CLOSE:
            Post(WM_COMMAND, IDOK);
            return TRUE;
        case WM_GETMINMAXINFO:
            if (lParam) OnGetMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lParam));
            return FALSE;  // the system fills in the rest
    }
    return CDialog::DialogProc(message, wParam, lParam);
}

void CDlgOptionTTablePopup::OnGetMinMaxInfo(MINMAXINFO& info) const {
    if (!hwnd_ || initialSize_.cx == 0) return;
    info.ptMinTrackSize.x = initialSize_.cx;
    info.ptMinTrackSize.y = initialSize_.cy;
}

void CDlgOptionTTablePopup::ClosePopup() {
    closeRequested = true;
    if (HWND frame = framework::MainWindowHandle())
        PostMessageW(frame, framework::TTableDialogCloseMessage(), 0, reinterpret_cast<LPARAM>(this));
}

}  // namespace quillon::board
