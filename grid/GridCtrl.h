#pragma once

#include <windows.h>

// <commctrl.h> builds on the types of <windows.h>.
#include <commctrl.h>

#include <memory>
#include <set>
#include <vector>

#include "framework/Wnd.h"
#include "grid/GridCell.h"
#include "grid/GridCellClass.h"
#include "grid/GridDefaultCell.h"
#include "grid/GridNotify.h"
#include "grid/GridTypes.h"

namespace quillon::grid {

// The window class every grid window has; dialog templates name it for their grids.
inline constexpr wchar_t GridWindowClassName[] = L"MFCGridCtrl";

// An owner-drawn table of cells with header rows at the top and header columns at the
// left that stay in place while the rest scrolls. It stores and paints its cells,
// scrolls in pixels, and tells its parent what the user did through WM_NOTIFY.
//
// A grid is made either by Create (the object owns its window), or by the window class
// itself when a dialog template holds an "MFCGridCtrl" control: the window then owns
// the object, and FromHandle / FromDlgItem reach it.
//
// Everything runs on the UI thread. The grid's lock (CLockObject) is held while it
// sorts; the boards hold it while they write a quote row.
class CGridCtrl : public framework::CWnd {
public:
    // Enters a critical section for its lifetime.
    class CLockObject {
    public:
        explicit CLockObject(CRITICAL_SECTION* section) : section_(section) {
            if (section_ != nullptr) EnterCriticalSection(section_);
        }
        explicit CLockObject(CGridCtrl& grid) : CLockObject(&grid.lock_) {}
        virtual ~CLockObject() {
            if (section_ != nullptr) LeaveCriticalSection(section_);
        }
        CLockObject(const CLockObject&) = delete;
        CLockObject& operator=(const CLockObject&) = delete;

    private:
        CRITICAL_SECTION* section_;
    };

    // Virtual mode: fills `record` for the cell at (record->row, record->column), which are
    // application rows and columns. The return value is not used.
    using DisplayCallback = BOOL(CALLBACK*)(GridDisplayRecord* record, LPARAM callbackData);
    // Sorting: negative, zero or positive like strcmp, for an ascending order.
    using CompareFunction = int (*)(const CGridCellBase& first, const CGridCellBase& second);

    CGridCtrl();
    ~CGridCtrl() override;

    // Registers "MFCGridCtrl" once per process; call before creating a dialog whose
    // template holds a grid. The constructor calls it too.
    static bool RegisterWindowClass();
    bool Create(const RECT& rect, HWND parent, UINT id, DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP);
    // The grid object of a grid window, or null for any other window.
    static CGridCtrl* FromHandle(HWND window);
    static CGridCtrl* FromDlgItem(HWND dialog, int controlId) { return FromHandle(::GetDlgItem(dialog, controlId)); }

    // One paint routine for WM_PAINT, WM_PRINTCLIENT, tests and benchmarks.
    void Paint(HDC dc, const RECT& area);

    // --- Counts, sizes ------------------------------------------------------------------
    int GetRowCount() const { return rowCount_; }
    int GetColumnCount() const { return columnCount_; }
    int GetFixedRowCount() const { return fixedRowCount_; }
    int GetFixedColumnCount() const { return fixedColumnCount_; }
    bool SetRowCount(int rows);
    bool SetColumnCount(int cols);
    bool SetFixedRowCount(int rows);
    bool SetFixedColumnCount(int cols);

    // The largest width or height one column or row can have (GDI's 16-bit coordinates).
    static constexpr int MaximumCellSize = 32767;
    // false for an index out of range or a size below 0 or above MaximumCellSize.
    bool SetColumnWidth(int col, int width);
    bool SetRowHeight(int row, int height);
    int GetRowHeight(int row) const;    // -1 out of range
    int GetColumnWidth(int col) const;  // -1 out of range
    int GetFixedRowHeight() const;
    int GetFixedColumnWidth() const;
    int GetVirtualHeight() const;
    int GetVirtualWidth() const;

