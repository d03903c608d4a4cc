#pragma once

#include <windows.h>

#include <vector>

#include "board/AnalyticsCellFormat.h"
#include "board/BoardDisplay.h"
#include "board/ChangeFlashes.h"
#include "board/ColumnCatalogue.h"
#include "board/MoneyMarks.h"
#include "grid/GridCtrl.h"

// How both T-quote boards lay out and fill their two grids. Row 0 is the header row;
// each header cell carries its ColumnId as data and each data row carries its own index
// in the data of its column-0 cell, so columns and rows are found by what they are,
// never by where they stand.
namespace quillon::board {

inline constexpr int QuoteColumnWidth = 72;
inline constexpr int CodeColumnWidth = 88;    // "合约" in the top grid
inline constexpr int StrikeColumnWidth = 92;  // "←涨看跌→" in the T board
inline constexpr int QuoteRowHeight = 20;
inline constexpr UINT QuoteCellMargin = 3;
inline constexpr COLORREF OddRowBackColour = RGB(255, 255, 255);
inline constexpr COLORREF EvenRowBackColour = RGB(235, 235, 235);
inline constexpr COLORREF QuoteGridBackColour = RGB(255, 255, 255);

// Background of every cell of data row `row`: white for odd rows, light grey for even.
COLORREF RowBandColour(int row);

// Read-only, whole-row single selection, no drag and drop, no sorting by header click,
// no focus decoration, white outside the cells; 20-pixel rows with 3-pixel margins.
void ConfigureQuoteGrid(grid::CGridCtrl& grid);

// Gives the grid one header row and one column per id. A column whose id has a caption
// gets the caption, the id as data and the standard width; an id without a caption
// leaves its column as it was. Then the first column carrying `wideColumnId` (a missing
// header cell counts as id 0) gets `wideWidth`.
void BuildQuoteColumns(grid::CGridCtrl& grid, const ColumnCaptions& captions, const std::vector<ColumnId>& ids,
                       ColumnId wideColumnId, int wideWidth);

// The top grid's columns ("合约" wide) and the T board's ("←涨看跌→" wide); nothing
// without a grid.
void BuildSideQuoteColumns(grid::CGridCtrl* grid, const ColumnCaptions& captions, const std::vector<ColumnId>& ids);
void BuildBoardQuoteColumns(grid::CGridCtrl* grid, const ColumnCaptions& captions, const std::vector<ColumnId>& ids);

// What both boards do to their two grids when their dialog starts: each configured as a
// quote grid, then given its columns from the shared column set.
void SetUpQuoteGrids(grid::CGridCtrl* underlyingGrid, grid::CGridCtrl* boardGrid);

// Sets the row count to rows + 1, then empties every data cell and bands the rows.
void ResetDataRows(grid::CGridCtrl& grid, int rows);
// The same for one row per label: row n shows labels[n - 1] in `labelColumn` (nowhere
// when -1) and carries n as its column-0 cell's data, by which FindRowByIndex finds it
// wherever sorting has moved it.
void ResetDataRows(grid::CGridCtrl& grid, const std::vector<std::string>& labels, int labelColumn);

// Invalidates the whole grid, background included, when it exists and may draw. While a
// RepaintBatch is open on this thread the invalidation waits for the batch's end.
void RepaintGrid(grid::CGridCtrl& grid);

// Collects the repaints of a batch of quotes so that each grid is invalidated once per
// batch rather than once per quote: no paint can come between the quotes of one batch
// anyway, and each invalidation is a trip to the window server under Wine. Opened on the
// user-interface thread around work that writes cells; a batch opened inside another
// joins it. Flush (or the end of the outermost batch) invalidates what was collected.
class RepaintBatch {
public:
    RepaintBatch();
    ~RepaintBatch();
    RepaintBatch(const RepaintBatch&) = delete;
    RepaintBatch& operator=(const RepaintBatch&) = delete;

    void Flush();
    // Leaves what was collected for FlushDeferredRepaints instead of invalidating it at
    // the batch's end: the caller paces repaints to the display.
    void Defer() { deferred_ = true; }

private:
    friend void RepaintGrid(grid::CGridCtrl& grid);
    bool outermost_;
    bool deferred_ = false;
};

// Invalidates the grids a deferred batch left behind.
void FlushDeferredRepaints();
// Whether a batch, open or deferred, holds a grid to invalidate.
bool RepaintsPending();

// The display row (1 and up) whose column-0 cell carries `index` as data, or -1.
int FindRowByIndex(const grid::CGridCtrl& grid, int index);

// The display column whose header cell carries `id` as data, or -1. A missing header
// cell reads as id 0.
int FindColumnById(const grid::CGridCtrl& grid, ColumnId id);

// Writes every quote column the grid has for one quote into `row`: side ids 1 to 22, or
// 101 to 122 for a put on the T board. `quote` and, when `havePrevious`, `previousQuote`
// are whole QuoteRecords. With `flashes`, a price that moved from the previous quote
// flashes its direction. Repaints the grid.
void WriteQuoteCells(grid::CGridCtrl& grid, int row, const unsigned char* quote, bool havePrevious,
                     const unsigned char* previousQuote, bool isBoard, bool isCall, double tick,
                     ChangeFlashes* flashes = nullptr);

// Writes the analytics columns the grid has (side ids 50 to 60, or 150 to 160 for a put on
// the T board) into `row`, in the normal text colour. Repaints the grid.
void WriteAnalyticsCells(grid::CGridCtrl& grid, int row, const AnalyticsTexts& texts, bool isBoard, bool isCall);

// Whether the grid shows any analytics column, on either side.
bool HasAnalyticsColumns(const grid::CGridCtrl& grid);

// Styles one strike row of a T board for where the money is, as far as the user's switches
// show it: in-the-money call and put cells on the warmer shade of their band, the
// at-the-money strike bold on amber; every other cell of the row on its band in the grid's
// font. The strike column is never shaded. Repaints the grid.
// The boards' once-a-second look for instruments gone quiet (StaleQuotes.h).
inline constexpr UINT_PTR StaleCheckTimerId = 0x5143;
inline constexpr UINT StaleCheckIntervalMs = 1000;
// The text of an instrument that has gone quiet.
inline constexpr COLORREF StaleTextColour = RGB(160, 160, 160);
// Sets the text colour of one instrument's cells in `row`: on the T board its option's
// side (the strike column left alone), on the top grid the whole row. GridColourNotSet
// gives the cells back their default colour; the next quote writes the price colours.
void SetInstrumentTextColour(grid::CGridCtrl& grid, int row, bool isBoard, bool isCall, COLORREF colour);

// A cell lit by a change flash takes its new background when the flash ends.
void StyleMoneyRow(grid::CGridCtrl& grid, int row, RowMoney money, const BoardDisplay& display,
                   ChangeFlashes* flashes = nullptr);

// The grid's window rectangle in the client coordinates of its parent.
RECT GridRectInParent(const grid::CGridCtrl& grid);

// Resizes the grid (position kept) and brings its scroll bars up to date and repaints it.
void ResizeQuoteGrid(grid::CGridCtrl& grid, int width, int height);

// Scrolls the grid horizontally to (max - min - viewWidth) / 2 of its scroll range, so
// the middle of its columns stands in the middle of a view `viewWidth` wide.
void CentreHorizontally(grid::CGridCtrl& grid, int viewWidth);

}  // namespace quillon::board
