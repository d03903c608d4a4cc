#include "grid/GridCtrl.h"

#include <objbase.h>
#include <ole2.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <numeric>
#include <stdexcept>
#include <string_view>

#include "framework/GdiObjects.h"
#include "grid/GridDropTarget.h"
#include "grid/TitleTip.h"

namespace quillon::grid {

using framework::WindowDc;

namespace {

CGridCtrl::PaintObserver paintObserver = nullptr;

int TextCompare(const CGridCellBase& first, const CGridCellBase& second) {
    // Byte order of code page 936 text is its character order: lead bytes sort above ASCII.
    return std::string_view(first.GetText()).compare(second.GetText());
}

// Drag and drop needs OLE on the UI thread. The application normally initialises it
// before any grid exists; a grid made earlier initialises it for the thread's lifetime.
void EnsureOleForThisThread() {
    static thread_local bool checked = false;
    if (checked) return;
    checked = true;
    APTTYPE type{};
    APTTYPEQUALIFIER qualifier{};
    HRESULT state = CoGetApartmentType(&type, &qualifier);
    if (SUCCEEDED(state) && type != APTTYPE_MTA) return;
    if (state == CO_E_NOTINITIALIZED && SUCCEEDED(OleInitialize(nullptr))) return;
    MessageBoxW(nullptr, L"OLE initialization failed. Make sure that the OLE libraries are the correct version",
                L"错误提示", MB_OK | MB_ICONERROR);
}

// Lines per wheel notch; -1 scrolls a page. The oldest Windows family keeps the setting
// only in the registry.
int ReadWheelScrollLines() {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (GetVersionExW(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && version.dwMinorVersion == 0) {
        wchar_t value[16] = {};
        DWORD size = sizeof value - sizeof(wchar_t);
        if (RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"WheelScrollLines", RRF_RT_REG_SZ, nullptr,
                         value, &size) == ERROR_SUCCESS) {
            wchar_t* end = nullptr;
            const long lines = wcstol(value, &end, 10);
            if (end != value) return static_cast<int>(lines);
        }
        return 3;
    }
    UINT lines = 0;
    if (SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0)) return static_cast<int>(lines);
    return 3;
}

POINT PointOf(LPARAM lParam) {
    return POINT{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
}

}  // namespace

// --- Construction and the window class ----------------------------------------------

CGridCtrl::CGridCtrl()
    : gridBackColour_(GetSysColor(COLOR_BTNSHADOW)),
      cachedWindowText_(GetSysColor(COLOR_WINDOWTEXT)),
      cachedWindow_(GetSysColor(COLOR_WINDOW)),
      cachedButtonFace_(GetSysColor(COLOR_BTNFACE)),
      cachedButtonShadow_(GetSysColor(COLOR_BTNSHADOW)),
      cellClass_(&GridCellClassOf<CGridCell>()) {
    RegisterWindowClass();
    EnsureOleForThisThread();
    InitializeCriticalSection(&lock_);
    plainDefault_.SetTextColour(cachedWindowText_);
    plainDefault_.SetBackColour(cachedWindow_);
    for (CGridDefaultCell* header : {&fixedColumnDefault_, &fixedRowDefault_, &cornerDefault_}) {
        header->SetTextColour(cachedWindowText_);
        header->SetBackColour(cachedButtonFace_);
    }
    wheelScrollLines_ = ReadWheelScrollLines();
}

CGridCtrl::~CGridCtrl() {
    destroying_ = true;
    if (IsWindow()) DestroyWindow();
    selectedCells_.clear();
    previousSelection_.clear();
    rows_.clear();
    DeleteCriticalSection(&lock_);
}

bool CGridCtrl::RegisterWindowClass() {
    return framework::RegisterWindowClassOnce(
        GridWindowClassName, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, LoadCursorW(nullptr, IDC_ARROW),
        reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr, &CGridCtrl::GridWindowProc);
}

bool CGridCtrl::Create(const RECT& rect, HWND parent, UINT id, DWORD style) {
    return CreateEx(0, GridWindowClassName, std::string(), style, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)));
}

void CGridCtrl::SetPaintObserver(PaintObserver observer) {
    paintObserver = observer;
}

CGridCtrl* CGridCtrl::FromHandle(HWND window) {
    return dynamic_cast<CGridCtrl*>(CWnd::FromHandle(window));
}

// Grids made by Create reach CWnd's procedure through CreateEx. A grid window made by
// anyone else (a dialog template) gets an object of its own here, which lives and dies
// with the window.
LRESULT CALLBACK CGridCtrl::GridWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        LRESULT result = CWnd::StaticWindowProc(window, message, wParam, lParam);
        if (CWnd::FromHandle(window) == nullptr) {
            auto* grid = new (std::nothrow) CGridCtrl();
            if (grid == nullptr) return FALSE;
            grid->ownedByWindow_ = true;
            grid->BindToWindow(window);
        }
        return result;
    }
    if (message == WM_NCDESTROY) {
        CGridCtrl* grid = FromHandle(window);
        LRESULT result = CWnd::StaticWindowProc(window, message, wParam, lParam);
        if (grid != nullptr && grid->ownedByWindow_) delete grid;
        return result;
    }
    return CWnd::StaticWindowProc(window, message, wParam, lParam);
}

void CGridCtrl::OnDestroy() {
    StopAutoScroll();
    if (mouseMode_ == GridMouseMode::SizingColumn || mouseMode_ == GridMouseMode::SizingRow) ClipCursor(nullptr);
    mouseMode_ = GridMouseMode::Nothing;
    leftButtonDown_ = false;
    dropTarget_.reset();
    titleTip_.reset();
}

