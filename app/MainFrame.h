#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/ArrivalPump.h"
#include "app/PopupBoardSet.h"
#include "board/DlgOptionTTable.h"
#include "board/DlgOptionTTablePopup.h"
#include "framework/FrameWnd.h"
#include "host/HostCallback.h"
#include "host/HostPayloads.h"
#include "model/InstrumentLoader.h"

namespace quillon::app {

// The program's one top-level window. It holds the docked board, registers with the
// host, and turns every host message into work on the user-interface thread: the
// step-by-step instrument load, quotes to the boards, contract lists, popup boards on
// request, and the shutdown when the host exits. It is never shown by the program.
class CMainFrame : public framework::CFrameWnd {
public:
    // The title the frame carries.
    static constexpr const char* Title = "期权T型报价";
    // Caption and texts of the user-facing boxes.
    static constexpr const char* ErrorCaption = "错误提示";
    static constexpr const char* LoginFailedText = "期权T型报价功能初始化失败，无法登录到Hexmoor";
    static constexpr const char* NoSelectionText = "未正确选择合约，相关功能暂无法生效";
    static constexpr const char* InvalidUnderlyingText = "无效的标的物合约，无法显示T型报价";

    CMainFrame();
    ~CMainFrame() override;

    // Default class and rectangle, style 0 (hidden), no parent, menu or extended style.
    // WM_CREATE creates the docked board and registers with the host.
    bool Create();

    // Routes one host message by type (value non-zero: the host reports failure).
    void DispatchHostMessage(int value, int msgType, const unsigned char* data, int dataLen);

    board::CDlgOptionTTable& Board() { return board_; }
    bool IsClosing() const { return closing_; }
    bool IsSelectionPending() const { return selectionPending_; }
    // The open popup boards in set order, copied under DataMutex.
    std::vector<board::CDlgOptionTTablePopup*> PopupBoards() const;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // -1 refuses the creation.
    int OnCreate();
    void OnSetFocus();
    void OnSize(int width, int height);
    void OnShowWindow(bool shown);
    void OnDestroy();

    // One host message from the arrival pump.
    void OnArrival(host::ArrivalRecordPtr record);
    void OnPopupCloseRequest(LPARAM popup);
    void OnColumnsChanged();
    // The user switched a board mark: every board restyles its rows.
    void OnBoardDisplayChanged();

    void HandleLinkMessage(int msgType, int value);
    void HandleDataMessage(int value, int msgType, const unsigned char* data, int dataLen);
    void OnContractList(const std::vector<std::string>& codes);
    void OnSelectedCode(int value, const unsigned char* data, int dataLen);
    void RouteQuote(int value, const unsigned char* data, int dataLen);
    void ShowPopupFor(const std::string& underlying);
    // The market data became ready: the board's contracts or the awaited selection.
    void OnLoadComplete();

    board::CDlgOptionTTable board_;
    ArrivalPump pump_;
    // Set by the host's closing message: from then on arrivals, popup-close and
    // column-change messages are ignored and no popup is opened.
    bool closing_ = false;
    // Popup run mode: the host was invoked and the selection reply is awaited.
    bool selectionPending_ = false;
    // The load's requests go to the host library.
    class HostLoadRequests : public model::InstrumentLoader::Requests {
        void ExchangeCodes(const std::string& exchange) override;
        void Instrument(const std::string& code) override;
    };
    HostLoadRequests loadRequests_;
    model::InstrumentLoader loader_;
    PopupBoardSet popups_;
};

}  // namespace quillon::app
