// empty_window: a window program with nothing in it. It registers a class, creates and
// shows a window and pumps its messages until the window is closed or SECONDS have passed.
// Its resident set under Wine is what any window program costs there (Wine's own
// libraries, the wineserver link, the X connection); Quillon's is read above it.
//
// Usage: empty_window [SECONDS [WINDOWS WIDTH HEIGHT]]  (default 30 s, one 640 x 480 window)
// With more windows of a board's size, the figure is what Wine itself keeps for that many
// top-level windows (under Wine each has a surface of its own in the process: 4 bytes a
// pixel), which tells Quillon's own memory from its windows'.
// Output: "empty-window shown" once the windows have been shown and painted, then
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
    const int windows = argc > 2 ? std::atoi(argv[2]) : 1;
    const int width = argc > 3 ? std::atoi(argv[3]) : 640;
    const int height = argc > 4 ? std::atoi(argv[4]) : 480;
    if (seconds < 1 || seconds > 3600 || windows < 1 || windows > 100 || width < 1 || width > 10000 || height < 1 ||
        height > 10000) {
        std::fprintf(stderr, "usage: empty_window [SECONDS [WINDOWS WIDTH HEIGHT]]\n");
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
    // Any window's end, by the close timer or WM_CLOSE's default handling, ends the loop;
    // the others go with the process.
    HWND first = nullptr;
    for (int i = 0; i < windows; ++i) {
        HWND window = CreateWindowExW(0, ClassName, L"empty_window", WS_OVERLAPPEDWINDOW, 20 * i, 20 * i, width, height,
                                      nullptr, nullptr, windowClass.hInstance, nullptr);
        if (window == nullptr) {
            Say("empty-window: no window");
            return 1;
        }
        ShowWindow(window, SW_SHOW);
        UpdateWindow(window);
        if (first == nullptr) first = window;
    }
    quillon::framework::WindowTimer closeTimer;
    closeTimer.Start(first, CloseTimerId, static_cast<UINT>(seconds) * 1000u);
    Say("empty-window shown");

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    Say("empty-window closed");
    return static_cast<int>(message.wParam);
}
