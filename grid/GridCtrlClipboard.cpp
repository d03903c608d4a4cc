// Copy, cut and paste of cell text (CF_TEXT in code page 936, with CF_UNICODETEXT beside
// it), the standard edit commands, and the grid's side of OLE drag and drop.
#include <cstring>
#include <cwchar>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "framework/TextConversion.h"
#include "grid/GridCtrl.h"
#include "grid/GridDropTarget.h"

namespace quillon::grid {

namespace {

// OpenClipboard for the lifetime of the object.
class ClipboardSession {
public:
    explicit ClipboardSession(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
    ~ClipboardSession() {
        if (open_) CloseClipboard();
    }
    ClipboardSession(const ClipboardSession&) = delete;
    ClipboardSession& operator=(const ClipboardSession&) = delete;
    explicit operator bool() const { return open_; }

private:
    bool open_;
};

// A movable global block, freed unless handed over (to the clipboard).
class GlobalBlock {
public:
    GlobalBlock(const void* bytes, size_t size) : block_(GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, size)) {
        if (block_ == nullptr) return;
        void* target = GlobalLock(block_);
        if (target == nullptr) {
            GlobalFree(std::exchange(block_, nullptr));
            return;
        }
        std::memcpy(target, bytes, size);
        GlobalUnlock(block_);
    }
    ~GlobalBlock() {
        if (block_ != nullptr) GlobalFree(block_);
    }
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;
    HGLOBAL Get() const { return block_; }
    void Release() { block_ = nullptr; }

private:
    HGLOBAL block_;
};

// GlobalLock for the lifetime of the object.
class GlobalLockGuard {
public:
    explicit GlobalLockGuard(HGLOBAL block) : block_(block), data_(block != nullptr ? GlobalLock(block) : nullptr) {}
    ~GlobalLockGuard() {
        if (data_ != nullptr) GlobalUnlock(block_);
    }
    GlobalLockGuard(const GlobalLockGuard&) = delete;
    GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;
    const void* Data() const { return data_; }

private:
    HGLOBAL block_;
    void* data_;
};

// The text in a global block of someone else's, read no further than the block reaches
// even when its terminating zero is missing.
bool ReadGlobalText(HGLOBAL block, bool wide, std::string* text) {
    if (block == nullptr) return false;
    const SIZE_T size = GlobalSize(block);
    GlobalLockGuard lock(block);
    if (lock.Data() == nullptr) return false;
    if (wide) {
        const auto* characters = static_cast<const wchar_t*>(lock.Data());
        const size_t length = wcsnlen(characters, size / sizeof(wchar_t));
        *text = framework::CodePage936FromWide(std::wstring_view(characters, length));
    } else {
        const auto* bytes = static_cast<const char*>(lock.Data());
        text->assign(bytes, strnlen(bytes, size));
    }
    return true;
}

bool ReadDataObjectText(IDataObject* data, std::string* text) {
    if (data == nullptr) return false;
    for (CLIPFORMAT format : {static_cast<CLIPFORMAT>(CF_UNICODETEXT), static_cast<CLIPFORMAT>(CF_TEXT)}) {
        FORMATETC wanted{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        STGMEDIUM medium{};
        if (FAILED(data->GetData(&wanted, &medium))) continue;
        const bool read =
            medium.tymed == TYMED_HGLOBAL && ReadGlobalText(medium.hGlobal, format == CF_UNICODETEXT, text);
        ReleaseStgMedium(&medium);
        if (read) return true;
    }
    return false;
}

bool OffersText(IDataObject* data) {
    if (data == nullptr) return false;
    FORMATETC narrow{CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    FORMATETC wide{CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return data->QueryGetData(&narrow) == S_OK || data->QueryGetData(&wide) == S_OK;
}

std::vector<std::string_view> Split(std::string_view text, std::string_view separators) {
    std::vector<std::string_view> pieces;
    size_t start = 0;
    while (true) {
        const size_t end = text.find_first_of(separators, start);
        pieces.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return pieces;
}

}  // namespace

// --- Copy -------------------------------------------------------------------------------

std::string CGridCtrl::GetSelectionText() {
    if (selectedCells_.empty()) return {};
    GridCellRange range{rowCount_, columnCount_, -1, -1};
    for (const GridCellId& cell : selectedCells_) {
        range.minRow = std::min(range.minRow, cell.row);
        range.minCol = std::min(range.minCol, cell.col);
        range.maxRow = std::max(range.maxRow, cell.row);
        range.maxCol = std::max(range.maxCol, cell.col);
    }
    if (!range.IsValid()) return {};
    if (virtualMode_) SendCacheHint(range);
    std::vector<int> columns;
    for (int col = range.minCol; col <= range.maxCol; ++col) {
        if (GetColumnWidth(col) > 0) columns.push_back(col);
    }
    std::string text;
    bool firstRow = true;
    for (int row = range.minRow; row <= range.maxRow; ++row) {
        if (GetRowHeight(row) <= 0) continue;
        if (!firstRow) text += "\r\n";
        firstRow = false;
        for (size_t i = 0; i < columns.size(); ++i) {
            if (i > 0) text += '\t';
            if (selectedCells_.count(GridCellId{row, columns[i]}) == 0) continue;
            if (const CGridCellBase* cell = GetCell(row, columns[i])) text += cell->GetText();
        }
    }
    if (virtualMode_) SendCacheHint(GridCellRange{});
    return text;
}

void CGridCtrl::CopySelection() {
    if (selectedCells_.empty() || !IsWindow()) return;
    const std::string text = GetSelectionText();
    const std::wstring wide = framework::WideFromCodePage936(text);
    ClipboardSession clipboard(hwnd_);
    if (!clipboard) return;
    EmptyClipboard();
    GlobalBlock narrowBlock(text.c_str(), text.size() + 1);
    if (narrowBlock.Get() != nullptr && SetClipboardData(CF_TEXT, narrowBlock.Get()) != nullptr) narrowBlock.Release();
    GlobalBlock wideBlock(wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
    if (wideBlock.Get() != nullptr && SetClipboardData(CF_UNICODETEXT, wideBlock.Get()) != nullptr) wideBlock.Release();
}

// --- Paste, cut, clear ---------------------------------------------------------------------

bool CGridCtrl::StoreEditedText(int row, int col, const std::string& text) {
    if (virtualMode_ || !editable_) return false;
    CGridCellBase* cell = GetCell(row, col);
    if (cell == nullptr || cell->IsReadOnly()) return false;
    if (SendMessageToParent(row, col, GN_BEGINLABELEDIT) < 0) return false;
    if (!ValidateCellEdit(row, col, text.c_str())) return false;
    if (SendEndLabelEdit(row, col, text, 0) < 0) return false;
    cell = GetCell(row, col);  // the parent may have changed the grid
    if (cell == nullptr) return false;
    cell->SetText(text.c_str());
    MarkCellModified(row, col);
    RedrawCell(row, col);
    return true;
}

void CGridCtrl::PasteText(GridCellId target, const std::string& text) {
    if (!editable_ || !IsValid(target.row, target.col)) return;
    std::vector<std::string_view> lines = Split(text, "\n");
    // Text copied from a table usually ends its last line too; that makes no row of its own.
    if (lines.size() > 1 && lines.back().empty()) lines.pop_back();
    for (size_t i = 0; i < lines.size(); ++i) {
        const long long row = static_cast<long long>(target.row) + static_cast<long long>(i);
        if (row >= rowCount_) break;
        std::string_view line = lines[i];
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::vector<std::string_view> pieces = Split(line, "\t,");
        for (size_t j = 0; j < pieces.size(); ++j) {
            const long long col = static_cast<long long>(target.col) + static_cast<long long>(j);
            if (col >= columnCount_) break;
            StoreEditedText(static_cast<int>(row), static_cast<int>(col), std::string(pieces[j]));
        }
    }
}

void CGridCtrl::PasteClipboard() {
    if (!IsValid(focusCell_.row, focusCell_.col) || !editable_ || !IsWindow()) return;
    std::string text;
    {
        ClipboardSession clipboard(hwnd_);
        if (!clipboard) return;
        // The text format the source itself put there comes first in the enumeration; the
        // other one is the system's conversion, which loses characters (Chinese text outside
        // code page 936 systems, the last byte of a block without its terminating zero).
        bool wideFirst = false;
        for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format)) {
            if (format == CF_TEXT || format == CF_UNICODETEXT) {
                wideFirst = format == CF_UNICODETEXT;
                break;
            }
        }
        auto readText = [&](bool wide) {
            return ReadGlobalText(static_cast<HGLOBAL>(GetClipboardData(wide ? CF_UNICODETEXT : CF_TEXT)), wide, &text);
        };
        const bool read = readText(wideFirst) || readText(!wideFirst);
        if (!read) return;
    }
    PasteText(focusCell_, text);
}

void CGridCtrl::ClearSelectedText() {
    if (!editable_) return;
    const std::set<GridCellId> cells = selectedCells_;  // the parent may change the selection
    for (const GridCellId& cell : cells) StoreEditedText(cell.row, cell.col, std::string());
}

void CGridCtrl::CutSelection() {
    if (!editable_) return;
    CopySelection();
    ClearSelectedText();
}

// --- Commands ------------------------------------------------------------------------------

bool CGridCtrl::IsEditCommandEnabled(UINT commandId) const {
    switch (commandId) {
        case GridCommand::Copy:
            return !selectedCells_.empty();
        case GridCommand::Cut:
            return editable_ && !selectedCells_.empty();
        case GridCommand::Paste:
            return IsValid(focusCell_.row, focusCell_.col) && editable_ &&
                   !(GetCellState(focusCell_.row, focusCell_.col) & GridCellState::ReadOnly) &&
                   IsClipboardFormatAvailable(CF_TEXT) != FALSE;
        case GridCommand::SelectAll:
            return enableSelection_;
        default:
            return false;
    }
}

bool CGridCtrl::OnEditCommand(UINT commandId) {
    if (commandId != GridCommand::Copy && commandId != GridCommand::Cut && commandId != GridCommand::Paste &&
        commandId != GridCommand::SelectAll)
        return false;
    if (!IsEditCommandEnabled(commandId)) return true;
    switch (commandId) {
        case GridCommand::Copy:
            CopySelection();
            break;
        case GridCommand::Cut:
            CutSelection();
            break;
        case GridCommand::Paste:
            PasteClipboard();
            break;
        default:
            SelectAllCells();
            break;
    }
    return true;
}

// --- Drag and drop ---------------------------------------------------------------------------

void CGridCtrl::StartDrag() {
    if (!dragAndDrop_ && draggedColumn_ < 0) return;
    if (!dragAndDrop_) return;  // dragging a column is not offered
    SendMessageToParent(focusCell_.row, focusCell_.col, GN_BEGINDRAG);
    const std::string text = GetSelectionText();
    mouseMode_ = GridMouseMode::Dragging;
    if (GetCapture() == hwnd_) ReleaseCapture();
    RunTextDrag(text.c_str(), text.size());
    // The drag loop has taken the button release.
    mouseMode_ = GridMouseMode::Nothing;
    leftButtonDown_ = false;
}

void CGridCtrl::SetDropHighlight(GridCellId cell) {
    if (cell == dropHighlightCell_) return;
    if (CGridCellBase* old = virtualMode_ ? nullptr : GetCell(dropHighlightCell_.row, dropHighlightCell_.col)) {
        old->SetState(old->GetState() & ~GridCellState::DropHighlighted);
        RedrawCell(dropHighlightCell_.row, dropHighlightCell_.col);
    }
    dropHighlightCell_ = GridCellId{};
    if (CGridCellBase* now = virtualMode_ ? nullptr : GetCell(cell.row, cell.col)) {
        now->SetState(now->GetState() | GridCellState::DropHighlighted);
        RedrawCell(cell.row, cell.col);
        dropHighlightCell_ = cell;
    }
}

DWORD CGridCtrl::OnDragEnter(IDataObject* data, DWORD keyState, POINT point) {
    return OnDragOver(data, keyState, point);
}

DWORD CGridCtrl::OnDragOver(IDataObject* data, DWORD keyState, POINT point) {
    if (!dragAndDrop_ || !editable_ || !OffersText(data)) {
        SetDropHighlight(GridCellId{});
        return DROPEFFECT_NONE;
    }
    const DWORD effect = (keyState & MK_CONTROL) != 0 ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
    // Near an edge of the cells the view scrolls a line towards it, so a drop can reach
    // rows and columns out of view.
    const RECT client = GetClientRect();
    const int inset = DD_DEFSCROLLINSET;
    int scrollBar = -1;
    int request = 0;
    if (point.y >= GetFixedRowHeight() && point.y < GetFixedRowHeight() + inset) {
        scrollBar = SB_VERT;
        request = SB_LINEUP;
    } else if (point.y >= client.bottom - inset && point.y < client.bottom) {
        scrollBar = SB_VERT;
        request = SB_LINEDOWN;
    } else if (point.x >= GetFixedColumnWidth() && point.x < GetFixedColumnWidth() + inset) {
        scrollBar = SB_HORZ;
        request = SB_LINELEFT;
    } else if (point.x >= client.right - inset && point.x < client.right) {
        scrollBar = SB_HORZ;
        request = SB_LINERIGHT;
    }
    if (scrollBar >= 0) {
        const int position = GetScrollPosition(scrollBar);
        OnScroll(scrollBar, request);
        if (GetScrollPosition(scrollBar) != position) {
            SetDropHighlight(GridCellId{});
            return effect | DROPEFFECT_SCROLL;
        }
    }
    const GridCellId cell = GetCellFromPoint(point, false);
    SetDropHighlight(cell);
    if (!IsValid(cell.row, cell.col)) return DROPEFFECT_NONE;
    return effect;
}

void CGridCtrl::OnDragLeave() {
    SetDropHighlight(GridCellId{});
}

bool CGridCtrl::OnDrop(IDataObject* data, DWORD effect, POINT point) {
    SetDropHighlight(GridCellId{});
    if (effect == DROPEFFECT_NONE || !dragAndDrop_ || !editable_) return false;
    const GridCellId cell = GetCellFromPoint(point, false);
    std::string text;
    if (!IsValid(cell.row, cell.col) || !ReadDataObjectText(data, &text)) return false;
    PasteText(cell, text);
    return true;
}

void CGridCtrl::DropTargetRelease::operator()(CGridDropTarget* target) const {
    if (target == nullptr) return;
    target->ForgetGrid();
    target->Release();
}

}  // namespace quillon::grid
