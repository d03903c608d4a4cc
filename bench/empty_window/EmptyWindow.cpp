// empty_window: a window program with nothing in it. It registers a class, creates and
// shows a window and pumps its messages until the window is closed or SECONDS have passed.
// Its resident set under Wine is what any window program costs there (Wine's own
// libraries, the wineserver link, the X connection); Quillon's is read above it.
//
// Usage: empty_window [SECONDS]  (default 30)
// Output: "empty-window shown" once the window has been shown and painted, then
// "empty-window closed" at the end. Exit status 1 when the window cannot be made.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "framework/WindowTimer.h"

namespace {

constexpr UINT_PTR CloseTimerId = 1;
constexpr const wchar_t* ClassName = L"QuillonEmptyWindow";

void Say(const char* line) {
    std::puts(line);
    std::fflush(stdout);
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            if (wParam == CloseTimerId) {
                DestroyWindow(window);
                return 0;
            }
            break;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 30;
    if (seconds < 1 || seconds > 3600) {
        std::fprintf(stderr, "usage: empty_window [SECONDS]\n");
        return 2;
    }
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &WindowProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = ClassName;
    if (RegisterClassExW(&windowClass) == 0) {
        Say("empty-window: the class cannot be registered");
        return 1;
    }
    // Destroyed by the close timer or by WM_CLOSE's default handling, both before the loop
    // ends; nothing is left to own afterwards.
    HWND window = CreateWindowExW(0, ClassName, L"empty_window", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 640,
                                  480, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (window == nullptr) {
        Say("empty-window: no window");
        return 1;
    }
    quillon::framework::WindowTimer closeTimer;
    closeTimer.Start(window, CloseTimerId, static_cast<UINT>(seconds) * 1000u);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    Say("empty-window shown");

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    Say("empty-window closed");
    return static_cast<int>(message.wParam);
}