void CGridCtrl::OnCreate() {
    if (!dropTarget_) {
        dropTarget_.reset(new (std::nothrow) CGridDropTarget(this));
        if (dropTarget_) dropTarget_->Register(hwnd_);
    }
    // The sunken client edge is part of the grid's look whoever creates the window.
    LONG_PTR extended = GetWindowLongPtrW(hwnd_, GWL_EXSTYLE);
    if ((extended & WS_EX_CLIENTEDGE) == 0) {
        SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, extended | WS_EX_CLIENTEDGE);
        SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
}

LRESULT CGridCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: {
            LRESULT result = DefaultProc(message, wParam, lParam);
            if (result != -1) OnCreate();
            return result;
        }
        case WM_PAINT: {
            {
                framework::PaintDc paint(hwnd_);
                if (paint.Get() != nullptr) Paint(paint.Get(), paint.PaintArea());
            }
            if (paintObserver != nullptr) paintObserver();
            return 0;
        }
        case WM_PRINTCLIENT:
            Paint(reinterpret_cast<HDC>(wParam), GetClientRect());
            return 0;
        case WM_ERASEBKGND:
            return 0;  // DrawGrid paints every pixel, so erasing would only flicker
        case WM_SIZE:
            return 0;  // the owner calls UpdateScrollBars after resizing the grid
        case WM_HSCROLL:
            OnScroll(SB_HORZ, LOWORD(wParam));
            return 0;
        case WM_VSCROLL:
            OnScroll(SB_VERT, LOWORD(wParam));
            return 0;
        case WM_SETFONT:
            OnSetFont(reinterpret_cast<HFONT>(wParam));
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(plainDefault_.GetFontObject());
        case WM_SYSCOLORCHANGE:
            OnSysColorChange();
            return 0;
        case WM_DESTROY:
            OnDestroy();
            break;
        case WM_LBUTTONDOWN:
            OnLButtonDown(PointOf(lParam), static_cast<UINT>(wParam));
            return 0;
        case WM_LBUTTONUP:
            OnLButtonUp(PointOf(lParam));
            return 0;
        case WM_LBUTTONDBLCLK:
            OnLButtonDoubleClick(PointOf(lParam));
            break;
        case WM_RBUTTONUP: {
            LRESULT result = DefaultProc(message, wParam, lParam);
            if (hwnd_ != nullptr) OnRButtonUp(PointOf(lParam));
            return result;
        }
        case WM_MOUSEMOVE:
            OnMouseMove(PointOf(lParam), static_cast<UINT>(wParam));
            return 0;
        case WM_MOUSEWHEEL:
            OnMouseWheel(GET_WHEEL_DELTA_WPARAM(wParam));
            return 0;
        case WM_CAPTURECHANGED:
            OnCaptureChanged(reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_SETCURSOR:
            if (reinterpret_cast<HWND>(wParam) == hwnd_ && OnSetCursor(LOWORD(lParam))) return TRUE;
            break;
        case WM_KEYDOWN:
            OnKeyDown(static_cast<UINT>(wParam));
            return 0;
        case WM_SYSKEYDOWN:
            TitleTipHide();
            break;
        case WM_CHAR:
        case WM_IME_CHAR:
            OnChar(static_cast<UINT>(wParam));
            return 0;
        case WM_NOTIFY: {
            // The in-place editor reports its end.
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header != nullptr && header->idFrom == InPlaceEditId &&
                static_cast<int>(header->code) == GN_ENDLABELEDIT && ::GetParent(header->hwndFrom) == hwnd_) {
                const auto* record = reinterpret_cast<const GridDisplayRecord*>(lParam);
                EditCellEnded(record->row, record->column, record->text.c_str(), static_cast<UINT>(record->data));
                return 0;
            }
            break;
        }
        case WM_COMMAND:
            // Menu and accelerator commands only; the editor's notifications carry its handle.
            if (lParam == 0 && OnEditCommand(LOWORD(wParam))) return 0;
            break;
        case WM_GETDLGCODE: {
            LRESULT code = DLGC_WANTARROWS | DLGC_WANTCHARS;
            if (handleTabKey_ && (GetKeyState(VK_CONTROL) & 0x8000) == 0) code |= DLGC_WANTTAB;
            return code;
        }
        case WM_NCPAINT:
        case WM_NCACTIVATE: {
            LRESULT result = DefaultProc(message, wParam, lParam);
            if (hwnd_ != nullptr) {
                WindowDc windowDc(hwnd_, WindowDc::Area::Window);
                DrawBorder(windowDc.Get());
            }
            return result;
        }
        case WM_PRINT: {
            // A picture of the window (PrintWindow, screenshots) shows the border as well.
            LRESULT result = DefaultProc(message, wParam, lParam);
            if ((lParam & PRF_NONCLIENT) != 0) DrawBorder(reinterpret_cast<HDC>(wParam));
            return result;
        }
        default:
            break;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

void CGridCtrl::OnSetFont(HFONT font) {
    LOGFONTW description{};
    if (font != nullptr && GetObjectW(font, sizeof description, &description) == sizeof description) {
        for (CGridDefaultCell* cell : {&plainDefault_, &fixedColumnDefault_, &fixedRowDefault_, &cornerDefault_})
            cell->SetFont(&description);
    }
    if (allowDraw_ && IsWindow()) Invalidate(false);
}

