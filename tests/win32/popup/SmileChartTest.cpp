// A popup's volatility smile as the user meets it: opened from the popup, fed by the
// popup's quotes, painted where the volatilities put it, and gone with its popup.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "../app/AppFixture.h"
#include "PopupTestSupport.h"
#include "analytics/ExpirySchedule.h"
#include "analytics/OptionPricing.h"
#include "board/DlgOptionTTablePopup.h"
#include "chart/SmileWindow.h"
#include "framework/MemoryCanvas.h"
#include "grid/GridCtrl.h"
#include "host/HostMessages.h"
#include "host/WireText.h"
#include "res/ResourceIds.h"

namespace quillon::test {
namespace {

using namespace quillon::host;
using board::CDlgOptionTTablePopup;
using chart::CSmileWindow;

constexpr COLORREF Untouched = RGB(1, 2, 3);

// IF2301 with seven strikes from 3700 to 4300 on both sides.
std::vector<TestInstrument> SmileMarket() {
    std::vector<TestInstrument> market = SampleMarket();
    for (int strike : {3700, 3800, 4100, 4200, 4300}) {
        for (const char* side : {"-C-", "-P-"})
            market.push_back({"IO2301" + (side + std::to_string(strike)), "CFFEX", '2', 0.2});
    }
    return market;
}

BOOL CALLBACK CountWindow(HWND, LPARAM counted) {
    ++*reinterpret_cast<int*>(counted);
    return TRUE;
}

int WindowsOfThisThread() {
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), &CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

// The chart printed into a canvas larger than its client area, which starts Untouched.
struct PrintedChart {
    explicit PrintedChart(const CSmileWindow& chart)
        : client(chart.GetClientRect()), canvas(client.right + 40, client.bottom + 40) {
        canvas.Fill(Untouched);
        SendMessageW(chart.GetSafeHwnd(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
    }
    // Pixels outside the client area that the chart painted.
    int PaintedOutside() const {
        const int all = canvas.Width() * canvas.Height();
        const int client_area = client.right * client.bottom;
        return all - client_area -
               (canvas.Count({0, 0, canvas.Width(), canvas.Height()}, Untouched) - canvas.Count(client, Untouched));
    }
    // Whether `colour` is painted within `radius` pixels of (x, y).
    bool Near(int x, int y, COLORREF colour, int radius = 2) const {
        return canvas.Count({x - radius, y - radius, x + radius + 1, y + radius + 1}, colour) > 0;
    }
    RECT client;
    framework::MemoryCanvas canvas;
};

class SmileChartThroughPopup : public AppFixture {
protected:
    void SetUp() override {
        grid::CGridCtrl::RegisterWindowClass();
        AppFixture::SetUp();
        Start("");  // the popup run mode
        LoadMarket(SmileMarket());
        ASSERT_TRUE(model::SharedMarketData().DataReady());
    }
    CDlgOptionTTablePopup* OpenPopup() {
        Deliver(HOSTMSG_INVOKE);
        Deliver(HOSTMSG_SELECTED, EncodeTextSlots({"IF2301"}, 64));
        return Frame().PopupBoards().empty() ? nullptr : Frame().PopupBoards().back();
    }
    // An option quoted at the prices of `volatility` one point below and above it.
    void QuoteAt(bool call, int strike, double volatility) {
        const double T = analytics::YearsToExpiry({2023, 1, 20}, EighthOfDecember2022());
        const double r = board::SharedAnalyticsSettings().riskFreeRate;
        const double bid = analytics::Black76Price(call, F, strike, T, r, volatility - 0.01);
        const double ask = analytics::Black76Price(call, F, strike, T, r, volatility + 0.01);
        Deliver(HOSTMSG_QUOTE_PUSH,
                QuoteWithBook("IO2301-" + std::string(call ? "C-" : "P-") + std::to_string(strike), bid, ask));
    }
    // Waits for the chart's own timer to have read the chain with `points` call points.
    void WaitForCallPoints(const CSmileWindow& chart, std::size_t points) {
        for (int wait = 0; wait < 100 && chart.Scene().calls.points.size() != points; ++wait) {
            Sleep(20);
            Pump();
        }
        ASSERT_EQ(chart.Scene().calls.points.size(), points);
    }
    static constexpr double F = 4050;
    AnalyticsClockOfTheTest clock;
};

int XOf(const chart::SmileScene& scene, double strike) {
    const auto& plot = scene.plot;
    const auto& axis = scene.strikeAxis;
    return plot.left +
           static_cast<int>(std::lround((strike - axis.low) / (axis.high - axis.low) * (plot.right - 1 - plot.left)));
}

int YOf(const chart::SmileScene& scene, double volatility) {
    const auto& plot = scene.plot;
    const auto& axis = scene.volatilityAxis;
    return plot.bottom - 1 -
           static_cast<int>(
               std::lround((volatility - axis.low) / (axis.high - axis.low) * (plot.bottom - 1 - plot.top)));
}

// Calls at 20 %, puts at 26 %, the 3900 call never quoted: the points stand at those
// heights over their strikes, the call line breaks at 3900, F's line stands at 4050, and a
// wild quote or a small window paints nothing outside the client area.
TEST_F(SmileChartThroughPopup, ThePopupsChainIsDrawnWhereItsVolatilitiesPutIt) {
    CDlgOptionTTablePopup* popup = OpenPopup();
    ASSERT_NE(popup, nullptr);
    SendMessageW(popup->GetSafeHwnd(), WM_COMMAND, ID_BOARD_SMILE_CHART, 0);
    CSmileWindow* chart = popup->SmileChart();
    ASSERT_NE(chart, nullptr);
    EXPECT_TRUE(IsWindowVisible(chart->GetSafeHwnd()));
    EXPECT_EQ(chart->GetText(), "波动率微笑--IF2301") << "no days before a quote";
    EXPECT_FALSE(chart->Scene().notice.empty());

    Deliver(HOSTMSG_QUOTE_PUSH, QuoteWithBook("IF2301", F - 0.2, F + 0.2));
    const int strikes[] = {3700, 3800, 3900, 4000, 4100, 4200, 4300};
    for (int strike : strikes) {
        if (strike != 3900) QuoteAt(true, strike, 0.20);
        QuoteAt(false, strike, 0.26);
    }
    WaitForCallPoints(*chart, 6);
    EXPECT_EQ(chart->GetText(), "波动率微笑--IF2301 剩余43天");
    const chart::SmileScene& scene = chart->Scene();
    {
        const PrintedChart printed(*chart);
        EXPECT_EQ(printed.PaintedOutside(), 0);
        for (int strike : strikes) {
            SCOPED_TRACE(strike);
            const int x = XOf(scene, strike);
            EXPECT_EQ(printed.Near(x, YOf(scene, 0.20), chart::CallColour), strike != 3900);
            EXPECT_TRUE(printed.Near(x, YOf(scene, 0.26), chart::PutColour));
        }
        // Not a pixel of the call's line over the strike it has no volatility for.
        const RECT gapColumn{XOf(scene, 3900), scene.plot.top, XOf(scene, 3900) + 1, scene.plot.bottom};
        EXPECT_EQ(printed.canvas.Count(gapColumn, chart::CallColour), 0);
        const RECT priceColumn{XOf(scene, F), scene.plot.top, XOf(scene, F) + 1, scene.plot.bottom};
        EXPECT_GT(printed.canvas.Count(priceColumn, chart::PriceLineColour), (scene.plot.bottom - scene.plot.top) / 4);
        // The at-the-money marker on F's line, between the two sides' heights.
        const int atTheMoneyY = YOf(scene, 0.23);
        EXPECT_TRUE(printed.Near(XOf(scene, F), atTheMoneyY, chart::AtTheMoneyColour, 3));
    }

    // The cursor over the 4000 call's point: its strike and both volatilities.
    const LPARAM at4000 = MAKELPARAM(XOf(scene, 4000), YOf(scene, 0.20));
    SendMessageW(chart->GetSafeHwnd(), WM_MOUSEMOVE, 0, at4000);
    EXPECT_EQ(chart->TipText().rfind("行权价 4000  看涨 20.", 0), 0u) << chart->TipText();
    EXPECT_NE(chart->TipText().find("看跌 26."), std::string::npos) << chart->TipText();
    EXPECT_GT(PrintedChart(*chart).canvas.Count(chart->GetClientRect(), RGB(255, 255, 225)), 100);

    // A wild book and the smallest window the user can drag it to.
    Deliver(HOSTMSG_QUOTE_PUSH, QuoteWithBook("IO2301-C-4300", 0.2, 3000));
    Deliver(HOSTMSG_QUOTE_PUSH, QuoteWithBook("IO2301-P-3700", 0.2, 1e9));
    SetWindowPos(chart->GetSafeHwnd(), nullptr, 0, 0, 100, 80, SWP_NOMOVE | SWP_NOZORDER);
    chart->Refresh();
    const PrintedChart small(*chart);
    EXPECT_GE(small.client.right, 200) << "the window keeps a readable size";
    EXPECT_EQ(small.PaintedOutside(), 0);
    const chart::PlotRect& plot = chart->Scene().plot;
    const RECT belowTheLegend{0, plot.top, small.client.right, small.client.bottom};
    for (COLORREF colour : {chart::CallColour, chart::PutColour, chart::CallRangeColour, chart::PutRangeColour}) {
        const RECT painted = small.canvas.Bounds(belowTheLegend, colour);
        if (IsRectEmpty(&painted)) continue;
        EXPECT_TRUE(painted.left >= plot.left && painted.right <= plot.right && painted.bottom <= plot.bottom)
            << std::hex << colour;
    }
}

// One chart per popup: asked again it comes forward; closed by the user it can be opened
// again; hidden with the popup and back with it; gone with the popup, window counts back
// where they were.
TEST_F(SmileChartThroughPopup, TheChartLivesAndDiesWithItsPopup) {
    const int before = WindowsOfThisThread();
    CDlgOptionTTablePopup* popup = OpenPopup();
    ASSERT_NE(popup, nullptr);
    const int withPopup = WindowsOfThisThread();
    popup->OpenSmileChart();
    popup->OpenSmileChart();
    EXPECT_EQ(WindowsOfThisThread(), withPopup + 1);

    SendMessageW(popup->SmileChart()->GetSafeHwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(popup->SmileChart(), nullptr);
    EXPECT_EQ(WindowsOfThisThread(), withPopup);
    popup->OpenSmileChart();
    ASSERT_NE(popup->SmileChart(), nullptr);
    HWND chart = popup->SmileChart()->GetSafeHwnd();

    PostMessageW(popup->GetSafeHwnd(), WM_KEYDOWN, VK_ESCAPE, 0);
    Pump();
    EXPECT_FALSE(IsWindowVisible(chart));
    OpenPopup();  // invoked again: the popup and its chart come back
    EXPECT_TRUE(IsWindowVisible(chart));

    SendMessageW(GetDlgItem(popup->GetSafeHwnd(), IDOK), BM_CLICK, 0, 0);
    Pump();
    EXPECT_TRUE(Frame().PopupBoards().empty());
    EXPECT_FALSE(IsWindow(chart));
    EXPECT_EQ(WindowsOfThisThread(), before);
}

}  // namespace
}  // namespace quillon::test
