// quillon_window_count PID: prints "windows N", the number of windows of process PID
// (top-level ones, shown or hidden, and all their descendants), from inside the Wine
// session. The end-to-end leak checks use it: Wine 8 reports no USER object counts, and X
// sees only the windows that are shown.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

struct Count {
    DWORD pid;
    long windows;
};

BOOL CALLBACK CountChild(HWND, LPARAM data) {
    ++reinterpret_cast<Count*>(data)->windows;
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM data) {
    auto* count = reinterpret_cast<Count*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != count->pid) return TRUE;
    ++count->windows;
    // Every descendant, not only direct children.
    EnumChildWindows(window, CountChild, data);
    return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: quillon_window_count PID\n");
        return 2;
    }
    Count count{static_cast<DWORD>(std::strtoul(argv[1], nullptr, 0)), 0};
    EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&count));
    std::printf("windows %ld\n", count.windows);
    return 0;
}
