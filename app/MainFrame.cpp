#include "app/MainFrame.h"

#include <exception>
#include <mutex>
#include <set>

#include "app/HostLibrary.h"
#include "app/StartupSettings.h"
#include "framework/ApplicationMessages.h"
#include "framework/Foreground.h"
#include "framework/MessageBox.h"
#include "framework/TextConversion.h"
#include "grid/GridCtrl.h"
#include "host/HostMessages.h"
#include "host/HostRequests.h"
#include "host/WireRecords.h"
#include "model/CodeFormat.h"
#include "model/DataMutex.h"
#include "model/MarketData.h"

namespace quillon::app {

namespace {

using namespace quillon::host;

// The window the host callback posts arrivals to. The callback runs on the library's
// thread; the lock makes "clear the target, then drain the queue" final: once the
// target is cleared no post can slip in behind the drain.
std::mutex arrivalTargetLock;
HWND arrivalTarget = nullptr;

void SetArrivalTarget(HWND window) {
    std::lock_guard<std::mutex> guard(arrivalTargetLock);
    arrivalTarget = window;
}

// Cross-thread hand-over: runs on the host library's thread. On success the record
// belongs to the frame, which frees it after dispatch (OnArrival) or when it discards
// the queue (DiscardQueuedArrivals); on failure the callback frees it.
bool PostArrivalToFrame(ArrivalRecord* record) {
    std::lock_guard<std::mutex> guard(arrivalTargetLock);
    UINT message = framework::ApiMsgArriveMessage();
    if (!arrivalTarget || message == 0) return false;
    return PostMessageW(arrivalTarget, message, ArrivalRecordPostSize, reinterpret_cast<LPARAM>(record)) != FALSE;
}

void ShowWarning(const char* text) {
    framework::ShowMessageBox(nullptr, text, CMainFrame::ErrorCaption, MB_SYSTEMMODAL | MB_ICONWARNING);
}

}  // namespace

CMainFrame::CMainFrame() = default;

CMainFrame::~CMainFrame() {
    // A frame destroyed with its object: the window goes while the derived parts live.
    if (GetSafeHwnd()) DestroyWindow();
    std::map<board::CDlgOptionTTablePopup*, std::unique_ptr<board::CDlgOptionTTablePopup>> popups;
    {
        model::DataLock lock;
        popups.swap(popupBoards_);
    }
}

bool CMainFrame::Create() {
    return CFrameWnd::Create("", 0, 0);
}

std::vector<board::CDlgOptionTTablePopup*> CMainFrame::PopupBoards() const {
    model::DataLock lock;
    std::vector<board::CDlgOptionTTablePopup*> popups;
    for (const auto& entry : popupBoards_) popups.push_back(entry.first);
    return popups;
}

LRESULT CMainFrame::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == framework::ApiMsgArriveMessage()) {
        OnArrival(reinterpret_cast<ArrivalRecord*>(lParam));
    } else if (message == framework::TTableDialogCloseMessage()) {
        OnPopupCloseRequest(lParam);
    } else if (message == framework::ColsSetChangedMessage()) {
        OnColumnsChanged();
    }
    switch (message) {
        case WM_CREATE: {
            LRESULT result = CFrameWnd::WindowProc(message, wParam, lParam);
            if (result == -1) return -1;
            return OnCreate();
        }
        case WM_SETFOCUS: {
            LRESULT result = CFrameWnd::WindowProc(message, wParam, lParam);
            OnSetFocus();
            return result;
        }
        case WM_SIZE: {
            LRESULT result = CFrameWnd::WindowProc(message, wParam, lParam);
            OnSize(LOWORD(lParam), HIWORD(lParam));
            return result;
        }
        case WM_SHOWWINDOW: {
            LRESULT result = CFrameWnd::WindowProc(message, wParam, lParam);
            OnShowWindow(wParam != FALSE);
            return result;
        }
        case WM_DESTROY:
            OnDestroy();
            break;
    }
    return CFrameWnd::WindowProc(message, wParam, lParam);
}

int CMainFrame::OnCreate() {
    // The board's template names the grid window class.
    grid::CGridCtrl::RegisterWindowClass();
    if (board_.Create(GetSafeHwnd())) {
        RECT area = GetWindowRect();
        MapWindowPoints(nullptr, GetSafeHwnd(), reinterpret_cast<POINT*>(&area), 2);
        board_.MoveWindow(area.left, area.top, area.right - area.left, area.bottom - area.top, true);
        board_.ShowWindow(SW_SHOW);
    }
    SetArrivalSink(&PostArrivalToFrame);
    SetArrivalTarget(GetSafeHwnd());
    AcquireHostApi();
    RegisterWithHost(IsPopupRunMode(), Settings().hostWindow, GetSafeHwnd());
    return 0;
}

