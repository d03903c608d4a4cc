// Quotes on the docked board: which row and which side they reach, the texts and colours
// they leave, the cache that survives a column change, and what they paint.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <span>
#include <string>
#include <vector>

#include "BoardTestSupport.h"
#include "analytics/ExpirySchedule.h"
#include "analytics/OptionPricing.h"
#include "board/AnalyticsSettings.h"
#include "board/ColumnSet.h"
#include "board/MoneyMarks.h"
#include "board/QuoteGrid.h"
#include "host/WireRecords.h"
#include "model/MarketData.h"

namespace quillon::board::testing {
namespace {

namespace field = host::quote_record;
using Texts = std::vector<std::string>;

constexpr COLORREF Red = RGB(255, 0, 0);
constexpr COLORREF Green = RGB(0, 201, 0);
constexpr COLORREF Unset = grid::GridColourNotSet;

class DockedBoardQuotes : public BoardFixture {
protected:
    void SetUp() override {
        BoardFixture::SetUp();
        AddInstrument("IF2101", "CFFEX", false, 0.2);
        AddInstrument("IO2101-C-4500", "CFFEX", true, 0.2);
        AddInstrument("IO2101-P-4500", "CFFEX", true, 0.2);
        AddInstrument("IO2101-C-4600", "CFFEX", true, 0.2);
        AddInstrument("IO2101-P-4600", "CFFEX", true, 0.2);
    }

    void LoadAll() {
        board_->LoadContracts({"IF2101", "IO2101-C-4500", "IO2101-P-4500", "IO2101-C-4600", "IO2101-P-4600"});
    }

    // Shows every side column, 1 to 22, on both grids.
    void ChooseEveryColumn() {
        std::vector<ColumnId> all;
        for (ColumnId id = 1; id <= 22; ++id) all.push_back(id);
        ReplaceColumnSet(MakeColumnSet(all));
        board_->ReloadColumns();
    }

