#include "board/DlgOptionTTable.h"

#include <algorithm>
#include <optional>
#include <set>
#include <vector>

#include "board/AnalyticsSettings.h"
#include "board/BoardContextMenu.h"
#include "board/BoardDisplay.h"
#include "board/ColumnSet.h"
#include "board/QuoteCellFormat.h"
#include "board/QuoteGrid.h"
#include "host/HostMessages.h"
#include "host/HostRequests.h"
#include "model/CodeFormat.h"
#include "model/DataMutex.h"
#include "model/MarketData.h"
#include "res/ResourceIds.h"

namespace quillon::board {

using grid::CGridCtrl;

namespace {

bool RectsDiffer(const RECT& a, const RECT& b) {
    return a.left != b.left || a.top != b.top || a.right != b.right || a.bottom != b.bottom;
}

}  // namespace

CDlgOptionTTable::CDlgOptionTTable() : CQuoteBoard(IDD_OPTION_TTABLE) {}

CDlgOptionTTable::~CDlgOptionTTable() = default;

bool CDlgOptionTTable::Create(HWND parent) {
    // The template's grids need their window class before the dialog makes them.
    CGridCtrl::RegisterWindowClass();
    return CDialog::Create(parent);
}

BOOL CDlgOptionTTable::OnInitDialog() {
    CQuoteBoard::OnInitDialog();
    layoutTimer_.Start(hwnd_, LayoutTimerId, LayoutTimerPeriodMs);
    return TRUE;
}

void CDlgOptionTTable::OnDestroyBoard() {
    layoutTimer_.Stop();
}

INT_PTR CDlgOptionTTable::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        // WM_CLOSE would end the dialog by default; the board stays until the frame goes.
        case WM_CLOSE:
            return TRUE;
        case WM_SIZE:
            OnSize(LOWORD(lParam), HIWORD(lParam));
            return TRUE;
    }
    return CQuoteBoard::DialogProc(message, wParam, lParam);
}

bool CDlgOptionTTable::OnTimer(UINT_PTR id) {
    return OnBoardTimer(id) || !LayoutTimer(id);
}

bool CDlgOptionTTable::OnNotify(int controlId, NMHDR* header, LRESULT& result) {
    return HandleBoardGridNotify({hwnd_, underlyingGrid_, boardGrid_, clickedGrid_}, controlId, header, result) ||
           CDialog::OnNotify(controlId, header, result);
}

bool CDlgOptionTTable::OnCommand(int id, int notifyCode, HWND control) {
    return HandleBoardMenuCommand({hwnd_, underlyingGrid_, boardGrid_, clickedGrid_}, id) ||
           CDialog::OnCommand(id, notifyCode, control);
}

void CDlgOptionTTable::LoadContracts(const std::vector<std::string>& codes) {
    // The rows are about to be rebuilt for other contracts: lit cells rest first.
    flashes_.EndAll();
    for (const std::string& code : contractCodes_) host::SendCodeSlotRequest(host::HOSTMSG_QUOTE_UNSUBSCRIBE, code);
    contractCodes_ = codes;

    std::vector<std::string> underlyings;
    std::vector<std::string> options;
    {
        model::DataLock lock;
        for (const std::string& code : contractCodes_) {
            std::optional<InstrumentFacts> instrument = LookUpInstrument(code);
            if (!instrument) continue;  // unknown: no row, but still subscribed below
            (instrument->isOption ? options : underlyings).push_back(code);
        }
    }
    underlyingCodes_ = std::move(underlyings);
    optionCodes_ = std::move(options);

    BuildUnderlyingRows();
    BuildBoardRows();

    for (const std::string& code : contractCodes_) host::SendCodeSlotRequest(host::HOSTMSG_QUOTE_SUBSCRIBE, code);
    for (const std::string& code : contractCodes_) host::SendCodeSlotRequest(host::HOSTMSG_QUOTE_REQUEST, code);
}

void CDlgOptionTTable::BuildUnderlyingRows() {
    underlyingRowByCode_.clear();
    underlyingCodeByRow_.clear();
    if (!underlyingGrid_) return;
    CGridCtrl& grid = *underlyingGrid_;
    const int codeColumn = FindColumnById(grid, 0);
    ResetDataRows(grid, underlyingCodes_, codeColumn);
    for (int row = 1; codeColumn != -1 && row <= static_cast<int>(underlyingCodes_.size()); ++row) {
        const std::string& code = underlyingCodes_[static_cast<std::size_t>(row - 1)];
        // A code listed twice keeps its first row; quotes reach only that one.
        underlyingRowByCode_.emplace(code, row);
        underlyingCodeByRow_.emplace(row, code);
    }
    grid.UpdateScrollBars();
    RepaintGrid(grid);
}

