#include "chart/SmilePlot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace quillon::chart {

namespace {

constexpr int EdgeMargin = 6;
constexpr int TickLength = 4;
// A plot narrower or lower than this shows nothing but its title: there is no room to
// tell one strike or one volatility from the next.
constexpr int SmallestPlot = 24;
// Values beyond this many axis spans off the plot are drawn as if there: their lines are
// clipped at the edge all the same, and the arithmetic stays far from overflow.
constexpr double FarOffThePlot = 1e4;

std::optional<double> Usable(std::optional<double> volatility) {
    if (!volatility || !std::isfinite(*volatility) || *volatility <= 0) return std::nullopt;
    return volatility;
}

std::string Percent(std::optional<double> volatility, int decimals) {
    if (!volatility) return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%.*f%%", decimals, *volatility * 100);
    return text;
}

// The fewest decimals that write `step` (and so every multiple of it) exactly.
int DecimalsOf(double step) {
    for (int decimals = 0; decimals < 6; ++decimals) {
        const double scaled = step * std::pow(10.0, decimals);
        if (std::fabs(scaled - std::round(scaled)) < 1e-6 * std::max(1.0, scaled)) return decimals;
    }
    return 6;
}

std::string Fixed(double value, int decimals) {
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string written = text;
    if (written == "-0" || written.find_first_not_of("-0.") == std::string::npos) written.erase(0, written[0] == '-');
    return written;
}

// The multiples of `step` inside [low, high], by index so that no error accumulates.
std::vector<double> TicksOver(const AxisRange& axis, double step) {
    std::vector<double> ticks;
    const double first = std::ceil(axis.low / step - 1e-9);
    for (int i = 0; i < 1000; ++i) {
        const double value = (first + i) * step;
        if (value > axis.high + step * 1e-9) break;
        ticks.push_back(value);
    }
    return ticks;
}

// Maps values to pixels in double precision; rounding comes last, after clipping.
class Mapping {
public:
    Mapping(const PlotRect& plot, const AxisRange& strikes, const AxisRange& volatilities)
        : plot_(plot), strikes_(strikes), volatilities_(volatilities) {}

    double X(double strike) const { return plot_.left + Fraction(strike, strikes_) * (plot_.right - 1 - plot_.left); }
    double Y(double volatility) const {
        return plot_.bottom - 1 - Fraction(volatility, volatilities_) * (plot_.bottom - 1 - plot_.top);
    }

    // Liang-Barsky: the part of the segment inside the plot, if any.
    std::optional<PlotSegment> Clip(double x0, double y0, double x1, double y1) const {
        const double dx = x1 - x0;
        const double dy = y1 - y0;
        double enter = 0;
        double leave = 1;
        const double edges[4][2] = {
            {-dx, x0 - plot_.left}, {dx, plot_.right - 1 - x0}, {-dy, y0 - plot_.top}, {dy, plot_.bottom - 1 - y0}};
        for (const auto& [towards, room] : edges) {
            if (towards == 0) {
                if (room < 0) return std::nullopt;
                continue;
            }
            const double t = room / towards;
            if (towards < 0) {
                enter = std::max(enter, t);
            } else {
                leave = std::min(leave, t);
            }
        }
        if (enter > leave) return std::nullopt;
        return PlotSegment{Round(x0 + enter * dx, y0 + enter * dy), Round(x0 + leave * dx, y0 + leave * dy)};
    }

    std::optional<PlotPoint> Inside(double x, double y) const {
        const PlotPoint point = Round(x, y);
        if (!plot_.Holds(point)) return std::nullopt;
        return point;
    }

private:
    static double Fraction(double value, const AxisRange& axis) {
        const double fraction = (value - axis.low) / (axis.high - axis.low);
        return std::clamp(fraction, -FarOffThePlot, FarOffThePlot);
    }
    PlotPoint Round(double x, double y) const {
        // Clipped coordinates can land a hair outside by rounding; the edge holds them.
        return {std::clamp(static_cast<int>(std::lround(x)), plot_.left, plot_.right - 1),
                std::clamp(static_cast<int>(std::lround(y)), plot_.top, plot_.bottom - 1)};
    }

