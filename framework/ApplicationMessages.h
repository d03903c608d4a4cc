#pragma once

#include <windows.h>

namespace quillon::framework {

// The program's three registered window messages, obtained during static
// initialisation, before the application object runs.
//
// "Quillon ApiMsg Arrive"       host callback -> frame: wParam 20, lParam ArrivalRecord*
// "Quillon TTable Dialog Close" popup board -> frame: wParam 0, lParam the popup object
// "Quillon Cols Set Changed"    column dialog -> frame: wParam 0, lParam 0
UINT ApiMsgArriveMessage();
UINT TTableDialogCloseMessage();
UINT ColsSetChangedMessage();
// Posted to the main window when the user switched a board mark (board/BoardDisplay.h):
// every board restyles its rows. Private to the process, so not a registered message.
inline constexpr UINT BoardDisplayChangedMessage = WM_APP + 0x51;

// The main window of the application object (the frame), or null.
HWND MainWindowHandle();

}  // namespace quillon::framework
