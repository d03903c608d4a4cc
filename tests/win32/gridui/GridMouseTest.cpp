#include <string>

#include "GridInputFixture.h"

namespace quillon::grid::testing {

TEST_F(GridInputFixture, ListModeClickSelectsExactlyTheClickedRowWhateverTheKeys) {
    Shape(10, 4, 1, 1);
    grid_->SetListMode(true);
    grid_->SetSingleRowSelection(true);
    struct Case {
        int row;
        WPARAM keys;
    };
    for (const Case& c : {Case{3, 0}, Case{5, MK_CONTROL}, Case{2, MK_SHIFT}, Case{7, MK_CONTROL | MK_SHIFT}}) {
        SCOPED_TRACE(c.row);
        Events().clear();
        Click(CentreOf(c.row, 2), c.keys);
        const std::vector<GridCellId> row{{c.row, 1}, {c.row, 2}, {c.row, 3}};
        EXPECT_EQ(Selected(), row);
        EXPECT_EQ(grid_->GetFocusCell(), (GridCellId{c.row, 2}));
        ASSERT_EQ(Events().size(), 3u);
        EXPECT_EQ(Events()[0].code, GN_SELCHANGING);
        EXPECT_EQ(Events()[1].code, GN_SELCHANGED);
        EXPECT_EQ(Events()[2].code, NM_CLICK);
        EXPECT_EQ(Events()[2].row, c.row);
        EXPECT_EQ(Events()[2].column, 2);
        Pump();
        EXPECT_EQ(CountEvents(WM_COMMAND, 1016), 1) << "the click is posted to the parent as a command";
    }
}

TEST_F(GridInputFixture, CtrlClickAddsCellsAndShiftClickExtendsFromTheAnchor) {
    Shape(10, 5, 1, 1);
    Click(CentreOf(2, 1));
    Click(CentreOf(4, 3), MK_CONTROL);
    EXPECT_EQ(Selected(), (std::vector<GridCellId>{{2, 1}, {4, 3}}));
    Click(CentreOf(5, 2), MK_SHIFT);
    EXPECT_EQ(Selected(), (std::vector<GridCellId>{{4, 2}, {4, 3}, {5, 2}, {5, 3}}));
    // Ctrl on a selected cell takes it out again.
    Click(CentreOf(4, 3), MK_CONTROL);
    EXPECT_EQ(Selected(), (std::vector<GridCellId>{{4, 2}, {5, 2}, {5, 3}}));
    // Dragging with the button down selects the rectangle swept, the focus following.
    Press(CentreOf(1, 3));
    Move(CentreOf(2, 4), MK_LBUTTON);
    Move(CentreOf(3, 2), MK_LBUTTON);
    Release(CentreOf(3, 2));
    EXPECT_EQ(Selected(), (std::vector<GridCellId>{{1, 2}, {1, 3}, {2, 2}, {2, 3}, {3, 2}, {3, 3}}));
    EXPECT_EQ(grid_->GetFocusCell(), (GridCellId{3, 2}));
    EXPECT_EQ(GetCapture(), nullptr);

    // Each Ctrl+click toggles its own cell and nothing else.
    Click(CentreOf(2, 1));
    Click(CentreOf(4, 3), MK_CONTROL);
    Click(CentreOf(2, 1), MK_CONTROL);
    EXPECT_EQ(Selected(), (std::vector<GridCellId>{{4, 3}}));
    Click(CentreOf(4, 3), MK_CONTROL);
    EXPECT_EQ(Selected(), (std::vector<GridCellId>{}));
}

TEST_F(GridInputFixture, APressAndReleaseOnNoCellTellsTheParentNothing) {
    Shape(6, 4, 1, 1);
    Click(CentreOf(3, 2));
    Events().clear();
    Click(POINT{380, 280});  // below and right of the last cell
    EXPECT_EQ(LastEvent(WM_NOTIFY, GN_SELCHANGED), nullptr);
    EXPECT_EQ(LastEvent(WM_NOTIFY, NM_CLICK), nullptr);
    EXPECT_EQ(Selected(), (std::vector<GridCellId>{{3, 2}}));
}

TEST_F(GridInputFixture, ReleaseOverAnotherWindowDoesNotLeaveTheGridWaiting) {
    Shape(6, 3, 1, 1);
    grid_->SetCellText(2, 1, "a text far too long for sixty pixels");
    grid_->SetFocusCell(2, 2);
    Press(CentreOf(2, 2));  // on the focus cell's text: waits for the release to edit
    EXPECT_EQ(grid_->GetMouseMode(), GridMouseMode::EditPending);
    Move(CentreOf(2, 1));  // the button came up elsewhere
    EXPECT_EQ(grid_->GetMouseMode(), GridMouseMode::Nothing);
    HWND tip = grid_->GetTitleTipWindow();
    ASSERT_NE(tip, nullptr);
    EXPECT_TRUE(IsWindowVisible(tip)) << "hovering works again";
    grid_->TitleTipHide();
}

TEST_F(GridInputFixture, RightClickMovesTheFocusKeepsTheSelectionAndAlwaysNotifies) {
    Shape(10, 4, 1, 1);
    grid_->SetListMode(true);
    grid_->SetSingleRowSelection(true);
    Click(CentreOf(3, 2));
    const std::vector<GridCellId> selection = Selected();
    struct Case {
        POINT point;
        GridCellId focus;  // expected afterwards
        GridCellId notified;
    };
    const Case cases[] = {
        {CentreOf(6, 1), {6, 1}, {6, 1}},
        {CentreOf(0, 2), {1, 2}, {0, 2}},     // a header cell: focus clamped into the data
        {POINT{300, 100}, {1, 2}, {-1, -1}},  // right of the last column: no cell
    };
    for (const Case& c : cases) {
        Events().clear();
        RightClick(c.point);
        EXPECT_EQ(grid_->GetFocusCell(), c.focus);
        EXPECT_EQ(Selected(), selection);
        const ParentEvent* event = LastEvent(WM_NOTIFY, NM_RCLICK);
        ASSERT_NE(event, nullptr);
        EXPECT_EQ((GridCellId{event->row, event->column}), c.notified);
    }
}

TEST_F(GridInputFixture, DoubleClickAutoSizesAtAHeaderBorderAndNotifiesOnACell) {
    Shape(6, 4, 1, 1);
    grid_->SetCellText(3, 1, "a text much wider than sixty pixels");
    // Just left of column 1's right edge and just right of column 2's left edge: both
    // grab the border of column 1.
    for (int x : {118, 121}) {
        grid_->SetColumnWidth(1, 60);
        DoubleClick(POINT{x, 10});
        EXPECT_GT(grid_->GetColumnWidth(1), 120) << x;
        EXPECT_EQ(grid_->GetColumnWidth(2), 60) << x;
    }
    grid_->SetColumnWidth(1, 60);
    grid_->UpdateScrollBars();

    Events().clear();
    DoubleClick(CentreOf(4, 2));
    const ParentEvent* onCell = LastEvent(WM_NOTIFY, NM_DBLCLK);
    ASSERT_NE(onCell, nullptr);
    EXPECT_EQ((GridCellId{onCell->row, onCell->column}), (GridCellId{4, 2}));

    Events().clear();
    DoubleClick(POINT{380, 280});
    const ParentEvent* outside = LastEvent(WM_NOTIFY, NM_DBLCLK);
    ASSERT_NE(outside, nullptr);
    EXPECT_EQ((GridCellId{outside->row, outside->column}), (GridCellId{-1, -1}));
}

TEST_F(GridInputFixture, DraggingAHeaderBorderResizesAndCanHide) {
    Shape(6, 4, 1, 1);
    struct Case {
        bool allowHide;
        POINT press;
        POINT release;
        int column;  // -1: the row case
        int expected;
    };
    const Case cases[] = {
        {true, {119, 10}, {150, 10}, 1, 90},  // wider
        {true, {119, 10}, {60, 10}, 1, 0},    // to its left edge: hidden
        {false, {119, 10}, {60, 10}, 1, 1},   // hiding not allowed
        {true, {119, 10}, {119, 10}, 1, 60},  // pressed and released in place: unchanged
        {true, {30, 39}, {30, 50}, -1, 30},   // row 1's bottom border in the header column
    };
    for (const Case& c : cases) {
        grid_->SetColumnWidth(1, 60);
        grid_->SetRowHeight(1, 20);
        grid_->SetColumnHide(c.allowHide);
        grid_->SetRowHide(c.allowHide);
        Move(c.press);
        Press(c.press);
        EXPECT_EQ(grid_->GetMouseMode(), c.column >= 0 ? GridMouseMode::SizingColumn : GridMouseMode::SizingRow);
        Move(c.release, MK_LBUTTON);
        Release(c.release);
        EXPECT_EQ(c.column >= 0 ? grid_->GetColumnWidth(1) : grid_->GetRowHeight(1), c.expected)
            << c.release.x << "," << c.release.y;
        EXPECT_EQ(grid_->GetMouseMode(), GridMouseMode::Nothing);
    }
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(GridInputFixture, HeaderClickSortsAndSelectsTheColumn) {
    Shape(6, 3, 1, 1);
    const char* texts[] = {"d", "b", "e", "a", "c"};
    for (int row = 1; row < 6; ++row) grid_->SetCellText(row, 2, texts[row - 1]);
    grid_->SetSortOnHeaderClick(true);
    auto column = [&] {
        std::string joined;
        for (int row = 1; row < 6; ++row) joined += TextOf(row, 2);
        return joined;
    };
    Click(CentreOf(0, 2));
    EXPECT_EQ(column(), "abcde");
    EXPECT_EQ(Selected(), (std::vector<GridCellId>{{1, 2}, {2, 2}, {3, 2}, {4, 2}, {5, 2}}));
    Click(CentreOf(0, 2));
    EXPECT_EQ(column(), "edcba");
    // The corner selects everything; a header-column cell its row.
    Click(CentreOf(0, 0));
    EXPECT_EQ(Selected().size(), 10u);
    Click(CentreOf(3, 0));
    EXPECT_EQ(Selected(), (std::vector<GridCellId>{{3, 1}, {3, 2}}));
}

TEST_F(GridInputFixture, HoldingTheButtonBelowTheGridScrollsAndExtendsOnTheTimer) {
    Shape(60, 4, 1, 1);
    Press(CentreOf(2, 1));
    Move(CentreOf(14, 1), MK_LBUTTON);  // dragged down to the last row in view, then out
    POINT below{90, 340};
    ClientToScreen(Grid(), &below);
    ASSERT_TRUE(SetCursorPos(below.x, below.y));
    for (int tick = 0; tick < 5; ++tick) SendMessageW(Grid(), WM_TIMER, AutoScrollTimerId, 0);
    Release(below);

    EXPECT_GT(grid_->GetScrollPosition(SB_VERT), 0);
    const GridCellRange visible = grid_->GetVisibleNonFixedCellRange();
    const std::vector<GridCellId> selected = Selected();
    ASSERT_FALSE(selected.empty());
    EXPECT_EQ(selected.front(), (GridCellId{2, 1}));
    EXPECT_GE(selected.back().row, visible.maxRow - 1);
    for (const GridCellId& cell : selected) EXPECT_EQ(cell.col, 1);
    EXPECT_EQ(selected.size(), static_cast<size_t>(selected.back().row - 1));
}

TEST_F(GridInputFixture, WheelScrollsTheSystemsLinesPerNotch) {
    UINT saved = 3;
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &saved, 0));
    const struct {
        UINT lines;
        int position;  // after one notch towards the user; rows are 20 pixels
    } cases[] = {{2, 40}, {5, 100}, {WHEEL_PAGESCROLL, 300 - 20}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lines);
        // The setting is read when a grid is made.
        ASSERT_TRUE(SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, c.lines, nullptr, 0));
        TearDown();
        SetUp();
        Shape(80, 4, 1, 1);
        SendMessageW(Grid(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
        Pump();
        EXPECT_EQ(grid_->GetScrollPosition(SB_VERT), c.position);
        SendMessageW(Grid(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
        Pump();
        EXPECT_EQ(grid_->GetScrollPosition(SB_VERT), 0);
    }
    SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, saved, nullptr, 0);
}

TEST_F(GridInputFixture, TitleTipShowsOnlyCutOffTextAndGoesWhenThePointerLeaves) {
    Shape(5, 3, 1, 1);
    grid_->SetCellText(2, 1, "a text far too long for sixty pixels");
    SetFocus(Grid());
    ASSERT_NE(GetFocus(), nullptr);
    auto tipShown = [&] {
        HWND tip = grid_->GetTitleTipWindow();
        return tip != nullptr && IsWindowVisible(tip);
    };
    Move(CentreOf(2, 2));
    EXPECT_FALSE(tipShown()) << "r2c2 fits its cell";
    Move(CentreOf(2, 1));
    ASSERT_TRUE(tipShown());
    HWND tip = grid_->GetTitleTipWindow();
    RECT tipRect{};
    GetWindowRect(tip, &tipRect);
    RECT cell{};
    grid_->GetCellRect(2, 1, &cell);
    MapWindowPoints(Grid(), nullptr, reinterpret_cast<POINT*>(&cell), 2);
    EXPECT_EQ(tipRect.left, cell.left);
    EXPECT_EQ(tipRect.top, cell.top);
    EXPECT_GT(tipRect.right - tipRect.left, 60);
    EXPECT_EQ(GetCapture(), tip);

    // Still over the cell: the tip stays. Over the next cell: it goes.
    POINT inside = CentreOf(2, 1);
    MapWindowPoints(Grid(), tip, &inside, 1);
    SendMessageW(tip, WM_MOUSEMOVE, 0, MAKELPARAM(inside.x, inside.y));
    EXPECT_TRUE(tipShown());
    POINT outside = CentreOf(3, 2);
    MapWindowPoints(Grid(), tip, &outside, 1);
    SendMessageW(tip, WM_MOUSEMOVE, 0, MAKELPARAM(static_cast<WORD>(outside.x), static_cast<WORD>(outside.y)));
    EXPECT_FALSE(tipShown());
    EXPECT_NE(GetCapture(), tip);

    // A press on the tip hides it and reaches the grid underneath.
    Move(CentreOf(4, 2));
    Move(CentreOf(2, 1));
    ASSERT_TRUE(tipShown());
    POINT onTip = CentreOf(2, 1);
    MapWindowPoints(Grid(), tip, &onTip, 1);
    SendMessageW(tip, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(onTip.x, onTip.y));
    EXPECT_FALSE(tipShown());
    Pump();
    Release(CentreOf(2, 1));
    EXPECT_EQ(grid_->GetFocusCell(), (GridCellId{2, 1}));

    // A key press also hides it.
    Move(CentreOf(4, 2));
    Move(CentreOf(2, 1));
    ASSERT_TRUE(tipShown());
    SendMessageW(Grid(), WM_KEYDOWN, VK_SHIFT, 0);
    EXPECT_FALSE(tipShown());
    grid_->SetTitleTips(false);
    Move(CentreOf(4, 2));
    Move(CentreOf(2, 1));
    EXPECT_FALSE(tipShown());
}

}  // namespace quillon::grid::testing