void CDlgOptionTTable::BuildBoardRows() {
    // Strike keys in order of first appearance: the host's order, not sorted.
    std::vector<std::string> keys;
    std::set<std::string> seen;
    // Each row's chain and strike, from its first code, for the marks of where the money is.
    moneyChains_.clear();
    for (const std::string& code : optionCodes_) {
        std::optional<InstrumentFacts> instrument = LookUpInstrument(code);
        const std::string exchange = instrument ? instrument->exchange : std::string();
        std::optional<std::string> key = model::MakeStrikeKey(code, exchange);
        if (!key || !seen.insert(*key).second) continue;
        keys.push_back(*key);
        const std::optional<std::string> underlying = model::SharedMarketData().UnderlyingOf(code);
        const std::optional<model::OptionCodeParts> parts = model::ParseOptionCode(code, exchange);
        if (!underlying || !parts) continue;
        MoneyChain& chain = moneyChains_[*underlying];
        chain.rows.push_back(static_cast<int>(keys.size()));
        chain.strikes.push_back(StrikeValue(parts->strike));
    }

    boardRowByKey_.clear();
    boardKeyByRow_.clear();
    if (!boardGrid_) return;
    CGridCtrl& grid = *boardGrid_;
    const int strikeColumn = FindColumnById(grid, StrikeColumnId);
    ResetDataRows(grid, keys, strikeColumn);
    for (int row = 1; strikeColumn != -1 && row <= static_cast<int>(keys.size()); ++row) {
        const std::string& key = keys[static_cast<std::size_t>(row - 1)];
        boardRowByKey_.emplace(key, row);
        boardKeyByRow_.emplace(row, key);
    }
    grid.UpdateScrollBars();
    RepaintGrid(grid);
    RestyleMoneyMarks();
}

void CDlgOptionTTable::ReloadColumns() {
    ++columnReloads_;
    ReloadBoard();
}

void CDlgOptionTTable::RebuildRows() {
    BuildUnderlyingRows();
    BuildBoardRows();
}

void CDlgOptionTTable::RewriteCachedQuotes() {
    for (const auto& [code, cached] : quotes_) {
        std::optional<InstrumentFacts> instrument = LookUpInstrument(code);
        if (!instrument) continue;
        bool isCall = false;
        if (instrument->isOption) {
            std::optional<model::OptionCodeParts> parts = model::ParseOptionCode(code, instrument->exchange);
            isCall = parts && parts->isCall;
        }
        if (instrument->isOption) {
            UpdateOptionRow(cached.latest.data(), cached.hasPrevious, cached.Previous(), isCall, instrument->tick);
        } else {
            UpdateUnderlyingRow(cached.latest.data(), cached.hasPrevious, cached.Previous(), isCall, instrument->tick);
        }
    }
}

void CDlgOptionTTable::OnQuote(std::span<const unsigned char> payload, bool isOption, bool isCall, double tick) {
    if (!IsCompleteQuote(payload.size())) return;
    OnQuote(payload.data(), isOption, isCall, tick);
}

void CDlgOptionTTable::OnQuote(const unsigned char* quote, bool isOption, bool isCall, double tick) {
    if (quote == nullptr) return;
    ++quoteCount_;
    const std::string code = host::QuoteCode(quote);

    const CachedQuote& cached = quotes_.Put(code, quote);
    if (stale_.Arrived(code, BoardClock())) SetInstrumentMuted(code, false);

    // Rows are written from the cached copy: the caller's buffer is not ours to keep.
    if (isOption) {
        UpdateOptionRow(cached.latest.data(), cached.hasPrevious, cached.Previous(), isCall, tick);
    } else {
        UpdateUnderlyingRow(cached.latest.data(), cached.hasPrevious, cached.Previous(), isCall, tick);
        UpdateMoneyMarks(code, false);
    }
    analytics_.MarkStale();
}

void CDlgOptionTTable::RestyleMoneyMarks() {
    if (!SharedBoardDisplay().changeFlashes) flashes_.EndAll();
    for (auto& [underlying, chain] : moneyChains_) UpdateMoneyMarks(underlying, true);
}

