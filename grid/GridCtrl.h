#pragma once

#include <windows.h>

// <commctrl.h> and <ole2.h> build on the types of <windows.h>.
#include <commctrl.h>
#include <ole2.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "framework/WindowTimer.h"
#include "framework/Wnd.h"
#include "grid/GridCell.h"
#include "grid/GridCellClass.h"
#include "grid/GridDefaultCell.h"
#include "grid/GridGeometry.h"
#include "grid/GridNotify.h"
#include "grid/GridTypes.h"

namespace quillon::grid {

class CTitleTip;
class CGridDropTarget;

// What the left button is doing (MouseMode); the numbers are those of the grid's
// description, 5 unused.
enum class GridMouseMode : int {
    Nothing = 0,
    SelectAll = 1,
    SelectColumns = 2,
    SelectRows = 3,
    SelectCells = 4,
    OverRowBorder = 6,
    SizingRow = 7,
    OverColumnBorder = 8,
    SizingColumn = 9,
    EditPending = 10,
    DragPending = 11,
    Dragging = 12,
};

// Rows or columns, for what the grid does the same way along either.
enum class GridAxis { Rows, Columns };

// The standard edit command ids the grid answers in WM_COMMAND.
namespace GridCommand {
constexpr UINT Copy = 57634;
constexpr UINT Cut = 57635;
constexpr UINT Paste = 57637;
constexpr UINT SelectAll = 57642;
}  // namespace GridCommand

// The control id of the in-place editor, a child of the grid.
constexpr UINT InPlaceEditId = 8;
// The timer that scrolls while the left button is held outside the cells.
constexpr UINT_PTR AutoScrollTimerId = 513;

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
    // While the grid paints its cells into `dc`, the DC's state is saved once for all of
    // them: a cell need not put back what it sets.
    bool IsPaintingInto(HDC dc) const { return dc != nullptr && dc == paintDc_; }
    // Inside that paint: selects `font` (null: the DC's font before the paint) unless it
    // is the one selected already. Asking the DC which font it holds costs a call per cell.
    void SelectFontForPaint(HFONT font);
    // Told after each WM_PAINT of any grid, on the user-interface thread: how the program's
    // benchmark trace learns when a change has reached the screen. Null: nobody is told.
    using PaintObserver = void (*)();
    static void SetPaintObserver(PaintObserver observer);

    // --- Counts, sizes ------------------------------------------------------------------
    int GetRowCount() const { return rowCount_; }
    int GetColumnCount() const { return columnCount_; }
    int GetFixedRowCount() const { return fixedRowCount_; }
    int GetFixedColumnCount() const { return fixedColumnCount_; }
    // The most cells a grid holds (a virtual grid: the most rows or columns). A larger count
    // fails at once: on a 64-bit system the allocation would not fail but take the
    // machine's memory, cell by cell.
    static constexpr long long MaximumCellCount = 1LL << 22;
    // false for a count below 0, beyond MaximumCellCount, or that memory cannot hold.
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
    // Selects per the mouse mode from the selection anchor to `cell`.
    void ExtendSelection(GridCellId cell);
    GridCellId GetSelectionAnchor() const { return selectionAnchor_; }
    // The cell under a client point, or (-1, -1); header cells only with allowFixed.
    GridCellId GetCellFromPoint(POINT point, bool allowFixed = true) const;
    // Scrolls line by line until the cell lies wholly in the client area (as far as it can).
    void EnsureCellVisible(int row, int col);
    bool AutoSizeRow(int row, bool updateScrollBars = true);
    GridMouseMode GetMouseMode() const { return mouseMode_; }

    // --- Editing --------------------------------------------------------------------------
    // Opens the in-place editor on the cell; `firstChar` is the key that started it.
    void EditCell(int row, int col, POINT point, UINT firstChar);
    // The editor of (row, col) closed with `text`, ended by `key`.
    void EditCellEnded(int row, int col, const char* text, UINT key);
    bool EndEditing();
    bool ValidateCellEdit(int row, int col, const char* text);
    // The in-place editor over `rect`; null when none can be opened.
    HWND CreateInPlaceEdit(const RECT& rect, DWORD alignment, UINT controlId, int row, int col, const char* text,
                           UINT firstChar);
    void EndInPlaceEdit(HWND editor);

