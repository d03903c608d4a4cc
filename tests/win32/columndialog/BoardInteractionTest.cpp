// The docked board's grids as the user works them: the context menu and its two
// commands, double clicks, and the keys and commands that must not close the board.
#include <gtest/gtest.h>
#include <windows.h>

// <commctrl.h> builds on the types of <windows.h>.
#include <commctrl.h>

#include <string>
#include <utility>
#include <vector>

#include "../board/BoardTestSupport.h"
#include "ColumnDialogTestSupport.h"
#include "board/ColumnSet.h"
#include "board/DlgSetOptionCols.h"
#include "board/QuoteGrid.h"
#include "framework/OleSession.h"
#include "framework/TextConversion.h"
#include "host/HostMessages.h"
#include "host/HostRequests.h"
#include "host/WireRecords.h"
#include "res/ResourceIds.h"

namespace quillon::board::testing {
namespace {

using MenuItems = std::vector<std::pair<UINT, std::string>>;

MenuItems ItemsOf(HMENU menu) {
    MenuItems items;
    for (int position = 0; position < GetMenuItemCount(menu); ++position) {
        wchar_t text[64] = {};
        GetMenuStringW(menu, static_cast<UINT>(position), text, 64, MF_BYPOSITION);
        items.emplace_back(GetMenuItemID(menu, position), framework::CodePage936FromWide(text));
    }
    return items;
}

HWND OpenPopupMenuWindow() {
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, L"#32768", nullptr)) != nullptr) {
        if (IsWindowVisible(window)) return window;
    }
    return nullptr;
}

std::vector<int> ColumnWidths(const grid::CGridCtrl& grid) {
    std::vector<int> widths;
    for (int col = 0; col < grid.GetColumnCount(); ++col) widths.push_back(grid.GetColumnWidth(col));
    return widths;
}

class BoardInteraction : public BoardFixture {
protected:
    void SetUp() override {
        BoardFixture::SetUp();
        framework::InitCommonControlsForProgram();
        ASSERT_TRUE(frame_.Create());
        // The frame rebuilds the docked board when the column set changed.
        frame_.onAnnouncement = [this] { board_->ReloadColumns(); };
        application_.SetMainWindow(&frame_);
        AddInstrument("IF2101", "CFFEX", false, 0.2);
        AddInstrument("IO2101-C-4500", "CFFEX", true, 0.2);
        AddInstrument("IO2101-P-4500", "CFFEX", true, 0.2);
        AddInstrument("IO2101-C-4600", "CFFEX", true, 0.2);
        board_->LoadContracts({"IF2101", "IO2101-C-4500", "IO2101-P-4500", "IO2101-C-4600"});
        host_.sent.clear();
    }
    void TearDown() override {
        Pump();
        application_.SetMainWindow(nullptr);
        frame_.DestroyWindow();
        BoardFixture::TearDown();
    }

    // Right-clicks `grid` as the grid reports it, and picks menu item `choice` (by
    // keyboard, as the menu is up) or leaves the menu with Escape (choice -1). Returns
    // the items the open menu showed. The chosen command runs after the menu is gone.
    MenuItems RightClickAndChoose(grid::CGridCtrl& grid, int choice, std::vector<std::function<void()>> after = {}) {
        MenuItems shown;
        std::vector<std::function<void()>> steps = {[&shown, choice] {
            HWND menuWindow = OpenPopupMenuWindow();
            ASSERT_NE(menuWindow, nullptr);
            shown = ItemsOf(reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0)));
            if (choice < 0) {
                PostMessageW(menuWindow, WM_KEYDOWN, VK_ESCAPE, 0);
                return;
            }
            for (int step = 0; step <= choice; ++step) PostMessageW(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
            PostMessageW(menuWindow, WM_KEYDOWN, VK_RETURN, 0);
        }};
        steps.insert(steps.end(), after.begin(), after.end());
        TimedSteps script(std::move(steps));
        EXPECT_EQ(grid.SendMessageToParent(1, 0, NM_RCLICK), 0);
        EXPECT_EQ(OpenPopupMenuWindow(), nullptr);
        Pump();  // the chosen command, and what it opens
        EXPECT_TRUE(script.Done());
        return shown;
    }

    framework::CWinApp application_;
    AnnouncementCounter frame_;
};