void CGridCtrl::OnSysColorChange() {
    const COLORREF windowText = GetSysColor(COLOR_WINDOWTEXT);
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    for (CGridDefaultCell* cell : {&plainDefault_, &fixedColumnDefault_, &fixedRowDefault_, &cornerDefault_}) {
        if (cell->GetTextColour() == cachedWindowText_) cell->SetTextColour(windowText);
        if (cell->GetBackColour() == cachedWindow_) cell->SetBackColour(window);
    }
    if (gridBackColour_ == cachedButtonShadow_) gridBackColour_ = GetSysColor(COLOR_BTNSHADOW);
    cachedWindowText_ = windowText;
    cachedWindow_ = window;
    cachedButtonFace_ = GetSysColor(COLOR_BTNFACE);
    cachedButtonShadow_ = GetSysColor(COLOR_BTNSHADOW);
}

// --- Notifications ------------------------------------------------------------------

LRESULT CGridCtrl::SendNotify(NMHDR* header, int code) const {
    if (header == nullptr || hwnd_ == nullptr || !::IsWindow(hwnd_)) return 0;
    HWND target = GetWindow(hwnd_, GW_OWNER);
    if (target == nullptr) target = GetParent(hwnd_);
    if (target == nullptr || !::IsWindow(target)) return 0;
    header->hwndFrom = hwnd_;
    header->idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(hwnd_));
    header->code = static_cast<UINT>(code);
    return SendMessageW(target, WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header));
}

LRESULT CGridCtrl::SendMessageToParent(int row, int col, int code) const {
    GridNotifyRecord record{};
    record.row = row;
    record.column = col;
    return SendNotify(&record.header, code);
}

void CGridCtrl::SendCacheHint(const GridCellRange& range) const {
    GridCacheHintRecord record{};
    record.range = range;
    SendNotify(&record.header, GN_ODCACHEHINT);
}

// --- Default cells and cells ----------------------------------------------------------

CGridDefaultCell* CGridCtrl::GetDefaultCell(bool fixedRow, bool fixedColumn) {
    if (fixedRow && fixedColumn) return &cornerDefault_;
    if (fixedRow) return &fixedRowDefault_;
    if (fixedColumn) return &fixedColumnDefault_;
    return &plainDefault_;
}

const CGridDefaultCell* CGridCtrl::GetDefaultCell(bool fixedRow, bool fixedColumn) const {
    return const_cast<CGridCtrl*>(this)->GetDefaultCell(fixedRow, fixedColumn);
}

CGridCellBase* CGridCtrl::StoredCell(int row, int col) const {
    if (!IsValid(row, col) || static_cast<size_t>(row) >= rows_.size() ||
        static_cast<size_t>(col) >= columnOrder_.size())
        return nullptr;
    const auto& cells = rows_[static_cast<size_t>(row)];
    const size_t stored = static_cast<size_t>(columnOrder_[static_cast<size_t>(col)]);
    return stored < cells.size() ? cells[stored].get() : nullptr;
}

CGridCellBase* CGridCtrl::GetCell(int row, int col) const {
    if (!IsValid(row, col)) return nullptr;
    if (!virtualMode_) return StoredCell(row, col);

    const bool fixedRow = row < fixedRowCount_;
    const bool fixedColumn = col < fixedColumnCount_;
    const CGridDefaultCell* defaultCell = GetDefaultCell(fixedRow, fixedColumn);
    GridDisplayRecord record;
    record.row = row;
    record.column = col;
    record.mask = GridDisplayMask::All;
    record.format = defaultCell->GetFormat();
    record.image = defaultCell->GetImage();
    record.backColour = defaultCell->GetBackColour();
    record.textColour = defaultCell->GetTextColour();
    record.data = defaultCell->GetData();
    if (const LOGFONTW* font = defaultCell->GetFont()) record.font = *font;
    record.margin = defaultCell->GetMargin();
    if (selectedCells_.count(GridCellId{row, col}) != 0) record.state |= GridCellState::Selected;
    if (fixedRow) record.state |= GridCellState::Fixed | GridCellState::FixedRow;
    if (fixedColumn) record.state |= GridCellState::Fixed | GridCellState::FixedColumn;
    if (focusCell_.row == row && focusCell_.col == col) record.state |= GridCellState::Focused;

    if (!destroying_) {
        if (static_cast<size_t>(row) < rowOrder_.size()) record.row = rowOrder_[static_cast<size_t>(row)];
        if (static_cast<size_t>(col) < columnOrder_.size()) record.column = columnOrder_[static_cast<size_t>(col)];
        if (displayCallback_ != nullptr) {
            displayCallback_(&record, callbackData_);
        } else {
            SendNotify(&record.header, GN_GETDISPINFO);
        }
        record.row = row;
        record.column = col;
    }

    scratchCell_.SetGrid(const_cast<CGridCtrl*>(this));
    scratchCell_.SetImage(record.image);
    scratchCell_.SetState(record.state);
    scratchCell_.SetFormat(record.format);
    scratchCell_.SetData(record.data);
    scratchCell_.SetBackColour(record.backColour);
    scratchCell_.SetTextColour(record.textColour);
    // The default font stays the default: its font object needs no re-creating.
    const LOGFONTW* defaultFont = defaultCell->GetFont();
    const bool ownFont = defaultFont == nullptr || std::memcmp(defaultFont, &record.font, sizeof record.font) != 0;
    scratchCell_.SetFont(ownFont ? &record.font : nullptr);
    scratchCell_.SetMargin(record.margin);
    scratchCell_.SetText(record.text.c_str());
    return &scratchCell_;
}

bool CGridCtrl::SetCell(int row, int col, std::unique_ptr<CGridCellBase> cell) {
    if (virtualMode_ || !IsValid(row, col) || !cell) return false;
    const size_t stored = static_cast<size_t>(columnOrder_[static_cast<size_t>(col)]);
    auto& cells = rows_[static_cast<size_t>(row)];
    if (stored >= cells.size()) return false;
    if (cells[stored] && cells[stored]->IsSelected()) selectedCells_.erase(GridCellId{row, col});
    cell->SetGrid(this);
    cell->SetCoords(row, col);
    if (cell->IsSelected()) selectedCells_.insert(GridCellId{row, col});
    cells[stored] = std::move(cell);
    return true;
}

