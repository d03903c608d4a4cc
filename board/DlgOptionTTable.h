#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/Dialog.h"

namespace quillon::board {

// The docked T-quote board of the normal run mode: a child dialog (template 130) that
// the main frame creates over its whole client area.
//
// This first version carries only what the frame drives: the contract list and the
// quotes are kept, not shown yet.
class CDlgOptionTTable : public framework::CDialog {
public:
    CDlgOptionTTable();

    // Creates the dialog window as a child of `parent` (hidden until shown).
    bool Create(HWND parent) { return CDialog::Create(parent); }

    // The host's list of contracts to show, in the host's order; an empty list empties
    // the board.
    void LoadContracts(const std::vector<std::string>& codes);
    // The column set changed: rebuild the grids' columns.
    void ReloadColumns();
    // One QuoteRecord (592 bytes) of a contract on this board.
    void OnQuote(const unsigned char* quote, bool isOption, bool isCall, double tick);

    const std::vector<std::string>& Contracts() const { return contracts_; }
    int QuoteCount() const { return quoteCount_; }
    int ColumnReloadCount() const { return columnReloads_; }

protected:
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Enter, Escape and the close command never end or hide the board.
    void OnOK() override {}
    void OnCancel() override {}

private:
    std::vector<std::string> contracts_;
    int quoteCount_ = 0;
    int columnReloads_ = 0;
};

}  // namespace quillon::board
