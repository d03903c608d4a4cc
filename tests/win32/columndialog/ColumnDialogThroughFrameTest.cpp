// The column dialog opened from the docked board of the running application: the real
// frame rebuilds the board on a confirmed choice, saves it at exit, and a host that
// closes while the dialog is open leaves the saved choice as it was.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../app/AppFixture.h"
#include "ColumnDialogTestSupport.h"
#include "board/ColumnSet.h"
#include "board/DlgSetOptionCols.h"
#include "board/QuoteGrid.h"
#include "grid/GridCtrl.h"
#include "host/HostMessages.h"
#include "host/WireRecords.h"
#include "res/ResourceIds.h"

namespace quillon::test {
namespace {

using board::testing::FindOwnDialog;
using board::testing::TimedSteps;

class ColumnDialogThroughFrame : public AppFixture {
protected:
    void SetUp() override {
        grid::CGridCtrl::RegisterWindowClass();
        AppFixture::SetUp();
        Start("[Startup]\r\nRunMode=0\r\n");
        LoadMarket(SampleMarket());
        Deliver(host::HOSTMSG_CONTRACT_LIST_PUSH, host::EncodeTextSlots({"IF2301", "IO2301-C-4000"}, 64));
        std::vector<unsigned char> quote = QuoteBytes("IF2301");
        host::WriteDouble(quote.data(), host::quote_record::LastPrice, 4012.4);
        host::WriteDouble(quote.data(), host::quote_record::PreSettlement, 4000.0);
        Deliver(host::HOSTMSG_QUOTE_PUSH, quote);
    }

    // The open column dialog (from a step running inside its loop).
    static board::CDlgSetOptionCols& OpenDialog() {
        auto* dialog = dynamic_cast<board::CDlgSetOptionCols*>(framework::CWnd::FromHandle(FindOwnDialog(nullptr)));
        EXPECT_NE(dialog, nullptr);
        return *dialog;
    }

    // What the board does for "表格列设置": the dialog runs modally over it.
    void ChooseColumnSettings() {
        Frame().Board().Send(WM_COMMAND, ID_GRID_COLUMN_SETTINGS);
        Pump();
    }

    std::string SavedGridXml() const {
        std::ifstream file(gridXmlPath, std::ios::binary);
        std::stringstream content;
        content << file.rdbuf();
        return content.str();
    }

    static std::string TextById(const grid::CGridCtrl& grid, int row, board::ColumnId id) {
        int col = board::FindColumnById(grid, id);
        const grid::CGridCellBase* cell = col == -1 ? nullptr : grid.GetCell(row, col);
        return cell != nullptr ? cell->GetText() : "<none>";
    }
};

TEST_F(ColumnDialogThroughFrame, AConfirmedChoiceRebuildsTheBoardWithItsQuotesAndIsSavedAtExit) {
    grid::CGridCtrl& top = *Frame().Board().UnderlyingGrid();
    ASSERT_EQ(TextById(top, 1, 1), "4012.4");
    TimedSteps steps({[] {
        board::CDlgSetOptionCols& dialog = OpenDialog();
        dialog.ColumnList().SetCheck(1, false);  // 最新价
        dialog.ColumnList().SetCheck(22, true);  // 更新时间
        SendMessageW(dialog.GetDlgItem(IDOK), BM_CLICK, 0, 0);
    }});
    ChooseColumnSettings();
    EXPECT_TRUE(steps.Done());

    EXPECT_EQ(board::FindColumnById(top, 1), -1);
    EXPECT_NE(board::FindColumnById(top, 22), -1);
    EXPECT_EQ(TextById(top, 1, 0), "IF2301");
    EXPECT_EQ(TextById(top, 1, 2), "12.4");  // the cached quote, written again
    EXPECT_NE(board::FindColumnById(*Frame().Board().BoardGrid(), 122), -1);

    Finish();
    const std::string saved = SavedGridXml();
    EXPECT_NE(saved.find("ID=\"22\""), std::string::npos) << saved;
    EXPECT_EQ(saved.find("ID=\"1\""), std::string::npos) << saved;
}

TEST_F(ColumnDialogThroughFrame, TheHostClosingWhileTheDialogIsOpenSavesTheChoiceOfBefore) {
    TimedSteps steps({[this] {
        board::CDlgSetOptionCols& dialog = OpenDialog();
        for (int row = 1; row < dialog.ColumnList().GetItemCount(); ++row) dialog.ColumnList().SetCheck(row, false);
        // The frame closes every dialog twice, then itself.
        Deliver(host::HOSTMSG_HOST_CLOSING);
    }});
    ChooseColumnSettings();
    EXPECT_TRUE(steps.Done());
    EXPECT_TRUE(quitSeen);

    EXPECT_EQ(board::SharedColumnSet().selectedIds, (std::vector<board::ColumnId>{0, 1, 2, 3, 4, 5, 6, 7}));
    Finish();
    const std::string saved = SavedGridXml();
    for (const char* id : {"ID=\"0\"", "ID=\"1\"", "ID=\"7\""}) EXPECT_NE(saved.find(id), std::string::npos) << saved;
}

}  // namespace
}  // namespace quillon::test