bool CGridCtrl::SetCellText(int row, int col, const char* text) {
    CGridCellBase* cell = virtualMode_ ? nullptr : GetCell(row, col);
    if (cell == nullptr) return false;
    cell->SetText(text);
    MarkCellModified(row, col);
    return true;
}

bool CGridCtrl::SetCellState(int row, int col, DWORD state) {
    if (virtualMode_) return false;
    CGridCellBase* cell = GetCell(row, col);
    if (cell == nullptr) return false;
    const bool wasSelected = cell->IsSelected();
    const bool selected = (state & GridCellState::Selected) != 0;
    if (selected && !wasSelected) selectedCells_.insert(GridCellId{row, col});
    if (!selected && wasSelected) selectedCells_.erase(GridCellId{row, col});
    cell->SetState(state);
    return true;
}

DWORD CGridCtrl::GetCellState(int row, int col) const {
    CGridCellBase* cell = GetCell(row, col);
    return cell != nullptr ? cell->GetState() : 0;
}

void CGridCtrl::MarkCellModified(int row, int col) {
    if (col < 0 || col == sortColumn_) {
        if (sortColumn_ >= 0) RedrawCell(0, sortColumn_);
        sortColumn_ = -1;
    }
    if (!virtualMode_ && IsValid(row, col)) {
        if (CGridCellBase* cell = GetCell(row, col)) cell->SetState(cell->GetState() | GridCellState::Modified);
    }
    modified_ = true;
}

std::unique_ptr<CGridCellBase> CGridCtrl::CreateCell(int row, int col) {
    if (cellClass_ == nullptr || cellClass_->create == nullptr) return nullptr;
    std::unique_ptr<CGridCellBase> cell = cellClass_->create();
    if (!cell) return nullptr;
    cell->SetGrid(this);
    cell->SetCoords(row, col);
    DWORD state = 0;
    if (col < fixedColumnCount_) state |= GridCellState::Fixed | GridCellState::FixedColumn;
    if (row < fixedRowCount_) state |= GridCellState::Fixed | GridCellState::FixedRow;
    cell->SetState(state);
    if (const CGridDefaultCell* defaultCell = cell->GetDefaultCell()) cell->SetFormat(defaultCell->GetFormat());
    return cell;
}

void CGridCtrl::DestroyCell(int row, int col) {
    if (virtualMode_ || !IsValid(row, col)) return;
    SetCellState(row, col, 0);
    const size_t stored = static_cast<size_t>(columnOrder_[static_cast<size_t>(col)]);
    auto& cells = rows_[static_cast<size_t>(row)];
    if (stored < cells.size()) cells[stored].reset();
}

void CGridCtrl::AdjustRowOrder(int row, int delta) {
    // Application rows [row, row + delta) come into being (delta > 0) or go (delta < 0);
    // the display order keeps pointing at the same application rows.
    if (!virtualMode_ || delta == 0 || row < 0) return;
    if (delta > 0) {
        for (int& entry : rowOrder_) {
            if (entry >= row) entry += delta;
        }
        const size_t at = std::min(static_cast<size_t>(row), rowOrder_.size());
        std::vector<int> added(static_cast<size_t>(delta));
        std::iota(added.begin(), added.end(), row);
        rowOrder_.insert(rowOrder_.begin() + static_cast<std::ptrdiff_t>(at), added.begin(), added.end());
    } else {
        const int end = row - delta;
        std::erase_if(rowOrder_, [&](int entry) { return entry >= row && entry < end; });
        for (int& entry : rowOrder_) {
            if (entry >= end) entry += delta;
        }
    }
}

// --- Counts ---------------------------------------------------------------------------

bool CGridCtrl::HoldsCells(int rows, int cols) const {
    if (virtualMode_) return rows <= MaximumCellCount && cols <= MaximumCellCount;
    return static_cast<long long>(std::max(rows, 1)) * std::max(cols, 1) <= MaximumCellCount;
}

bool CGridCtrl::SetRowCount(int rows) {
    if (rows < 0 || !HoldsCells(rows, columnCount_)) return false;
    if (rows == rowCount_) return true;
    topLeftCache_ = GridCellId{};
    if (rows < fixedRowCount_) fixedRowCount_ = rows;
    if (focusCell_.row >= rows) SetFocusCell(-1, -1);

    bool complete = true;
    const int defaultHeight = plainDefault_.GetHeight();
    if (virtualMode_) {
        try {
            rowHeights_.resize(static_cast<size_t>(rows), defaultHeight);
            rowOrder_.resize(static_cast<size_t>(rows));
            std::iota(rowOrder_.begin(), rowOrder_.end(), 0);
            rowCount_ = rows;
        } catch (const std::exception&) {
            rowHeights_.resize(static_cast<size_t>(rowCount_));
            rowOrder_.resize(static_cast<size_t>(rowCount_));
            complete = false;
        }
    } else if (rows < rowCount_) {
        for (int row = rows; row < rowCount_; ++row) {
            for (int col = 0; col < columnCount_; ++col) DestroyCell(row, col);
        }
        rows_.resize(static_cast<size_t>(rows));
        rowHeights_.resize(static_cast<size_t>(rows));
        rowCount_ = rows;
    } else {
        try {
            rows_.reserve(static_cast<size_t>(rows));
            rowHeights_.reserve(static_cast<size_t>(rows));
            while (rowCount_ < rows) {
                std::vector<std::unique_ptr<CGridCellBase>> cells(static_cast<size_t>(columnCount_));
                for (int col = 0; col < columnCount_; ++col)
                    cells[static_cast<size_t>(col)] = CreateCell(rowCount_, col);
                rows_.push_back(std::move(cells));
                rowHeights_.push_back(defaultHeight);
                ++rowCount_;
            }
        } catch (const std::exception&) {
            rows_.resize(static_cast<size_t>(rowCount_));
            rowHeights_.resize(static_cast<size_t>(rowCount_));
            complete = false;
        }
    }
    std::erase_if(selectedCells_, [this](const GridCellId& cell) { return cell.row >= rowCount_; });
    std::erase_if(previousSelection_, [this](const GridCellId& cell) { return cell.row >= rowCount_; });

    MarkCellModified(-1, -1);
    UpdateScrollBars();
    if (allowDraw_ && IsWindow()) Invalidate(false);
    return complete;
}

