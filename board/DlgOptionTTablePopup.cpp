#include "board/DlgOptionTTablePopup.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <utility>

#include "board/AnalyticsSettings.h"
#include "board/BoardDisplay.h"
#include "board/ColumnSet.h"
#include "board/QuoteGrid.h"
#include "framework/ApplicationMessages.h"
#include "host/HostMessages.h"
#include "host/HostRequests.h"
#include "model/CodeFormat.h"
#include "model/DataMutex.h"
#include "res/ResourceIds.h"

namespace quillon::board {

using grid::CGridCellBase;
using grid::CGridCtrl;

namespace {

// Right margin of both grids, bottom margin of the button.
constexpr int PopupEdgeMargin = 7;
// The T board ends this far above the bottom edge, leaving the button its strip.
constexpr int BoardBottomMargin = 37;

model::StrikeMap StrikeMapCopy(const std::string& underlying) {
    model::DataLock lock;
    return model::SharedMarketData().StrikeMapOf(underlying).value_or(model::StrikeMap());
}

void SetCellText(CGridCtrl& grid, int row, int col, const std::string& text) {
    CGridCellBase* cell = grid.GetCell(row, col);
    if (cell == nullptr) return;
    cell->SetText(text.c_str());
    grid.MarkCellModified(row, col);
}

// An option among the cached quotes with what its analytics rest on; nothing for the
// underlying or for a code its exchange does not read as an option.
struct CachedOption {
    model::OptionCodeParts parts;
    OptionTerms terms;
};

std::optional<CachedOption> CachedOptionOf(const std::string& code, std::chrono::system_clock::time_point now) {
    const std::optional<InstrumentFacts> instrument = LookUpInstrument(code);
    if (!instrument || !instrument->isOption) return std::nullopt;
    std::optional<model::OptionCodeParts> parts = model::ParseOptionCode(code, instrument->exchange);
    const std::optional<OptionTerms> terms = MakeOptionTerms(code, instrument->exchange, instrument->tick, now);
    if (!parts || !terms) return std::nullopt;
    return CachedOption{std::move(*parts), *terms};
}

int WindowWidth(const CGridCtrl& grid) {
    RECT rect = grid.GetWindowRect();
    return rect.right - rect.left;
}

}  // namespace

bool StrikeOrderLess(const std::string& left, const std::string& right) {
    std::optional<double> leftValue = StrikeValue(left);
    std::optional<double> rightValue = StrikeValue(right);
    if (leftValue && rightValue) {
        if (*leftValue != *rightValue) return *leftValue < *rightValue;
        return left < right;
    }
    if (leftValue || rightValue) return leftValue.has_value();  // numbers first
    return left < right;
}

CDlgOptionTTablePopup::CDlgOptionTTablePopup() : CQuoteBoard(IDD_OPTION_TTABLE_POPUP) {}

CDlgOptionTTablePopup::~CDlgOptionTTablePopup() = default;

bool CDlgOptionTTablePopup::Create() {
    // The template's two grids need their window class before the dialog is made.
    CGridCtrl::RegisterWindowClass();
    return CDialog::Create(nullptr);
}

BoardGrids CDlgOptionTTablePopup::Grids() {
    return BoardGrids{hwnd_, underlyingGrid_, boardGrid_, clickedGrid_, true};
}

BOOL CDlgOptionTTablePopup::OnInitDialog() {
    CQuoteBoard::OnInitDialog();

    RECT window = GetWindowRect();
    initialSize_ = {window.right - window.left, window.bottom - window.top};
    RECT client = GetClientRect();
    LayoutPopup(client.right - client.left, client.bottom - client.top);
    return TRUE;
}

INT_PTR CDlgOptionTTablePopup::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SHOWWINDOW:
            // Escape only hides the popup: its chart goes out of sight with it and comes
            // back with it.
            if (lParam == 0 && SmileChart() != nullptr) {
                if (!wParam && IsWindowVisible(smile_->GetSafeHwnd())) {
                    smile_->ShowWindow(SW_HIDE);
                    smileHiddenWithPopup_ = true;
                } else if (wParam && std::exchange(smileHiddenWithPopup_, false)) {
                    smile_->ShowWindow(SW_SHOWNOACTIVATE);
                }
            }
            return FALSE;
        // The close box closes as the "关闭" button does, once the box's own click is over.
        case WM_CLOSE:
            Post(WM_COMMAND, IDOK);
            return TRUE;
        case WM_SIZE:
            // A minimised popup keeps its layout for when it is restored.
            if (wParam != SIZE_MINIMIZED && HaveWindows()) LayoutPopup(LOWORD(lParam), HIWORD(lParam));
            return TRUE;
        case WM_GETMINMAXINFO:
            if (lParam) OnGetMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lParam));
            return FALSE;  // the system fills in the rest
    }
    return CQuoteBoard::DialogProc(message, wParam, lParam);
}

