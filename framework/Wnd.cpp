#include "framework/Wnd.h"

#include <vector>

#include "framework/TextConversion.h"

namespace quillon::framework {

namespace {

// The property every window with an object carries, so FromHandle works for plain
// windows and dialogs alike.
const wchar_t* const ObjectProperty = L"Quillon.CWnd";

// The object CreateEx is creating on this thread. WM_NCCREATE accepts lpCreateParams
// only when it is this pointer: a control made from a dialog template may carry
// creation data of its own there, which must never be taken for an object.
thread_local CWnd* creatingWindow = nullptr;

HINSTANCE ModuleInstance() {
    return GetModuleHandleW(nullptr);
}

}  // namespace

bool RegisterWindowClassOnce(const wchar_t* className, UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon,
                             WNDPROC procedure) {
    WNDCLASSEXW existing = {};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(ModuleInstance(), className, &existing)) return true;
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = classStyle;
    windowClass.lpfnWndProc = procedure != nullptr ? procedure : CWnd::StaticWindowProc;
    windowClass.hInstance = ModuleInstance();
    windowClass.hCursor = cursor;
    windowClass.hbrBackground = background;
    windowClass.hIcon = icon;
    windowClass.lpszClassName = className;
    return RegisterClassExW(&windowClass) != 0;
}

CWnd::~CWnd() {
    if (hwnd_ && owned_ && ::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
    // A borrowed or already dead window keeps nothing of ours.
    hwnd_ = nullptr;
}

bool CWnd::CreateEx(DWORD exStyle, const wchar_t* className, const std::string& title, DWORD style, int x, int y,
                    int width, int height, HWND parent, HMENU menuOrId) {
    if (hwnd_) return false;
    std::wstring wideTitle = WideFromCodePage936(title);
    CWnd* outer = creatingWindow;
    creatingWindow = this;
    HWND made = CreateWindowExW(exStyle, className, wideTitle.c_str(), style, x, y, width, height, parent, menuOrId,
                                ModuleInstance(), this);
    creatingWindow = outer;
    if (!made) {
        hwnd_ = nullptr;
        return false;
    }
    return true;
}

bool CWnd::SubclassWindow(HWND window) {
    if (hwnd_ || !window || FromHandle(window)) return false;
    DWORD processId = 0;
    if (GetWindowThreadProcessId(window, &processId) != GetCurrentThreadId()) return false;
    BindToWindow(window);
    auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::StaticWindowProc)));
    // A window of a class registered here already runs StaticWindowProc; its default is
    // then DefWindowProcW, not a call back into ourselves.
    previousProc_ = previous == &CWnd::StaticWindowProc ? nullptr : previous;
    OnSubclassed();
    return true;
}

void CWnd::Attach(HWND window) {
    hwnd_ = window;
    owned_ = false;
}

HWND CWnd::Detach() {
    HWND window = hwnd_;
    if (owned_) return nullptr;  // an owned window stays bound to its object
    hwnd_ = nullptr;
    return window;
}

bool CWnd::DestroyWindow() {
    if (!hwnd_) return false;
    HWND window = hwnd_;
    if (!owned_) hwnd_ = nullptr;
    return ::DestroyWindow(window) != FALSE;
}

CWnd* CWnd::FromHandle(HWND window) {
    if (!window) return nullptr;
    return static_cast<CWnd*>(GetPropW(window, ObjectProperty));
}

bool CWnd::PreTranslateMessage(MSG& /*message*/) {
    return false;
}

void CWnd::SetText(const std::string& text) {
    if (hwnd_) ::SetWindowTextW(hwnd_, WideFromCodePage936(text).c_str());
}

std::string CWnd::GetText() const {
    if (!hwnd_) return {};
    int length = GetWindowTextLengthW(hwnd_);
    if (length <= 0) return {};
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    int copied = ::GetWindowTextW(hwnd_, buffer.data(), length + 1);
    return CodePage936FromWide(std::wstring_view(buffer.data(), static_cast<size_t>(copied > 0 ? copied : 0)));
}

LRESULT CWnd::Send(UINT message, WPARAM wParam, LPARAM lParam) const {
    return hwnd_ ? ::SendMessageW(hwnd_, message, wParam, lParam) : 0;
}

bool CWnd::Post(UINT message, WPARAM wParam, LPARAM lParam) const {
    return hwnd_ && ::PostMessageW(hwnd_, message, wParam, lParam) != FALSE;
}

bool CWnd::ShowWindow(int command) const {
    return hwnd_ && ::ShowWindow(hwnd_, command) != FALSE;
}

bool CWnd::MoveWindow(int x, int y, int width, int height, bool repaint) const {
    return hwnd_ && ::MoveWindow(hwnd_, x, y, width, height, repaint ? TRUE : FALSE) != FALSE;
}

RECT CWnd::GetClientRect() const {
    RECT area = {};
    if (hwnd_) ::GetClientRect(hwnd_, &area);
    return area;
}

RECT CWnd::GetWindowRect() const {
    RECT area = {};
    if (hwnd_) ::GetWindowRect(hwnd_, &area);
    return area;
}

void CWnd::Invalidate(bool erase) const {
    if (hwnd_) InvalidateRect(hwnd_, nullptr, erase ? TRUE : FALSE);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && OnTimer(static_cast<UINT_PTR>(wParam))) return 0;
    return DefaultProc(message, wParam, lParam);
}

LRESULT CWnd::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (previousProc_) return CallWindowProcW(previousProc_, hwnd_, message, wParam, lParam);
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void CWnd::BindToWindow(HWND window) {
    hwnd_ = window;
    owned_ = true;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetPropW(window, ObjectProperty, this);
}

void CWnd::ReleaseFromWindow() {
    HWND window = hwnd_;
    if (!window) return;
    RemovePropW(window, ObjectProperty);
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    if (previousProc_) {
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc_));
        previousProc_ = nullptr;
    }
    hwnd_ = nullptr;
    owned_ = false;
    OnFinalMessage(window);
}

LRESULT CALLBACK CWnd::StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* self = nullptr;
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        if (creation && creation->lpCreateParams && creation->lpCreateParams == creatingWindow) {
            self = creatingWindow;
            creatingWindow = nullptr;
            self->BindToWindow(window);
        }
    } else {
        self = reinterpret_cast<CWnd*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        LRESULT result = self->WindowProc(message, wParam, lParam);
        self->ReleaseFromWindow();
        return result;
    }
    return self->WindowProc(message, wParam, lParam);
}

}  // namespace quillon::framework
