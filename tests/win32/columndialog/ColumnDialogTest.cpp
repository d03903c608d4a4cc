#include <gtest/gtest.h>
#include <windows.h>

// <commctrl.h> builds on the types of <windows.h>.
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "ColumnDialogTestSupport.h"
#include "board/AnalyticsCellFormat.h"
#include "board/ColumnSet.h"
#include "board/DlgSetOptionCols.h"
#include "framework/Foreground.h"
#include "res/ResourceIds.h"

namespace quillon::board::testing {
namespace {

const std::vector<std::string> SideCaptions = {"合约",   "最新价", "涨跌",   "涨跌幅%",  "买价",     "买量",
                                               "卖价",   "卖量",   "持仓量", "开盘价",   "昨结算价", "现量",
                                               "最高价", "最低价", "收盘价", "成交量",   "成交金额", "涨停价",
                                               "跌停价", "结算价", "昨收价", "昨持仓量", "更新时间"};

struct Row {
    std::string caption;
    bool checked;
    LPARAM id;
    bool operator==(const Row&) const = default;
};

void PrintTo(const Row& row, std::ostream* out) {
    *out << "{id " << row.id << (row.checked ? " ticked" : " unticked") << "}";
}

std::vector<Row> ListRows(const framework::CListCtrl& list) {
    std::vector<Row> rows;
    for (int row = 0; row < list.GetItemCount(); ++row) {
        EXPECT_EQ(list.GetItemText(row, 0), "") << "row " << row;
        rows.push_back({list.GetItemText(row, 1), list.GetCheck(row), list.GetItemData(row)});
    }
    return rows;
}

// The rows the default set gives: its eight columns ticked, then the rest in id order.
std::vector<Row> DefaultRows() {
    std::vector<Row> rows;
    for (int id = 0; id <= 22; ++id) rows.push_back({SideCaptions[static_cast<std::size_t>(id)], id <= 7, id});
    for (const auto& [id, caption] : AnalyticsColumnCaptions()) rows.push_back({caption, false, id});
    return rows;
}

void Select(const framework::CListCtrl& list, int row) {
    list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void Click(const CDlgSetOptionCols& dialog, int buttonId) {
    SendMessageW(dialog.GetDlgItem(buttonId), BM_CLICK, 0, 0);
}

std::vector<ColumnId> Ids(std::initializer_list<ColumnId> ids) {
    return ids;
}

using ColumnDialog = ColumnSetFixture;

TEST_F(ColumnDialog, ShowsTemplateAndListsTheShownColumnsFirstThenTheRestInIdOrder) {
    CDlgSetOptionCols dialog;
    TimedSteps steps({[&] {
        HWND window = dialog.GetSafeHwnd();
        EXPECT_EQ(WindowText(window), "表格列设置");
        EXPECT_EQ(WindowText(dialog.GetDlgItem(IDOK)), "确定");
        EXPECT_EQ(WindowText(dialog.GetDlgItem(IDCANCEL)), "取消");
        EXPECT_EQ(WindowText(dialog.GetDlgItem(IDC_MOVE_COLUMN_UP)), "↑");
        EXPECT_EQ(WindowText(dialog.GetDlgItem(IDC_MOVE_COLUMN_DOWN)), "↓");
        EXPECT_TRUE(GetWindowLongW(dialog.GetDlgItem(IDOK), GWL_STYLE) & BS_DEFPUSHBUTTON);

        HWND list = dialog.GetDlgItem(IDC_COLUMN_LIST);
        wchar_t className[64] = {};
        GetClassNameW(list, className, 64);
        EXPECT_STREQ(className, L"SysListView32");
        const LONG style = GetWindowLongW(list, GWL_STYLE);
        EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
        EXPECT_TRUE(style & LVS_SINGLESEL);
        EXPECT_EQ(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0), 0x120025);
        EXPECT_EQ(dialog.ColumnList().GetColumnHeading(0), "");
        EXPECT_EQ(dialog.ColumnList().GetColumnHeading(1), "列名");
        EXPECT_EQ(dialog.ColumnList().GetColumnWidth(0), 20);
        EXPECT_EQ(dialog.ColumnList().GetColumnWidth(1), 81);
        EXPECT_EQ(ListRows(dialog.ColumnList()), DefaultRows());
        Click(dialog, IDCANCEL);
    }});
    EXPECT_EQ(dialog.DoModal(nullptr), IDCANCEL);
    EXPECT_TRUE(steps.Done());
}

POINT CentreOf(const RECT& rect) {
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

TEST_F(ColumnDialog, OpensCentredOnAVisibleOwnerElseOnTheWorkArea) {
    RECT workArea = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, workArea.left + 40, workArea.top + 30, 500, 420,
                                 nullptr, nullptr, nullptr, nullptr);
    // A hidden owner (the frame before the host shows it) gives no place to centre on.
    for (bool ownerVisible : {false, true}) {
        SCOPED_TRACE(ownerVisible);
        if (ownerVisible) ShowWindow(owner, SW_SHOWNA);
        CDlgSetOptionCols dialog;
        RECT dialogRect = {};
        TimedSteps steps({[&] {
            GetWindowRect(dialog.GetSafeHwnd(), &dialogRect);
            Click(dialog, IDCANCEL);
        }});
        EXPECT_EQ(dialog.DoModal(owner), IDCANCEL);
        RECT expectedOn = workArea;
        if (ownerVisible) GetWindowRect(owner, &expectedOn);
        EXPECT_NEAR(CentreOf(dialogRect).x, CentreOf(expectedOn).x, 1);
        EXPECT_NEAR(CentreOf(dialogRect).y, CentreOf(expectedOn).y, 1);
    }
    DestroyWindow(owner);
}

TEST_F(ColumnDialog, ListsAChosenOrderAndLeavesOutIdsWithoutCaption) {
    ReplaceColumnSet(MakeColumnSet({30, 22, 3, -2, 1}));
    CDlgSetOptionCols dialog;
    std::vector<Row> rows;
    TimedSteps steps({[&] {
        rows = ListRows(dialog.ColumnList());
        Click(dialog, IDOK);
    }});
    EXPECT_EQ(dialog.DoModal(nullptr), IDOK);
    ASSERT_EQ(rows.size(), 23u + 11u);
    EXPECT_EQ(rows[0], (Row{"合约", true, 0}));
    EXPECT_EQ(rows[1], (Row{"更新时间", true, 22}));
    EXPECT_EQ(rows[2], (Row{"涨跌幅%", true, 3}));
    EXPECT_EQ(rows[3], (Row{"最新价", true, 1}));
    EXPECT_EQ(rows[4], (Row{"涨跌", false, 2}));
    EXPECT_EQ(rows[5], (Row{"买价", false, 4}));
    EXPECT_EQ(rows[22], (Row{"昨持仓量", false, 21}));
    EXPECT_EQ(rows[23], (Row{"买隐波", false, 50})) << "the analytics columns follow the quote columns";
    EXPECT_EQ(rows.back(), (Row{"剩余天数", false, 60}));
    // OK drops what the list could not show.
    EXPECT_EQ(SharedColumnSet().selectedIds, Ids({0, 22, 3, 1}));
    EXPECT_EQ(SharedColumnSet().boardIds, Ids({1, 3, 22, 24, 122, 103, 101}));
}

// What the user does in the list before pressing OK, and the set OK then makes.
struct EditCase {
    const char* what;
    std::function<void(const CDlgSetOptionCols&)> edit;
    std::vector<ColumnId> selectedIds;
    std::vector<ColumnId> boardIds;
};

TEST_F(ColumnDialog, OkReplacesTheSetFromTheTicksAndOrderOfTheRows) {
    const std::vector<ColumnId> defaultSelected = {0, 1, 2, 3, 4, 5, 6, 7};
    const std::vector<ColumnId> defaultBoard = {7, 6, 5, 4, 3, 2, 1, 24, 101, 102, 103, 104, 105, 106, 107};
    const std::vector<EditCase> cases = {
        {"nothing changed", [](const CDlgSetOptionCols&) {}, defaultSelected, defaultBoard},
        {"合约 moved down, then up from row 1",
         [](const CDlgSetOptionCols& dialog) {
             const framework::CListCtrl& list = dialog.ColumnList();
             Select(list, 0);
             Click(dialog, IDC_MOVE_COLUMN_DOWN);
             EXPECT_EQ(list.GetItemText(0, 1), "最新价");
             EXPECT_EQ(list.GetItemText(1, 1), "合约");
             EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 1);
             Click(dialog, IDC_MOVE_COLUMN_UP);
             EXPECT_EQ(list.GetItemText(1, 1), "合约");
         },
         defaultSelected, defaultBoard},
        {"合约 unticked", [](const CDlgSetOptionCols& dialog) { dialog.ColumnList().SetCheck(0, false); },
         defaultSelected, defaultBoard},
        {"last row down and row 1 up",
         [](const CDlgSetOptionCols& dialog) {
             const framework::CListCtrl& list = dialog.ColumnList();
             Select(list, list.GetItemCount() - 1);
             Click(dialog, IDC_MOVE_COLUMN_DOWN);
             Select(list, 1);
             Click(dialog, IDC_MOVE_COLUMN_UP);
             EXPECT_EQ(ListRows(list), DefaultRows());
             EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 1);
         },
         defaultSelected, defaultBoard},
        {"更新时间 ticked and moved up to row 1",
         [](const CDlgSetOptionCols& dialog) {
             const framework::CListCtrl& list = dialog.ColumnList();
             list.SetCheck(22, true);
             Select(list, 22);
             for (int press = 0; press < 25; ++press) Click(dialog, IDC_MOVE_COLUMN_UP);
             EXPECT_EQ(list.GetItemText(1, 1), "更新时间");
             EXPECT_TRUE(list.GetCheck(1));
             EXPECT_EQ(list.GetItemText(2, 1), "最新价");
         },
         {0, 22, 1, 2, 3, 4, 5, 6, 7},
         {7, 6, 5, 4, 3, 2, 1, 22, 24, 122, 101, 102, 103, 104, 105, 106, 107}},
        {"卖量 unticked and 持仓量 ticked",
         [](const CDlgSetOptionCols& dialog) {
             dialog.ColumnList().SetCheck(7, false);
             dialog.ColumnList().SetCheck(8, true);
         },
         {0, 1, 2, 3, 4, 5, 6, 8},
         {8, 6, 5, 4, 3, 2, 1, 24, 101, 102, 103, 104, 105, 106, 108}},
        {"every row unticked",
         [](const CDlgSetOptionCols& dialog) {
             for (int row = 0; row < dialog.ColumnList().GetItemCount(); ++row)
                 dialog.ColumnList().SetCheck(row, false);
         },
         {0},
         {24}},
    };
    for (const EditCase& test : cases) {
        SCOPED_TRACE(test.what);
        SetDefaultColumnSet();
        frame_.announcements = 0;
        CDlgSetOptionCols dialog;
        TimedSteps steps({[&] {
            test.edit(dialog);
            Click(dialog, IDOK);
        }});
        EXPECT_EQ(dialog.DoModal(nullptr), IDOK);
        Pump();
        EXPECT_EQ(SharedColumnSet().selectedIds, test.selectedIds);
        EXPECT_EQ(SharedColumnSet().boardIds, test.boardIds);
        EXPECT_EQ(frame_.announcements, 1);
    }
}

