#include <cstring>
#include <string>

#include "GridInputFixture.h"

namespace quillon::grid::testing {

using namespace std::string_literals;

namespace {

// Puts `bytes` on the clipboard as CF_TEXT in a block of exactly their size.
void PutClipboardBytes(HWND owner, const std::string& bytes) {
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
    GlobalUnlock(block);
    if (SetClipboardData(CF_TEXT, block) == nullptr) GlobalFree(block);
    CloseClipboard();
}

// The CF_TEXT block on the clipboard, all of it.
std::string ClipboardBlock(HWND owner) {
    std::string bytes;
    if (!OpenClipboard(owner)) return "<no clipboard>";
    if (HGLOBAL block = GetClipboardData(CF_TEXT)) {
        const char* data = static_cast<const char*>(GlobalLock(block));
        bytes.assign(data, GlobalSize(block));
        GlobalUnlock(block);
    }
    CloseClipboard();
    return bytes;
}

}  // namespace

class GridClipboardFixture : public GridInputFixture {
protected:
    void SetUp() override {
        GridInputFixture::SetUp();
        Shape(5, 4, 1, 1);
    }
};

TEST_F(GridClipboardFixture, CopyJoinsCellsWithTabsAndRowsWithLineEnds) {
    grid_->SetCellText(1, 1, "a");
    grid_->SetCellText(1, 2, "b");
    grid_->SetCellText(2, 1, "c");
    grid_->SetCellText(2, 2, "d");
    Click(CentreOf(1, 1));
    Click(CentreOf(2, 2), MK_SHIFT);
    Key('C', false, true);
    EXPECT_EQ(ClipboardBlock(Grid()).substr(0, 10), "a\tb\r\nc\td\0"s);

    // A hidden column is left out; an unselected cell inside the range stays empty.
    grid_->SetColumnWidth(2, 0);
    Click(CentreOf(1, 1));
    Click(CentreOf(3, 3), MK_SHIFT);
    Click(CentreOf(2, 3), MK_CONTROL);
    SendMessageW(Grid(), WM_COMMAND, GridCommand::Copy, 0);
    EXPECT_EQ(ClipboardBlock(Grid()).substr(0, 20), "a\tr1c3\r\nc\t\r\nr3c1\tr3c3\0"s.substr(0, 20));
}

TEST_F(GridClipboardFixture, PasteFillsRightAndDownWithinTheGridWhereAllowed) {
    struct Case {
        const char* what;
        std::string clipboard;
        void (*prepare)(CGridCtrl&);
        std::vector<std::pair<GridCellId, std::string>> expected;
    };
    auto none = [](CGridCtrl&) {};
    const Case cases[] = {
        {"tabs, commas and lines",
         "1\t2\r\n3,4\r\n",
         none,
         {{{2, 2}, "1"}, {{2, 3}, "2"}, {{3, 2}, "3"}, {{3, 3}, "4"}, {{4, 2}, "r4c2"}, {{2, 1}, "r2c1"}}},
        {"cut at the grid's edges",
         "1\t2\t3\r\n4\r\n5\r\n6",
         none,
         {{{2, 2}, "1"}, {{2, 3}, "2"}, {{3, 2}, "4"}, {{4, 2}, "5"}}},
        {"read-only cell",
         "1\t2",
         [](CGridCtrl& grid) { grid.SetCellState(2, 3, GridCellState::ReadOnly); },
         {{{2, 2}, "1"}, {{2, 3}, "r2c3"}}},
        {"parent refuses",
         "1\t2\n3\t4",
         [](CGridCtrl&) {
             BeginEditAnswers()[{2, 3}] = -1;
             EndEditAnswers()[{3, 2}] = -1;
         },
         {{{2, 2}, "1"}, {{2, 3}, "r2c3"}, {{3, 2}, "r3c2"}, {{3, 3}, "4"}}},
        {"read-only grid", "1", [](CGridCtrl& grid) { grid.SetEditable(false); }, {{{2, 2}, "r2c2"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Shape(5, 4, 1, 1);
        grid_->SetEditable(true);
        grid_->SetCellState(2, 3, 0);
        BeginEditAnswers().clear();
        EndEditAnswers().clear();
        c.prepare(*grid_);
        grid_->SetFocusCell(2, 2);
        PutClipboardBytes(Grid(), c.clipboard + '\0');
        Key('V', false, true);
        for (const auto& [cell, text] : c.expected)
            EXPECT_EQ(TextOf(cell.row, cell.col), text) << cell.row << "," << cell.col;
    }
}

TEST_F(GridClipboardFixture, PasteReadsAForeignBlockWithoutItsZeroNoFurtherThanItsEnd) {
    grid_->SetFocusCell(2, 2);
    PutClipboardBytes(Grid(), "xy");
    Key('V', false, true);
    // Windows hands the two bytes back as they are; Wine's clipboard writes a zero into
    // the block's last byte. Either way the cell gets what the block holds, nothing after it.
    const std::string held = ClipboardBlock(Grid());
    ASSERT_EQ(held.size(), 2u);
    EXPECT_EQ(TextOf(2, 2), held.substr(0, held.find('\0')));
    EXPECT_EQ(TextOf(2, 3), "r2c3");
}

TEST_F(GridClipboardFixture, UnicodeTextFromAnotherProgramArrivesAsCodePage936) {
    const std::wstring wide = L"期权\t认购";
    ASSERT_TRUE(OpenClipboard(Grid()));
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (wide.size() + 1) * sizeof(wchar_t));
    std::memcpy(GlobalLock(block), wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(block);
    if (SetClipboardData(CF_UNICODETEXT, block) == nullptr) GlobalFree(block);
    CloseClipboard();
    grid_->SetFocusCell(2, 2);
    Key('V', false, true);
    EXPECT_EQ(TextOf(2, 2), "期权");
    EXPECT_EQ(TextOf(2, 3), "认购");
}

TEST_F(GridClipboardFixture, CutCopiesThenEmptiesOnlyTheCellsItMay) {
    Click(CentreOf(1, 1));
    Click(CentreOf(1, 3), MK_SHIFT);
    grid_->SetCellState(1, 2, GridCellState::Selected | GridCellState::ReadOnly);
    Key('X', false, true);
    EXPECT_EQ(ClipboardBlock(Grid()).substr(0, 15), "r1c1\tr1c2\tr1c3\0"s);
    EXPECT_EQ(TextOf(1, 1), "");
    EXPECT_EQ(TextOf(1, 2), "r1c2");
    EXPECT_EQ(TextOf(1, 3), "");
    Key(VK_DELETE);  // nothing left to clear that may be cleared
    EXPECT_EQ(TextOf(1, 2), "r1c2");
}

TEST_F(GridClipboardFixture, EditCommandsAreEnabledByTheirRules) {
    PutClipboardBytes(Grid(), "t"s + '\0');
    auto enabled = [&] {
        std::string flags;
        for (UINT id : {GridCommand::Copy, GridCommand::Cut, GridCommand::Paste, GridCommand::SelectAll})
            flags += grid_->IsEditCommandEnabled(id) ? '1' : '0';
        return flags;
    };
    EXPECT_EQ(enabled(), "0001");
    Click(CentreOf(2, 2));
    EXPECT_EQ(enabled(), "1111");
    grid_->SetCellState(2, 2, GridCellState::ReadOnly | GridCellState::Selected);
    EXPECT_EQ(enabled(), "1101");
    grid_->SetEditable(false);
    EXPECT_EQ(enabled(), "1001");
    grid_->EnableSelection(false);
    EXPECT_EQ(enabled(), "1000");
    // A disabled command does nothing.
    SendMessageW(Grid(), WM_COMMAND, GridCommand::Paste, 0);
    EXPECT_EQ(TextOf(2, 2), "r2c2");
    grid_->EnableSelection(true);
    SendMessageW(Grid(), WM_COMMAND, GridCommand::SelectAll, 0);
    EXPECT_EQ(Selected().size(), 12u);
}

TEST_F(GridClipboardFixture, DropPastesAtTheCellUnderThePointer) {
    grid_->SetCellText(1, 1, "p");
    grid_->SetCellText(1, 2, "q");
    Click(CentreOf(1, 1));
    Click(CentreOf(1, 2), MK_SHIFT);
    Key('C', false, true);
    IDataObject* data = nullptr;
    ASSERT_EQ(OleGetClipboard(&data), S_OK);

    EXPECT_EQ(grid_->OnDragEnter(data, 0, CentreOf(3, 1)), static_cast<DWORD>(DROPEFFECT_NONE))
        << "drag and drop is off";
    grid_->SetDragAndDrop(true);
    EXPECT_EQ(grid_->OnDragEnter(data, MK_CONTROL, CentreOf(3, 1)), static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(grid_->OnDragOver(data, 0, CentreOf(3, 2)), static_cast<DWORD>(DROPEFFECT_MOVE));
    EXPECT_TRUE(grid_->GetCellState(3, 2) & GridCellState::DropHighlighted);
    EXPECT_FALSE(grid_->GetCellState(3, 1) & GridCellState::DropHighlighted);
    EXPECT_EQ(grid_->OnDragOver(data, 0, CentreOf(0, 2)), static_cast<DWORD>(DROPEFFECT_NONE)) << "a header cell";
    EXPECT_TRUE(grid_->OnDrop(data, DROPEFFECT_COPY, CentreOf(3, 2)));
    EXPECT_FALSE(grid_->GetCellState(3, 2) & GridCellState::DropHighlighted);
    EXPECT_EQ(TextOf(3, 2), "p");
    EXPECT_EQ(TextOf(3, 3), "q");

    // At the bottom edge the view scrolls towards the rows out of view.
    Shape(40, 4, 1, 1);
    EXPECT_EQ(grid_->OnDragOver(data, 0, POINT{90, 295}), static_cast<DWORD>(DROPEFFECT_MOVE | DROPEFFECT_SCROLL));
    EXPECT_EQ(grid_->GetScrollPosition(SB_VERT), 20);
    grid_->OnDragLeave();
    data->Release();
}

}  // namespace quillon::grid::testing

namespace quillon::grid::testing {

TEST_F(GridClipboardFixture, DraggingSelectedCellsTellsTheParentAndLeavesTheGridIdle) {
    grid_->SetDragAndDrop(true);
    Click(CentreOf(1, 1));
    Click(CentreOf(1, 2), MK_SHIFT);
    Events().clear();
    Press(CentreOf(1, 1));  // a selected cell that is not the focus cell
    EXPECT_EQ(grid_->GetMouseMode(), GridMouseMode::DragPending);
    Move(CentreOf(1, 1), MK_LBUTTON);  // not far enough to be a drag
    EXPECT_EQ(CountEvents(WM_NOTIFY, GN_BEGINDRAG), 0);
    // The button is not really held: Windows' drag loop drops at once where the pointer
    // is, Wine's gives up (E_FAIL). Either way the loop returns and the grid is idle again.
    Move(CentreOf(3, 1), MK_LBUTTON);
    Pump();
    const ParentEvent* began = LastEvent(WM_NOTIFY, GN_BEGINDRAG);
    ASSERT_NE(began, nullptr);
    EXPECT_EQ(began->row, 1);
    EXPECT_EQ(grid_->GetMouseMode(), GridMouseMode::Nothing);
    EXPECT_NE(GetCapture(), Grid());
    EXPECT_FALSE(grid_->GetCellState(3, 1) & GridCellState::DropHighlighted);
}

}  // namespace quillon::grid::testing
