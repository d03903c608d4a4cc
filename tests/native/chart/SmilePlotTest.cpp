// The smile's picture as geometry: points where the volatilities put them, gaps where a
// strike has none, round ticks that do not run into each other, and nothing outside the
// plot whatever the chain holds.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "chart/SmilePlot.h"

namespace quillon::chart {
namespace {

using std::nullopt;

// Strikes from `first` by `step`; calls at `call[i]`, puts at `put[i]` (nullopt: none),
// each with a bid-ask range of one volatility point around it.
SmileData Chain(double first, double step, const std::vector<std::optional<double>>& call,
                const std::vector<std::optional<double>>& put) {
    SmileData data;
    data.underlying = "IF2301";
    data.daysToExpiry = 43;
    for (std::size_t i = 0; i < call.size(); ++i) {
        SmileStrike strike;
        strike.strike = first + step * static_cast<double>(i);
        auto side = [](std::optional<double> v) {
            return v ? SideVolatilities{v, *v - 0.005, *v + 0.005} : SideVolatilities{};
        };
        strike.call = side(call[i]);
        strike.put = side(i < put.size() ? put[i] : nullopt);
        data.strikes.push_back(strike);
    }
    return data;
}

bool Inside(const PlotRect& plot, PlotPoint p) {
    return plot.Holds(p);
}

// Every drawn thing of a scene lies in its plot, and the plot in the client area.
void ExpectAllInside(const SmileScene& scene) {
    const PlotRect& plot = scene.plot;
    EXPECT_TRUE(plot.left >= 0 && plot.top >= 0 && plot.right <= scene.client.right &&
                plot.bottom <= scene.client.bottom);
    for (const SmileSeries* series : {&scene.calls, &scene.puts}) {
        for (const PlotPoint& p : series->points) EXPECT_TRUE(Inside(plot, p)) << p.x << "," << p.y;
        for (const auto* segments : {&series->lines, &series->bars}) {
            for (const PlotSegment& s : *segments) EXPECT_TRUE(Inside(plot, s.from) && Inside(plot, s.to));
        }
    }
    if (scene.priceX) {
        EXPECT_TRUE(*scene.priceX >= plot.left && *scene.priceX < plot.right);
    }
    if (scene.atTheMoney) {
        EXPECT_TRUE(Inside(plot, *scene.atTheMoney));
    }
    for (const AxisTick& tick : scene.strikeTicks) EXPECT_TRUE(tick.at >= plot.left && tick.at < plot.right);
    for (const AxisTick& tick : scene.volatilityTicks) EXPECT_TRUE(tick.at >= plot.top && tick.at < plot.bottom);
}

TEST(SmilePlot, PointsStandWhereTheirStrikesAndVolatilitiesPutThem) {
    SmileData data = Chain(3800, 100, {0.24, 0.22, 0.20, 0.21, 0.23}, {0.25, 0.23, 0.21, 0.22, 0.24});
    data.underlyingPrice = 4050;
    data.atTheMoney = 0.21;
    const SmileScene scene = LayoutSmile(data, 640, 440, {7, 14});
    ExpectAllInside(scene);
    ASSERT_EQ(scene.calls.points.size(), 5u);
    ASSERT_EQ(scene.puts.points.size(), 5u);
    EXPECT_EQ(scene.calls.lines.size(), 4u);
    EXPECT_EQ(scene.calls.bars.size(), 5u);
    // Equal strike steps, equal pixel steps; a higher volatility stands higher.
    const auto& calls = scene.calls.points;
    for (std::size_t i = 1; i < calls.size(); ++i)
        EXPECT_NEAR(calls[i].x - calls[i - 1].x, calls[1].x - calls[0].x, 1) << i;
    EXPECT_LT(calls[0].y, calls[1].y);
    EXPECT_EQ(calls[3].y, scene.puts.points[2].y) << "21 % is one height on either side";
    // F halfway between 4000 and 4100; the at-the-money marker there at 21 %.
    ASSERT_TRUE(scene.priceX && scene.atTheMoney);
    EXPECT_NEAR(*scene.priceX, (calls[2].x + calls[3].x) / 2.0, 1);
    EXPECT_EQ(*scene.atTheMoney, (PlotPoint{*scene.priceX, calls[3].y}));
    // The bars bracket their point, each side a little off the strike.
    EXPECT_EQ(scene.calls.bars[2].from.x, calls[2].x - BarOffset);
    EXPECT_GT(scene.calls.bars[2].from.y, calls[2].y);
    EXPECT_LT(scene.calls.bars[2].to.y, calls[2].y);
    EXPECT_EQ(SmileTitle(data), "波动率微笑--IF2301 剩余43天");
}

TEST(SmilePlot, AStrikeWithoutAVolatilityLeavesAGapNotAZero) {
    const SmileData data = Chain(3800, 100, {0.24, nullopt, 0.20, 0.21}, {});
    const SmileScene scene = LayoutSmile(data, 640, 440, {7, 14});
    ASSERT_EQ(scene.calls.points.size(), 3u);
    const int gapX = scene.places[1].x;
    ASSERT_EQ(scene.calls.lines.size(), 1u) << "only 4000 to 4100 are neighbours with volatilities";
    EXPECT_GT(scene.calls.lines[0].from.x, gapX);
    EXPECT_FALSE(scene.places[1].callY.has_value());
    EXPECT_TRUE(scene.puts.points.empty() && scene.puts.lines.empty());
    const double lowest = scene.volatilityAxis.low;
    EXPECT_GT(lowest, 0.1) << "the axis follows the volatilities there are, not a zero";
}

TEST(SmilePlot, AwkwardChainsAndWindowsDrawNothingOutsideThePlot) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        const char* name;
        SmileData data;
        int width, height;
        bool notice;
    } cases[] = {
        {"no quotes yet", SmileData{}, 640, 440, true},
        {"one strike", Chain(3900, 100, {0.2}, {0.22}), 640, 440, false},
        {"every volatility missing", Chain(3900, 100, {nullopt, nullopt}, {nullopt, nullopt}), 640, 440, true},
        {"calls only", Chain(2.25, 0.05, {0.3, 0.28, 0.27}, {}), 640, 440, false},
        {"extreme values", Chain(3800, 100, {1e6, 1e-9, 0.2, nan, inf, -0.3, 25.0}, {1e300, 0.21}), 640, 440, false},
        {"a tiny window", Chain(3800, 100, {0.2, 0.21}, {0.22}), 30, 20, false},
        {"no window at all", Chain(3800, 100, {0.2, 0.21}, {0.22}), 0, -5, false},
    };
    for (auto test : cases) {
        SCOPED_TRACE(test.name);
        test.data.underlyingPrice = 1e9;  // F far off the strikes: no line
        test.data.atTheMoney = 0.2;
        const SmileScene scene = LayoutSmile(test.data, test.width, test.height, {7, 14});
        ExpectAllInside(scene);
        EXPECT_FALSE(scene.priceX.has_value());
        EXPECT_EQ(!scene.notice.empty(), test.notice);
    }
}