bool CGridCtrl::SetColumnCount(int cols) {
    if (cols < 0 || !HoldsCells(rowCount_, cols)) return false;
    if (cols == columnCount_) return true;
    topLeftCache_ = GridCellId{};
    if (cols < fixedColumnCount_) fixedColumnCount_ = cols;
    if (focusCell_.col >= cols) SetFocusCell(-1, -1);
    // Cells are addressed through the column order; put it back to the stored order first
    // so the columns that go are the last stored ones.
    std::iota(columnOrder_.begin(), columnOrder_.end(), 0);

    bool complete = true;
    int made = cols;
    if (cols < columnCount_) {
        if (!virtualMode_) {
            for (int row = 0; row < rowCount_; ++row) {
                for (int col = cols; col < columnCount_; ++col) DestroyCell(row, col);
                rows_[static_cast<size_t>(row)].resize(static_cast<size_t>(cols));
            }
        }
        columnWidths_.resize(static_cast<size_t>(cols));
    } else {
        const int defaultWidth = fixedColumnDefault_.GetWidth();
        try {
            columnOrder_.reserve(static_cast<size_t>(cols));
            columnWidths_.resize(static_cast<size_t>(cols), defaultWidth);
            if (!virtualMode_) {
                for (int row = 0; row < rowCount_; ++row) {
                    auto& cells = rows_[static_cast<size_t>(row)];
                    cells.reserve(static_cast<size_t>(cols));
                    for (int col = columnCount_; col < cols; ++col) cells.push_back(CreateCell(row, col));
                }
            }
        } catch (const std::exception&) {
            // Keep only the columns every row received.
            made = std::min(cols, static_cast<int>(columnWidths_.size()));
            for (const auto& cells : rows_) made = std::min(made, static_cast<int>(cells.size()));
            made = std::max(made, std::min(columnCount_, cols));
            for (auto& cells : rows_) cells.resize(std::min(cells.size(), static_cast<size_t>(made)));
            columnWidths_.resize(static_cast<size_t>(made), defaultWidth);
            complete = false;
        }
    }
    columnOrder_.resize(static_cast<size_t>(made));
    std::iota(columnOrder_.begin(), columnOrder_.end(), 0);
    columnCount_ = made;
    if (fixedColumnCount_ > columnCount_) fixedColumnCount_ = columnCount_;
    std::erase_if(selectedCells_, [this](const GridCellId& cell) { return cell.col >= columnCount_; });
    std::erase_if(previousSelection_, [this](const GridCellId& cell) { return cell.col >= columnCount_; });

    MarkCellModified(-1, -1);
    UpdateScrollBars();
    if (allowDraw_ && IsWindow()) Invalidate(false);
    return complete;
}

bool CGridCtrl::SetFixedRowCount(int rows) {
    return SetFixedCount(GridAxis::Rows, rows);
}

bool CGridCtrl::SetFixedColumnCount(int cols) {
    return SetFixedCount(GridAxis::Columns, cols);
}

bool CGridCtrl::SetFixedCount(GridAxis axis, int count) {
    const bool rows = axis == GridAxis::Rows;
    int& fixed = rows ? fixedRowCount_ : fixedColumnCount_;
    if (count < 0) return false;
    if (count == fixed) return true;
    ClearSelection();
    topLeftCache_ = GridCellId{};
    if (rows && rowCount_ < count && !SetRowCount(count)) return false;
    if (!rows && columnCount_ < count && !SetColumnCount(count)) return false;
    const int focus = rows ? focusCell_.row : focusCell_.col;
    if (focus != -1 && focus < count) SetFocusCell(-1, -1);

    // Cells entering or leaving the fixed lines change state, and take the header
    // defaults' colours; a cell that stays fixed on the other axis keeps its colours.
    const int lines = rows ? rowCount_ : columnCount_;
    const int across = rows ? columnCount_ : rowCount_;
    const int fixedAcross = rows ? fixedColumnCount_ : fixedRowCount_;
    const DWORD axisFlag = rows ? GridCellState::FixedRow : GridCellState::FixedColumn;
    for (int line = 0; !virtualMode_ && line < lines; ++line) {
        const bool becomesFixed = line < count && line >= fixed;
        const bool stopsBeingFixed = line >= count && line < fixed;
        if (!becomesFixed && !stopsBeingFixed) continue;
        for (int other = 0; other < across; ++other) {
            CGridCellBase* cell = rows ? GetCell(line, other) : GetCell(other, line);
            if (cell == nullptr) continue;
            DWORD state = cell->GetState();
            if (becomesFixed) {
                state |= GridCellState::Fixed | axisFlag;
            } else if (other < fixedAcross) {
                state &= ~axisFlag;
            } else {
                state &= ~(GridCellState::Fixed | axisFlag);
            }
            cell->SetState(state);
            if (becomesFixed || other >= fixedAcross) {
                cell->SetTextColour(GridColourNotSet);
                cell->SetBackColour(GridColourNotSet);
            }
        }
    }
    fixed = count;
    if (allowDraw_ && IsWindow()) Invalidate(false);
    return true;
}

