// The mouse: clicks, drag selection with automatic scrolling, resizing rows and columns at
// their header borders, double clicks, the wheel and the title tip on hover.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "framework/GdiObjects.h"
#include "grid/GridCtrl.h"

namespace quillon::grid {

namespace {

void ShowCursorShape(const wchar_t* shape) {
    SetCursor(LoadCursorW(nullptr, shape));
}

}  // namespace

// --- Borders --------------------------------------------------------------------------

int CGridCtrl::ColumnOfBorderAt(POINT point) const {
    if (!allowColumnResize_ || fixedRowCount_ == 0 || point.y < 0 || point.y >= GetFixedRowHeight()) return -1;
    const int range = resizeCaptureRange_;
    const GridCellId topLeft = GetTopLeftNonFixedCell();
    const int end = GetFixedColumnWidth() + SumOfColumnWidths(topLeft.col, columnCount_);
    const int last = columnCount_ - 1;
    // A last column too narrow to hold the pointer is grabbed at the end of the cells.
    if (last >= 0 && GetColumnWidth(last) < range && point.x < end && end - point.x < range) return last;

    const GridCellId cell = GetCellFromPoint(point, true);
    POINT origin{};
    if (!IsValid(cell.row, cell.col) || !GetCellOrigin(cell.row, cell.col, &origin)) return -1;
    if (point.x - origin.x < range && cell.col != 0) {
        // The column drawn left of this one: the last header column at the scrolled edge.
        int col = cell.col == topLeft.col && cell.col > fixedColumnCount_ ? fixedColumnCount_ - 1 : cell.col - 1;
        if (!allowColumnUnhide_) {
            while (col >= 0 && GetColumnWidth(col) <= 0) --col;
        }
        return col;
    }
    if (origin.x + GetColumnWidth(cell.col) - point.x < range) return cell.col;
    return -1;
}

int CGridCtrl::RowOfBorderAt(POINT point) const {
    if (!allowRowResize_ || fixedColumnCount_ == 0 || point.x < 0 || point.x >= GetFixedColumnWidth()) return -1;
    const int range = resizeCaptureRange_;
    const GridCellId topLeft = GetTopLeftNonFixedCell();
    const int end = GetFixedRowHeight() + SumOfRowHeights(topLeft.row, rowCount_);
    const int last = rowCount_ - 1;
    if (last >= 0 && GetRowHeight(last) < range && point.y < end && end - point.y < range) return last;

    const GridCellId cell = GetCellFromPoint(point, true);
    POINT origin{};
    if (!IsValid(cell.row, cell.col) || !GetCellOrigin(cell.row, cell.col, &origin)) return -1;
    if (point.y - origin.y < range && cell.row != 0) {
        int row = cell.row == topLeft.row && cell.row > fixedRowCount_ ? fixedRowCount_ - 1 : cell.row - 1;
        if (!allowRowUnhide_) {
            while (row >= 0 && GetRowHeight(row) <= 0) --row;
        }
        return row;
    }
    if (origin.y + GetRowHeight(cell.row) - point.y < range) return cell.row;
    return -1;
}

GridMouseMode CGridCtrl::BorderModeAt(POINT point) const {
    if (ColumnOfBorderAt(point) >= 0) return GridMouseMode::OverColumnBorder;
    if (RowOfBorderAt(point) >= 0) return GridMouseMode::OverRowBorder;
    return GridMouseMode::Nothing;
}

// Inverts a two-pixel line across the client area; drawing it twice erases it.
void CGridCtrl::DrawResizeLine(POINT point) {
    framework::WindowDc dc(hwnd_);
    if (!dc) return;
    const RECT client = GetClientRect();
    if (mouseMode_ == GridMouseMode::SizingColumn) {
        PatBlt(dc.Get(), point.x, 0, 2, client.bottom, DSTINVERT);
    } else {
        PatBlt(dc.Get(), 0, point.y, client.right, 2, DSTINVERT);
    }
    resizeLinePoint_ = point;
    resizeLineDrawn_ = !resizeLineDrawn_;
}

void CGridCtrl::StopAutoScroll() {
    autoScrollTimer_.Stop();
}

// --- Buttons --------------------------------------------------------------------------

void CGridCtrl::OnLButtonDown(POINT point, UINT flags) {
    SetFocus(hwnd_);
    draggedColumn_ = -1;
    leftButtonDown_ = true;
    lastMousePoint_ = point;
    buttonDownPoint_ = point;
    clickDownCell_ = GetCellFromPoint(point, true);
    if (!IsValid(clickDownCell_.row, clickDownCell_.col)) return;
    const GridCellId clicked = clickDownCell_;
    const bool shift = (flags & MK_SHIFT) != 0;
    const bool control = (flags & MK_CONTROL) != 0;

    if (shift) {
        if (!IsValid(selectionAnchor_.row, selectionAnchor_.col)) selectionAnchor_ = focusCell_;
    } else {
        selectionAnchor_ = clicked;
    }
    EndEditing();
    if (CGridCellBase* cell = GetCell(clicked.row, clicked.col)) {
        POINT origin{};
        GetCellOrigin(clicked.row, clicked.col, &origin);
        cell->HandleClickDown(POINT{point.x - origin.x, point.y - origin.y});
    }

    if (clicked == focusCell_ && !control && IsCellEditable(clicked.row, clicked.col) &&
        IsPointInTextRect(clicked, point)) {
        mouseMode_ = GridMouseMode::EditPending;
        return;
    }
    const bool header = clicked.row < fixedRowCount_ || clicked.col < fixedColumnCount_;
    if (selectedCells_.count(clicked) != 0) {
        SetFocusCell(clicked.row, clicked.col);
        if (control) {
            // The toggle takes out this cell or row alone: the selection saved at an
            // earlier Ctrl+click must not come back with it.
            previousSelection_.clear();
            if (listMode_) {
                SelectCellRange(clicked.row, selectFromColumnZero_ ? 0 : fixedColumnCount_, clicked.row,
                                columnCount_ - 1, false, false);
            } else {
                SelectCellRange(clicked.row, clicked.col, clicked.row, clicked.col, false, false);
            }
            return;
        }
        if (dragAndDrop_) {
            // Without the capture: a release without a move is an ordinary click.
            mouseMode_ = GridMouseMode::DragPending;
            return;
        }
    } else if (mouseMode_ != GridMouseMode::OverColumnBorder && mouseMode_ != GridMouseMode::OverRowBorder) {
        if (header) {
            SetFocusCell(-1, -1);
        } else {
            SetFocusCell(clicked.row, clicked.col);
        }
    }

    SetCapture(hwnd_);
    if (mouseMode_ == GridMouseMode::Nothing) {
        mouseMode_ = BorderModeAt(point);
        if (mouseMode_ == GridMouseMode::OverColumnBorder) ShowCursorShape(IDC_SIZEWE);
        if (mouseMode_ == GridMouseMode::OverRowBorder) ShowCursorShape(IDC_SIZENS);
    }

    const RECT client = GetClientRect();
    if (mouseMode_ == GridMouseMode::OverColumnBorder || mouseMode_ == GridMouseMode::OverRowBorder) {
        const bool columns = mouseMode_ == GridMouseMode::OverColumnBorder;
        const int index = columns ? ColumnOfBorderAt(point) : RowOfBorderAt(point);
        POINT origin{};
        const bool placed =
            index >= 0 && (columns ? GetCellOrigin(0, index, &origin) : GetCellOrigin(index, 0, &origin));
        if (!placed) {
            mouseMode_ = GridMouseMode::Nothing;
            return;
        }
        resizeIndex_ = index;
        resizeStart_ = columns ? origin.x : origin.y;
        mouseMode_ = columns ? GridMouseMode::SizingColumn : GridMouseMode::SizingRow;
        resizeLineDrawn_ = false;
        DrawResizeLine(point);
        RECT confine = client;
        if (columns) {
            confine.left = origin.x + 1;
            confine.right = origin.x + client.right - GetFixedColumnWidth();
        } else {
            confine.top = origin.y + 1;
            confine.bottom = origin.y + client.bottom - GetFixedRowHeight();
        }
        MapWindowPoints(hwnd_, nullptr, reinterpret_cast<POINT*>(&confine), 2);
        ClipCursor(&confine);
        return;
    }

    SendMessageToParent(clicked.row, clicked.col, GN_SELCHANGING);
    previousSelection_.clear();
    if (control) previousSelection_ = selectedCells_;
    if (clicked.row < fixedRowCount_) {
        FixedRowClicked(clicked);
        if (columnDrag_ && clicked.col >= fixedColumnCount_) {
            mouseMode_ = GridMouseMode::DragPending;
            draggedColumn_ = clicked.col;
        }
    } else if (clicked.col < fixedColumnCount_) {
        FixedColumnClicked(clicked);
    } else {
        mouseMode_ = listMode_ ? GridMouseMode::SelectRows : GridMouseMode::SelectCells;
        ExtendSelection(clicked);
        autoScrollTimer_.Start(hwnd_, AutoScrollTimerId, autoScrollInterval_);
    }
}

void CGridCtrl::OnLButtonUp(POINT point) {
    const bool wasDown = leftButtonDown_;
    leftButtonDown_ = false;
    ClipCursor(nullptr);
    if (GetCapture() == hwnd_) {
        releasingCapture_ = true;
        ReleaseCapture();
        releasingCapture_ = false;
    }
    StopAutoScroll();

    const GridCellId clicked = clickDownCell_;
    POINT origin{};
    GetCellOrigin(clicked.row, clicked.col, &origin);
    const POINT inCell{point.x - origin.x, point.y - origin.y};
    const bool moved =
        (point.x != buttonDownPoint_.x || point.y != buttonDownPoint_.y) && (point.x != 0 || point.y != 0);

    switch (wasDown ? mouseMode_ : GridMouseMode::Nothing) {
        case GridMouseMode::EditPending:
            EditCell(clicked.row, clicked.col, point, VK_LBUTTON);
            break;
        case GridMouseMode::DragPending:
            if (CGridCellBase* cell = GetCell(clicked.row, clicked.col)) cell->HandleClick(inCell);
            SendMessageToParent(clicked.row, clicked.col, NM_CLICK);
            SendMessageToParent(clicked.row, clicked.col, GN_SELCHANGING);
            ClearSelection();
            SendMessageToParent(clicked.row, clicked.col, GN_SELCHANGED);
            break;
        case GridMouseMode::SizingColumn:
        case GridMouseMode::SizingRow: {
            const bool columns = mouseMode_ == GridMouseMode::SizingColumn;
            if (resizeLineDrawn_) DrawResizeLine(resizeLinePoint_);
            if (moved) {
                const bool mayHide = columns ? allowColumnHide_ : allowRowHide_;
                const int size =
                    std::clamp<int>((columns ? point.x : point.y) - resizeStart_, mayHide ? 0 : 1, MaximumCellSize);
                if (columns) {
                    SetColumnWidth(resizeIndex_, size);
                } else {
                    SetRowHeight(resizeIndex_, size);
                }
                UpdateScrollBars();
                if (allowDraw_) Invalidate(false);
            }
            break;
        }
        default:
            // A release whose press went elsewhere, or was on no cell, is no click here.
            if (!wasDown || !IsValid(clicked.row, clicked.col)) break;
            SendMessageToParent(clicked.row, clicked.col, GN_SELCHANGED);
            if (CGridCellBase* cell = GetCell(clicked.row, clicked.col)) cell->HandleClick(inCell);
            SendMessageToParent(clicked.row, clicked.col, NM_CLICK);
            break;
    }

    mouseMode_ = GridMouseMode::Nothing;
    ShowCursorShape(IDC_ARROW);
    if (wasDown && IsValid(clicked.row, clicked.col) && IsWindow()) {
        HWND target = GetWindow(hwnd_, GW_OWNER);
        if (target == nullptr) target = GetParent(hwnd_);
        if (target != nullptr) {
            PostMessageW(target, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd_), 0), reinterpret_cast<LPARAM>(hwnd_));
        }
    }
}

