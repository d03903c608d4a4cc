#include "GridInputFixture.h"

namespace quillon::grid::testing {

// 100 rows x 10 columns of 60 x 20 with one header row and column; row 5 and column 3
// hidden. 14 data rows fit the 300-pixel client under the header.
class GridKeyboardFixture : public GridInputFixture {
protected:
    void SetUp() override {
        GridInputFixture::SetUp();
        Shape(100, 10, 1, 1);
        grid_->SetRowHeight(5, 0);
        grid_->SetColumnWidth(3, 0);
        grid_->UpdateScrollBars();
    }
    void StartAt(GridCellId cell) {
        SendMessageW(Grid(), WM_VSCROLL, SB_TOP, 0);
        SendMessageW(Grid(), WM_HSCROLL, SB_LEFT, 0);
        grid_->SetFocusCell(cell.row, cell.col);
    }
};

TEST_F(GridKeyboardFixture, ArrowsHomeEndAndTabStepOverHiddenRowsAndColumns) {
    struct Case {
        GridCellId from;
        UINT key;
        bool shift;
        bool control;
        GridCellId to;
    };
    const Case cases[] = {
        {{4, 2}, VK_DOWN, false, false, {6, 2}},   {{6, 2}, VK_UP, false, false, {4, 2}},
        {{4, 2}, VK_RIGHT, false, false, {4, 4}},  {{4, 4}, VK_LEFT, false, false, {4, 2}},
        {{4, 1}, VK_LEFT, false, false, {4, 1}},   {{1, 1}, VK_UP, false, false, {1, 1}},
        {{99, 9}, VK_DOWN, false, false, {99, 9}}, {{7, 6}, VK_HOME, false, false, {7, 1}},
        {{7, 6}, VK_END, false, false, {7, 9}},    {{7, 6}, VK_HOME, false, true, {1, 1}},
        {{7, 6}, VK_END, false, true, {99, 9}},    {{4, 9}, VK_TAB, false, false, {6, 1}},
        {{6, 1}, VK_TAB, true, false, {4, 9}},     {{4, 2}, VK_TAB, false, false, {4, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.from.row << "," << c.from.col << " key " << c.key);
        StartAt(c.from);
        Key(c.key, c.shift, c.control);
        EXPECT_EQ(grid_->GetFocusCell(), c.to);
        if (c.to != c.from) {
            EXPECT_EQ(Selected(), (std::vector<GridCellId>{c.to}));
            EXPECT_TRUE(grid_->IsCellVisible(c.to.row, c.to.col));
        }
    }
}

TEST_F(GridKeyboardFixture, PageKeysMoveTheFocusAsFarAsTheViewMoved) {
    StartAt({3, 2});
    Key(VK_NEXT);
    const int top = grid_->GetTopLeftNonFixedCell().row;
    EXPECT_GT(top, 1);
    EXPECT_EQ(grid_->GetFocusCell(), (GridCellId{3 + top - 1, 2}));
    Key(VK_PRIOR);
    EXPECT_EQ(grid_->GetTopLeftNonFixedCell().row, 1);
    EXPECT_EQ(grid_->GetFocusCell(), (GridCellId{3, 2}));
    // At the top already: Page Up goes to the first row; at the bottom Page Down to the last.
    Key(VK_PRIOR);
    EXPECT_EQ(grid_->GetFocusCell(), (GridCellId{1, 2}));
    SendMessageW(Grid(), WM_VSCROLL, SB_BOTTOM, 0);
    grid_->SetFocusCell(90, 2);
    Key(VK_NEXT);
    EXPECT_EQ(grid_->GetFocusCell(), (GridCellId{99, 2}));
}

TEST_F(GridKeyboardFixture, ShiftExtendsTheSelectionAndListModeSelectsRows) {
    StartAt({2, 2});
    Key(VK_DOWN);
    Key(VK_RIGHT, true);
    Key(VK_DOWN, true);
    EXPECT_EQ(Selected(), (std::vector<GridCellId>{{3, 2}, {3, 3}, {3, 4}, {4, 2}, {4, 3}, {4, 4}}));

    grid_->SetListMode(true);
    grid_->SetSingleRowSelection(true);
    StartAt({4, 2});
    Key(VK_DOWN);
    std::vector<GridCellId> row;
    for (int col = 1; col < 10; ++col) row.push_back({6, col});
    EXPECT_EQ(Selected(), row);
}

TEST_F(GridKeyboardFixture, ShiftFromAFocusCellTheProgramSetExtendsFromThatCell) {
    StartAt({7, 7});
    Key(VK_LEFT, true);
    EXPECT_EQ(Selected(), (std::vector<GridCellId>{{7, 6}, {7, 7}}));
}

TEST_F(GridKeyboardFixture, MovingDownPastTheBottomScrollsTheFocusIntoView) {
    StartAt({14, 1});
    EXPECT_EQ(grid_->GetScrollPosition(SB_VERT), 0);
    Key(VK_DOWN);
    Key(VK_DOWN);
    EXPECT_EQ(grid_->GetFocusCell(), (GridCellId{16, 1}));
    RECT rect{};
    ASSERT_TRUE(grid_->GetCellRect(16, 1, &rect));
    EXPECT_LE(rect.bottom, 299);
    EXPECT_GT(grid_->GetScrollPosition(SB_VERT), 0);
}

TEST_F(GridKeyboardFixture, TabCanMoveTheDialogFocusInstead) {
    grid_->SetTabToNextControl(true);
    StartAt({2, 2});
    Key(VK_TAB);
    Pump();
    EXPECT_EQ(grid_->GetFocusCell(), (GridCellId{2, 2}));
    EXPECT_EQ(CountEvents(WM_NEXTDLGCTL, 0), 1);
    Key(VK_TAB, true);  // Shift+Tab still moves within the grid
    Pump();
    EXPECT_EQ(grid_->GetFocusCell(), (GridCellId{2, 1}));
    EXPECT_EQ(CountEvents(WM_NEXTDLGCTL, 0), 1);
    // The Tab character itself never starts editing.
    SendMessageW(Grid(), WM_CHAR, VK_TAB, 1);
    Pump();
    EXPECT_EQ(Editor(), nullptr);
}

TEST_F(GridKeyboardFixture, WithoutAFocusCellKeysDoNothing) {
    StartAt({-1, -1});
    for (UINT key : {VK_DOWN, VK_NEXT, VK_END, VK_TAB, VK_DELETE}) Key(key);
    EXPECT_EQ(grid_->GetFocusCell(), (GridCellId{-1, -1}));
    EXPECT_TRUE(Selected().empty());
    EXPECT_EQ(TextOf(1, 1), "r1c1");
}

}  // namespace quillon::grid::testing