void CDlgOptionTTable::UpdateMoneyMarks(const std::string& underlying, bool restyle) {
    auto found = moneyChains_.find(underlying);
    if (found == moneyChains_.end() || !boardGrid_) return;
    MoneyChain& chain = found->second;
    std::optional<double> F;
    if (const CachedQuote* cached = quotes_.Find(underlying)) F = UnderlyingPrice(cached->latest);
    std::vector<RowMoney> money = ChainMoney(chain.strikes, F);
    if (!restyle && money == chain.money) return;
    board::RepaintBatch repaints;
    CGridCtrl::CLockObject lock(*boardGrid_);
    const BoardDisplay& display = SharedBoardDisplay();
    for (std::size_t i = 0; i < money.size(); ++i) {
        if (!restyle && i < chain.money.size() && chain.money[i] == money[i]) continue;
        StyleMoneyRow(*boardGrid_, FindRowByIndex(*boardGrid_, chain.rows[i]), money[i], display, &flashes_);
    }
    chain.money = std::move(money);
}

void CDlgOptionTTable::SetInstrumentMuted(const std::string& code, bool muted) {
    const COLORREF colour = muted ? StaleTextColour : grid::GridColourNotSet;
    const std::optional<InstrumentFacts> instrument = LookUpInstrument(code);
    if (!instrument) return;
    if (!instrument->isOption) {
        auto entry = underlyingRowByCode_.find(code);
        if (entry != underlyingRowByCode_.end() && underlyingGrid_)
            SetInstrumentTextColour(*underlyingGrid_, FindRowByIndex(*underlyingGrid_, entry->second), false, false,
                                    colour);
        return;
    }
    const std::optional<std::string> key = model::MakeStrikeKey(code, instrument->exchange);
    const std::optional<model::OptionCodeParts> parts = model::ParseOptionCode(code, instrument->exchange);
    auto entry = key ? boardRowByKey_.find(*key) : boardRowByKey_.end();
    if (entry == boardRowByKey_.end() || !parts || !boardGrid_) return;
    SetInstrumentTextColour(*boardGrid_, FindRowByIndex(*boardGrid_, entry->second), true, parts->isCall, colour);
}

void CDlgOptionTTable::RewriteAnalytics() {
    board::RepaintBatch repaints;
    model::DataLock lock;
    auto priceOf = [&](const std::string& code) -> std::optional<double> {
        const CachedQuote* cached = quotes_.Find(code);
        if (cached == nullptr) return std::nullopt;
        return UnderlyingPrice(cached->latest);
    };
    const auto now = SharedAnalyticsSettings().now();
    struct QuotedOption {
        const std::string* code;
        const unsigned char* quote;
        std::string underlying;
        OptionTerms terms;
        int row;
    };
    std::vector<QuotedOption> options;
    std::map<std::string, std::vector<double>> chainStrikes;  // quoted strikes, by underlying
    std::map<std::string, int> daysToExpiry;                  // by underlying
    for (const auto& [code, cached] : quotes_) {
        const std::optional<InstrumentFacts> instrument = LookUpInstrument(code);
        if (!instrument || !instrument->isOption) continue;
        const std::optional<OptionTerms> terms = MakeOptionTerms(code, instrument->exchange, instrument->tick, now);
        const std::optional<std::string> underlying = model::SharedMarketData().UnderlyingOf(code);
        const std::optional<std::string> key = model::MakeStrikeKey(code, instrument->exchange);
        if (!terms || !underlying || !key) continue;
        if (terms->daysToExpiry >= 0) daysToExpiry[*underlying] = terms->daysToExpiry;
        int row = -1;
        auto entry = boardRowByKey_.find(*key);
        if (entry != boardRowByKey_.end() && boardGrid_) {
            CGridCtrl::CLockObject gridLock(*boardGrid_);
            row = FindRowByIndex(*boardGrid_, entry->second);
        }
        chainStrikes[*underlying].push_back(terms->strike);
        options.push_back({&code, cached.latest.data(), *underlying, *terms, row});
    }
    for (auto& [underlying, strikes] : chainStrikes) {
        std::sort(strikes.begin(), strikes.end());
        strikes.erase(std::unique(strikes.begin(), strikes.end()), strikes.end());
    }
    const AnalyticsColumns::RowWindow rows =
        boardGrid_ ? AnalyticsColumns::RowsNearTheView(*boardGrid_) : AnalyticsColumns::RowWindow{};
    for (const QuotedOption& option : options) {
        const std::optional<double> F = priceOf(option.underlying);
        const bool nearTheMoney =
            F && NearTheMoney(chainStrikes[option.underlying], option.terms.strike, *F, AnalyticsColumns::MoneyBand);
        if (!rows.Holds(option.row) && !nearTheMoney) continue;
        const AnalyticsTexts& texts =
            analytics_.OfOption(*option.code, option.quote, option.underlying, F, option.terms);
        if (option.row == -1) continue;
        CGridCtrl::CLockObject gridLock(*boardGrid_);
        WriteAnalyticsCells(*boardGrid_, option.row, texts, true, option.terms.isCall);
    }
    if (underlyingGrid_) {
        CGridCtrl::CLockObject gridLock(*underlyingGrid_);
        for (const auto& [code, index] : underlyingRowByCode_) {
            const std::optional<double> F = priceOf(code);
            const std::optional<double> atTheMoney = F ? analytics_.AtTheMoney(code, *F) : std::nullopt;
            auto days = daysToExpiry.find(code);
            const int row = FindRowByIndex(*underlyingGrid_, index);
            if (row == -1) continue;
            WriteAnalyticsCells(
                *underlyingGrid_, row,
                FormatUnderlyingAnalyticsCells(atTheMoney, days == daysToExpiry.end() ? -1 : days->second), false,
                true);
        }
    }
    analytics_.Rewritten(boardGrid_);
}