void CDlgOptionTTablePopup::OnDestroyBoard() {
    smile_.reset();
}

bool CDlgOptionTTablePopup::OnTimer(UINT_PTR id) {
    // A popup on its way out computes and mutes nothing more.
    return OnBoardTimer(id, !closeRequested_);
}

bool CDlgOptionTTablePopup::OnCommand(int id, int notifyCode, HWND control) {
    if (id == ID_BOARD_BACK_TO_THE_MONEY) {
        CentreOnTheMoney();
        return true;
    }
    if (id == ID_BOARD_SMILE_CHART) {
        OpenSmileChart();
        return true;
    }
    return HandleBoardMenuCommand(Grids(), id) || CDialog::OnCommand(id, notifyCode, control);
}

bool CDlgOptionTTablePopup::OnNotify(int controlId, NMHDR* header, LRESULT& result) {
    // Only the right click: a double click in a popup does not call the host forward.
    if (header != nullptr && header->code == static_cast<UINT>(NM_RCLICK))
        return HandleBoardGridNotify(Grids(), controlId, header, result);
    return CDialog::OnNotify(controlId, header, result);
}

void CDlgOptionTTablePopup::ShowUnderlying(const std::string& code) {
    underlyingCode_ = code;
    SetText("期权T型报价--" + code);
    SubscribeChain();
    RequestChain();
    FillUnderlyingRow(code);
    FillStrikeRows(StrikeMapCopy(code));
    // The first price centres the money unless the user has scrolled by then.
    centreOnFirstPrice_ = SharedBoardDisplay().centreOnOpen;
    openingScroll_ = boardGrid_ ? boardGrid_->GetScrollPosition(SB_VERT) : 0;
}

void CDlgOptionTTablePopup::SendChainRequests(int msgType) const {
    if (host::HostApi() == nullptr) return;
    // The chain is walked on a copy: sending must not hold the tables.
    model::StrikeMap strikes = StrikeMapCopy(underlyingCode_);
    host::SendCodeSlotRequest(msgType, underlyingCode_);
    for (const auto& [strike, codes] : strikes) {
        for (const std::string& option : codes) host::SendCodeSlotRequest(msgType, option);
    }
}

void CDlgOptionTTablePopup::SubscribeChain() const {
    SendChainRequests(host::HOSTMSG_QUOTE_SUBSCRIBE);
}

void CDlgOptionTTablePopup::RequestChain() const {
    SendChainRequests(host::HOSTMSG_QUOTE_REQUEST);
}

void CDlgOptionTTablePopup::UnsubscribeChain() const {
    SendChainRequests(host::HOSTMSG_QUOTE_UNSUBSCRIBE);
}

void CDlgOptionTTablePopup::FillUnderlyingRow(const std::string& code) {
    if (!underlyingGrid_) return;
    CGridCtrl& grid = *underlyingGrid_;
    grid.SetRowCount(2);
    // The underlying always lives in row 1, so the row needs no index of its own.
    for (int col = 0; col < grid.GetColumnCount(); ++col) SetCellText(grid, 1, col, "");
    SetInstrumentTextColour(grid, 1, false, false, grid::GridColourNotSet);
    int codeColumn = FindColumnById(grid, 0);
    if (codeColumn != -1) SetCellText(grid, 1, codeColumn, code);
    grid.UpdateScrollBars();
    RepaintGrid(grid);
}

