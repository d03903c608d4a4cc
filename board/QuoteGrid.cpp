#include "board/QuoteGrid.h"

#include <algorithm>
#include <array>
#include <span>

#include "board/ColumnSet.h"
#include "board/QuoteCellFormat.h"
#include "host/WireRecords.h"
#include "model/DataMutex.h"

namespace quillon::board {

using grid::CGridCellBase;
using grid::CGridCtrl;

COLORREF RowBandColour(int row) {
    return row % 2 != 0 ? OddRowBackColour : EvenRowBackColour;
}

void ConfigureQuoteGrid(CGridCtrl& grid) {
    // Rows made later take their height from these.
    grid::CGridDefaultCell* defaults[] = {grid.GetDefaultCell(false, false), grid.GetDefaultCell(false, true),
                                          grid.GetDefaultCell(true, false), grid.GetDefaultCell(true, true)};
    for (grid::CGridDefaultCell* cell : defaults) {
        if (cell != nullptr) cell->SetHeight(QuoteRowHeight);
    }
    for (grid::CGridDefaultCell* cell : defaults) {
        if (cell != nullptr) cell->SetMargin(QuoteCellMargin);
    }
    grid.SetEditable(false);

    // Cleared before and again after selection is enabled: the first clear meets a grid
    // that may not select yet, the second one that can.
    grid.SelectCellRange(-1, -1, -1, -1);
    grid.SetFocusCell(-1, -1);
    grid.EnableSelection(true);
    grid.SelectCellRange(-1, -1, -1, -1);
    grid.EnableRowListMode();

    grid.SetSingleRowSelection(true);
    grid.SetFixedRowSelection(false);
    grid.SetDragAndDrop(false);
    grid.SetTrackFocusCell(false);
    grid.SetFrameFocusCell(false);
    grid.SetGridBackColour(QuoteGridBackColour);
    // The boards decide the row order; a header click must not sort it away.
    grid.SetSortOnHeaderClick(false);
}

void BuildQuoteColumns(CGridCtrl& grid, const ColumnCaptions& captions, const std::vector<ColumnId>& ids,
                       ColumnId wideColumnId, int wideWidth) {
    grid.SetRowCount(1);
    grid.SetFixedRowCount(1);
    grid.SetColumnCount(static_cast<int>(ids.size()));
    for (int col = 0; col < static_cast<int>(ids.size()); ++col) {
        auto caption = captions.find(ids[static_cast<std::size_t>(col)]);
        if (caption == captions.end()) continue;
        if (CGridCellBase* header = grid.GetCell(0, col)) {
            header->SetText(caption->second.c_str());
            grid.MarkCellModified(0, col);
            header->SetData(ids[static_cast<std::size_t>(col)]);
        }
        grid.SetColumnWidth(col, QuoteColumnWidth);
        grid.UpdateScrollBars();
    }
    int wideColumn = FindColumnById(grid, wideColumnId);
    if (wideColumn != -1) {
        grid.SetColumnWidth(wideColumn, wideWidth);
        grid.UpdateScrollBars();
    }
    RepaintGrid(grid);
}

void BuildSideQuoteColumns(CGridCtrl* grid, const ColumnCaptions& captions, const std::vector<ColumnId>& ids) {
    if (grid) BuildQuoteColumns(*grid, captions, ids, 0, CodeColumnWidth);
}

void BuildBoardQuoteColumns(CGridCtrl* grid, const ColumnCaptions& captions, const std::vector<ColumnId>& ids) {
    if (grid) BuildQuoteColumns(*grid, captions, ids, StrikeColumnId, StrikeColumnWidth);
}

void SetUpQuoteGrids(CGridCtrl* underlyingGrid, CGridCtrl* boardGrid) {
    if (underlyingGrid) ConfigureQuoteGrid(*underlyingGrid);
    if (boardGrid) ConfigureQuoteGrid(*boardGrid);

    ColumnCaptions captions;
    std::vector<ColumnId> ids;
    {
        model::DataLock lock;
        captions = SharedColumnCatalogue().sideCaptions;
        ids = SharedColumnSet().selectedIds;
    }
    BuildSideQuoteColumns(underlyingGrid, captions, ids);
    {
        model::DataLock lock;
        captions = SharedColumnCatalogue().boardCaptions;
        ids = SharedColumnSet().boardIds;
    }
    BuildBoardQuoteColumns(boardGrid, captions, ids);
}

void ResetDataRows(CGridCtrl& grid, int rows) {
    grid.SetRowCount(rows + 1);
    for (int row = 1; row < grid.GetRowCount(); ++row) {
        for (int col = 0; col < grid.GetColumnCount(); ++col) {
            CGridCellBase* cell = grid.GetCell(row, col);
            if (cell == nullptr) continue;
            cell->SetText("");
            grid.MarkCellModified(row, col);
            cell->SetBackColour(RowBandColour(row));
            // A rebuilt row starts from the default text colour: the cached quotes written
            // next give the price cells theirs.
            cell->SetTextColour(grid::GridColourNotSet);
        }
    }
}

void ResetDataRows(CGridCtrl& grid, const std::vector<std::string>& labels, int labelColumn) {
    ResetDataRows(grid, static_cast<int>(labels.size()));
    for (int row = 1; row <= static_cast<int>(labels.size()); ++row) {
        CGridCellBase* label = labelColumn != -1 ? grid.GetCell(row, labelColumn) : nullptr;
        if (label != nullptr) {
            label->SetText(labels[static_cast<std::size_t>(row - 1)].c_str());
            grid.MarkCellModified(row, labelColumn);
        }
        if (CGridCellBase* cell = grid.GetCell(row, 0)) cell->SetData(row);
    }
}

namespace {

// The open batch's grids: user-interface thread only, like the grids themselves.
bool batchOpen = false;
std::vector<HWND> batchedGrids;

}  // namespace

void RepaintGrid(CGridCtrl& grid) {
    if (!grid.IsWindow() || !grid.GetRedraw()) return;
    if (!batchOpen) {
        grid.Invalidate(true);
        return;
    }
    HWND window = grid.GetSafeHwnd();
    if (std::find(batchedGrids.begin(), batchedGrids.end(), window) == batchedGrids.end())
        batchedGrids.push_back(window);
}

RepaintBatch::RepaintBatch() : outermost_(!batchOpen) {
    batchOpen = true;
}

RepaintBatch::~RepaintBatch() {
    if (!outermost_) return;
    if (!deferred_) Flush();
    batchOpen = false;
}

void RepaintBatch::Flush() {
    FlushDeferredRepaints();
}

void FlushDeferredRepaints() {
    std::vector<HWND> grids;
    grids.swap(batchedGrids);
    // A grid destroyed inside the batch is skipped: its handle is no window any more.
    for (HWND window : grids) {
        if (::IsWindow(window)) ::InvalidateRect(window, nullptr, TRUE);
    }
}

bool RepaintsPending() {
    return !batchedGrids.empty();
}

int FindRowByIndex(const CGridCtrl& grid, int index) {
    // Rows stand in index order unless something has moved them: try the row first.
    if (index >= 1 && index < grid.GetRowCount()) {
        const CGridCellBase* cell = grid.GetCell(index, 0);
        if (cell != nullptr && cell->GetData() == index) return index;
    }
    for (int row = 1; row < grid.GetRowCount(); ++row) {
        const CGridCellBase* cell = grid.GetCell(row, 0);
        LPARAM data = cell != nullptr ? cell->GetData() : 0;
        if (data == index) return row;
    }
    return -1;
}

int FindColumnById(const CGridCtrl& grid, ColumnId id) {
    for (int col = 0; col < grid.GetColumnCount(); ++col) {
        const CGridCellBase* cell = grid.GetCell(0, col);
        LPARAM data = cell != nullptr ? cell->GetData() : 0;
        if (data == id) return col;
    }
    return -1;
}

void WriteQuoteCells(CGridCtrl& grid, int row, const unsigned char* quote, bool havePrevious,
                     const unsigned char* previousQuote, bool isBoard, bool isCall, double tick,
                     ChangeFlashes* flashes) {
    const ColumnId base = isBoard && !isCall ? PutColumnOffset : 0;
    const std::span<const unsigned char> quoteBytes(quote, host::quote_record::Size);
    std::span<const unsigned char> previousBytes;
    if (havePrevious && previousQuote != nullptr) previousBytes = {previousQuote, host::quote_record::Size};

    // One pass over the header finds every quote column's first place.
    constexpr int SideCount = LastQuoteColumnId - FirstQuoteColumnId + 1;
    std::array<int, SideCount> columnOfSide;
    columnOfSide.fill(-1);
    for (int col = 0; col < grid.GetColumnCount(); ++col) {
        const CGridCellBase* header = grid.GetCell(0, col);
        const LPARAM id = header != nullptr ? header->GetData() : 0;
        const LPARAM side = id - base - FirstQuoteColumnId;
        if (side >= 0 && side < SideCount && columnOfSide[static_cast<std::size_t>(side)] == -1)
            columnOfSide[static_cast<std::size_t>(side)] = col;
    }

    for (ColumnId side = FirstQuoteColumnId; side <= LastQuoteColumnId; ++side) {
        int col = columnOfSide[static_cast<std::size_t>(side - FirstQuoteColumnId)];
        if (col == -1) continue;
        CGridCellBase* cell = grid.GetCell(row, col);
        if (cell == nullptr) continue;
        std::optional<QuoteCellText> shown = FormatQuoteCell(side, quoteBytes, previousBytes, tick);
        if (!shown) continue;
        cell->SetText(shown->text.c_str());
        grid.MarkCellModified(row, col);
        if (shown->colour != QuoteTextColour::None) {
            cell->SetTextColour(shown->colour == QuoteTextColour::Rise ? QuoteRiseColour : QuoteFallColour);
        }
        if (flashes != nullptr) flashes->Flash(grid, row, col, PriceChange(side, quoteBytes, previousBytes));
    }
    RepaintGrid(grid);
}

void WriteAnalyticsCells(CGridCtrl& grid, int row, const AnalyticsTexts& texts, bool isBoard, bool isCall) {
    const ColumnId base = isBoard && !isCall ? PutColumnOffset : 0;
    for (int col = 0; col < grid.GetColumnCount(); ++col) {
        const CGridCellBase* header = grid.GetCell(0, col);
        const LPARAM id = header != nullptr ? header->GetData() : 0;
        const LPARAM side = id - base;
        if (side < FirstAnalyticsColumnId || side > LastAnalyticsColumnId) continue;
        CGridCellBase* cell = grid.GetCell(row, col);
        if (cell == nullptr) continue;
        const std::string& text = texts.For(static_cast<ColumnId>(side));
        if (text == cell->GetText()) continue;
        cell->SetText(text.c_str());
        grid.MarkCellModified(row, col);
    }
    RepaintGrid(grid);
}

bool HasAnalyticsColumns(const CGridCtrl& grid) {
    for (int col = 0; col < grid.GetColumnCount(); ++col) {
        const CGridCellBase* header = grid.GetCell(0, col);
        const LPARAM id = header != nullptr ? header->GetData() : 0;
        const LPARAM side = id >= PutColumnOffset ? id - PutColumnOffset : id;
        if (side >= FirstAnalyticsColumnId && side <= LastAnalyticsColumnId) return true;
    }
    return false;
}

void StyleMoneyRow(CGridCtrl& grid, int row, RowMoney money, const BoardDisplay& display, ChangeFlashes* flashes) {
    if (row < 1 || row >= grid.GetRowCount()) return;
    const COLORREF band = RowBandColour(row);
    const COLORREF shaded = InTheMoneyBackColour(band);
    for (int col = 0; col < grid.GetColumnCount(); ++col) {
        const CGridCellBase* header = grid.GetCell(0, col);
        const LPARAM id = header != nullptr ? header->GetData() : 0;
        CGridCellBase* cell = grid.GetCell(row, col);
        if (cell == nullptr) continue;
        if (id == StrikeColumnId) {
            const bool marked = money.atTheMoney && display.markAtTheMoney;
            cell->SetBackColour(marked ? AtTheMoneyBackColour : band);
            const grid::CGridDefaultCell* normal = grid.GetDefaultCell(false, false);
            if (marked && normal != nullptr && normal->GetFont() != nullptr) {
                LOGFONTW bold = *normal->GetFont();
                bold.lfWeight = FW_BOLD;
                cell->SetFont(&bold);
            } else {
                cell->SetFont(nullptr);
            }
            continue;
        }
        const bool inTheMoney = id >= PutColumnOffset ? money.putInTheMoney : money.callInTheMoney;
        const COLORREF resting = inTheMoney && display.shadeInTheMoney ? shaded : band;
        if (flashes != nullptr) {
            flashes->SetRestingBackColour(grid, row, col, resting);
        } else {
            cell->SetBackColour(resting);
        }
    }
    RepaintGrid(grid);
}

void SetInstrumentTextColour(CGridCtrl& grid, int row, bool isBoard, bool isCall, COLORREF colour) {
    if (row < 1 || row >= grid.GetRowCount()) return;
    for (int col = 0; col < grid.GetColumnCount(); ++col) {
        const CGridCellBase* header = grid.GetCell(0, col);
        const LPARAM id = header != nullptr ? header->GetData() : 0;
        if (isBoard && (id == StrikeColumnId || (id >= PutColumnOffset) == isCall)) continue;
        if (CGridCellBase* cell = grid.GetCell(row, col)) cell->SetTextColour(colour);
    }
    RepaintGrid(grid);
}

RECT GridRectInParent(const CGridCtrl& grid) {
    RECT rect = grid.GetWindowRect();
    HWND parent = ::GetParent(grid.GetSafeHwnd());
    if (parent != nullptr) ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void ResizeQuoteGrid(CGridCtrl& grid, int width, int height) {
    ::SetWindowPos(grid.GetSafeHwnd(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
    grid.UpdateScrollBars();
    RepaintGrid(grid);
}

void CentreHorizontally(CGridCtrl& grid, int viewWidth) {
    int minimum = 0;
    int maximum = 0;
    ::GetScrollRange(grid.GetSafeHwnd(), SB_HORZ, &minimum, &maximum);
    grid.SetScrollPosition(SB_HORZ, (maximum - minimum - viewWidth) / 2);
}

}  // namespace quillon::board