void CMainFrame::OnSetFocus() {
    if (!board_.GetSafeHwnd()) return;
    BringWindowToTop(board_.GetSafeHwnd());
    SetFocus(board_.GetSafeHwnd());
}

void CMainFrame::OnSize(int width, int height) {
    if (GetSafeHwnd() && board_.GetSafeHwnd()) board_.MoveWindow(0, 0, width, height, true);
}

void CMainFrame::OnShowWindow(bool shown) {
    if (shown && model::SharedMarketData().DataReady()) SendHostRequest(HOSTMSG_REQ_CONTRACT_LIST);
}

void CMainFrame::OnDestroy() {
    SetArrivalTarget(nullptr);
    DiscardQueuedArrivals();
    // Popups the frame owns as windows are gone already; the rest go with their objects.
    std::map<board::CDlgOptionTTablePopup*, std::unique_ptr<board::CDlgOptionTTablePopup>> popups;
    {
        model::DataLock lock;
        popups.swap(popupBoards_);
    }
}

void CMainFrame::DiscardQueuedArrivals() {
    MSG queued;
    UINT message = framework::ApiMsgArriveMessage();
    while (PeekMessageW(&queued, GetSafeHwnd(), message, message, PM_REMOVE)) {
        FreeArrivalRecord(reinterpret_cast<ArrivalRecord*>(queued.lParam));
    }
}

void CMainFrame::OnArrival(ArrivalRecord* arrival) {
    ArrivalRecordPtr record(arrival);  // freed on every path, dispatched or not
    if (closing_ || !record) return;
    try {
        DispatchHostMessage(record->value, record->msgType, record->data, record->dataLen);
    } catch (const std::exception&) {
        // Out of memory while copying a list: the message is lost, the program lives on.
    }
}

void CMainFrame::OnPopupCloseRequest(LPARAM popup) {
    if (closing_) return;
    std::unique_ptr<board::CDlgOptionTTablePopup> closed;
    {
        model::DataLock lock;
        // The pointer is only a key until it is found among our popups.
        auto found = popupBoards_.find(reinterpret_cast<board::CDlgOptionTTablePopup*>(popup));
        if (found == popupBoards_.end()) return;
        closed = std::move(found->second);
        popupBoards_.erase(found);
        closed.reset();
    }
}

void CMainFrame::OnColumnsChanged() {
    if (closing_) return;
    if (IsPopupRunMode()) {
        model::DataLock lock;
        for (auto& entry : popupBoards_) entry.second->ReloadColumns();
    } else {
        board_.ReloadColumns();
    }
}

void CMainFrame::DispatchHostMessage(int value, int msgType, const unsigned char* data, int dataLen) {
    if (msgType >= 0x1000 && msgType <= 0x1FFF) {
        HandleLinkMessage(msgType, value);
        return;
    }
    switch (msgType) {
        case HOSTMSG_EXCHANGE_CODES:
        case HOSTMSG_INSTRUMENT:
        case HOSTMSG_HOST_TEXT:
        case HOSTMSG_EXCHANGES:
        case HOSTMSG_CONTRACT_LIST_PUSH:
        case HOSTMSG_UNNAMED_7008:
        case HOSTMSG_CONTRACT_LIST:
        case HOSTMSG_SELECTED:
            HandleDataMessage(value, msgType, data, dataLen);
            break;
        case HOSTMSG_QUOTE_PUSH:
        case HOSTMSG_QUOTE_REPLY:
            RouteQuote(value, data, dataLen);
            break;
    }
}