void CDlgOptionTTablePopup::FillStrikeRows(const model::StrikeMap& strikes) {
    strikes_.clear();
    strikeRowIndex_.clear();
    for (const auto& entry : strikes) strikes_.push_back(entry.first);
    // A trader reads a chain by value; the chain itself is ordered as text.
    std::stable_sort(strikes_.begin(), strikes_.end(), StrikeOrderLess);
    for (std::size_t i = 0; i < strikes_.size(); ++i) strikeRowIndex_.emplace(strikes_[i], static_cast<int>(i) + 1);
    strikeValues_.clear();
    rowStrikeValues_.clear();
    for (const std::string& text : strikes_) {
        const std::optional<double> value = StrikeValue(text);
        rowStrikeValues_.push_back(value);
        if (value) strikeValues_.push_back(*value);
    }
    rowMoney_.clear();
    savedHeights_.clear();
    shownRows_ = {-1, -1};

    if (!boardGrid_) return;
    CGridCtrl& grid = *boardGrid_;
    ResetDataRows(grid, strikes_, FindColumnById(grid, StrikeColumnId));
    grid.UpdateScrollBars();
    RepaintGrid(grid);
    UpdateMoneyMarks(true);
}

void CDlgOptionTTablePopup::OnQuote(const unsigned char* quote, bool isOption, bool isCall, const std::string& strike,
                                    double tick) {
    if (quote == nullptr) return;
    ++quoteCount_;
    const std::string code = host::QuoteCode(quote);

    const CachedQuote& cached = quotes_.Put(code, quote);
    if (stale_.Arrived(code, BoardClock())) SetInstrumentMuted(code, false);

    // Cells are written from the cached copy: the caller's buffer is not ours to keep.
    WriteQuote(cached.latest.data(), cached.hasPrevious, cached.Previous(), isOption, isCall, strike, tick);
    if (!isOption) {
        underlyingQuote_ = cached.latest;
        UpdateMoneyMarks(false);
    }
    if (analytics_.Shown()) analytics_.MarkStale();
    if (smile_) smile_->MarkStale();
}

void CDlgOptionTTablePopup::WriteQuote(const unsigned char* quote, bool havePrevious,
                                       const unsigned char* previousQuote, bool isOption, bool isCall,
                                       const std::string& strike, double tick) {
    if (isOption) {
        auto entry = strikeRowIndex_.find(strike);
        if (entry == strikeRowIndex_.end() || !boardGrid_) return;
        CGridCtrl::CLockObject lock(*boardGrid_);
        int row = FindRowByIndex(*boardGrid_, entry->second);
        if (row != -1)
            WriteQuoteCells(*boardGrid_, row, quote, havePrevious, previousQuote, true, isCall, tick, QuoteFlashes());
        return;
    }
    if (!underlyingGrid_) return;
    CGridCtrl& grid = *underlyingGrid_;
    CGridCtrl::CLockObject lock(grid);
    // The code cell shows the code as the quote spells it (case included).
    int codeColumn = FindColumnById(grid, 0);
    if (codeColumn != -1) SetCellText(grid, 1, codeColumn, host::QuoteCode(quote));
    WriteQuoteCells(grid, 1, quote, havePrevious, previousQuote, false, isCall, tick, QuoteFlashes());
}

void CDlgOptionTTablePopup::ReloadColumns() {
    ++columnReloads_;
    // The frame holds DataMutex; the lock is re-entrant, and taking it here keeps the
    // reads safe for any other caller too.
    model::DataLock lock;
    ReloadBoard();
}

void CDlgOptionTTablePopup::RebuildRows() {
    FillUnderlyingRow(underlyingCode_);
    FillStrikeRows(StrikeMapCopy(underlyingCode_));
}

void CDlgOptionTTablePopup::RewriteCachedQuotes() {
    for (const auto& [code, cached] : quotes_) {
        const std::optional<InstrumentFacts> instrument = LookUpInstrument(code);
        if (!instrument) continue;
        bool isCall = false;
        std::string strike;
        if (instrument->isOption) {
            std::optional<model::OptionCodeParts> parts = model::ParseOptionCode(code, instrument->exchange);
            if (!parts) continue;  // no strike, no row
            isCall = parts->isCall;
            strike = parts->strike;
        }
        WriteQuote(cached.latest.data(), cached.hasPrevious, cached.Previous(), instrument->isOption, isCall, strike,
                   instrument->tick);
    }
}