TEST_F(BoardInteraction, RightClickShowsTheContextMenuAndFitsOnlyTheClickedGrid) {
    // Texts wider than the fixed 72 and 88 pixel columns in both grids.
    Top().SetCellText(1, 1, "12345678901234567890");
    Board().SetCellText(1, 1, "12345678901234567890");
    const std::vector<int> topBefore = ColumnWidths(Top());
    const std::vector<int> boardBefore = ColumnWidths(Board());

    // Before any right click the command has no grid to fit.
    board_->Send(WM_COMMAND, ID_GRID_FIT_COLUMNS);
    EXPECT_EQ(ColumnWidths(Top()), topBefore);
    EXPECT_EQ(ColumnWidths(Board()), boardBefore);

    // Below the resource's two commands, the switches of the marks (both on by default).
    const MenuItems items = RightClickAndChoose(Top(), 1);
    EXPECT_EQ(items, (MenuItems{{ID_GRID_COLUMN_SETTINGS, "表格列设置"},
                                {ID_GRID_FIT_COLUMNS, "自动调整列宽"},
                                {0, ""},
                                {ID_BOARD_MARK_AT_THE_MONEY, "标出平值行权价"},
                                {ID_BOARD_SHADE_IN_THE_MONEY, "实值着色"},
                                {ID_BOARD_CHANGE_FLASHES, "变动闪烁"}}));
    const std::vector<int> topFitted = ColumnWidths(Top());
    EXPECT_NE(topFitted, topBefore);
    EXPECT_GT(topFitted[1], topBefore[1]);
    EXPECT_EQ(ColumnWidths(Board()), boardBefore);

    // A menu left with Escape still makes its grid the target of the next fit.
    RightClickAndChoose(Board(), -1);
    EXPECT_EQ(ColumnWidths(Board()), boardBefore);
    board_->Send(WM_COMMAND, ID_GRID_FIT_COLUMNS);
    EXPECT_GT(ColumnWidths(Board())[1], boardBefore[1]);
    EXPECT_EQ(ColumnWidths(Top()), topFitted);

    // The fixed widths come back with the next column rebuild.
    board_->ReloadColumns();
    EXPECT_EQ(ColumnWidths(Top()), topBefore);
    EXPECT_EQ(ColumnWidths(Board()), boardBefore);
}

TEST_F(BoardInteraction, TheContextMenuResourceHoldsOnePopupWithTheTwoCommands) {
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_GRID_CONTEXT_MENU));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(GetMenuItemCount(menu), 1);
    wchar_t caption[32] = {};
    GetMenuStringW(menu, 0, caption, 32, MF_BYPOSITION);
    EXPECT_STREQ(caption, L"targetgrid");
    EXPECT_EQ(ItemsOf(GetSubMenu(menu, 0)),
              (MenuItems{{ID_GRID_COLUMN_SETTINGS, "表格列设置"}, {ID_GRID_FIT_COLUMNS, "自动调整列宽"}}));
    DestroyMenu(menu);
}

TEST_F(BoardInteraction, EveryDoubleClickOnEitherGridAsksTheHostToComeForward) {
    const std::pair<grid::CGridCtrl*, grid::GridCellId> clicks[] = {
        {&Top(), {1, 0}}, {&Top(), {0, 2}}, {&Board(), {1, 7}}, {&Board(), {2, 3}}, {&Board(), {-1, -1}}};
    for (const auto& [grid, cell] : clicks) {
        EXPECT_EQ(grid->SendMessageToParent(cell.row, cell.col, NM_DBLCLK), 0);
    }
    ASSERT_EQ(host_.sent.size(), std::size(clicks));
    for (const SentRequest& request : host_.sent) {
        EXPECT_EQ(request.type, host::HOSTMSG_ACTIVATE_HOST);
        EXPECT_TRUE(request.payload.empty());
        EXPECT_EQ(request.requestId, 0);
    }

    host::SetHostApi(nullptr);  // no host library instance: nothing to send, nothing breaks
    Top().SendMessageToParent(1, 0, NM_DBLCLK);
    host::SetHostApi(&host_);
    EXPECT_EQ(host_.sent.size(), std::size(clicks));
}