void CGridCtrl::OnLButtonDoubleClick(POINT point) {
    const GridCellId cell = GetCellFromPoint(point, true);
    if (!IsValid(cell.row, cell.col)) {
        SendMessageToParent(-1, -1, NM_DBLCLK);
        return;
    }
    // The first click's release has reset the mode; the border under the pointer decides.
    GridMouseMode mode = mouseMode_;
    if (mode == GridMouseMode::Nothing) mode = BorderModeAt(point);

    if (mode == GridMouseMode::OverColumnBorder) {
        int col = ColumnOfBorderAt(point);
        while (col >= 0 && GetColumnWidth(col) <= 0) --col;
        if (col >= 0) AutoSizeColumn(col, autoSizeStyle_, true);
        if (allowDraw_) Invalidate(false);
    } else if (mode == GridMouseMode::OverRowBorder) {
        int row = RowOfBorderAt(point);
        while (row >= 0 && GetRowHeight(row) <= 0) --row;
        if (row >= 0) AutoSizeRow(row, true);
        if (allowDraw_) Invalidate(false);
    } else if (mode == GridMouseMode::Nothing) {
        const bool header = cell.row < fixedRowCount_ || cell.col < fixedColumnCount_;
        if (!header && IsPointInTextRect(cell, point) && (IsValid(focusCell_.row, focusCell_.col) || listMode_))
            EditCell(cell.row, cell.col, point, VK_LBUTTON);
        if (CGridCellBase* base = GetCell(cell.row, cell.col)) {
            POINT origin{};
            GetCellOrigin(cell.row, cell.col, &origin);
            base->HandleDoubleClick(POINT{point.x - origin.x, point.y - origin.y});
        }
        SendMessageToParent(cell.row, cell.col, NM_DBLCLK);
    }
}