void CDlgOptionTTablePopup::SetInstrumentMuted(const std::string& code, bool muted) {
    const COLORREF colour = muted ? StaleTextColour : grid::GridColourNotSet;
    const std::optional<InstrumentFacts> instrument = LookUpInstrument(code);
    if (!instrument) return;
    if (!instrument->isOption) {
        if (underlyingGrid_) SetInstrumentTextColour(*underlyingGrid_, 1, false, false, colour);
        return;
    }
    const std::optional<model::OptionCodeParts> parts = model::ParseOptionCode(code, instrument->exchange);
    auto entry = parts ? strikeRowIndex_.find(parts->strike) : strikeRowIndex_.end();
    if (entry == strikeRowIndex_.end() || !boardGrid_) return;
    SetInstrumentTextColour(*boardGrid_, FindRowByIndex(*boardGrid_, entry->second), true, parts->isCall, colour);
}

void CDlgOptionTTablePopup::RewriteAnalytics() {
    // The frame's turn holds DataMutex when it calls in; the timer does not.
    model::DataLock lock;
    board::RepaintBatch repaints;
    std::optional<double> F;
    if (underlyingQuote_) F = UnderlyingPrice(*underlyingQuote_);
    const auto now = SharedAnalyticsSettings().now();
    const AnalyticsColumns::RowWindow rows =
        boardGrid_ ? AnalyticsColumns::RowsNearTheView(*boardGrid_) : AnalyticsColumns::RowWindow{};
    int daysToExpiry = -1;
    for (const auto& [code, cached] : quotes_) {
        const std::optional<CachedOption> option = CachedOptionOf(code, now);
        if (!option) continue;
        const model::OptionCodeParts& parts = option->parts;
        const OptionTerms& terms = option->terms;
        if (terms.daysToExpiry >= 0) daysToExpiry = terms.daysToExpiry;
        auto entry = strikeRowIndex_.find(parts.strike);
        if (entry == strikeRowIndex_.end() || !boardGrid_) continue;
        CGridCtrl::CLockObject gridLock(*boardGrid_);
        const int row = FindRowByIndex(*boardGrid_, entry->second);
        const bool nearTheMoney = F && NearTheMoney(strikeValues_, terms.strike, *F, AnalyticsColumns::MoneyBand);
        if (!rows.Holds(row) && !nearTheMoney) continue;
        const AnalyticsTexts& texts = analytics_.OfOption(code, cached.latest.data(), underlyingCode_, F, terms);
        if (row != -1) WriteAnalyticsCells(*boardGrid_, row, texts, true, terms.isCall);
    }
    if (underlyingGrid_) {
        const std::optional<double> atTheMoney = F ? analytics_.AtTheMoney(underlyingCode_, *F) : std::nullopt;
        CGridCtrl::CLockObject gridLock(*underlyingGrid_);
        WriteAnalyticsCells(*underlyingGrid_, 1, FormatUnderlyingAnalyticsCells(atTheMoney, daysToExpiry), false, true);
    }
    analytics_.Rewritten(boardGrid_);
}

void CDlgOptionTTablePopup::OpenSmileChart() {
    if (closeRequested_) return;
    if (chart::CSmileWindow* open = SmileChart()) {
        open->ShowWindow(IsIconic(open->GetSafeHwnd()) ? SW_RESTORE : SW_SHOW);
        SetForegroundWindow(open->GetSafeHwnd());
        return;
    }
    smileHiddenWithPopup_ = false;
    smile_ = std::make_unique<chart::CSmileWindow>([this] { return SmileSnapshot(); });
    if (!smile_->Open(hwnd_)) smile_.reset();
}

chart::CSmileWindow* CDlgOptionTTablePopup::SmileChart() const {
    // The user may have closed the chart's window; its object waits for the next opening.
    return smile_ && smile_->IsWindow() ? smile_.get() : nullptr;
}

