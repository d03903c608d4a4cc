#include "app/MainFrame.h"

#include <exception>
#include <utility>

#include "app/BenchTrace.h"
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

bool IsQuoteMessage(int msgType) {
    return msgType == HOSTMSG_QUOTE_PUSH || msgType == HOSTMSG_QUOTE_REPLY;
}

void GridPainted() {
    bench_trace::OnGridPainted();
}

void ShowWarning(const char* text) {
    framework::ShowMessageBox(nullptr, text, CMainFrame::ErrorCaption, MB_SYSTEMMODAL | MB_ICONWARNING);
}

}  // namespace

CMainFrame::CMainFrame()
    : pump_([this](ArrivalRecordPtr record) { OnArrival(std::move(record)); }),
      loader_(model::SharedMarketData(), loadRequests_, Settings().newOptionType) {}

void CMainFrame::HostLoadRequests::ExchangeCodes(const std::string& exchange) {
    bench_trace::CountServerCall(bench_trace::ServerCall::Send);
    SendExchangeSlotRequest(HOSTMSG_REQ_EXCHANGE_CODES, exchange);
}

void CMainFrame::HostLoadRequests::Instrument(const std::string& code) {
    bench_trace::CountServerCall(bench_trace::ServerCall::Send);
    SendCodeSlotRequest(HOSTMSG_REQ_INSTRUMENT, code);
}

CMainFrame::~CMainFrame() {
    // A frame destroyed with its object: the window goes while the derived parts live.
    // The popups go after it, with their set.
    if (GetSafeHwnd()) DestroyWindow();
}

bool CMainFrame::Create() {
    return CFrameWnd::Create("", 0, 0);
}

std::vector<board::CDlgOptionTTablePopup*> CMainFrame::PopupBoards() const {
    return popups_.List();
}

LRESULT CMainFrame::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (pump_.OnMessage(message, wParam, lParam)) return 0;
    if (message == framework::TTableDialogCloseMessage()) {
        OnPopupCloseRequest(lParam);
    } else if (message == framework::ColsSetChangedMessage()) {
        OnColumnsChanged();
    } else if (message == framework::BoardDisplayChangedMessage) {
        OnBoardDisplayChanged();
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
    bench_trace::Open();
    if (bench_trace::Enabled()) grid::CGridCtrl::SetPaintObserver(&GridPainted);
    pump_.Start(GetSafeHwnd());
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
    pump_.Stop();
    grid::CGridCtrl::SetPaintObserver(nullptr);
    bench_trace::Close();
    // Popups the frame owns as windows are gone already; the rest go with their objects.
    popups_.DestroyAll();
}

void CMainFrame::OnArrival(ArrivalRecordPtr record) {
    // The record is freed on every path, dispatched or not.
    if (closing_ || !record) return;
    try {
        DispatchHostMessage(record->value, record->msgType, record->data, record->dataLen);
        bench_trace::OnHostMessageDispatched(IsQuoteMessage(record->msgType));
        if (IsQuoteMessage(record->msgType)) bench_trace::OnQuoteWritten(record->requestId);
    } catch (const std::exception&) {
        // Out of memory while copying a list: the message is lost, the program lives on.
    }
}

void CMainFrame::OnPopupCloseRequest(LPARAM popup) {
    if (closing_) return;
    popups_.Destroy(reinterpret_cast<board::CDlgOptionTTablePopup*>(popup));
}

void CMainFrame::OnColumnsChanged() {
    if (closing_) return;
    if (IsPopupRunMode()) {
        popups_.ForEach([](board::CDlgOptionTTablePopup& popup) { popup.ReloadColumns(); });
    } else {
        board_.ReloadColumns();
    }
}

void CMainFrame::OnBoardDisplayChanged() {
    if (closing_) return;
    model::DataLock lock;
    if (IsPopupRunMode()) {
        popups_.ForEach([](board::CDlgOptionTTablePopup& popup) { popup.RestyleMoneyMarks(); });
    } else {
        board_.RestyleMoneyMarks();
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
            bench_trace::OnLogin();
            SendHostRequest(HOSTMSG_REQ_HOST_TEXT);
            SendHostRequest(HOSTMSG_REQ_EXCHANGES);
            break;
        case HOSTMSG_HOST_CLOSING: {
            closing_ = true;
            // Once for the dialogs open now (a box, the column dialog), and once more below for
            // any a closing dialog left behind, after the popups are the frame's to destroy.
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
            if (auto exchanges = DecodeExchangeList(value, data, dataLen)) loader_.OnExchanges(*exchanges);
            break;
        case HOSTMSG_EXCHANGE_CODES:
            if (auto codes = DecodeExchangeCodes(value, data, dataLen)) loader_.OnExchangeCodes(*codes);
            break;
        case HOSTMSG_INSTRUMENT:
            if (auto record = DecodeInstrumentRecord(value, data, dataLen)) {
                if (loader_.OnInstrument(*record)) OnLoadComplete();
            }
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
            // Hosts send it; it is taken like the other data messages and asks for nothing.
            break;
    }
}

void CMainFrame::OnLoadComplete() {
    if (bench_trace::Enabled()) bench_trace::OnDataReady(model::SharedMarketData().InstrumentCount());
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
    popups_.ForEach([&](board::CDlgOptionTTablePopup& popup) {
        if (popup.UnderlyingCode().empty()) freePopup = &popup;
        if (!match && framework::EqualsIgnoringCaseCodePage936(popup.UnderlyingCode(), underlying)) match = &popup;
    });
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
    popups_.Add(std::move(created));
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
            // Deliveries to popups run under the lock, which keeps the popup set still; the
            // first popup open for the routing key takes the quote.
            board::CDlgOptionTTablePopup* popup = popups_.FindFirst([&](const board::CDlgOptionTTablePopup& open) {
                return !open.CloseRequested() &&
                       framework::EqualsIgnoringCaseCodePage936(open.UnderlyingCode(), routingKey);
            });
            if (popup != nullptr) popup->OnQuote(quote->data(), isOption, isCall, strike, tick);
            return;
        }
    }
    // The docked board renders outside the lock.
    board_.OnQuote(quote->data(), isOption, isCall, tick);
}

}  // namespace quillon::app
