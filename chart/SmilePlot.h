#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// The picture of a volatility smile as geometry: where each point, line, bar, tick and
// label of a chain's implied volatilities against strike goes in a window of a given
// size. Portable and pure: the chart window only draws what this lays out, so everything
// a trader could misread (a point at the wrong height, a line across a missing strike, a
// wild value drawn over the axes) is decided and tested here.
namespace quillon::chart {

// What one side of a strike implies, as fractions (0.2 is 20 %).
struct SideVolatilities {
    std::optional<double> mid;  // of the middle of bid and ask, else of the last price
    std::optional<double> bid;
    std::optional<double> ask;
};

struct SmileStrike {
    double strike = 0;
    std::string label;  // the strike as the chain's codes spell it
    SideVolatilities call;
    SideVolatilities put;
};

// One picture's worth of a chain.
struct SmileData {
    std::string underlying;
    int daysToExpiry = -1;  // below 0: unknown
    std::vector<SmileStrike> strikes;
    std::optional<double> underlyingPrice;  // F
    std::optional<double> atTheMoney;       // the chain's volatility at F
};

// The chart's window caption: "波动率微笑--IF2301 剩余43天" (code page 936), the days left
// out while unknown.
std::string SmileTitle(const SmileData& data);

struct PlotPoint {
    int x = 0;
    int y = 0;
    bool operator==(const PlotPoint&) const = default;
};
struct PlotSegment {
    PlotPoint from;
    PlotPoint to;
};
// Right and bottom exclusive, as Windows' rectangles.
struct PlotRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool Holds(PlotPoint p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
};

struct AxisTick {
    int at = 0;  // x of a strike tick, y of a volatility tick
    std::string label;
};

// The values an axis spans, low at the plot's left or bottom edge.
struct AxisRange {
    double low = 0;
    double high = 1;
};

// One side's picture: its mid volatilities as points joined by lines (broken where a
// strike has none) and its bid-ask volatility range as a vertical bar at each strike, all
// clipped to the plot.
struct SmileSeries {
    std::vector<PlotSegment> lines;
    std::vector<PlotPoint> points;
    std::vector<PlotSegment> bars;
};

// Where a strike's points stand, for the tip under the cursor.
struct StrikePlace {
    std::size_t strike = 0;  // into SmileScene::strikes
    int x = 0;
    std::optional<int> callY;
    std::optional<int> putY;
};

// The size of the font the chart writes with.
struct TextSize {
    int averageWidth = 7;
    int height = 14;
};

struct SmileScene {
    PlotRect client;
    PlotRect plot;
    std::string title;                 // the caption's text without "波动率微笑--"
    std::vector<SmileStrike> strikes;  // ascending, the ones with a usable strike
    AxisRange strikeAxis;
    AxisRange volatilityAxis;  // fractions
    std::vector<AxisTick> strikeTicks;
    std::vector<AxisTick> volatilityTicks;
    SmileSeries calls;
    SmileSeries puts;
    std::optional<int> priceX;  // the vertical line at F, when F lies on the axis
    std::optional<PlotPoint> atTheMoney;
    std::vector<StrikePlace> places;
    // Said in the plot instead of points when there are none to draw.
    std::string notice;
};

// The highest volatility the axis reaches: a value above it is clipped at the top edge.
inline constexpr double HighestPlottedVolatility = 3.0;
// Each side's bar stands this far off its strike, so a call's and a put's do not cover
// each other.
inline constexpr int BarOffset = 3;

// Lays out the chart for a client area of width × height pixels. Strikes that are not
// positive numbers and volatilities that are not finite positive numbers are left out.
SmileScene LayoutSmile(const SmileData& data, int width, int height, TextSize text);

// The strike whose call or put point lies within `radius` pixels of `cursor`, the nearest
// one; nothing when no point is that close.
std::optional<std::size_t> StrikeUnder(const SmileScene& scene, PlotPoint cursor, int radius);

// The tip for a strike: "行权价 3900  看涨 20.15%  看跌 -" (code page 936).
std::string SmileTipText(const SmileStrike& strike);

// The smallest of 1, 2 and 5 times a power of ten (at least 1) that, times `unit`, is
// at least `least`: tick steps a reader counts in.
double RoundStep(double least, double unit);

}  // namespace quillon::chart
