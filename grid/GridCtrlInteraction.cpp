// Focus, selection, header clicks, the in-place editor and the title tip. The mouse,
// keyboard and clipboard handlers build on these.
#include <algorithm>

#include "framework/GdiObjects.h"
#include "grid/GridCtrl.h"
#include "grid/InPlaceEdit.h"
#include "grid/TitleTip.h"

namespace quillon::grid {

namespace {

void SetStateBit(CGridCellBase* cell, DWORD bit, bool on) {
    if (cell == nullptr) return;
    const DWORD state = cell->GetState();
    cell->SetState(on ? (state | bit) : (state & ~bit));
}

}  // namespace

GridCellId CGridCtrl::SetFocusCell(int row, int col) {
    const GridCellId previous = focusCell_;
    if (row < -1 || row >= rowCount_ || col < -1 || col >= columnCount_) return previous;  // no such cell
    if (row != -1) row = std::max(row, fixedRowCount_);
    if (col != -1) col = std::max(col, fixedColumnCount_);
    if (row >= rowCount_ || col >= columnCount_) return previous;  // nothing but headers
    if (row == focusCell_.row && col == focusCell_.col) return previous;

    auto repaint = [this](GridCellId cell, GridCellId other) {
        RedrawCellNow(cell.row, cell.col);
        if (!trackFocusCell_) return;
        if (cell.col != other.col) {
            for (int headerRow = 0; headerRow < fixedRowCount_; ++headerRow) RedrawCellNow(headerRow, cell.col);
        }
        if (cell.row != other.row) {
            for (int headerCol = 0; headerCol < fixedColumnCount_; ++headerCol) RedrawCellNow(cell.row, headerCol);
        }
    };

    const GridCellId next{row, col};
    focusCell_ = next;
    if (IsValid(previous.row, previous.col)) {
        if (!virtualMode_) SetStateBit(GetCell(previous.row, previous.col), GridCellState::Focused, false);
        repaint(previous, next);
    }
    if (IsValid(next.row, next.col)) {
        if (!virtualMode_) SetStateBit(GetCell(next.row, next.col), GridCellState::Focused, true);
        repaint(next, previous);
    }
    return previous;
}

void CGridCtrl::SelectCellRange(int minRow, int minCol, int maxRow, int maxCol, bool repaintNow, bool select) {
    if (!enableSelection_) return;
    const int firstColumn = selectFromColumnZero_ ? 0 : fixedColumnCount_;
    if (minRow != -1) minRow = std::max(minRow, fixedRowCount_);
    if (maxRow != -1) maxRow = std::max(maxRow, fixedRowCount_);
    if (minCol != -1) minCol = std::max(minCol, firstColumn);
    if (maxCol != -1) maxCol = std::max(maxCol, firstColumn);
    const GridCellRange range{minRow, minCol, std::min(maxRow, rowCount_ - 1), std::min(maxCol, columnCount_ - 1)};

    auto repaint = [&](GridCellId cell) {
        if (repaintNow) {
            RedrawCellNow(cell.row, cell.col);
        } else {
            RedrawCell(cell.row, cell.col);
        }
    };
    auto mark = [&](GridCellId cell, bool selected) {
        if (!IsValid(cell.row, cell.col)) return;
        if (selected) {
            selectedCells_.insert(cell);
        } else {
            selectedCells_.erase(cell);
        }
        if (!virtualMode_) SetStateBit(GetCell(cell.row, cell.col), GridCellState::Selected, selected);
    };

    if (select) {
        const std::set<GridCellId> previouslySelected = std::move(selectedCells_);
        selectedCells_.clear();
        for (const GridCellId& cell : previouslySelected) {
            if (!IsValid(cell.row, cell.col)) continue;
            mark(cell, false);
            if (!range.Contains(cell.row, cell.col)) repaint(cell);
        }
    }
    if (!(listMode_ && singleRowSelection_)) {
        for (const GridCellId& cell : previousSelection_) {
            if (!IsValid(cell.row, cell.col)) continue;
            mark(cell, true);
            repaint(cell);
        }
    }
    if (!range.IsValid()) return;
    for (int row = range.minRow; row <= range.maxRow; ++row) {
        for (int col = range.minCol; col <= range.maxCol; ++col) {
            const GridCellId cell{row, col};
            if ((selectedCells_.count(cell) != 0) == select) continue;
            mark(cell, select);
            repaint(cell);
        }
    }
}

void CGridCtrl::ClearSelection() {
    previousSelection_.clear();
    SelectCellRange(-1, -1, -1, -1, false, true);
    SetFocusCell(-1, -1);
}

void CGridCtrl::SelectAllCells() {
    SelectCellRange(fixedRowCount_, fixedColumnCount_, rowCount_ - 1, columnCount_ - 1);
}

void CGridCtrl::ExtendSelection(GridCellId cell) {
    if (!enableSelection_ || !IsValid(cell.row, cell.col)) return;
    // A header cell under the pointer stands for the first row or column that can be selected.
    const int row = std::max(cell.row, fixedRowCount_);
    const int col = std::max(cell.col, fixedColumnCount_);
    if (row >= rowCount_ || col >= columnCount_) return;
    const GridCellId anchor{std::max(selectionAnchor_.row, fixedRowCount_),
                            std::max(selectionAnchor_.col, fixedColumnCount_)};
    const int firstColumn = selectFromColumnZero_ ? 0 : fixedColumnCount_;
    switch (mouseMode_) {
        case GridMouseMode::SelectAll:
            SelectAllCells();
            break;
        case GridMouseMode::SelectColumns:
            SelectCellRange(fixedRowCount_, std::min(anchor.col, col), rowCount_ - 1, std::max(anchor.col, col));
            break;
        case GridMouseMode::SelectRows:
            if (listMode_ && singleRowSelection_) {
                SelectCellRange(row, firstColumn, row, columnCount_ - 1);
            } else {
                SelectCellRange(std::min(anchor.row, row), firstColumn, std::max(anchor.row, row), columnCount_ - 1);
            }
            break;
        case GridMouseMode::SelectCells:
            SelectCellRange(std::min(anchor.row, row), std::min(anchor.col, col), std::max(anchor.row, row),
                            std::max(anchor.col, col));
            break;
        default:
            break;
    }
}

GridCellId CGridCtrl::GetCellFromPoint(POINT point, bool allowFixed) const {
    if (!IsWindow()) return {};
    const RECT client = GetClientRect();
    if (!PtInRect(&client, point)) return {};
    const GridCellId topLeft = GetTopLeftNonFixedCell();

    auto find = [](int position, int fixedCount, int firstScrolled, int count, int fixedSize, auto sizeOf) {
        int edge = 0;
        int index = 0;
        if (position >= fixedSize) {
            edge = fixedSize;
            index = firstScrolled;
        }
        for (; index < count; ++index) {
            if (index == fixedCount && position < fixedSize) return -1;
            const int size = std::max(0, sizeOf(index));
            if (position < edge + size) return index;
            edge += size;
        }
        return -1;
    };
    const int col = find(point.x, fixedColumnCount_, topLeft.col, columnCount_, GetFixedColumnWidth(),
                         [this](int index) { return GetColumnWidth(index); });
    const int row = find(point.y, fixedRowCount_, topLeft.row, rowCount_, GetFixedRowHeight(),
                         [this](int index) { return GetRowHeight(index); });
    if (row < 0 || col < 0) return {};
    if (!allowFixed && (row < fixedRowCount_ || col < fixedColumnCount_)) return {};
    return GridCellId{row, col};
}

void CGridCtrl::EnsureCellVisible(int row, int col) {
    if (!IsValid(row, col) || !IsWindow()) return;
    HWND hadFocus = GetFocus();
    const RECT client = GetClientRect();

    // Each step scrolls one row or column; a step that does not move the view ends it.
    for (int steps = 0; row >= fixedRowCount_ && steps <= rowCount_; ++steps) {
        const GridCellId topLeft = GetTopLeftNonFixedCell();
        const int position = GetScrollPosition(SB_VERT);
        const int bottom = GetFixedRowHeight() + SumOfRowHeights(topLeft.row, row + 1);
        if (row < topLeft.row) {
            OnScroll(SB_VERT, SB_LINEUP);
        } else if (bottom > client.bottom && row > topLeft.row) {
            OnScroll(SB_VERT, SB_LINEDOWN);
        } else {
            break;
        }
        if (GetScrollPosition(SB_VERT) == position) break;
    }
    for (int steps = 0; col >= fixedColumnCount_ && steps <= columnCount_; ++steps) {
        const GridCellId topLeft = GetTopLeftNonFixedCell();
        const int position = GetScrollPosition(SB_HORZ);
        const int right = GetFixedColumnWidth() + SumOfColumnWidths(topLeft.col, col + 1);
        if (col < topLeft.col) {
            OnScroll(SB_HORZ, SB_LINELEFT);
        } else if (right > client.right && col > topLeft.col) {
            OnScroll(SB_HORZ, SB_LINERIGHT);
        } else {
            break;
        }
        if (GetScrollPosition(SB_HORZ) == position) break;
    }
    if (hadFocus != nullptr && GetFocus() != hadFocus && ::IsWindow(hadFocus) && IsWindowVisible(hadFocus))
        SetFocus(hadFocus);
}

bool CGridCtrl::AutoSizeRow(int row, bool updateScrollBars) {
    if (row < 0 || row >= rowCount_ || GetRowHeight(row) <= 0 || !IsWindow()) return false;
    framework::WindowDc dc(hwnd_);
    if (!dc) return false;
    if (virtualMode_) SendCacheHint(GridCellRange{row, 0, row, columnCount_ - 1});
    int height = 0;
    for (int col = 0; col < columnCount_; ++col) {
        if (GetColumnWidth(col) <= 0) continue;  // a hidden column's text is not on show
        if (CGridCellBase* cell = GetCell(row, col)) height = std::max<int>(height, cell->MeasureCell(dc.Get()).cy);
    }
    if (virtualMode_) SendCacheHint(GridCellRange{});
    rowHeights_[static_cast<size_t>(row)] = std::min(height, MaximumCellSize);
    topLeftCache_ = GridCellId{};
    if (updateScrollBars) UpdateScrollBars();
    return true;
}

// --- Header clicks ----------------------------------------------------------------------

void CGridCtrl::FixedRowClicked(GridCellId cell) {
    if (!IsValid(cell.row, cell.col)) return;
    if (sortOnHeaderClick_) {
        HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        const bool ascending = !(cell.col == sortColumn_ && sortAscending_);
        SortByColumn(compareFunction_, cell.col, ascending);
        SetCursor(previous);
        if (allowDraw_) Invalidate(false);
    }
    if (fixedRowSelection_) {
        mouseMode_ = cell.col < fixedColumnCount_ ? GridMouseMode::SelectAll : GridMouseMode::SelectColumns;
        ExtendSelection(cell);
    }
}

void CGridCtrl::FixedColumnClicked(GridCellId cell) {
    if (!IsValid(cell.row, cell.col)) return;
    if (fixedColumnSelection_) {
        mouseMode_ = cell.row < fixedRowCount_ ? GridMouseMode::SelectAll : GridMouseMode::SelectRows;
        ExtendSelection(cell);
    }
}

// --- Editing ----------------------------------------------------------------------------

bool CGridCtrl::IsCellEditable(int row, int col) const {
    if (!editable_ || !IsValid(row, col) || row < fixedRowCount_ || col < fixedColumnCount_) return false;
    const CGridCellBase* cell = GetCell(row, col);
    return cell != nullptr && !cell->IsReadOnly();
}

bool CGridCtrl::IsPointInTextRect(GridCellId cell, POINT point) const {
    CGridCellBase* base = GetCell(cell.row, cell.col);
    RECT rect{};
    if (base == nullptr || !GetCellRect(cell.row, cell.col, &rect)) return false;
    base->GetTextRect(&rect);
    return point.x >= rect.left && point.x <= rect.right && point.y >= rect.top && point.y <= rect.bottom;
}

void CGridCtrl::EditCell(int row, int col, POINT point, UINT firstChar) {
    TitleTipHide();
    if (!editable_ || !IsValid(row, col)) return;
    CGridCellBase* cell = GetCell(row, col);
    if (cell == nullptr || cell->IsReadOnly()) return;
    EnsureCellVisible(row, col);
    RECT rect{};
    if (!IsCellVisible(row, col) || !GetCellRect(row, col, &rect)) return;
    if (SendMessageToParent(row, col, GN_BEGINLABELEDIT) < 0) return;
    // The notification may have changed the grid.
    cell = GetCell(row, col);
    if (cell == nullptr) return;
    cell->BeginEdit(row, col, rect, point, InPlaceEditId, firstChar);
}

HWND CGridCtrl::CreateInPlaceEdit(const RECT& rect, DWORD alignment, UINT controlId, int row, int col, const char* text,
                                  UINT firstChar) {
    if (!IsWindow()) return nullptr;
    CInPlaceEdit* editor =
        CInPlaceEdit::Open(hwnd_, rect, alignment, controlId, row, col, text != nullptr ? text : "", firstChar);
    return editor != nullptr ? editor->GetSafeHwnd() : nullptr;
}

void CGridCtrl::EndInPlaceEdit(HWND editor) {
    auto* inPlace = dynamic_cast<CInPlaceEdit*>(framework::CWnd::FromHandle(editor));
    if (inPlace == nullptr) return;
    inPlace->EndEdit();
    if (::IsWindow(editor) && GetFocus() == editor && IsWindow()) SetFocus(hwnd_);
}

bool CGridCtrl::EndEditing() {
    CGridCellBase* cell = GetCell(focusCell_.row, focusCell_.col);
    if (cell != nullptr && cell->IsEditing()) cell->EndEdit();
    // An editor opened on a cell other than the focus cell ends as well.
    if (IsWindow()) {
        if (HWND editor = ::GetDlgItem(hwnd_, static_cast<int>(InPlaceEditId))) EndInPlaceEdit(editor);
    }
    return true;
}

bool CGridCtrl::ValidateCellEdit(int row, int col, const char* text) {
    CGridCellBase* cell = GetCell(row, col);
    return cell == nullptr || cell->ValidateEdit(text);
}

LRESULT CGridCtrl::SendEndLabelEdit(int row, int col, const std::string& text, UINT key) const {
    GridDisplayRecord record;
    record.row = row;
    record.column = col;
    record.mask = GridDisplayMask::Text | GridDisplayMask::State;
    record.text = text;
    record.data = static_cast<LPARAM>(key);
    return SendNotify(&record.header, GN_ENDLABELEDIT);
}

void CGridCtrl::EditCellEnded(int row, int col, const char* text, UINT key) {
    CGridCellBase* cell = GetCell(row, col);
    if (cell == nullptr) return;
    const std::string edited = text != nullptr ? text : "";
    if (virtualMode_) {
        // The application holds the text: the notification is how it hears of the edit.
        if (ValidateCellEdit(row, col, edited.c_str())) SendEndLabelEdit(row, col, edited, key);
        if ((cell = GetCell(row, col)) != nullptr) cell->EditEnded();
        RedrawCell(row, col);
    } else {
        const std::string old = cell->GetText();
        const bool changed = edited != old;
        const DWORD oldState = cell->GetState();
        const bool wasModified = modified_;
        if (changed) cell->SetText(edited.c_str());
        const bool accepted =
            ValidateCellEdit(row, col, edited.c_str()) && SendEndLabelEdit(row, col, edited, key) >= 0;
        cell = GetCell(row, col);  // the parent may have changed the grid
        if (cell != nullptr && changed) {
            if (accepted) {
                MarkCellModified(row, col);
            } else {
                cell->SetText(old.c_str());
                cell->SetState((cell->GetState() & ~GridCellState::Modified) | (oldState & GridCellState::Modified));
                modified_ = wasModified;
            }
            RedrawCell(row, col);
        }
        if (cell != nullptr) cell->EditEnded();
    }

    switch (key) {
        case VK_TAB:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_END:
        case VK_HOME:
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN:
            // Editing goes on in the cell the key leads to.
            OnKeyDown(key);
            if (IsValid(focusCell_.row, focusCell_.col)) EditCell(focusCell_.row, focusCell_.col, POINT{}, key);
            break;
        default:
            break;
    }
}

// --- Title tip ----------------------------------------------------------------------------

void CGridCtrl::TitleTipShow(const RECT& titleRect, const char* text, const LOGFONTW* font, COLORREF textColour,
                             COLORREF backColour, const RECT* hoverRect) {
    if (!IsWindow()) return;
    if (!titleTip_) titleTip_ = std::make_unique<CTitleTip>(hwnd_);
    titleTip_->Show(titleRect, text != nullptr ? text : "", font, textColour, backColour, hoverRect);
}

void CGridCtrl::TitleTipHide() {
    if (titleTip_) titleTip_->Hide();
}

HWND CGridCtrl::GetTitleTipWindow() const {
    return titleTip_ ? titleTip_->GetSafeHwnd() : nullptr;
}

}  // namespace quillon::grid