void CMainFrame::HandleLinkMessage(int msgType, int value) {
    switch (msgType) {
        case HOSTMSG_LOGIN_RESULT:
            if (value != 0) {
                framework::ShowMessageBox(nullptr, LoginFailedText, ErrorCaption, MB_SYSTEMMODAL | MB_ICONERROR);
                Post(WM_CLOSE);
                return;
            }
            SendHostRequest(HOSTMSG_REQ_HOST_TEXT);
            SendHostRequest(HOSTMSG_REQ_EXCHANGES);
            break;
        case HOSTMSG_HOST_CLOSING: {
            closing_ = true;
            framework::CloseOwnDialogs();
            // Popups owned by the frame are destroyed with it.
            for (board::CDlgOptionTTablePopup* popup : PopupBoards()) {
                if (popup->GetSafeHwnd())
                    SetWindowLongPtrW(popup->GetSafeHwnd(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(GetSafeHwnd()));
            }
            framework::CloseOwnDialogs();
            Post(WM_CLOSE);
            break;
        }
        case HOSTMSG_INVOKE:
            if (!IsPopupRunMode()) return;
            selectionPending_ = true;
            if (model::SharedMarketData().DataReady()) SendHostRequest(HOSTMSG_REQ_SELECTED);
            break;
    }
}

void CMainFrame::HandleDataMessage(int value, int msgType, const unsigned char* data, int dataLen) {
    switch (msgType) {
        case HOSTMSG_EXCHANGES:
            if (auto exchanges = DecodeExchangeList(value, data, dataLen)) OnExchanges(*exchanges);
            break;
        case HOSTMSG_EXCHANGE_CODES:
            if (auto codes = DecodeExchangeCodes(value, data, dataLen)) OnExchangeCodes(*codes);
            break;
        case HOSTMSG_INSTRUMENT:
            if (auto record = DecodeInstrumentRecord(value, data, dataLen)) OnInstrument(*record);
            break;
        case HOSTMSG_HOST_TEXT:
            if (dataLen < 1) break;
            if (auto text = DecodeHostText(value, data, dataLen)) HostText() = *text;
            break;
        case HOSTMSG_CONTRACT_LIST_PUSH:
            if (!model::SharedMarketData().DataReady()) break;
            if (auto codes = DecodeContractListPush(value, data, dataLen)) OnContractList(*codes);
            break;
        case HOSTMSG_CONTRACT_LIST:
            if (auto codes = DecodeContractList(value, data, dataLen)) OnContractList(*codes);
            break;
        case HOSTMSG_SELECTED:
            OnSelectedCode(value, data, dataLen);
            break;
        case HOSTMSG_UNNAMED_7008:
            break;
    }
}

void CMainFrame::OnExchanges(const std::vector<std::string>& exchanges) {
    exchangeQueue_.clear();
    model::ExchangeSet received;
    for (const std::string& exchange : exchanges) {
        exchangeQueue_.push_back(exchange);
        received.insert(exchange);
    }
    model::SharedMarketData().ReplaceExchangeSet(std::move(received));
    RequestNextExchange();
}

void CMainFrame::RequestNextExchange() {
    if (exchangeQueue_.empty()) return;
    std::string exchange = std::move(exchangeQueue_.front());
    exchangeQueue_.pop_front();
    SendExchangeSlotRequest(HOSTMSG_REQ_EXCHANGE_CODES, exchange);
}

void CMainFrame::RequestNextInstrument() {
    if (instrumentQueue_.empty()) return;
    std::string code = std::move(instrumentQueue_.front());
    instrumentQueue_.pop_front();
    SendCodeSlotRequest(HOSTMSG_REQ_INSTRUMENT, code);
}

void CMainFrame::OnExchangeCodes(const std::vector<std::string>& codes) {
    model::MarketData& market = model::SharedMarketData();
    for (const std::string& code : codes) market.AddInstrumentCode(code);
    if (!exchangeQueue_.empty()) {
        RequestNextExchange();
        return;
    }
    // Every exchange has answered: ask for each instrument, one at a time. No codes at
    // all ends the load here, without DataReady.
    model::InstrumentCodeSet allCodes = market.CopyInstrumentCodeSet();
    if (allCodes.empty()) return;
    instrumentQueue_.insert(instrumentQueue_.end(), allCodes.begin(), allCodes.end());
    RequestNextInstrument();
}

void CMainFrame::OnInstrument(InstrumentRecordBytes record) {
    char& productClass = reinterpret_cast<char&>(record[instrument_record::ProductClassOffset]);
    if (productClass == Settings().newOptionType) productClass = instrument_record::OptionClass;
    model::SharedMarketData().InsertInstrument(InstrumentCode(record.data()), record);
    if (!instrumentQueue_.empty()) {
        RequestNextInstrument();
        return;
    }
    OnLoadComplete();
}

void CMainFrame::OnLoadComplete() {
    model::MarketData& market = model::SharedMarketData();
    {
        model::DataLock lock;
        market.BuildOptionChain();
    }
    market.SetDataReady();
    if (!IsPopupRunMode()) {
        SendHostRequest(HOSTMSG_REQ_CONTRACT_LIST);
    } else if (selectionPending_) {
        SendHostRequest(HOSTMSG_REQ_SELECTED);
    }
}

void CMainFrame::OnContractList(const std::vector<std::string>& codes) {
    // An empty list empties the board: the host has nothing to show.
    board_.LoadContracts(codes);
    framework::BringToForeground(board_.GetSafeHwnd());
}

void CMainFrame::OnSelectedCode(int value, const unsigned char* data, int dataLen) {
    std::optional<std::string> selected = DecodeSelectedCode(value, data, dataLen);
    if (!selected) {
        if (selectionPending_) {
            selectionPending_ = false;
            ShowWarning(NoSelectionText);
        }
        return;
    }
    if (!selectionPending_) return;
    selectionPending_ = false;
    if (selected->empty()) {
        ShowWarning(NoSelectionText);
        return;
    }
    std::string underlying = *selected;
    bool found = false;
    {
        model::DataLock lock;
        model::MarketData& market = model::SharedMarketData();
        if (market.IsUnderlying(underlying)) {
            found = true;
        } else if (std::optional<std::string> of = market.UnderlyingOf(underlying)) {
            underlying = *of;
            found = true;
        }
    }
    if (!found) {
        ShowWarning(InvalidUnderlyingText);
        return;
    }
    if (!closing_) ShowPopupFor(underlying);
}

void CMainFrame::ShowPopupFor(const std::string& underlying) {
    board::CDlgOptionTTablePopup* match = nullptr;
    board::CDlgOptionTTablePopup* freePopup = nullptr;
    {
        model::DataLock lock;
        for (auto& entry : popupBoards_) {
            board::CDlgOptionTTablePopup* popup = entry.first;
            if (popup->underlyingCode.empty()) freePopup = popup;
            if (!match && framework::EqualsIgnoringCaseCodePage936(popup->underlyingCode, underlying)) match = popup;
        }
    }
    if (match) {
        framework::BringToForeground(match->GetSafeHwnd());
        return;
    }
    std::unique_ptr<board::CDlgOptionTTablePopup> created;
    board::CDlgOptionTTablePopup* popup = freePopup;
    if (!popup) {
        created = std::make_unique<board::CDlgOptionTTablePopup>();
        // A popup whose window cannot be made is not kept: it could never be shown or closed.
        if (!created->Create()) return;
        popup = created.get();
    }
    popup->ShowUnderlying(underlying);
    SetWindowLongPtrW(popup->GetSafeHwnd(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(GetDesktopWindow()));
    framework::BringToForeground(popup->GetSafeHwnd());
    model::DataLock lock;
    if (created) popupBoards_.emplace(popup, std::move(created));
}

void CMainFrame::RouteQuote(int value, const unsigned char* data, int dataLen) {
    std::optional<QuoteRecordBytes> quote = DecodeQuote(value, data, dataLen);
    if (!quote) return;
    std::string code = QuoteCode(quote->data());
    double tick = 0.001;
    bool isOption = false;
    bool isCall = false;
    std::string strike;
    std::string routingKey = code;

    {
        model::DataLock lock;
        model::MarketData& market = model::SharedMarketData();
        if (std::optional<model::InstrumentRecordBytes> instrument = market.FindInstrument(code)) {
            std::string exchange = InstrumentExchange(instrument->data());
            tick = InstrumentPriceTick(instrument->data());
            isOption = InstrumentProductClass(instrument->data()) == instrument_record::OptionClass;
            if (isOption) {
                if (std::optional<model::OptionCodeParts> parts = model::ParseOptionCode(code, exchange)) {
                    isCall = parts->isCall;
                    strike = parts->strike;
                }
                if (std::optional<std::string> underlying = market.UnderlyingOf(code)) routingKey = *underlying;
            }
        }
        if (IsPopupRunMode()) {
            // Deliveries to popups run under the lock, which keeps the popup set still.
            for (auto& entry : popupBoards_) {
                board::CDlgOptionTTablePopup* popup = entry.first;
                if (popup->closeRequested) continue;
                if (!framework::EqualsIgnoringCaseCodePage936(popup->underlyingCode, routingKey)) continue;
                popup->OnQuote(quote->data(), isOption, isCall, strike, tick);
                break;
            }
            return;
        }
    }
    // The docked board renders outside the lock.
    board_.OnQuote(quote->data(), isOption, isCall, tick);
}

}  // namespace quillon::app
