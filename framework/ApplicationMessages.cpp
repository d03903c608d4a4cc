#include "framework/ApplicationMessages.h"

#include "framework/RegisteredMessage.h"
#include "framework/WinApp.h"

namespace quillon::framework {

UINT ApiMsgArriveMessage() {
    static const UINT message = RegisterMessageName("Quillon ApiMsg Arrive");
    return message;
}

UINT TTableDialogCloseMessage() {
    static const UINT message = RegisterMessageName("Quillon TTable Dialog Close");
    return message;
}

UINT ColsSetChangedMessage() {
    static const UINT message = RegisterMessageName("Quillon Cols Set Changed");
    return message;
}

namespace {
// Registers all three while the process starts, in this order.
[[maybe_unused]] const UINT registeredAtStart[] = {TTableDialogCloseMessage(), ColsSetChangedMessage(),
                                                   ApiMsgArriveMessage()};
}  // namespace

HWND MainWindowHandle() {
    CWinApp* application = CWinApp::Current();
    CWnd* main = application ? application->MainWindow() : nullptr;
    return main ? main->GetSafeHwnd() : nullptr;
}

}  // namespace quillon::framework
