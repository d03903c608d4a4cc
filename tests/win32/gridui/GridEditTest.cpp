#include "GridInputFixture.h"

namespace quillon::grid::testing {

namespace {

std::string WindowText(HWND window) {
    wchar_t buffer[256] = {};
    GetWindowTextW(window, buffer, 255);
    std::string narrow;
    for (const wchar_t* c = buffer; *c != 0; ++c) narrow += static_cast<char>(*c);
    return narrow;
}

BOOL CALLBACK RowText(GridDisplayRecord* record, LPARAM) {
    record->text = "v" + std::to_string(record->row);
    return TRUE;
}

}  // namespace

class GridEditFixture : public GridInputFixture {
protected:
    void SetUp() override {
        GridInputFixture::SetUp();
        Shape(8, 5, 1, 1);
        grid_->SetFocusCell(2, 2);
    }
    HWND OpenWithF2() {
        Key(VK_F2);
        Pump();
        return Editor();
    }
};

TEST_F(GridEditFixture, EscapePutsBackTheTextEditingBeganWith) {
    HWND editor = OpenWithF2();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(GetFocus(), editor);
    EXPECT_EQ(WindowText(editor), "r2c2");
    Type(editor, "xy");
    EXPECT_EQ(WindowText(editor), "r2c2xy");
    Type(editor, "\x1b");
    Pump();
    EXPECT_EQ(Editor(), nullptr);
    EXPECT_EQ(TextOf(2, 2), "r2c2");
    EXPECT_FALSE(grid_->GetModified());
    EXPECT_EQ(GetFocus(), Grid());
}

TEST_F(GridEditFixture, ReturnStoresTheTextAndTellsTheParent) {
    HWND editor = OpenWithF2();
    ASSERT_NE(editor, nullptr);
    Type(editor, "z\r");
    Pump();
    EXPECT_EQ(Editor(), nullptr);
    EXPECT_EQ(TextOf(2, 2), "r2c2z");
    EXPECT_TRUE(grid_->GetCellState(2, 2) & GridCellState::Modified);
    const ParentEvent* ended = LastEvent(WM_NOTIFY, GN_ENDLABELEDIT);
    ASSERT_NE(ended, nullptr);
    EXPECT_EQ(ended->text, "r2c2z");
    EXPECT_EQ(CountEvents(WM_NOTIFY, GN_BEGINLABELEDIT), 1);
    EXPECT_EQ(GetFocus(), Grid());
}

TEST_F(GridEditFixture, TabAndArrowsEndEditingAndEditTheNextCell) {
    // Started by typing: the typed character replaces the text, arrows leave the editor.
    SendMessageW(Grid(), WM_CHAR, 'q', 1);
    Pump();
    HWND editor = Editor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(WindowText(editor), "q");
    Key(VK_DOWN);
    Pump();
    EXPECT_EQ(TextOf(2, 2), "q");
    EXPECT_EQ(grid_->GetFocusCell(), (GridCellId{3, 2}));
    editor = Editor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(WindowText(editor), "r3c2");
    EXPECT_EQ(GetFocus(), editor);

    Type(editor, "w\t");
    Pump();
    EXPECT_EQ(TextOf(3, 2), "w");
    EXPECT_EQ(grid_->GetFocusCell(), (GridCellId{3, 3}));
    editor = Editor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(GetFocus(), editor);
    // Whole text selected: typing replaces it.
    Type(editor, "v\x1b");
    Pump();
    EXPECT_EQ(TextOf(3, 3), "r3c3");
}

TEST_F(GridEditFixture, TheStartingCharacterDecidesWhatHappensToTheText) {
    struct Case {
        UINT character;
        const char* typedAfter;
        const char* expected;
    };
    const Case cases[] = {
        {VK_BACK, "", "r2c"},       // the backspace is applied
        {'q', "", "q"},             // replaces the text
        {VK_RETURN, "!", "r2c2!"},  // caret at the end
        {' ', "x", "x"},            // whole text selected
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.character);
        SendMessageW(Grid(), WM_CHAR, c.character, 1);
        Pump();
        HWND editor = Editor();
        ASSERT_NE(editor, nullptr);
        Type(editor, c.typedAfter);
        EXPECT_EQ(WindowText(editor), c.expected);
        Type(editor, "\x1b");
        Pump();
        EXPECT_EQ(Editor(), nullptr);
        EXPECT_EQ(TextOf(2, 2), "r2c2");
    }
}