chart::SmileData CDlgOptionTTablePopup::SmileSnapshot() {
    model::DataLock lock;
    chart::SmileData data;
    data.underlying = underlyingCode_;
    if (underlyingQuote_) data.underlyingPrice = UnderlyingPrice(*underlyingQuote_);
    const auto now = SharedAnalyticsSettings().now();
    std::map<std::string, chart::SmileStrike> byStrike;  // by the strike's text, as the rows are
    for (const auto& [code, cached] : quotes_) {
        const std::optional<CachedOption> option = CachedOptionOf(code, now);
        if (!option || !strikeRowIndex_.contains(option->parts.strike)) continue;
        const model::OptionCodeParts& parts = option->parts;
        const OptionTerms& terms = option->terms;
        if (terms.daysToExpiry >= 0) data.daysToExpiry = terms.daysToExpiry;
        // The same memory as the columns': an option whose inputs stood still is not solved again.
        const AnalyticsTexts& texts =
            analytics_.OfOption(code, cached.latest.data(), underlyingCode_, data.underlyingPrice, terms);
        chart::SmileStrike& strike = byStrike[parts.strike];
        strike.strike = terms.strike;
        strike.label = parts.strike;
        chart::SideVolatilities& side = terms.isCall ? strike.call : strike.put;
        side.mid = texts.Volatility();
        side.bid = texts.BidVolatility();
        side.ask = texts.AskVolatility();
    }
    for (auto& entry : byStrike) data.strikes.push_back(std::move(entry.second));
    if (data.underlyingPrice) data.atTheMoney = analytics_.AtTheMoney(underlyingCode_, *data.underlyingPrice);
    return data;
}

void CDlgOptionTTablePopup::RestyleMoneyMarks() {
    if (!SharedBoardDisplay().changeFlashes) flashes_.EndAll();
    UpdateMoneyMarks(true);
}

void CDlgOptionTTablePopup::UpdateMoneyMarks(bool restyle) {
    if (!boardGrid_) return;
    std::optional<double> F;
    if (underlyingQuote_) F = UnderlyingPrice(*underlyingQuote_);
    std::vector<RowMoney> money = ChainMoney(rowStrikeValues_, F);
    if (!restyle && money == rowMoney_) return;
    board::RepaintBatch repaints;
    CGridCtrl::CLockObject lock(*boardGrid_);
    const BoardDisplay& display = SharedBoardDisplay();
    for (std::size_t i = 0; i < money.size(); ++i) {
        if (!restyle && i < rowMoney_.size() && rowMoney_[i] == money[i]) continue;
        StyleMoneyRow(*boardGrid_, FindRowByIndex(*boardGrid_, static_cast<int>(i) + 1), money[i], display, &flashes_);
    }
    rowMoney_ = std::move(money);
    ApplyStrikeWindow();
    if (centreOnFirstPrice_ && AtTheMoneyRow() != -1) {
        centreOnFirstPrice_ = false;
        if (boardGrid_->GetScrollPosition(SB_VERT) == openingScroll_) CentreOnTheMoney();
    }
}

void CDlgOptionTTablePopup::ApplyStrikeWindow() {
    if (!boardGrid_) return;
    CGridCtrl& grid = *boardGrid_;
    const int window = SharedBoardDisplay().strikeWindow;
    const int count = static_cast<int>(rowMoney_.size());
    int money = -1;  // the at-the-money strike's place in row order
    for (int i = 0; i < count; ++i) {
        if (rowMoney_[static_cast<std::size_t>(i)].atTheMoney) money = i;
    }
    // Without a price nothing is known of the money: every strike shows.
    const bool windowed = window > 0 && money != -1;
    const std::pair<int, int> shown = windowed ? std::pair{money - window, money + window} : std::pair{0, count - 1};
    const bool choiceChanged = windowApplied_ != -1 && windowApplied_ != window;
    if (shownRows_ == shown && windowApplied_ == window && windowedRows_ == windowed) return;
    savedHeights_.resize(static_cast<std::size_t>(count), 0);
    for (int i = 0; i < count; ++i) {
        const int row = FindRowByIndex(grid, i + 1);
        if (row == -1) continue;
        // A strike that is not a number has no place against the money.
        const bool visible = i >= shown.first && i <= shown.second &&
                             (!windowed || rowStrikeValues_[static_cast<std::size_t>(i)].has_value());
        const int height = grid.GetRowHeight(row);
        int& saved = savedHeights_[static_cast<std::size_t>(i)];
        if (!visible && height > 0) {
            saved = height;
            grid.SetRowHeight(row, 0);
        } else if (visible && height == 0) {
            grid.SetRowHeight(row, saved > 0 ? saved : QuoteRowHeight);
        }
    }
    shownRows_ = shown;
    windowApplied_ = window;
    windowedRows_ = windowed;
    grid.UpdateScrollBars();
    RepaintGrid(grid);
    if (choiceChanged) CentreOnTheMoney();
}