TEST_F(ColumnDialog, MoveWithoutSelectionAsksForARowAndChangesNothing) {
    for (int button : {IDC_MOVE_COLUMN_UP, IDC_MOVE_COLUMN_DOWN}) {
        SCOPED_TRACE(button);
        CDlgSetOptionCols dialog;
        std::string caption;
        std::string text;
        std::vector<Row> rowsAfter;
        TimedSteps steps({
            [&] {
                dialog.ColumnList().SetCheck(9, true);
                Click(dialog, button);  // the box's own loop runs the next step
                rowsAfter = ListRows(dialog.ColumnList());
            },
            [&] {
                HWND box = FindOwnDialog(dialog.GetSafeHwnd());
                ASSERT_NE(box, nullptr);
                EXPECT_EQ(GetWindow(box, GW_OWNER), dialog.GetSafeHwnd());
                caption = WindowText(box);
                text = MessageBoxText(box);
                SendMessageW(box, WM_COMMAND, IDOK, 0);
            },
            [&] { Click(dialog, IDCANCEL); },
        });
        EXPECT_EQ(dialog.DoModal(nullptr), IDCANCEL);
        EXPECT_TRUE(steps.Done());
        EXPECT_EQ(caption, "Quillon");
        EXPECT_EQ(text, "请选择一行");
        std::vector<Row> expected = DefaultRows();
        expected[9].checked = true;
        EXPECT_EQ(rowsAfter, expected);
    }
    Pump();
    EXPECT_EQ(frame_.announcements, 0);
    EXPECT_EQ(SharedColumnSet().selectedIds, Ids({0, 1, 2, 3, 4, 5, 6, 7}));
}