    PlotRect plot_;
    AxisRange strikes_;
    AxisRange volatilities_;
};

// The volatilities that set the axis: every mid and the one at the money; the bid and
// ask ones only when there is no mid at all, since a thin book's ask can be far off the
// smile and would flatten it.
std::vector<double> AxisVolatilities(const std::vector<SmileStrike>& strikes, std::optional<double> atTheMoney) {
    std::vector<double> values;
    for (const SmileStrike& s : strikes) {
        for (const SideVolatilities* side : {&s.call, &s.put}) {
            if (auto v = Usable(side->mid)) values.push_back(*v);
        }
    }
    if (auto v = Usable(atTheMoney)) values.push_back(*v);
    if (!values.empty()) return values;
    for (const SmileStrike& s : strikes) {
        for (const SideVolatilities* side : {&s.call, &s.put}) {
            if (auto v = Usable(side->bid)) values.push_back(*v);
            if (auto v = Usable(side->ask)) values.push_back(*v);
        }
    }
    return values;
}

AxisRange VolatilityRange(const std::vector<double>& values) {
    if (values.empty()) return {0, 0.5};
    double low = std::min(*std::min_element(values.begin(), values.end()), HighestPlottedVolatility - 0.02);
    double high = std::min(*std::max_element(values.begin(), values.end()), HighestPlottedVolatility);
    // A flat smile still gets two volatility points of room.
    if (high - low < 0.02) {
        const double middle = (high + low) / 2;
        low = middle - 0.01;
        high = middle + 0.01;
    }
    const double margin = (high - low) * 0.1;
    return {std::max(0.0, low - margin), std::min(HighestPlottedVolatility, high + margin)};
}

// The chain's strike step: the smallest gap between neighbours; for a lone strike a tenth
// of its order of magnitude.
double StrikeUnit(const std::vector<SmileStrike>& strikes) {
    double unit = 0;
    for (std::size_t i = 1; i < strikes.size(); ++i) {
        const double gap = strikes[i].strike - strikes[i - 1].strike;
        if (gap > strikes[i].strike * 1e-9 && (unit == 0 || gap < unit)) unit = gap;
    }
    if (unit > 0) return unit;
    return std::pow(10.0, std::floor(std::log10(strikes.front().strike))) / 10;
}

// One side's series; each point's height also goes to its strike's place (`placeY`), for
// the tip.
SmileSeries SideSeries(SmileScene& scene, const Mapping& map, SideVolatilities SmileStrike::*side, int barShift,
                       std::optional<int> StrikePlace::*placeY) {
    SmileSeries series;
    const std::vector<SmileStrike>& strikes = scene.strikes;
    for (std::size_t i = 0; i < strikes.size(); ++i) {
        const SideVolatilities& here = strikes[i].*side;
        const double x = map.X(strikes[i].strike);
        const auto mid = Usable(here.mid);
        if (mid) {
            if (auto point = map.Inside(x, map.Y(*mid))) {
                series.points.push_back(*point);
                scene.places[i].*placeY = point->y;
            }
            // Only neighbours are joined: a strike without a volatility breaks the line.
            if (i + 1 < strikes.size()) {
                if (auto next = Usable((strikes[i + 1].*side).mid)) {
                    if (auto line = map.Clip(x, map.Y(*mid), map.X(strikes[i + 1].strike), map.Y(*next)))
                        series.lines.push_back(*line);
                }
            }
        }
        const auto bid = Usable(here.bid);
        const auto ask = Usable(here.ask);
        if (bid && ask) {
            if (auto bar = map.Clip(x + barShift, map.Y(*bid), x + barShift, map.Y(*ask))) series.bars.push_back(*bar);
        }
    }
    return series;
}

std::string ChainTitle(const SmileData& data) {
    std::string title = data.underlying;
    if (data.daysToExpiry >= 0) title += " 剩余" + std::to_string(data.daysToExpiry) + "天";
    return title;
}

}  // namespace

double RoundStep(double least, double unit) {
    for (double power = 1; power < 1e12; power *= 10) {
        for (double multiple : {1.0, 2.0, 5.0}) {
            if (multiple * power * unit >= least * (1 - 1e-9)) return multiple * power * unit;
        }
    }
    return least;
}

std::string SmileTitle(const SmileData& data) {
    return "波动率微笑--" + ChainTitle(data);
}