void CDlgOptionTTable::UpdateUnderlyingRow(const unsigned char* quote, bool havePrevious,
                                           const unsigned char* previousQuote, bool isCall, double tick) {
    auto entry = underlyingRowByCode_.find(host::QuoteCode(quote));
    if (entry == underlyingRowByCode_.end() || !underlyingGrid_) return;
    CGridCtrl::CLockObject lock(*underlyingGrid_);
    int row = FindRowByIndex(*underlyingGrid_, entry->second);
    if (row != -1)
        WriteQuoteCells(*underlyingGrid_, row, quote, havePrevious, previousQuote, false, isCall, tick, QuoteFlashes());
}

void CDlgOptionTTable::UpdateOptionRow(const unsigned char* quote, bool havePrevious,
                                       const unsigned char* previousQuote, bool isCall, double tick) {
    const std::string code = host::QuoteCode(quote);
    std::optional<InstrumentFacts> instrument = LookUpInstrument(code);
    std::optional<std::string> key = model::MakeStrikeKey(code, instrument ? instrument->exchange : std::string());
    if (!key) return;
    auto entry = boardRowByKey_.find(*key);
    if (entry == boardRowByKey_.end() || !boardGrid_) return;
    CGridCtrl::CLockObject lock(*boardGrid_);
    int row = FindRowByIndex(*boardGrid_, entry->second);
    if (row != -1)
        WriteQuoteCells(*boardGrid_, row, quote, havePrevious, previousQuote, true, isCall, tick, QuoteFlashes());
}

void CDlgOptionTTable::OnSize(int width, int height) {
    if (!HaveWindows()) return;

    RECT top = GridRectInParent(*underlyingGrid_);
    ResizeQuoteGrid(*underlyingGrid_, width - top.left, top.bottom - top.top);
    // Each grid is centred in its own new width. Centring the top grid by the T board's
    // width from before the resize left it off centre after every change of width.
    RECT topAfter = underlyingGrid_->GetWindowRect();
    CentreHorizontally(*underlyingGrid_, topAfter.right - topAfter.left);

    RECT board = GridRectInParent(*boardGrid_);
    ResizeQuoteGrid(*boardGrid_, width - board.left, height - board.top);
    RECT boardAfter = boardGrid_->GetWindowRect();
    CentreHorizontally(*boardGrid_, boardAfter.right - boardAfter.left);
}

bool CDlgOptionTTable::LayoutTimer(UINT_PTR timerId) {
    if (timerId != LayoutTimerId) return true;
    RECT now = GetWindowRect();
    if (!RectsDiffer(now, lastWindowRect_)) return true;
    if (!HaveWindows()) return false;
    // A one-pixel move and back makes each grid lay itself out and repaint where the
    // board now stands.
    for (CGridCtrl* grid : {underlyingGrid_, boardGrid_}) {
        RECT rect = GridRectInParent(*grid);
        int width = rect.right - rect.left;
        int height = rect.bottom - rect.top;
        ::SetWindowPos(grid->GetSafeHwnd(), nullptr, rect.left, rect.top - 1, width, height, SWP_NOZORDER);
        ::SetWindowPos(grid->GetSafeHwnd(), nullptr, rect.left, rect.top, width, height, SWP_NOZORDER);
    }
    lastWindowRect_ = now;
    return true;
}

}  // namespace quillon::board
