#pragma once

#include <windows.h>

#include <string>

#include "framework/GdiObjects.h"
#include "framework/Wnd.h"

namespace quillon::grid {

inline constexpr wchar_t TitleTipClassName[] = L"ZTitleTip";

// The small top-most window that shows a cell's whole text over the cell when the text is
// cut off. It appears at once, holds the mouse capture while shown, and goes as soon as
// the pointer leaves the cell, a button is pressed (the press is passed on to the window
// under the pointer) or a key is pressed.
class CTitleTip : public framework::CWnd {
public:
    explicit CTitleTip(HWND parent);
    ~CTitleTip() override;

    // Creates the (hidden) tip window; true when it exists.
    bool Create();
    // All rectangles are in the parent's client coordinates. See CGridCtrl::TitleTipShow.
    void Show(const RECT& titleRect, const std::string& text, const LOGFONTW* font, COLORREF textColour,
              COLORREF backColour, const RECT* hoverRect);
    void Hide();
    bool IsShown() const { return hwnd_ != nullptr && IsWindowVisible(hwnd_) != FALSE; }
    const std::string& GetShownText() const { return text_; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnMouseMove(POINT point);
    void OnButtonDown(UINT message, POINT point);
    void Paint(HDC dc);
    HFONT FontFor(const LOGFONTW* font);

    HWND parent_;
    RECT hoverScreenRect_{};  // kept in screen coordinates: the tip moves, the cell does not
    LONG lastLeftClickTime_ = -1;
    UINT doubleClickTime_;
    std::string text_;
    COLORREF textColour_ = 0xFF000000;
    COLORREF backColour_ = 0xFF000000;
    framework::OwnedFont font_;
    LOGFONTW fontDescription_{};
    HFONT shownFont_ = nullptr;  // font_ or the parent's, borrowed
};

}  // namespace quillon::grid