    // --- Cells --------------------------------------------------------------------------
    // Null out of range. In virtual mode a scratch cell valid until the next GetCell.
    CGridCellBase* GetCell(int row, int col) const;
    bool SetCell(int row, int col, std::unique_ptr<CGridCellBase> cell);
    bool SetCellText(int row, int col, const char* text);
    bool SetCellState(int row, int col, DWORD state);
    DWORD GetCellState(int row, int col) const;
    void MarkCellModified(int row, int col);
    // Display column i shows stored column order[i]; `order` must be a permutation of the
    // stored columns. The column order returns to identity whenever the column count changes.
    bool SetColumnOrder(const std::vector<int>& order);
    const std::vector<int>& GetColumnOrder() const { return columnOrder_; }
    bool IsValid(int row, int col) const { return row >= 0 && row < rowCount_ && col >= 0 && col < columnCount_; }
    bool DeleteAllItems();

    void SetCellClass(const GridCellClass* cellClass) { cellClass_ = cellClass; }
    const GridCellClass* GetCellClass() const { return cellClass_; }
    // The default cell for a cell in a fixed row and/or column.
    CGridDefaultCell* GetDefaultCell(bool fixedRow, bool fixedColumn);
    const CGridDefaultCell* GetDefaultCell(bool fixedRow, bool fixedColumn) const;

    // --- Geometry (client pixels) -------------------------------------------------------
    GridCellId GetTopLeftNonFixedCell(bool forceRecalculation = false) const;
    GridCellRange GetVisibleNonFixedCellRange(RECT* covered = nullptr) const;
    bool GetCellOrigin(int row, int col, POINT* origin) const;
    // Right and bottom are the cell's last pixel column and row, where its grid lines lie.
    bool GetCellRect(int row, int col, RECT* rect) const;
    bool IsCellVisible(int row, int col) const;

    // --- Painting and scrolling ---------------------------------------------------------
    bool RedrawCell(int row, int col);
    bool RedrawCellNow(int row, int col, HDC dc = nullptr);
    void UpdateScrollBars();
    void SetScrollPosition(int bar, int position);
    int GetScrollPosition(int bar, bool tracking = false) const;
    // false suppresses painting, scroll-bar updates and redraw requests; turning it back on
    // repaints (and recalculates the scroll bars when asked).
    void SetRedraw(bool allow, bool resetScrollBars = false);
    bool GetRedraw() const { return allowDraw_; }

    bool AutoSizeColumn(int col, UINT style = 0, bool updateScrollBars = true);
    void FitVisibleColumns();
    void EnableRowListMode();
    bool SortByColumn(CompareFunction compare, int col, bool ascending);
    int GetSortColumn() const { return sortColumn_; }
    bool GetSortAscending() const { return sortAscending_; }

    // --- Focus and selection (the interaction builds on these) --------------------------
    GridCellId SetFocusCell(int row, int col);  // returns the previous focus cell
    GridCellId GetFocusCell() const { return focusCell_; }
    void SelectCellRange(int minRow, int minCol, int maxRow, int maxCol, bool repaintNow = false, bool select = true);
    void ClearSelection();
    const std::set<GridCellId>& GetSelectedCells() const { return selectedCells_; }
    bool EndEditing();
    bool ValidateCellEdit(int row, int col, const char* text);
    // The in-place editor over `rect`; null when none can be opened.
    HWND CreateInPlaceEdit(const RECT& rect, DWORD alignment, UINT controlId, int row, int col, const char* text,
                           UINT firstChar);
    void EndInPlaceEdit(HWND editor);
    void TitleTipHide();

