#pragma once

#include <windows.h>

namespace quillon::framework {

// A WM_TIMER timer of one window, killed when stopped or when this object goes.
// Not copyable; the window must outlive the object or be destroyed with it (a timer of
// a destroyed window is gone already, and KillTimer then fails harmlessly).
class WindowTimer {
public:
    WindowTimer() = default;
    ~WindowTimer() { Stop(); }
    WindowTimer(const WindowTimer&) = delete;
    WindowTimer& operator=(const WindowTimer&) = delete;

    bool Start(HWND window, UINT_PTR id, UINT intervalMs) {
        Stop();
        if (!window || SetTimer(window, id, intervalMs, nullptr) == 0) return false;
        window_ = window;
        id_ = id;
        return true;
    }
    void Stop() {
        if (window_) KillTimer(window_, id_);
        window_ = nullptr;
    }
    bool IsRunning() const { return window_ != nullptr; }
    UINT_PTR Id() const { return id_; }

private:
    HWND window_ = nullptr;
    UINT_PTR id_ = 0;
};

}  // namespace quillon::framework
