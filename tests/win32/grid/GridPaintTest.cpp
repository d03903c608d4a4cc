// What the grid paints, read back from a memory DC.
#include "GridTestSupport.h"

// <commctrl.h> builds on the types of <windows.h>.
#include <commctrl.h>

#include <set>

namespace quillon::grid::testing {
namespace {

using GridPaint = GridFixture;

constexpr COLORREF Red = RGB(255, 0, 0);
constexpr COLORREF Green = RGB(0, 200, 0);
constexpr COLORREF Blue = RGB(0, 0, 255);

// The inside of a cell painted at `rect` (GetCellRect): without its grid lines or border.
RECT Inside(const RECT& rect) {
    return RECT{rect.left + 2, rect.top + 2, rect.right - 1, rect.bottom - 1};
}

TEST_F(GridPaint, NewCellShowsCentredSingleLineTextInTheDefaultColours) {
    Shape(3, 3, 1, 0, 120, 40);
    grid_->GetCell(1, 1)->SetText("8888");
    auto canvas = Render();
    RECT cell{};
    ASSERT_TRUE(grid_->GetCellRect(1, 1, &cell));
    EXPECT_EQ(cell.left, 120);
    EXPECT_EQ(cell.top, 40);
    const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
    RECT ink = canvas->Bounds(Inside(cell), text);
    ASSERT_GT(ink.right, ink.left) << "no text painted";
    const int cellCentreX = (cell.left + cell.right) / 2;
    const int cellCentreY = (cell.top + cell.bottom) / 2;
    EXPECT_NEAR((ink.left + ink.right) / 2, cellCentreX, 3);
    EXPECT_NEAR((ink.top + ink.bottom) / 2, cellCentreY, 4);
    EXPECT_LT(ink.bottom - ink.top, 20);  // one line
    EXPECT_EQ(canvas->At(cell.left + 1, cell.top + 1), GetSysColor(COLOR_WINDOW));
    // Grid lines on the cell's last pixel column and row.
    EXPECT_EQ(canvas->At(cell.right, cell.top + 5), RGB(192, 192, 192));
    EXPECT_EQ(canvas->At(cell.left + 5, cell.bottom), RGB(192, 192, 192));
}

TEST_F(GridPaint, OwnBackColourPaintsAlthoughTheGridDoesNotErase) {
    Shape(3, 3, 1, 0, 100, 30);
    grid_->GetCell(1, 1)->SetBackColour(Green);
    auto canvas = Render();
    RECT cell{}, neighbour{};
    grid_->GetCellRect(1, 1, &cell);
    grid_->GetCellRect(1, 2, &neighbour);
    EXPECT_EQ(canvas->Count(Inside(cell), Green), (cell.right - cell.left - 3) * (cell.bottom - cell.top - 3));
    EXPECT_EQ(canvas->At(neighbour.left + 3, neighbour.top + 3), GetSysColor(COLOR_WINDOW));
}

TEST_F(GridPaint, SelectedCellHasTheLightBlueBackgroundAndItsOwnTextColour) {
    Shape(3, 3, 1, 0, 120, 30);
    CGridCellBase* cell = grid_->GetCell(1, 1);
    cell->SetText("8888");
    cell->SetTextColour(Red);
    cell->SetBackColour(Green);
    grid_->SelectCellRange(1, 1, 1, 1);
    auto canvas = Render();
    RECT rect{};
    grid_->GetCellRect(1, 1, &rect);
    EXPECT_EQ(canvas->At(rect.left + 1, rect.top + 1), RGB(192, 192, 255));
    EXPECT_EQ(canvas->Count(Inside(rect), Green), 0);
    EXPECT_GT(canvas->Count(Inside(rect), Red), 5);
    EXPECT_EQ(canvas->Count(Inside(rect), GetSysColor(COLOR_HIGHLIGHT)), 0);

    // Focused and selected: the same background, framed in the inverse colour.
    grid_->SetFocusCell(1, 1);
    canvas = Render();
    EXPECT_EQ(canvas->At(rect.left + 2, rect.top + 2), RGB(192, 192, 255));
    EXPECT_EQ(canvas->At(rect.left, rect.top + 5), RGB(63, 63, 0));
    EXPECT_GT(canvas->Count(Inside(rect), Red), 5);
}

TEST_F(GridPaint, ImageLargerThanTheInnerRectangleIsNotDrawn) {
    Shape(3, 2, 1, 0, 100, 20);
    grid_->SetRowHeight(2, 40);
    HIMAGELIST images = ImageList_Create(24, 24, ILC_COLOR32, 1, 1);
    ASSERT_NE(images, nullptr);
    Canvas picture(24, 24);
    picture.Fill(Green);
    HBITMAP bitmap = CreateCompatibleBitmap(picture.Dc(), 24, 24);
    {
        HDC dc = CreateCompatibleDC(picture.Dc());
        HGDIOBJ old = SelectObject(dc, bitmap);
        BitBlt(dc, 0, 0, 24, 24, picture.Dc(), 0, 0, SRCCOPY);
        SelectObject(dc, old);
        DeleteDC(dc);
    }
    ASSERT_EQ(ImageList_Add(images, bitmap, nullptr), 0);
    DeleteObject(bitmap);
    grid_->SetImageList(images);
    grid_->GetCell(1, 1)->SetImage(0);  // 20 pixels high: too small
    grid_->GetCell(2, 1)->SetImage(0);  // 40 pixels high: room
    auto canvas = Render();
    RECT small{}, large{};
    grid_->GetCellRect(1, 1, &small);
    grid_->GetCellRect(2, 1, &large);
    EXPECT_EQ(canvas->Count(RECT{small.left, small.top, small.right + 1, small.bottom + 1}, Green), 0);
    EXPECT_EQ(canvas->Count(RECT{large.left, large.top, large.right + 1, large.bottom + 1}, Green), 24 * 24);
    // The image sits at the top-left of the margin-reduced rectangle.
    const int margin = static_cast<int>(grid_->GetCell(2, 1)->GetMargin());
    EXPECT_EQ(canvas->At(large.left + margin, large.top + margin), Green);
    grid_->SetImageList(nullptr);
    ImageList_Destroy(images);
}

TEST_F(GridPaint, SortArrowStandsAtTheRightEdgeAndShortensTheText) {
    Shape(3, 3, 1, 0, 120, 30);
    grid_->GetCell(0, 1)->SetText("WWWWWWWWWWWWWWWWWWWWWWWW");
    RECT header{};
    grid_->GetCellRect(0, 1, &header);
    const RECT inside = Inside(header);
    const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
    const COLORREF arrow = GetSysColor(COLOR_3DSHADOW);

    auto unsorted = Render();
    const RECT fullText = unsorted->Bounds(inside, text);
    ASSERT_GT(fullText.right, fullText.left);
    EXPECT_EQ(unsorted->Count(inside, arrow), 0);

    ASSERT_TRUE(grid_->SortByColumn(nullptr, 1, true));
    auto sorted = Render();
    const RECT arrowBox = sorted->Bounds(inside, arrow);
    ASSERT_GT(arrowBox.right, arrowBox.left) << "no arrow";
    EXPECT_GE(arrowBox.right, header.right - 4);
    EXPECT_GT(arrowBox.left, (header.left + header.right) / 2);
    const RECT shortText = sorted->Bounds(inside, text);
    EXPECT_LE(shortText.right, arrowBox.left + 1);
    EXPECT_LT(shortText.right, fullText.right - 4);
    // Only the sort column's header row shows it.
    RECT other{};
    grid_->GetCellRect(0, 2, &other);
    EXPECT_EQ(sorted->Count(Inside(other), arrow), 0);

    // A change in the sorted column ends the sort and the arrow.
    grid_->MarkCellModified(1, 1);
    auto modified = Render();
    EXPECT_EQ(modified->Count(inside, arrow), 0);
    EXPECT_EQ(modified->Bounds(inside, text).right, fullText.right);
}

TEST_F(GridPaint, SortArrowIsCentredUnderVerticalTextAndLeavesItsPlace) {
    Shape(3, 3, 1, 0, 120, 60);
    CGridCellBase* header = grid_->GetCell(0, 1);
    header->SetText("WWW");
    LOGFONTW font = *header->GetFont();
    font.lfEscapement = 900;
    font.lfOrientation = 900;
    header->SetFont(&font);
    RECT rect{};
    grid_->GetCellRect(0, 1, &rect);
    const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
    const RECT unsortedText = Render()->Bounds(Inside(rect), text);
    ASSERT_GT(unsortedText.right, unsortedText.left);

    ASSERT_TRUE(grid_->SortByColumn(nullptr, 1, false));
    auto canvas = Render();
    const RECT arrowBox = canvas->Bounds(Inside(rect), GetSysColor(COLOR_3DSHADOW));
    ASSERT_GT(arrowBox.right, arrowBox.left);
    EXPECT_NEAR((arrowBox.left + arrowBox.right) / 2, (rect.left + rect.right) / 2, 3);
    // The arrow sits below vertical text: the text keeps the whole width of its cell.
    const RECT sortedText = canvas->Bounds(Inside(rect), text);
    EXPECT_EQ(sortedText.left, unsortedText.left);
    EXPECT_EQ(sortedText.right, unsortedText.right);
}

TEST_F(GridPaint, HeadersAreRaisedAndThoseOfTheFocusRowAndColumnSunken) {
    Shape(4, 4, 1, 1, 60, 24);
    grid_->SetFocusCell(2, 2);
    auto canvas = Render();
    auto topLeftPixel = [&](int row, int col) {
        RECT rect{};
        grid_->GetCellRect(row, col, &rect);
        return canvas->At(rect.left + 3, rect.top);
    };
    const COLORREF raised = GetSysColor(COLOR_3DHIGHLIGHT);
    EXPECT_EQ(topLeftPixel(0, 1), raised);
    EXPECT_EQ(topLeftPixel(3, 0), raised);
    EXPECT_NE(topLeftPixel(0, 2), raised);  // the focus cell's column
    EXPECT_NE(topLeftPixel(2, 0), raised);  // the focus cell's row

    grid_->SetTrackFocusCell(false);
    canvas = Render();
    EXPECT_EQ(topLeftPixel(0, 2), raised);
    grid_->SetGridLines(GridLines::None);
    canvas = Render();
    EXPECT_EQ(topLeftPixel(0, 1), GetSysColor(COLOR_BTNFACE));
}

TEST_F(GridPaint, RowBandingSurvivesRepaintsAndTextChanges) {
    Shape(6, 3, 1, 0, 80, 20);
    const COLORREF grey = RGB(0xEB, 0xEB, 0xEB);
    for (int row = 1; row < 6; ++row) {
        for (int col = 0; col < 3; ++col) grid_->GetCell(row, col)->SetBackColour(row % 2 ? RGB(255, 255, 255) : grey);
    }
    for (int pass = 0; pass < 3; ++pass) {
        SCOPED_TRACE(pass);
        grid_->SetCellText(2, 1, pass == 1 ? "12.5" : "13.0");
        auto canvas = Render();
        for (int row = 1; row < 6; ++row) {
            RECT rect{};
            grid_->GetCellRect(row, 1, &rect);
            EXPECT_EQ(canvas->At(rect.left + 2, rect.top + 2), row % 2 ? RGB(255, 255, 255) : grey) << "row " << row;
        }
    }
}

TEST_F(GridPaint, HiddenColumnsTakeNoSpaceAndNoGridLine) {
    Shape(3, 4, 1, 0, 50, 20);
    grid_->SetGridLineColour(Blue);
    grid_->SetColumnWidth(1, 0);
    grid_->GetCell(1, 1)->SetBackColour(Red);
    grid_->GetCell(1, 1)->SetText("hidden");
    grid_->GetCell(1, 2)->SetBackColour(Green);
    auto canvas = Render();
    EXPECT_EQ(canvas->Count(RECT{0, 0, 400, 300}, Red), 0);
    EXPECT_EQ(canvas->At(51, 25), Green);
    std::set<int> lines;
    for (int x = 0; x < 400; ++x) {
        if (canvas->At(x, 25) == Blue) lines.insert(x);
    }
    EXPECT_EQ(lines, (std::set<int>{49, 99, 149}));
    RECT rect{};
    ASSERT_TRUE(grid_->GetCellRect(1, 2, &rect));
    EXPECT_EQ(rect.left, 50);
    // Sizing to content leaves hidden columns hidden.
    grid_->FitVisibleColumns();
    EXPECT_EQ(grid_->GetColumnWidth(1), 0);
    EXPECT_GT(grid_->GetColumnWidth(2), 0);
}

TEST_F(GridPaint, RowsThatFitNeedNoVerticalBarAndTheRestIsGridBackColour) {
    const COLORREF back = RGB(10, 20, 30);
    grid_->SetGridBackColour(back);
    Shape(4, 3, 1, 0, 60, 20);
    EXPECT_EQ(GetWindowLongPtrW(grid_->GetSafeHwnd(), GWL_STYLE) & WS_VSCROLL, 0);
    EXPECT_EQ(grid_->GetScrollBarsShown() & 2, 0);
    auto canvas = Render();
    EXPECT_EQ(canvas->At(30, 200), back);  // below the last row
    EXPECT_EQ(canvas->At(250, 10), back);  // right of the last column
    EXPECT_EQ(canvas->At(30, 30), GetSysColor(COLOR_WINDOW));

    ASSERT_TRUE(grid_->SetRowCount(40));
    for (int row = 0; row < 40; ++row) grid_->SetRowHeight(row, 20);
    grid_->UpdateScrollBars();
    EXPECT_NE(GetWindowLongPtrW(grid_->GetSafeHwnd(), GWL_STYLE) & WS_VSCROLL, 0);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE;
    ASSERT_TRUE(GetScrollInfo(grid_->GetSafeHwnd(), SB_VERT, &info));
    EXPECT_EQ(info.nMax, 39 * 20 - 1);
    EXPECT_EQ(static_cast<int>(info.nPage), grid_->GetClientRect().bottom - 20);
    EXPECT_EQ(GetWindowLongPtrW(grid_->GetSafeHwnd(), GWL_STYLE) & WS_HSCROLL, 0);
}

TEST_F(GridPaint, OneLineDownScrollsByTheFirstVisibleRowsHeight) {
    Shape(40, 3, 1, 0, 60, 20);
    grid_->SetRowHeight(1, 35);
    grid_->SetRowHeight(2, 0);
    grid_->SetRowHeight(3, 17);
    grid_->GetCell(3, 1)->SetBackColour(Green);
    grid_->UpdateScrollBars();
    HWND window = grid_->GetSafeHwnd();

    SendMessageW(window, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(grid_->GetScrollPosition(SB_VERT), 35);
    EXPECT_EQ(grid_->GetTopLeftNonFixedCell().row, 2);
    auto canvas = Render();
    EXPECT_EQ(canvas->At(90, 22), Green);  // row 3 right under the header

    SendMessageW(window, WM_VSCROLL, SB_LINEDOWN, 0);  // skips the hidden row
    EXPECT_EQ(grid_->GetScrollPosition(SB_VERT), 52);
    SendMessageW(window, WM_VSCROLL, SB_LINEUP, 0);
    EXPECT_EQ(grid_->GetScrollPosition(SB_VERT), 35);

    SendMessageW(window, WM_VSCROLL, SB_BOTTOM, 0);
    const int bottom = grid_->GetScrollPosition(SB_VERT);
    EXPECT_EQ(bottom, grid_->GetVirtualHeight() - 20 - (grid_->GetClientRect().bottom - 20));
    SendMessageW(window, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(grid_->GetScrollPosition(SB_VERT), bottom);
    SendMessageW(window, WM_VSCROLL, SB_PAGEUP, 0);
    EXPECT_EQ(grid_->GetScrollPosition(SB_VERT), bottom - (grid_->GetClientRect().bottom - 20));
    SendMessageW(window, WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(grid_->GetScrollPosition(SB_VERT), 0);
    EXPECT_EQ(grid_->GetTopLeftNonFixedCell().row, 1);
}

TEST_F(GridPaint, RedrawSwitchOffPaintsNothing) {
    Shape(3, 3, 1, 0);
    grid_->GetCell(1, 1)->SetBackColour(Green);
    grid_->SetRedraw(false);
    auto canvas = Render();
    EXPECT_EQ(canvas->Count(RECT{0, 0, 400, 300}, Green), 0);
    grid_->SetRedraw(true, true);
    canvas = Render();
    EXPECT_GT(canvas->Count(RECT{0, 0, 400, 300}, Green), 0);
}

TEST_F(GridPaint, PaintingWithAndWithoutTheBackBufferGivesTheSamePixels) {
    Shape(8, 5, 1, 1, 70, 22);
    for (int row = 1; row < 8; ++row) grid_->GetCell(row, 2)->SetText("3125.0");
    grid_->SetFocusCell(2, 2);
    grid_->SelectCellRange(3, 1, 3, 4);
    auto buffered = Render();
    grid_->SetDoubleBuffering(false);
    auto direct = Render();
    int differing = 0;
    for (int y = 0; y < 300; ++y) {
        for (int x = 0; x < 400; ++x) differing += buffered->At(x, y) != direct->At(x, y) ? 1 : 0;
    }
    EXPECT_EQ(differing, 0);
}

TEST_F(GridPaint, OwnFontStaysWithItsCellAndACellRepaintedAloneLooksAsInTheWholePaint) {
    Shape(4, 3, 1, 0, 70, 22);
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 3; ++col) grid_->GetCell(row, col)->SetText("3125.0");
    }
    auto differing = [](const Canvas& a, const Canvas& b, const RECT& area) {
        int count = 0;
        for (int y = area.top; y < area.bottom; ++y) {
            for (int x = area.left; x < area.right; ++x) count += a.At(x, y) != b.At(x, y) ? 1 : 0;
        }
        return count;
    };
    auto plain = Render();
    LOGFONTW bold = *grid_->GetDefaultCell(false, false)->GetFont();
    bold.lfWeight = FW_BOLD;
    grid_->GetCell(2, 1)->SetFont(&bold);
    auto withBold = Render();
    Canvas alone(client_.right, client_.bottom);
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 3; ++col) {
            RECT rect{};
            ASSERT_TRUE(grid_->GetCellRect(row, col, &rect));
            const bool boldCell = row == 2 && col == 1;
            EXPECT_EQ(differing(*plain, *withBold, Inside(rect)) > 0, boldCell) << row << "," << col;
            ASSERT_TRUE(grid_->RedrawCellNow(row, col, alone.Dc()));
            EXPECT_EQ(differing(alone, *withBold, Inside(rect)), 0) << row << "," << col;
        }
    }
}

}  // namespace
}  // namespace quillon::grid::testing