void CGridCtrl::OnRButtonUp(POINT point) {
    EndEditing();
    const GridCellId cell = GetCellFromPoint(point, true);
    if (!IsValid(cell.row, cell.col)) {
        SendMessageToParent(-1, -1, NM_RCLICK);
        return;
    }
    SetFocusCell(std::max(cell.row, fixedRowCount_), std::max(cell.col, fixedColumnCount_));
    if (CGridCellBase* base = GetCell(cell.row, cell.col)) {
        POINT origin{};
        GetCellOrigin(cell.row, cell.col, &origin);
        base->HandleRightClick(POINT{point.x - origin.x, point.y - origin.y});
    }
    SendMessageToParent(cell.row, cell.col, NM_RCLICK);
}

// --- Moves ----------------------------------------------------------------------------

void CGridCtrl::OnMouseMove(POINT point, UINT flags) {
    // A press that waits for its release without the capture (edit or drag pending) may
    // have been released over another window; the grid would otherwise wait for ever.
    if (leftButtonDown_ && (flags & MK_LBUTTON) == 0 && GetCapture() != hwnd_) {
        leftButtonDown_ = false;
        if (mouseMode_ == GridMouseMode::EditPending || mouseMode_ == GridMouseMode::DragPending)
            mouseMode_ = GridMouseMode::Nothing;
    }
    const RECT client = GetClientRect();
    if (!PtInRect(&client, point)) {
        if (mouseMode_ != GridMouseMode::Dragging && GetFocus() != hwnd_) SetFocus(hwnd_);
        return;
    }

    if (leftButtonDown_ && mouseMode_ != GridMouseMode::Nothing) {
        if (IsValid(clickDownCell_.row, clickDownCell_.col)) {
            switch (mouseMode_) {
                case GridMouseMode::SelectColumns:
                case GridMouseMode::SelectRows:
                case GridMouseMode::SelectCells: {
                    const GridCellId cell = GetCellFromPoint(point, true);
                    if (IsValid(cell.row, cell.col) && cell != focusCell_) {
                        ExtendSelection(cell);
                        SetFocusCell(cell.row, cell.col);
                    }
                    break;
                }
                case GridMouseMode::SizingColumn:
                case GridMouseMode::SizingRow:
                    if (resizeLineDrawn_) DrawResizeLine(resizeLinePoint_);
                    DrawResizeLine(point);
                    break;
                case GridMouseMode::EditPending:
                case GridMouseMode::DragPending: {
                    // A hand's tremble during a click is not a drag.
                    const int dx = std::abs(point.x - buttonDownPoint_.x);
                    const int dy = std::abs(point.y - buttonDownPoint_.y);
                    if (dx * 2 <= GetSystemMetrics(SM_CXDRAG) && dy * 2 <= GetSystemMetrics(SM_CYDRAG)) break;
                    mouseMode_ = GridMouseMode::DragPending;
                    StartDrag();
                    break;
                }
                default:
                    break;
            }
        }
        lastMousePoint_ = point;
        return;
    }

    if (!leftButtonDown_) {
        mouseMode_ = BorderModeAt(point);
        if (mouseMode_ == GridMouseMode::OverColumnBorder) {
            ShowCursorShape(IDC_SIZEWE);
        } else if (mouseMode_ == GridMouseMode::OverRowBorder) {
            ShowCursorShape(IDC_SIZENS);
        } else {
            ShowCursorShape(IDC_ARROW);
            const GridCellId over = GetCellFromPoint(point, true);
            CGridCellBase* cell = GetCell(over.row, over.col);
            RECT rect{};
            if (cell != nullptr && GetCellRect(over.row, over.col, &rect)) {
                cell->HandleMouseOver();
                const char* tip = cell->GetTipText();
                if (titleTips_ && tip != nullptr && tip[0] != '\0' && !cell->IsEditing()) {
                    RECT textRect = rect;
                    cell->GetTipTextRect(&textRect);
                    const LOGFONTW* font = cell->GetFont();
                    // The cell may be virtual mode's scratch cell: copy what the tip needs first.
                    const std::string text = tip;
                    LOGFONTW fontCopy{};
                    if (font != nullptr) fontCopy = *font;
                    TitleTipShow(textRect, text.c_str(), font != nullptr ? &fontCopy : nullptr, titleTipTextColour_,
                                 titleTipBackColour_, &rect);
                }
            }
        }
    }
    lastMousePoint_ = point;
}