TEST_F(BoardInteraction, KeysAndCloseCommandsLeaveTheBoardOpen) {
    ShowWindow(parent_, SW_SHOW);
    board_->ShowWindow(SW_SHOW);
    SetFocus(Board().GetSafeHwnd());
    for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
        MSG press = {Board().GetSafeHwnd(), WM_KEYDOWN, key, 0, 0, {0, 0}};
        if (!framework::CWinApp::PreTranslate(press)) DispatchMessageW(&press);
    }
    board_->Send(WM_COMMAND, IDOK);
    board_->Send(WM_COMMAND, IDCANCEL);
    board_->Send(WM_SYSCOMMAND, SC_CLOSE);
    board_->Send(WM_CLOSE);
    Pump();
    EXPECT_TRUE(board_->IsWindow());
    EXPECT_TRUE(IsWindowVisible(board_->GetSafeHwnd()));
    EXPECT_EQ(board_->UnderlyingGrid(), &Top());
    EXPECT_TRUE(host_.sent.empty());
}

TEST_F(BoardInteraction, ConfirmedColumnSettingsRebuildBothGridsWithTheCachedQuotes) {
    namespace field = host::quote_record;
    QuoteBuilder future("IF2101");
    future.Price(field::LastPrice, 4012.4).Price(field::PreSettlement, 4000.0);
    Quote(future, false, false, 0.2);
    QuoteBuilder call("IO2101-C-4500");
    call.Price(field::LastPrice, 86.2).Price(field::PreSettlement, 80.0);
    Quote(call, true, true, 0.2);
    ASSERT_EQ(TextById(Top(), 1, 1), "4012.4");

    // Cancelled: nothing changes, nothing is rebuilt.
    const int reloadsBefore = board_->ColumnReloadCount();
    RightClickAndChoose(Board(), 0, {[] {
                            auto* dialog =
                                dynamic_cast<CDlgSetOptionCols*>(framework::CWnd::FromHandle(FindOwnDialog(nullptr)));
                            ASSERT_NE(dialog, nullptr);
                            dialog->ColumnList().SetCheck(1, false);
                            SendMessageW(dialog->GetDlgItem(IDCANCEL), BM_CLICK, 0, 0);
                        }});
    EXPECT_EQ(board_->ColumnReloadCount(), reloadsBefore);
    EXPECT_EQ(frame_.announcements, 0);
    EXPECT_EQ(HeaderTexts(Top()).size(), 8u);

    // Confirmed: "最新价" dropped, "开盘价" (id 9) added.
    RightClickAndChoose(Top(), 0, {[this] {
                            HWND window = FindOwnDialog(nullptr);
                            auto* dialog = dynamic_cast<CDlgSetOptionCols*>(framework::CWnd::FromHandle(window));
                            ASSERT_NE(dialog, nullptr);
                            EXPECT_EQ(GetWindow(window, GW_OWNER), parent_);  // the board's top-level window
                            dialog->ColumnList().SetCheck(1, false);
                            dialog->ColumnList().SetCheck(9, true);
                            SendMessageW(dialog->GetDlgItem(IDOK), BM_CLICK, 0, 0);
                        }});
    EXPECT_EQ(frame_.announcements, 1);
    EXPECT_EQ(board_->ColumnReloadCount(), reloadsBefore + 1);
    EXPECT_EQ(SharedColumnSet().selectedIds, (std::vector<ColumnId>{0, 2, 3, 4, 5, 6, 7, 9}));
    EXPECT_EQ(HeaderTexts(Top()),
              (std::vector<std::string>{"合约", "涨跌", "涨跌幅%", "买价", "买量", "卖价", "卖量", "开盘价"}));
    EXPECT_EQ(Text(Top(), 1, 0), "IF2101");
    EXPECT_EQ(TextById(Top(), 1, 2), "12.4");
    EXPECT_EQ(FindColumnById(Board(), 1), -1);
    EXPECT_EQ(TextById(Board(), 1, 2), "6.2");
    EXPECT_EQ(TextById(Board(), 1, StrikeColumnId), "IO2101-4500");
}

}  // namespace
}  // namespace quillon::board::testing
