// What the frame does with the host's messages once the program runs.
#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>

#include "AppFixture.h"
#include "board/QuoteGrid.h"
#include "framework/ApplicationMessages.h"
#include "grid/GridCtrl.h"
#include "host/HostCallback.h"
#include "host/HostMessages.h"
#include "host/HostRequests.h"
#include "host/WireRecords.h"
#include "model/MarketData.h"

namespace quillon::test {
namespace {

using namespace quillon::host;

const char* const Caption = "错误提示";
const char* const NoSelection = "未正确选择合约，相关功能暂无法生效";
const char* const InvalidUnderlying = "无效的标的物合约，无法显示T型报价";

class Dispatch : public AppFixture {
protected:
    void StartLoaded(const char* ini) {
        Start(ini);
        LoadMarket(SampleMarket());
        ASSERT_TRUE(model::SharedMarketData().DataReady());
    }
    void Select(const std::string& code) {
        Deliver(HOSTMSG_INVOKE);
        Deliver(HOSTMSG_SELECTED, EncodeTextSlots({code}, 64));
    }
};

TEST_F(Dispatch, TheLoginFailureBoxShowsItsTextAndTheFrameCloses) {
    Start("[Startup]\r\nRunMode=0\r\n");
    HWND frame = Frame().GetSafeHwnd();
    {
        MessageBoxWatcher watcher;
        Deliver(HOSTMSG_LOGIN_RESULT, -1);
        ASSERT_EQ(watcher.texts.size(), 1u);
        EXPECT_EQ(watcher.texts[0], "期权T型报价功能初始化失败，无法登录到Hexmoor");
        EXPECT_EQ(watcher.captions[0], Caption);
        EXPECT_TRUE(watcher.styles[0] & WS_EX_TOPMOST);  // system modal
    }
    EXPECT_FALSE(IsWindow(frame));
    EXPECT_TRUE(quitSeen);
    EXPECT_TRUE(Sent().empty());
}

TEST_F(Dispatch, SelectionRepliesWarnOnlyWhileASelectionIsPending) {
    StartLoaded("");
    MessageBoxWatcher watcher;
    // Without an invocation nothing happens, valid or not.
    Deliver(HOSTMSG_SELECTED, EncodeTextSlots({"IF2301"}, 64));
    Deliver(HOSTMSG_SELECTED, 1, nullptr, 0);
    Deliver(HOSTMSG_SELECTED, std::vector<unsigned char>(63, 'A'));
    EXPECT_TRUE(watcher.texts.empty());
    EXPECT_TRUE(Frame().PopupBoards().empty());

    struct Case {
        int value;
        std::vector<unsigned char> payload;
        const char* text;
    };
    const Case cases[] = {
        {1, EncodeTextSlots({"IF2301"}, 64), NoSelection},
        {0, std::vector<unsigned char>(65, 'A'), NoSelection},
        {0, EncodeTextSlots({""}, 64), NoSelection},
        {0, EncodeTextSlots({"XX9999"}, 64), InvalidUnderlying},
        {0, EncodeTextSlots({"SR301C9999"}, 64), InvalidUnderlying},
    };
    for (const Case& test : cases) {
        Deliver(HOSTMSG_INVOKE);
        Deliver(HOSTMSG_SELECTED, test.payload, test.value);
        EXPECT_FALSE(Frame().IsSelectionPending());
    }
    ASSERT_EQ(watcher.texts.size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(watcher.texts[i], cases[i].text) << i;
        EXPECT_EQ(watcher.captions[i], Caption);
    }
    EXPECT_TRUE(Frame().PopupBoards().empty());
}

TEST_F(Dispatch, ASelectedOptionOpensItsUnderlyingsPopupOnceAndQuotesFindIt) {
    StartLoaded("");
    Select("IO2301-C-3900");
    auto popups = Frame().PopupBoards();
    ASSERT_EQ(popups.size(), 1u);
    EXPECT_EQ(popups[0]->UnderlyingCode(), "IF2301");
    EXPECT_TRUE(IsWindowVisible(popups[0]->GetSafeHwnd()));
    EXPECT_EQ(popups[0]->GetText(), "期权T型报价--IF2301");

    Select("IF2301");  // the underlying itself: the same popup comes forward
    EXPECT_EQ(Frame().PopupBoards(), popups);
    Select("SR301C5000");
    ASSERT_EQ(Frame().PopupBoards().size(), 2u);

    board::CDlgOptionTTablePopup* index = popups[0];
    Deliver(HOSTMSG_QUOTE_PUSH, QuoteBytes("IF2301"));
    Deliver(HOSTMSG_QUOTE_REPLY, QuoteBytes("IO2301-P-4000"));
    Deliver(HOSTMSG_QUOTE_PUSH, QuoteBytes("UNKNOWN"));
    EXPECT_EQ(index->QuoteCount(), 2);
    EXPECT_EQ(Frame().Board().QuoteCount(), 0);  // the docked board sleeps in popup run mode

    // A popup that asked to close gets no more quotes and goes when the frame acts.
    HWND indexWindow = index->GetSafeHwnd();
    index->Send(WM_COMMAND, IDOK);
    EXPECT_TRUE(index->CloseRequested());
    HostCallback(HOSTMSG_QUOTE_PUSH, 0, QuoteBytes("IF2301").data(), 592, 0);
    Pump();
    EXPECT_FALSE(IsWindow(indexWindow));
    ASSERT_EQ(Frame().PopupBoards().size(), 1u);
    EXPECT_EQ(Frame().PopupBoards()[0]->UnderlyingCode(), "SR301");

    // A close request naming no popup of ours is ignored.
    Frame().Post(framework::TTableDialogCloseMessage(), 0, 0x1234);
    Pump();
    EXPECT_EQ(Frame().PopupBoards().size(), 1u);

    Frame().Post(framework::ColsSetChangedMessage());
    Pump();
    EXPECT_EQ(Frame().PopupBoards()[0]->ColumnReloadCount(), 1);
}

TEST_F(Dispatch, EscapeOnlyHidesAPopupWhichTheNextRequestShowsAgain) {
    StartLoaded("");
    Select("IF2301");
    ASSERT_EQ(Frame().PopupBoards().size(), 1u);
    board::CDlgOptionTTablePopup* popup = Frame().PopupBoards()[0];
    PostMessageW(popup->GetSafeHwnd(), WM_KEYDOWN, VK_ESCAPE, 0);
    Pump();
    EXPECT_FALSE(IsWindowVisible(popup->GetSafeHwnd()));
    EXPECT_FALSE(popup->CloseRequested());
    EXPECT_EQ(Sent().back().type, HOSTMSG_ACTIVATE_HOST);
    Deliver(HOSTMSG_QUOTE_PUSH, QuoteBytes("IF2301"));
    EXPECT_EQ(popup->QuoteCount(), 1);  // still in the set, still quoted
    Select("IF2301");
    EXPECT_EQ(Frame().PopupBoards(), std::vector<board::CDlgOptionTTablePopup*>{popup});
    EXPECT_TRUE(IsWindowVisible(popup->GetSafeHwnd()));
}

TEST_F(Dispatch, TheDockedBoardFillsTheFrameAtEverySize) {
    Start("[Startup]\r\nRunMode=0\r\n");
    HWND board = Frame().Board().GetSafeHwnd();
    ASSERT_NE(board, nullptr);
    EXPECT_EQ(GetParent(board), Frame().GetSafeHwnd());
    EXPECT_TRUE(GetWindowLongPtrW(board, GWL_STYLE) & WS_VISIBLE);
    for (SIZE size : {SIZE{640, 480}, SIZE{300, 200}}) {
        SetWindowPos(Frame().GetSafeHwnd(), nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
        RECT client = Frame().GetClientRect();
        RECT placed = Frame().Board().GetWindowRect();
        MapWindowPoints(nullptr, Frame().GetSafeHwnd(), reinterpret_cast<POINT*>(&placed), 2);
        EXPECT_EQ(placed.left, 0);
        EXPECT_EQ(placed.top, 0);
        EXPECT_EQ(placed.right, client.right);
        EXPECT_EQ(placed.bottom, client.bottom);
    }
}

TEST_F(Dispatch, TheDockedBoardGetsContractListsAndQuotes) {
    StartLoaded("[Startup]\r\nRunMode=3\r\n");
    Deliver(HOSTMSG_CONTRACT_LIST, EncodeTextSlots({"IF2301", "IO2301-C-3900"}, 32));
    EXPECT_EQ(Frame().Board().Contracts(), (std::vector<std::string>{"IF2301", "IO2301-C-3900"}));
    Deliver(HOSTMSG_CONTRACT_LIST_PUSH, EncodeTextSlots({"SR301"}, 64));
    EXPECT_EQ(Frame().Board().Contracts(), (std::vector<std::string>{"SR301"}));
    // A malformed list (a negative length, or bytes announced and none passed) is ignored.
    for (int length : {-32, -1, 32}) {
        Deliver(HOSTMSG_CONTRACT_LIST, 0, nullptr, length);
        Deliver(HOSTMSG_CONTRACT_LIST_PUSH, 0, nullptr, length * 2);
        EXPECT_EQ(Frame().Board().Contracts(), (std::vector<std::string>{"SR301"})) << length;
    }
    // An empty list empties the board rather than leaving the old one up.
    Deliver(HOSTMSG_CONTRACT_LIST, 0, nullptr, 0);
    EXPECT_TRUE(Frame().Board().Contracts().empty());

    Deliver(HOSTMSG_QUOTE_PUSH, QuoteBytes("IF2301"));
    Deliver(HOSTMSG_QUOTE_REPLY, QuoteBytes("IO2301-C-3900", 600));
    EXPECT_EQ(Frame().Board().QuoteCount(), 2);
    Frame().Post(framework::ColsSetChangedMessage());
    Pump();
    EXPECT_EQ(Frame().Board().ColumnReloadCount(), 1);

    // Showing the frame once loaded asks for the contract list again.
    std::size_t before = Sent().size();
    Frame().ShowWindow(SW_SHOWNA);
    Pump();
    ASSERT_EQ(Sent().size(), before + 1);
    EXPECT_EQ(Sent().back().type, HOSTMSG_REQ_CONTRACT_LIST);
    Frame().ShowWindow(SW_HIDE);
}

TEST_F(Dispatch, AQuoteOfAContractMissingFromTheInstrumentTableIsShownWithThreeDecimals) {
    StartLoaded("");
    Select("IF2301");
    ASSERT_EQ(Frame().PopupBoards().size(), 1u);
    const grid::CGridCtrl& top = *Frame().PopupBoards()[0]->UnderlyingGrid();
    const int lastPrice = board::FindColumnById(top, 1);
    ASSERT_NE(lastPrice, -1);
    // The host spells the future in lower case: no instrument record, so no tick of its
    // own, yet the popup of its underlying takes it.
    ASSERT_FALSE(model::SharedMarketData().FindInstrument("if2301"));
    const struct {
        const char* code;
        const char* shown;
    } cases[] = {{"IF2301", "4012.4"}, {"if2301", "4012.400"}};
    for (const auto& c : cases) {
        std::vector<unsigned char> quote = QuoteBytes(c.code);
        WriteDouble(quote.data(), quote_record::LastPrice, 4012.4);
        Deliver(HOSTMSG_QUOTE_PUSH, quote);
        ASSERT_NE(top.GetCell(1, lastPrice), nullptr);
        EXPECT_EQ(std::string(top.GetCell(1, lastPrice)->GetText()), c.shown) << c.code;
    }
}

TEST_F(Dispatch, AfterTheHostClosesNothingHasEffectAndTheProcessEndsSaving) {
    StartLoaded("");
    Select("IO2301-C-3900");
    ASSERT_EQ(Frame().PopupBoards().size(), 1u);
    board::CDlgOptionTTablePopup* popup = Frame().PopupBoards()[0];
    HWND popupWindow = popup->GetSafeHwnd();
    HWND frame = Frame().GetSafeHwnd();
    std::size_t before = Sent().size();

    // Queue messages behind the closing one: none may act, every record is freed.
    HostCallback(HOSTMSG_HOST_CLOSING, 0, nullptr, 0, 0);
    HostCallback(HOSTMSG_INVOKE, 0, nullptr, 0, 0);
    HostCallback(HOSTMSG_LOGIN_RESULT, 0, nullptr, 0, 0);
    std::vector<unsigned char> quote = QuoteBytes("IF2301");
    for (int i = 0; i < 50; ++i) HostCallback(HOSTMSG_QUOTE_PUSH, 0, quote.data(), 592, 0);
    PostMessageW(frame, framework::TTableDialogCloseMessage(), 0, reinterpret_cast<LPARAM>(popup));
    PostMessageW(frame, framework::ColsSetChangedMessage(), 0, 0);
    Pump();

    EXPECT_FALSE(IsWindow(frame));
    EXPECT_FALSE(IsWindow(popupWindow));
    EXPECT_TRUE(quitSeen);
    EXPECT_EQ(ArrivalBacklog(), 0);
    // The close commands the popup heard asked for its unsubscription only; no load request.
    for (std::size_t i = before; i < Sent().size(); ++i) {
        EXPECT_NE(Sent()[i].type, HOSTMSG_REQ_SELECTED);
        EXPECT_NE(Sent()[i].type, HOSTMSG_REQ_HOST_TEXT);
    }

    EXPECT_EQ(Finish(), 0);
    EXPECT_EQ(FakeDestroyCount(), 1);
    EXPECT_EQ(HostApi(), nullptr);
    EXPECT_TRUE(std::ifstream(gridXmlPath).good());
}

int gridPaints = 0;
void CountGridPaint() {
    ++gridPaints;
}

// Grid paints made while quotes were still waiting: a board painting during a flood.
std::atomic<int> gridPaintsInFlood{0};
void CountGridPaintInFlood() {
    if (ArrivalBacklog() > 0) ++gridPaintsInFlood;
}

TEST_F(Dispatch, AQuoteFloodIsWorkedThroughWholeWhileTheBoardsKeepPainting) {
    StartLoaded("");
    Select("IO2301-C-3900");
    ASSERT_EQ(Frame().PopupBoards().size(), 1u);
    board::CDlgOptionTTablePopup* popup = Frame().PopupBoards()[0];
    Pump();
    const int before = popup->QuoteCount();
    gridPaintsInFlood = 0;
    grid::CGridCtrl::SetPaintObserver(&CountGridPaintInFlood);

    // The host keeps a backlog of thousands of quotes waiting for a third of a second,
    // however fast this machine works them off (below the conflation threshold, so every
    // quote must arrive), while this thread runs its loop. A flood of a fixed size is gone
    // within two display frames on a fast machine, and would prove nothing.
    const std::vector<unsigned char> future = QuoteBytes("IF2301");
    const std::vector<unsigned char> call = QuoteBytes("IO2301-C-3900");
    std::atomic<bool> flooding{true};
    int sent = 0;
    std::thread host([&] {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(330);
        while (std::chrono::steady_clock::now() < end) {
            if (ArrivalBacklog() >= 4000) {
                std::this_thread::yield();
                continue;
            }
            for (int i = 0; i < 1000; ++i, ++sent) {
                const std::vector<unsigned char>& quote = sent % 2 == 0 ? future : call;
                HostCallback(HOSTMSG_QUOTE_PUSH, 0, quote.data(), 592, 0);
            }
        }
        flooding = false;
    });
    for (int round = 0; round < 2000 && (flooding || ArrivalBacklog() != 0); ++round) {
        Pump();
        if (ArrivalBacklog() != 0 || flooding) Sleep(1);  // a turn put behind input on a timer
    }
    host.join();
    grid::CGridCtrl::SetPaintObserver(nullptr);
    EXPECT_EQ(ArrivalBacklog(), 0);
    EXPECT_EQ(popup->QuoteCount() - before, sent) << "quotes were lost on the way";
    // Before, WM_PAINT waited until the last posted quote had been handled: no paint at all
    // while quotes waited. At the display's pace a third of a second holds about twenty.
    EXPECT_GE(gridPaintsInFlood.load(), 3) << "the board did not paint while the flood was worked through";
}

TEST_F(Dispatch, QuotesArrivingSteadilyRepaintTheBoardAtTheDisplaysPaceNotPerQuote) {
    StartLoaded("");
    Select("IF2301");
    ASSERT_EQ(Frame().PopupBoards().size(), 1u);
    board::CDlgOptionTTablePopup* popup = Frame().PopupBoards()[0];
    Pump();
    Sleep(50);
    Pump();
    gridPaints = 0;
    grid::CGridCtrl::SetPaintObserver(&CountGridPaint);

    // A quote a millisecond or so, each arriving on its own: without pacing every one
    // would be its own turn followed by a paint of the future's grid.
    constexpr int Quotes = 300;
    const std::vector<unsigned char> future = QuoteBytes("IF2301");
    const int before = popup->QuoteCount();
    std::atomic<bool> sent{false};
    const auto start = std::chrono::steady_clock::now();
    std::thread host([&] {
        for (int i = 0; i < Quotes; ++i) {
            HostCallback(HOSTMSG_QUOTE_PUSH, 0, future.data(), 592, 0);
            Sleep(1);
        }
        sent = true;
    });
    while (!sent || ArrivalBacklog() != 0) {
        Pump();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
    host.join();
    const auto elapsed = std::chrono::steady_clock::now() - start;
    // The last quotes' repaint waits for the next display frame.
    for (int wait = 0; wait < 10; ++wait) {
        Pump();
        Sleep(10);
    }
    grid::CGridCtrl::SetPaintObserver(nullptr);

    EXPECT_EQ(popup->QuoteCount() - before, Quotes);
    EXPECT_GE(gridPaints, 1) << "the last quotes never reached the screen";
    const long frames = static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count() / 16);
    EXPECT_LE(gridPaints, frames + 12) << "the board was painted per quote, not per display frame";
}

TEST_F(Dispatch, ArrivalsStillQueuedWhenTheFrameGoesAreFreed) {
    Start("[Startup]\r\nRunMode=0\r\n");
    std::vector<unsigned char> quote = QuoteBytes("IF2301");
    for (int i = 0; i < 20; ++i) HostCallback(HOSTMSG_QUOTE_PUSH, 0, quote.data(), 592, 0);
    EXPECT_EQ(ArrivalBacklog(), 20);
    Frame().DestroyWindow();
    EXPECT_EQ(ArrivalBacklog(), 0);
    // With the frame gone the callback keeps nothing.
    HostCallback(HOSTMSG_QUOTE_PUSH, 0, quote.data(), 592, 0);
    EXPECT_EQ(ArrivalBacklog(), 0);
}

TEST_F(Dispatch, EnterAndEscapeActivateTheHostInPopupRunModeOnly) {
    struct Case {
        const char* ini;
        std::size_t activations;
    };
    for (const Case& test : {Case{"", 2}, Case{"[Startup]\r\nRunMode=0\r\n", 0}}) {
        SCOPED_TRACE(test.ini);
        TearDown();
        SetUp();
        Start(test.ini);
        HWND frame = Frame().GetSafeHwnd();
        for (WPARAM key : {WPARAM{VK_RETURN}, WPARAM{VK_ESCAPE}, WPARAM{'A'}}) PostMessageW(frame, WM_KEYDOWN, key, 0);
        PostMessageW(frame, WM_KEYUP, VK_RETURN, 0);
        Pump();
        std::size_t activations = 0;
        for (const SentRequest& request : Sent()) {
            if (request.type != HOSTMSG_ACTIVATE_HOST) continue;
            ++activations;
            EXPECT_EQ(request.requestId, 0);
            EXPECT_TRUE(request.payload.empty());
        }
        EXPECT_EQ(activations, test.activations);
    }
}

}  // namespace
}  // namespace quillon::test