bool CGridCtrl::OnSetCursor(UINT hitTest) {
    if (hitTest != HTCLIENT) return false;
    switch (mouseMode_) {
        case GridMouseMode::OverColumnBorder:
        case GridMouseMode::SizingColumn:
            ShowCursorShape(IDC_SIZEWE);
            return true;
        case GridMouseMode::OverRowBorder:
        case GridMouseMode::SizingRow:
            ShowCursorShape(IDC_SIZENS);
            return true;
        default:
            break;
    }
    POINT point{};
    GetCursorPos(&point);
    ScreenToClient(hwnd_, &point);
    const GridCellId cell = GetCellFromPoint(point, true);
    if (CGridCellBase* base = GetCell(cell.row, cell.col)) return base->HandleSetCursor();
    ShowCursorShape(IDC_ARROW);
    return true;
}

void CGridCtrl::OnCaptureChanged(HWND newCapture) {
    if (newCapture == hwnd_) return;
    StopAutoScroll();
    if (mouseMode_ == GridMouseMode::Dragging) mouseMode_ = GridMouseMode::Nothing;
    // Another window took the mouse in the middle of a resize: the line and the cursor
    // confinement would otherwise outlive it.
    if (!releasingCapture_ && (mouseMode_ == GridMouseMode::SizingColumn || mouseMode_ == GridMouseMode::SizingRow)) {
        if (resizeLineDrawn_) DrawResizeLine(resizeLinePoint_);
        ClipCursor(nullptr);
        mouseMode_ = GridMouseMode::Nothing;
        leftButtonDown_ = false;
    }
}