bool CGridCtrl::DeleteAllItems() {
    if (!virtualMode_) {
        for (int row = 0; row < rowCount_; ++row) {
            for (int col = 0; col < columnCount_; ++col) DestroyCell(row, col);
        }
    }
    selectedCells_.clear();
    previousSelection_.clear();
    rows_.clear();
    rowHeights_.clear();
    columnWidths_.clear();
    rowOrder_.clear();
    columnOrder_.clear();
    rowCount_ = fixedRowCount_ = columnCount_ = fixedColumnCount_ = 0;
    focusCell_ = GridCellId{};
    topLeftCache_ = GridCellId{};
    sortColumn_ = -1;
    modified_ = true;
    UpdateScrollBars();
    if (allowDraw_ && IsWindow()) Invalidate(false);
    return true;
}

void CGridCtrl::SetVirtualMode(bool virtualMode) {
    if (virtualMode == virtualMode_) return;
    DeleteAllItems();
    virtualMode_ = virtualMode;
}

bool CGridCtrl::SetColumnOrder(const std::vector<int>& order) {
    if (order.size() != static_cast<size_t>(columnCount_)) return false;
    std::vector<bool> seen(order.size(), false);
    for (int stored : order) {
        if (stored < 0 || stored >= columnCount_ || seen[static_cast<size_t>(stored)]) return false;
        seen[static_cast<size_t>(stored)] = true;
    }
    ClearSelection();
    columnOrder_ = order;
    topLeftCache_ = GridCellId{};
    if (allowDraw_ && IsWindow()) Invalidate(false);
    return true;
}

// --- Sizes ----------------------------------------------------------------------------

bool CGridCtrl::SetColumnWidth(int col, int width) {
    if (col < 0 || col >= columnCount_ || width < 0 || width > MaximumCellSize) return false;
    columnWidths_[static_cast<size_t>(columnOrder_[static_cast<size_t>(col)])] = width;
    topLeftCache_ = GridCellId{};
    return true;
}

bool CGridCtrl::SetRowHeight(int row, int height) {
    if (row < 0 || row >= rowCount_ || height < 0 || height > MaximumCellSize) return false;
    rowHeights_[static_cast<size_t>(row)] = height;
    topLeftCache_ = GridCellId{};
    return true;
}

int CGridCtrl::GetRowHeight(int row) const {
    if (row < 0 || row >= rowCount_) return -1;
    return rowHeights_[static_cast<size_t>(row)];
}

int CGridCtrl::GetColumnWidth(int col) const {
    if (col < 0 || col >= columnCount_) return -1;
    return columnWidths_[static_cast<size_t>(columnOrder_[static_cast<size_t>(col)])];
}

int CGridCtrl::SumOfRowHeights(int first, int end) const {
    return geometry::Extent(RowLines(), first, end);
}

int CGridCtrl::SumOfColumnWidths(int first, int end) const {
    return geometry::Extent(ColumnLines(), first, end);
}

int CGridCtrl::GetFixedRowHeight() const {
    return SumOfRowHeights(0, fixedRowCount_);
}

int CGridCtrl::GetFixedColumnWidth() const {
    return SumOfColumnWidths(0, fixedColumnCount_);
}

int CGridCtrl::GetVirtualHeight() const {
    return SumOfRowHeights(0, rowCount_);
}

int CGridCtrl::GetVirtualWidth() const {
    return SumOfColumnWidths(0, columnCount_);
}

// --- Geometry -------------------------------------------------------------------------

GridCellId CGridCtrl::GetTopLeftNonFixedCell(bool forceRecalculation) const {
    if (topLeftCache_.row != -1 && topLeftCache_.col != -1 && !forceRecalculation) return topLeftCache_;

    const int col = geometry::FirstScrolled(ColumnLines(), GetScrollPosition(SB_HORZ));
    const int row = geometry::FirstScrolled(RowLines(), GetScrollPosition(SB_VERT));
    topLeftCache_ = GridCellId{row, col};
    return topLeftCache_;
}

GridCellRange CGridCtrl::GetVisibleNonFixedCellRange(RECT* covered) const {
    RECT client{};
    if (hwnd_ != nullptr) ::GetClientRect(hwnd_, &client);
    const GridCellId topLeft = GetTopLeftNonFixedCell();
    const geometry::VisibleEnd rows = geometry::LastVisible(RowLines(), topLeft.row, client.bottom);
    const geometry::VisibleEnd cols = geometry::LastVisible(ColumnLines(), topLeft.col, client.right);
    if (covered != nullptr) *covered = RECT{GetFixedColumnWidth(), GetFixedRowHeight(), cols.end, rows.end};
    return GridCellRange{topLeft.row, topLeft.col, rows.last, cols.last};
}

bool CGridCtrl::GetCellOrigin(int row, int col, POINT* origin) const {
    if (!IsValid(row, col) || origin == nullptr) return false;
    const GridCellId topLeft = GetTopLeftNonFixedCell();
    const std::optional<int> x = geometry::Origin(ColumnLines(), col, topLeft.col);
    const std::optional<int> y = geometry::Origin(RowLines(), row, topLeft.row);
    if (!x || !y) return false;
    *origin = POINT{*x, *y};
    return true;
}

bool CGridCtrl::GetCellRect(int row, int col, RECT* rect) const {
    POINT origin{};
    if (rect == nullptr || !GetCellOrigin(row, col, &origin)) return false;
    rect->left = origin.x;
    rect->top = origin.y;
    rect->right = origin.x + GetColumnWidth(col) - 1;
    rect->bottom = origin.y + GetRowHeight(row) - 1;
    return true;
}

