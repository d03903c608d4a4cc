#include "grid/GridCellBase.h"

// <commctrl.h> builds on the types of <windows.h>.
#include <commctrl.h>

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "framework/GdiObjects.h"
#include "framework/TextConversion.h"
#include "grid/CellText.h"
#include "grid/GridCtrl.h"
#include "grid/GridDefaultCell.h"

namespace quillon::grid {

using framework::SavedDcState;
using framework::SelectionGuard;
using framework::WideFromCodePage936;
using framework::WindowDc;

namespace {

bool IsRotatedVertically(const LOGFONTW* font) {
    return font != nullptr && (font->lfEscapement == 900 || font->lfEscapement == -900);
}

// The DC's own brush and pen take any colour without creating a GDI object per cell; the
// saved DC state of DrawCell puts their colours back.
void FillSolid(HDC dc, const RECT& area, COLORREF colour) {
    SetDCBrushColor(dc, colour);
    FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

void DrawPolyline(HDC dc, COLORREF colour, std::initializer_list<POINT> points) {
    SelectObject(dc, GetStockObject(DC_PEN));
    SetDCPenColor(dc, colour);
    Polyline(dc, points.begin(), static_cast<int>(points.size()));
}

bool ImageSize(HIMAGELIST images, int image, SIZE* size) {
    if (images == nullptr || image < 0) return false;
    IMAGEINFO info{};
    if (!ImageList_GetImageInfo(images, image, &info)) return false;
    size->cx = info.rcImage.right - info.rcImage.left;
    size->cy = info.rcImage.bottom - info.rcImage.top;
    return true;
}

SIZE TextExtent(HDC dc, std::string_view text) {
    std::wstring wide = WideFromCodePage936(text);
    SIZE size{};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    return size;
}

}  // namespace

CGridDefaultCell* CGridCellBase::GetDefaultCell() const {
    CGridCtrl* grid = GetGrid();
    if (grid == nullptr) return nullptr;
    return grid->GetDefaultCell(IsFixedRow(), IsFixedCol());
}

void CGridCellBase::CopyFrom(const CGridCellBase& other) {
    if (&other == this) return;
    SetGrid(other.GetGrid());
    SetText(other.GetText());
    SetImage(other.GetImage());
    SetData(other.GetData());
    SetState(other.GetState());
    SetFormat(other.GetFormat());
    SetTextColour(other.GetTextColour());
    SetBackColour(other.GetBackColour());
    SetFont(other.IsDefaultFont() ? nullptr : other.GetFont());
    SetMargin(other.GetMargin());
}

bool CGridCellBase::HandleSetCursor() {
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    return true;
}

bool CGridCellBase::DrawCell(HDC dc, int row, int col, RECT rect, bool eraseBackground) {
    CGridCtrl* grid = GetGrid();
    if (grid == nullptr || dc == nullptr) return false;
    if (rect.right - rect.left <= 0 || rect.bottom - rect.top <= 0) return false;

    // Inside the grid's paint every cell sets what it draws with, and the paint puts the
    // DC back once for all of them: saving and restoring the DC per cell re-selected the
    // font twice, the dearest GDI call of a cell under Wine.
    const bool inGridPaint = grid->IsPaintingInto(dc);
    std::optional<SavedDcState> savedState;
    if (!inGridPaint) savedState.emplace(dc);
    SetBkMode(dc, TRANSPARENT);
    CGridDefaultCell* defaultCell = GetDefaultCell();
    if (defaultCell == nullptr) return false;

    COLORREF textColour = GetTextColour() == GridColourNotSet ? defaultCell->GetTextColour() : GetTextColour();
    COLORREF backColour = defaultCell->GetBackColour();
    if (GetBackColour() != GridColourNotSet) {
        backColour = GetBackColour();
        eraseBackground = true;
    }
    const bool gridLinesOn = grid->GetGridLines() != GridLines::None;

    if (IsFocused() || IsDropHighlighted()) {
        if (IsSelected()) {
            backColour = GridSelectionBackColour;
            eraseBackground = true;
        }
        rect.right++;
        rect.bottom++;
        if (eraseBackground) FillSolid(dc, rect, backColour);
        if (gridLinesOn) {
            rect.right--;
            rect.bottom--;
        }
        if (grid->GetFrameFocusCell()) {
            // The inverse of the background actually painted, so the frame shows on any colour.
            SetDCBrushColor(dc, ~backColour & 0x00FFFFFF);
            FrameRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
        }
        SetTextColor(dc, textColour);
        if (!gridLinesOn) {
            rect.right--;
            rect.bottom--;
        }
    } else {
        RECT fill = {rect.left, rect.top, rect.right + 1, rect.bottom + 1};
        if (IsSelected()) {
            FillSolid(dc, fill, GridSelectionBackColour);
        } else if (eraseBackground) {
            FillSolid(dc, fill, backColour);
        }
        SetTextColor(dc, textColour);
    }

    if (IsFixed() && gridLinesOn) {
        GridCellId focus = grid->GetFocusCell();
        if (grid->GetTrackFocusCell() && focus.IsValid() && (focus.row == row || focus.col == col)) {
            RECT edge = {rect.left, rect.top, rect.right + 1, rect.bottom + 1};
            DrawEdge(dc, &edge, BDR_SUNKENINNER, BF_RECT);
        } else {
            DrawPolyline(dc, GetSysColor(COLOR_3DHIGHLIGHT),
                         {POINT{rect.right, rect.top}, POINT{rect.left, rect.top}, POINT{rect.left, rect.bottom}});
            DrawPolyline(dc, GetSysColor(COLOR_3DDKSHADOW),
                         {POINT{rect.right, rect.top}, POINT{rect.right, rect.bottom}, POINT{rect.left, rect.bottom}});
        }
        InflateRect(&rect, -1, -1);
    }

    // A font of the cell's own is one object shared by all such cells and re-made when
    // another is asked for, so it never stays selected past this cell.
    std::optional<SelectionGuard> ownFont;
    if (GetDeviceCaps(dc, TECHNOLOGY) != DT_RASPRINTER) {
        HFONT font = GetFontObject();
        if (!inGridPaint) {
            if (font != nullptr) SelectObject(dc, font);  // undone by the saved state
        } else if (IsDefaultFont()) {
            grid->SelectFontForPaint(font);
        } else {
            ownFont.emplace(dc, font);
        }
    }

    const int margin = static_cast<int>(GetMargin());
    InflateRect(&rect, -margin, -margin);
    rect.right++;
    rect.bottom++;

    HIMAGELIST images = grid->GetImageList();
    SIZE imageSize{};
    if (ImageSize(images, GetImage(), &imageSize)) {
        if (rect.right - rect.left >= imageSize.cx && rect.bottom - rect.top >= imageSize.cy)
            ImageList_Draw(images, GetImage(), dc, rect.left, rect.top, ILD_NORMAL);
    }

    if (row == 0 && col == grid->GetSortColumn()) DrawSortArrow(dc, &rect, grid->GetSortAscending());

    GetTextRect(&rect);
    rect.right++;
    rect.bottom++;
    const char* narrow = GetText();
    if (narrow[0] == '\0') return true;
    // Text at an angle does not run along the rectangle, so our alignment would not hold.
    const LOGFONTW* description = GetFont();
    const bool angled = description != nullptr && (description->lfEscapement != 0 || description->lfOrientation != 0);
    const CellTextPath path = angled ? CellTextPath::DrawText : CellTextPath::Fastest;
    DrawCellText(dc, WideFromCodePage936(narrow), rect, GetFormat(), path);
    return true;
}

void CGridCellBase::DrawSortArrow(HDC dc, RECT* rect, bool ascending) const {
    int size = TextExtent(dc, "M").cy - 4;
    if (size >= rect->bottom - rect->top) size = rect->bottom - rect->top - 4;
    if (size <= 0 || size + rect->left >= rect->right) return;

    const bool rotated = IsRotatedVertically(GetFont());
    const int top = rect->bottom - size - 2;
    const int left = rotated ? (rect->left + rect->right - size) / 2 : rect->right - size;

    // Shadow one pixel down and right in the highlight colour, then the arrow itself.
    auto drawTriangle = [&](int offset, COLORREF colour) {
        const int x = left + offset;
        const int y = top + offset;
        const int apexX = x + size / 2;
        if (ascending) {
            DrawPolyline(dc, colour, {POINT{apexX, y}, POINT{x + size, y + size}, POINT{x, y + size}, POINT{apexX, y}});
        } else {
            DrawPolyline(dc, colour, {POINT{apexX, y + size}, POINT{x + size, y}, POINT{x, y}, POINT{apexX, y + size}});
        }
    };
    drawTriangle(1, GetSysColor(COLOR_3DHIGHLIGHT));
    drawTriangle(0, GetSysColor(COLOR_3DSHADOW));

    if (!rotated) rect->right -= size;
}

bool CGridCellBase::GetTextRect(RECT* rect) const {
    if (rect == nullptr) return false;
    CGridCtrl* grid = GetGrid();
    SIZE imageSize{};
    if (grid != nullptr && ImageSize(grid->GetImageList(), GetImage(), &imageSize))
        rect->left += imageSize.cx + static_cast<int>(GetMargin()) + 1;
    return true;
}

SIZE CGridCellBase::MeasureText(const char* text, HDC dc) const {
    const bool haveText = text != nullptr && text[0] != '\0';
    if (dc == nullptr && !haveText) {
        CGridDefaultCell* defaultCell = GetDefaultCell();
        if (defaultCell == nullptr) return SIZE{0, 0};
        return SIZE{defaultCell->GetWidth(), defaultCell->GetHeight()};
    }
    // Without a DC of the caller's, the grid window's for the duration (the screen's
    // when there is no window).
    CGridCtrl* grid = GetGrid();
    std::optional<WindowDc> ownDc;
    if (dc == nullptr) {
        ownDc.emplace(grid != nullptr ? grid->GetSafeHwnd() : nullptr);
        dc = ownDc->Get();
        if (dc == nullptr) return SIZE{0, 0};
    }
    SelectionGuard font(dc, GetFontObject());

    const std::string_view all = haveText ? std::string_view(text) : std::string_view();
    const DWORD format = GetFormat();
    SIZE size{};
    if ((format & DT_SINGLELINE) != 0 || (format & DT_WORDBREAK) == 0) {
        size = TextExtent(dc, all);
    } else {
        std::string_view rest = all;
        LONG widest = 0;
        while (true) {
            size_t end = rest.find('\n');
            std::string_view line = rest.substr(0, end);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            widest = std::max(widest, TextExtent(dc, line).cx);
            if (end == std::string_view::npos) break;
            rest.remove_prefix(end + 1);
        }
        std::wstring wide = WideFromCodePage936(all);
        RECT box = {0, 0, widest + 1, 0};
        DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &box, format | DT_CALCRECT | DT_NOPREFIX);
        size.cx = widest;
        size.cy = box.bottom - box.top;
    }
    const LONG margin = static_cast<LONG>(GetMargin());
    size.cx += 2 * margin;
    size.cy += 2 * margin;
    if (IsRotatedVertically(GetFont())) {
        LONG width = size.cx;
        size.cx = size.cy;
        size.cy = width + 4 * margin;
    }
    return size;
}

SIZE CGridCellBase::MeasureCell(HDC dc) const {
    SIZE textSize = MeasureText(GetText(), dc);
    SIZE imageSize{};
    CGridCtrl* grid = GetGrid();
    if (grid != nullptr && ImageSize(grid->GetImageList(), GetImage(), &imageSize)) {
        const LONG margin = static_cast<LONG>(GetMargin());
        if (2 * margin < textSize.cx) imageSize.cx += margin;
        imageSize.cy += 2 * margin;
    } else {
        imageSize = SIZE{0, 0};
    }
    SIZE size{textSize.cx + imageSize.cx + 1, std::max(textSize.cy, imageSize.cy) + 1};
    if (IsFixed()) {
        size.cx++;
        size.cy++;
    }
    return size;
}

}  // namespace quillon::grid