    static QuoteBuilder Example(const std::string& code) {
        return std::move(QuoteBuilder(code)
                             .Price(field::LastPrice, 4012.4)
                             .Price(field::PreSettlement, 4000.0)
                             .Price(field::OpenPrice, 4002.0)
                             .Price(field::BidPrice, 4012.2)
                             .Count(field::BidVolume, 3)
                             .Price(field::AskPrice, 3999.8)
                             .Count(field::AskVolume, 5));
    }
};

TEST_F(DockedBoardQuotes, TheExampleQuoteShowsItsRiseInRed) {
    LoadAll();
    Quote(Example("IF2101"), false, false, 0.2);
    struct Cell {
        ColumnId id;
        std::string text;
        COLORREF colour;
    };
    const Cell cells[] = {
        {1, "4012.4", Red}, {2, "12.4", Red},     {3, "0.31", Red}, {4, "4012.2", Red},
        {5, "3", Unset},    {6, "3999.8", Green}, {7, "5", Unset},
    };
    for (const Cell& cell : cells) {
        EXPECT_EQ(TextById(Top(), 1, cell.id), cell.text) << cell.id;
        EXPECT_EQ(ColourById(Top(), 1, cell.id), cell.colour) << cell.id;
    }
    EXPECT_EQ(Text(Top(), 1, 0), "IF2101") << "the contract column is never written by quotes";
}

TEST_F(DockedBoardQuotes, ReferenceRulesDecideTheColours) {
    LoadAll();
    struct Case {
        const char* what;
        double last;
        double settlement;
        double open;
        Texts shown;  // 最新价, 涨跌, 涨跌幅%
        COLORREF colour;
    };
    const Case cases[] = {
        {"no change is red", 4000.0, 4000.0, 3990.0, {"4000.0", "0.0", "0.00"}, Red},
        {"a fall is green", 3990.0, 4000.0, 3990.0, {"3990.0", "-10.0", "-0.25"}, Green},
        {"empty settlement: the open price is the reference",
         4012.4,
         host::EmptyPrice,
         4020.0,
         {"4012.4", "-7.6", "-0.19"},
         Green},
        {"zero reference: no percentage", 4012.4, 0.0, 0.0, {"4012.4", "4012.4", "-"}, Red},
    };
    for (const Case& c : cases) {
        Quote(QuoteBuilder("IF2101")
                  .Price(field::LastPrice, c.last)
                  .Price(field::PreSettlement, c.settlement)
                  .Price(field::OpenPrice, c.open),
              false, false, 0.2);
        EXPECT_EQ((Texts{TextById(Top(), 1, 1), TextById(Top(), 1, 2), TextById(Top(), 1, 3)}), c.shown) << c.what;
        for (ColumnId id : {1, 2, 3}) EXPECT_EQ(ColourById(Top(), 1, id), c.colour) << c.what << ", id " << id;
    }
}

TEST_F(DockedBoardQuotes, CurrentVolumeIsZeroFirstThenTheDifference) {
    ReplaceColumnSet(MakeColumnSet({11, 15}));
    board_->ReloadColumns();
    ASSERT_EQ(HeaderTexts(Top()), (Texts{"合约", "现量", "成交量"}));
    LoadAll();
    const std::pair<int, std::string> steps[] = {{100, "0"}, {130, "30"}, {130, "0"}, {90, "-40"}};
    for (const auto& [volume, shown] : steps) {
        Quote(QuoteBuilder("IF2101").Count(field::Volume, volume), false, false, 0.2);
        EXPECT_EQ(TextById(Top(), 1, 11), shown) << volume;
        EXPECT_EQ(TextById(Top(), 1, 15), std::to_string(volume));
        EXPECT_EQ(ColourById(Top(), 1, 11), Unset);
    }
    Quote(QuoteBuilder("IO2101-P-4500").Count(field::Volume, 7), true, false, 0.2);
    EXPECT_EQ(TextById(Board(), 1, 111), "0") << "each contract has its own previous quote";
}

TEST_F(DockedBoardQuotes, APutWritesOnlyThePutSideOfTheRowItsCallWrites) {
    LoadAll();
    ChooseEveryColumn();
    ASSERT_EQ(Board().GetColumnCount(), 45);
    const int strike = FindColumnById(Board(), 24);

    auto sideFilled = [&](int row, ColumnId base) {
        int filled = 0;
        for (ColumnId id = base + 1; id <= base + 22; ++id) filled += TextById(Board(), row, id).empty() ? 0 : 1;
        return filled;
    };
    Quote(Example("IO2101-C-4600").Count(field::Volume, 9), true, true, 0.2);
    EXPECT_EQ(sideFilled(2, 0), 22 - 1) << "every call column but the empty update time";
    EXPECT_EQ(sideFilled(2, 100), 0);
    EXPECT_EQ(sideFilled(1, 0) + sideFilled(1, 100), 0) << "the other strike's row stays blank";

    Quote(Example("IO2101-P-4600").Price(field::LastPrice, 3990.0), true, false, 0.2);
    EXPECT_EQ(sideFilled(2, 100), 21);
    EXPECT_EQ(TextById(Board(), 2, 101), "3990.0");
    EXPECT_EQ(ColourById(Board(), 2, 101), Green);
    EXPECT_EQ(TextById(Board(), 2, 1), "4012.4") << "the call side keeps the call's quote";
    EXPECT_EQ(ColourById(Board(), 2, 1), Red);
    EXPECT_EQ(Text(Board(), 2, strike), "IO2101-4600");
    EXPECT_EQ(sideFilled(1, 0) + sideFilled(1, 100), 0);
}

TEST_F(DockedBoardQuotes, AQuoteReachesOnlyTheFirstRowOfACodeListedTwice) {
    board_->LoadContracts({"IF2101", "IF2101"});
    Quote(Example("IF2101"), false, false, 0.2);
    EXPECT_EQ(TextById(Top(), 1, 1), "4012.4");
    EXPECT_EQ(TextById(Top(), 2, 1), "");
}

TEST_F(DockedBoardQuotes, QuotesWithoutARowAreKeptAndShownWhenColumnsChange) {
    LoadAll();
    Quote(Example("NOTLISTED"), false, false, 0.001);
    Quote(Example("IO2101-C-4700"), true, true, 0.2);  // not in the table, no strike row
    EXPECT_EQ(Top().GetRowCount(), 2);
    EXPECT_EQ(Board().GetRowCount(), 3);

    // Quotes cached before the list named their contracts show after a column change.
    board_->LoadContracts({});
    Quote(Example("IF2101"), false, false, 0.2);
    Quote(Example("IO2101-P-4500").Price(field::LastPrice, 3000.0), true, false, 0.2);
    LoadAll();
    EXPECT_EQ(TextById(Top(), 1, 1), "") << "rebuilt rows start blank";
    host_.sent.clear();
    board_->ReloadColumns();
    EXPECT_TRUE(host_.sent.empty()) << "a column change sends no requests";
    EXPECT_EQ(TextById(Top(), 1, 1), "4012.4");
    EXPECT_EQ(ColourById(Top(), 1, 1), Red);
    EXPECT_EQ(TextById(Board(), 1, 101), "3000.0");
    EXPECT_EQ(ColourById(Board(), 1, 101), Green);
    EXPECT_EQ(TextById(Board(), 1, 1), "");

    // The re-write keeps the previous quote for "现量", and leaves the cache as it was.
    ReplaceColumnSet(MakeColumnSet({11}));
    Quote(QuoteBuilder("IF2101").Count(field::Volume, 50), false, false, 0.2);
    board_->ReloadColumns();
    EXPECT_EQ(TextById(Top(), 1, 11), "50");
    board_->ReloadColumns();
    EXPECT_EQ(TextById(Top(), 1, 11), "50");
}

TEST_F(DockedBoardQuotes, AShortPayloadIsDroppedUnread) {
    LoadAll();
    QuoteBuilder quote = Example("IF2101");
    const std::vector<unsigned char>& bytes = quote.Bytes();
    const int before = board_->QuoteCount();
    board_->OnQuote(std::span<const unsigned char>(bytes.data(), bytes.size() - 1), false, false, 0.2);
    board_->OnQuote(std::span<const unsigned char>(), false, false, 0.2);
    EXPECT_EQ(board_->QuoteCount(), before);
    board_->ReloadColumns();
    EXPECT_EQ(TextById(Top(), 1, 1), "") << "nothing was cached";

    board_->OnQuote(std::span<const unsigned char>(bytes), false, false, 0.2);
    EXPECT_EQ(TextById(Top(), 1, 1), "4012.4");
}

std::chrono::system_clock::time_point EighthOfDecember2020() {
    using namespace std::chrono;
    return sys_days{year{2020} / 12 / 8} + hours{2};  // 10:00 in Beijing
}

TEST_F(DockedBoardQuotes, AnalyticsColumnsReadEachOptionAgainstItsOwnFuture) {
    AnalyticsSettings& settings = SharedAnalyticsSettings();
    struct ClockOfTheTest {
        explicit ClockOfTheTest(AnalyticsSettings& s) : settings(s) { settings.now = &EighthOfDecember2020; }
        ~ClockOfTheTest() { settings.now = &std::chrono::system_clock::now; }
        AnalyticsSettings& settings;
    } clock(settings);
    model::SharedMarketData().BuildOptionChain();
    ReplaceColumnSet(MakeColumnSet({1, 52, 60}));
    board_->ReloadColumns();
    LoadAll();

    // IO2101 expires on the third Friday of January 2021, the 15th: 38 days on.
    const double T = analytics::YearsToExpiry({2021, 1, 15}, EighthOfDecember2020());
    const double put = analytics::Black76Price(false, 4500, 4500, T, settings.riskFreeRate, 0.25);
    QuoteBuilder future("IF2101");
    future.Price(field::BidPrice, 4499.8).Price(field::AskPrice, 4500.2);
    QuoteBuilder option("IO2101-P-4500");
    option.Price(field::BidPrice, put).Price(field::AskPrice, put);
    Quote(future, false, false, 0.2);
    Quote(option, true, false, 0.2);
    // The columns catch up on the board's own timer, a quarter of a second at most.
    for (int wait = 0; wait < 100 && TextById(Top(), 1, 52) != "25.00"; ++wait) {
        Sleep(20);
        Pump();
    }
    EXPECT_EQ(TextById(Board(), 1, 152), "25.00");
    EXPECT_EQ(TextById(Board(), 1, 160), "38");
    EXPECT_EQ(TextById(Board(), 1, 52), "") << "no call quote yet";
    EXPECT_EQ(TextById(Top(), 1, 52), "25.00") << "the put at the money is the chain's only volatility";
    EXPECT_EQ(TextById(Top(), 1, 60), "38");
}

// The docked board marks each strike row against its own future's price.
TEST_F(DockedBoardQuotes, TheMoneyIsMarkedAgainstEachRowsOwnFuture) {
    model::SharedMarketData().BuildOptionChain();
    LoadAll();
    const int call = FindColumnById(Board(), 1), strike = FindColumnById(Board(), StrikeColumnId),
              put = FindColumnById(Board(), 101);
    auto backs = [&](int row) {
        return std::vector<COLORREF>{Board().GetCell(row, call)->GetBackColour(),
                                     Board().GetCell(row, strike)->GetBackColour(),
                                     Board().GetCell(row, put)->GetBackColour()};
    };
    const COLORREF odd = OddRowBackColour, even = EvenRowBackColour, amber = AtTheMoneyBackColour;
    const COLORREF oddShaded = InTheMoneyBackColour(odd), evenShaded = InTheMoneyBackColour(even);
    EXPECT_EQ(backs(1), (std::vector<COLORREF>{odd, odd, odd})) << "no price, no marks";

    const struct {
        double price;
        std::vector<COLORREF> row4500, row4600;
    } cases[] = {
        {4540, {oddShaded, amber, odd}, {even, even, evenShaded}},
        {4560, {oddShaded, odd, odd}, {even, amber, evenShaded}},
        {4400, {odd, amber, oddShaded}, {even, even, evenShaded}},
    };
    for (const auto& c : cases) {
        QuoteBuilder future("IF2101");
        future.Price(field::LastPrice, c.price);
        Quote(future, false, false, 0.2);
        EXPECT_EQ(backs(1), c.row4500) << c.price;
        EXPECT_EQ(backs(2), c.row4600) << c.price;
    }
}

TEST_F(DockedBoardQuotes, ABoardWhoseWindowIsGoneStillTakesEveryCall) {
    LoadAll();
    board_->DestroyWindow();
    EXPECT_EQ(board_->UnderlyingGrid(), nullptr);
    host_.sent.clear();
    board_->LoadContracts({"IF2101"});
    Quote(Example("IF2101"), false, false, 0.2);
    Quote(Example("IO2101-C-4500"), true, true, 0.2);
    board_->ReloadColumns();
    EXPECT_EQ(host_.sent.size(), 5u + 2u) << "the old list is still unsubscribed, the new one subscribed";
    EXPECT_EQ(board_->QuoteCount(), 2);
}

// Pixels a colour close to `colour` (text is anti-aliased) in `area`.
int CountNear(const Canvas& canvas, const RECT& area, COLORREF colour) {
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            COLORREF pixel = canvas.At(x, y);
            if (std::abs(GetRValue(pixel) - GetRValue(colour)) < 40 &&
                std::abs(GetGValue(pixel) - GetGValue(colour)) < 40 &&
                std::abs(GetBValue(pixel) - GetBValue(colour)) < 40) {
                ++count;
            }
        }
    }
    return count;
}

