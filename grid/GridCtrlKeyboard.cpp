// The keyboard: moving the focus cell, the selection that follows it, the clipboard keys
// and typing into a cell.
#include <algorithm>

#include "grid/GridCtrl.h"

namespace quillon::grid {

namespace {

bool IsKeyDown(int key) {
    return GetKeyState(key) < 0;
}

// The next index from `from` in `step` direction whose size is above 0, within
// [first, count); -1 when there is none.
template <typename SizeOf>
int NextShown(int from, int step, int first, int count, SizeOf sizeOf) {
    for (int index = from + step; index >= first && index < count; index += step) {
        if (sizeOf(index) > 0) return index;
    }
    return -1;
}

}  // namespace

bool CGridCtrl::MoveFocusForKey(UINT key, bool shift, bool control) {
    auto columnWidth = [this](int col) { return GetColumnWidth(col); };
    auto rowHeight = [this](int row) { return GetRowHeight(row); };
    const int firstRow = fixedRowCount_;
    const int firstColumn = fixedColumnCount_;
    const int firstShownColumn = NextShown(firstColumn - 1, 1, firstColumn, columnCount_, columnWidth);
    const int lastShownColumn = NextShown(columnCount_, -1, firstColumn, columnCount_, columnWidth);

    GridCellId next = focusCell_;
    int wrapScroll = -1;  // SB_LEFT or SB_RIGHT when Tab wraps to another row
    switch (key) {
        case VK_LEFT:
        case VK_RIGHT: {
            const int col = NextShown(next.col, key == VK_LEFT ? -1 : 1, firstColumn, columnCount_, columnWidth);
            if (col >= 0) next.col = col;
            break;
        }
        case VK_UP:
        case VK_DOWN: {
            const int row = NextShown(next.row, key == VK_UP ? -1 : 1, firstRow, rowCount_, rowHeight);
            if (row >= 0) next.row = row;
            break;
        }
        case VK_PRIOR:
        case VK_NEXT: {
            const int oldTop = GetTopLeftNonFixedCell().row;
            SendMessageW(hwnd_, WM_VSCROLL, key == VK_PRIOR ? SB_PAGEUP : SB_PAGEDOWN, 0);
            const int moved = GetTopLeftNonFixedCell().row - oldTop;
            if (moved == 0) {
                next.row = key == VK_PRIOR ? firstRow : rowCount_ - 1;
            } else {
                next.row = std::clamp(next.row + moved, firstRow, rowCount_ - 1);
            }
            break;
        }
        case VK_HOME:
        case VK_END: {
            const bool home = key == VK_HOME;
            SendMessageW(hwnd_, WM_HSCROLL, home ? SB_LEFT : SB_RIGHT, 0);
            const int col = home ? firstShownColumn : lastShownColumn;
            if (col >= 0) next.col = col;
            if (control) {
                SendMessageW(hwnd_, WM_VSCROLL, home ? SB_TOP : SB_BOTTOM, 0);
                const int row = home ? NextShown(firstRow - 1, 1, firstRow, rowCount_, rowHeight)
                                     : NextShown(rowCount_, -1, firstRow, rowCount_, rowHeight);
                if (row >= 0) next.row = row;
            }
            break;
        }
        case VK_TAB:
            if (tabToNextControl_ && !shift) {
                if (HWND dialog = GetParent(hwnd_)) PostMessageW(dialog, WM_NEXTDLGCTL, 0, 0);
                return true;
            }
            if (!shift) {
                const int col = NextShown(next.col, 1, firstColumn, columnCount_, columnWidth);
                if (col >= 0) {
                    next.col = col;
                } else {
                    const int row = NextShown(next.row, 1, firstRow, rowCount_, rowHeight);
                    if (row >= 0 && firstShownColumn >= 0) {
                        next = GridCellId{row, firstShownColumn};
                        wrapScroll = SB_LEFT;
                    }
                }
            } else {
                const int col = NextShown(next.col, -1, firstColumn, columnCount_, columnWidth);
                if (col >= 0) {
                    next.col = col;
                } else {
                    const int row = NextShown(next.row, -1, firstRow, rowCount_, rowHeight);
                    if (row >= 0 && lastShownColumn >= 0) {
                        next = GridCellId{row, lastShownColumn};
                        wrapScroll = SB_RIGHT;
                    }
                }
            }
            break;
        default:
            return false;
    }

    if (next == focusCell_ || !IsValid(next.row, next.col)) return true;
    if (mouseMode_ == GridMouseMode::Nothing) {
        // A focus cell set by the program has no anchor yet: Shift extends from the focus.
        if (shift && !IsValid(selectionAnchor_.row, selectionAnchor_.col)) selectionAnchor_ = focusCell_;
        previousSelection_.clear();
        mouseMode_ = listMode_ ? GridMouseMode::SelectRows : GridMouseMode::SelectCells;
        if (!shift || key == VK_TAB) selectionAnchor_ = next;
        SendMessageToParent(next.row, next.col, GN_SELCHANGING);
        ExtendSelection(next);
        SendMessageToParent(next.row, next.col, GN_SELCHANGED);
        mouseMode_ = GridMouseMode::Nothing;
    }
    SetFocusCell(next.row, next.col);

    RECT rect{};
    const RECT client = GetClientRect();
    const bool wholly =
        GetCellRect(next.row, next.col, &rect) && rect.right < client.right && rect.bottom < client.bottom;
    if (!wholly) {
        switch (key) {
            case VK_LEFT:
                SendMessageW(hwnd_, WM_HSCROLL, SB_LINELEFT, 0);
                break;
            case VK_RIGHT:
                SendMessageW(hwnd_, WM_HSCROLL, SB_LINERIGHT, 0);
                break;
            case VK_UP:
                SendMessageW(hwnd_, WM_VSCROLL, SB_LINEUP, 0);
                break;
            case VK_DOWN:
                SendMessageW(hwnd_, WM_VSCROLL, SB_LINEDOWN, 0);
                break;
            case VK_TAB:
                if (wrapScroll >= 0) {
                    SendMessageW(hwnd_, WM_HSCROLL, static_cast<WPARAM>(wrapScroll), 0);
                } else {
                    SendMessageW(hwnd_, WM_HSCROLL, shift ? SB_LINELEFT : SB_LINERIGHT, 0);
                }
                break;
            default:
                break;
        }
        EnsureCellVisible(next.row, next.col);
        if (allowDraw_) Invalidate(false);
    }
    return true;
}

void CGridCtrl::OnKeyDown(UINT key) {
    TitleTipHide();
    if (!IsValid(focusCell_.row, focusCell_.col)) return;
    const bool control = IsKeyDown(VK_CONTROL);
    const bool shift = IsKeyDown(VK_SHIFT);

    if (control && (key == 'C' || key == VK_INSERT)) {
        CopySelection();
    } else if (control && key == 'X') {
        CutSelection();
    } else if ((control && key == 'V') || (shift && key == VK_INSERT)) {
        PasteClipboard();
    } else if (control && key == 'A') {
        SelectAllCells();
    } else if (control && key == VK_ADD) {
        FitVisibleColumns();
        if (allowDraw_) Invalidate(false);
    } else if (key == VK_DELETE) {
        ClearSelectedText();
    } else if (key == VK_F2) {
        EditCell(focusCell_.row, focusCell_.col, POINT{}, VK_LBUTTON);
    } else {
        MoveFocusForKey(key, shift, control);
    }
}

void CGridCtrl::OnChar(UINT character) {
    if (IsKeyDown(VK_CONTROL) || mouseMode_ != GridMouseMode::Nothing || character == VK_ESCAPE) return;
    if (character == VK_TAB && handleTabKey_) return;
    if (IsValid(focusCell_.row, focusCell_.col)) EditCell(focusCell_.row, focusCell_.col, POINT{}, character);
}

}  // namespace quillon::grid