TEST_F(GridEditFixture, EditorWidensWithItsTextUpToTheGridsEdge) {
    HWND editor = OpenWithF2();
    ASSERT_NE(editor, nullptr);
    RECT before{};
    GetWindowRect(editor, &before);
    Type(editor, "a long addition that no sixty-pixel cell can hold, and then some more text still");
    RECT after{};
    GetWindowRect(editor, &after);
    RECT grid{};
    GetClientRect(Grid(), &grid);
    MapWindowPoints(Grid(), nullptr, reinterpret_cast<POINT*>(&grid), 2);
    EXPECT_GT(after.right - after.left, before.right - before.left);
    EXPECT_LE(after.right, grid.right);
    Type(editor, "\x1b");
    Pump();
}

TEST_F(GridEditFixture, EditorStartedByTheMouseKeepsArrowsForTheCaret) {
    Click(CentreOf(2, 2));  // on the focus cell's text: edit on release
    Pump();
    HWND editor = Editor();
    ASSERT_NE(editor, nullptr);
    Key(VK_LEFT);
    Pump();
    EXPECT_EQ(Editor(), editor);
    Key(VK_LEFT, false, true);  // with Ctrl the arrow leaves
    Pump();
    EXPECT_EQ(grid_->GetFocusCell(), (GridCellId{2, 1}));
}

TEST_F(GridEditFixture, NoEditorWhereEditingIsRefused) {
    struct Case {
        const char* what;
        void (*prepare)(CGridCtrl&);
    };
    const Case cases[] = {
        {"read-only grid", [](CGridCtrl& grid) { grid.SetEditable(false); }},
        {"read-only cell", [](CGridCtrl& grid) { grid.SetCellState(2, 2, GridCellState::ReadOnly); }},
        {"parent refuses",
         [](CGridCtrl&) {
             BeginEditAnswers()[{2, 2}] = -1;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        grid_->SetEditable(true);
        grid_->SetCellState(2, 2, 0);
        BeginEditAnswers().clear();
        c.prepare(*grid_);
        EXPECT_EQ(OpenWithF2(), nullptr);
        SendMessageW(Grid(), WM_CHAR, 'q', 1);
        Pump();
        EXPECT_EQ(Editor(), nullptr);
        EXPECT_EQ(TextOf(2, 2), "r2c2");
    }
}

TEST_F(GridEditFixture, ParentRejectingTheEndPutsTheOldTextBack) {
    EndEditAnswers()[{2, 2}] = -1;
    HWND editor = OpenWithF2();
    ASSERT_NE(editor, nullptr);
    Type(editor, "bad\r");
    Pump();
    EXPECT_EQ(TextOf(2, 2), "r2c2");
    EXPECT_FALSE(grid_->GetCellState(2, 2) & GridCellState::Modified);
    EXPECT_FALSE(grid_->GetModified());
}

TEST_F(GridEditFixture, ClickingElsewhereEndsEditingWithTheTypedText) {
    HWND editor = OpenWithF2();
    ASSERT_NE(editor, nullptr);
    Type(editor, "!");
    Click(CentreOf(5, 3));
    Pump();
    EXPECT_EQ(Editor(), nullptr);
    EXPECT_EQ(TextOf(2, 2), "r2c2!");
    EXPECT_EQ(grid_->GetFocusCell(), (GridCellId{5, 3}));
}

TEST_F(GridInputFixture, VirtualModeEditsReachTheParentAndEditingCanBeginAgain) {
    grid_->SetVirtualMode(true);
    grid_->SetDisplayCallback(&RowText);
    Shape(6, 3, 1, 1);
    grid_->SetFocusCell(2, 1);
    for (const char* typed : {"a\r", "b\r"}) {
        Key(VK_F2);
        HWND editor = Editor();
        ASSERT_NE(editor, nullptr) << typed;
        Type(editor, typed);
        Pump();
        const ParentEvent* ended = LastEvent(WM_NOTIFY, GN_ENDLABELEDIT);
        ASSERT_NE(ended, nullptr);
        EXPECT_EQ(ended->text, std::string("v2") + typed[0]);
        EXPECT_EQ(Editor(), nullptr);
    }
}

TEST_F(GridEditFixture, DestroyingTheGridWhileEditingLeavesNothingBehind) {
    HWND editor = OpenWithF2();
    ASSERT_NE(editor, nullptr);
    grid_.reset();
    Pump();
    EXPECT_FALSE(IsWindow(editor));
}

}  // namespace quillon::grid::testing
