#include <optional>
#include <utility>

#include "framework/GdiObjects.h"
#include "framework/OffscreenBuffer.h"
#include "grid/GridCtrl.h"

namespace quillon::grid {

using framework::OwnedBrush;
using framework::OwnedPen;
using framework::SavedDcState;
using framework::SelectionGuard;
using framework::WindowDc;

namespace {

// A default cell whose colour was reset to "not set" still needs a real colour here.
COLORREF SolidColour(COLORREF colour, int systemColour) {
    return colour == GridColourNotSet ? GetSysColor(systemColour) : colour;
}

void FillPart(HDC dc, const RECT& clip, RECT part, COLORREF colour) {
    RECT visible{};
    if (!IntersectRect(&visible, &clip, &part)) return;
    OwnedBrush brush(CreateSolidBrush(colour));
    if (brush) FillRect(dc, &visible, brush.Get());
}

}  // namespace

void CGridCtrl::Paint(HDC dc, const RECT& area) {
    if (dc == nullptr) return;
    SavedDcState saved(dc);
    IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
    if (doubleBuffer_) {
        framework::OffscreenBuffer buffer(dc);
        DrawGrid(buffer.Get());
    } else {
        DrawGrid(dc);
    }
}

void CGridCtrl::DrawGrid(HDC dc) {
    RECT clip{};
    if (!allowDraw_ || GetClipBox(dc, &clip) == ERROR) return;
    SavedDcState saved(dc);
    const auto font = static_cast<HFONT>(GetCurrentObject(dc, OBJ_FONT));
    struct PaintingInto {
        CGridCtrl& grid;
        HDC outerDc;
        HFONT outerFontBefore;
        HFONT outerFont;
        ~PaintingInto() {
            grid.paintDc_ = outerDc;
            grid.fontBeforePaint_ = outerFontBefore;
            grid.paintFont_ = outerFont;
        }
    } painting{*this, std::exchange(paintDc_, dc), std::exchange(fontBeforePaint_, font),
               std::exchange(paintFont_, font)};
    DrawCells(dc, clip);
}

void CGridCtrl::SelectFontForPaint(HFONT font) {
    if (paintDc_ == nullptr) return;
    if (font == nullptr) font = fontBeforePaint_;
    if (font == paintFont_ || font == nullptr) return;
    SelectObject(paintDc_, font);
    paintFont_ = font;
}

void CGridCtrl::DrawCells(HDC dc, const RECT& clip) {
    RECT visible{};
    const GridCellRange range = GetVisibleNonFixedCellRange(&visible);
    const int fixedWidth = GetFixedColumnWidth();
    const int fixedHeight = GetFixedRowHeight();

    FillPart(dc, clip, RECT{0, 0, fixedWidth, fixedHeight}, SolidColour(cornerDefault_.GetBackColour(), COLOR_BTNFACE));
    FillPart(dc, clip, RECT{0, fixedHeight, fixedWidth, visible.bottom},
             SolidColour(fixedColumnDefault_.GetBackColour(), COLOR_BTNFACE));
    FillPart(dc, clip, RECT{fixedWidth - 1, 0, visible.right, fixedHeight},
             SolidColour(fixedRowDefault_.GetBackColour(), COLOR_BTNFACE));
    FillPart(dc, clip, RECT{fixedWidth, fixedHeight, visible.right, visible.bottom},
             SolidColour(plainDefault_.GetBackColour(), COLOR_WINDOW));
    const COLORREF outside = SolidColour(gridBackColour_, COLOR_BTNSHADOW);
    FillPart(dc, clip, RECT{visible.right, 0, clip.right, clip.bottom}, outside);
    FillPart(dc, clip, RECT{0, visible.bottom, visible.right, clip.bottom}, outside);

    if (virtualMode_) SendCacheHint(range);

    // Rows and columns of size 0 take no space; a block stops at the first row below
    // (or column right of) the clip box and skips cells that end before it.
    auto drawBlock = [&](int firstRow, int lastRow, int top, int firstCol, int lastCol, int left) {
        int y = top;
        for (int row = firstRow; row <= lastRow; ++row) {
            const int height = GetRowHeight(row);
            if (height <= 0) continue;
            if (y >= clip.bottom) break;
            const int rowTop = y;
            y += height;
            if (y <= clip.top) continue;
            int x = left;
            for (int col = firstCol; col <= lastCol; ++col) {
                const int width = GetColumnWidth(col);
                if (width <= 0) continue;
                if (x >= clip.right) break;
                const int colLeft = x;
                x += width;
                if (x <= clip.left) continue;
                if (CGridCellBase* cell = GetCell(row, col)) {
                    cell->SetCoords(row, col);
                    cell->DrawCell(dc, row, col, RECT{colLeft, rowTop, x - 1, y - 1}, false);
                }
            }
        }
    };
    drawBlock(0, fixedRowCount_ - 1, 0, 0, fixedColumnCount_ - 1, 0);
    drawBlock(range.minRow, range.maxRow, fixedHeight, 0, fixedColumnCount_ - 1, 0);
    drawBlock(0, fixedRowCount_ - 1, 0, range.minCol, range.maxCol, fixedWidth);
    drawBlock(range.minRow, range.maxRow, fixedHeight, range.minCol, range.maxCol, fixedWidth);

    // Header cells draw their own borders; the lines here are for the scrolling cells.
    OwnedPen pen(CreatePen(PS_SOLID, 0, gridLineColour_));
    {
        SelectionGuard selected(dc, pen.Get());
        if ((gridLines_ & GridLines::Vertical) != 0) {
            int x = fixedWidth;
            for (int col = range.minCol; col <= range.maxCol; ++col) {
                const int width = GetColumnWidth(col);
                if (width <= 0) continue;
                x += width;
                MoveToEx(dc, x - 1, fixedHeight, nullptr);
                LineTo(dc, x - 1, visible.bottom);
            }
        }
        if ((gridLines_ & GridLines::Horizontal) != 0) {
            int y = fixedHeight;
            for (int row = range.minRow; row <= range.maxRow; ++row) {
                const int height = GetRowHeight(row);
                if (height <= 0) continue;
                y += height;
                MoveToEx(dc, fixedWidth, y - 1, nullptr);
                LineTo(dc, visible.right, y - 1);
            }
        }
    }
    if (virtualMode_) SendCacheHint(GridCellRange{});
}

bool CGridCtrl::RedrawCell(int row, int col) {
    if (!allowDraw_ || !IsCellVisible(row, col)) return false;
    RECT rect{};
    if (!GetCellRect(row, col, &rect)) return false;
    rect.right++;
    rect.bottom++;
    InvalidateRect(hwnd_, &rect, FALSE);
    return true;
}

bool CGridCtrl::RedrawCellNow(int row, int col, HDC dc) {
    if (!allowDraw_ || !IsCellVisible(row, col)) return false;
    RECT rect{};
    if (!GetCellRect(row, col, &rect)) return false;
    std::optional<WindowDc> windowDc;
    if (dc == nullptr) {
        windowDc.emplace(hwnd_);
        dc = windowDc->Get();
        if (dc == nullptr) {
            RECT area = {rect.left, rect.top, rect.right + 1, rect.bottom + 1};
            InvalidateRect(hwnd_, &area, FALSE);
            return false;
        }
    }
    CGridCellBase* cell = GetCell(row, col);
    if (cell == nullptr) return false;
    cell->SetCoords(row, col);
    const bool painted = cell->DrawCell(dc, row, col, rect, true);
    if (row >= fixedRowCount_ && col >= fixedColumnCount_) {
        OwnedPen pen(CreatePen(PS_SOLID, 0, gridLineColour_));
        SelectionGuard selected(dc, pen.Get());
        if ((gridLines_ & GridLines::Horizontal) != 0) {
            MoveToEx(dc, rect.left, rect.bottom, nullptr);
            LineTo(dc, rect.right + 1, rect.bottom);
        }
        if ((gridLines_ & GridLines::Vertical) != 0) {
            MoveToEx(dc, rect.right, rect.top, nullptr);
            LineTo(dc, rect.right, rect.bottom + 1);
        }
    }
    return painted;
}

void CGridCtrl::DrawBorder(HDC windowDc) {
    if (windowDc == nullptr || hwnd_ == nullptr) return;
    const RECT window = GetWindowRect();
    RECT frame = {0, 0, window.right - window.left, window.bottom - window.top};
    OwnedBrush grey(CreateSolidBrush(RGB(192, 192, 192)));
    if (!grey) return;
    FrameRect(windowDc, &frame, grey.Get());
    InflateRect(&frame, -1, -1);
    FrameRect(windowDc, &frame, grey.Get());
}

}  // namespace quillon::grid
