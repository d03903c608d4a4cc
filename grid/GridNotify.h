#pragma once

// Records the grid sends its parent in WM_NOTIFY, and their codes.

#include <windows.h>

// <commctrl.h> builds on the types of <windows.h>.
#include <commctrl.h>

#include <string>

#include "grid/GridTypes.h"

namespace quillon::grid {

// The codes share their values with the list view's (LVN_ITEMCHANGING ...), so a parent
// that knows one knows the other.
constexpr int GN_SELCHANGING = -100;
constexpr int GN_SELCHANGED = -101;
constexpr int GN_BEGINLABELEDIT = -105;
constexpr int GN_ENDLABELEDIT = -106;
constexpr int GN_BEGINDRAG = -109;
constexpr int GN_ODCACHEHINT = -113;
constexpr int GN_GETDISPINFO = -150;
// NM_CLICK (-2), NM_DBLCLK (-3) and NM_RCLICK (-5) come from <commctrl.h>.

// NM_CLICK, NM_DBLCLK, NM_RCLICK, GN_SELCHANGING, GN_SELCHANGED, GN_BEGINLABELEDIT,
// GN_BEGINDRAG: which cell; (-1, -1) when none.
struct GridNotifyRecord {
    NMHDR header;
    int row;
    int column;
};

// GN_ODCACHEHINT: the cells about to be read in virtual mode; all -1 when the reading ends.
struct GridCacheHintRecord {
    NMHDR header;
    GridCellRange range;
};

// Bits of GridDisplayRecord::mask.
namespace GridDisplayMask {
constexpr UINT Text = 0x0001;
constexpr UINT Data = 0x0002;
constexpr UINT State = 0x0004;
constexpr UINT Image = 0x0008;
constexpr UINT Format = 0x0010;
constexpr UINT BackColour = 0x0020;
constexpr UINT TextColour = 0x0040;
constexpr UINT Font = 0x0080;
constexpr UINT Margin = 0x0100;
constexpr UINT All = 0xFFFFFFFF;
}  // namespace GridDisplayMask

// GN_GETDISPINFO (virtual mode: the parent or the display callback fills it for one
// cell) and GN_ENDLABELEDIT (the edited text, the key that ended editing in data).
struct GridDisplayRecord {
    NMHDR header{};
    int row = -1;
    int column = -1;
    UINT mask = 0;
    UINT state = 0;
    UINT format = 0;
    int image = -1;
    COLORREF backColour = GridColourNotSet;
    COLORREF textColour = GridColourNotSet;
    LPARAM data = 0;
    LOGFONTW font{};
    UINT margin = 0;
    std::string text;  // code page 936
};

}  // namespace quillon::grid
