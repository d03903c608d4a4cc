#pragma once

#include <windows.h>

#include <string>

#include "framework/Dialog.h"

namespace quillon::board {

// A popup T-quote board of the popup run mode: one top-level dialog (template 133)
// per underlying, owned by the frame's PopupBoardSet.
//
// This version binds to an underlying, counts the quotes it is given and asks the
// frame to destroy it when closed; the grids come with the popup board itself.
class CDlgOptionTTablePopup : public framework::CDialog {
public:
    CDlgOptionTTablePopup();

    // Creates the window, modeless and without a parent, hidden.
    bool Create();

    // Binds the popup to an underlying; the title becomes "期权T型报价--<code>".
    void ShowUnderlying(const std::string& code);
    // One QuoteRecord (592 bytes) of the underlying or one of its options.
    void OnQuote(const unsigned char* quote, bool isOption, bool isCall, const std::string& strike, double tick);
    void ReloadColumns();

    // Set once the popup has asked to be destroyed; the frame routes no more quotes to it.
    bool closeRequested = false;
    // The underlying future this popup shows; empty until ShowUnderlying.
    std::string underlyingCode;

    int QuoteCount() const { return quoteCount_; }
    int ColumnReloadCount() const { return columnReloads_; }

protected:
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    // The "关闭" button and Enter.
    void OnOK() override { ClosePopup(); }

private:
    // Marks the popup closed and asks the frame (the main window of this thread) to
    // destroy it with "Quillon TTable Dialog Close"; the popup never destroys itself.
    void ClosePopup();
    void OnGetMinMaxInfo(MINMAXINFO& info) const;

    SIZE initialSize_ = {0, 0};
    int quoteCount_ = 0;
    int columnReloads_ = 0;
};

}  // namespace quillon::board
