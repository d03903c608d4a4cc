#include "grid/CellText.h"

namespace quillon::grid {

namespace {

constexpr UINT FastFormats = DT_LEFT | DT_CENTER | DT_RIGHT | DT_TOP | DT_VCENTER | DT_BOTTOM | DT_SINGLELINE |
                             DT_NOPREFIX | DT_NOCLIP | DT_END_ELLIPSIS;

bool HasControlCharacter(std::wstring_view text) {
    for (wchar_t c : text) {
        if (c < L' ') return true;
    }
    return false;
}

bool FastPathDraws(HDC dc, std::wstring_view text, const RECT& rect, UINT format) {
    if ((format & DT_SINGLELINE) == 0 || (format & ~FastFormats) != 0) return false;
    if (rect.right <= rect.left || rect.bottom <= rect.top) return false;
    if (GetTextAlign(dc) != (TA_LEFT | TA_TOP | TA_NOUPDATECP) || GetMapMode(dc) != MM_TEXT) return false;
    return !HasControlCharacter(text);
}

}  // namespace

CellTextPath DrawCellText(HDC dc, std::wstring_view text, const RECT& rect, UINT format, CellTextPath path) {
    if (dc == nullptr || text.empty()) return path;
    format |= DT_NOPREFIX;
    const int length = static_cast<int>(text.size());
    if (path == CellTextPath::Fastest && FastPathDraws(dc, text, rect, format)) {
        SIZE extent{};
        if (GetTextExtentPoint32W(dc, text.data(), length, &extent)) {
            const int width = rect.right - rect.left;
            const int height = rect.bottom - rect.top;
            // Text that does not fit gets DrawTextW's ellipsis, placed by DrawTextW.
            if ((format & DT_END_ELLIPSIS) == 0 || extent.cx <= width) {
                // DrawTextW's own rounding, found pixel by pixel: the two centrings halve
                // different sums, each rounded towards zero.
                int x = rect.left;
                if ((format & DT_RIGHT) != 0) {
                    x = rect.right - extent.cx;
                } else if ((format & DT_CENTER) != 0) {
                    x = (rect.left + rect.right - extent.cx) / 2;
                }
                int y = rect.top;
                if ((format & DT_BOTTOM) != 0) {
                    y = rect.bottom - extent.cy;
                } else if ((format & DT_VCENTER) != 0) {
                    y = rect.top + height / 2 - extent.cy / 2;
                }
                const UINT options = (format & DT_NOCLIP) != 0 ? 0 : ETO_CLIPPED;
                ExtTextOutW(dc, x, y, options, &rect, text.data(), static_cast<UINT>(length), nullptr);
                return CellTextPath::Fastest;
            }
        }
    }
    RECT box = rect;
    DrawTextW(dc, text.data(), length, &box, format);
    return CellTextPath::DrawText;
}

}  // namespace quillon::grid