TEST_F(ColumnDialog, CancelCloseBoxAndEscapeChangeNothingAndAnnounceNothing) {
    const std::vector<std::pair<const char*, std::function<void(CDlgSetOptionCols&)>>> ways = {
        {"取消", [](CDlgSetOptionCols& dialog) { Click(dialog, IDCANCEL); }},
        {"close box", [](CDlgSetOptionCols& dialog) { dialog.Send(WM_SYSCOMMAND, SC_CLOSE); }},
        {"Escape",
         [](CDlgSetOptionCols& dialog) { PostMessageW(dialog.GetDlgItem(IDC_COLUMN_LIST), WM_KEYDOWN, VK_ESCAPE, 0); }},
    };
    for (const auto& [what, close] : ways) {
        SCOPED_TRACE(what);
        CDlgSetOptionCols dialog;
        TimedSteps steps({[&] {
            dialog.ColumnList().SetCheck(3, false);
            dialog.ColumnList().SetCheck(20, true);
            close(dialog);
        }});
        EXPECT_EQ(dialog.DoModal(nullptr), IDCANCEL);
        EXPECT_TRUE(steps.Done());
    }
    Pump();
    EXPECT_EQ(frame_.announcements, 0);
    EXPECT_EQ(SharedColumnSet().selectedIds, Ids({0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(SharedColumnSet().boardIds, Ids({7, 6, 5, 4, 3, 2, 1, 24, 101, 102, 103, 104, 105, 106, 107}));
}

TEST_F(ColumnDialog, ClosingEveryDialogTwiceNeverAppliesTheCancelledChoice) {
    // The host's closing message closes every dialog of the process twice in a row: the
    // second round finds the cancelled dialog still there and presses OK on it too.
    CDlgSetOptionCols dialog;
    TimedSteps steps({[&] {
        dialog.ColumnList().SetCheck(1, false);
        framework::CloseOwnDialogs();
        framework::CloseOwnDialogs();
    }});
    EXPECT_EQ(dialog.DoModal(nullptr), IDCANCEL);
    EXPECT_TRUE(steps.Done());
    Pump();
    EXPECT_EQ(frame_.announcements, 0);
    EXPECT_EQ(SharedColumnSet().selectedIds, Ids({0, 1, 2, 3, 4, 5, 6, 7}));

    // Pressed again after OK, it does not announce a second time.
    CDlgSetOptionCols confirmed;
    TimedSteps confirm({[&] {
        Click(confirmed, IDOK);
        confirmed.Send(WM_COMMAND, IDOK);
        confirmed.Send(WM_COMMAND, IDCANCEL);
    }});
    EXPECT_EQ(confirmed.DoModal(nullptr), IDOK);
    Pump();
    EXPECT_EQ(frame_.announcements, 1);
}

}  // namespace
}  // namespace quillon::board::testing
