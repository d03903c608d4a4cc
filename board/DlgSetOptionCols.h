#pragma once

#include <windows.h>

#include <string>

#include "board/ColumnCatalogue.h"
#include "framework/Dialog.h"
#include "framework/ListCtrl.h"

namespace quillon::board {

// The modal dialog (template 132) in which the user picks the quote columns both boards
// show and their order. Every side column is one row of a check-box list: the shown ones
// first, ticked, in their order, then the rest in id order. The rows are the state while
// the dialog is open; OK replaces the process-wide column set from them and tells the
// main frame with "Quillon Cols Set Changed". Nothing is written to disk here.
class CDlgSetOptionCols : public framework::CDialog {
public:
    // LVS_EX_CHECKBOXES | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_HIDELABELS |
    // LVS_EX_SIMPLESELECT.
    static constexpr DWORD ListExtendedStyle = 0x120025;
    static constexpr int CheckColumnWidth = 20;
    static constexpr int CaptionColumnWidth = 81;

    CDlgSetOptionCols();

    // The list of the open dialog (for the boards' tests and the dialog's own).
    const framework::CListCtrl& ColumnList() const { return columnList_; }

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int notifyCode, HWND control) override;
    void OnOK() override;
    void OnCancel() override;

private:
    void DoDataExchange();
    void FillList();
    void AppendRow(ColumnId id, const std::string& caption, bool checked);
    void CentreOnOwner();

    // The first selected row, or -1 after telling the user to select one.
    int SelectedRowOrWarn();
    void MoveSelectedRowUp();
    void MoveSelectedRowDown();
    void SwapRows(int first, int second);
    void MoveSelection(int from, int to);

    framework::CListCtrl columnList_;  // control 1001
    // Set once OK or Cancel ended the dialog. Closing every dialog of the process presses
    // Cancel and then, on a dialog that is still there, OK as well: an ended dialog
    // answers neither, so a cancelled choice is never applied.
    bool ended_ = false;
};

}  // namespace quillon::board