bool CGridCtrl::IsCellVisible(int row, int col) const {
    if (!IsWindow() || !IsValid(row, col)) return false;
    POINT origin{};
    if (!GetCellOrigin(row, col, &origin)) return false;
    RECT client = GetClientRect();
    return origin.x < client.right && origin.y < client.bottom;
}

// --- Scroll bars and scrolling -----------------------------------------------------------

int CGridCtrl::GetScrollPosition(int bar, bool tracking) const {
    if (hwnd_ == nullptr) return 0;
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = tracking ? SIF_TRACKPOS : SIF_POS;
    if (!GetScrollInfo(hwnd_, bar, &info)) return 0;
    return tracking ? info.nTrackPos : info.nPos;
}

void CGridCtrl::SetScrollPosition(int bar, int position) {
    topLeftCache_ = GridCellId{};
    if (hwnd_ == nullptr) return;
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS;
    info.nPos = position;
    SetScrollInfo(hwnd_, bar, &info, TRUE);
}

// The largest position the bar can take: its maximum less its page.
int CGridCtrl::ScrollLimit(int bar) const {
    if (hwnd_ == nullptr) return 0;
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE;
    if (!GetScrollInfo(hwnd_, bar, &info)) return 0;
    return std::max(0, info.nMax - std::max(static_cast<int>(info.nPage), 1) + 1);
}

void CGridCtrl::UpdateScrollBars() {
    topLeftCache_ = GridCellId{};
    if (!allowDraw_ || !IsWindow()) return;
    RECT client = GetClientRect();
    if (client.right <= client.left || client.bottom <= client.top) return;

    // The client area as it would be without the bars.
    const LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
    if ((style & WS_VSCROLL) != 0) client.right += GetSystemMetrics(SM_CXVSCROLL);
    if ((style & WS_HSCROLL) != 0) client.bottom += GetSystemMetrics(SM_CYHSCROLL);

    const geometry::ScrollRoom room = geometry::MeasureScrollRoom(
        {client.right - client.left, client.bottom - client.top, GetFixedColumnWidth(), GetFixedRowHeight(),
         GetVirtualWidth(), GetVirtualHeight(), GetSystemMetrics(SM_CXVSCROLL), GetSystemMetrics(SM_CYHSCROLL)});
    if (!room.room) {
        ShowScrollBar(hwnd_, SB_BOTH, FALSE);
        scrollBarsShown_ = 0;
        return;
    }
    const bool vertical = room.vertical;
    const bool horizontal = room.horizontal;
    const int visibleWidth = room.visibleWidth;
    const int visibleHeight = room.visibleHeight;
    verticalScrollMax_ = room.verticalMax;
    horizontalScrollMax_ = room.horizontalMax;

    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE;
    info.nMin = 0;
    info.nMax = horizontalScrollMax_;
    info.nPage = horizontal ? static_cast<UINT>(visibleWidth) : 0;
    SetScrollInfo(hwnd_, SB_HORZ, &info, TRUE);
    info.nMax = verticalScrollMax_;
    info.nPage = vertical ? static_cast<UINT>(visibleHeight) : 0;
    if (vertical) info.fMask |= SIF_DISABLENOSCROLL;
    SetScrollInfo(hwnd_, SB_VERT, &info, TRUE);

    ShowScrollBar(hwnd_, SB_HORZ, horizontal ? TRUE : FALSE);
    ShowScrollBar(hwnd_, SB_VERT, vertical ? TRUE : FALSE);
    scrollBarsShown_ = (horizontal ? 1 : 0) | (vertical ? 2 : 0);
    topLeftCache_ = GridCellId{};
}

void CGridCtrl::InvalidateScrolledArea(int bar) {
    if (!allowDraw_ || !IsWindow()) return;
    RECT area = GetClientRect();
    if (bar == SB_VERT) {
        area.top = GetFixedRowHeight();
    } else {
        area.left = GetFixedColumnWidth();
    }
    InvalidateRect(hwnd_, &area, FALSE);
}

void CGridCtrl::OnScroll(int bar, int request) {
    EndEditing();
    TitleTipHide();

    const bool vertical = bar == SB_VERT;
    const int position = GetScrollPosition(bar);
    const int limit = ScrollLimit(bar);
    const GridCellId topLeft = GetTopLeftNonFixedCell();
    const int firstNonFixed = vertical ? fixedRowCount_ : fixedColumnCount_;
    const int count = vertical ? rowCount_ : columnCount_;
    const int topLeftIndex = vertical ? topLeft.row : topLeft.col;
    const RECT client = GetClientRect();
    const int page = vertical ? client.bottom - GetFixedRowHeight() : client.right - GetFixedColumnWidth();
    auto sizeOf = [&](int index) { return vertical ? GetRowHeight(index) : GetColumnWidth(index); };

    switch (request) {
        case SB_LINEUP:  // SB_LINELEFT
            if (position > 0 && topLeftIndex > firstNonFixed) {
                int index = topLeftIndex - 1;
                while (index > firstNonFixed && sizeOf(index) <= 0) --index;
                SetScrollPosition(bar, std::max(0, position - std::max(0, sizeOf(index))));
                InvalidateScrolledArea(bar);
            }
            break;
        case SB_LINEDOWN:  // SB_LINERIGHT
            if (position < limit) {
                int index = topLeftIndex;
                while (index < count && sizeOf(index) <= 0) ++index;
                if (index >= count) break;
                SetScrollPosition(bar, position + sizeOf(index));
                if (GetScrollPosition(bar) != position) InvalidateScrolledArea(bar);
            }
            break;
        case SB_PAGEUP:
            if (position > 0) {
                SetScrollPosition(bar, std::max(0, position - page));
                InvalidateScrolledArea(bar);
            }
            break;
        case SB_PAGEDOWN:
            if (position < limit) {
                SetScrollPosition(bar, std::min(limit, position + page));
                InvalidateScrolledArea(bar);
            }
            break;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK:
            SetScrollPosition(bar, GetScrollPosition(bar, true));
            if (GetTopLeftNonFixedCell() != topLeft) InvalidateScrolledArea(bar);
            break;
        case SB_TOP:  // SB_LEFT
            if (position > 0) {
                SetScrollPosition(bar, 0);
                if (allowDraw_) Invalidate(false);
            }
            break;
        case SB_BOTTOM:  // SB_RIGHT
            if (position < limit) {
                SetScrollPosition(bar, limit);
                if (allowDraw_) Invalidate(false);
            }
            break;
        default:
            break;
    }
}

