#pragma once

#include <windows.h>

// <commctrl.h> builds on the types of <windows.h>.
#include <commctrl.h>

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "board/BoardContextMenu.h"
#include "board/ColumnCatalogue.h"
#include "board/MoneyMarks.h"
#include "board/QuoteBoard.h"
#include "chart/SmileWindow.h"
#include "grid/GridCtrl.h"
#include "host/WireRecords.h"
#include "model/MarketData.h"

namespace quillon::board {

// A popup T-quote board of the popup run mode: one top-level dialog (template 133) per
// underlying future, owned by the frame's PopupBoardSet. The top grid shows the
// underlying's own quote in its one data row; the T board below shows the underlying's
// option chain, one row per strike, calls left of the strike column and puts right of it.
// The popup subscribes to its chain itself and unsubscribes it when it is closed.
class CDlgOptionTTablePopup : public CQuoteBoard {
public:
    CDlgOptionTTablePopup();
    ~CDlgOptionTTablePopup() override;

    // Creates the window, modeless and without a parent, hidden.
    bool Create();

    // Binds the popup to an underlying: the title becomes "期权T型报价--<code>", the code
    // and every option of its chain are subscribed and requested, and the rows are built.
    // Cached quotes are not written back: the requested replies fill the rows.
    void ShowUnderlying(const std::string& code);
    // One QuoteRecord (592 bytes) of the underlying or one of its options. `strike` is
    // the option's strike text as its code spells it; an option lands in the row of
    // exactly that strike, or nowhere. The frame calls this holding DataMutex.
    void OnQuote(const unsigned char* quote, bool isOption, bool isCall, const std::string& strike, double tick);
    // The column set changed: rebuild columns and rows and write every cached quote
    // again. Subscriptions stay as they are. The frame calls this holding DataMutex.
    void ReloadColumns();

    // Set once the popup has asked to be destroyed; the frame routes no more quotes to it.
    bool CloseRequested() const { return closeRequested_; }
    // The underlying future this popup shows; empty until ShowUnderlying.
    const std::string& UnderlyingCode() const { return underlyingCode_; }

    // The window size right after initialisation: the smallest the user can drag it to.
    SIZE InitialSize() const { return initialSize_; }
    // The strikes of the T board, top row first.
    const std::vector<std::string>& Strikes() const { return strikes_; }
    int QuoteCount() const { return quoteCount_; }
    // The display row of the at-the-money strike; -1 before the underlying has a price.
    int AtTheMoneyRow() const;
    // Scrolls the T board so that the at-the-money row stands mid-view ("回到平值").
    void CentreOnTheMoney();
    // The user switched a mark: every strike row is styled again.
    void RestyleMoneyMarks();
    int ColumnReloadCount() const { return columnReloads_; }

    // Opens the chain's volatility smile ("波动率微笑"), or brings the open one forward.
    void OpenSmileChart();
    // The open smile chart; null when none is open.
    chart::CSmileWindow* SmileChart() const;
    // The chain as the chart draws it: each quoted strike's implied volatilities, F and
    // the at-the-money volatility, from the cached quotes.
    chart::SmileData SmileSnapshot();

protected:
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int notifyCode, HWND control) override;
    bool OnNotify(int controlId, NMHDR* header, LRESULT& result) override;
    bool OnTimer(UINT_PTR id) override;
    void OnDestroyBoard() override;
    // The "关闭" button and Enter. Escape keeps the dialog's default: the window is only
    // hidden, stays subscribed and comes back with the next request for its underlying.
    void OnOK() override { ClosePopup(); }

private:
    BoardGrids Grids();

    void FillUnderlyingRow(const std::string& code);
    void FillStrikeRows(const model::StrikeMap& strikes);

    // The underlying's own code, then every option of its chain: strike by strike in the
    // chain's order, within a strike in code order. Only the code without a chain.
    void SubscribeChain() const;
    void RequestChain() const;
    void UnsubscribeChain() const;
    void SendChainRequests(int msgType) const;

    void WriteQuote(const unsigned char* quote, bool havePrevious, const unsigned char* previousQuote, bool isOption,
                    bool isCall, const std::string& strike, double tick);
    void RebuildRows() override;
    void RewriteCachedQuotes() override;

    // The analytics columns of the chain and the underlying's row, from the cached quotes.
    void RewriteAnalytics() override;

    // Styles the strike rows whose place against the underlying's price changed (all of
    // them with `restyle`), and centres the money on the first price after opening.
    void UpdateMoneyMarks(bool restyle);
    // Shows only the strikes of the user's window around the money (all of them without a
    // window or a price) by folding the others to height 0: rows keep their places, so
    // quotes, subscriptions and the selection go on as before. A new choice of window
    // centres the money.
    void ApplyStrikeWindow();

    void SetInstrumentMuted(const std::string& code, bool muted) override;

    void LayoutPopup(int width, int height);
    void OnGetMinMaxInfo(MINMAXINFO& info) const;
    // Unsubscribes the chain and asks the frame (the main window of this thread) to
    // destroy the popup with "Quillon TTable Dialog Close"; the popup never destroys
    // itself. A second close before the frame acts changes nothing.
    void ClosePopup();

    bool closeRequested_ = false;
    std::string underlyingCode_;
    SIZE initialSize_ = {0, 0};
    // The T board's strikes in row order, and each strike text's row index (the data of
    // the row's column-0 cell). Rows are found by the exact text: 2.25 and 2.30 are two rows.
    std::vector<std::string> strikes_;
    std::map<std::string, int> strikeRowIndex_;
    std::vector<double> strikeValues_;                    // the strikes that are numbers, ascending: where the money is
    std::vector<std::optional<double>> rowStrikeValues_;  // each row's strike, in row order
    std::vector<RowMoney> rowMoney_;                      // as the rows are styled now
    std::pair<int, int> shownRows_{-1, -1};               // the window's first and last place in row order
    int windowApplied_ = -1;                              // the strike window the rows were folded for
    bool windowedRows_ = false;
    std::vector<int> savedHeights_;  // folded rows' heights, by place
    bool centreOnFirstPrice_ = false;
    int openingScroll_ = 0;  // the board's scroll position when it opened
    int quoteCount_ = 0;
    int columnReloads_ = 0;
    std::optional<QuoteRecordBytes> underlyingQuote_;  // for the analytics
    // Owned by this popup and by its window (an owned top-level window goes with its
    // owner); the object outlives its window, never the popup.
    std::unique_ptr<chart::CSmileWindow> smile_;
    bool smileHiddenWithPopup_ = false;
};

// The order in which a popup lists strikes: ascending by value, equal values by text, so
// 900 comes before 950 and 1000. Texts that are not numbers come last, by text.
bool StrikeOrderLess(const std::string& left, const std::string& right);

}  // namespace quillon::board