TEST(SmilePlot, TicksAreRoundStepsOfTheChainThatDoNotRunIntoEachOther) {
    const struct {
        double first, step;
        int strikes, width;
    } cases[] = {
        {2000, 20, 40, 640}, {2000, 20, 40, 320}, {2.0, 0.05, 30, 500}, {3000, 50, 9, 1600}, {100, 2.5, 60, 400}};
    for (const auto& test : cases) {
        SCOPED_TRACE(std::to_string(test.first) + " by " + std::to_string(test.step) + " in " +
                     std::to_string(test.width));
        std::vector<std::optional<double>> vols;
        for (int i = 0; i < test.strikes; ++i)
            vols.push_back(0.18 + 0.0004 * (i - test.strikes / 2) * (i - test.strikes / 2));
        const SmileScene scene = LayoutSmile(Chain(test.first, test.step, vols, {}), test.width, 440, {7, 14});
        ASSERT_GE(scene.strikeTicks.size(), 2u);
        for (std::size_t i = 1; i < scene.strikeTicks.size(); ++i) {
            const AxisTick& left = scene.strikeTicks[i - 1];
            const AxisTick& right = scene.strikeTicks[i];
            const double labelsHalfWidths = 7 * (left.label.size() + right.label.size()) / 2.0;
            EXPECT_GT(right.at - left.at, labelsHalfWidths) << left.label << " " << right.label;
            // Every label is a whole number of the chain's steps.
            const double steps = (std::stod(right.label) - test.first) / test.step;
            EXPECT_NEAR(steps, std::round(steps), 1e-6) << right.label;
        }
        ASSERT_GE(scene.volatilityTicks.size(), 2u);
        const int spacing = scene.volatilityTicks[0].at - scene.volatilityTicks[1].at;
        EXPECT_GE(spacing, 14);
        for (std::size_t i = 1; i < scene.volatilityTicks.size(); ++i)
            EXPECT_NEAR(scene.volatilityTicks[i - 1].at - scene.volatilityTicks[i].at, spacing, 1);
    }
    const struct {
        double least, unit, step;
    } steps[] = {{0.3, 1, 1}, {1.5, 1, 2}, {3, 1, 5}, {7, 1, 10}, {57, 20, 100}, {0.0031, 0.001, 0.005}, {50, 50, 50}};
    for (const auto& s : steps) EXPECT_DOUBLE_EQ(RoundStep(s.least, s.unit), s.step) << s.least << " of " << s.unit;
}

TEST(SmilePlot, TheTipNamesTheStrikeUnderTheCursorWithBothVolatilities) {
    SmileData data = Chain(3800, 100, {0.24, 0.22, 0.20}, {nullopt, 0.23, 0.215});
    data.strikes[1].label = "3900";
    const SmileScene scene = LayoutSmile(data, 640, 440, {7, 14});
    const StrikePlace& place = scene.places[1];
    ASSERT_TRUE(place.callY && place.putY);
    EXPECT_EQ(StrikeUnder(scene, {place.x + 2, *place.callY - 2}, 6), 1u);
    EXPECT_EQ(StrikeUnder(scene, {place.x, *place.putY}, 6), 1u);
    EXPECT_EQ(StrikeUnder(scene, {place.x + 20, *place.callY}, 6), nullopt);
    EXPECT_EQ(SmileTipText(scene.strikes[1]), "行权价 3900  看涨 22.00%  看跌 23.00%");
    EXPECT_EQ(SmileTipText(scene.strikes[0]), "行权价 3800  看涨 24.00%  看跌 -");
}

}  // namespace
}  // namespace quillon::chart
