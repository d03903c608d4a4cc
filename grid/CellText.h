#pragma once

#include <windows.h>

#include <string_view>

namespace quillon::grid {

// How a cell's text reaches the DC.
enum class CellTextPath {
    // ExtTextOutW at a position worked out here, for the formats where that draws exactly
    // the pixels DrawTextW draws; DrawTextW for the rest.
    Fastest,
    // DrawTextW always: what the fast path is compared against.
    DrawText,
};

// Draws `text` into `rect` as DrawTextW(dc, text, rect, format | DT_NOPREFIX) does, in
// the DC's font, text colour and background mode, and returns the path that drew it.
//
// ExtTextOutW draws one line of text at about half the cost of DrawTextW under Wine. The
// fast path takes single-line formats with any horizontal and vertical alignment, clipped
// at the rectangle or not, and an end ellipsis while the text fits (DrawTextW adds none
// then). DrawTextW stays for what would need its own layout: several lines, word breaks,
// tab expansion, an ellipsis that has to be placed, control characters, rectangles with
// no inside, and DCs whose text alignment or mapping mode is not the default.
CellTextPath DrawCellText(HDC dc, std::wstring_view text, const RECT& rect, UINT format,
                          CellTextPath path = CellTextPath::Fastest);

}  // namespace quillon::grid
