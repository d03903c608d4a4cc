#pragma once

#include <algorithm>
#include <climits>
#include <optional>

// Where a grid's rows and columns stand: sums of sizes, the first line a scroll position
// shows, the last line a client area reaches, a line's origin on screen, and how much
// there is to scroll. Portable arithmetic over one axis at a time, the same for rows and
// columns; the grid window supplies its sizes and its client area, and these functions
// are tested natively.
namespace quillon::grid::geometry {

// The lines along one axis: `sizeOf(i)` is the height of row i, or the width of the
// column shown in place i; the first `fixed` of `count` lines never scroll.
template <typename SizeOf>
struct Lines {
    SizeOf sizeOf;
    int count = 0;
    int fixed = 0;
};
template <typename SizeOf>
Lines(SizeOf, int, int) -> Lines<SizeOf>;

// Sums of sizes in 64 bits, held to what an int can say: a grid of many huge rows must
// not wrap round into negative positions.
inline int ClampedSum(long long sum) {
    return sum > INT_MAX ? INT_MAX : static_cast<int>(sum);
}

// The lines [first, end), clipped to the axis.
template <typename SizeOf>
int Extent(const Lines<SizeOf>& lines, int first, int end) {
    long long sum = 0;
    for (int i = std::max(first, 0); i < std::min(end, lines.count); ++i) sum += lines.sizeOf(i);
    return ClampedSum(sum);
}

template <typename SizeOf>
int FixedExtent(const Lines<SizeOf>& lines) {
    return Extent(lines, 0, lines.fixed);
}

// The first scrolling line shown at `scrollPosition` pixels: the first whose start is at
// or past it, never beyond the last line.
template <typename SizeOf>
int FirstScrolled(const Lines<SizeOf>& lines, int scrollPosition) {
    int line = lines.fixed;
    long long passed = 0;
    while (passed < scrollPosition && line < lines.count - 1) passed += lines.sizeOf(line++);
    return line;
}

// The last line a client area of `clientExtent` pixels reaches from `first` on (first - 1
// when none), and where what the lines cover ends, at most the client area's edge.
struct VisibleEnd {
    int last = -1;
    int end = 0;
};

template <typename SizeOf>
VisibleEnd LastVisible(const Lines<SizeOf>& lines, int first, int clientExtent) {
    long long end = FixedExtent(lines);
    VisibleEnd visible{first - 1, 0};
    for (int i = first; i < lines.count; ++i) {
        end += lines.sizeOf(i);
        visible.last = i;
        if (end >= clientExtent) {
            end = clientExtent;
            break;
        }
    }
    visible.end = ClampedSum(std::min<long long>(end, clientExtent));
    return visible;
}

// Where line `index` starts on screen when `first` is the first scrolling line shown;
// nothing for a scrolling line scrolled out before it.
template <typename SizeOf>
std::optional<int> Origin(const Lines<SizeOf>& lines, int index, int first) {
    if (index < lines.fixed) return Extent(lines, 0, index);
    if (index < first) return std::nullopt;
    return ClampedSum(static_cast<long long>(FixedExtent(lines)) + Extent(lines, first, index));
}

// How much there is to scroll, from the client area as it is without scroll bars.
struct ScrollRoom {
    bool room = false;  // false: the fixed lines fill the client area, no bar at all
    bool horizontal = false;
    bool vertical = false;
    int visibleWidth = 0;  // of the scrolling part, once the bars shown take their room
    int visibleHeight = 0;
    int horizontalMax = 0;  // the scroll ranges' ends (0 without the bar)
    int verticalMax = 0;
};

struct ScrollInputs {
    int clientWidth = 0;  // without the bars
    int clientHeight = 0;
    int fixedWidth = 0;
    int fixedHeight = 0;
    int virtualWidth = 0;  // every column
    int virtualHeight = 0;
    int verticalBarWidth = 0;
    int horizontalBarHeight = 0;
};

ScrollRoom MeasureScrollRoom(const ScrollInputs& in);

}  // namespace quillon::grid::geometry