void CGridCtrl::SetRedraw(bool allow, bool resetScrollBars) {
    allowDraw_ = allow;
    if (!allow) return;
    if (resetScrollBars) UpdateScrollBars();
    if (IsWindow()) Invalidate(false);
}

// --- Sizing to content, list mode, sorting ---------------------------------------------

bool CGridCtrl::AutoSizeColumn(int col, UINT style, bool updateScrollBars) {
    if (col < 0 || col >= columnCount_ || GetColumnWidth(col) <= 0 || !IsWindow()) return false;
    WindowDc dc(hwnd_);
    if (!dc) return false;
    if (style == 0) style = autoSizeStyle_;
    const int firstRow = (style & 1) != 0 ? 0 : fixedRowCount_;
    const int lastRow = (style & 2) != 0 ? rowCount_ - 1 : fixedRowCount_ - 1;

    if (virtualMode_) SendCacheHint(GridCellRange{firstRow, col, lastRow, col});
    int width = 0;
    for (int row = firstRow; row <= lastRow; ++row) {
        if (GetRowHeight(row) <= 0) continue;
        if (CGridCellBase* cell = GetCell(row, col)) width = std::max<int>(width, cell->MeasureCell(dc.Get()).cx);
    }
    if (virtualMode_) SendCacheHint(GridCellRange{});
    columnWidths_[static_cast<size_t>(columnOrder_[static_cast<size_t>(col)])] = std::min(width, MaximumCellSize);
    topLeftCache_ = GridCellId{};
    if (updateScrollBars) UpdateScrollBars();
    return true;
}

void CGridCtrl::FitVisibleColumns() {
    for (int col = 0; col < columnCount_; ++col) {
        if (GetColumnWidth(col) != 0) AutoSizeColumn(col, autoSizeStyle_, false);
    }
    UpdateScrollBars();
}

void CGridCtrl::EnableRowListMode() {
    ClearSelection();
    MarkCellModified(-1, -1);
    listMode_ = true;
    fixedColumnSelection_ = false;
    if (allowDraw_ && IsWindow()) Invalidate(false);
}

bool CGridCtrl::SortByColumn(CompareFunction compare, int col, bool ascending) {
    if (col < 0 || col >= columnCount_) return false;
    CLockObject lock(*this);
    if (sortColumn_ >= 0) RedrawCell(0, sortColumn_);
    sortColumn_ = col;
    sortAscending_ = ascending;
    ClearSelection();
    if (compare == nullptr) compare = &TextCompare;

    const int first = fixedRowCount_;
    const int count = rowCount_ - first;
    if (count > 1) {
        // Each row's cell of the sort column, copied when the grid only lends a scratch cell.
        std::vector<std::unique_ptr<CGridCell>> copies;
        std::vector<const CGridCellBase*> keys(static_cast<size_t>(count), nullptr);
        static const CGridCell emptyCell;
        for (int i = 0; i < count; ++i) {
            const CGridCellBase* cell = GetCell(first + i, col);
            if (cell != nullptr && virtualMode_) {
                copies.push_back(std::make_unique<CGridCell>());
                copies.back()->CopyFrom(*cell);
                cell = copies.back().get();
            }
            keys[static_cast<size_t>(i)] = cell != nullptr ? cell : &emptyCell;
        }
        std::vector<int> order(static_cast<size_t>(count));
        std::iota(order.begin(), order.end(), 0);
        // A stable sort keeps equal rows in their order and stays in bounds whatever
        // the comparison returns.
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            const CGridCellBase& left = *keys[static_cast<size_t>(a)];
            const CGridCellBase& right = *keys[static_cast<size_t>(b)];
            return ascending ? compare(left, right) < 0 : compare(right, left) < 0;
        });
        if (virtualMode_) {
            std::vector<int> sorted(order.size());
            for (size_t i = 0; i < order.size(); ++i) sorted[i] = rowOrder_[static_cast<size_t>(first + order[i])];
            std::copy(sorted.begin(), sorted.end(), rowOrder_.begin() + first);
        } else {
            std::vector<std::vector<std::unique_ptr<CGridCellBase>>> sortedRows(order.size());
            std::vector<int> sortedHeights(order.size());
            for (size_t i = 0; i < order.size(); ++i) {
                const size_t from = static_cast<size_t>(first + order[i]);
                sortedRows[i] = std::move(rows_[from]);
                sortedHeights[i] = rowHeights_[from];
            }
            for (size_t i = 0; i < order.size(); ++i) {
                rows_[static_cast<size_t>(first) + i] = std::move(sortedRows[i]);
                rowHeights_[static_cast<size_t>(first) + i] = sortedHeights[i];
            }
        }
    }
    if (allowDraw_ && IsWindow()) Invalidate(false);
    return true;
}

}  // namespace quillon::grid
