#include "board/DlgOptionTTable.h"

#include "res/ResourceIds.h"

namespace quillon::board {

CDlgOptionTTable::CDlgOptionTTable() : CDialog(IDD_OPTION_TTABLE) {}

void CDlgOptionTTable::LoadContracts(const std::vector<std::string>& codes) { contracts_ = codes; }

void CDlgOptionTTable::ReloadColumns() { ++columnReloads_; }

void CDlgOptionTTable::OnQuote(const unsigned char* quote, bool /*isOption*/, bool /*isCall*/, double /*tick*/) {
    if (quote) ++quoteCount_;
}

INT_PTR CDlgOptionTTable::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // WM_CLOSE would end the dialog by default; the board stays until the frame goes.
    if (message == WM_CLOSE) return TRUE;
    return CDialog::DialogProc(message, wParam, lParam);
}

}  // namespace quillon::board
