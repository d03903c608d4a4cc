#include "board/QuoteBoard.h"

#include <vector>

#include "board/ColumnCatalogue.h"
#include "board/ColumnSet.h"
#include "board/QuoteGrid.h"
#include "host/WireRecords.h"
#include "model/DataMutex.h"
#include "model/MarketData.h"
#include "res/ResourceIds.h"

namespace quillon::board {

using grid::CGridCtrl;

std::optional<InstrumentFacts> LookUpInstrument(const std::string& code) {
    std::optional<model::InstrumentRecordBytes> record = model::SharedMarketData().FindInstrument(code);
    if (!record) return std::nullopt;
    return InstrumentFacts{host::InstrumentExchange(record->data()),
                           host::InstrumentProductClass(record->data()) == host::instrument_record::OptionClass,
                           host::InstrumentPriceTick(record->data())};
}

CQuoteBoard::CQuoteBoard(UINT templateId) : CDialog(templateId) {
    icon_ = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
}

BOOL CQuoteBoard::OnInitDialog() {
    CDialog::OnInitDialog();
    underlyingGrid_ = CGridCtrl::FromDlgItem(hwnd_, IDC_UNDERLYING_GRID);
    boardGrid_ = CGridCtrl::FromDlgItem(hwnd_, IDC_BOARD_GRID);
    Send(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    Send(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
    SetUpQuoteGrids(underlyingGrid_, boardGrid_);
    analytics_.Update(hwnd_, underlyingGrid_, boardGrid_);
    flashes_.Attach(hwnd_);
    staleTimer_.Start(hwnd_, StaleCheckTimerId, StaleCheckIntervalMs);
    return TRUE;
}

INT_PTR CQuoteBoard::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_DESTROY) return CDialog::DialogProc(message, wParam, lParam);
    OnDestroyBoard();
    analytics_.Stop();
    flashes_.Forget();
    staleTimer_.Stop();
    // The grid objects go with their windows, which are destroyed right after.
    underlyingGrid_ = boardGrid_ = clickedGrid_ = nullptr;
    return FALSE;
}

bool CQuoteBoard::OnBoardTimer(UINT_PTR id, bool working) {
    if (id == AnalyticsColumns::TimerId) {
        if (working && analytics_.Due(boardGrid_)) RewriteAnalytics();
    } else if (id == ChangeFlashes::TimerId) {
        flashes_.Tick();
    } else if (id == StaleCheckTimerId) {
        if (working) MuteStaleInstruments();
    } else {
        return false;
    }
    return true;
}

bool CQuoteBoard::HaveWindows() const {
    return IsWindow() && underlyingGrid_ && underlyingGrid_->IsWindow() && boardGrid_ && boardGrid_->IsWindow();
}

void CQuoteBoard::ReloadBoard() {
    // Cells are about to change meaning: lit ones rest first.
    flashes_.EndAll();
    // Copies: building the columns must not hold references into the shared set.
    const ColumnCatalogue& catalogue = SharedColumnCatalogue();
    const ColumnSet& columns = SharedColumnSet();
    BuildSideQuoteColumns(underlyingGrid_, ColumnCaptions(catalogue.sideCaptions),
                          std::vector<ColumnId>(columns.selectedIds));
    BuildBoardQuoteColumns(boardGrid_, ColumnCaptions(catalogue.boardCaptions),
                           std::vector<ColumnId>(columns.boardIds));
    RebuildRows();
    // What is written again has not changed: nothing flashes.
    rewritingCache_ = true;
    RewriteCachedQuotes();
    rewritingCache_ = false;
    for (const auto& [code, cached] : quotes_) {
        if (stale_.IsStale(code)) SetInstrumentMuted(code, true);
    }
    analytics_.Update(hwnd_, underlyingGrid_, boardGrid_);
    if (analytics_.Shown()) RewriteAnalytics();
    if (underlyingGrid_) RepaintGrid(*underlyingGrid_);
    if (boardGrid_) RepaintGrid(*boardGrid_);
}

void CQuoteBoard::MuteStaleInstruments() {
    model::DataLock lock;
    RepaintBatch repaints;
    for (const std::string& code : stale_.NewlyStale()) SetInstrumentMuted(code, true);
}

}  // namespace quillon::board