    // --- Options ------------------------------------------------------------------------
    COLORREF GetGridBackColour() const { return gridBackColour_; }
    void SetGridBackColour(COLORREF colour) { gridBackColour_ = colour; }
    COLORREF GetGridLineColour() const { return gridLineColour_; }
    void SetGridLineColour(COLORREF colour) { gridLineColour_ = colour; }
    COLORREF GetTitleTipBackColour() const { return titleTipBackColour_; }
    void SetTitleTipBackColour(COLORREF colour) { titleTipBackColour_ = colour; }
    COLORREF GetTitleTipTextColour() const { return titleTipTextColour_; }
    void SetTitleTipTextColour(COLORREF colour) { titleTipTextColour_ = colour; }
    bool GetVirtualMode() const { return virtualMode_; }
    void SetVirtualMode(bool virtualMode);
    void SetDisplayCallback(DisplayCallback callback, LPARAM callbackData = 0) {
        displayCallback_ = callback;
        callbackData_ = callbackData;
    }
    int GetGridLines() const { return gridLines_; }
    void SetGridLines(int lines) { gridLines_ = lines; }
    bool IsEditable() const { return editable_; }
    void SetEditable(bool editable) { editable_ = editable; }
    bool GetModified() const { return modified_; }
    void SetModified(bool modified) { modified_ = modified; }
    bool GetDragAndDrop() const { return dragAndDrop_; }
    void SetDragAndDrop(bool enable) { dragAndDrop_ = enable; }
    bool GetListMode() const { return listMode_; }
    void SetListMode(bool listMode) { listMode_ = listMode; }
    bool GetSingleRowSelection() const { return singleRowSelection_; }
    void SetSingleRowSelection(bool single) { singleRowSelection_ = single; }
    bool IsSelectable() const { return enableSelection_; }
    void EnableSelection(bool enable) { enableSelection_ = enable; }
    bool GetFixedColumnSelection() const { return fixedColumnSelection_; }
    void SetFixedColumnSelection(bool enable) { fixedColumnSelection_ = enable; }
    bool GetFixedRowSelection() const { return fixedRowSelection_; }
    void SetFixedRowSelection(bool enable) { fixedRowSelection_ = enable; }
    bool GetSortOnHeaderClick() const { return sortOnHeaderClick_; }
    void SetSortOnHeaderClick(bool sort) { sortOnHeaderClick_ = sort; }
    bool GetHandleTabKey() const { return handleTabKey_; }
    void SetHandleTabKey(bool handle) { handleTabKey_ = handle; }
    bool GetDoubleBuffering() const { return doubleBuffer_; }
    void SetDoubleBuffering(bool buffered) { doubleBuffer_ = buffered; }
    bool GetTrackFocusCell() const { return trackFocusCell_; }
    void SetTrackFocusCell(bool track) { trackFocusCell_ = track; }
    bool GetFrameFocusCell() const { return frameFocusCell_; }
    void SetFrameFocusCell(bool frame) { frameFocusCell_ = frame; }
    UINT GetAutoSizeStyle() const { return autoSizeStyle_; }
    void SetAutoSizeStyle(UINT style) { autoSizeStyle_ = style; }
    HIMAGELIST GetImageList() const { return imageList_; }
    void SetImageList(HIMAGELIST images) { imageList_ = images; }  // borrowed
    CompareFunction GetCompareFunction() const { return compareFunction_; }
    void SetCompareFunction(CompareFunction compare) { compareFunction_ = compare; }
    int GetScrollBarsShown() const { return scrollBarsShown_; }  // bit 0 horizontal, bit 1 vertical

    // Sends WM_NOTIFY with a GridNotifyRecord to the owner (or parent).
    LRESULT SendMessageToParent(int row, int col, int code) const;
    // Sends WM_NOTIFY with `header` (the start of a larger record) filled in.
    LRESULT SendNotify(NMHDR* header, int code) const;

