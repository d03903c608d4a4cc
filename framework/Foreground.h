#pragma once

#include <windows.h>

namespace quillon::framework {

// Brings a window of this process to the front even when another process's window is
// in the foreground: this thread borrows the input state of the foreground thread
// while it shows, raises (topmost, then not), activates and focuses the window.
void BringToForeground(HWND window);

// Ends every dialog window (class "#32770") of this process: message boxes and modal
// dialogs in their loops get Cancel and No; other dialogs get Cancel and No, then, 10 ms
// later, OK and Yes, so whichever button a dialog answers to closes it.
void CloseOwnDialogs();

}  // namespace quillon::framework