SmileScene LayoutSmile(const SmileData& data, int width, int height, TextSize text) {
    SmileScene scene;
    width = std::max(width, 0);
    height = std::max(height, 0);
    text.averageWidth = std::max(text.averageWidth, 1);
    text.height = std::max(text.height, 1);
    scene.client = {0, 0, width, height};
    scene.title = ChainTitle(data);
    for (const SmileStrike& strike : data.strikes) {
        if (std::isfinite(strike.strike) && strike.strike > 0) scene.strikes.push_back(strike);
    }
    std::stable_sort(scene.strikes.begin(), scene.strikes.end(),
                     [](const SmileStrike& a, const SmileStrike& b) { return a.strike < b.strike; });

    const std::vector<double> volatilities = AxisVolatilities(scene.strikes, data.atTheMoney);
    if (AxisVolatilities(scene.strikes, std::nullopt).empty()) scene.notice = "暂无隐含波动率";

    // Vertical room first: the volatility labels' width depends on their step.
    // The title's line and the legend's, and room for the top tick's label to stand clear.
    const int top = EdgeMargin + 2 * (text.height + 4) + text.height / 2;
    const int bottom = height - EdgeMargin - text.height - TickLength - 2;
    const AxisRange rough = VolatilityRange(volatilities);
    const int maxVolatilityTicks = std::max(2, (bottom - top) / (2 * text.height));
    const double volatilityStep = RoundStep((rough.high - rough.low) / maxVolatilityTicks, 0.001);
    scene.volatilityAxis = {std::floor(rough.low / volatilityStep + 1e-9) * volatilityStep,
                            std::ceil(rough.high / volatilityStep - 1e-9) * volatilityStep};
    if (scene.volatilityAxis.high <= scene.volatilityAxis.low) scene.volatilityAxis.high += volatilityStep;
    const int percentDecimals = volatilityStep < 0.00999 ? 1 : 0;
    const int volatilityLabelChars = static_cast<int>(Percent(scene.volatilityAxis.high, percentDecimals).size());

    int strikeLabelChars = 4;
    double unit = 1;
    if (!scene.strikes.empty()) {
        unit = StrikeUnit(scene.strikes);
        scene.strikeAxis = {scene.strikes.front().strike - unit / 2, scene.strikes.back().strike + unit / 2};
        strikeLabelChars = static_cast<int>(Fixed(scene.strikeAxis.high, DecimalsOf(unit)).size());
    }
    const int left = EdgeMargin + (volatilityLabelChars + 1) * text.averageWidth + TickLength;
    const int right = width - EdgeMargin - (strikeLabelChars * text.averageWidth) / 2;
    scene.plot = {left, top, right, bottom};
    if (right - left < SmallestPlot || bottom - top < SmallestPlot) {
        scene.plot = {0, 0, 0, 0};
        return scene;
    }

    const Mapping map(scene.plot, scene.strikeAxis, scene.volatilityAxis);
    for (double value : TicksOver(scene.volatilityAxis, volatilityStep))
        scene.volatilityTicks.push_back({static_cast<int>(std::lround(map.Y(value))), Percent(value, percentDecimals)});
    if (scene.strikes.empty()) return scene;

    const int maxStrikeTicks = std::max(1, (right - left) / ((strikeLabelChars + 2) * text.averageWidth));
    const double strikeStep = RoundStep((scene.strikeAxis.high - scene.strikeAxis.low) / maxStrikeTicks, unit);
    for (double value : TicksOver(scene.strikeAxis, strikeStep))
        scene.strikeTicks.push_back(
            {static_cast<int>(std::lround(map.X(value))), Fixed(value, DecimalsOf(strikeStep))});

    for (std::size_t i = 0; i < scene.strikes.size(); ++i)
        scene.places.push_back(
            {i, static_cast<int>(std::lround(map.X(scene.strikes[i].strike))), std::nullopt, std::nullopt});
    scene.calls = SideSeries(scene, map, &SmileStrike::call, -BarOffset, &StrikePlace::callY);
    scene.puts = SideSeries(scene, map, &SmileStrike::put, BarOffset, &StrikePlace::putY);
    if (data.underlyingPrice && std::isfinite(*data.underlyingPrice)) {
        const double x = map.X(*data.underlyingPrice);
        if (x >= scene.plot.left && x <= scene.plot.right - 1) scene.priceX = static_cast<int>(std::lround(x));
        if (auto v = Usable(data.atTheMoney)) scene.atTheMoney = map.Inside(x, map.Y(*v));
    }
    return scene;
}

std::optional<std::size_t> StrikeUnder(const SmileScene& scene, PlotPoint cursor, int radius) {
    std::optional<std::size_t> nearest;
    long long best = static_cast<long long>(radius) * radius;
    for (const StrikePlace& place : scene.places) {
        for (const std::optional<int>& y : {place.callY, place.putY}) {
            if (!y) continue;
            const long long dx = place.x - cursor.x;
            const long long dy = *y - cursor.y;
            if (dx * dx + dy * dy <= best) {
                best = dx * dx + dy * dy;
                nearest = place.strike;
            }
        }
    }
    return nearest;
}

std::string SmileTipText(const SmileStrike& strike) {
    const std::string label = strike.label.empty() ? Fixed(strike.strike, DecimalsOf(strike.strike)) : strike.label;
    return "行权价 " + label + "  看涨 " + Percent(Usable(strike.call.mid), 2) + "  看跌 " +
           Percent(Usable(strike.put.mid), 2);
}

}  // namespace quillon::chart