    // --- Title tip --------------------------------------------------------------------------
    // Shows `text` over `titleRect` (client coordinates) when it does not fit there; the
    // tip goes when the pointer leaves `hoverRect` (titleRect when null).
    void TitleTipShow(const RECT& titleRect, const char* text, const LOGFONTW* font, COLORREF textColour,
                      COLORREF backColour, const RECT* hoverRect);
    void TitleTipHide();
    // The tip window, null before the first TitleTipShow.
    HWND GetTitleTipWindow() const;

    // --- Clipboard and commands -----------------------------------------------------------
    // The selected cells as text: cells joined by tabs, rows by CR LF.
    std::string GetSelectionText();
    // Stores `text` split at line ends and at tabs and commas from `target` right and down.
    void PasteText(GridCellId target, const std::string& text);
    bool IsEditCommandEnabled(UINT commandId) const;
    virtual void ClearSelectedText();
    virtual void CutSelection();
    virtual void CopySelection();
    virtual void PasteClipboard();
    virtual void SelectAllCells();

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
    bool GetTitleTips() const { return titleTips_; }
    void SetTitleTips(bool enable) { titleTips_ = enable; }
    bool GetColumnResize() const { return allowColumnResize_; }
    void SetColumnResize(bool allow) { allowColumnResize_ = allow; }
    bool GetRowResize() const { return allowRowResize_; }
    void SetRowResize(bool allow) { allowRowResize_ = allow; }
    void SetHiddenColumnUnhide(bool allow) { allowColumnUnhide_ = allow; }
    void SetHiddenRowUnhide(bool allow) { allowRowUnhide_ = allow; }
    void SetColumnHide(bool allow) { allowColumnHide_ = allow; }
    void SetRowHide(bool allow) { allowRowHide_ = allow; }
    int GetResizeCaptureRange() const { return resizeCaptureRange_; }
    void SetTabToNextControl(bool enable) { tabToNextControl_ = enable; }
    void SetSelectFromColumnZero(bool enable) { selectFromColumnZero_ = enable; }
    void SetColumnDrag(bool enable) { columnDrag_ = enable; }
    UINT GetAutoScrollInterval() const { return autoScrollInterval_; }
    int GetWheelScrollLines() const { return wheelScrollLines_; }
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
    bool OnTimer(UINT_PTR id) override;

    virtual void FixedColumnClicked(GridCellId cell);
    virtual void FixedRowClicked(GridCellId cell);
    // Starts an OLE drag of the selection (drag and drop on) or of a column.
    virtual void StartDrag();
    virtual void DrawGrid(HDC dc);
    virtual std::unique_ptr<CGridCellBase> CreateCell(int row, int col);
    virtual void DestroyCell(int row, int col);
    // Virtual mode: keeps rowOrder in step when a row is inserted (delta > 0) or removed.
    virtual void AdjustRowOrder(int row, int delta);

public:
    // Drag and drop onto the grid; points are client coordinates. Return DROPEFFECT_*.
    DWORD OnDragEnter(IDataObject* data, DWORD keyState, POINT point);
    DWORD OnDragOver(IDataObject* data, DWORD keyState, POINT point);
    void OnDragLeave();
    bool OnDrop(IDataObject* data, DWORD effect, POINT point);

private:
    static LRESULT CALLBACK GridWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool SetFixedCount(GridAxis axis, int count);

