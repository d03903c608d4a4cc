// The cell model: what a cell inherits from its default cell, the default cells' own
// rules, copying, resetting and measuring.
#include <cstring>
#include <string>

#include "GridTestSupport.h"
#include "framework/TextConversion.h"

namespace quillon::grid::testing {
namespace {

using CellModel = GridFixture;

TEST_F(CellModel, EachPositionTakesUnsetAttributesFromItsOwnDefaultCell) {
    Shape(3, 3, 1, 1);
    grid_->GetDefaultCell(false, false)->SetMargin(3);
    grid_->GetDefaultCell(false, true)->SetMargin(4);
    grid_->GetDefaultCell(true, false)->SetMargin(5);
    grid_->GetDefaultCell(true, true)->SetMargin(6);
    struct Case {
        int row, col;
        bool fixedRow, fixedCol;
        UINT margin;
    } cases[] = {{2, 2, false, false, 3}, {2, 0, false, true, 4}, {0, 2, true, false, 5}, {0, 0, true, true, 6}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "cell " << c.row << "," << c.col);
        CGridCellBase* cell = grid_->GetCell(c.row, c.col);
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(cell->GetDefaultCell(), grid_->GetDefaultCell(c.fixedRow, c.fixedCol));
        EXPECT_EQ(cell->IsFixedRow(), c.fixedRow);
        EXPECT_EQ(cell->IsFixedCol(), c.fixedCol);
        EXPECT_EQ(cell->IsFixed(), c.fixedRow || c.fixedCol);
        EXPECT_EQ(cell->GetMargin(), c.margin);
        // Colours are never inherited through the getters: unset reads as unset.
        EXPECT_EQ(cell->GetTextColour(), GridColourNotSet);
        EXPECT_EQ(cell->GetBackColour(), GridColourNotSet);
        EXPECT_TRUE(cell->IsDefaultFont());
        EXPECT_EQ(cell->GetFontObject(), cell->GetDefaultCell()->GetFontObject());
        // A new cell's format is a copy of its default's, centred on one line.
        EXPECT_EQ(cell->GetFormat(), 0x8825u);
        EXPECT_STREQ(cell->GetText(), "");
        EXPECT_EQ(cell->GetImage(), -1);
    }
}

TEST_F(CellModel, CellWithoutGridHasNoDefaultsAndCannotPaint) {
    CGridCell cell;
    EXPECT_EQ(cell.GetDefaultCell(), nullptr);
    EXPECT_EQ(cell.GetFormat(), 0u);
    EXPECT_EQ(cell.GetMargin(), 0u);
    EXPECT_EQ(cell.GetFont(), nullptr);
    EXPECT_EQ(cell.GetFontObject(), nullptr);
    cell.SetText(nullptr);
    EXPECT_STREQ(cell.GetText(), "");
    Canvas canvas(20, 20);
    EXPECT_FALSE(cell.DrawCell(canvas.Dc(), 0, 0, RECT{0, 0, 10, 10}, true));
    EXPECT_FALSE(cell.BeginEdit(0, 0, RECT{0, 0, 10, 10}, POINT{}, 8, VK_LBUTTON));
}

TEST_F(CellModel, DefaultCellIsAlwaysReadOnlyAndTakesNoDataOrState) {
    CGridDefaultCell* defaults = grid_->GetDefaultCell(false, false);
    defaults->SetState(GridCellState::Selected | GridCellState::Focused);
    defaults->SetData(1234);
    EXPECT_EQ(defaults->GetState(), GridCellState::ReadOnly);
    EXPECT_TRUE(defaults->IsReadOnly());
    EXPECT_EQ(defaults->GetData(), 0);
    EXPECT_EQ(defaults->GetFormat(), 0x8825u);
    EXPECT_EQ(defaults->GetTextColour(), GetSysColor(COLOR_WINDOWTEXT));
    EXPECT_EQ(defaults->GetBackColour(), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(grid_->GetDefaultCell(true, false)->GetBackColour(), GetSysColor(COLOR_BTNFACE));

    // SetFont(null) on a default cell changes nothing; a plain cell goes back to its default.
    const LOGFONTW before = *defaults->GetFont();
    HFONT fontObject = defaults->GetFontObject();
    defaults->SetFont(nullptr);
    EXPECT_EQ(std::memcmp(defaults->GetFont(), &before, sizeof before), 0);
    EXPECT_EQ(defaults->GetFontObject(), fontObject);

    Shape(2, 2, 1, 0);
    CGridCellBase* cell = grid_->GetCell(1, 1);
    LOGFONTW own = before;
    own.lfHeight = -30;
    cell->SetFont(&own);
    EXPECT_FALSE(cell->IsDefaultFont());
    EXPECT_EQ(cell->GetFont()->lfHeight, -30);
    EXPECT_NE(cell->GetFontObject(), fontObject);
    cell->SetFont(nullptr);
    EXPECT_TRUE(cell->IsDefaultFont());
    EXPECT_EQ(cell->GetFontObject(), fontObject);
}

TEST_F(CellModel, DefaultCellMeasuresItsSizeFromTheFont) {
    LOGFONTW font = CGridDefaultCell::SystemMessageFont();
    font.lfHeight = -24;
    CGridDefaultCell cell;
    cell.SetFont(&font);
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, cell.GetFontObject());
    SIZE probe{};
    GetTextExtentPoint32W(screen, L" XXXXXXXXXX ", 12, &probe);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(cell.GetWidth(), probe.cx);
    EXPECT_EQ(cell.GetHeight(), probe.cy + 2);
    EXPECT_EQ(cell.GetMargin(), 1u);
    EXPECT_GT(cell.GetHeight(), 24);
}

TEST_F(CellModel, CopyFromTakesEveryAttributeAndResetClearsThem) {
    Shape(3, 2, 1, 0);
    CGridCellBase* source = grid_->GetCell(1, 1);
    source->SetText("合约");
    source->SetImage(2);
    source->SetData(77);
    source->SetTextColour(RGB(255, 0, 0));
    source->SetBackColour(RGB(0, 255, 0));
    source->SetMargin(7);
    source->SetFormat(DT_LEFT);
    LOGFONTW font = *source->GetFont();
    font.lfWeight = FW_BOLD;
    source->SetFont(&font);

    CGridCell copy;
    copy.CopyFrom(*source);
    EXPECT_EQ(copy.GetGrid(), grid_.get());
    EXPECT_STREQ(copy.GetText(), "合约");
    EXPECT_EQ(copy.GetImage(), 2);
    EXPECT_EQ(copy.GetData(), 77);
    EXPECT_EQ(copy.GetState(), source->GetState());
    EXPECT_EQ(copy.GetFormat(), static_cast<DWORD>(DT_LEFT));
    EXPECT_EQ(copy.GetTextColour(), RGB(255, 0, 0));
    EXPECT_EQ(copy.GetBackColour(), RGB(0, 255, 0));
    EXPECT_EQ(copy.GetMargin(), 7u);
    ASSERT_FALSE(copy.IsDefaultFont());
    EXPECT_EQ(copy.GetFont()->lfWeight, FW_BOLD);

    // A source on the default font leaves the copy on the default font.
    copy.CopyFrom(*grid_->GetCell(2, 1));
    EXPECT_TRUE(copy.IsDefaultFont());
    copy.CopyFrom(copy);  // copying onto itself changes nothing
    EXPECT_EQ(copy.GetGrid(), grid_.get());

    source->Reset();
    EXPECT_STREQ(source->GetText(), "");
    EXPECT_EQ(source->GetImage(), -1);
    EXPECT_EQ(source->GetData(), 0);
    EXPECT_EQ(source->GetState(), 0u);
    EXPECT_EQ(source->GetTextColour(), GridColourNotSet);
    EXPECT_EQ(source->GetBackColour(), GridColourNotSet);
    EXPECT_TRUE(source->IsDefaultFont());
    EXPECT_EQ(source->GetGrid(), nullptr);
}

TEST_F(CellModel, MeasureTextGivesTheWidestLineOfWrappedTextAndTheWholeExtentOfOneLine) {
    Shape(2, 2, 1, 0);
    CGridCellBase* cell = grid_->GetCell(1, 1);
    cell->SetMargin(2);
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, cell->GetFontObject());
    auto extent = [&](const wchar_t* text) {
        SIZE size{};
        GetTextExtentPoint32W(screen, text, static_cast<int>(wcslen(text)), &size);
        return size;
    };
    const SIZE widest = extent(L"abcdefghij");
    const SIZE whole = extent(L"ab\nabcdefghij\nabc");

