// Focus, selection and the editing hooks: what painting and the boards need now. Mouse,
// keyboard, title tip, in-place editor, clipboard and drag and drop build on these.
#include "grid/GridCtrl.h"

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
    if (minRow != -1) minRow = std::max(minRow, fixedRowCount_);
    if (maxRow != -1) maxRow = std::max(maxRow, fixedRowCount_);
    if (minCol != -1) minCol = std::max(minCol, fixedColumnCount_);
    if (maxCol != -1) maxCol = std::max(maxCol, fixedColumnCount_);
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

bool CGridCtrl::EndEditing() {
    CGridCellBase* cell = GetCell(focusCell_.row, focusCell_.col);
    if (cell != nullptr && cell->IsEditing()) cell->EndEdit();
    return true;
}

bool CGridCtrl::ValidateCellEdit(int row, int col, const char* text) {
    CGridCellBase* cell = GetCell(row, col);
    return cell == nullptr || cell->ValidateEdit(text);
}

HWND CGridCtrl::CreateInPlaceEdit(const RECT& /*rect*/, DWORD /*alignment*/, UINT /*controlId*/, int /*row*/,
                                  int /*col*/, const char* /*text*/, UINT /*firstChar*/) {
    return nullptr;  // the grid has no in-place editor yet: cells stay read-only
}

void CGridCtrl::EndInPlaceEdit(HWND editor) {
    // The editor finishes when it loses the keyboard focus.
    if (editor != nullptr && GetFocus() == editor && IsWindow()) SetFocus(hwnd_);
}

void CGridCtrl::TitleTipHide() {}

}  // namespace quillon::grid
