// The docked board's layout: its template, both grids' set-up and columns, the rows a
// contract list gives, the requests it sends, and how the grids follow the window.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "BoardTestSupport.h"
#include "board/QuoteGrid.h"
#include "host/HostMessages.h"
#include "host/HostRequests.h"
#include "res/ResourceIds.h"

namespace quillon::board::testing {
namespace {

using Texts = std::vector<std::string>;

// A template rectangle in pixels: position and size are converted apart, as the dialog
// manager does.
RECT DialogUnits(HWND dialog, int left, int top, int width, int height) {
    RECT rect = {left, top, width, height};
    MapDialogRect(dialog, &rect);
    return RECT{rect.left, rect.top, rect.left + rect.right, rect.top + rect.bottom};
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

void ExpectRect(const RECT& actual, const RECT& expected, const char* what) {
    EXPECT_EQ(actual.left, expected.left) << what;
    EXPECT_EQ(actual.top, expected.top) << what;
    EXPECT_EQ(actual.right, expected.right) << what;
    EXPECT_EQ(actual.bottom, expected.bottom) << what;
}

class DockedBoardLayout : public BoardFixture {
protected:
    void LoadFuturesAndOptions() {
        AddInstrument("IF2101", "CFFEX", false, 0.2);
        AddInstrument("IO2101-C-4500", "CFFEX", true, 0.2);
        AddInstrument("IO2101-P-4500", "CFFEX", true, 0.2);
        board_->LoadContracts({"IF2101", "IO2101-C-4500", "IO2101-P-4500"});
    }

    // The requests of one type, as codes, in the order sent.
    Texts CodesSent(int type) const {
        Texts codes;
        for (const SentRequest& request : host_.sent) {
            if (request.type == type) codes.push_back(request.Code());
        }
        return codes;
    }
};

TEST_F(DockedBoardLayout, TemplateHoldsTwoGridsAndAHiddenDefaultCloseButton) {
    HWND dialog = board_->GetSafeHwnd();
    LONG style = GetWindowLongW(dialog, GWL_STYLE);
    EXPECT_TRUE(style & WS_CHILD);
    EXPECT_FALSE(style & WS_VISIBLE) << "the frame shows the board itself";

    HWND top = GetDlgItem(dialog, IDC_UNDERLYING_GRID);
    HWND board = GetDlgItem(dialog, IDC_BOARD_GRID);
    EXPECT_EQ(ClassOf(top), L"MFCGridCtrl");
    EXPECT_EQ(ClassOf(board), L"MFCGridCtrl");
    for (HWND grid : {top, board}) {
        EXPECT_TRUE(GetWindowLongW(grid, GWL_STYLE) & WS_VISIBLE);
        EXPECT_TRUE(GetWindowLongW(grid, GWL_STYLE) & WS_TABSTOP);
    }
    ExpectRect(RectInBoard(Top()), DialogUnits(dialog, 0, 0, 322, 71), "top grid");
    ExpectRect(RectInBoard(Board()), DialogUnits(dialog, 0, 71, 322, 163), "T board");

    HWND close = GetDlgItem(dialog, IDOK);
    ASSERT_NE(close, nullptr);
    wchar_t caption[16] = {};
    GetWindowTextW(close, caption, 16);
    EXPECT_EQ(std::wstring(caption), L"关闭");
    EXPECT_FALSE(GetWindowLongW(close, GWL_STYLE) & WS_VISIBLE);
    EXPECT_EQ(GetWindowLongW(close, GWL_STYLE) & 0x0F, BS_DEFPUSHBUTTON);
    RECT closeRect;
    GetWindowRect(close, &closeRect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&closeRect), 2);
    ExpectRect(closeRect, DialogUnits(dialog, 262, 86, 44, 15), "close button");
}

TEST_F(DockedBoardLayout, BothGridsAreReadOnlyListsWithWholeRowSelection) {
    for (grid::CGridCtrl* grid : {&Top(), &Board()}) {
        EXPECT_FALSE(grid->IsEditable());
        EXPECT_TRUE(grid->GetListMode());
        EXPECT_TRUE(grid->GetSingleRowSelection());
        EXPECT_FALSE(grid->GetFixedRowSelection());
        EXPECT_FALSE(grid->GetFixedColumnSelection());
        EXPECT_TRUE(grid->IsSelectable());
        EXPECT_FALSE(grid->GetDragAndDrop());
        EXPECT_FALSE(grid->GetTrackFocusCell());
        EXPECT_FALSE(grid->GetFrameFocusCell());
        EXPECT_FALSE(grid->GetSortOnHeaderClick());
        EXPECT_EQ(grid->GetGridBackColour(), RGB(255, 255, 255));
        EXPECT_EQ(grid->GetFocusCell(), (grid::GridCellId{-1, -1}));
        EXPECT_TRUE(grid->GetSelectedCells().empty());
        EXPECT_EQ(grid->GetRowCount(), 1) << "no data rows before the first contract list";
        EXPECT_EQ(grid->GetFixedRowCount(), 1);
        EXPECT_EQ(grid->GetFixedColumnCount(), 0);
        for (bool fixedRow : {false, true}) {
            for (bool fixedColumn : {false, true}) {
                EXPECT_EQ(grid->GetDefaultCell(fixedRow, fixedColumn)->GetHeight(), 20);
                EXPECT_EQ(grid->GetDefaultCell(fixedRow, fixedColumn)->GetMargin(), 3u);
            }
        }
    }
    LoadFuturesAndOptions();
    EXPECT_EQ(Top().GetRowHeight(1), 20);
    EXPECT_EQ(Board().GetRowHeight(1), 20);
}

TEST_F(DockedBoardLayout, DefaultColumnsReadLeftToRightWithTheirWidths) {
    EXPECT_EQ(HeaderTexts(Top()), (Texts{"合约", "最新价", "涨跌", "涨跌幅%", "买价", "买量", "卖价", "卖量"}));
    EXPECT_EQ(HeaderTexts(Board()), (Texts{"卖量", "卖价", "买量", "买价", "涨跌幅%", "涨跌", "最新价", "←涨看跌→",
                                           "最新价", "涨跌", "涨跌幅%", "买价", "买量", "卖价", "卖量"}));
    const ColumnId boardIds[] = {7, 6, 5, 4, 3, 2, 1, 24, 101, 102, 103, 104, 105, 106, 107};
    for (int col = 0; col < 15; ++col) {
        EXPECT_EQ(FindColumnById(Board(), boardIds[col]), col);
        EXPECT_EQ(Board().GetColumnWidth(col), col == 7 ? 92 : 72) << col;
    }
    for (int col = 0; col < 8; ++col) {
        EXPECT_EQ(FindColumnById(Top(), col), col);
        EXPECT_EQ(Top().GetColumnWidth(col), col == 0 ? 88 : 72) << col;
    }
    EXPECT_EQ(FindColumnById(Top(), 24), -1);
}

TEST_F(DockedBoardLayout, FuturesFillTheTopGridAndACallAndItsPutShareOneStrikeRow) {
    LoadFuturesAndOptions();
    ASSERT_EQ(Top().GetRowCount(), 2);
    EXPECT_EQ(Text(Top(), 1, 0), "IF2101");
    ASSERT_EQ(Board().GetRowCount(), 2);
    Texts expected(15, "");
    expected[7] = "IO2101-4500";  // no call or put code is written into the board
    EXPECT_EQ(RowTexts(Board(), 1), expected);
    EXPECT_EQ(board_->Contracts(), (Texts{"IF2101", "IO2101-C-4500", "IO2101-P-4500"}));
}

TEST_F(DockedBoardLayout, StrikesKeepTheOrderOfTheList) {
    const Texts codes = {"IO2101-C-4600", "IO2101-P-4600", "IO2101-C-4500", "IO2101-C-4700", "IO2101-P-4500"};
    for (const std::string& code : codes) AddInstrument(code, "CFFEX", true, 0.2);
    board_->LoadContracts(codes);
    ASSERT_EQ(Board().GetRowCount(), 4);
    EXPECT_EQ(Text(Board(), 1, 7), "IO2101-4600");
    EXPECT_EQ(Text(Board(), 2, 7), "IO2101-4500");
    EXPECT_EQ(Text(Board(), 3, 7), "IO2101-4700");
    EXPECT_EQ(Top().GetRowCount(), 1);
}

TEST_F(DockedBoardLayout, EveryRowIsBandedAndCarriesItsOwnIndex) {
    for (const char* code : {"IF2101", "IF2102", "IF2103"}) AddInstrument(code, "CFFEX", false, 0.2);
    board_->LoadContracts({"IF2101", "IF2102", "IF2103"});
    for (int row = 1; row <= 3; ++row) {
        EXPECT_EQ(FindRowByIndex(Top(), row), row);
        for (int col = 0; col < Top().GetColumnCount(); ++col) {
            EXPECT_EQ(Top().GetCell(row, col)->GetBackColour(), row % 2 ? RGB(255, 255, 255) : RGB(235, 235, 235));
        }
    }
    EXPECT_EQ(Top().GetCell(0, 0)->GetBackColour(), grid::GridColourNotSet) << "the header keeps the default";
    EXPECT_EQ(FindRowByIndex(Top(), 4), -1);
    EXPECT_EQ(FindRowByIndex(Top(), 0), -1) << "the header row is never a data row";
}

TEST_F(DockedBoardLayout, RequestsUnsubscribeTheOldListThenSubscribeAndRequestTheNewOne) {
    LoadFuturesAndOptions();
    const Texts first = {"IF2101", "IO2101-C-4500", "IO2101-P-4500"};
    ASSERT_EQ(host_.sent.size(), 6u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(host_.sent[i].type, host::HOSTMSG_QUOTE_SUBSCRIBE);
        EXPECT_EQ(host_.sent[i].Code(), first[i]);
        EXPECT_EQ(host_.sent[i + 3].type, host::HOSTMSG_QUOTE_REQUEST);
        EXPECT_EQ(host_.sent[i + 3].Code(), first[i]);
    }
    for (const SentRequest& request : host_.sent) {
        EXPECT_EQ(request.requestId, 0);
        ASSERT_EQ(request.payload.size(), 64u);
        for (std::size_t i = request.Code().size(); i < 64; ++i) ASSERT_EQ(request.payload[i], 0) << i;
    }

    host_.sent.clear();
    AddInstrument("IF2102", "CFFEX", false, 0.2);
    board_->LoadContracts({"IF2102", "NOSUCH1"});
    ASSERT_EQ(host_.sent.size(), 7u);
    EXPECT_EQ(CodesSent(host::HOSTMSG_QUOTE_UNSUBSCRIBE), first);
    EXPECT_EQ(CodesSent(host::HOSTMSG_QUOTE_SUBSCRIBE), (Texts{"IF2102", "NOSUCH1"}))
        << "an unknown code takes no row but is still subscribed";
    EXPECT_EQ(CodesSent(host::HOSTMSG_QUOTE_REQUEST), (Texts{"IF2102", "NOSUCH1"}));
    EXPECT_EQ(host_.sent[2].type, host::HOSTMSG_QUOTE_UNSUBSCRIBE);
    EXPECT_EQ(host_.sent[3].type, host::HOSTMSG_QUOTE_SUBSCRIBE);
    EXPECT_EQ(host_.sent[5].type, host::HOSTMSG_QUOTE_REQUEST);
    EXPECT_EQ(Top().GetRowCount(), 2);
    EXPECT_EQ(Board().GetRowCount(), 1);
}

TEST_F(DockedBoardLayout, AnEmptyListUnsubscribesEverythingAndLeavesOnlyTheHeaders) {
    LoadFuturesAndOptions();
    host_.sent.clear();
    board_->LoadContracts({});
    EXPECT_EQ(CodesSent(host::HOSTMSG_QUOTE_UNSUBSCRIBE), (Texts{"IF2101", "IO2101-C-4500", "IO2101-P-4500"}));
    EXPECT_EQ(host_.sent.size(), 3u);
    EXPECT_EQ(Top().GetRowCount(), 1);
    EXPECT_EQ(Board().GetRowCount(), 1);
    EXPECT_EQ(HeaderTexts(Top()).front(), "合约");

    host_.sent.clear();
    board_->LoadContracts({});
    EXPECT_TRUE(host_.sent.empty()) << "nothing left to unsubscribe";
}

TEST_F(DockedBoardLayout, CodesWithoutARowAreStillSubscribed) {
    AddInstrument("IF2101", "CFFEX", false, 0.2);
    AddInstrument("IOBROKEN", "CFFEX", true, 0.2);   // an option whose code does not parse
    AddInstrument("SR101C5000", "CZCE", true, 1.0);  // the letter form of its exchange
    board_->LoadContracts({"IOBROKEN", "UNKNOWN", "SR101C5000", "IF2101", "IF2101"});
    ASSERT_EQ(Top().GetRowCount(), 3) << "a code listed twice takes two rows";
    EXPECT_EQ(Text(Top(), 1, 0), "IF2101");
    EXPECT_EQ(Text(Top(), 2, 0), "IF2101");
    ASSERT_EQ(Board().GetRowCount(), 2);
    EXPECT_EQ(Text(Board(), 1, 7), "SR101-5000");
    EXPECT_EQ(CodesSent(host::HOSTMSG_QUOTE_SUBSCRIBE),
              (Texts{"IOBROKEN", "UNKNOWN", "SR101C5000", "IF2101", "IF2101"}));
}

TEST_F(DockedBoardLayout, ACodeTooLongForItsSlotIsCutToSixtyThreeBytes) {
    const std::string longCode(70, 'Z');
    board_->LoadContracts({longCode});
    ASSERT_EQ(host_.sent.size(), 2u);
    EXPECT_EQ(host_.sent[0].Code(), std::string(63, 'Z'));
    EXPECT_EQ(host_.sent[0].payload[63], 0);
}

TEST_F(DockedBoardLayout, RequestsAreSkippedWithoutAHostInstance) {
    host::SetHostApi(nullptr);
    LoadFuturesAndOptions();
    EXPECT_TRUE(host_.sent.empty());
    EXPECT_EQ(Top().GetRowCount(), 2);
}

// The horizontal scroll position a grid is expected to take for a view `viewWidth` wide:
// the middle of its range, within what the scroll bar allows.
int ExpectedCentre(HWND grid, int viewWidth) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE;
    GetScrollInfo(grid, SB_HORZ, &info);
    int position = (info.nMax - info.nMin - viewWidth) / 2;
    int highest = info.nMax - static_cast<int>(info.nPage) + 1;
    if (position > highest) position = highest;
    if (position < info.nMin) position = info.nMin;
    return position;
}

TEST_F(DockedBoardLayout, ResizingKeepsTheTopGridsHeightAndCentresBothGrids) {
    LoadFuturesAndOptions();
    const RECT topBefore = RectInBoard(Top());
    const int topHeight = topBefore.bottom - topBefore.top;

    struct Size {
        int width;
        int height;
    };
    for (Size size : {Size{500, 400}, Size{450, 380}, Size{760, 520}, Size{300, 200}}) {
        MoveWindow(board_->GetSafeHwnd(), 0, 0, size.width, size.height, TRUE);
        RECT client;
        GetClientRect(board_->GetSafeHwnd(), &client);

        const RECT top = RectInBoard(Top());
        EXPECT_EQ(top.left, 0);
        EXPECT_EQ(top.top, 0);
        EXPECT_EQ(top.right, client.right) << size.width;
        EXPECT_EQ(top.bottom - top.top, topHeight) << size.width;
        const RECT board = RectInBoard(Board());
        EXPECT_EQ(board.top, topBefore.bottom);
        EXPECT_EQ(board.right, client.right) << size.width;
        EXPECT_EQ(board.bottom, client.bottom) << size.width;

        // Each grid is centred on its own new width.
        EXPECT_EQ(Board().GetScrollPosition(SB_HORZ), ExpectedCentre(Board().GetSafeHwnd(), board.right - board.left))
            << size.width;
        EXPECT_EQ(Top().GetScrollPosition(SB_HORZ), ExpectedCentre(Top().GetSafeHwnd(), top.right - top.left))
            << size.width;
    }

    // What the trader sees: the strike column in the middle of the T board.
    MoveWindow(board_->GetSafeHwnd(), 0, 0, 600, 400, TRUE);
    RECT strike;
    ASSERT_TRUE(Board().GetCellRect(0, 7, &strike));
    const RECT board = RectInBoard(Board());
    const int middle = (board.right - board.left) / 2;
    // The grid scrolls by whole columns, so the strike column is centred to within one.
    EXPECT_NEAR((strike.left + strike.right) / 2, middle, QuoteColumnWidth);
}

// Window-position changes the grids receive, as (grid, y) pairs.
std::vector<std::pair<HWND, int>>& Moves() {
    static std::vector<std::pair<HWND, int>> moves;
    return moves;
}
HWND watchedGrids[2];

LRESULT CALLBACK WatchMoves(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && message->message == WM_WINDOWPOSCHANGING &&
        (message->hwnd == watchedGrids[0] || message->hwnd == watchedGrids[1])) {
        const auto* position = reinterpret_cast<const WINDOWPOS*>(message->lParam);
        if (!(position->flags & SWP_NOMOVE)) Moves().push_back({message->hwnd, position->y});
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

class DockedBoardMoves : public DockedBoardLayout {
protected:
    static void PumpFor(DWORD milliseconds) {
        DWORD start = GetTickCount();
        while (GetTickCount() - start < milliseconds) {
            Pump();
            Sleep(5);
        }
    }
};

TEST_F(DockedBoardMoves, MovingTheWindowNudgesBothGridsWithinOneTimerPeriod) {
    watchedGrids[0] = Top().GetSafeHwnd();
    watchedGrids[1] = Board().GetSafeHwnd();
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, WatchMoves, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);

    PumpFor(100);  // the first tick lays out once, as the last rectangle starts empty
    Moves().clear();
    PumpFor(100);
    EXPECT_TRUE(Moves().empty()) << "nothing moved, nothing nudged";

    const int topY = RectInBoard(Top()).top;
    const int boardY = RectInBoard(Board()).top;
    SetWindowPos(parent_, nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    DWORD start = GetTickCount();
    while (Moves().size() < 4 && GetTickCount() - start < 1000) {
        Pump();
        Sleep(2);
    }
    UnhookWindowsHookEx(hook);

    using Move = std::pair<HWND, int>;
    ASSERT_EQ(Moves().size(), 4u);
    EXPECT_EQ(Moves()[0], (Move{watchedGrids[0], topY - 1}));
    EXPECT_EQ(Moves()[1], (Move{watchedGrids[0], topY}));
    EXPECT_EQ(Moves()[2], (Move{watchedGrids[1], boardY - 1}));
    EXPECT_EQ(Moves()[3], (Move{watchedGrids[1], boardY}));
    EXPECT_EQ(RectInBoard(Top()).top, topY);
    EXPECT_EQ(RectInBoard(Board()).top, boardY);
}

}  // namespace
}  // namespace quillon::board::testing
