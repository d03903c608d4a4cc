#pragma once

#include <windows.h>

// <commctrl.h> builds on the types of <windows.h>.
#include <commctrl.h>

#include <string>

#include "framework/Wnd.h"

namespace quillon::framework {

// A thin wrapper over a list-view control ("SysListView32") that a dialog template made.
// It borrows the window (the dialog owns and destroys it) and speaks the list view's
// wide messages; every text crossing it is code page 936.
class CListCtrl : public CWnd {
public:
    // Borrows the control `controlId` of `dialog`; false when there is no such control.
    bool AttachDlgItem(HWND dialog, int controlId);

    // LVM_SETEXTENDEDLISTVIEWSTYLE: a mask of 0 makes every bit of `style` count, so the
    // extended style becomes exactly `style`. Returns the previous extended style.
    DWORD SetExtendedStyle(DWORD mask, DWORD style) const;
    DWORD GetExtendedStyle() const;

    // Report-view column; returns its index or -1.
    int InsertColumn(int index, const std::string& heading, int format, int width) const;
    std::string GetColumnHeading(int index) const;
    int GetColumnWidth(int index) const;

    int GetItemCount() const;
    // Returns the new item's index or -1.
    int InsertItem(int index, const std::string& text) const;
    bool DeleteAllItems() const;
    bool SetItemText(int item, int subItem, const std::string& text) const;
    std::string GetItemText(int item, int subItem) const;
    bool SetItemData(int item, LPARAM data) const;
    LPARAM GetItemData(int item) const;  // 0 for an item that does not exist
    bool SetItemState(int item, UINT state, UINT mask) const;
    UINT GetItemState(int item, UINT mask) const;
    // The next item after `start` (-1: from the top) that has every state of `flags`
    // (LVNI_SELECTED ...), or -1.
    int GetNextItem(int start, int flags) const;

    // The check box of LVS_EX_CHECKBOXES lives in the state image: 1 unchecked, 2 checked.
    bool SetCheck(int item, bool checked) const;
    bool GetCheck(int item) const;
};

}  // namespace quillon::framework
