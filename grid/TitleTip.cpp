#include "grid/TitleTip.h"

#include <cstring>

#include "framework/TextConversion.h"

namespace quillon::grid {

using framework::SelectionGuard;
using framework::WideFromCodePage936;
using framework::WindowDc;

namespace {

constexpr COLORREF ColourNotSet = 0xFF000000;

POINT ScreenPoint(HWND window, POINT client) {
    ClientToScreen(window, &client);
    return client;
}

LPARAM PackPoint(POINT point) {
    return MAKELPARAM(static_cast<WORD>(static_cast<SHORT>(point.x)), static_cast<WORD>(static_cast<SHORT>(point.y)));
}

// The window that gets what the tip does not keep: the one under the pointer, the
// grid when that is the tip itself.
HWND WindowUnder(POINT screen, HWND tip, HWND parent) {
    HWND target = WindowFromPoint(screen);
    return target == nullptr || target == tip ? parent : target;
}

}  // namespace

CTitleTip::CTitleTip(HWND parent) : parent_(parent), doubleClickTime_(GetDoubleClickTime()) {
    framework::RegisterWindowClassOnce(TitleTipClassName, CS_SAVEBITS, LoadCursorW(nullptr, IDC_ARROW),
                                       reinterpret_cast<HBRUSH>(COLOR_INFOBK + 1));
}

CTitleTip::~CTitleTip() {
    if (IsWindow() && GetCapture() == hwnd_) ReleaseCapture();
}

bool CTitleTip::Create() {
    if (IsWindow()) return true;
    return CreateEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, TitleTipClassName, std::string(), WS_POPUP | WS_BORDER, 0, 0, 0,
                    0, nullptr, nullptr);
}

HFONT CTitleTip::FontFor(const LOGFONTW* font) {
    if (font == nullptr) return reinterpret_cast<HFONT>(SendMessageW(parent_, WM_GETFONT, 0, 0));
    if (!font_ || std::memcmp(&fontDescription_, font, sizeof fontDescription_) != 0) {
        font_.Reset(CreateFontIndirectW(font));
        fontDescription_ = *font;
    }
    return font_.Get();
}

void CTitleTip::Show(const RECT& titleRect, const std::string& text, const LOGFONTW* font, COLORREF textColour,
                     COLORREF backColour, const RECT* hoverRect) {
    if (!Create()) return;
    if (IsRectEmpty(&titleRect) || IsShown() || GetFocus() == nullptr) return;

    RECT hover = hoverRect != nullptr ? *hoverRect : titleRect;
    hover.right++;
    hover.bottom++;
    MapWindowPoints(parent_, nullptr, reinterpret_cast<POINT*>(&hover), 2);
    hoverScreenRect_ = hover;

    const std::string padded = " " + text + " ";
    const std::wstring wide = WideFromCodePage936(padded);
    HFONT shownFont = FontFor(font);
    int needed = 0;
    {
        WindowDc dc(hwnd_);
        if (!dc) return;
        SelectionGuard selected(dc.Get(), shownFont);
        SIZE size{};
        GetTextExtentPoint32W(dc.Get(), wide.c_str(), static_cast<int>(wide.size()), &size);
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc.Get(), &metrics);
        needed = size.cx + metrics.tmOverhang;
    }
    if (titleRect.right - titleRect.left >= needed) return;

    RECT screen = titleRect;
    MapWindowPoints(parent_, nullptr, reinterpret_cast<POINT*>(&screen), 2);
    text_ = padded;
    textColour_ = textColour;
    backColour_ = backColour;
    shownFont_ = shownFont;
    SetWindowPos(hwnd_, HWND_TOPMOST, screen.left, screen.top, needed, screen.bottom - screen.top,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE);
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    SetCapture(hwnd_);
}

void CTitleTip::Hide() {
    if (!IsWindow()) return;
    if (GetCapture() == hwnd_) ReleaseCapture();
    ::ShowWindow(hwnd_, SW_HIDE);
}

