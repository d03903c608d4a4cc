// Rows, columns, their sizes and order, out-of-range requests, sorting, virtual mode.
#include <climits>
#include <cwchar>
#include <string>
#include <thread>

#include "GridTestSupport.h"

namespace quillon::grid::testing {
namespace {

using GridStructure = GridFixture;

TEST_F(GridStructure, RowCountToTheSameCountChangesNothingAndBelowTheFixedCountLowersIt) {
    Shape(5, 3, 2, 1);
    CGridCellBase* kept = grid_->GetCell(4, 2);
    kept->SetText("keep");
    EXPECT_TRUE(grid_->SetRowCount(5));
    EXPECT_EQ(grid_->GetCell(4, 2), kept);
    EXPECT_EQ(grid_->GetFixedRowCount(), 2);

    EXPECT_TRUE(grid_->SetRowCount(1));
    EXPECT_EQ(grid_->GetRowCount(), 1);
    EXPECT_EQ(grid_->GetFixedRowCount(), 1);
    EXPECT_EQ(grid_->GetCell(1, 0), nullptr);
    EXPECT_EQ(grid_->GetRowHeight(1), -1);

    // New rows take the plain default height and fresh cells.
    grid_->GetDefaultCell(false, false)->SetHeight(23);
    EXPECT_TRUE(grid_->SetRowCount(4));
    EXPECT_EQ(grid_->GetRowHeight(3), 23);
    ASSERT_NE(grid_->GetCell(3, 2), nullptr);
    EXPECT_STREQ(grid_->GetCell(3, 2)->GetText(), "");
    EXPECT_FALSE(grid_->GetCell(3, 2)->IsFixedRow());
    EXPECT_TRUE(grid_->GetCell(3, 0)->IsFixedCol());
}

TEST_F(GridStructure, RowAutoSizeMeasuresOnlyTheColumnsOnShow) {
    Shape(4, 3, 1, 1);
    grid_->SetCellText(2, 2, "Tall");
    LOGFONTW tall{};
    tall.lfHeight = -60;
    wcscpy(tall.lfFaceName, L"Tahoma");
    grid_->GetCell(2, 2)->SetFont(&tall);
    grid_->SetColumnWidth(2, 0);
    ASSERT_TRUE(grid_->AutoSizeRow(2));
    EXPECT_LT(grid_->GetRowHeight(2), 40) << "the hidden column's tall text was measured";
    grid_->SetColumnWidth(2, 60);
    ASSERT_TRUE(grid_->AutoSizeRow(2));
    EXPECT_GT(grid_->GetRowHeight(2), 55);
}

TEST_F(GridStructure, ColumnCountChangeResetsTheColumnOrder) {
    Shape(2, 3, 1, 0);
    for (int col = 0; col < 3; ++col) grid_->GetCell(1, col)->SetData(100 + col);
    grid_->SetColumnWidth(0, 10);
    ASSERT_TRUE(grid_->SetColumnOrder({2, 0, 1}));
    EXPECT_EQ(grid_->GetCell(1, 0)->GetData(), 102);
    EXPECT_EQ(grid_->GetColumnWidth(1), 10);  // widths travel with their columns
    EXPECT_FALSE(grid_->SetColumnOrder({0, 0, 1}));
    EXPECT_FALSE(grid_->SetColumnOrder({0, 1}));

    grid_->GetDefaultCell(false, true)->SetWidth(33);
    ASSERT_TRUE(grid_->SetColumnCount(4));
    EXPECT_EQ(grid_->GetColumnOrder(), (std::vector<int>{0, 1, 2, 3}));
    for (int col = 0; col < 3; ++col) EXPECT_EQ(grid_->GetCell(1, col)->GetData(), 100 + col);
    EXPECT_EQ(grid_->GetColumnWidth(0), 10);
    EXPECT_EQ(grid_->GetColumnWidth(3), 33);  // new columns: the fixed-column default's width

    ASSERT_TRUE(grid_->SetColumnOrder({3, 2, 1, 0}));
    ASSERT_TRUE(grid_->SetColumnCount(2));
    EXPECT_EQ(grid_->GetColumnOrder(), (std::vector<int>{0, 1}));
    EXPECT_EQ(grid_->GetCell(1, 1)->GetData(), 101);
}

TEST_F(GridStructure, FixedCountsSetAndClearTheHeaderStateBits) {
    Shape(4, 4, 0, 0);
    grid_->GetCell(1, 2)->SetBackColour(RGB(1, 2, 3));
    ASSERT_TRUE(grid_->SetFixedRowCount(2));
    ASSERT_TRUE(grid_->SetFixedColumnCount(1));
    EXPECT_EQ(grid_->GetCellState(1, 2), GridCellState::Fixed | GridCellState::FixedRow);
    EXPECT_EQ(grid_->GetCell(1, 2)->GetBackColour(), GridColourNotSet);
    EXPECT_EQ(grid_->GetCellState(3, 0), GridCellState::Fixed | GridCellState::FixedColumn);
    EXPECT_EQ(grid_->GetCellState(0, 0), GridCellState::Fixed | GridCellState::FixedRow | GridCellState::FixedColumn);

    ASSERT_TRUE(grid_->SetFixedRowCount(1));
    EXPECT_EQ(grid_->GetCellState(1, 2), 0u);
    EXPECT_EQ(grid_->GetCellState(1, 0), GridCellState::Fixed | GridCellState::FixedColumn);

    // More fixed rows than rows grows the grid.
    ASSERT_TRUE(grid_->SetFixedRowCount(6));
    EXPECT_EQ(grid_->GetRowCount(), 6);
    EXPECT_TRUE(grid_->GetCell(5, 3)->IsFixedRow());
}

TEST_F(GridStructure, OutOfRangeIndexesGiveFalseNoneOrMinusOne) {
    Shape(3, 3, 1, 1);
    grid_->SetFocusCell(2, 2);
    const std::pair<int, int> outside[] = {{-1, 0}, {0, -1}, {3, 0}, {0, 3}, {-5, -5}, {100000, 100000}};
    for (auto [row, col] : outside) {
        SCOPED_TRACE(::testing::Message() << "cell " << row << "," << col);
        RECT rect{};
        POINT origin{};
        EXPECT_EQ(grid_->GetCell(row, col), nullptr);
        EXPECT_FALSE(grid_->SetCell(row, col, std::make_unique<CGridCell>()));
        EXPECT_FALSE(grid_->SetCellText(row, col, "x"));
        EXPECT_FALSE(grid_->SetCellState(row, col, GridCellState::Selected));
        EXPECT_EQ(grid_->GetCellState(row, col), 0u);
        EXPECT_FALSE(grid_->GetCellRect(row, col, &rect));
        EXPECT_FALSE(grid_->GetCellOrigin(row, col, &origin));
        EXPECT_FALSE(grid_->IsCellVisible(row, col));
        EXPECT_FALSE(grid_->RedrawCell(row, col));
        EXPECT_FALSE(grid_->RedrawCellNow(row, col));
        grid_->MarkCellModified(row, col);
        grid_->SelectCellRange(row, col, row, col);
        if (row != -1 && col != -1) {
            grid_->SetFocusCell(row, col);
            EXPECT_EQ(grid_->GetFocusCell(), (GridCellId{2, 2}));
        }
    }
    for (int index : {-1, 3, 1000}) {
        EXPECT_EQ(grid_->GetRowHeight(index), -1);
        EXPECT_EQ(grid_->GetColumnWidth(index), -1);
        EXPECT_FALSE(grid_->SetRowHeight(index, 5));
        EXPECT_FALSE(grid_->SetColumnWidth(index, 5));
        EXPECT_FALSE(grid_->AutoSizeColumn(index));
        EXPECT_FALSE(grid_->SortByColumn(nullptr, index, true));
    }
    EXPECT_FALSE(grid_->SetRowHeight(1, -4));
    EXPECT_FALSE(grid_->SetColumnWidth(1, -4));
    EXPECT_FALSE(grid_->SetRowCount(-1));
    EXPECT_FALSE(grid_->SetColumnCount(-1));
    EXPECT_FALSE(grid_->SetFixedRowCount(-1));
    EXPECT_FALSE(grid_->SetCell(1, 1, nullptr));
    EXPECT_FALSE(grid_->SetRowHeight(1, CGridCtrl::MaximumCellSize + 1));
    EXPECT_TRUE(grid_->SetRowHeight(1, CGridCtrl::MaximumCellSize));
    // Counts beyond the cell budget fail at once and leave the grid as it was: on x86-64
    // the allocation would not fail but grow until the machine ran out of memory.
    EXPECT_FALSE(grid_->SetRowCount(static_cast<int>(CGridCtrl::MaximumCellCount / 3) + 1));
    EXPECT_FALSE(grid_->SetRowCount(INT_MAX));
    EXPECT_FALSE(grid_->SetColumnCount(INT_MAX));
    EXPECT_FALSE(grid_->SetFixedRowCount(INT_MAX));
    EXPECT_EQ(grid_->GetFixedRowCount(), 1);
    ASSERT_NE(grid_->GetCell(2, 2), nullptr);
    EXPECT_EQ(grid_->GetColumnOrder().size(), 3u);
    EXPECT_TRUE(grid_->GetSelectedCells().empty());
    EXPECT_EQ(grid_->GetRowCount(), 3);
    EXPECT_EQ(grid_->GetColumnCount(), 3);
}

TEST_F(GridStructure, MarkCellModifiedOnTheSortColumnCancelsTheSort) {
    Shape(4, 3, 1, 0);
    ASSERT_TRUE(grid_->SortByColumn(nullptr, 1, true));
    grid_->MarkCellModified(2, 2);
    EXPECT_EQ(grid_->GetSortColumn(), 1);
    EXPECT_TRUE(grid_->GetCell(2, 2)->IsModified());
    EXPECT_TRUE(grid_->GetModified());
    grid_->MarkCellModified(2, 1);
    EXPECT_EQ(grid_->GetSortColumn(), -1);
    EXPECT_TRUE(grid_->GetCell(2, 1)->IsModified());

    ASSERT_TRUE(grid_->SortByColumn(nullptr, 2, false));
    grid_->SetCellText(3, 2, "changed");
    EXPECT_EQ(grid_->GetSortColumn(), -1);
    ASSERT_TRUE(grid_->SortByColumn(nullptr, 2, false));
    grid_->EnableRowListMode();
    EXPECT_EQ(grid_->GetSortColumn(), -1);
    EXPECT_TRUE(grid_->GetListMode());
    EXPECT_FALSE(grid_->GetFixedColumnSelection());
}

TEST_F(GridStructure, SortingMovesWholeRowsWithTheirHeightsAndKeepsHeaders) {
    Shape(5, 2, 1, 0);
    const char* texts[] = {"header", "b", "d", "a", "c"};
    for (int row = 0; row < 5; ++row) {
        grid_->GetCell(row, 0)->SetText(texts[row]);
        grid_->GetCell(row, 1)->SetData(row);
        grid_->SetRowHeight(row, 20 + row);
    }
    grid_->SelectCellRange(1, 0, 2, 1);
    ASSERT_TRUE(grid_->SortByColumn(nullptr, 0, true));
    EXPECT_TRUE(grid_->GetSelectedCells().empty());
    const char* ascending[] = {"header", "a", "b", "c", "d"};
    const int rows[] = {0, 3, 1, 4, 2};
    for (int row = 0; row < 5; ++row) {
        EXPECT_STREQ(grid_->GetCell(row, 0)->GetText(), ascending[row]);
        EXPECT_EQ(grid_->GetCell(row, 1)->GetData(), rows[row]);
        EXPECT_EQ(grid_->GetRowHeight(row), 20 + rows[row]);
    }
    ASSERT_TRUE(grid_->SortByColumn(nullptr, 0, false));
    EXPECT_STREQ(grid_->GetCell(1, 0)->GetText(), "d");
    EXPECT_FALSE(grid_->GetSortAscending());

    // A custom comparison, here by data word, decides the order.
    ASSERT_TRUE(grid_->SortByColumn(
        [](const CGridCellBase& a, const CGridCellBase& b) {
            return static_cast<int>(b.GetData()) - static_cast<int>(a.GetData());
        },
        1, true));
    for (int row = 1; row < 5; ++row) EXPECT_EQ(grid_->GetCell(row, 1)->GetData(), 5 - row);
}

TEST_F(GridStructure, LockObjectHoldsTheGridLockForItsScope) {
    auto heldElsewhere = [this] {
        bool entered = false;
        std::thread other([&] {
            entered = TryEnterCriticalSection(grid_->GetLock()) != FALSE;
            if (entered) LeaveCriticalSection(grid_->GetLock());
        });
        other.join();
        return !entered;
    };
    {
        CGridCtrl::CLockObject lock(*grid_);
        EXPECT_TRUE(heldElsewhere());
        CGridCtrl::CLockObject again(grid_->GetLock());  // re-entrant on its own thread
    }
    EXPECT_FALSE(heldElsewhere());
    {
        // A lock object given no lock holds nothing.
        CGridCtrl::CLockObject none(static_cast<CRITICAL_SECTION*>(nullptr));
        EXPECT_FALSE(heldElsewhere());
    }
}

TEST_F(GridStructure, DeleteAllItemsEmptiesTheGrid) {
    Shape(4, 4, 1, 1);
    grid_->SetFocusCell(2, 2);
    grid_->SelectCellRange(1, 1, 3, 3);
    ASSERT_TRUE(grid_->SortByColumn(nullptr, 2, true));
    grid_->SetModified(false);
    EXPECT_TRUE(grid_->DeleteAllItems());
    EXPECT_EQ(grid_->GetRowCount(), 0);
    EXPECT_EQ(grid_->GetColumnCount(), 0);
    EXPECT_EQ(grid_->GetFixedRowCount(), 0);
    EXPECT_EQ(grid_->GetFixedColumnCount(), 0);
    EXPECT_FALSE(grid_->GetFocusCell().IsValid());
    EXPECT_TRUE(grid_->GetSelectedCells().empty());
    EXPECT_EQ(grid_->GetSortColumn(), -1);
    EXPECT_TRUE(grid_->GetModified());
    EXPECT_EQ(grid_->GetCell(0, 0), nullptr);
}

TEST_F(GridStructure, SelectionAndFocusSetTheStateBitsThePaintingReads) {
    Shape(4, 4, 1, 1);
    grid_->SelectCellRange(0, 0, 2, 2);  // header rows and columns are never selected
    EXPECT_EQ(grid_->GetSelectedCells().size(), 4u);
    EXPECT_TRUE(grid_->GetCell(1, 1)->IsSelected());
    EXPECT_FALSE(grid_->GetCell(0, 0)->IsSelected());
    grid_->SetFocusCell(0, 0);  // raised out of the headers
    EXPECT_EQ(grid_->GetFocusCell(), (GridCellId{1, 1}));
    EXPECT_TRUE(grid_->GetCell(1, 1)->IsFocused());
    grid_->SetFocusCell(3, 3);
    EXPECT_FALSE(grid_->GetCell(1, 1)->IsFocused());
    grid_->ClearSelection();
    EXPECT_TRUE(grid_->GetSelectedCells().empty());
    EXPECT_FALSE(grid_->GetCell(1, 1)->IsSelected());
    EXPECT_FALSE(grid_->GetCell(3, 3)->IsFocused());
    // Rows that go take their selection with them.
    grid_->SelectCellRange(1, 1, 3, 3);
    grid_->SetRowCount(2);
    EXPECT_EQ(grid_->GetSelectedCells().size(), 3u);
}

TEST_F(GridStructure, AutoSizeColumnTakesTheWidestMeasuredCellOfTheChosenRows) {
    Shape(4, 2, 1, 0, 10, 20);
    grid_->GetCell(0, 1)->SetText("a header much longer than the data");
    grid_->GetCell(2, 1)->SetText("mid");
    grid_->GetCell(3, 1)->SetText("longer data");
    HDC screen = GetDC(nullptr);
    const int header = grid_->GetCell(0, 1)->MeasureCell(screen).cx;
    const int data = grid_->GetCell(3, 1)->MeasureCell(screen).cx;
    ReleaseDC(nullptr, screen);
    ASSERT_GT(header, data);
    struct Case {
        UINT style;
        int width;
    } cases[] = {{2, data}, {1, header}, {0, header}, {3, header}};
    for (const Case& c : cases) {
        EXPECT_TRUE(grid_->AutoSizeColumn(1, c.style)) << "style " << c.style;
        EXPECT_EQ(grid_->GetColumnWidth(1), c.width) << "style " << c.style;
    }
    // Hidden rows are not measured; hidden columns are not sized.
    grid_->SetRowHeight(3, 0);
    EXPECT_TRUE(grid_->AutoSizeColumn(1, 2));
    EXPECT_LT(grid_->GetColumnWidth(1), data);
    grid_->SetColumnWidth(1, 0);
    EXPECT_FALSE(grid_->AutoSizeColumn(1));
    EXPECT_EQ(grid_->GetColumnWidth(1), 0);
}

TEST_F(GridStructure, OneColumnRightScrollsByTheFirstVisibleColumnsWidth) {
    Shape(3, 20, 1, 1, 60, 20);
    grid_->SetColumnWidth(1, 45);
    grid_->UpdateScrollBars();
    EXPECT_NE(grid_->GetScrollBarsShown() & 1, 0);
    SendMessageW(grid_->GetSafeHwnd(), WM_HSCROLL, SB_LINERIGHT, 0);
    EXPECT_EQ(grid_->GetScrollPosition(SB_HORZ), 45);
    EXPECT_EQ(grid_->GetTopLeftNonFixedCell().col, 2);
    RECT rect{};
    ASSERT_TRUE(grid_->GetCellRect(1, 2, &rect));
    EXPECT_EQ(rect.left, 60);  // right after the header column
    EXPECT_FALSE(grid_->GetCellRect(1, 1, &rect));
    EXPECT_FALSE(grid_->IsCellVisible(1, 1));
    EXPECT_TRUE(grid_->IsCellVisible(1, 0));
    SendMessageW(grid_->GetSafeHwnd(), WM_HSCROLL, SB_LINELEFT, 0);
    EXPECT_EQ(grid_->GetScrollPosition(SB_HORZ), 0);
}

struct DisplayRequest {
    int row;
    int column;
};
std::vector<DisplayRequest> displayRequests;

BOOL CALLBACK FillByApplicationRow(GridDisplayRecord* record, LPARAM data) {
    displayRequests.push_back({record->row, record->column});
    // Application row r shows a text that sorts in reverse order of r.
    record->text = std::to_string(9 - record->row) + "/" + std::to_string(record->column);
    record->data = data;
    return TRUE;
}

TEST_F(GridStructure, VirtualModeAsksTheCallbackWithTheMappedRowAndColumn) {
    grid_->SetVirtualMode(true);
    Shape(5, 3, 1, 0);
    grid_->SetDisplayCallback(&FillByApplicationRow, 42);
    displayRequests.clear();
    CGridCellBase* cell = grid_->GetCell(2, 1);
    ASSERT_NE(cell, nullptr);
    EXPECT_STREQ(cell->GetText(), "7/1");
    EXPECT_EQ(cell->GetData(), 42);
    ASSERT_EQ(displayRequests.size(), 1u);

    ASSERT_TRUE(grid_->SortByColumn(nullptr, 0, true));  // reverses the data rows
    ASSERT_TRUE(grid_->SetColumnOrder({0, 2, 1}));
    displayRequests.clear();
    cell = grid_->GetCell(1, 1);
    ASSERT_EQ(displayRequests.size(), 1u);
    EXPECT_EQ(displayRequests[0].row, 4);
    EXPECT_EQ(displayRequests[0].column, 2);
    EXPECT_STREQ(cell->GetText(), "5/2");

    grid_->SelectCellRange(2, 2, 2, 2);
    grid_->SetFocusCell(2, 2);
    EXPECT_TRUE(grid_->GetCell(2, 2)->IsSelected());
    EXPECT_TRUE(grid_->GetCell(2, 2)->IsFocused());
    EXPECT_TRUE(grid_->GetCell(0, 1)->IsFixedRow());
    EXPECT_FALSE(grid_->SetCellState(2, 2, 0));  // virtual cells keep no state

    // A paint tells the parent which cells it is about to read, then that it is done.
    Notifications().clear();
    Render();
    ASSERT_GE(Notifications().size(), 2u);
    EXPECT_EQ(Notifications().front().code, GN_ODCACHEHINT);
    EXPECT_EQ(Notifications().front().row, 1);
    EXPECT_EQ(Notifications().back().code, GN_ODCACHEHINT);
    EXPECT_EQ(Notifications().back().row, -1);

    // Without a callback the parent is asked.
    grid_->SetDisplayCallback(nullptr);
    Notifications().clear();
    EXPECT_STREQ(grid_->GetCell(3, 0)->GetText(), "notified");
    ASSERT_EQ(Notifications().size(), 1u);
    EXPECT_EQ(Notifications()[0].code, GN_GETDISPINFO);
    EXPECT_EQ(Notifications()[0].controlId, 1016u);
    EXPECT_EQ(Notifications()[0].row, 2);  // display row 3 of the reversed rows 1..4
}

}  // namespace
}  // namespace quillon::grid::testing