int CDlgOptionTTablePopup::AtTheMoneyRow() const {
    for (std::size_t i = 0; i < rowMoney_.size(); ++i) {
        if (rowMoney_[i].atTheMoney && boardGrid_) return FindRowByIndex(*boardGrid_, static_cast<int>(i) + 1);
    }
    return -1;
}

void CDlgOptionTTablePopup::CentreOnTheMoney() {
    const int row = AtTheMoneyRow();
    if (row == -1 || !boardGrid_->IsWindow()) return;
    CGridCtrl& grid = *boardGrid_;
    int rowTop = 0;
    for (int above = grid.GetFixedRowCount(); above < row; ++above) rowTop += grid.GetRowHeight(above);
    RECT client{};
    ::GetClientRect(grid.GetSafeHwnd(), &client);
    const int view = client.bottom - grid.GetFixedRowHeight();
    // Windows holds the position inside the bar's range: a chain shorter than the view
    // stays where it is, one near its end stops there.
    grid.SetScrollPosition(SB_VERT, std::max(0, rowTop + grid.GetRowHeight(row) / 2 - view / 2));
    RepaintGrid(grid);
}

void CDlgOptionTTablePopup::LayoutPopup(int width, int height) {
    if (underlyingGrid_ && underlyingGrid_->IsWindow()) {
        RECT top = GridRectInParent(*underlyingGrid_);
        ResizeQuoteGrid(*underlyingGrid_, std::max<int>(0, width - PopupEdgeMargin - top.left), top.bottom - top.top);
        // Each grid is centred in its own new width, so its middle column stands mid-view.
        CentreHorizontally(*underlyingGrid_, WindowWidth(*underlyingGrid_));
    }
    if (boardGrid_ && boardGrid_->IsWindow()) {
        RECT board = GridRectInParent(*boardGrid_);
        ResizeQuoteGrid(*boardGrid_, std::max<int>(0, width - PopupEdgeMargin - board.left),
                        std::max<int>(0, height - BoardBottomMargin - board.top));
        CentreHorizontally(*boardGrid_, WindowWidth(*boardGrid_));
    }
    if (HWND button = ::GetDlgItem(hwnd_, IDOK)) {
        RECT rect;
        ::GetWindowRect(button, &rect);
        int buttonWidth = rect.right - rect.left;
        int buttonHeight = rect.bottom - rect.top;
        ::SetWindowPos(button, nullptr, (width - buttonWidth) / 2, height - PopupEdgeMargin - buttonHeight, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER);
        ::InvalidateRect(button, nullptr, TRUE);
    }
}

void CDlgOptionTTablePopup::OnGetMinMaxInfo(MINMAXINFO& info) const {
    if (!hwnd_ || initialSize_.cx == 0) return;
    info.ptMinTrackSize.x = initialSize_.cx;
    info.ptMinTrackSize.y = initialSize_.cy;
}

void CDlgOptionTTablePopup::ClosePopup() {
    // Enter and the close box can both be queued before the frame acts on the first.
    if (closeRequested_) return;
    UnsubscribeChain();
    closeRequested_ = true;
    if (HWND frame = framework::MainWindowHandle())
        PostMessageW(frame, framework::TTableDialogCloseMessage(), 0, reinterpret_cast<LPARAM>(this));
}

}  // namespace quillon::board