    CRITICAL_SECTION* GetLock() { return &lock_; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    virtual void ClearSelectedText() {}
    virtual void CutSelection() {}
    virtual void CopySelection() {}
    virtual void PasteClipboard() {}
    virtual void SelectAllCells();
    virtual void FixedColumnClicked(GridCellId /*cell*/) {}
    virtual void FixedRowClicked(GridCellId /*cell*/) {}
    virtual void DrawGrid(HDC dc);
    virtual std::unique_ptr<CGridCellBase> CreateCell(int row, int col);
    virtual void DestroyCell(int row, int col);
    // Virtual mode: keeps rowOrder in step when a row is inserted (delta > 0) or removed.
    virtual void AdjustRowOrder(int row, int delta);

private:
    static LRESULT CALLBACK GridWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    void OnCreate();
    void OnScroll(int bar, int request);
    void OnSetFont(HFONT font);
    void OnSysColorChange();
    // Two grey one-pixel frames along the window's outer edge, into a whole-window DC.
    void DrawBorder(HDC windowDc);
    void SendCacheHint(const GridCellRange& range) const;
    void InvalidateScrolledArea(int bar);
    int ScrollLimit(int bar) const;
    CGridCellBase* StoredCell(int row, int col) const;
    int SumOfRowHeights(int first, int end) const;    // rows [first, end)
    int SumOfColumnWidths(int first, int end) const;  // display columns [first, end)

    COLORREF gridBackColour_;
    COLORREF gridLineColour_ = RGB(192, 192, 192);
    COLORREF cachedWindowText_;
    COLORREF cachedWindow_;
    COLORREF cachedButtonFace_;
    COLORREF cachedButtonShadow_;
    COLORREF titleTipBackColour_ = GridColourNotSet;
    COLORREF titleTipTextColour_ = GridColourNotSet;
    bool virtualMode_ = false;
    LPARAM callbackData_ = 0;
    DisplayCallback displayCallback_ = nullptr;
    int gridLines_ = GridLines::Both;
    bool editable_ = true;
    bool modified_ = false;
    bool dragAndDrop_ = false;
    bool listMode_ = false;
    bool singleRowSelection_ = false;
    bool allowDraw_ = true;
    bool enableSelection_ = true;
    bool fixedColumnSelection_ = true;
    bool fixedRowSelection_ = true;
    bool sortOnHeaderClick_ = false;
    bool handleTabKey_ = true;
    bool doubleBuffer_ = true;
    int scrollBarsShown_ = 0;
    bool trackFocusCell_ = true;
    bool frameFocusCell_ = true;
    UINT autoSizeStyle_ = 3;
    int rowCount_ = 0;
    int fixedRowCount_ = 0;
    int columnCount_ = 0;
    int fixedColumnCount_ = 0;
    std::vector<int> rowHeights_;
    std::vector<int> columnWidths_;  // indexed by stored column (through columnOrder_)
    int verticalScrollMax_ = 0;
    int horizontalScrollMax_ = 0;
    const GridCellClass* cellClass_;
    CGridDefaultCell plainDefault_;
    CGridDefaultCell fixedColumnDefault_;
    CGridDefaultCell fixedRowDefault_;
    CGridDefaultCell cornerDefault_;
    HIMAGELIST imageList_ = nullptr;
    std::vector<std::vector<std::unique_ptr<CGridCellBase>>> rows_;
    GridCellId focusCell_;
    mutable GridCellId topLeftCache_;
    int wheelScrollLines_ = 3;
    std::set<GridCellId> selectedCells_;
    std::set<GridCellId> previousSelection_;
    bool sortAscending_ = true;
    int sortColumn_ = -1;
    CompareFunction compareFunction_ = nullptr;
    std::vector<int> rowOrder_;     // virtual mode: display row to application row
    std::vector<int> columnOrder_;  // display column to stored column
    bool destroying_ = false;
    bool ownedByWindow_ = false;  // made by the window class for a dialog template
    CRITICAL_SECTION lock_;
    mutable CGridCell scratchCell_;  // virtual mode's GetCell result
};

}  // namespace quillon::grid