// --- Timer and wheel --------------------------------------------------------------------

bool CGridCtrl::OnTimer(UINT_PTR id) {
    if (id != AutoScrollTimerId) return false;
    OnAutoScrollTimer();
    return true;
}

void CGridCtrl::OnAutoScrollTimer() {
    POINT point{};
    if (!GetCursorPos(&point)) return;
    ScreenToClient(hwnd_, &point);
    const RECT client = GetClientRect();
    if (client.right <= 0 || client.bottom <= 0) return;
    const int fixedHeight = GetFixedRowHeight();
    const int fixedWidth = GetFixedColumnWidth();
    POINT inside{std::clamp<LONG>(point.x, 0, client.right - 1), std::clamp<LONG>(point.y, 0, client.bottom - 1)};

    if (point.y >= client.bottom) {
        SendMessageW(hwnd_, WM_KEYDOWN, VK_DOWN, 0);
        inside.y = client.bottom - 1;
        ExtendSelection(GetCellFromPoint(inside, true));
    } else if (point.y < fixedHeight) {
        SendMessageW(hwnd_, WM_KEYDOWN, VK_UP, 0);
        inside.y = std::min<LONG>(fixedHeight, client.bottom - 1);
        ExtendSelection(GetCellFromPoint(inside, true));
    }
    if (point.x >= client.right) {
        SendMessageW(hwnd_, WM_KEYDOWN, VK_RIGHT, 0);
        inside.x = client.right - 1;
        ExtendSelection(GetCellFromPoint(inside, true));
    } else if (point.x < fixedWidth) {
        SendMessageW(hwnd_, WM_KEYDOWN, VK_LEFT, 0);
        inside.x = std::min<LONG>(fixedWidth + 1, client.right - 1);
        ExtendSelection(GetCellFromPoint(inside, true));
    }
}

void CGridCtrl::OnMouseWheel(int delta) {
    if (wheelScrollLines_ == -1) {
        const int pages = std::abs(delta) / WHEEL_DELTA;
        for (int page = 0; page < pages; ++page) Post(WM_VSCROLL, delta > 0 ? SB_PAGEUP : SB_PAGEDOWN);
        return;
    }
    const long long lines = static_cast<long long>(wheelScrollLines_) * delta / WHEEL_DELTA;
    // More line steps than there are rows would only flood the queue.
    const long long steps = std::min<long long>(std::llabs(lines), std::max(rowCount_, 1));
    for (long long step = 0; step < steps; ++step) Post(WM_VSCROLL, lines > 0 ? SB_LINEUP : SB_LINEDOWN);
}

}  // namespace quillon::grid