    // Whether a grid of this many rows and columns stays within MaximumCellCount.
    bool HoldsCells(int rows, int cols) const;
    void OnCreate();
    void OnDestroy();
    void OnScroll(int bar, int request);
    // Mouse (GridCtrlMouse.cpp).
    void OnLButtonDown(POINT point, UINT flags);
    void OnLButtonUp(POINT point);
    void OnLButtonDoubleClick(POINT point);
    void OnRButtonUp(POINT point);
    void OnMouseMove(POINT point, UINT flags);
    void OnMouseWheel(int delta);
    void OnAutoScrollTimer();
    void OnCaptureChanged(HWND newCapture);
    bool OnSetCursor(UINT hitTest);
    // The mode the pointer at `point` would give with no button down: 6, 8 or 0.
    GridMouseMode BorderModeAt(POINT point) const;
    // The column (or row) whose right (or bottom) border lies at `point`; -1 if none.
    int ColumnOfBorderAt(POINT point) const;
    int RowOfBorderAt(POINT point) const;
    void DrawResizeLine(POINT point);
    void StopAutoScroll();
    // Keyboard (GridCtrlKeyboard.cpp).
    void OnKeyDown(UINT key);
    void OnChar(UINT character);
    bool MoveFocusForKey(UINT key, bool shift, bool control);
    // Clipboard and commands (GridCtrlClipboard.cpp).
    bool OnEditCommand(UINT commandId);
    // Puts `text` into the cell the way an edit or a paste does; true when it changed.
    bool StoreEditedText(int row, int col, const std::string& text);
    void SetDropHighlight(GridCellId cell);
    bool IsCellEditable(int row, int col) const;
    bool IsPointInTextRect(GridCellId cell, POINT point) const;
    LRESULT SendEndLabelEdit(int row, int col, const std::string& text, UINT key) const;
    void OnSetFont(HFONT font);
    void OnSysColorChange();
    // Two grey one-pixel frames along the window's outer edge, into a whole-window DC.
    void DrawBorder(HDC windowDc);
    // DrawGrid's work once the DC's state is saved: backgrounds, cells, grid lines.
    void DrawCells(HDC dc, const RECT& clip);
    void SendCacheHint(const GridCellRange& range) const;
    void InvalidateScrolledArea(int bar);
    int ScrollLimit(int bar) const;
    CGridCellBase* StoredCell(int row, int col) const;
    int SumOfRowHeights(int first, int end) const;    // rows [first, end)
    int SumOfColumnWidths(int first, int end) const;  // display columns [first, end)
    // The two axes for the geometry's arithmetic: row heights, and column widths in
    // display order.
    auto RowLines() const {
        return geometry::Lines{[this](int row) { return rowHeights_[static_cast<size_t>(row)]; }, rowCount_,
                               fixedRowCount_};
    }
    auto ColumnLines() const {
        return geometry::Lines{[this](int col) { return GetColumnWidth(col); }, columnCount_, fixedColumnCount_};
    }

    HDC paintDc_ = nullptr;
    HFONT fontBeforePaint_ = nullptr;
    HFONT paintFont_ = nullptr;
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

    // Interaction state.
    GridMouseMode mouseMode_ = GridMouseMode::Nothing;
    bool leftButtonDown_ = false;
    POINT lastMousePoint_{0, 0};
    POINT buttonDownPoint_{0, 0};
    GridCellId clickDownCell_;
    GridCellId selectionAnchor_;
    int resizeIndex_ = -1;  // the column or row whose border is being dragged
    int resizeStart_ = 0;   // its left or top edge
    bool resizeLineDrawn_ = false;
    bool releasingCapture_ = false;
    POINT resizeLinePoint_{0, 0};
    framework::WindowTimer autoScrollTimer_;
    UINT autoScrollInterval_ = 25;
    int resizeCaptureRange_ = 3;
    bool allowColumnResize_ = true;
    bool allowRowResize_ = true;
    bool allowColumnHide_ = true;
    bool allowRowHide_ = true;
    bool allowColumnUnhide_ = true;
    bool allowRowUnhide_ = true;
    bool titleTips_ = true;
    bool columnDrag_ = false;
    bool tabToNextControl_ = false;
    bool selectFromColumnZero_ = false;
    int draggedColumn_ = -1;
    GridCellId dropHighlightCell_;
    std::unique_ptr<CTitleTip> titleTip_;
    struct DropTargetRelease {
        void operator()(CGridDropTarget* target) const;
    };
    std::unique_ptr<CGridDropTarget, DropTargetRelease> dropTarget_;
};

}  // namespace quillon::grid
