// The docked board as the host drives it: contract lists and quotes arrive through the
// real callback and the main frame, requests leave through the fake host library.
#include <windows.h>

#include "../app/AppFixture.h"
#include "board/QuoteGrid.h"
#include "grid/GridCtrl.h"
#include "host/HostMessages.h"
#include "host/WireRecords.h"

namespace quillon::test {
namespace {

using namespace quillon::host;
using Texts = std::vector<std::string>;

class DockedBoardThroughFrame : public AppFixture {
protected:
    void SetUp() override {
        // The board's template grids must be real grids, whoever registers the class next.
        grid::CGridCtrl::RegisterWindowClass();
        AppFixture::SetUp();
        Start("[Startup]\r\nRunMode=0\r\n");
        LoadMarket(SampleMarket());
        Sent().clear();
    }

    grid::CGridCtrl& Top() { return *Frame().Board().UnderlyingGrid(); }
    grid::CGridCtrl& Tee() { return *Frame().Board().BoardGrid(); }

    static std::string TextById(const grid::CGridCtrl& grid, int row, board::ColumnId id) {
        int col = board::FindColumnById(grid, id);
        const grid::CGridCellBase* cell = col == -1 ? nullptr : grid.GetCell(row, col);
        return cell != nullptr ? cell->GetText() : "<none>";
    }
    static COLORREF ColourById(const grid::CGridCtrl& grid, int row, board::ColumnId id) {
        int col = board::FindColumnById(grid, id);
        const grid::CGridCellBase* cell = col == -1 ? nullptr : grid.GetCell(row, col);
        return cell != nullptr ? cell->GetTextColour() : CLR_INVALID;
    }
    static std::vector<unsigned char> Quote(const std::string& code, double last, double settlement) {
        std::vector<unsigned char> quote = QuoteBytes(code);
        WriteDouble(quote.data(), quote_record::LastPrice, last);
        WriteDouble(quote.data(), quote_record::PreSettlement, settlement);
        return quote;
    }
    Texts Codes(int type) {
        Texts codes;
        for (const SentRequest& request : Sent()) {
            if (request.type != type) continue;
            EXPECT_EQ(request.requestId, 0);
            EXPECT_EQ(request.payload.size(), 64u);
            codes.push_back(request.Text());
        }
        return codes;
    }
};

TEST_F(DockedBoardThroughFrame, AContractListBuildsTheBoardAndItsQuotesFillIt) {
    const Texts list = {"IF2301", "IO2301-C-4000", "IO2301-P-3900", "IO2301-C-3900"};
    Deliver(HOSTMSG_CONTRACT_LIST, EncodeTextSlots(list, 32));
    ASSERT_NE(Frame().Board().UnderlyingGrid(), nullptr);
    ASSERT_EQ(Top().GetRowCount(), 2);
    ASSERT_EQ(Tee().GetRowCount(), 3);
    EXPECT_EQ(TextById(Top(), 1, 0), "IF2301");
    EXPECT_EQ(TextById(Tee(), 1, board::StrikeColumnId), "IO2301-4000");
    EXPECT_EQ(TextById(Tee(), 2, board::StrikeColumnId), "IO2301-3900");
    EXPECT_EQ(Codes(HOSTMSG_QUOTE_SUBSCRIBE), list);
    EXPECT_EQ(Codes(HOSTMSG_QUOTE_REQUEST), list);
    ASSERT_EQ(Sent().size(), 8u);
    EXPECT_EQ(Sent()[3].type, HOSTMSG_QUOTE_SUBSCRIBE);
    EXPECT_EQ(Sent()[4].type, HOSTMSG_QUOTE_REQUEST);

    Deliver(HOSTMSG_QUOTE_PUSH, Quote("IF2301", 4012.4, 4000.0));
    EXPECT_EQ(TextById(Top(), 1, 1), "4012.4");
    EXPECT_EQ(TextById(Top(), 1, 2), "12.4");
    EXPECT_EQ(TextById(Top(), 1, 3), "0.31");
    for (board::ColumnId id : {1, 2, 3}) EXPECT_EQ(ColourById(Top(), 1, id), RGB(255, 0, 0)) << id;

    Deliver(HOSTMSG_QUOTE_REPLY, Quote("IO2301-P-3900", 41.2, 45.0));
    EXPECT_EQ(TextById(Tee(), 2, 101), "41.2");
    EXPECT_EQ(ColourById(Tee(), 2, 101), RGB(0, 201, 0));
    EXPECT_EQ(TextById(Tee(), 2, 1), "") << "a put leaves the call side alone";

    // A cut-off quote changes nothing; a failed one neither.
    std::vector<unsigned char> cut = Quote("IF2301", 3000.0, 4000.0);
    cut.resize(591);
    Deliver(HOSTMSG_QUOTE_PUSH, cut);
    Deliver(HOSTMSG_QUOTE_PUSH, Quote("IF2301", 3000.0, 4000.0), 1);
    EXPECT_EQ(TextById(Top(), 1, 1), "4012.4");

    // The host's push of an empty list empties the board and ends every subscription.
    Sent().clear();
    Deliver(HOSTMSG_CONTRACT_LIST_PUSH, std::vector<unsigned char>());
    EXPECT_EQ(Codes(HOSTMSG_QUOTE_UNSUBSCRIBE), list);
    EXPECT_EQ(Sent().size(), list.size());
    EXPECT_EQ(Top().GetRowCount(), 1);
    EXPECT_EQ(Tee().GetRowCount(), 1);
}

TEST_F(DockedBoardThroughFrame, TheBoardFillsTheFrameAndItsGridsFollow) {
    HWND frame = Frame().GetSafeHwnd();
    SetWindowPos(frame, nullptr, 0, 0, 700, 480, SWP_NOZORDER | SWP_NOACTIVATE);
    Pump();
    RECT client;
    GetClientRect(frame, &client);
    RECT board = Frame().Board().GetWindowRect();
    EXPECT_EQ(board.right - board.left, client.right);
    EXPECT_EQ(board.bottom - board.top, client.bottom);

    RECT tee = Tee().GetWindowRect();
    MapWindowPoints(nullptr, Frame().Board().GetSafeHwnd(), reinterpret_cast<POINT*>(&tee), 2);
    EXPECT_EQ(tee.right, client.right);
    EXPECT_EQ(tee.bottom, client.bottom);
}

}  // namespace
}  // namespace quillon::test