void CTitleTip::Paint(HDC dc) {
    RECT clip{};
    GetClipBox(dc, &clip);
    if (backColour_ != ColourNotSet) {
        SetDCBrushColor(dc, backColour_);
        FillRect(dc, &clip, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    } else {
        FillRect(dc, &clip, GetSysColorBrush(COLOR_INFOBK));
    }
    SetTextColor(dc, textColour_ != ColourNotSet ? textColour_ : GetSysColor(COLOR_INFOTEXT));
    SetBkMode(dc, TRANSPARENT);
    SelectionGuard selected(dc, shownFont_);
    const std::wstring wide = WideFromCodePage936(text_);
    TextOutW(dc, 0, 0, wide.c_str(), static_cast<int>(wide.size()));
}

void CTitleTip::OnMouseMove(POINT point) {
    const POINT screen = ScreenPoint(hwnd_, point);
    if (PtInRect(&hoverScreenRect_, screen)) return;
    Hide();
    HWND target = WindowUnder(screen, hwnd_, parent_);
    if (target == nullptr) return;
    const LRESULT hit = SendMessageW(target, WM_NCHITTEST, 0, PackPoint(screen));
    if (hit == HTCLIENT) {
        POINT client = screen;
        ScreenToClient(target, &client);
        SendMessageW(target, WM_MOUSEMOVE, 0, PackPoint(client));
    } else {
        SendMessageW(target, WM_NCMOUSEMOVE, static_cast<WPARAM>(hit), PackPoint(screen));
    }
}

void CTitleTip::OnButtonDown(UINT message, POINT point) {
    const POINT screen = ScreenPoint(hwnd_, point);
    Hide();
    HWND target = WindowUnder(screen, hwnd_, parent_);
    if (target == nullptr) return;
    if (message == WM_LBUTTONDOWN) {
        const LONG now = GetMessageTime();
        if (lastLeftClickTime_ != -1 && static_cast<UINT>(now - lastLeftClickTime_) < doubleClickTime_) {
            message = WM_LBUTTONDBLCLK;
        }
        lastLeftClickTime_ = now;
    }
    const LRESULT hit = SendMessageW(target, WM_NCHITTEST, 0, PackPoint(screen));
    if (hit == HTCLIENT) {
        POINT client = screen;
        ScreenToClient(target, &client);
        WPARAM keys = 0;
        if (GetKeyState(VK_SHIFT) < 0) keys |= MK_SHIFT;
        if (GetKeyState(VK_CONTROL) < 0) keys |= MK_CONTROL;
        if (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK) keys |= MK_LBUTTON;
        if (message == WM_RBUTTONDOWN) keys |= MK_RBUTTON;
        if (message == WM_MBUTTONDOWN) keys |= MK_MBUTTON;
        PostMessageW(target, message, keys, PackPoint(client));
        return;
    }
    UINT nonClient = WM_NCLBUTTONDOWN;
    if (message == WM_RBUTTONDOWN) nonClient = WM_NCRBUTTONDOWN;
    if (message == WM_MBUTTONDOWN) nonClient = WM_NCMBUTTONDOWN;
    if (message == WM_LBUTTONDBLCLK) nonClient = WM_NCLBUTTONDBLCLK;
    PostMessageW(target, nonClient, static_cast<WPARAM>(hit), PackPoint(screen));
}

LRESULT CTitleTip::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    const POINT point{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
    switch (message) {
        case WM_PAINT: {
            framework::PaintDc paint(hwnd_);
            if (paint.Get() != nullptr) Paint(paint.Get());
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;  // Paint fills the whole tip
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        case WM_MOUSEMOVE:
            OnMouseMove(point);
            return 0;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            OnButtonDown(message, point);
            return 0;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            Hide();
            PostMessageW(parent_, message, wParam, lParam);
            return 0;
        case WM_CAPTURECHANGED:
            // A tip without the capture would never see the pointer leave.
            if (reinterpret_cast<HWND>(lParam) != hwnd_ && IsShown()) ::ShowWindow(hwnd_, SW_HIDE);
            return 0;
        default:
            if (IsShown() && GetFocus() == nullptr) Hide();
            break;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

}  // namespace quillon::grid
