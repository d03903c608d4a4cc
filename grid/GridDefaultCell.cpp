#include "grid/GridDefaultCell.h"

namespace quillon::grid {

using framework::SelectionGuard;
using framework::WindowDc;

CGridDefaultCell::CGridDefaultCell() {
    SetFormat(DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    LOGFONTW font = SystemMessageFont();
    SetFont(&font);
}

LOGFONTW CGridDefaultCell::SystemMessageFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return metrics.lfMessageFont;

    // Made once: every later default cell of the process uses the same description.
    static const LOGFONTW fallback = [] {
        LOGFONTW font{};
        int pixelsPerInch = 96;
        WindowDc screen(nullptr);
        if (screen) pixelsPerInch = GetDeviceCaps(screen.Get(), LOGPIXELSY);
        font.lfHeight = -MulDiv(100, pixelsPerInch, 720);  // 10 points, given in tenths
        font.lfWeight = FW_NORMAL;
        font.lfCharSet = DEFAULT_CHARSET;
        wcscpy_s(font.lfFaceName, L"宋体");
        return font;
    }();
    return fallback;
}

void CGridDefaultCell::SetFont(const LOGFONTW* font) {
    if (font == nullptr) return;
    fontObject_.Reset(CreateFontIndirectW(font));
    CGridCell::SetFont(font);

    WindowDc screen(nullptr);
    SetMargin(1);
    if (!screen) {
        width_ = 40;
        height_ = 14;
        return;
    }
    SelectionGuard selected(screen.Get(), fontObject_.Get());
    const wchar_t probe[] = L" XXXXXXXXXX ";
    SIZE extent{};
    GetTextExtentPoint32W(screen.Get(), probe, 12, &extent);
    width_ = extent.cx;
    height_ = extent.cy + 2;
}

}  // namespace quillon::grid