    cell->SetFormat(DT_LEFT | DT_WORDBREAK);
    SIZE wrapped = cell->MeasureText("ab\nabcdefghij\nabc", screen);
    EXPECT_EQ(wrapped.cx, widest.cx + 4);
    EXPECT_GE(wrapped.cy, 3 * widest.cy + 4);  // three lines

    cell->SetFormat(DT_LEFT | DT_WORDBREAK | DT_SINGLELINE);
    SIZE single = cell->MeasureText("ab\nabcdefghij\nabc", screen);
    EXPECT_EQ(single.cx, whole.cx + 4);
    EXPECT_EQ(single.cy, whole.cy + 4);

    // Without a DC the grid window's is used; without text either, the default cell's size.
    EXPECT_EQ(cell->MeasureText("abcdefghij").cx, widest.cx + 4);
    const CGridDefaultCell* defaults = grid_->GetDefaultCell(false, false);
    SIZE empty = cell->MeasureText(nullptr);
    EXPECT_EQ(empty.cx, defaults->GetWidth());
    EXPECT_EQ(empty.cy, defaults->GetHeight());

    // Vertical text swaps the axes.
    LOGFONTW rotated = *cell->GetFont();
    rotated.lfEscapement = 900;
    cell->SetFont(&rotated);
    cell->SetFormat(DT_LEFT | DT_SINGLELINE);
    SIZE upright = cell->MeasureText("abcdefghij", screen);
    EXPECT_LT(upright.cx, upright.cy);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
}

TEST_F(CellModel, MeasureCellAddsOnePixelAndOneMoreForHeaders) {
    Shape(2, 2, 1, 0);
    HDC screen = GetDC(nullptr);
    for (int row : {0, 1}) {
        CGridCellBase* cell = grid_->GetCell(row, 1);
        cell->SetText("12345");
        SIZE text = cell->MeasureText("12345", screen);
        SIZE whole = cell->MeasureCell(screen);
        const int extra = row == 0 ? 2 : 1;
        EXPECT_EQ(whole.cx, text.cx + extra) << "row " << row;
        EXPECT_EQ(whole.cy, text.cy + extra) << "row " << row;
    }
    ReleaseDC(nullptr, screen);
}

}  // namespace
}  // namespace quillon::grid::testing
