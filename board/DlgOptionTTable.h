#pragma once

#include <windows.h>

#include <array>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "board/ColumnCatalogue.h"
#include "board/MoneyMarks.h"
#include "board/QuoteBoard.h"
#include "framework/WindowTimer.h"
#include "grid/GridCtrl.h"
#include "host/WireRecords.h"

namespace quillon::board {

// The docked T-quote board of the normal run mode: a child dialog (template 130) that
// the main frame creates over its whole client area. The top grid shows the futures of
// the host's contract list, one row each; the T board below shows one row per strike,
// calls left of the strike column and puts right of it, mirrored.
class CDlgOptionTTable : public CQuoteBoard {
public:
    static constexpr UINT_PTR LayoutTimerId = 123458;
    static constexpr UINT LayoutTimerPeriodMs = 20;

    CDlgOptionTTable();
    ~CDlgOptionTTable() override;

    // Creates the dialog window as a child of `parent` (hidden until shown).
    bool Create(HWND parent);

    // The host's list of contracts to show, in the host's order. Rebuilds both grids'
    // rows, unsubscribes the previous list and subscribes and requests every code of
    // this one. An empty list empties the board.
    void LoadContracts(const std::vector<std::string>& codes);
    // The column set changed: rebuild columns and rows and write the cached quotes again.
    // Subscriptions stay as they are.
    void ReloadColumns();
    // One whole QuoteRecord (592 bytes) of a contract. isCall only counts for an option;
    // tick is the instrument's price tick.
    void OnQuote(const unsigned char* quote, bool isOption, bool isCall, double tick);
    // The same for a payload as it arrived: anything shorter than a QuoteRecord is
    // dropped before a byte of it is read.
    void OnQuote(std::span<const unsigned char> payload, bool isOption, bool isCall, double tick);

    const std::vector<std::string>& Contracts() const { return contractCodes_; }
    int QuoteCount() const { return quoteCount_; }
    int ColumnReloadCount() const { return columnReloads_; }
    // The user switched a mark: every strike row is styled again.
    void RestyleMoneyMarks();

protected:
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    // Enter, Escape and the close command never end or hide the board.
    void OnOK() override {}
    void OnCancel() override {}
    // The grids' right and double clicks and the context menu's commands (BoardContextMenu.h).
    bool OnNotify(int controlId, NMHDR* header, LRESULT& result) override;
    bool OnCommand(int id, int notifyCode, HWND control) override;
    bool OnTimer(UINT_PTR id) override;
    void OnDestroyBoard() override;

private:
    void BuildUnderlyingRows();
    void BuildBoardRows();
    void RebuildRows() override;
    void RewriteCachedQuotes() override;

    void UpdateUnderlyingRow(const unsigned char* quote, bool havePrevious, const unsigned char* previousQuote,
                             bool isCall, double tick);
    void UpdateOptionRow(const unsigned char* quote, bool havePrevious, const unsigned char* previousQuote, bool isCall,
                         double tick);
    // Styles the strike rows of `underlying`'s chain whose place against its price changed
    // (all of them with `restyle`).
    void UpdateMoneyMarks(const std::string& underlying, bool restyle);
    // The analytics columns of every option row and underlying row, from the cached quotes.
    void RewriteAnalytics() override;
    void SetInstrumentMuted(const std::string& code, bool muted) override;

    void OnSize(int width, int height);
    // false when the timer tick must not reach default processing.
    bool LayoutTimer(UINT_PTR timerId);

    RECT lastWindowRect_ = {0, 0, 0, 0};
    std::vector<std::string> contractCodes_;
    std::vector<std::string> underlyingCodes_;
    std::vector<std::string> optionCodes_;
    std::map<std::string, int> underlyingRowByCode_;
    std::map<int, std::string> underlyingCodeByRow_;
    std::map<std::string, int> boardRowByKey_;
    std::map<int, std::string> boardKeyByRow_;
    // The strike rows of each underlying's chain on the board, for the marks of the money.
    struct MoneyChain {
        std::vector<int> rows;  // row indexes (the data of their column-0 cells)
        std::vector<std::optional<double>> strikes;
        std::vector<RowMoney> money;  // as the rows are styled now
    };
    std::map<std::string, MoneyChain> moneyChains_;
    framework::WindowTimer layoutTimer_;
    int quoteCount_ = 0;
    int columnReloads_ = 0;
};

}  // namespace quillon::board