TEST_F(DockedBoardQuotes, RowsPaintBandedAndPricesPaintRedOrGreen) {
    LoadAll();
    MoveWindow(board_->GetSafeHwnd(), 0, 0, 1200, 500, TRUE);
    Quote(Example("IO2101-C-4500"), true, true, 0.2);
    Quote(Example("IO2101-C-4600").Price(field::LastPrice, 3990.0), true, true, 0.2);

    RECT client = Board().GetClientRect();
    Canvas canvas(client.right, client.bottom);
    Board().Paint(canvas.Dc(), client);

    const int last = FindColumnById(Board(), 1);
    RECT rise, fall, blankOdd, blankEven;
    ASSERT_TRUE(Board().GetCellRect(1, last, &rise));
    ASSERT_TRUE(Board().GetCellRect(2, last, &fall));
    const int putLast = FindColumnById(Board(), 101);
    ASSERT_TRUE(Board().GetCellRect(1, putLast, &blankOdd));
    ASSERT_TRUE(Board().GetCellRect(2, putLast, &blankEven));

    EXPECT_GT(CountNear(canvas, rise, Red), 3) << "4012.4 is red";
    EXPECT_EQ(CountNear(canvas, rise, Green), 0);
    EXPECT_GT(CountNear(canvas, fall, Green), 3) << "3990.0 is green";
    EXPECT_EQ(CountNear(canvas, fall, Red), 0);

    // Inside the cells, away from the grid lines: white on odd rows, light grey on even.
    auto inner = [](RECT rect) { return RECT{rect.left + 2, rect.top + 2, rect.right - 2, rect.bottom - 2}; };
    const RECT odd = inner(blankOdd);
    const RECT even = inner(blankEven);
    const int area = (odd.right - odd.left) * (odd.bottom - odd.top);
    EXPECT_EQ(canvas.Count(odd, RGB(255, 255, 255)), area);
    EXPECT_EQ(canvas.Count(even, RGB(235, 235, 235)), area);
    EXPECT_GT(canvas.Count(inner(fall), RGB(235, 235, 235)), area / 2) << "text on a banded background";
}

}  // namespace
}  // namespace quillon::board::testing
