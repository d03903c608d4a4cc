// Popup boards as the host drives them in the popup run mode: invocations, selections
// and quotes arrive through the real callback and the main frame, requests leave through
// the fake host library. Every shown popup costs seconds under Wine, so each test opens
// as few as its story needs.
#include <windows.h>

// <commctrl.h> builds on the types of <windows.h>.
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <utility>

#include "../app/AppFixture.h"
#include "../grid/GridTestSupport.h"
#include "PopupTestSupport.h"
#include "analytics/ExpirySchedule.h"
#include "analytics/OptionPricing.h"
#include "board/AnalyticsSettings.h"
#include "board/BoardContextMenu.h"
#include "board/BoardDisplay.h"
#include "board/ColumnSet.h"
#include "board/DlgOptionTTablePopup.h"
#include "board/QuoteCellFormat.h"
#include "board/QuoteGrid.h"
#include "board/StaleQuotes.h"
#include "framework/ApplicationMessages.h"
#include "framework/GdiObjects.h"
#include "framework/TextConversion.h"
#include "grid/GridCtrl.h"
#include "host/HostMessages.h"
#include "host/HostRequests.h"
#include "host/WireRecords.h"
#include "res/ResourceIds.h"

namespace quillon::test {
namespace {

using namespace quillon::host;
using board::CDlgOptionTTablePopup;
using Texts = std::vector<std::string>;
using Requests = std::vector<std::pair<int, std::string>>;

const Texts IF2301Chain = {"IF2301", "IO2301-C-3900", "IO2301-P-3900", "IO2301-C-4000", "IO2301-P-4000"};

// The sample market plus a chain whose strikes sort differently as text and as numbers,
// two of them equal up to their decimals, and a future without options.
std::vector<TestInstrument> PopupMarket() {
    std::vector<TestInstrument> market = SampleMarket();
    for (const char* code :
         {"m2301-C-1000", "m2301-P-900", "m2301-C-950", "m2301-C-2.25", "m2301-C-2.30", "m2301-P-2.30"}) {
        market.push_back({code, "DCE", '2', 0.5});
    }
    market.push_back({"m2301", "DCE", '1', 1.0});
    // A chain longer than a popup's view: 40 strikes from 2000 to 2780.
    for (int strike = 2000; strike < 2800; strike += 20) {
        for (const char* side : {"-C-", "-P-"})
            market.push_back({"c2301" + (side + std::to_string(strike)), "DCE", '2', 0.5});
    }
    market.push_back({"c2301", "DCE", '1', 1.0});
    market.push_back({"IH2301", "CFFEX", '1', 0.2});
    return market;
}

std::vector<unsigned char> Quote(const std::string& code, double last, double settlement) {
    std::vector<unsigned char> quote = QuoteBytes(code);
    WriteDouble(quote.data(), quote_record::LastPrice, last);
    WriteDouble(quote.data(), quote_record::PreSettlement, settlement);
    return quote;
}

std::string TextById(const grid::CGridCtrl& grid, int row, board::ColumnId id) {
    int col = board::FindColumnById(grid, id);
    const grid::CGridCellBase* cell = col == -1 ? nullptr : grid.GetCell(row, col);
    return cell != nullptr ? cell->GetText() : "<none>";
}

// Every text of one grid row, in column order.
Texts RowTexts(const grid::CGridCtrl& grid, int row) {
    Texts texts;
    for (int col = 0; col < grid.GetColumnCount(); ++col) {
        const grid::CGridCellBase* cell = grid.GetCell(row, col);
        texts.push_back(cell != nullptr ? cell->GetText() : "<none>");
    }
    return texts;
}

// A data row with nothing but its strike.
Texts StrikeOnlyRow(const grid::CGridCtrl& grid, const std::string& strike) {
    Texts texts(static_cast<std::size_t>(grid.GetColumnCount()), "");
    texts[static_cast<std::size_t>(board::FindColumnById(grid, board::StrikeColumnId))] = strike;
    return texts;
}

RECT ClientRectOf(HWND window, HWND parent) {
    RECT rect;
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Runs from inside the menu's own loop: closes an open context menu as Escape would.
void CALLBACK LeaveOpenMenu(HWND, UINT, UINT_PTR, DWORD) {
    HWND menu = nullptr;
    while ((menu = FindWindowExW(nullptr, menu, L"#32768", nullptr)) != nullptr) {
        if (IsWindowVisible(menu)) PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    }
}

class PopupBoardThroughFrame : public AppFixture {
protected:
    void SetUp() override {
        // The template's grids must be real grids, whoever registers the class next.
        grid::CGridCtrl::RegisterWindowClass();
        AppFixture::SetUp();
        Start("");  // no INI: the popup run mode
        LoadMarket(PopupMarket());
        ASSERT_TRUE(model::SharedMarketData().DataReady());
        Sent().clear();
    }

    // The user invokes the board in the host with `code` selected.
    void Select(const std::string& code) {
        Deliver(HOSTMSG_INVOKE);
        Deliver(HOSTMSG_SELECTED, EncodeTextSlots({code}, 64));
    }
    CDlgOptionTTablePopup* PopupOf(const std::string& underlying) {
        for (CDlgOptionTTablePopup* popup : Frame().PopupBoards()) {
            if (popup->UnderlyingCode() == underlying) return popup;
        }
        return nullptr;
    }
    // The quote subscriptions, requests and unsubscriptions sent, in order, each checked
    // for its 64-byte slot and request id 0.
    Requests QuoteRequests() {
        Requests requests;
        for (const SentRequest& request : Sent()) {
            if (request.type != HOSTMSG_QUOTE_SUBSCRIBE && request.type != HOSTMSG_QUOTE_REQUEST &&
                request.type != HOSTMSG_QUOTE_UNSUBSCRIBE)
                continue;
            EXPECT_EQ(request.requestId, 0);
            EXPECT_EQ(request.payload.size(), 64u);
            requests.emplace_back(request.type, request.Text());
        }
        return requests;
    }
    static Requests Each(int type, const Texts& codes) {
        Requests requests;
        for (const std::string& code : codes) requests.emplace_back(type, code);
        return requests;
    }
    static Requests Then(Requests first, const Requests& second) {
        first.insert(first.end(), second.begin(), second.end());
        return first;
    }
};

TEST_F(PopupBoardThroughFrame, TheIF2301ExampleSubscribesItsChainAndQuotesLandInTheirCells) {
    Select("IF2301");
    CDlgOptionTTablePopup* popup = PopupOf("IF2301");
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->GetText(), "期权T型报价--IF2301");
    EXPECT_TRUE(IsWindowVisible(popup->GetSafeHwnd()));
    EXPECT_EQ(QuoteRequests(),
              Then(Each(HOSTMSG_QUOTE_SUBSCRIBE, IF2301Chain), Each(HOSTMSG_QUOTE_REQUEST, IF2301Chain)));

    grid::CGridCtrl& top = *popup->UnderlyingGrid();
    grid::CGridCtrl& tee = *popup->BoardGrid();
    ASSERT_EQ(top.GetRowCount(), 2);
    EXPECT_EQ(RowTexts(top, 1), (Texts{"IF2301", "", "", "", "", "", "", ""}));
    ASSERT_EQ(tee.GetRowCount(), 3);
    EXPECT_EQ(RowTexts(tee, 1), StrikeOnlyRow(tee, "3900"));
    EXPECT_EQ(RowTexts(tee, 2), StrikeOnlyRow(tee, "4000"));

    // A put writes only the put side of its own strike's row.
    Deliver(HOSTMSG_QUOTE_REPLY, Quote("IO2301-P-3900", 41.2, 45.0));
    EXPECT_EQ(TextById(tee, 1, 101), "41.2");
    EXPECT_EQ(tee.GetCell(1, board::FindColumnById(tee, 101))->GetTextColour(), RGB(0, 201, 0));
    for (board::ColumnId id = 1; id <= 7; ++id) EXPECT_EQ(TextById(tee, 1, id), "") << id;
    EXPECT_EQ(RowTexts(tee, 2), StrikeOnlyRow(tee, "4000"));
    // A call of the other strike writes the call side of the other row.
    Deliver(HOSTMSG_QUOTE_PUSH, Quote("IO2301-C-4000", 86.2, 80.0));
    EXPECT_EQ(TextById(tee, 2, 1), "86.2");
    EXPECT_EQ(TextById(tee, 2, 101), "");
    EXPECT_EQ(TextById(tee, 1, 101), "41.2");

    // The future's quote writes row 1 of the top grid, its code as the quote spells it.
    Deliver(HOSTMSG_QUOTE_PUSH, Quote("IF2301", 4012.4, 4000.0));
    EXPECT_EQ(TextById(top, 1, 1), "4012.4");
    EXPECT_EQ(TextById(top, 1, 2), "12.4");
    EXPECT_EQ(TextById(top, 1, 3), "0.31");
    Deliver(HOSTMSG_QUOTE_PUSH, Quote("if2301", 4013.0, 4000.0));
    EXPECT_EQ(TextById(top, 1, 0), "if2301");

    // A double click on a popup grid sends the host nothing.
    const std::size_t before = Sent().size();
    EXPECT_EQ(top.SendMessageToParent(1, 0, NM_DBLCLK), 0);
    EXPECT_EQ(tee.SendMessageToParent(1, 3, NM_DBLCLK), 0);
    EXPECT_EQ(Sent().size(), before);
}

// The characters of a code page 936 text that the font lacks: drawn, each would be a box.
std::string GlyphsMissing(HFONT font, const std::string& text) {
    framework::MemoryDc dc(nullptr);
    framework::SelectionGuard selected(dc.Get(), font);
    const std::wstring wide = framework::WideFromCodePage936(text);
    std::vector<WORD> glyphs(wide.size());
    GetGlyphIndicesW(dc.Get(), wide.c_str(), static_cast<int>(wide.size()), glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
    std::wstring missing;
    for (std::size_t i = 0; i < wide.size(); ++i) {
        if (glyphs[i] == 0xFFFF) missing += wide[i];
    }
    return framework::CodePage936FromWide(missing);
}

// What the user reads must not be boxes: the board's title in its dialog font and in the
// caption font a window frame draws it with, and every header of both grids in the font
// its cell selects. A Wine prefix without the CJK replacement fails here.
TEST_F(PopupBoardThroughFrame, ChineseTextsHaveGlyphsInTheFontsThatDrawThem) {
    Select("IF2301");
    CDlgOptionTTablePopup* popup = PopupOf("IF2301");
    ASSERT_NE(popup, nullptr);
    const auto dialogFont = reinterpret_cast<HFONT>(SendMessageW(popup->GetSafeHwnd(), WM_GETFONT, 0, 0));
    ASSERT_NE(dialogFont, nullptr);
    EXPECT_EQ(GlyphsMissing(dialogFont, popup->GetText()), "");
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
    framework::OwnedFont captionFont(CreateFontIndirectW(&metrics.lfCaptionFont));
    EXPECT_EQ(GlyphsMissing(captionFont.Get(), popup->GetText()), "");

    int chineseHeaders = 0;
    for (grid::CGridCtrl* grid : {popup->UnderlyingGrid(), popup->BoardGrid()}) {
        for (int col = 0; col < grid->GetColumnCount(); ++col) {
            const grid::CGridCellBase* header = grid->GetCell(0, col);
            ASSERT_NE(header, nullptr);
            const std::string caption = header->GetText();
            if (std::any_of(caption.begin(), caption.end(), [](char c) { return (c & 0x80) != 0; })) ++chineseHeaders;
            EXPECT_EQ(GlyphsMissing(header->GetFontObject(), caption), "") << "header " << col << " " << caption;
        }
    }
    EXPECT_GT(chineseHeaders, 10);
}

// Implied volatility, a greek and the days to expiry, chosen like any column: the option's
// row shows what its prices imply, the underlying's row the chain's at-the-money volatility.
TEST_F(PopupBoardThroughFrame, AnalyticsColumnsShowTheOptionsVolatilityAndTheChainsAtTheMoney) {
    const board::AnalyticsSettings& settings = board::SharedAnalyticsSettings();
    AnalyticsClockOfTheTest clock;
    board::ReplaceColumnSet(board::MakeColumnSet({1, 52, 53, 60}));
    Select("IF2301");
    CDlgOptionTTablePopup* popup = PopupOf("IF2301");
    ASSERT_NE(popup, nullptr);
    grid::CGridCtrl& top = *popup->UnderlyingGrid();
    grid::CGridCtrl& tee = *popup->BoardGrid();

    // IO2301 expires on the third Friday of January 2023, the 20th: 43 days on.
    const analytics::CivilDate expiry{2023, 1, 20};
    const double T = analytics::YearsToExpiry(expiry, EighthOfDecember2022());
    const double call = analytics::Black76Price(true, 3900, 3900, T, settings.riskFreeRate, 0.20);
    Deliver(HOSTMSG_QUOTE_PUSH, QuoteWithBook("IF2301", 3899.8, 3900.2));
    Deliver(HOSTMSG_QUOTE_PUSH, QuoteWithBook("IO2301-C-3900", call, call));
    // The columns catch up on the popup's own timer, a quarter of a second at most.
    for (int wait = 0; wait < 100 && TextById(top, 1, 52) != "20.00"; ++wait) {
        Sleep(20);
        Pump();
    }
    EXPECT_EQ(TextById(tee, 1, 52), "20.00");
    const analytics::Greeks greeks = analytics::Black76Greeks(true, 3900, 3900, T, settings.riskFreeRate, 0.20);
    char delta[16];
    std::snprintf(delta, sizeof delta, "%.4f", greeks.delta);
    EXPECT_EQ(TextById(tee, 1, 53), delta);
    EXPECT_EQ(TextById(tee, 1, 60), "43");
    EXPECT_EQ(TextById(top, 1, 52), "20.00") << "the call at the money is the chain's only volatility";
    EXPECT_EQ(TextById(top, 1, 53), "-");
    EXPECT_EQ(TextById(top, 1, 60), "43");
}

// The grid painted into a memory canvas, and where in it a cell lies; nothing when the
// cell is not on screen.
std::unique_ptr<grid::testing::Canvas> PrintedCell(grid::CGridCtrl& grid, int row, board::ColumnId id, RECT& cell) {
    const int col = board::FindColumnById(grid, id);
    if (col == -1 || !grid.GetCellRect(row, col, &cell)) return nullptr;
    RECT client{};
    GetClientRect(grid.GetSafeHwnd(), &client);
    auto canvas = std::make_unique<grid::testing::Canvas>(client.right, client.bottom);
    SendMessageW(grid.GetSafeHwnd(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas->Dc()), PRF_CLIENT);
    return canvas;
}

// The background a cell is painted with, read a pixel inside its top-left corner.
COLORREF PaintedBackground(grid::CGridCtrl& grid, int row, board::ColumnId id) {
    RECT cell{};
    const auto canvas = PrintedCell(grid, row, id, cell);
    return canvas ? canvas->At(cell.left + 1, cell.top + 1) : CLR_INVALID;
}

// What the text of a cell is painted with. Small text is smoothed, so its core seldom has
// the pure text colour: the darkest channel and the red pixels tell the colours apart.
struct Ink {
    int pixels = 0;     // not the cell's background
    int darkest = 255;  // the lowest channel of any of them
    int reddish = 0;    // pixels clearly redder than they are green or blue
};

Ink PaintedInk(grid::CGridCtrl& grid, int row, board::ColumnId id) {
    Ink ink;
    RECT cell{};
    const auto canvas = PrintedCell(grid, row, id, cell);
    if (!canvas) return ink;
    const COLORREF background = canvas->At(cell.left + 1, cell.top + 1);
    for (int y = cell.top; y < cell.bottom; ++y) {
        for (int x = cell.left; x < cell.right; ++x) {
            const COLORREF pixel = canvas->At(x, y);
            if (pixel == background) continue;
            const int r = GetRValue(pixel), g = GetGValue(pixel), b = GetBValue(pixel);
            ++ink.pixels;
            ink.darkest = std::min({ink.darkest, r, g, b});
            if (r - std::max(g, b) > 60) ++ink.reddish;
        }
    }
    return ink;
}

// The middle row of the board's view.
int MiddleOfTheView(const grid::CGridCtrl& grid) {
    const grid::GridCellRange view = grid.GetVisibleNonFixedCellRange();
    return (view.minRow + view.maxRow) / 2;
}

// Where the money is: the popup opens centred on it, marks its strike, shades the cells
// in the money on both bands, follows the price, and the user's switches hold after a
// restart.
TEST_F(PopupBoardThroughFrame, TheMoneyIsCentredMarkedAndShaded) {
    Select("c2301");
    CDlgOptionTTablePopup* popup = PopupOf("c2301");
    ASSERT_NE(popup, nullptr);
    grid::CGridCtrl& tee = *popup->BoardGrid();
    EXPECT_EQ(popup->AtTheMoneyRow(), -1) << "no price, no mark";
    EXPECT_EQ(tee.GetVisibleNonFixedCellRange().minRow, 1);

    Deliver(HOSTMSG_QUOTE_PUSH, Quote("c2301", 2409.0, 2400.0));  // nearest 2400: row 21
    ASSERT_EQ(popup->AtTheMoneyRow(), 21);
    EXPECT_NEAR(MiddleOfTheView(tee), 21, 1);

    const COLORREF odd = board::OddRowBackColour, even = board::EvenRowBackColour;
    auto shaded = [](COLORREF band) { return static_cast<COLORREF>(board::InTheMoneyBackColour(band)); };
    const struct {
        int row;  // 2380 and 2360 below the price, 2420 and 2440 above it
        COLORREF call, strike, put;
    } rows[] = {
        {19, shaded(odd), odd, odd},
        {20, shaded(even), even, even},
        {21, shaded(odd), board::AtTheMoneyBackColour, odd},  // 2400 < 2409: its call is in
        {22, even, even, shaded(even)},
        {23, odd, odd, shaded(odd)},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(PaintedBackground(tee, r.row, 1), r.call) << "row " << r.row;
        EXPECT_EQ(PaintedBackground(tee, r.row, board::StrikeColumnId), r.strike) << "row " << r.row;
        EXPECT_EQ(PaintedBackground(tee, r.row, 101), r.put) << "row " << r.row;
    }
    const int strikeColumn = board::FindColumnById(tee, board::StrikeColumnId);
    EXPECT_EQ(tee.GetCell(21, strikeColumn)->GetFont()->lfWeight, FW_BOLD);

    // The price moves: the mark follows, the old row goes back to its band, and the view
    // stays where it is; once the user has scrolled, only "回到平值" centres it again.
    Deliver(HOSTMSG_QUOTE_PUSH, Quote("c2301", 2031.0, 2400.0));  // nearest 2040: row 3
    EXPECT_EQ(popup->AtTheMoneyRow(), 3);
    EXPECT_NE(tee.GetCell(21, strikeColumn)->GetFont()->lfWeight, FW_BOLD);
    EXPECT_EQ(PaintedBackground(tee, 21, 1), odd);
    EXPECT_EQ(PaintedBackground(tee, 21, 101), shaded(odd));
    EXPECT_NEAR(MiddleOfTheView(tee), 21, 1);
    tee.SetScrollPosition(SB_VERT, 0);
    Deliver(HOSTMSG_QUOTE_PUSH, Quote("c2301", 2561.0, 2400.0));  // nearest 2560: row 29
    EXPECT_EQ(tee.GetVisibleNonFixedCellRange().minRow, 1);
    popup->Send(WM_COMMAND, ID_BOARD_BACK_TO_THE_MONEY);
    EXPECT_NEAR(MiddleOfTheView(tee), 29, 1);

    // Shading off: every cell on its band; the switch is written to the INI and read back
    // by the next start.
    board::SwitchBoardMark(ID_BOARD_SHADE_IN_THE_MONEY);
    Pump();
    EXPECT_EQ(PaintedBackground(tee, 28, 1), even);
    EXPECT_EQ(PaintedBackground(tee, 29, board::StrikeColumnId), board::AtTheMoneyBackColour);
    EXPECT_EQ(Finish(), 0);
    Start("");
    EXPECT_FALSE(board::SharedBoardDisplay().shadeInTheMoney);
    EXPECT_TRUE(board::SharedBoardDisplay().markAtTheMoney);
}

// The strikes a board shows: the rows not folded away, by their strike texts.
Texts ShownStrikes(const grid::CGridCtrl& grid) {
    Texts strikes;
    for (int row = 1; row < grid.GetRowCount(); ++row) {
        if (grid.GetRowHeight(row) > 0) strikes.push_back(TextById(grid, row, board::StrikeColumnId));
    }
    return strikes;
}

Texts StrikesFrom(int first, int last) {
    Texts strikes;
    for (int strike = first; strike <= last; strike += 20) strikes.push_back(std::to_string(strike));
    return strikes;
}

// "平值上下5档": five strikes on each side of the money, following it; quotes and
// subscriptions go on for every strike, and the selected row stays selected.
TEST_F(PopupBoardThroughFrame, AStrikeWindowFollowsTheMoneyAndKeepsEverySubscription) {
    Select("c2301");
    CDlgOptionTTablePopup* popup = PopupOf("c2301");
    ASSERT_NE(popup, nullptr);
    grid::CGridCtrl& tee = *popup->BoardGrid();
    Sent().clear();
    popup->Send(WM_COMMAND, ID_BOARD_STRIKE_WINDOW_5);
    Pump();
    EXPECT_EQ(ShownStrikes(tee).size(), 40u) << "no price: every strike";

    Deliver(HOSTMSG_QUOTE_PUSH, Quote("c2301", 2409.0, 2400.0));
    EXPECT_EQ(ShownStrikes(tee), StrikesFrom(2300, 2500));
    const int strikeColumn = board::FindColumnById(tee, board::StrikeColumnId);
    tee.SelectCellRange(23, 0, 23, tee.GetColumnCount() - 1);  // 2440
    Deliver(HOSTMSG_QUOTE_PUSH, Quote("c2301", 2449.0, 2400.0));
    EXPECT_EQ(ShownStrikes(tee), StrikesFrom(2340, 2540));
    EXPECT_TRUE(tee.GetSelectedCells().count({23, strikeColumn}));

    Deliver(HOSTMSG_QUOTE_PUSH, Quote("c2301-C-2000", 31.0, 30.0));
    EXPECT_EQ(TextById(tee, 1, 1), "31.0") << "a folded row still takes its quotes";
    EXPECT_EQ(QuoteRequests(), Requests{}) << "the window filters rows, not quotes";

    popup->Send(WM_COMMAND, ID_BOARD_STRIKE_WINDOW_ALL);
    Pump();
    EXPECT_EQ(ShownStrikes(tee), StrikesFrom(2000, 2780));
}

// A price that moved is drawn on a tint of its direction for about half a second, then on
// its band again; switched off, nothing flashes.
TEST_F(PopupBoardThroughFrame, AMovedPriceFlashesItsDirectionThenRests) {
    Select("IF2301");
    CDlgOptionTTablePopup* popup = PopupOf("IF2301");
    ASSERT_NE(popup, nullptr);
    grid::CGridCtrl& tee = *popup->BoardGrid();
    Deliver(HOSTMSG_QUOTE_PUSH, Quote("IO2301-C-3900", 30.0, 28.0));
    EXPECT_EQ(PaintedBackground(tee, 1, 1), board::OddRowBackColour) << "a first quote has nothing to move from";
    Deliver(HOSTMSG_QUOTE_PUSH, Quote("IO2301-C-3900", 31.0, 28.0));
    EXPECT_EQ(PaintedBackground(tee, 1, 1), board::FlashUpBackColour);
    EXPECT_EQ(PaintedBackground(tee, 1, 2), board::OddRowBackColour) << "涨跌 is not a price";
    Deliver(HOSTMSG_QUOTE_PUSH, Quote("IO2301-C-3900", 29.0, 28.0));
    EXPECT_EQ(PaintedBackground(tee, 1, 1), board::FlashDownBackColour);
    for (int wait = 0; wait < 100 && PaintedBackground(tee, 1, 1) != board::OddRowBackColour; ++wait) {
        Sleep(20);
        Pump();
    }
    EXPECT_EQ(PaintedBackground(tee, 1, 1), board::OddRowBackColour) << "the flash ends on the board's timer";

    board::SwitchBoardMark(ID_BOARD_CHANGE_FLASHES);
    Pump();
    Deliver(HOSTMSG_QUOTE_PUSH, Quote("IO2301-C-3900", 33.0, 28.0));
    EXPECT_EQ(PaintedBackground(tee, 1, 1), board::OddRowBackColour);
    board::SwitchBoardMark(ID_BOARD_CHANGE_FLASHES);
}

board::StaleQuotes::Clock::time_point testNow{};

// An option without a quote for over a minute while its board's other quotes keep coming
// is drawn muted until its next quote; its put, never quoted, and the strike stay as they are.
TEST_F(PopupBoardThroughFrame, AQuietInstrumentIsMutedUntilItsNextQuote) {
    struct TestClock {
        TestClock() {
            board::BoardClock = [] { return testNow; };
        }
        ~TestClock() { board::BoardClock = &board::StaleQuotes::Clock::now; }
    } clock;
    using namespace std::chrono_literals;
    Select("IF2301");
    CDlgOptionTTablePopup* popup = PopupOf("IF2301");
    ASSERT_NE(popup, nullptr);
    grid::CGridCtrl& tee = *popup->BoardGrid();
    Deliver(HOSTMSG_QUOTE_PUSH, Quote("IO2301-C-3900", 31.0, 28.0));
    Deliver(HOSTMSG_QUOTE_PUSH, Quote("IF2301", 3900.0, 3890.0));
    testNow += 61s;
    Deliver(HOSTMSG_QUOTE_PUSH, Quote("IF2301", 3901.0, 3890.0));
    popup->Send(WM_TIMER, board::StaleCheckTimerId);

    // Muted: text there, none of it red or darker than the muted grey.
    const Ink muted = PaintedInk(tee, 1, 1);
    EXPECT_GT(muted.pixels, 0);
    EXPECT_EQ(muted.reddish, 0);
    EXPECT_GE(muted.darkest, GetRValue(board::StaleTextColour));
    EXPECT_LT(PaintedInk(tee, 1, board::StrikeColumnId).darkest, GetRValue(board::StaleTextColour));
    EXPECT_GT(PaintedInk(*popup->UnderlyingGrid(), 1, 1).reddish, 0) << "the future kept quoting";

    Deliver(HOSTMSG_QUOTE_PUSH, Quote("IO2301-C-3900", 31.0, 28.0));
    EXPECT_GT(PaintedInk(tee, 1, 1).reddish, 0) << "red again with its next quote";
}

TEST_F(PopupBoardThroughFrame, TwoPopupsGetOnlyTheirOwnQuotesAndBothFollowAColumnChange) {
    Select("IF2301");
    Sent().clear();
    Select("m2301-C-950");  // an option brings up its underlying's board
    ASSERT_EQ(Frame().PopupBoards().size(), 2u);
    CDlgOptionTTablePopup* index = PopupOf("IF2301");
    CDlgOptionTTablePopup* meal = PopupOf("m2301");
    ASSERT_NE(index, nullptr);
    ASSERT_NE(meal, nullptr);

    // Subscriptions walk the chain as it is kept; the board lists strikes by value, and
    // 2.25 and 2.30 are rows of their own.
    const Texts mealChain = {"m2301",        "m2301-C-1000", "m2301-C-2.25", "m2301-C-2.30",
                             "m2301-P-2.30", "m2301-P-900",  "m2301-C-950"};
    EXPECT_EQ(QuoteRequests(), Then(Each(HOSTMSG_QUOTE_SUBSCRIBE, mealChain), Each(HOSTMSG_QUOTE_REQUEST, mealChain)));
    const Texts strikes = {"2.25", "2.30", "900", "950", "1000"};
    EXPECT_EQ(meal->Strikes(), strikes);
    grid::CGridCtrl& mealBoard = *meal->BoardGrid();
    ASSERT_EQ(mealBoard.GetRowCount(), 6);
    for (int row = 1; row <= 5; ++row) EXPECT_EQ(TextById(mealBoard, row, board::StrikeColumnId), strikes[row - 1]);

    Deliver(HOSTMSG_QUOTE_PUSH, Quote("m2301-C-2.25", 3.5, 3.0));
    Deliver(HOSTMSG_QUOTE_PUSH, Quote("m2301-P-2.30", 4.5, 5.0));
    Deliver(HOSTMSG_QUOTE_PUSH, Quote("IF2301", 4012.4, 4000.0));
    Deliver(HOSTMSG_QUOTE_PUSH, Quote("m2301", 3100.0, 3000.0));
    const std::string callAt225 = TextById(mealBoard, 1, 1);
    const std::string putAt230 = TextById(mealBoard, 2, 101);
    EXPECT_NE(callAt225, "");
    EXPECT_NE(putAt230, "");
    EXPECT_EQ(TextById(mealBoard, 1, 101), "");
    EXPECT_EQ(TextById(mealBoard, 2, 1), "");
    EXPECT_EQ(TextById(*meal->UnderlyingGrid(), 1, 1), "3100");
    EXPECT_EQ(TextById(*index->UnderlyingGrid(), 1, 1), "4012.4");
    for (int row = 1; row <= 2; ++row) {
        EXPECT_EQ(RowTexts(*index->BoardGrid(), row), StrikeOnlyRow(*index->BoardGrid(), row == 1 ? "3900" : "4000"));
    }

    // "开盘价" joins, "涨跌" and the rest leave: both popups rebuild and show their cache.
    board::ReplaceColumnSet(board::MakeColumnSet({1, 9}));
    Frame().Post(framework::ColsSetChangedMessage());
    Pump();
    for (CDlgOptionTTablePopup* popup : {index, meal}) {
        EXPECT_EQ(popup->ColumnReloadCount(), 1);
        EXPECT_EQ(RowTexts(*popup->UnderlyingGrid(), 0), (Texts{"合约", "最新价", "开盘价"}));
        EXPECT_EQ(board::FindColumnById(*popup->BoardGrid(), 2), -1);
        EXPECT_NE(board::FindColumnById(*popup->BoardGrid(), 109), -1);
    }
    EXPECT_EQ(RowTexts(*index->UnderlyingGrid(), 1), (Texts{"IF2301", "4012.4", "0.0"}));
    EXPECT_EQ(meal->Strikes(), strikes);
    EXPECT_EQ(TextById(mealBoard, 1, 1), callAt225);
    EXPECT_EQ(TextById(mealBoard, 2, 101), putAt230);
    EXPECT_EQ(TextById(mealBoard, 2, 1), "");
    EXPECT_EQ(TextById(*meal->UnderlyingGrid(), 1, 1), "3100");
}

TEST_F(PopupBoardThroughFrame, ClosingUnsubscribesTheChainOnceAndTheFrameDestroysThePopup) {
    struct Case {
        const char* way;
        void (*close)(HWND popup);
        bool activatesHost;
    };
    const Case cases[] = {
        {"the 关闭 button", [](HWND popup) { SendMessageW(GetDlgItem(popup, IDOK), BM_CLICK, 0, 0); }, false},
        {"Enter", [](HWND popup) { PostMessageW(popup, WM_KEYDOWN, VK_RETURN, 0); }, true},
        // Twice before the frame acts on the first: still one unsubscription each.
        {"the close box, twice",
         [](HWND popup) {
             SendMessageW(popup, WM_SYSCOMMAND, SC_CLOSE, 0);
             SendMessageW(popup, WM_SYSCOMMAND, SC_CLOSE, 0);
         },
         false},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.way);
        Select("IF2301");
        ASSERT_EQ(Frame().PopupBoards().size(), 1u);
        HWND window = Frame().PopupBoards()[0]->GetSafeHwnd();
        Sent().clear();
        test.close(window);
        Pump();
        EXPECT_EQ(QuoteRequests(), Each(HOSTMSG_QUOTE_UNSUBSCRIBE, IF2301Chain));
        ASSERT_FALSE(Sent().empty());
        EXPECT_EQ(Sent().front().type == HOSTMSG_ACTIVATE_HOST, test.activatesHost);
        EXPECT_FALSE(IsWindow(window));
        EXPECT_TRUE(Frame().PopupBoards().empty());
    }
}

TEST_F(PopupBoardThroughFrame, EscapeOnlyHidesThePopupWhichKeepsItsQuotesAndComesBack) {
    Select("IF2301");
    CDlgOptionTTablePopup* popup = PopupOf("IF2301");
    ASSERT_NE(popup, nullptr);
    Sent().clear();
    PostMessageW(popup->GetSafeHwnd(), WM_KEYDOWN, VK_ESCAPE, 0);
    Pump();
    EXPECT_FALSE(IsWindowVisible(popup->GetSafeHwnd()));
    EXPECT_FALSE(popup->CloseRequested());
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_EQ(Sent()[0].type, HOSTMSG_ACTIVATE_HOST);

    Deliver(HOSTMSG_QUOTE_PUSH, Quote("IO2301-C-3900", 95.0, 90.0));
    EXPECT_EQ(TextById(*popup->BoardGrid(), 1, 1), "95.0");

    // Invoked again for an option of the same chain: the same window, no new subscription.
    Select("IO2301-P-4000");
    EXPECT_EQ(Frame().PopupBoards(), std::vector<CDlgOptionTTablePopup*>{popup});
    EXPECT_TRUE(IsWindowVisible(popup->GetSafeHwnd()));
    EXPECT_TRUE(QuoteRequests().empty());
}

TEST_F(PopupBoardThroughFrame, ThePopupKeepsItsOpeningSizeAsMinimumAndItsLayoutFollowsEveryResize) {
    // Every side column: both grids are wider than the window, so centring shows.
    std::vector<board::ColumnId> all;
    for (board::ColumnId id = 1; id <= 22; ++id) all.push_back(id);
    board::ReplaceColumnSet(board::MakeColumnSet(all));
    Select("IF2301");
    CDlgOptionTTablePopup* popup = PopupOf("IF2301");
    ASSERT_NE(popup, nullptr);
    HWND window = popup->GetSafeHwnd();
    grid::CGridCtrl& top = *popup->UnderlyingGrid();
    grid::CGridCtrl& tee = *popup->BoardGrid();

    const RECT opened = popup->GetWindowRect();
    const SIZE initial = popup->InitialSize();
    EXPECT_EQ(initial.cx, opened.right - opened.left);
    EXPECT_EQ(initial.cy, opened.bottom - opened.top);
    MINMAXINFO limits = {};
    SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(limits.ptMinTrackSize.x, initial.cx);
    EXPECT_EQ(limits.ptMinTrackSize.y, initial.cy);

    // Template 133: a sizable captioned popup; the grids at their dialog-unit places.
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    const DWORD templateStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    EXPECT_EQ(style & templateStyle, templateStyle);
    EXPECT_EQ(GetWindowLongPtrW(GetDlgItem(window, IDOK), GWL_STYLE) & BS_DEFPUSHBUTTON, BS_DEFPUSHBUTTON);
    wchar_t caption[8] = {};
    GetDlgItemTextW(window, IDOK, caption, 8);
    EXPECT_STREQ(caption, L"关闭");
    RECT topUnits = {3, 4, 3 + 566, 4 + 37};
    RECT teeUnits = {3, 43, 3 + 566, 43 + 204};
    MapDialogRect(window, &topUnits);
    MapDialogRect(window, &teeUnits);
    const RECT topAtOpening = ClientRectOf(top.GetSafeHwnd(), window);
    const RECT teeAtOpening = ClientRectOf(tee.GetSafeHwnd(), window);
    EXPECT_EQ(topAtOpening.left, topUnits.left);
    EXPECT_EQ(topAtOpening.top, topUnits.top);
    EXPECT_EQ(topAtOpening.bottom, topUnits.bottom);
    EXPECT_EQ(teeAtOpening.top, teeUnits.top);
    const SIZE sizes[] = {{initial.cx + 240, initial.cy + 120}, {initial.cx + 41, initial.cy + 9}, {200, 100}};
    for (const SIZE& size : sizes) {
        SCOPED_TRACE(testing::Message() << size.cx << " x " << size.cy);
        SetWindowPos(window, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        Pump();
        const RECT now = popup->GetWindowRect();
        EXPECT_EQ(now.right - now.left, std::max(size.cx, initial.cx));
        EXPECT_EQ(now.bottom - now.top, std::max(size.cy, initial.cy));

        const RECT client = popup->GetClientRect();
        const RECT button = ClientRectOf(GetDlgItem(window, IDOK), window);
        EXPECT_EQ(button.left, (client.right - (button.right - button.left)) / 2);
        EXPECT_EQ(button.bottom, client.bottom - 7);

        const RECT topRect = ClientRectOf(top.GetSafeHwnd(), window);
        const RECT teeRect = ClientRectOf(tee.GetSafeHwnd(), window);
        EXPECT_EQ(topRect.left, topAtOpening.left);
        EXPECT_EQ(topRect.top, topAtOpening.top);
        EXPECT_EQ(topRect.bottom - topRect.top, topAtOpening.bottom - topAtOpening.top);
        EXPECT_EQ(topRect.right, client.right - 7);
        EXPECT_EQ(teeRect.left, teeAtOpening.left);
        EXPECT_EQ(teeRect.top, teeAtOpening.top);
        EXPECT_EQ(teeRect.right, client.right - 7);
        EXPECT_EQ(teeRect.bottom, client.bottom - 37);

        // Each grid scrolled to the middle of its own columns in its own width; the
        // strike column stands mid-view.
        for (const grid::CGridCtrl* grid : {&top, &tee}) {
            const RECT own = grid->GetWindowRect();
            const int middle = (grid->GetVirtualWidth() - (own.right - own.left)) / 2;
            EXPECT_NEAR(grid->GetScrollPosition(SB_HORZ), middle, 2);
        }
        RECT strike = {};
        ASSERT_TRUE(tee.GetCellRect(0, board::FindColumnById(tee, board::StrikeColumnId), &strike));
        const RECT view = tee.GetClientRect();
        // The grid draws from the first column the scroll position reaches, so the
        // strike column can stand up to one column off the exact middle.
        EXPECT_NEAR((strike.left + strike.right) / 2, view.right / 2, board::QuoteColumnWidth);
    }
}

TEST_F(PopupBoardThroughFrame, FitColumnsWorksOnTheRightClickedGridOfThePopup) {
    Select("IF2301");
    CDlgOptionTTablePopup* popup = PopupOf("IF2301");
    ASSERT_NE(popup, nullptr);
    grid::CGridCtrl& top = *popup->UnderlyingGrid();
    grid::CGridCtrl& tee = *popup->BoardGrid();
    tee.SetCellText(1, 1, "12345678901234567890");
    const int wideBefore = tee.GetColumnWidth(1);
    const int topBefore = top.GetColumnWidth(1);

    // Nothing was right-clicked yet: nothing to fit.
    popup->Send(WM_COMMAND, ID_GRID_FIT_COLUMNS);
    EXPECT_EQ(tee.GetColumnWidth(1), wideBefore);

    // The context menu opens at the right click; leaving it still names its grid.
    UINT_PTR timer = SetTimer(nullptr, 0, 50, &LeaveOpenMenu);
    EXPECT_EQ(tee.SendMessageToParent(1, 1, NM_RCLICK), 0);
    KillTimer(nullptr, timer);
    Pump();
    popup->Send(WM_COMMAND, ID_GRID_FIT_COLUMNS);
    EXPECT_GT(tee.GetColumnWidth(1), wideBefore);
    EXPECT_EQ(top.GetColumnWidth(1), topBefore);
}

// Directly, without showing a window: what the frame cannot ask for.
TEST_F(PopupBoardThroughFrame, AnUnderlyingWithoutOptionsAndAMissingHostLibraryAreHandledPlainly) {
    struct Case {
        bool withHost;
        Requests expected;
    };
    const Case cases[] = {
        {true,
         {{HOSTMSG_QUOTE_SUBSCRIBE, "IH2301"},
          {HOSTMSG_QUOTE_REQUEST, "IH2301"},
          {HOSTMSG_QUOTE_UNSUBSCRIBE, "IH2301"}}},
        {false, {}},
    };
    TesselAPI* host = HostApi();
    for (const Case& test : cases) {
        SCOPED_TRACE(test.withHost ? "with the host library" : "without it");
        SetHostApi(test.withHost ? host : nullptr);
        Sent().clear();
        CDlgOptionTTablePopup popup;
        ASSERT_TRUE(popup.Create());
        popup.ShowUnderlying("IH2301");
        EXPECT_EQ(popup.GetText(), "期权T型报价--IH2301");
        EXPECT_EQ(popup.UnderlyingGrid()->GetRowCount(), 2);
        EXPECT_EQ(TextById(*popup.UnderlyingGrid(), 1, 0), "IH2301");
        EXPECT_EQ(popup.BoardGrid()->GetRowCount(), 1);
        popup.Send(WM_COMMAND, IDOK);
        popup.Send(WM_COMMAND, IDOK);
        EXPECT_TRUE(popup.CloseRequested());
        Pump();  // the frame ignores a close request from a popup it does not hold
        EXPECT_EQ(QuoteRequests(), test.expected);
    }
    SetHostApi(host);
}

TEST(PopupStrikeOrder, StrikesSortByValueThenTextWithNonNumbersLast) {
    Texts strikes = {"1000", "900", "abc", "2.30", "0950", "950", "2.25", "", "1e3", "inf"};
    std::stable_sort(strikes.begin(), strikes.end(), board::StrikeOrderLess);
    EXPECT_EQ(strikes, (Texts{"2.25", "2.30", "900", "0950", "950", "1000", "1e3", "", "abc", "inf"}));
}

}  // namespace
}  // namespace quillon::test
